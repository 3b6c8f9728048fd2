// Several packs on one line: the time of one cycle over 16 simulated boards against what the wire
// allows, at 9600 and 115200 baud. The simulator paces its replies as a wire does; the limit is
// every byte of the cycle's requests and replies at 10 bit times, plus the idle time before each
// request. Prints the median cycle and its ratio to the limit.
//   bench_bus [cycles]   (20 by default; run from a release build)
#include "boardsession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct Figures
{
    double medianMs = 0;
    double limitMs = 0;
    int timeouts = 0;
};

bool measure(int baud, int packs, int cycles, Figures *out)
{
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyARVEX");
    QProcess board;
    board.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    board.start(QStringLiteral(ARVEX_BOARD_SIM),
                { "--link", link, "--seed", "1", "--address", QStringLiteral("1-%1").arg(packs),
                  "--line-rate", QString::number(baud), "--baud", QString::number(baud) });
    if (!board.waitForStarted() || !board.waitForReadyRead(5000))
        return false;

    BoardSession session;
    BoardSession::LineSettings settings;
    settings.port = link;
    settings.baud = baud;
    settings.periodMs = 300; // shorter than any cycle of 16: as fast as the wire allows
    QVector<int> addresses;
    for (int a = 1; a <= packs; ++a)
        addresses << a;
    if (!session.open(settings))
        return false;
    session.setAddresses(addresses);

    // Bytes of each cycle, both ways; a cycle runs from its first request to the next cycle's,
    // so the idle time before each request is in it, as in the limit.
    qint64 sentBytes = 0, receivedBytes = 0;
    QVector<double> times, limits;
    QElapsedTimer since;
    QObject::connect(&session, &BoardSession::frameSent,
                     [&](const QByteArray &frame) { sentBytes += frame.size(); });
    QObject::connect(&session, &BoardSession::bytesReceived,
                     [&](const QByteArray &bytes) { receivedBytes += bytes.size(); });
    QObject::connect(&session, &BoardSession::aboutToPoll, [&] {
        if (since.isValid()) {
            const double wire = double(sentBytes + receivedBytes) * 10 * 1000 / baud;
            times << double(since.nsecsElapsed()) / 1e6;
            limits << wire + double(packs) * BoardSession::IdleThresholdMs;
        }
        since.start();
        sentBytes = 0;
        receivedBytes = 0;
        if (times.size() > cycles) // the first cycle warms up
            QCoreApplication::quit();
    });
    session.startPolling();
    QCoreApplication::exec();
    times.removeFirst();
    limits.removeFirst();
    std::sort(times.begin(), times.end());
    std::sort(limits.begin(), limits.end());
    out->medianMs = times.at(times.size() / 2);
    out->limitMs = limits.at(limits.size() / 2);
    for (const BoardSession::PackLink &l : session.packLinks())
        out->timeouts += l.timeouts;
    session.close();
    board.terminate();
    board.waitForFinished();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int cycles = argc > 1 ? std::max(3, atoi(argv[1])) : 20;
    std::printf("%-8s %6s %12s %12s %8s %9s\n", "baud", "packs", "cycle ms", "limit ms", "ratio",
                "timeouts");
    for (int baud : { 9600, 115200 }) {
        Figures f;
        if (!measure(baud, 16, cycles, &f)) {
            std::fprintf(stderr, "bench_bus: the simulated bus did not start\n");
            return 1;
        }
        std::printf("%-8d %6d %12.1f %12.1f %8.3f %9d\n", baud, 16, f.medianMs, f.limitMs,
                    f.medianMs / f.limitMs, f.timeouts);
    }
    return 0;
}
