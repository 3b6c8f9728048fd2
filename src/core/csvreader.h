#pragma once

#include "datalog.h"
#include "logcolumns.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <limits>

// Reads the log's CSV files back: exports and recordings, whatever language their header was
// written in. A file is read whole or not at all: the first line that cannot be read ends the
// reading, and error() names it. The one exception is a last line cut off where a write stopped
// short (a full disk, a program killed while writing): the rows before it are read, and
// cutOffLine() says which line was left out.
class CsvReader
{
public:
    enum class Problem {
        None,
        CannotOpen, // detail: the operating system's words
        NotALog, // line 1 is not the log's header
        Truncated, // the file ends inside the line
        ColumnCount, // detail: the number of columns found
        NotADate, // column: the field
        NotATime,
        NotANumber,
        OutOfRange, // a number its column cannot hold (LogColumns::range)
    };
    struct Error
    {
        Problem problem = Problem::None;
        int line = 0; // counted from 1; 0 when no line is concerned
        int column = -1; // counted from 0; -1 when no column is concerned
        QString caption; // the file's own caption of that column
        QString field; // the text that could not be read
        QString detail;
    };

    CsvReader();
    ~CsvReader();
    CsvReader(const CsvReader &) = delete;
    CsvReader &operator=(const CsvReader &) = delete;

    // Opens the file and checks its header. False when the file is unreadable or not a log.
    bool open(const QString &path);
    // The same for a file's contents already in memory.
    bool openContents(const QByteArray &contents);

    // The fewest characters a row can take, its line end left out: the date, a time without
    // milliseconds, one digit per number and the separators, no quotes.
    static constexpr int ShortestRow =
        10 + 8 + (LogColumns::Count - LogColumns::FirstValue) + (LogColumns::Count - 1);
    // At most this many rows follow the header: its lines long enough to hold one. So never more
    // than (the bytes after the header + 1) / (ShortestRow + 1), however many lines (blank ones,
    // say) the file has: what a buffer for the rows may be sized by.
    int rowCountBound() const { return m_rowBound; }

    // Hands every row, in order, to onRow with the moment it names: the row's local date and time
    // read in this computer's time zone, as milliseconds since 1970-01-01 00:00 UTC. Stops at the
    // first line that cannot be read and returns false; blank lines are skipped. Every row handed
    // on has all its columns, each number within LogColumns::range. A last line without its line
    // end that stops short of a whole row is left out, and the rows before it count as read.
    using RowSink = std::function<void(const DataLog::Row &row, qint64 utcMs)>;
    bool readRows(const RowSink &onRow);

    const Error &error() const { return m_error; }
    // The line left out by readRows because it was cut off; 0 when there was none.
    int cutOffLine() const { return m_cutOffLine; }

private:
    void reset();
    // Checks the header of the contents at m_data.
    bool openData();
    bool fail(Problem problem, int column = -1, const QByteArray &field = QByteArray(),
              const QString &detail = QString());
    // Splits the line starting at m_pos into fields; moves m_pos past its line end.
    bool splitLine();
    bool parseRow(DataLog::Row *row);
    // Whether the line that failed is the file's last, without its line end, and fails where a
    // write stopped short would leave it: inside a field, before its last column or in it.
    bool isCutOff() const;
    qint64 toUtc(qint64 localMs);

    QFile m_file;
    QByteArray m_copy; // the contents when the file cannot be mapped
    const char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_pos = 0;
    int m_line = 0;
    bool m_lineEnded = false; // the line just split ended with "\n"
    int m_rowBound = 0;
    int m_cutOffLine = 0;
    // The fields of the current line, as places in the contents; a quoted field's quotes are
    // not part of it, and escaped marks one with doubled quotes inside.
    struct Field
    {
        const char *begin;
        int length;
        bool escaped;
    };
    QByteArray fieldText(int index) const;

    QVector<QString> m_captions;
    QVector<Field> m_fields;
    Error m_error;
    // Local time to UTC, per quarter hour: time zones change their offset only at such moments.
    qint64 m_zoneQuarter = std::numeric_limits<qint64>::min();
    qint64 m_zoneOffset = 0;
};
