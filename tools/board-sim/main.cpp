// arvex-board-sim: a simulated battery management board on a pseudo-terminal (or a real tty),
// answering the host tool's requests as the board does.
#include "board.h"
#include "boardparameters.h"
#include "bus.h"
#include "controlpipe.h"
#include "forcing.h"
#include "packmodel.h"
#include "requestparser.h"
#include "serialline.h"
#include "transmitter.h"
#include "waketimer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int TickMs = 100;
constexpr int ChatterMs = 5;
constexpr int GarbagePieceBytes = 4096;
constexpr int QuitGraceMs = 200; // time for the half reply to reach the client

int g_signalPipe[2] = { -1, -1 };

void onSignal(int sig)
{
    const char c = char(sig);
    const ssize_t n = ::write(g_signalPipe[1], &c, 1);
    (void)n;
}

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "arvex-board-sim: %s\n", qPrintable(message));
    std::exit(2);
}

// One line per frame received or sent, with the time to the millisecond.
class TrafficLog
{
public:
    bool open(const QString &path)
    {
        m_file.setFileName(path);
        return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    }

    void write(const char *direction, const QByteArray &bytes, const QString &note = QString())
    {
        if (!m_file.isOpen())
            return;
        QByteArray line = QDateTime::currentDateTime()
                              .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                              .toLatin1();
        line.append(' ').append(direction).append(' ').append(escapeBytes(bytes));
        if (!note.isEmpty())
            line.append("  # ").append(note.toUtf8());
        line.append('\n');
        m_file.write(line);
        m_file.flush(); // tests read the log while the board runs
    }

private:
    QFile m_file;
};

double probability(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return 0;
    bool ok = false;
    const double p = parser.value(option).toDouble(&ok);
    if (!ok || !(p >= 0 && p <= 1))
        fail(QStringLiteral("--%1 takes a fraction from 0 to 1").arg(option.names().first()));
    return p;
}

QString joinNotes(const QString &a, const QString &b)
{
    return a.isEmpty() ? b : b.isEmpty() ? a : a + QStringLiteral(", ") + b;
}

// Addresses as short as they go: "1-4,7".
QString addressText(const QVector<int> &addresses)
{
    QStringList parts;
    for (int i = 0; i < addresses.size();) {
        int j = i;
        while (j + 1 < addresses.size() && addresses[j + 1] == addresses[j] + 1)
            ++j;
        parts.append(j == i ? QString::number(addresses[i])
                            : QStringLiteral("%1-%2").arg(addresses[i]).arg(addresses[j]));
        i = j + 1;
    }
    return parts.join(QLatin1Char(','));
}

int integer(const QCommandLineParser &parser, const QCommandLineOption &option, int min, int max,
            int fallback)
{
    if (!parser.isSet(option))
        return fallback;
    bool ok = false;
    const int v = parser.value(option).toInt(&ok);
    if (!ok || v < min || v > max)
        fail(QStringLiteral("--%1 takes a whole number from %2 to %3")
                 .arg(option.names().first())
                 .arg(min)
                 .arg(max));
    return v;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("arvex-board-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated Arvex battery management board, or a bus of several, on a serial line. "
        "Prints the device path on the first line of standard output, then serves until "
        "interrupted.\n\n"
        "Several boards: --address 1-4 (or 1,2,5) puts one board at each address on the one "
        "line, each with its own pack, parameters and seed; only the addressed board answers. "
        "--line-rate 9600 sends as a wire at that rate would.\n\n"
        "Making a board absent while running: start with --control PATH, then\n"
        "  echo 'absent 3' > PATH     board 3 stops answering (a list or range too: absent 2,5-7)\n"
        "  echo 'present 3' > PATH    board 3 answers again\n"
        "The --log records each change as \"board 3 off the bus\" or \"board 3 back on the "
        "bus\".\n\n"
        "  echo books > PATH          the charge and energy each board's pack took in and gave "
        "out, from the model's own current and voltage, into the --log and on standard error "
        "(also written to the --log at exit)\n\n"
        "Forcing a reading, so the board's own protections and alarms trip on it with their "
        "delays (--force at start, or through --control):\n"
        "  echo 'force over-voltage:7' > PATH        cell 7 reads 1 mV past the cell over-voltage "
        "point\n"
        "  echo 'force over-temp:2:70 1,3' > PATH    sensor TS2 of boards 1 and 3 reads 70 degC\n"
        "  echo 'release over-voltage:7' > PATH      cell 7 reads as the pack makes it again\n"
        "  echo release > PATH                       every forcing ends\n"
        "KIND is over-voltage or under-voltage with a cell (VALUE in mV), over-temp, under-temp, "
        "alarm-high-temp or alarm-low-temp with a sensor 1 to 4 for TS1 to TS4 (VALUE in degC; "
        "the default is past the threshold of the side in use: charge while charging, discharge "
        "otherwise). Each forcing and release goes to the --log and standard error with the "
        "value used."));
    parser.addHelpOption();
    const QCommandLineOption linkOpt(QStringLiteral("link"),
                                     QStringLiteral("Also make a symbolic link at <path> to the "
                                                    "pseudo-terminal (removed at exit)."),
                                     QStringLiteral("path"));
    const QCommandLineOption deviceOpt(QStringLiteral("device"),
                                       QStringLiteral("Serve an existing tty instead of a "
                                                      "pseudo-terminal."),
                                       QStringLiteral("path"));
    const QCommandLineOption baudOpt(QStringLiteral("baud"),
                                     QStringLiteral("Baud rate for --device (default 9600)."),
                                     QStringLiteral("n"));
    const QCommandLineOption addressOpt(
        QStringLiteral("address"),
        QStringLiteral("Board address, 0 to 99 (default 1); several boards on the line: a list "
                       "and ranges such as 1,2,5 or 1-16 or 1,3,5-8."),
        QStringLiteral("list"));
    const QCommandLineOption lineRateOpt(
        QStringLiteral("line-rate"),
        QStringLiteral("Pace the line as a wire at this many bits per second (10 bit times a "
                       "byte): a request holds the line for its length before the board hears "
                       "it, and a reply of N bytes takes N byte times, last byte at the end. "
                       "Default: no pacing."),
        QStringLiteral("baud"));
    const QCommandLineOption absentOpt(
        QStringLiteral("absent"),
        QStringLiteral("Boards (a list or range of addresses) that start off the bus: silent "
                       "until made present through --control."),
        QStringLiteral("list"));
    const QCommandLineOption controlOpt(
        QStringLiteral("control"),
        QStringLiteral("Make a named pipe at <path> (removed at exit) that takes commands, one a "
                       "line: \"absent LIST\" takes boards off the bus, \"present LIST\" brings "
                       "them back, \"books [LIST]\" logs what their packs took in and gave out."),
        QStringLiteral("path"));
    const QCommandLineOption batteryNumberOpt(
        QStringLiteral("battery-number"),
        QStringLiteral("Battery number the replies state in their address field, 0 to 255, as "
                       "after a write of code 1D (default: the board's address); the board still "
                       "answers at its address."),
        QStringLiteral("n"));
    const QCommandLineOption cellsOpt(QStringLiteral("cells"),
                                      QStringLiteral("Cells in series, 1 to 25 (default 16)."),
                                      QStringLiteral("n"));
    const QCommandLineOption profileOpt(
        QStringLiteral("profile"),
        QStringLiteral("Current profile: cycle (default), charge, discharge, rest, or "
                       "AMPS:SECONDS,... repeated (positive charges)."),
        QStringLiteral("steps"));
    const QCommandLineOption socOpt(
        QStringLiteral("soc"),
        QStringLiteral("State of charge at start, % (default 50; with several "
                       "boards and no --soc, each starts within 20 "
                       "points of 50)."),
        QStringLiteral("percent"));
    const QCommandLineOption ambientOpt(QStringLiteral("ambient"),
                                        QStringLiteral("Ambient temperature, degC (default 25)."),
                                        QStringLiteral("degC"));
    const QCommandLineOption seedOpt(
        QStringLiteral("seed"),
        QStringLiteral("Seed for a repeatable run; with several boards, each board's "
                       "seed comes from it and the board's address."),
        QStringLiteral("n"));
    const QCommandLineOption weakCellOpt(
        QStringLiteral("weak-cell"),
        QStringLiteral("Give cell N (from 1) FACTOR times its internal resistance (default "
                       "2.5): a cell wearing out. Every cell's resistance goes to the --log at "
                       "start."),
        QStringLiteral("N[:FACTOR]"));
    const QCommandLineOption forceOpt(
        QStringLiteral("force"),
        QStringLiteral("Force a reading on every board from the start (repeatable): "
                       "over-voltage:CELL[:MV], under-voltage:CELL[:MV], over-temp:SENSOR[:DEGC], "
                       "under-temp:SENSOR[:DEGC], alarm-high-temp:SENSOR[:DEGC] or "
                       "alarm-low-temp:SENSOR[:DEGC]; SENSOR 1 to 4 for TS1 to TS4. Without a "
                       "value: just past the board's own threshold."),
        QStringLiteral("KIND:N[:VALUE]"));
    const QCommandLineOption staticOpt(QStringLiteral("static"),
                                       QStringLiteral("Freeze the measured values."));
    const QCommandLineOption speedOpt(QStringLiteral("speed"),
                                      QStringLiteral("Run the pack model x times faster."),
                                      QStringLiteral("x"));
    const QCommandLineOption dropOpt(QStringLiteral("drop"),
                                     QStringLiteral("Ignore this fraction of requests."),
                                     QStringLiteral("p"));
    const QCommandLineOption badCrcOpt(QStringLiteral("bad-crc"),
                                       QStringLiteral("Spoil the CRC of this fraction of "
                                                      "replies."),
                                       QStringLiteral("p"));
    const QCommandLineOption splitOpt(QStringLiteral("split"),
                                      QStringLiteral("Send each reply in pieces with short "
                                                     "gaps."));
    const QCommandLineOption delayOpt(QStringLiteral("delay"),
                                      QStringLiteral("Reply after this many milliseconds."),
                                      QStringLiteral("ms"));
    const QCommandLineOption noiseOpt(QStringLiteral("noise"),
                                      QStringLiteral("Send stray bytes in front of each reply."));
    const QCommandLineOption tildeOpt(QStringLiteral("stray-tilde"),
                                      QStringLiteral("Send a lone \"~\" in front of each reply."));
    const QCommandLineOption chatterOpt(QStringLiteral("chatter"),
                                        QStringLiteral("Send a stray byte every 5 ms, so the "
                                                       "line is never idle."));
    const QCommandLineOption signedOpt(QStringLiteral("signed-current"),
                                       QStringLiteral("Send the discharge current in two's "
                                                      "complement instead of its magnitude."));
    const QCommandLineOption unknownOpt(
        QStringLiteral("unknown-code"),
        QStringLiteral("Send the real-time data under a code the tool does not know (5A)."));
    const QCommandLineOption quitOpt(
        QStringLiteral("quit-mid-reply"),
        QStringLiteral("After <n> real-time replies, send half of the next one and quit."),
        QStringLiteral("n"));
    const QCommandLineOption dropBlockOpt(
        QStringLiteral("drop-block"),
        QStringLiteral("Ignore every request for the parameter block (code 52)."));
    const QCommandLineOption keepOpt(
        QStringLiteral("keep"),
        QStringLiteral("Take writes of this code (06, or the prefix :W++06+) and keep the old "
                       "value; may be given more than once."),
        QStringLiteral("code"));
    const QCommandLineOption garbageOpt(
        QStringLiteral("garbage"),
        QStringLiteral("Bytes of random data thrown at the line on SIGUSR2 (1048576)."),
        QStringLiteral("bytes"));
    const QCommandLineOption logOpt(QStringLiteral("log"),
                                    QStringLiteral("Log every frame received and sent to "
                                                   "<file>."),
                                    QStringLiteral("file"));
    parser.addOptions({ linkOpt,   deviceOpt,   baudOpt,   addressOpt, cellsOpt, profileOpt,
                        socOpt,    ambientOpt,  seedOpt,   staticOpt,  speedOpt, dropOpt,
                        badCrcOpt, splitOpt,    delayOpt,  noiseOpt,   tildeOpt, chatterOpt,
                        signedOpt, unknownOpt,  quitOpt,   garbageOpt, logOpt,   dropBlockOpt,
                        keepOpt,   lineRateOpt, absentOpt, controlOpt });
    parser.addOption(batteryNumberOpt);
    parser.addOption(weakCellOpt);
    parser.addOption(forceOpt);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
    if (parser.isSet(linkOpt) && parser.isSet(deviceOpt))
        fail(QStringLiteral("--link only applies to a pseudo-terminal, not to --device"));

    QVector<int> addresses{ 1 };
    QString listError;
    if (parser.isSet(addressOpt)) {
        addresses = parseAddressList(parser.value(addressOpt), &listError);
        if (addresses.isEmpty())
            fail(QStringLiteral("--address: %1").arg(listError));
    }
    QVector<int> absent;
    if (parser.isSet(absentOpt)) {
        absent = parseAddressList(parser.value(absentOpt), &listError);
        if (absent.isEmpty())
            fail(QStringLiteral("--absent: %1").arg(listError));
        for (int a : absent) {
            if (!addresses.contains(a))
                fail(QStringLiteral("--absent: there is no board at address %1").arg(a));
        }
    }
    const int lineRate = integer(parser, lineRateOpt, 50, 4000000, 0);
    const int cells = integer(parser, cellsOpt, 1, Telemetry::MaxCells, 16);
    const int baud = integer(parser, baudOpt, 1, 4000000, 9600);

    PackModel::Config config;
    config.cells = cells;
    config.socPercent = integer(parser, socOpt, 0, 100, 50);
    config.ambientC = integer(parser, ambientOpt, -40, 80, 25);
    uint32_t seed = QRandomGenerator::global()->generate();
    if (parser.isSet(seedOpt)) {
        bool ok = false;
        seed = parser.value(seedOpt).toUInt(&ok);
        if (!ok)
            fail(QStringLiteral("--seed takes a whole number from 0 to 4294967295"));
    }
    config.seed = seed;
    if (parser.isSet(profileOpt)) {
        QString error;
        config.profile = parseProfile(parser.value(profileOpt), &error);
        if (config.profile.isEmpty())
            fail(error);
    }
    if (parser.isSet(weakCellOpt)) {
        const QStringList parts = parser.value(weakCellOpt).split(QLatin1Char(':'));
        bool cellOk = false;
        bool factorOk = parts.size() == 1;
        const int weak = parts.value(0).trimmed().toInt(&cellOk);
        const double factor = parts.size() == 2 ? parts[1].trimmed().toDouble(&factorOk)
                                                : PackModel::DefaultWeakFactor;
        if (parts.size() > 2 || !cellOk || weak < 1 || weak > cells || !factorOk
            || !(factor > 0 && factor <= 100))
            fail(QStringLiteral("--weak-cell takes a cell from 1 to %1, optionally with a factor "
                                "above 0 up to 100: 7 or 7:2.5")
                     .arg(cells));
        config.weakCell = weak;
        config.weakFactor = factor;
    }
    QVector<Forcing> forcings;
    for (const QString &given : parser.values(forceOpt)) {
        Forcing f;
        QString error;
        if (!Forcing::parse(given, &f, &error))
            fail(QStringLiteral("--force %1").arg(error));
        if (f.onCell() && f.index > cells)
            fail(QStringLiteral("--force %1: there is no cell %2, the pack has %3 cells")
                     .arg(given)
                     .arg(f.index)
                     .arg(cells));
        forcings.append(f);
    }
    double speed = 1;
    if (parser.isSet(speedOpt)) {
        bool ok = false;
        speed = parser.value(speedOpt).toDouble(&ok);
        if (!ok || !(speed > 0 && speed <= 10000))
            fail(QStringLiteral("--speed takes a factor above 0, up to 10000"));
    }

    Board::Faults faults;
    faults.drop = probability(parser, dropOpt);
    faults.badCrc = probability(parser, badCrcOpt);
    faults.split = parser.isSet(splitOpt);
    faults.delayMs = integer(parser, delayOpt, 0, 60000, 0);
    faults.noise = parser.isSet(noiseOpt);
    faults.strayTilde = parser.isSet(tildeOpt);
    faults.signedCurrent = parser.isSet(signedOpt);
    faults.unknownCode = parser.isSet(unknownOpt);
    faults.quitMidReply = integer(parser, quitOpt, 1, 1000000, 0);
    faults.dropBlock = parser.isSet(dropBlockOpt);
    for (const QString &given : parser.values(keepOpt)) {
        // Two hex digits, alone or as in a write prefix (":W++06+", with or without address).
        const QStringList parts = given.split(QLatin1Char('+'), Qt::SkipEmptyParts);
        bool ok = false;
        const int code = parts.isEmpty() ? -1 : parts.last().toInt(&ok, 16);
        if (!ok || parts.last().size() != 2 || code < 0)
            fail(QStringLiteral("--keep takes a write code of two hex digits, e.g. 06 or "
                                ":W++06+, not %1")
                     .arg(given));
        faults.keep.append(code);
    }
    const int garbageBytes = integer(parser, garbageOpt, 1, 64 * 1024 * 1024, 1024 * 1024);

    TrafficLog log;
    if (parser.isSet(logOpt) && !log.open(parser.value(logOpt)))
        fail(QStringLiteral("cannot write the log %1").arg(parser.value(logOpt)));

    Bus bus(addresses, config, !parser.isSet(socOpt), faults);
    if (parser.isSet(batteryNumberOpt))
        bus.setBatteryNumber(integer(parser, batteryNumberOpt, 0, Board::MaxBatteryNumber, 0));

    SerialLine line;
    QString devicePath;
    QString error;
    if (parser.isSet(deviceOpt)) {
        devicePath = parser.value(deviceOpt);
        if (!line.openDevice(devicePath, baud, &error))
            fail(QStringLiteral("%1: %2").arg(devicePath, error));
    } else if (!line.openPty(&devicePath, &error)) {
        fail(error);
    }

    QByteArray linkPath;
    if (parser.isSet(linkOpt)) {
        linkPath = QFile::encodeName(parser.value(linkOpt));
        struct stat st = {};
        if (::lstat(linkPath.constData(), &st) == 0) {
            if (!S_ISLNK(st.st_mode))
                fail(QStringLiteral("%1 exists and is not a symbolic link")
                         .arg(parser.value(linkOpt)));
            ::unlink(linkPath.constData()); // a link left behind by an earlier run
        }
        if (::symlink(QFile::encodeName(devicePath).constData(), linkPath.constData()) != 0)
            fail(QStringLiteral("cannot make the link %1: %2")
                     .arg(parser.value(linkOpt), QString::fromLocal8Bit(strerror(errno))));
    }

    // Signals end the event loop, so the link is removed on the way out.
    if (::pipe2(g_signalPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        fail(QStringLiteral("pipe failed"));
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : { SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2 })
        ::sigaction(sig, &sa, nullptr);
    // SIGUSR1 ends the line faults, SIGUSR2 throws random bytes at the line; the rest quit.
    std::function<void()> clearFaults;
    std::function<void()> throwGarbage;
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
        char sig = 0;
        while (::read(g_signalPipe[0], &sig, 1) == 1) {
            if (sig == SIGUSR1)
                clearFaults();
            else if (sig == SIGUSR2)
                throwGarbage();
            else
                app.quit();
        }
    });

    Transmitter transmitter(
        Transmitter::Output{
            [&line](quint64 session) { return line.accepts(session); },
            [&line](const QByteArray &bytes, quint64 session) { line.write(bytes, session); },
            [&log](const char *direction, const QByteArray &frame, const QString &note) {
                log.write(direction, frame, note);
            } },
        lineRate);
    std::function<void()> pump;
    WakeTimer wake([&] { pump(); });
    if (!wake.isValid())
        fail(QStringLiteral("timerfd failed"));
    pump = [&] {
        transmitter.run(WakeTimer::nowNs());
        wake.wakeAt(transmitter.nextWakeNs());
    };

    // What a tool measuring the cells should find.
    for (int a : bus.addresses()) {
        const PackModel *model = bus.model(a);
        for (int i = 0; i < cells; ++i) {
            QString note = QStringLiteral("cell %1 internal resistance %2 mOhm")
                               .arg(i + 1)
                               .arg(model->cellResistanceOhm(i) * 1000, 0, 'f', 4);
            if (i + 1 == config.weakCell)
                note += QStringLiteral(" (weak: %1 times its own)").arg(config.weakFactor);
            if (bus.size() > 1)
                note = QStringLiteral("board %1: ").arg(a) + note;
            log.write("--", QByteArray(), note);
        }
    }

    // What is forced, and to what, in the log and on standard error: a test compares the tool's
    // findings with it.
    const auto say = [&log](const QString &note) {
        log.write("--", QByteArray(), note);
        std::fprintf(stderr, "arvex-board-sim: %s\n", qPrintable(note));
    };
    const auto force = [&](int address, const Forcing &forcing) {
        Forcing applied;
        QString problem;
        if (bus.force(address, forcing, &applied, &problem))
            say(bus.boardNote(address, QStringLiteral("forcing ") + applied.describe()));
        else
            say(QStringLiteral("control: %1").arg(problem));
    };
    for (const Forcing &f : qAsConst(forcings)) {
        for (int a : bus.addresses())
            force(a, f);
    }

    for (int a : absent) {
        bus.setPresent(a, false);
        log.write("--", QByteArray(), QStringLiteral("board %1 off the bus (--absent)").arg(a));
    }
    ControlPipe control([&](const QString &text) {
        QString problem;
        const ControlCommand command = parseControlCommand(text, &problem);
        const bool forcing =
            command.action == ControlCommand::Force || command.action == ControlCommand::Release;
        if (forcing && problem.isEmpty()) {
            const QVector<int> boards =
                command.addresses.isEmpty() ? bus.addresses() : command.addresses;
            for (int a : boards) {
                if (!bus.hasBoard(a)) {
                    say(QStringLiteral("control: there is no board at address %1").arg(a));
                } else if (command.action == ControlCommand::Force) {
                    force(a, command.forcing);
                } else if (command.hasPlace) {
                    say(bus.boardNote(a,
                                      bus.release(a, &command.forcing)
                                          ? QStringLiteral("released ") + command.forcing.place()
                                          : QStringLiteral("nothing forced on ")
                                              + command.forcing.place()));
                } else {
                    say(bus.boardNote(a,
                                      QStringLiteral("released %1 forced readings")
                                          .arg(bus.release(a, nullptr))));
                }
            }
            return;
        }
        if (command.books && problem.isEmpty()) {
            for (int a : command.addresses.isEmpty() ? bus.addresses() : command.addresses) {
                if (!bus.hasBoard(a))
                    continue;
                log.write("--", QByteArray(), bus.booksText(a));
                std::fprintf(stderr, "arvex-board-sim: %s\n", qPrintable(bus.booksText(a)));
            }
            return;
        }
        for (int a : command.addresses) {
            if (!bus.hasBoard(a))
                problem = QStringLiteral("there is no board at address %1").arg(a);
        }
        if (command.addresses.isEmpty() || !problem.isEmpty()) {
            std::fprintf(stderr, "arvex-board-sim: control: %s\n", qPrintable(problem));
            log.write("--", QByteArray(), QStringLiteral("control: %1").arg(problem));
            return;
        }
        for (int a : command.addresses) {
            bus.setPresent(a, command.present);
            log.write("--", QByteArray(),
                      (command.present ? QStringLiteral("board %1 back on the bus")
                                       : QStringLiteral("board %1 off the bus"))
                          .arg(a));
        }
    });
    if (parser.isSet(controlOpt) && !control.open(parser.value(controlOpt), &error))
        fail(error);

    FrameSplitter splitter;
    QElapsedTimer clock;
    clock.start();
    bool quitting = false;
    line.setReceiver([&](const QByteArray &bytes) {
        const qint64 now = WakeTimer::nowNs();
        bool collided = false;
        const qint64 heardAt = transmitter.received(bytes.size(), now, &collided);
        for (const FrameSplitter::Chunk &chunk : splitter.feed(bytes)) {
            if (quitting)
                break;
            QString note =
                collided ? QStringLiteral("came while the board was sending") : QString();
            if (!chunk.isFrame) {
                log.write("RX", chunk.bytes, joinNotes(QStringLiteral("stray bytes"), note));
                continue;
            }
            const Board::Outcome outcome = bus.handle(chunk.bytes, clock.elapsed());
            log.write("RX", chunk.bytes, joinNotes(outcome.note, note));
            transmitter.enqueue(outcome.pieces, line.session(), now, heardAt);
            if (outcome.quit) {
                quitting = true;
                // Time for the half reply to cross the wire and reach the client.
                const qint64 wireMs = outcome.pieces.isEmpty()
                    ? 0
                    : outcome.pieces.first().bytes.size() * transmitter.byteNs() / 1'000'000;
                QTimer::singleShot(int(QuitGraceMs + wireMs), &app, &QCoreApplication::quit);
            }
        }
        pump();
    });

    line.setClosedHandler([&](const QString &reason) {
        std::fprintf(stderr, "arvex-board-sim: %s: %s\n", qPrintable(devicePath),
                     qPrintable(reason));
        app.exit(1);
    });

    // The model moves by the time that really passed, so its books match the clock's; frozen
    // values still carry their current.
    QTimer tick;
    QElapsedTimer sinceTick;
    const bool frozen = parser.isSet(staticOpt);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double seconds = sinceTick.restart() / 1000.0 * speed;
        if (frozen)
            bus.keepBooks(seconds);
        else
            bus.step(seconds);
    });
    sinceTick.start();
    tick.start(TickMs);

    QTimer chatter;
    if (parser.isSet(chatterOpt)) {
        chatter.setTimerType(Qt::PreciseTimer);
        QObject::connect(&chatter, &QTimer::timeout, [&] {
            // Never inside a reply: a stray byte there would spoil the frame.
            if (transmitter.isIdle())
                line.write(QByteArrayLiteral("."));
        });
        chatter.start(ChatterMs);
        log.write("--", QByteArray(), QStringLiteral("chatter: a stray byte every 5 ms"));
    }

    clearFaults = [&] {
        bus.clearLineFaults();
        chatter.stop();
        log.write("--", QByteArray(), QStringLiteral("line faults cleared"));
    };

    // Random bytes, a piece at a time as the line drains, between the replies.
    QTimer garbage;
    int garbageLeft = 0;
    std::mt19937 garbageRng(seed);
    QObject::connect(&garbage, &QTimer::timeout, [&] {
        if (line.hasPendingOutput() || !transmitter.isIdle())
            return;
        QByteArray piece(std::min(garbageLeft, GarbagePieceBytes), Qt::Uninitialized);
        for (char &c : piece)
            c = char(garbageRng());
        line.write(piece);
        garbageLeft -= piece.size();
        if (garbageLeft == 0) {
            garbage.stop();
            log.write("--", QByteArray(),
                      QStringLiteral("%1 random bytes thrown").arg(garbageBytes));
        }
    });
    throwGarbage = [&] {
        if (garbage.isActive())
            return;
        garbageLeft = garbageBytes;
        log.write("--", QByteArray(), QStringLiteral("throwing %1 random bytes").arg(garbageBytes));
        garbage.start(1);
    };

    std::printf("%s\n", qPrintable(devicePath));
    std::fflush(stdout);
    const QString boards = addresses.size() == 1
        ? QStringLiteral("board at address %1").arg(addresses.first())
        : QStringLiteral("%1 boards at addresses %2")
              .arg(addresses.size())
              .arg(addressText(addresses));
    std::fprintf(stderr, "arvex-board-sim: %s with %d cells on %s (seed %u)%s%s\n",
                 qPrintable(boards), cells, qPrintable(devicePath), seed,
                 lineRate > 0 ? qPrintable(QStringLiteral(", paced at %1 baud").arg(lineRate)) : "",
                 linkPath.isEmpty()
                     ? ""
                     : qPrintable(QStringLiteral(", linked from ") + QFile::decodeName(linkPath)));

    const int status = app.exec();
    for (int a : bus.addresses())
        log.write("--", QByteArray(), bus.booksText(a));

    if (!linkPath.isEmpty()) {
        // Remove the link only while it still points at this run's device.
        char target[4096];
        const ssize_t n = ::readlink(linkPath.constData(), target, sizeof target - 1);
        if (n > 0 && QByteArray(target, int(n)) == QFile::encodeName(devicePath))
            ::unlink(linkPath.constData());
    }
    return status;
}
