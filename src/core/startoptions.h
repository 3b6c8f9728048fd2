#pragma once

#include <QMap>
#include <QPoint>
#include <QString>
#include <QVector>

#include <optional>

class QSettings;

// What the window may start with instead of its own start values: remembered from the last run
// or given on the command line. A field left empty keeps the window's own value.
struct StartOptions
{
    std::optional<int> language; // index of the language box: 0 Chinese, 1 English, 2 German
    std::optional<QString> port; // a port name, a device path or a stable by-id name
    std::optional<int> baud;
    std::optional<int> address; // the pack shown (the Pack box)
    // The packs to poll in place of the list remembered for the port: given on the command line,
    // where an empty list is the address alone. Read from the settings it is the one list an
    // earlier version kept for whichever port was used, which belongs to the port remembered.
    std::optional<QVector<int>> packs;
    // The packs found on each port, by what identifies its adapter (PortList::identity), or by
    // a port's name or path; each list has two packs or more.
    std::optional<QMap<QString, QVector<int>>> portPacks;
    std::optional<int> period; // poll period, ms
    std::optional<bool> reconnect;
    std::optional<QPoint> position; // of the window's top-left corner
    std::optional<QString> exportFolder; // where the log was last exported to
    bool connect = false; // switch the port on at once
};

// The ranges of the top bar's controls: the rates of the baud list, the address and period
// spin boxes, the languages of the language box in their order.
namespace StartLimits {

constexpr int BaudRates[] = { 9600, 19200, 38400, 115200 };
constexpr int AddressMin = 0;
constexpr int AddressMax = 99;
constexpr int PeriodMin = 300;
constexpr int PeriodMax = 9999;
constexpr const char *LanguageCodes[] = { "zh", "en", "de" };

bool isBaudRate(int baud);
bool isAddress(int address);
// A list of at least two distinct addresses written "1,2,5" or "1,3,5-8", or nothing.
std::optional<QVector<int>> packList(const QString &text);
QString packListText(const QVector<int> &packs);
bool isPeriod(int ms);
// The index of a language code ("zh", "en", "de"), or -1.
int languageIndex(const QString &code);
// The code of a language index, or an empty string.
QString languageCode(int index);

} // namespace StartLimits

// The remembered settings, under the user's configuration (a default QSettings).
namespace Settings {

// What was remembered. A value that is missing, unreadable or out of range is left out, so a
// damaged file costs that one setting, never the start.
StartOptions read(QSettings &settings);
// Writes every field that is set (connect is never remembered).
void write(QSettings &settings, const StartOptions &options);

} // namespace Settings
