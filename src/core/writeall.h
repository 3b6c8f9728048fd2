#pragma once

#include <QString>

class QFileDevice;

// Writes all of size bytes to an unbuffered file, going on after a short write. A write that is
// cut short (a full disk, a file-size limit) moves some bytes and says nothing; only the next one,
// which moves none, tells why. False when not everything was written; error then holds the
// operating system's reason ("No space left on device"), never a bare "Unknown error".
bool writeAll(QFileDevice &file, const char *data, qint64 size, QString *error);

// The operating system's words for an errno value.
QString systemErrorText(int errorNumber);
