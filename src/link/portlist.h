#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The serial ports there are, as the port list shows them: the system's ports with what the
// adapter tells about itself, then the pseudo-terminals named in ARVEX_EXTRA_PORTS.
struct PortInfo
{
    QString name; // "ttyUSB0"; a virtual port's path
    QString location; // "/dev/ttyUSB0"; a virtual port's path
    QString description; // the maker's product text ("FT232R USB UART"), may be empty
    QString manufacturer;
    QString serialNumber;
    bool usb = false; // has USB vendor and product numbers
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString byId; // the stable /dev/serial/by-id/ name of the device, if it has one
    bool isVirtual = false; // from ARVEX_EXTRA_PORTS
};

namespace PortList {

constexpr char ByIdFolder[] = "/dev/serial/by-id";

// The paths of ARVEX_EXTRA_PORTS (separated by ":") that exist now.
QStringList extraPorts();

// The system's ports, then the present extra ports. byIdFolder is where the stable names live;
// an empty one skips them.
QList<PortInfo> availablePorts(const QString &byIdFolder = QLatin1String(ByIdFolder));

// The link in byIdFolder that points to the device node at location, or an empty string.
QString stableName(const QString &location, const QString &byIdFolder = QLatin1String(ByIdFolder));

// The entry of the port list: the name, then in parentheses the description, and for a USB
// adapter its serial number and stable name; "<path> (virtual)" for a virtual port. The name
// ends at the first "(", which is how the window gets it back.
QString entryText(const PortInfo &port);
// Maker, numbers and stable name, for the entry's tool tip.
QString details(const PortInfo &port);

// What a device is across unplugging: a USB adapter by its numbers and serial number; one
// without a serial number, and any other port, by its path.
QString identity(const PortInfo &port);

// Whether a name given by the user or remembered from an earlier run means this port: its name,
// its path or its stable name (a link given by another path counts by where it points).
bool matches(const PortInfo &port, const QString &nameOrPath);

// The index of the port that name means, or -1.
int find(const QList<PortInfo> &ports, const QString &nameOrPath);

} // namespace PortList
