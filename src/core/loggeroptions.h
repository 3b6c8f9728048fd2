#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// What arvex-logger runs with: from its command line and, with --config, an INI file of the same
// keys (the command line wins). Everything is checked before anything is opened, so a bad value
// ends the program at once with one line on standard error.
struct LoggerOptions
{
    enum class ProfileAction { None, Save, Check, Apply };

    QString port;
    int baud = 9600;
    QVector<int> addresses{ 1 }; // polled in this order
    QVector<int> scan; // addresses looked for before polling; the boards found are polled
    int periodMs = 1000;
    int language = 0; // of the CSV header: 0 Chinese, 1 English, 2 German
    QString csvDir; // empty: no CSV files
    QString stateDir; // the packs' energy books; empty: $STATE_DIRECTORY, else not kept
    bool json = false; // one JSON object per reply on standard output
    bool once = false; // one poll, one JSON object, exit
    QString mqttUrl; // empty: no MQTT
    QString mqttUser;
    QString mqttPasswordFile;
    QString mqttCaFile;
    QString mqttPrefix = QStringLiteral("arvex");
    bool haDiscovery = false;
    QString haPrefix = QStringLiteral("homeassistant"); // of the discovery topics
    bool verbose = false; // the line's diagnostics on standard error too
    // Where Prometheus metrics are served: an IPv4 address and a port; port 0: not served.
    QString metricsAddress = QStringLiteral("127.0.0.1");
    int metricsPort = 0;
    // The user's alerts, an event each while crossed; 0: off.
    int alertSpreadMv = 0; // highest minus lowest cell above this
    int alertLowSocPercent = 0; // state of charge below this
    QString configFile;
    ProfileAction profileAction = ProfileAction::None;
    QString profileFile;
};

namespace LoggerCommandLine {

constexpr int RefusedExitCode = 2;
constexpr int PeriodMinMs = 300;
constexpr int PeriodMaxMs = 60 * 60 * 1000;
constexpr int AlertSpreadMaxMv = 2000;
constexpr int AlertLowSocMaxPercent = 99;

enum class Action {
    Run,
    Help, // print helpText() and exit 0
    Version, // print the message and exit 0
    Refuse, // print the message on standard error and exit with RefusedExitCode
};

struct Result
{
    Action action = Action::Run;
    LoggerOptions options;
    QString message;
};

// arguments as the program got them, its own name first. The file named by --config is read
// here.
Result parse(const QStringList &arguments);

// The text of --help. Needs a QCoreApplication, whose program name it shows.
QString helpText();

// One "key = value" of a configuration file, with its line number.
struct ConfigEntry
{
    QString key;
    QString value;
    int line = 0;
};
// Reads the text of a configuration file: "key = value" lines, blank lines, and comments that
// begin with "#" or ";". A value may be put in double quotes to keep spaces at its ends. False
// with error ("line N: ...") for anything else, a key given twice included.
bool parseConfig(const QByteArray &text, QVector<ConfigEntry> *entries, QString *error);

// "1", "1,3,5-8": addresses from 0 to 99, each once, in the order given. Empty when the text is
// not such a list.
QVector<int> parseAddresses(const QString &text);

// A poll period: milliseconds ("1000"), or a number with the unit ms, s, min or h ("1.5s",
// "10 min"), within PeriodMinMs .. PeriodMaxMs. -1 when it is not one.
int parsePeriod(const QString &text);

// An alert's threshold: a whole number from 0 (off) to max, optionally followed by unit ("50",
// "50 mV", "20%"). -1 when it is not one.
int parseAlert(const QString &text, const QString &unit, int max);

// Where to serve metrics: "[ADDRESS:]PORT", ADDRESS an IPv4 address in dotted decimal (default
// 127.0.0.1), PORT 1 to 65535. False when the text is not such a pair.
bool parseListenAddress(const QString &text, QString *address, int *port);

// The MQTT password from a file of its own: the first line, without its line end. The file must
// be readable by its owner only; false with one line of error otherwise.
bool readPasswordFile(const QString &path, QString *password, QString *error);

// The credential systemd passes to the service (LoadCredential=mqtt-password:...), a file in the
// folder named by $CREDENTIALS_DIRECTORY, and the environment variable the password may also
// come in.
constexpr char PasswordCredential[] = "mqtt-password";
constexpr char PasswordVariable[] = "ARVEX_MQTT_PASSWORD";

// Where the MQTT password is taken from, the first that has one:
//   1. passwordFile, the file given with --mqtt-password-file (it must exist);
//   2. the credential PasswordCredential in credentialsDirectory: the service's way, readable by
//      the service alone although the file it was loaded from is root's;
//   3. environment, the value of PasswordVariable: for a run by hand or in a container;
//   4. none (an empty password).
// A credential whose first line is empty counts as none, so a unit that sets a blank one as its
// fallback starts without a password file. from says which it was ("--mqtt-password-file FILE",
// "the credential mqtt-password", "ARVEX_MQTT_PASSWORD"; empty for none). False with one line of
// error for a file or credential that is there but cannot be used.
bool lookUpPassword(const QString &passwordFile, const QString &credentialsDirectory,
                    const QByteArray &environment, QString *password, QString *from,
                    QString *error);

} // namespace LoggerCommandLine
