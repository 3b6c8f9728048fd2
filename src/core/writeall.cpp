#include "writeall.h"

#include <QCoreApplication>
#include <QFileDevice>

#include <cerrno>
#include <cstring>

bool writeAll(QFileDevice &file, const char *data, qint64 size, QString *error)
{
    while (size > 0) {
        errno = 0;
        const qint64 written = file.write(data, size);
        if (written > 0) {
            data += written;
            size -= written;
            continue;
        }
        const int errorNumber = errno;
        if (error) {
            // Qt keeps the reason of a write that moved nothing; otherwise errno still holds it.
            if (file.error() != QFileDevice::NoError)
                *error = file.errorString();
            else if (errorNumber != 0)
                *error = systemErrorText(errorNumber);
            else
                *error = QCoreApplication::translate("Recording", "未知错误。");
        }
        return false;
    }
    return true;
}

QString systemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}
