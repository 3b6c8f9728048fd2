#include "loggeroptions.h"

#include "addresslist.h"
#include "startoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace LoggerCommandLine {

namespace {

enum class Kind { Value, Flag, Action };

// Every key, in the order --help lists them. A key of kind Value or Flag may also stand in the
// configuration file; actions only on the command line.
struct Key
{
    const char *name;
    Kind kind;
    const char *valueName;
    const char *help;
};

const Key Keys[] = {
    { "port", Kind::Value, "PATH",
      "Serial port: a name such as ttyUSB0, a device path or a /dev/serial/by-id/ name." },
    { "baud", Kind::Value, "N", "Baud rate: 9600 (default), 19200, 38400 or 115200." },
    { "address", Kind::Value, "LIST",
      "Board address, 0 to 99 (default 1), or a list of them such as 1,3,5-8." },
    { "scan", Kind::Value, "RANGE",
      "First look for boards at the addresses from the lowest to the highest of RANGE (such as "
      "1-16), asking each twice; the boards found are polled instead of --address." },
    { "period", Kind::Value, "TIME",
      "Poll period: milliseconds, or a number with ms, s, min or h; 300 ms to 1 h (default "
      "1000)." },
    { "lang", Kind::Value, "zh|en|de", "Language of the CSV header (default zh)." },
    { "csv", Kind::Value, "DIR",
      "Record every reply to CSV files in DIR: one file per pack, a new one at start and at "
      "midnight." },
    { "state", Kind::Value, "DIR",
      "Keep each pack's energy books (charged and discharged, per day and in total) in DIR, so "
      "a restart continues them (default: $STATE_DIRECTORY, which systemd sets for the "
      "service; without either they start anew at every run)." },
    { "json", Kind::Flag, nullptr, "Print one JSON object per reply on standard output." },
    { "once", Kind::Flag, nullptr,
      "Poll once, print one JSON object per pack and exit: 0, or 1 when a pack does not answer "
      "within three tries or, with --mqtt, the broker did not acknowledge within 10 s." },
    { "mqtt", Kind::Value, "URL", "Publish to the broker at mqtt://host[:port] or mqtts://..." },
    { "mqtt-user", Kind::Value, "NAME", "User name at the broker." },
    { "mqtt-password-file", Kind::Value, "FILE",
      "The broker password, first line of FILE (readable by its owner only). Otherwise the "
      "credential mqtt-password that systemd passes (LoadCredential=), then the environment "
      "variable ARVEX_MQTT_PASSWORD." },
    { "mqtt-cafile", Kind::Value, "FILE", "CA certificates for mqtts (default: the system's)." },
    { "mqtt-prefix", Kind::Value, "PREFIX", "First level of the MQTT topics (default arvex)." },
    { "ha-discovery", Kind::Flag, nullptr, "Announce the packs to Home Assistant over MQTT." },
    { "metrics", Kind::Value, "[ADDRESS:]PORT",
      "Serve Prometheus metrics at http://ADDRESS:PORT/metrics; ADDRESS is an IPv4 address of "
      "this machine (default 127.0.0.1, 0.0.0.0 for every interface)." },
    { "alert-spread", Kind::Value, "MV",
      "An event while the highest cell is more than MV above the lowest (1 to 2000; 0 or absent: "
      "off): on standard error, --json and MQTT, and in the events file beside the CSV." },
    { "alert-low-soc", Kind::Value, "PERCENT",
      "An event while the state of charge is below PERCENT (1 to 99; 0 or absent: off)." },
    { "verbose", Kind::Flag, nullptr,
      "Also print the line's diagnostics (every time-out, every busy line) on standard error." },
    { "ha-prefix", Kind::Value, "PREFIX",
      "First level of the discovery topics, as Home Assistant is set up to read them (default "
      "homeassistant)." },
    { "config", Kind::Action, "FILE",
      "Read settings from FILE: lines \"key = value\" with the keys of these options (json = "
      "true); the command line wins." },
    { "save-profile", Kind::Action, "FILE", "Save the board's parameters to FILE and exit." },
    { "check-profile", Kind::Action, "FILE", "Compare the board's parameters with FILE and exit." },
    { "apply-profile", Kind::Action, "FILE", "Write FILE's parameters to the board and exit." },
};

const Key *findKey(const QString &name)
{
    for (const Key &key : Keys) {
        if (name == QLatin1String(key.name))
            return &key;
    }
    return nullptr;
}

// A setting with where it came from, for the message that refuses it.
struct Setting
{
    QString value;
    QString origin; // "--period" or "logger.conf:3: period"
};

Result refuse(const QString &why)
{
    Result result;
    result.action = Action::Refuse;
    result.message = why;
    return result;
}

bool readFlag(const QString &text, bool *on)
{
    static const char *const Yes[] = { "true", "yes", "on", "1" };
    static const char *const No[] = { "false", "no", "off", "0" };
    const QString t = text.trimmed().toLower();
    for (const char *word : Yes) {
        if (t == QLatin1String(word))
            return (*on = true);
    }
    for (const char *word : No) {
        if (t == QLatin1String(word)) {
            *on = false;
            return true;
        }
    }
    return false;
}

// An empty string when url is a broker address this program can use.
QString checkBrokerUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts")))
        return QStringLiteral("is not mqtt://host[:port] or mqtts://host[:port]");
    if (url.host().isEmpty())
        return QStringLiteral("names no host");
    if (!url.userInfo().isEmpty())
        return QStringLiteral("holds a user or password: use --mqtt-user and "
                              "--mqtt-password-file");
    if ((!url.path().isEmpty() && url.path() != QLatin1String("/")) || url.hasQuery()
        || url.hasFragment())
        return QStringLiteral("has more than a host and a port");
    if (url.port() == 0)
        return QStringLiteral("has port 0");
    return QString();
}

bool isTopicPrefix(const QString &prefix)
{
    return !prefix.isEmpty() && !prefix.contains(QLatin1Char('+'))
        && !prefix.contains(QLatin1Char('#')) && !prefix.contains(QChar(0))
        && !prefix.startsWith(QLatin1Char('/')) && !prefix.endsWith(QLatin1Char('/'))
        && prefix.toUtf8().size() < 200;
}

} // namespace

bool parseConfig(const QByteArray &text, QVector<ConfigEntry> *entries, QString *error)
{
    entries->clear();
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        const auto fail = [&](const QString &why) {
            *error = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
            entries->clear();
            return false;
        };
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))
            || line.startsWith(QLatin1Char(';')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return fail(QStringLiteral("not \"key = value\""));
        ConfigEntry entry;
        entry.key = line.left(eq).trimmed();
        entry.value = line.mid(eq + 1).trimmed();
        entry.line = i + 1;
        if (entry.value.size() >= 2 && entry.value.startsWith(QLatin1Char('"'))
            && entry.value.endsWith(QLatin1Char('"')))
            entry.value = entry.value.mid(1, entry.value.size() - 2);
        else if (entry.value.contains(QLatin1Char('"')))
            return fail(QStringLiteral("a value in quotes must be quoted whole"));
        for (const ConfigEntry &earlier : qAsConst(*entries)) {
            if (earlier.key == entry.key)
                return fail(QStringLiteral("%1 was given on line %2 already")
                                .arg(entry.key)
                                .arg(earlier.line));
        }
        entries->append(entry);
    }
    return true;
}

QVector<int> parseAddresses(const QString &text)
{
    const QVector<int> addresses = AddressList::parse(text);
    // Each address once: a list that names one twice is most likely mistyped.
    int named = 0;
    for (const QString &part : text.split(QLatin1Char(',')))
        named += AddressList::parse(part).size();
    return named == addresses.size() ? addresses : QVector<int>();
}

int parsePeriod(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*(ms|s|min|h)?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return -1;
    const QString unit = m.captured(2);
    const double scale = unit == QLatin1String("s") ? 1000.0
        : unit == QLatin1String("min")              ? 60000.0
        : unit == QLatin1String("h")                ? 3600000.0
                                                    : 1.0;
    // "0.3s" is 300 ms, not 300.00000000000006; a fraction of a millisecond is refused.
    const double ms = m.captured(1).toDouble() * scale;
    const double whole = std::round(ms);
    if (!(whole >= PeriodMinMs && whole <= PeriodMaxMs) || std::abs(ms - whole) > 1e-6)
        return -1;
    return int(whole);
}

int parseAlert(const QString &text, const QString &unit, int max)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,9})\\s*(\\S*)\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || (!m.captured(2).isEmpty() && m.captured(2) != unit))
        return -1;
    const int value = m.captured(1).toInt();
    return value <= max ? value : -1;
}

bool parseListenAddress(const QString &text, QString *address, int *port)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3}):)?(\\d{1,5})$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    const int number = m.captured(5).toInt();
    if (number < 1 || number > 65535)
        return false;
    QString dotted = QStringLiteral("127.0.0.1");
    if (!m.captured(1).isEmpty()) {
        QStringList parts;
        for (int i = 1; i <= 4; ++i) {
            const int part = m.captured(i).toInt();
            if (part > 255)
                return false;
            parts << QString::number(part);
        }
        dotted = parts.join(QLatin1Char('.'));
    }
    *address = dotted;
    *port = number;
    return true;
}

bool readPasswordFile(const QString &path, QString *password, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        *error = QStringLiteral("--mqtt-password-file %1 is not a file").arg(path);
        return false;
    }
    // A password others can read is no secret: refused rather than used.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther;
    if (info.permissions() & others) {
        *error = QStringLiteral("--mqtt-password-file %1 can be read or changed by others; "
                                "make it readable by its owner only (chmod 600)")
                     .arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("--mqtt-password-file %1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    *password = QString::fromUtf8(line);
    return true;
}

bool lookUpPassword(const QString &passwordFile, const QString &credentialsDirectory,
                    const QByteArray &environment, QString *password, QString *from, QString *error)
{
    password->clear();
    from->clear();
    if (!passwordFile.isEmpty()) {
        if (!readPasswordFile(passwordFile, password, error))
            return false;
        *from = QStringLiteral("--mqtt-password-file %1").arg(passwordFile);
        return true;
    }
    if (!credentialsDirectory.isEmpty()) {
        // systemd made the folder and its files readable by this service alone: no check of the
        // mode, which differs with how it copied them (owner or access list).
        QFile credential(credentialsDirectory + QLatin1Char('/')
                         + QLatin1String(PasswordCredential));
        if (credential.exists()) {
            if (!credential.open(QIODevice::ReadOnly)) {
                *error = QStringLiteral("the credential %1: %2")
                             .arg(credential.fileName(), credential.errorString());
                return false;
            }
            QByteArray line = credential.readLine(4096);
            while (line.endsWith('\n') || line.endsWith('\r'))
                line.chop(1);
            if (!line.isEmpty()) {
                *password = QString::fromUtf8(line);
                *from = QStringLiteral("the credential %1").arg(QLatin1String(PasswordCredential));
                return true;
            }
        }
    }
    if (!environment.isEmpty()) {
        *password = QString::fromUtf8(environment);
        *from = QLatin1String(PasswordVariable);
    }
    return true;
}

Result parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({ QStringLiteral("h"), QStringLiteral("help") },
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({ QStringLiteral("v"), QStringLiteral("version") },
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    for (const Key &key : Keys) {
        parser.addOption(key.kind == Kind::Flag
                             ? QCommandLineOption(QLatin1String(key.name), QLatin1String(key.help))
                             : QCommandLineOption(QLatin1String(key.name), QLatin1String(key.help),
                                                  QLatin1String(key.valueName)));
    }
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        Result result;
        result.action = Action::Help;
        return result;
    }
    if (parser.isSet(version)) {
        Result result;
        result.action = Action::Version;
        result.message = QCoreApplication::applicationName() + QLatin1Char(' ')
            + QCoreApplication::applicationVersion();
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse(
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));

    Result result;
    LoggerOptions &o = result.options;
    QHash<QString, Setting> settings;

    // The configuration file first, so the command line can override it.
    if (parser.isSet(QStringLiteral("config"))) {
        o.configFile = parser.value(QStringLiteral("config"));
        QFile file(o.configFile);
        if (!file.open(QIODevice::ReadOnly))
            return refuse(QStringLiteral("--config %1: %2").arg(o.configFile, file.errorString()));
        QVector<ConfigEntry> entries;
        QString error;
        if (!parseConfig(file.readAll(), &entries, &error))
            return refuse(QStringLiteral("%1: %2").arg(o.configFile, error));
        for (const ConfigEntry &entry : qAsConst(entries)) {
            const QString origin =
                QStringLiteral("%1:%2: %3").arg(o.configFile).arg(entry.line).arg(entry.key);
            const Key *key = findKey(entry.key);
            if (!key)
                return refuse(QStringLiteral("%1 is not a setting").arg(origin));
            if (key->kind == Kind::Action)
                return refuse(
                    QStringLiteral("%1 can only be given on the command line").arg(origin));
            settings.insert(entry.key, Setting{ entry.value, origin });
        }
    }
    for (const Key &key : Keys) {
        const QString name = QLatin1String(key.name);
        if (!parser.isSet(name))
            continue;
        const QString origin = QStringLiteral("--") + name;
        if (key.kind != Kind::Flag && parser.values(name).size() > 1)
            return refuse(QStringLiteral("%1 was given more than once").arg(origin));
        settings.insert(
            name,
            Setting{ key.kind == Kind::Flag ? QStringLiteral("true") : parser.value(name),
                     origin });
    }

    const auto bad = [](const Setting &s, const QString &why) {
        return refuse(QStringLiteral("%1 '%2' %3").arg(s.origin, s.value, why));
    };
    const auto has = [&settings](const char *name) {
        return settings.contains(QLatin1String(name));
    };
    const auto get = [&settings](const char *name) { return settings.value(QLatin1String(name)); };

    // Flags: given on the command line, or true/false in the file.
    struct FlagField
    {
        const char *name;
        bool *field;
    };
    for (const FlagField &f :
         { FlagField{ "json", &o.json }, FlagField{ "once", &o.once },
           FlagField{ "ha-discovery", &o.haDiscovery }, FlagField{ "verbose", &o.verbose } }) {
        if (has(f.name) && !readFlag(get(f.name).value, f.field))
            return bad(get(f.name), QStringLiteral("is not true or false"));
    }

    if (!has("port") || get("port").value.trimmed().isEmpty())
        return refuse(QStringLiteral("--port is needed: the serial port the board is on"));
    o.port = get("port").value.trimmed();
    if (has("baud")) {
        bool ok = false;
        o.baud = get("baud").value.toInt(&ok);
        if (!ok || !StartLimits::isBaudRate(o.baud))
            return bad(get("baud"), QStringLiteral("is not one of 9600, 19200, 38400, 115200"));
    }
    if (has("scan")) {
        o.scan = parseAddresses(get("scan").value);
        if (o.scan.isEmpty())
            return bad(get("scan"), QStringLiteral("is not a range of addresses such as 1-16"));
        std::sort(o.scan.begin(), o.scan.end());
    }
    if (has("address")) {
        o.addresses = parseAddresses(get("address").value);
        if (o.addresses.isEmpty())
            return bad(get("address"),
                       QStringLiteral("is not an address from 0 to 99 or a list such as "
                                      "1,3,5-8 (each address once)"));
    }
    if (has("period")) {
        o.periodMs = parsePeriod(get("period").value);
        if (o.periodMs < 0)
            return bad(get("period"), QStringLiteral("is not a period from 300 ms to 1 h"));
    }
    if (has("lang")) {
        o.language = StartLimits::languageIndex(get("lang").value.trimmed());
        if (o.language < 0)
            return bad(get("lang"), QStringLiteral("is not one of zh, en, de"));
    }
    if (has("csv")) {
        o.csvDir = get("csv").value.trimmed();
        if (o.csvDir.isEmpty())
            return bad(get("csv"), QStringLiteral("is not a folder"));
    }
    if (has("state")) {
        o.stateDir = get("state").value.trimmed();
        if (o.stateDir.isEmpty())
            return bad(get("state"), QStringLiteral("is not a folder"));
    }

    if (has("mqtt")) {
        o.mqttUrl = get("mqtt").value.trimmed();
        const QString why = checkBrokerUrl(o.mqttUrl);
        if (!why.isEmpty())
            return bad(get("mqtt"), why);
    }
    static const char *const MqttOnly[] = { "mqtt-user",   "mqtt-password-file", "mqtt-cafile",
                                            "mqtt-prefix", "ha-discovery",       "ha-prefix" };
    for (const char *name : MqttOnly) {
        if (has(name) && o.mqttUrl.isEmpty())
            return refuse(QStringLiteral("%1 needs --mqtt").arg(get(name).origin));
    }
    o.mqttUser = get("mqtt-user").value;
    o.mqttPasswordFile = get("mqtt-password-file").value;
    o.mqttCaFile = get("mqtt-cafile").value;
    if (has("mqtt-password-file") && o.mqttPasswordFile.isEmpty())
        return bad(get("mqtt-password-file"), QStringLiteral("is not a file"));
    if (has("mqtt-cafile") && !QFileInfo(o.mqttCaFile).isFile())
        return bad(get("mqtt-cafile"), QStringLiteral("is not a file"));
    if (has("mqtt-cafile") && !o.mqttUrl.startsWith(QLatin1String("mqtts:")))
        return refuse(QStringLiteral("%1 needs an mqtts:// broker").arg(get("mqtt-cafile").origin));
    if (has("mqtt-prefix")) {
        o.mqttPrefix = get("mqtt-prefix").value;
        if (!isTopicPrefix(o.mqttPrefix))
            return bad(get("mqtt-prefix"),
                       QStringLiteral("is not a topic prefix (no +, #, or / at either end)"));
    }
    if (has("ha-prefix")) {
        if (!o.haDiscovery)
            return refuse(QStringLiteral("%1 needs --ha-discovery").arg(get("ha-prefix").origin));
        o.haPrefix = get("ha-prefix").value;
        if (!isTopicPrefix(o.haPrefix))
            return bad(get("ha-prefix"),
                       QStringLiteral("is not a topic prefix (no +, #, or / at either end)"));
    }

    if (has("alert-spread")) {
        o.alertSpreadMv =
            parseAlert(get("alert-spread").value, QStringLiteral("mV"), AlertSpreadMaxMv);
        if (o.alertSpreadMv < 0)
            return bad(get("alert-spread"),
                       QStringLiteral("is not a cell spread in mV from 1 to %1 (0: off)")
                           .arg(AlertSpreadMaxMv));
    }
    if (has("alert-low-soc")) {
        o.alertLowSocPercent =
            parseAlert(get("alert-low-soc").value, QStringLiteral("%"), AlertLowSocMaxPercent);
        if (o.alertLowSocPercent < 0)
            return bad(get("alert-low-soc"),
                       QStringLiteral("is not a state of charge in % from 1 to %1 (0: off)")
                           .arg(AlertLowSocMaxPercent));
    }

    if (has("metrics")
        && !parseListenAddress(get("metrics").value, &o.metricsAddress, &o.metricsPort))
        return bad(get("metrics"),
                   QStringLiteral("is not [ADDRESS:]PORT with an IPv4 address and a port from 1 "
                                  "to 65535, such as 9184 or 0.0.0.0:9184"));

    // The profile commands do one job on the board and exit; one at a time.
    struct ProfileKey
    {
        const char *name;
        LoggerOptions::ProfileAction action;
    };
    for (const ProfileKey &p :
         { ProfileKey{ "save-profile", LoggerOptions::ProfileAction::Save },
           ProfileKey{ "check-profile", LoggerOptions::ProfileAction::Check },
           ProfileKey{ "apply-profile", LoggerOptions::ProfileAction::Apply } }) {
        if (!has(p.name))
            continue;
        if (o.profileAction != LoggerOptions::ProfileAction::None)
            return refuse(QStringLiteral("--save-profile, --check-profile and --apply-profile "
                                         "exclude each other"));
        o.profileAction = p.action;
        o.profileFile = get(p.name).value;
        if (o.profileFile.trimmed().isEmpty())
            return bad(get(p.name), QStringLiteral("is not a file name"));
    }
    if (o.profileAction != LoggerOptions::ProfileAction::None && (o.once || o.json))
        return refuse(QStringLiteral("a profile command cannot be combined with --once or --json"));
    // The endpoint is for a logger left running, scraped again and again.
    if (has("metrics") && (o.once || o.profileAction != LoggerOptions::ProfileAction::None))
        return refuse(QStringLiteral("%1 cannot be combined with --once or a profile command")
                          .arg(get("metrics").origin));
    return result;
}

QString helpText()
{
    QString text = QStringLiteral("Usage: %1 --port PATH [options]\n"
                                  "Polls Arvex battery management boards without a window and "
                                  "records, prints or publishes every reply.\n\n"
                                  "Options:\n")
                       .arg(QCoreApplication::applicationName());
    const auto line = [&text](const QString &left, const QString &help) {
        text += QStringLiteral("  %1\n      %2\n").arg(left, help);
    };
    line(QStringLiteral("-h, --help"), QStringLiteral("Show this help and exit."));
    line(QStringLiteral("-v, --version"), QStringLiteral("Show the version and exit."));
    for (const Key &key : Keys) {
        QString left = QStringLiteral("--") + QLatin1String(key.name);
        if (key.valueName)
            left += QLatin1Char(' ') + QLatin1String(key.valueName);
        line(left, QLatin1String(key.help));
    }
    text += QStringLiteral(
        "\nExit status: 0 done (or stopped by SIGTERM/SIGINT), 1 no answer or "
        "nothing acknowledged by the broker (--once) or a metrics port that cannot be served, 2 a "
        "refused option.\n");
    return text;
}

} // namespace LoggerCommandLine
