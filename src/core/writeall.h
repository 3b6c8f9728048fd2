#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>

// Writes all of size bytes to an unbuffered file, going on after a short write. A write that is
// cut short (a full disk, a file-size limit) moves some bytes and says nothing; only the next one,
// which moves none, tells why. False when not everything was written; error then holds the
// operating system's reason ("No space left on device"), never a bare "Unknown error".
bool writeAll(QFileDevice &file, const char *data, qint64 size, QString *error);

// The operating system's words for an errno value.
QString systemErrorText(int errorNumber);

// A file written whole or not at all: the bytes go to a new file beside it that takes its name
// only at finish(), so a full disk or a file-size limit leaves the old file as it was. A device
// or a pipe cannot be replaced, only written to in place.
class ReplacingFile
{
public:
    explicit ReplacingFile(const QString &path);
    bool open(QString *error);
    // Writes all of size bytes (writeAll); false with the reason in error.
    bool write(const char *data, qint64 size, QString *error);
    // Puts the new file in place of the old one; false with the reason in error.
    bool finish(QString *error);

private:
    bool fail(QString *error, const QString &reason = QString());

    QSaveFile m_save;
    QFile m_direct;
    bool m_inPlace;
    QFileDevice &m_file;
};
