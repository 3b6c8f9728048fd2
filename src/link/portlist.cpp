#include "portlist.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace {

QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

} // namespace

QStringList PortList::extraPorts()
{
    QStringList present;
    const QStringList paths =
        qEnvironmentVariable("ARVEX_EXTRA_PORTS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &path : paths) {
        const QString trimmed = path.trimmed();
        if (!trimmed.isEmpty() && QFileInfo::exists(trimmed) && !present.contains(trimmed))
            present.append(trimmed);
    }
    return present;
}

QList<PortInfo> PortList::availablePorts(const QString &byIdFolder)
{
    QList<PortInfo> ports;
    const QList<QSerialPortInfo> system = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : system) {
        PortInfo port;
        port.name = info.portName();
        port.location = info.systemLocation();
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        port.usb = info.hasVendorIdentifier() && info.hasProductIdentifier();
        port.vendorId = info.vendorIdentifier();
        port.productId = info.productIdentifier();
        port.byId = stableName(port.location, byIdFolder);
        ports.append(port);
    }
    const QStringList extra = extraPorts();
    for (const QString &path : extra) {
        PortInfo port;
        port.name = path;
        port.location = path;
        port.isVirtual = true;
        ports.append(port);
    }
    return ports;
}

QString PortList::stableName(const QString &location, const QString &byIdFolder)
{
    if (byIdFolder.isEmpty())
        return QString();
    const QString node = QFileInfo(location).canonicalFilePath();
    // udev makes one link per device (per interface of a multi-port adapter); the first in name
    // order is taken should there be more.
    const QFileInfoList links =
        QDir(byIdFolder)
            .entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        if (!node.isEmpty() && link.canonicalFilePath() == node)
            return link.absoluteFilePath();
    }
    return QString();
}

QString PortList::entryText(const PortInfo &port)
{
    if (port.isVirtual)
        return port.name + QStringLiteral(" (virtual)");
    QStringList parts;
    if (!port.usb) {
        parts << port.description; // may be empty: "ttyS0 ()"
    } else {
        if (!port.description.isEmpty())
            parts << port.description;
        if (!port.serialNumber.isEmpty())
            parts << QStringLiteral("S/N ") + port.serialNumber;
        if (!port.byId.isEmpty())
            parts << port.byId;
    }
    return port.name + QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString PortList::details(const PortInfo &port)
{
    QStringList lines{ port.location };
    if (!port.description.isEmpty())
        lines << port.description;
    if (!port.manufacturer.isEmpty())
        lines << port.manufacturer;
    if (port.usb)
        lines << QStringLiteral("USB %1:%2").arg(hex4(port.vendorId), hex4(port.productId));
    if (!port.serialNumber.isEmpty())
        lines << QStringLiteral("S/N ") + port.serialNumber;
    if (!port.byId.isEmpty())
        lines << port.byId;
    return lines.join(QLatin1Char('\n'));
}

QString PortList::identity(const PortInfo &port)
{
    if (port.usb && !port.serialNumber.isEmpty())
        return QStringLiteral("usb:%1:%2:%3")
            .arg(hex4(port.vendorId), hex4(port.productId), port.serialNumber);
    return port.location;
}

bool PortList::matches(const PortInfo &port, const QString &nameOrPath)
{
    if (nameOrPath.isEmpty())
        return false;
    if (nameOrPath == port.name || nameOrPath == port.location
        || (!port.byId.isEmpty() && nameOrPath == port.byId))
        return true;
    // Another link to the same device, such as a stable name given by hand.
    if (!nameOrPath.startsWith(QLatin1Char('/')))
        return false;
    const QString target = QFileInfo(nameOrPath).canonicalFilePath();
    return !target.isEmpty() && target == QFileInfo(port.location).canonicalFilePath();
}

int PortList::find(const QList<PortInfo> &ports, const QString &nameOrPath)
{
    for (int i = 0; i < ports.size(); ++i) {
        if (matches(ports.at(i), nameOrPath))
            return i;
    }
    return -1;
}
