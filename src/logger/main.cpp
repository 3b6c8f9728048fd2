// arvex-logger: polls Arvex boards without a window and records, prints or publishes every reply.
#include "loggeroptions.h"
#include "loggerrun.h"
#include "metricsexporter.h"
#include "mqttpublisher.h"
#include "portlist.h"
#include "profilecommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QTranslator>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char c = 1;
    const ssize_t n = ::write(g_signalPipe[1], &c, 1);
    (void)n;
}

// The line's own diagnostics (every time-out, every busy line) are qDebug lines: a silent board
// would write a dozen a second, so they reach standard error only with --verbose.
QtMessageHandler g_defaultHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg)
        return;
    g_defaultHandler(type, context, message);
}

// One signal taken from the pipe, so the next one is news of its own.
void takeSignal()
{
    char c = 0;
    const ssize_t n = ::read(g_signalPipe[0], &c, 1);
    (void)n;
}

// SIGTERM (systemd, kill) and SIGINT (Ctrl+C) are taken from the start, so whatever runs
// ends from the event loop: a profile job after what is on the line, a logging run with its
// files closed and "offline" published. Until the loop runs, a signal waits in the pipe.
bool watchSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN); // a closed pipe on standard output ends nothing by itself
    return true;
}

int refuse(const QString &line)
{
    std::fprintf(stderr, "arvex-logger: %s\n", qPrintable(line));
    return LoggerCommandLine::RefusedExitCode;
}

// The captions of the CSV header in the language asked for: the window's own translation files,
// from the program's folder (a build) or the installed data folder.
void loadLanguage(int language)
{
    static const char *const Files[] = { "KORVA_Lang_zh.qm", "KORVA_Lang.qm", "KORVA_Lang_de.qm" };
    if (language < 0 || language > 2)
        return;
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString dir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    for (const QString &place : { dir, dir + QStringLiteral(ARVEX_TRANSLATIONS_FROM_BIN "/") }) {
        if (translator->load(place + QLatin1String(Files[language]))) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    if (language != 0) // Chinese is the captions' own language
        std::fprintf(stderr, "arvex-logger: no translation file %s; the CSV header is in Chinese\n",
                     Files[language]);
}

// A pseudo-terminal (the simulated board) is not in the system's port list; it is added, so the
// line is watched and found again like an adapter.
void listPort(const QString &port)
{
    if (!port.startsWith(QLatin1Char('/')))
        return;
    const QString target = QFileInfo(port).canonicalFilePath();
    if (!target.isEmpty() && target.startsWith(QLatin1String("/dev/"))
        && !target.startsWith(QLatin1String("/dev/pts/")))
        return; // a device of the system's own
    QByteArray extra = qgetenv("ARVEX_EXTRA_PORTS");
    const QByteArray path = QFile::encodeName(port);
    if (extra.split(':').contains(path))
        return;
    qputenv("ARVEX_EXTRA_PORTS", extra.isEmpty() ? path : extra + ':' + path);
}

// --save-profile, --check-profile, --apply-profile: one job on the line, then the exit code
// it gives. An apply is recorded in apply-log.csv in the CSV folder, or in the current one. A
// signal stops the job after what is on the line (a second one at once): what was done is
// recorded and printed, and the exit code is 1.
int runProfile(const LoggerOptions &options, QSocketNotifier *signalNotifier)
{
    BoardSession session;
    BoardSession::LineSettings line;
    line.port = options.port;
    line.baud = options.baud;
    line.address = options.addresses.value(0, 1);
    line.periodMs = options.periodMs;
    if (!session.open(line)) {
        std::fprintf(stderr, "arvex-logger: cannot open %s: %s\n", qPrintable(options.port),
                     qPrintable(session.port().errorString()));
        return 1;
    }
    session.startPolling();
    ProfileJob::Kind kind = ProfileJob::Kind::Save;
    if (options.profileAction == LoggerOptions::ProfileAction::Check)
        kind = ProfileJob::Kind::Check;
    else if (options.profileAction == LoggerOptions::ProfileAction::Apply)
        kind = ProfileJob::Kind::Apply;
    const QString audit = kind == ProfileJob::Kind::Apply
        ? QDir(options.csvDir.isEmpty() ? QDir::currentPath() : options.csvDir)
              .filePath(QStringLiteral("apply-log.csv"))
        : QString();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = runProfileCommand(
        &session, kind, options.profileFile, options.addresses, out, err, audit,
        [signalNotifier](ProfileJob *job) {
            QObject::connect(signalNotifier, &QSocketNotifier::activated, job, [job] {
                takeSignal();
                job->stop();
            });
        });
    session.close();
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("arvex-logger"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ARVEX_VERSION));
    if (!watchSignals())
        return refuse(QStringLiteral("cannot watch for signals"));
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);

    const LoggerCommandLine::Result parsed = LoggerCommandLine::parse(app.arguments());
    switch (parsed.action) {
    case LoggerCommandLine::Action::Help:
        std::fputs(qPrintable(LoggerCommandLine::helpText()), stdout);
        return 0;
    case LoggerCommandLine::Action::Version:
        std::printf("%s\n", qPrintable(parsed.message));
        return 0;
    case LoggerCommandLine::Action::Refuse:
        return refuse(parsed.message);
    case LoggerCommandLine::Action::Run:
        break;
    }
    const LoggerOptions &options = parsed.options;
    if (!options.verbose)
        g_defaultHandler = qInstallMessageHandler(quietHandler);
    if (options.profileAction != LoggerOptions::ProfileAction::None) {
        loadLanguage(options.language);
        listPort(options.port);
        return runProfile(options, &signalNotifier);
    }

    // The port is taken first, so a run that cannot serve its metrics ends before it connects
    // to anything. The endpoint asks the run for the packs at each scrape, from the event loop.
    LoggerRun *running = nullptr;
    std::unique_ptr<MetricsExporter> metrics;
    if (options.metricsPort > 0) {
        metrics = std::make_unique<MetricsExporter>(
            [&running] { return running ? running->metrics() : PackMetrics::Bank(); });
        QString error;
        if (!metrics->listen(options.metricsAddress, options.metricsPort, &error)) {
            // Like a line that cannot be opened: the service may try again later.
            std::fprintf(stderr, "arvex-logger: cannot serve metrics on %s:%d: %s\n",
                         qPrintable(options.metricsAddress), options.metricsPort,
                         qPrintable(error));
            return 1;
        }
    }

    std::unique_ptr<MqttPublisher> mqtt;
    if (!options.mqttUrl.isEmpty()) {
        const QString why = MqttPublisher::checkUrl(options.mqttUrl);
        if (!why.isEmpty())
            return refuse(QStringLiteral("--mqtt '%1': %2").arg(options.mqttUrl, why));
        MqttPublisher::Settings settings;
        settings.url = options.mqttUrl;
        settings.user = options.mqttUser;
        settings.caFile = options.mqttCaFile;
        settings.prefix = options.mqttPrefix;
        settings.haDiscovery = options.haDiscovery;
        settings.haPrefix = options.haPrefix;
        settings.periodMs = options.periodMs;
        settings.softwareVersion = QCoreApplication::applicationVersion();
        settings.supportUrl = QStringLiteral(ARVEX_SUPPORT_URL);
        settings.loggerId = QSysInfo::machineHostName();
        // Never from the command line, where every user of the machine can read it.
        QString error, from;
        if (!LoggerCommandLine::lookUpPassword(
                options.mqttPasswordFile, qEnvironmentVariable("CREDENTIALS_DIRECTORY"),
                qgetenv(LoggerCommandLine::PasswordVariable), &settings.password, &from, &error))
            return refuse(error);
        mqtt = std::make_unique<MqttPublisher>(settings);
        // --once says in one line at its end whether its states reached the broker.
        if (!options.once) {
            const auto say = [](const QString &line) {
                std::fprintf(stderr, "arvex-logger: %s\n", qPrintable(line));
            };
            QObject::connect(mqtt.get(), &MqttPublisher::problem, say);
            QObject::connect(mqtt.get(), &MqttPublisher::news, say);
        }
        if (!mqtt->start(&error))
            return refuse(QStringLiteral("--mqtt: %1").arg(error));
    }

    loadLanguage(options.language);
    listPort(options.port);

    LoggerRun run(options, mqtt.get(), stdout);
    running = &run;
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &run, [&run] {
        takeSignal();
        run.stop();
    });
    QObject::connect(&run, &LoggerRun::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    run.start();
    const int code = app.exec();
    metrics.reset();
    mqtt.reset();
    return code;
}
