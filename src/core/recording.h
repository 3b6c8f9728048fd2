#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <map>
#include <memory>

// The log written to disk while it grows: one CSV file per logging run, a line handed to the
// operating system as soon as it is appended, so a crash or a killed program loses at most the
// line being written. The lines are the log's own (DataLog::csvHeader, DataLog::csvLine): a
// recording and an export of the same rows are the same file.
class Recording
{
public:
    // Why a recording stopped, for a reader that needs it in words of its own (the logger's
    // standard error is English whatever language the files are in).
    enum class Failure {
        None,
        NoFolder, // the folder could not be made
        FileDeleted, // the file was deleted while it was written
        System, // the system's reason, as errorString() gives it
        Unknown, // no reason was given
    };

    Recording();
    ~Recording();
    Recording(const Recording &) = delete;
    Recording &operator=(const Recording &) = delete;

    // The name of the file of a run started at start for the board at address, for example
    // "arvex-20261207-143005-pack01.csv".
    static QString fileName(const QDateTime &start, int address);

    // Creates a new file in folder (and the folder if it is missing) and writes the header. An
    // existing file is never replaced: a taken name gets "-2", "-3", ... before ".csv". False, with
    // errorString() saying why, when no file could be created.
    bool start(const QString &folder, const QDateTime &start, int address,
               const QByteArray &header);
    // Writes one line straight to the operating system. A line that cannot be written, or a file
    // that was deleted under the recording, stops it: false, and errorString() says why. A line
    // written only in part (a full disk) is taken back: the file ends with its last whole line.
    bool append(const QByteArray &line);
    // Closes the file; path(), rows() and bytes() keep describing it.
    void stop();

    bool isActive() const { return m_file.isOpen(); }
    QString path() const { return m_path; }
    int rows() const { return m_rows; } // lines after the header
    qint64 bytes() const { return m_bytes; }
    QString errorString() const { return m_error; }
    Failure failure() const { return m_failure; }
    // The reason in English: the program's own texts, or the system's words.
    QString englishError() const { return englishError(m_failure, m_error); }
    static QString englishError(Failure failure, const QString &systemError);

private:
    bool fail(Failure failure, const QString &error);

    QFile m_file;
    QString m_path;
    int m_rows = 0;
    qint64 m_bytes = 0;
    QString m_error;
    Failure m_failure = Failure::None;
};

// The recordings of one logging run, one file per pack: a pack's first line starts its file, and
// the first line of a new local day starts a new one, so no file spans midnight. A line that
// cannot be written stops the run, as it stops a single recording.
class PackRecordings
{
public:
    PackRecordings();
    ~PackRecordings();
    PackRecordings(const PackRecordings &) = delete;
    PackRecordings &operator=(const PackRecordings &) = delete;

    // A new run into folder: every file of the last run is closed, and each pack gets a new file
    // with its next line. header is the first line of every file.
    void start(const QString &folder, const QByteArray &header);
    // Closes every file; the figures stay until the next start().
    void stop();
    bool isRunning() const { return m_running; }

    // Writes line (taken at when, the local time of the reply) to the file of address. False
    // when the run is not on, or the line could not be written: then the run has stopped, and
    // errorString() and path() tell which file and why.
    bool append(int address, const QDateTime &when, const QByteArray &line);

    // The file written last, and why the run stopped; empty when it did not fail.
    QString path() const { return m_lastPath; }
    QString errorString() const { return m_error; }
    QString englishError() const { return Recording::englishError(m_failure, m_error); }
    // Lines and bytes written in this run, over all files; files made in it.
    int rows() const { return m_rows; }
    qint64 bytes() const { return m_bytes; }
    int files() const { return m_files; }
    // A file of the run is open.
    bool isActive() const;

private:
    struct Pack
    {
        Recording file;
        QDate day; // the local day of the file's first line
    };

    QString m_folder;
    QByteArray m_header;
    bool m_running = false;
    std::map<int, std::unique_ptr<Pack>> m_packs;
    QString m_lastPath;
    QString m_error;
    Recording::Failure m_failure = Recording::Failure::None;
    int m_rows = 0;
    qint64 m_bytes = 0;
    int m_files = 0;
};
