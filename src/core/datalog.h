#pragma once

#include "logcolumns.h"
#include "telemetry.h"

#include <QAbstractTableModel>
#include <QDateTime>

#include <memory>
#include <vector>

// The telemetry log: one row per logged real-time reply, 43 columns (see LogColumns). Rows are
// kept as compact binary records and turned into text only when shown or exported, so a long
// logging session costs well under 256 bytes per row instead of one heap object per cell.
class DataLog : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DataLog(QObject *parent = nullptr);
    ~DataLog() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Adds one row at the end: the record's logged values and the local date and time of when.
    void append(const cell &record, const QDateTime &when);
    // While held, rows are added to the log (count(), row(), the CSV) but not yet to its views:
    // they see the rows added since in one step at showNewRows(), or when the log is let go. A
    // view that is not on screen then takes an hour of rows at once instead of one at a time.
    void setHeld(bool held);
    bool isHeld() const { return m_held; }
    void showNewRows();
    // Rows the views do not have yet.
    int newRows() const { return m_count - m_shown; }
    // Drops every row.
    void clear();
    int count() const { return m_count; }

    // The text shown in a cell; empty outside the table.
    QString text(int row, int column) const;

    // Re-reads the column captions in the current language.
    void retranslate();

    // Replaces the file with the table as CSV (UTF-8, no byte-order mark): a header line of the
    // current captions, then one line per row; every field in double quotes, "\n" after every
    // line. The file is replaced only when all of it was written: false when it cannot be made or
    // not everything could be written, and then a file of that name is left as it was and error
    // says why, in the words of the operating system.
    bool writeCsv(const QString &path, QString *error = nullptr) const;

    // The pieces of that file, for writers that add one row at a time (a recording): the header
    // line and the line of one row, each with its "\n". A row outside the table gives nothing.
    static QByteArray csvHeader();
    QByteArray csvLine(int row) const;

    // Heap bytes held by the rows (for the memory budget).
    std::size_t storageBytes() const;

    // One logged row. values[] follows the column order from column 2 on.
    struct Row
    {
        qint64 localMs; // local wall-clock time, ms since 1970-01-01 00:00 in that zone
        qint32 values[41];
    };

    // The stored row; index must be within the table.
    const Row &row(int index) const
    {
        return m_chunks[std::size_t(index / ChunkRows)][std::size_t(index % ChunkRows)];
    }

    // The longest line of a row, "\n" included: what a buffer for formatCsvLine must hold
    // (every field at most 24 characters, its quotes and its separator).
    static constexpr int MaxCsvLine = LogColumns::Count * (24 + 3) + 1;
    // The row of a record received at when (a local time).
    static Row toRow(const cell &record, const QDateTime &when);
    // Writes the CSV line of a row (with its "\n") to out; returns its length.
    static int formatCsvLine(const Row &row, char *out);

private:
    static constexpr int ChunkRows = 1024;

    // Rows live in fixed-size chunks: appending never moves or copies earlier rows and the
    // slack is at most one chunk.
    std::vector<std::unique_ptr<Row[]>> m_chunks;
    int m_count = 0;
    int m_shown = 0; // the rows the views have
    bool m_held = false;
};
