#pragma once

#include "eventjournal.h"

#include <QFile>
#include <QString>
#include <QVector>

// A pack's events kept beside its recordings, "events-packNN.csv" (NN the address, two digits):
// one line when an event starts and one when it ends, each written whole and flushed, so a
// program killed at any moment leaves whole lines only; a file cut in a line (a full disk) has
// that line ignored when read. Read back, the last lines are paired up again: an event with no
// end line was still ongoing when the writer stopped, and is shown with endUnknown set.
class EventFile
{
public:
    // The file's name for a pack: "events-pack01.csv".
    static QString fileName(int address);

    // Appends to folder/fileName(address), made (with its header line) if missing. An error
    // (folder not writable, disk full) is returned as a clear text; the events go on.
    explicit EventFile(const QString &folder, int address);
    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_error; }
    // A change as the journal reports it: a start line or an end line.
    bool append(const PackEvent &change);

    struct ReadBack
    {
        QVector<PackEvent> events; // oldest first, at most `last` of them
        QString error; // empty when the file was read; otherwise why not (nothing is changed)
        int skippedLines = 0; // lines that were not whole or not this format
    };
    // The last `last` events of a file (all its packs' events; a file names its pack per line).
    static ReadBack read(const QString &path, int last = 1000);

private:
    QFile m_file;
    QString m_error;
};
