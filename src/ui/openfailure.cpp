#include "openfailure.h"

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

OpenFailure::Hint OpenFailure::hint(QSerialPort::SerialPortError error, bool accessible)
{
    if (error == QSerialPort::PermissionError)
        return accessible ? Hint::PortBusy : Hint::JoinDialout;
    if (error == QSerialPort::OpenError)
        return Hint::PortBusy;
    return Hint::None;
}

QString OpenFailure::text(const QString &port, const QString &reason, Hint hint)
{
    QString text = QStringLiteral("Failed to open serial port");
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n")
            + (port.isEmpty() ? reason : port + QStringLiteral(": ") + reason);
    switch (hint) {
    case Hint::None:
        break;
    case Hint::JoinDialout:
        text += QStringLiteral("\n\n")
            + QCoreApplication::translate(
                    "MainWindow",
                    "在 Linux 上，串口设备属于 dialout 组。请用 “sudo usermod -aG dialout $USER” "
                    "把自己加入该组，然后注销并重新登录。");
        break;
    case Hint::PortBusy:
        text += QStringLiteral("\n\n")
            + QCoreApplication::translate(
                    "MainWindow",
                    "另一个程序正占用该串口（例如 minicom 或 screen 等终端程序、正在探测新适配器的 "
                    "ModemManager，或本工具的另一个窗口）。请先关闭它。");
        break;
    }
    return text;
}

bool OpenFailure::deviceAccessible(const QString &port)
{
    const QString path = port.startsWith(QLatin1Char('/')) ? port : QStringLiteral("/dev/") + port;
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}
