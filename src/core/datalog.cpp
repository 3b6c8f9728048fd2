#include "datalog.h"

#include "logcolumns.h"
#include "writeall.h"

#include <cstring>
#include <limits>

namespace {

constexpr int FirstValueColumn = LogColumns::FirstValue;
static_assert(sizeof(DataLog::Row::values) / sizeof(qint32)
                  == std::size_t(LogColumns::Count - FirstValueColumn),
              "one stored value per logged column");

// Longest text of one field: "-2147483648" or "-2147483.65" plus slack.
constexpr int MaxFieldChars = 24;
static_assert(DataLog::MaxCsvLine == LogColumns::Count * (MaxFieldChars + 3) + 1,
              "a line holds every field, its quotes and its separator");

int putDecimal(char *out, qint64 value)
{
    char digits[24];
    int n = 0;
    quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int len = 0;
    if (value < 0)
        out[len++] = '-';
    while (n)
        out[len++] = digits[--n];
    return len;
}

// value / divisor with a fixed number of decimals, exactly as QString::number(double, 'f', n)
// writes the quotient: the correctly rounded binary quotient, exact ties away from zero, a
// minus sign kept on a negative value that rounds to zero ("-0.00"). Integer arithmetic gives
// the same digits except when the dropped digit is exactly half a step; there the binary
// quotient decides, so those few values are handed to Qt itself.
int putScaled(char *out, int value, int divisor, int decimals)
{
    int unit = 1;
    for (int i = 0; i < decimals; ++i)
        unit *= 10;
    const int step = divisor / unit; // 10 for both scaled formats of the log
    const quint64 magnitude = value < 0 ? quint64(0) - quint64(qint64(value)) : quint64(value);
    quint64 units = magnitude / quint64(step);
    const quint64 dropped = magnitude % quint64(step);
    if (dropped * 2 == quint64(step)) {
        const QByteArray text = QByteArray::number(double(value) / divisor, 'f', decimals);
        std::memcpy(out, text.constData(), std::size_t(text.size()));
        return text.size();
    }
    if (dropped * 2 > quint64(step))
        ++units;
    int len = 0;
    if (value < 0)
        out[len++] = '-';
    len += putDecimal(out + len, qint64(units / quint64(unit)));
    out[len++] = '.';
    quint64 fraction = units % quint64(unit);
    for (int i = decimals - 1; i >= 0; --i) {
        out[len + i] = char('0' + fraction % 10);
        fraction /= 10;
    }
    return len + decimals;
}

void putTwo(char *out, int value)
{
    out[0] = char('0' + value / 10);
    out[1] = char('0' + value % 10);
}

// Splits a local wall-clock time into its calendar day and the milliseconds into that day.
void splitLocalMs(qint64 localMs, qint64 *days, int *msOfDay)
{
    constexpr qint64 MsPerDay = 86400000;
    qint64 d = localMs / MsPerDay;
    qint64 rest = localMs % MsPerDay;
    if (rest < 0) {
        rest += MsPerDay;
        --d;
    }
    *days = d;
    *msOfDay = int(rest);
}

// "yyyy-MM-dd" of a day counted from 1970-01-01 (proleptic Gregorian calendar).
int putDate(char *out, qint64 days)
{
    // Civil-from-days in 400-year eras (H. Hinnant's algorithm).
    const qint64 z = days + 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    const qint64 year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    int len = 0;
    if (year >= 0 && year <= 9999) {
        putTwo(out, int(year / 100));
        putTwo(out + 2, int(year % 100));
        len = 4;
    } else {
        len = putDecimal(out, year);
    }
    out[len++] = '-';
    putTwo(out + len, month);
    len += 2;
    out[len++] = '-';
    putTwo(out + len, day);
    return len + 2;
}

// "HH:mm:ss.zzz"
int putTime(char *out, int msOfDay)
{
    const int ms = msOfDay % 1000;
    const int seconds = msOfDay / 1000;
    putTwo(out, seconds / 3600);
    out[2] = ':';
    putTwo(out + 3, seconds / 60 % 60);
    out[5] = ':';
    putTwo(out + 6, seconds % 60);
    out[8] = '.';
    out[9] = char('0' + ms / 100);
    putTwo(out + 10, ms % 100);
    return 12;
}

// Writes the text of one field of a row; returns its length (at most MaxFieldChars).
int putField(char *out, const DataLog::Row &row, int column)
{
    if (column == 0 || column == 1) {
        qint64 days = 0;
        int msOfDay = 0;
        splitLocalMs(row.localMs, &days, &msOfDay);
        return column == 0 ? putDate(out, days) : putTime(out, msOfDay);
    }
    const int value = row.values[column - FirstValueColumn];
    const int divisor = LogColumns::divisor(column);
    if (divisor == 1)
        return putDecimal(out, value);
    return putScaled(out, value, divisor, LogColumns::decimals(column));
}

} // namespace

DataLog::DataLog(QObject *parent)
    : QAbstractTableModel(parent)
{ }

DataLog::~DataLog() = default;

int DataLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int DataLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : LogColumns::Count;
}

QVariant DataLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown || index.column() >= LogColumns::Count)
        return QVariant();
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        // Numbers line up on the right; date and time read best centred.
        return index.column() < FirstValueColumn ? int(Qt::AlignCenter)
                                                 : int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant DataLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < LogColumns::Count ? LogColumns::caption(section)
                                                           : QVariant();
    return section + 1; // row numbers count from 1, as in a spreadsheet
}

DataLog::Row DataLog::toRow(const cell &record, const QDateTime &when)
{
    Row r;
    r.localMs = when.toMSecsSinceEpoch() + qint64(when.offsetFromUtc()) * 1000;
    qint32 *v = r.values;
    *v++ = record.id;
    *v++ = record.sys_statu;
    *v++ = record.job_statu;
    *v++ = record.mos_statu;
    *v++ = record.alrt_statu;
    *v++ = record.blance_statu;
    *v++ = record.soc;
    *v++ = record.soh;
    *v++ = record.cadc;
    *v++ = record.totalv;
    // MOSFET, the four cell sensors, then the environment.
    *v++ = record.ts[1];
    *v++ = record.ts[2];
    *v++ = record.ts[3];
    *v++ = record.ts[4];
    *v++ = record.ts[5];
    *v++ = record.ts[0];
    for (int k = 0; k < 25; ++k)
        *v++ = record.cell[k];
    return r;
}

void DataLog::append(const cell &record, const QDateTime &when)
{
    if (m_count == std::numeric_limits<int>::max())
        return; // a model cannot address more rows
    const std::size_t chunk = std::size_t(m_count / ChunkRows);
    if (chunk == m_chunks.size())
        m_chunks.emplace_back(new Row[ChunkRows]);
    Row &r = m_chunks[chunk][std::size_t(m_count % ChunkRows)];

    r = toRow(record, when);
    ++m_count;
    if (!m_held)
        showNewRows();
}

void DataLog::setHeld(bool held)
{
    m_held = held;
    if (!held)
        showNewRows();
}

void DataLog::showNewRows()
{
    if (m_shown == m_count)
        return;
    beginInsertRows(QModelIndex(), m_shown, m_count - 1);
    m_shown = m_count;
    endInsertRows();
}

void DataLog::clear()
{
    beginResetModel();
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_count = 0;
    m_shown = 0;
    endResetModel();
}

QString DataLog::text(int row, int column) const
{
    if (row < 0 || row >= m_count || column < 0 || column >= LogColumns::Count)
        return QString();
    char buffer[MaxFieldChars];
    const int len = putField(buffer, this->row(row), column);
    return QString::fromLatin1(buffer, len);
}

void DataLog::retranslate()
{
    emit headerDataChanged(Qt::Horizontal, 0, LogColumns::Count - 1);
}

bool DataLog::writeCsv(const QString &path, QString *error) const
{
    // A file is replaced only once the whole table is on disk, so a full disk or a file-size
    // limit leaves the old file as it was.
    ReplacingFile file(path);
    const QByteArray header = csvHeader();
    if (!file.open(error) || !file.write(header.constData(), header.size(), error))
        return false;

    // Rows are plain ASCII: format them straight into a large buffer and write it in chunks.
    constexpr int BufferSize = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[BufferSize]);
    int used = 0;
    for (int i = 0; i < m_count; ++i) {
        if (BufferSize - used < MaxCsvLine) {
            if (!file.write(buffer.get(), used, error))
                return false;
            used = 0;
        }
        used += formatCsvLine(row(i), buffer.get() + used);
    }
    if (used && !file.write(buffer.get(), used, error))
        return false;
    return file.finish(error);
}

QByteArray DataLog::csvHeader()
{
    QByteArray header;
    for (int c = 0; c < LogColumns::Count; ++c) {
        if (c)
            header += ',';
        // A quote inside a field is doubled, the usual CSV rule; captions are the only fields
        // that could hold one.
        header += '"' + LogColumns::caption(c).toUtf8().replace('"', "\"\"") + '"';
    }
    return header + '\n';
}

QByteArray DataLog::csvLine(int index) const
{
    if (index < 0 || index >= m_count)
        return QByteArray();
    char buffer[MaxCsvLine];
    return QByteArray(buffer, formatCsvLine(row(index), buffer));
}

int DataLog::formatCsvLine(const Row &row, char *out)
{
    char *const start = out;
    for (int c = 0; c < LogColumns::Count; ++c) {
        if (c)
            *out++ = ',';
        *out++ = '"';
        out += putField(out, row, c);
        *out++ = '"';
    }
    *out++ = '\n';
    return int(out - start);
}

std::size_t DataLog::storageBytes() const
{
    return m_chunks.size() * ChunkRows * sizeof(Row)
        + m_chunks.capacity() * sizeof(std::unique_ptr<Row[]>);
}
