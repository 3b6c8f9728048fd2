#pragma once

#include <QSerialPort>
#include <QString>

// The text of the box shown when a port cannot be opened: the fixed first line, the reason the
// system gave, and what to do about the two reasons a user can fix.
namespace OpenFailure {

enum class Hint {
    None,
    JoinDialout, // the user may not use the device: join the group, log in again
    PortBusy, // another program holds the port
};

// accessible: whether this user may read and write the device node at all. Qt reports a port
// held by another program (its lock file, or the kernel's exclusive mode) as a permission error
// too; only the node's own permissions tell the two apart.
Hint hint(QSerialPort::SerialPortError error, bool accessible);

// "Failed to open serial port", then "<port>: <reason>", then the hint.
QString text(const QString &port, const QString &reason, Hint hint);

// Whether this user may read and write the device node of port (a name under /dev or a path).
bool deviceAccessible(const QString &port);

} // namespace OpenFailure
