#include "startoptions.h"

#include "addresslist.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <iterator>

namespace {

const QString LanguageKey = QStringLiteral("language");
const QString PortKey = QStringLiteral("link/port");
const QString BaudKey = QStringLiteral("link/baud");
const QString AddressKey = QStringLiteral("link/address");
const QString PacksKey = QStringLiteral("link/packs"); // an earlier version's one list
const QString PortPacksKey = QStringLiteral("link/portPacks");
const QString PortPacksPort = QStringLiteral("port");
const QString PortPacksList = QStringLiteral("packs");
const QString PeriodKey = QStringLiteral("link/period");
const QString ReconnectKey = QStringLiteral("link/reconnect");
const QString PositionKey = QStringLiteral("window/position");
const QString ExportFolderKey = QStringLiteral("export/folder");

// A whole number stored under key that passes valid, or nothing.
std::optional<int> readNumber(QSettings &settings, const QString &key, bool (*valid)(int))
{
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    if (ok && valid(value))
        return value;
    return std::nullopt;
}

// A list of packs as stored. Written by hand without quotes, "1,2,5" comes back as a list of
// strings.
std::optional<QVector<int>> readPacks(const QVariant &value)
{
    return StartLimits::packList(value.userType() == QMetaType::QStringList
                                     ? value.toStringList().join(QLatin1Char(','))
                                     : value.toString());
}

} // namespace

bool StartLimits::isBaudRate(int baud)
{
    return std::find(std::begin(BaudRates), std::end(BaudRates), baud) != std::end(BaudRates);
}

bool StartLimits::isAddress(int address)
{
    return address >= AddressMin && address <= AddressMax;
}

std::optional<QVector<int>> StartLimits::packList(const QString &text)
{
    const QVector<int> packs = AddressList::parse(text);
    if (packs.size() < 2)
        return std::nullopt;
    return packs;
}

QString StartLimits::packListText(const QVector<int> &packs)
{
    return AddressList::format(packs);
}

bool StartLimits::isPeriod(int ms)
{
    return ms >= PeriodMin && ms <= PeriodMax;
}

int StartLimits::languageIndex(const QString &code)
{
    for (int i = 0; i < int(std::size(LanguageCodes)); ++i) {
        if (code == QLatin1String(LanguageCodes[i]))
            return i;
    }
    return -1;
}

QString StartLimits::languageCode(int index)
{
    if (index < 0 || index >= int(std::size(LanguageCodes)))
        return QString();
    return QLatin1String(LanguageCodes[index]);
}

StartOptions Settings::read(QSettings &settings)
{
    StartOptions options;
    const int language = StartLimits::languageIndex(settings.value(LanguageKey).toString());
    if (language >= 0)
        options.language = language;
    const QString port = settings.value(PortKey).toString();
    if (!port.isEmpty())
        options.port = port;
    options.baud = readNumber(settings, BaudKey, StartLimits::isBaudRate);
    options.address = readNumber(settings, AddressKey, StartLimits::isAddress);
    options.packs = readPacks(settings.value(PacksKey));
    // A port named twice keeps its first list; an entry without a port or a list is skipped.
    QMap<QString, QVector<int>> portPacks;
    const int ports = settings.beginReadArray(PortPacksKey);
    for (int i = 0; i < ports; ++i) {
        settings.setArrayIndex(i);
        const QString port = settings.value(PortPacksPort).toString();
        const std::optional<QVector<int>> packs = readPacks(settings.value(PortPacksList));
        if (!port.isEmpty() && packs && !portPacks.contains(port))
            portPacks.insert(port, *packs);
    }
    settings.endArray();
    if (!portPacks.isEmpty())
        options.portPacks = portPacks;
    options.period = readNumber(settings, PeriodKey, StartLimits::isPeriod);
    const QString reconnect = settings.value(ReconnectKey).toString();
    if (reconnect == QLatin1String("true") || reconnect == QLatin1String("false"))
        options.reconnect = reconnect == QLatin1String("true");
    const QVariant position = settings.value(PositionKey);
    if (position.userType() == QMetaType::QPoint)
        options.position = position.toPoint();
    const QString exportFolder = settings.value(ExportFolderKey).toString();
    if (!exportFolder.isEmpty())
        options.exportFolder = exportFolder;
    return options;
}

void Settings::write(QSettings &settings, const StartOptions &options)
{
    if (options.language)
        settings.setValue(LanguageKey, StartLimits::languageCode(*options.language));
    if (options.port)
        settings.setValue(PortKey, *options.port);
    if (options.baud)
        settings.setValue(BaudKey, *options.baud);
    if (options.address)
        settings.setValue(AddressKey, *options.address);
    if (options.packs) {
        if (options.packs->size() > 1)
            settings.setValue(PacksKey, StartLimits::packListText(*options.packs));
        else
            settings.remove(PacksKey);
    }
    if (options.portPacks) {
        settings.remove(PortPacksKey);
        settings.beginWriteArray(PortPacksKey);
        int i = 0;
        for (auto it = options.portPacks->cbegin(); it != options.portPacks->cend(); ++it) {
            if (it.key().isEmpty() || it.value().size() < 2)
                continue;
            settings.setArrayIndex(i++);
            settings.setValue(PortPacksPort, it.key());
            settings.setValue(PortPacksList, StartLimits::packListText(it.value()));
        }
        settings.endArray();
    }
    if (options.period)
        settings.setValue(PeriodKey, *options.period);
    if (options.reconnect)
        settings.setValue(ReconnectKey, *options.reconnect);
    if (options.position)
        settings.setValue(PositionKey, *options.position);
    if (options.exportFolder)
        settings.setValue(ExportFolderKey, *options.exportFolder);
}
