#include "writeall.h"

#include <QCoreApplication>
#include <QFileDevice>
#include <QFileInfo>

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

ReplacingFile::ReplacingFile(const QString &path)
    : m_save(path)
    , m_direct(path)
    , m_inPlace(QFileInfo(path).exists() && !QFileInfo(path).isFile() && !QFileInfo(path).isDir())
    , m_file(m_inPlace ? static_cast<QFileDevice &>(m_direct) : m_save)
{ }

bool ReplacingFile::fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason.isEmpty() ? m_file.errorString() : reason;
    return false;
}

bool ReplacingFile::open(QString *error)
{
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)
        || fail(error);
}

bool ReplacingFile::write(const char *data, qint64 size, QString *error)
{
    QString reason;
    return writeAll(m_file, data, size, &reason) || fail(error, reason);
}

bool ReplacingFile::finish(QString *error)
{
    if (m_inPlace) {
        m_direct.close();
        return m_direct.error() == QFileDevice::NoError || fail(error);
    }
    return m_save.commit() || fail(error);
}
