#pragma once

#include "eventjournal.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <QVector>

#include <map>
#include <memory>

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

    // The file's first line, and the line of one change (a start, an end, or an end where
    // watching stopped), each ending in a line end: CSV in UTF-8, times in ISO 8601 with their
    // offset, values in the unit the line names, the English description last, quoted.
    static QByteArray header();
    static QByteArray line(const PackEvent &change);

    // Appends to folder/fileName(address), made (with its header line) if missing. An error
    // (folder not writable, disk full) is returned as a clear text; the events go on. A file of
    // that name that is not an events file is left as it is, and nothing is written to it.
    explicit EventFile(const QString &folder, int address);
    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_error; } // in the window's language
    QString englishErrorString() const { return m_englishError; } // for the logger
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
    // The same from an open device, read from where it stands.
    static ReadBack readFrom(QIODevice *device, int last = 1000);

private:
    bool writeLine(const QByteArray &bytes);

    QFile m_file;
    QString m_error;
    QString m_englishError;
    bool m_lineOpen = false; // the file's last line has no line end (cut short)
};

// The events files of every pack in one folder, as the window and the logger keep them: a pack's
// file is opened at its first event; one that cannot be opened or written is closed, and tried
// again at the pack's next event.
class EventFiles
{
public:
    // Another folder closes the files of the last one.
    void setFolder(const QString &folder);
    QString folder() const { return m_folder; }
    // The path of a pack's file, as its errors name it.
    QString path(int address) const;
    // The change appended to its pack's file; false when it could not be, with the reason in the
    // window's language and in English.
    bool append(const PackEvent &change, QString *error = nullptr, QString *englishError = nullptr);
    void close() { m_files.clear(); }

private:
    QString m_folder;
    std::map<int, std::unique_ptr<EventFile>> m_files;
};
