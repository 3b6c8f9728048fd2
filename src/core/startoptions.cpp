#include "startoptions.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <iterator>

namespace {

const QString LanguageKey = QStringLiteral("language");
const QString PortKey = QStringLiteral("link/port");
const QString BaudKey = QStringLiteral("link/baud");
const QString AddressKey = QStringLiteral("link/address");
const QString PacksKey = QStringLiteral("link/packs");
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
    QVector<int> packs;
    for (const QString &item : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int address = item.trimmed().toInt(&ok);
        if (!ok || !isAddress(address) || packs.contains(address))
            return std::nullopt;
        packs.append(address);
    }
    if (packs.size() < 2)
        return std::nullopt;
    return packs;
}

QString StartLimits::packListText(const QVector<int> &packs)
{
    QStringList items;
    for (int address : packs)
        items << QString::number(address);
    return items.join(QLatin1Char(','));
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
    // Written by hand without quotes, the list comes back as a list of strings.
    const QVariant packs = settings.value(PacksKey);
    options.packs = StartLimits::packList(packs.userType() == QMetaType::QStringList
                                              ? packs.toStringList().join(QLatin1Char(','))
                                              : packs.toString());
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
    if (options.period)
        settings.setValue(PeriodKey, *options.period);
    if (options.reconnect)
        settings.setValue(ReconnectKey, *options.reconnect);
    if (options.position)
        settings.setValue(PositionKey, *options.position);
    if (options.exportFolder)
        settings.setValue(ExportFolderKey, *options.exportFolder);
}
