// CPU cost of the window showing the overview of 16 packs: the real MainWindow (offscreen) on
// the overview page, each pack's reply decoded from its frame and handed on as the session hands
// it (the pack in focus to the pages, every pack to the overview and the log, logging on), at
// the pace of a cycle over 16 packs at the fastest the wire allows. Prints the process's CPU
// time as a share of one core. The serial line itself is not in it: the board session's own
// cost is measured with the simulator (bench_polling).
#include "boardsession.h"
#include "frame.h"
#include "mainwindow.h"
#include "messages.h"
#include "replies.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

constexpr int Packs = 16;

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Reply spacing in ms (one request and reply on the line, with the idle rule), and seconds.
    const int spacingMs = argc > 1 ? QByteArray(argv[1]).toInt() : 35;
    const int seconds = argc > 2 ? QByteArray(argv[2]).toInt() : 20;
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings().setValue(QStringLiteral("recordings/folder"), settings.path());

    initResources();
    QFile style(QStringLiteral(":/assert/style.qss"));
    if (style.open(QFile::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(style.readAll()));

    Messages::Recorder boxes;
    MainWindow window;
    window.show();
    BoardSession *session = window.boardSession();
    QVector<int> packs;
    for (int address = 1; address <= Packs; ++address)
        packs << address;
    emit session->scanFinished(packs, false);
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tab_widget"));
    // For comparison: ARVEX_BENCH_PAGE=<tab index> shows another page, ARVEX_BENCH_NOLOG=1
    // leaves logging off.
    bool ok = false;
    const int page = qEnvironmentVariableIntValue("ARVEX_BENCH_PAGE", &ok);
    if (ok)
        tabs->setCurrentIndex(page);
    else
        tabs->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tab_overview")));
    if (qEnvironmentVariableIsEmpty("ARVEX_BENCH_NOLOG"))
        window.findChild<QPushButton *>(QStringLiteral("btn_log"))->click();

    QVector<QByteArray> frames;
    for (int step = 0; step < 64; ++step)
        frames << BenchReplies::reply(step);

    int sent = 0;
    QElapsedTimer cycle;
    cycle.start();
    QTimer pace;
    pace.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pace, &QTimer::timeout, [&] {
        const int address = packs.at(sent % Packs);
        const Frame::ReplyCheck reply = Frame::checkReply(frames.at((sent / Packs) % 64));
        cell record;
        const QByteArray addressText = QByteArray::number(address).rightJustified(2, '0');
        const RealTimeReply values = decodeRealTime(addressText, reply.dataBlock(), &record);
        record.id = address;
        if (address == session->address()) {
            session->afe = record;
            emit session->realTimeRecord(values);
            emit session->packReply(address, values, session->afe);
        } else {
            emit session->packReply(address, values, record);
        }
        emit session->packLinkChanged(address);
        ++sent;
        if (sent % Packs == 0) {
            emit session->cycleDone(int(cycle.restart()), false);
        }
    });

    // A second to settle, then the measure.
    QTimer::singleShot(1000, [&] { pace.start(spacingMs); });
    double cpuStart = 0;
    int sentStart = 0;
    QElapsedTimer wall;
    QTimer::singleShot(2000, [&] {
        cpuStart = cpuSeconds();
        sentStart = sent;
        wall.start();
    });
    QTimer::singleShot(2000 + seconds * 1000, [&] { app.quit(); });
    app.exec();

    const double cpu = cpuSeconds() - cpuStart;
    const double elapsed = wall.elapsed() / 1000.0;
    std::printf("16 packs, a reply every %d ms (%.1f replies/s), overview shown, logging on\n",
                spacingMs, (sent - sentStart) / elapsed);
    std::printf("CPU %.3f s in %.1f s = %.2f %% of one core (target <= 2 %%)\n", cpu, elapsed,
                100.0 * cpu / elapsed);
    return 0;
}
