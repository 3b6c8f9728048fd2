#include "csvreader.h"

#include "logcolumns.h"

#include <QDateTime>

#include <array>
#include <cstring>

namespace {

constexpr qint64 MsPerDay = 86400000;
constexpr qint64 MsPerQuarter = 900000;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (H. Hinnant's algorithm).
qint64 daysFromCivil(qint64 year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yoe = year - era * 400;
    const qint64 doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool isLeap(qint64 year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Reads exactly n digits; -1 when one is not a digit.
int digits(const char *p, int n)
{
    int value = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

// "yyyy-MM-dd" as days since 1970-01-01.
bool parseDate(const char *p, int n, qint64 *days)
{
    if (n != 10 || p[4] != '-' || p[7] != '-')
        return false;
    const int year = digits(p, 4), month = digits(p + 5, 2), day = digits(p + 8, 2);
    static const int monthDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (year < 0 || month < 1 || month > 12 || day < 1)
        return false;
    if (day > monthDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0))
        return false;
    *days = daysFromCivil(year, month, day);
    return true;
}

// "HH:mm:ss.zzz" (the milliseconds may be missing or shorter) as milliseconds into the day.
bool parseTime(const char *p, int n, int *ms)
{
    if (n < 8 || p[2] != ':' || p[5] != ':')
        return false;
    const int h = digits(p, 2), m = digits(p + 3, 2), s = digits(p + 6, 2);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        return false;
    int fraction = 0;
    if (n > 8) {
        const int places = n - 9;
        if (p[8] != '.' || places < 1 || places > 3)
            return false;
        fraction = digits(p + 9, places);
        if (fraction < 0)
            return false;
        for (int i = places; i < 3; ++i)
            fraction *= 10;
    }
    *ms = ((h * 60 + m) * 60 + s) * 1000 + fraction;
    return true;
}

// A decimal number times 10^scale, rounded half away from zero: "1.50" with scale 3 is 1500.
// False for anything but an optional minus sign, digits and at most one point, or a value
// beyond 2^40.
bool parseScaled(const char *p, int n, int scale, qint64 *out)
{
    const bool negative = n > 0 && p[0] == '-';
    qint64 value = 0;
    int digitsSeen = 0;
    bool point = false;
    int fraction = 0; // digits after the point
    bool roundUp = false;
    for (int i = negative ? 1 : 0; i < n; ++i) {
        const char c = p[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return false;
        ++digitsSeen;
        if (point && fraction++ >= scale) {
            if (fraction == scale + 1)
                roundUp = c >= '5'; // the first dropped digit rounds
            continue;
        }
        value = value * 10 + (c - '0');
        if (value > (qint64(1) << 40))
            return false;
    }
    if (digitsSeen == 0)
        return false;
    for (int k = qMin(fraction, scale); k < scale; ++k)
        value *= 10;
    if (roundUp)
        ++value;
    *out = negative ? -value : value;
    return true;
}

int powerOfTen(int divisor)
{
    int scale = 0;
    for (; divisor > 1; divisor /= 10)
        ++scale;
    return scale;
}

// How a number column is read: its stored unit as a power of ten of the written one, and the
// values it takes.
struct NumberColumn
{
    int scale = 0;
    LogColumns::Range range{ 0, 0 };
    qint64 lowest = 0; // the texts read, before they are held within the range
    qint64 highest = 0;
};

std::array<NumberColumn, LogColumns::Count> numberColumns()
{
    std::array<NumberColumn, LogColumns::Count> columns;
    for (int c = LogColumns::FirstValue; c < LogColumns::Count; ++c) {
        NumberColumn &column = columns[std::size_t(c)];
        column.scale = powerOfTen(LogColumns::divisor(c));
        column.range = LogColumns::range(c);
        // The log writes some columns with fewer decimals than it stores (the current in A with
        // two, stored in mA): the ends of a column come out up to half a written step beyond
        // them, and read back as the end.
        int halfStep = 1;
        for (int k = LogColumns::decimals(c); k < column.scale; ++k)
            halfStep *= 10;
        halfStep /= 2;
        column.lowest = qint64(column.range.min) - halfStep;
        column.highest = qint64(column.range.max) + halfStep;
    }
    return columns;
}

bool endsWith(const QString &text, const char *tail)
{
    return text.endsWith(QString::fromUtf8(tail));
}

// Whether the captions are the log's, in whatever language: the same columns with the same
// units, the temperature sensors and cells numbered in order, and the captions every language
// keeps as they are.
bool isLogHeader(const QVector<QString> &captions)
{
    if (captions.size() != LogColumns::Count)
        return false;
    if (captions[2] != QLatin1String("Pack") || captions[8] != QLatin1String("SOC")
        || captions[9] != QLatin1String("SOH"))
        return false;
    if (!endsWith(captions[10], "(A)") || !endsWith(captions[11], "(V)"))
        return false;
    for (int c = 12; c <= 17; ++c) {
        if (!endsWith(captions[c], "(℃)"))
            return false;
    }
    const auto numbered = [](const QString &caption, const char *unit, int number) {
        const QString head =
            caption.left(caption.size() - QString::fromUtf8(unit).size()).trimmed();
        const QString n = QString::number(number);
        return endsWith(caption, unit) && head.endsWith(n)
            && (head.size() == n.size() || !head.at(head.size() - n.size() - 1).isDigit());
    };
    for (int k = 1; k <= 4; ++k) {
        if (!numbered(captions[12 + k], "(℃)", k))
            return false;
    }
    for (int k = 1; k <= 25; ++k) {
        if (!numbered(captions[LogColumns::FirstCell + k - 1], "(mV)", k))
            return false;
    }
    return true;
}

} // namespace

CsvReader::CsvReader() = default;

CsvReader::~CsvReader() = default;

bool CsvReader::open(const QString &path)
{
    reset();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return fail(Problem::CannotOpen, -1, QByteArray(), m_file.errorString());
    m_size = m_file.size();
    if (m_size > 0)
        m_data = reinterpret_cast<const char *>(m_file.map(0, m_size));
    if (!m_data) {
        // Not every file can be mapped (pipes, some file systems): read it instead.
        m_copy = m_file.readAll();
        if (m_file.error() != QFileDevice::NoError)
            return fail(Problem::CannotOpen, -1, QByteArray(), m_file.errorString());
        m_data = m_copy.constData();
        m_size = m_copy.size();
    }
    return openData();
}

bool CsvReader::openContents(const QByteArray &contents)
{
    reset();
    m_copy = contents;
    m_data = m_copy.constData();
    m_size = m_copy.size();
    return openData();
}

void CsvReader::reset()
{
    m_error = Error();
    m_line = 0;
    m_pos = 0;
    m_rowBound = 0;
    m_cutOffLine = 0;
    m_zoneQuarter = std::numeric_limits<qint64>::min();
    m_data = nullptr;
    m_size = 0;
    m_copy.clear();
    m_file.close(); // and unmapped
}

bool CsvReader::openData()
{
    if (m_size == 0) {
        m_line = 1;
        return fail(Problem::NotALog);
    }
    // A byte-order mark, as spreadsheets add when they save a file again.
    if (m_size >= 3 && std::memcmp(m_data, "\xEF\xBB\xBF", 3) == 0)
        m_pos = 3;
    if (!splitLine())
        return false;
    m_captions.clear();
    for (int i = 0; i < m_fields.size(); ++i)
        m_captions.append(QString::fromUtf8(fieldText(i)).trimmed());
    if (!isLogHeader(m_captions))
        return fail(Problem::NotALog);

    // No field holds a line end, so a row is one line of at least ShortestRow characters.
    qint64 rows = 0;
    for (const char *p = m_data + m_pos, *end = m_data + m_size; p < end;) {
        const char *lineEnd = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
        if (!lineEnd)
            lineEnd = end;
        if (lineEnd - p >= ShortestRow)
            ++rows;
        p = lineEnd + 1;
    }
    m_rowBound = int(qMin<qint64>(rows, std::numeric_limits<int>::max()));
    return true;
}

bool CsvReader::readRows(const RowSink &onRow)
{
    if (m_error.problem != Problem::None || !m_data)
        return m_error.problem == Problem::None; // an empty file has no header: open said so
    DataLog::Row row;
    while (m_pos < m_size) {
        const bool split = splitLine();
        if (split && m_fields.size() == 1 && m_fields[0].length == 0)
            continue; // a blank line
        if (!split || !parseRow(&row)) {
            if (!isCutOff())
                return false;
            m_cutOffLine = m_line;
            m_error = Error();
            return true;
        }
        onRow(row, toUtc(row.localMs));
    }
    return true;
}

bool CsvReader::isCutOff() const
{
    if (m_lineEnded || m_pos < m_size || m_line < 2)
        return false;
    return m_error.problem == Problem::Truncated
        || (m_error.problem == Problem::NotANumber && m_error.column == LogColumns::Count - 1);
}

bool CsvReader::splitLine()
{
    ++m_line;
    m_lineEnded = false;
    m_fields.clear();
    const char *p = m_data + m_pos;
    const char *const end = m_data + m_size;
    for (;;) {
        Field field{ p, 0, false };
        if (p < end && *p == '"') {
            // Quoted: up to the next single quote; a doubled one stands for one quote.
            field.begin = ++p;
            for (;;) {
                const char *q =
                    static_cast<const char *>(std::memchr(p, '"', std::size_t(end - p)));
                const char *lineEnd =
                    static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
                if (!q || (lineEnd && lineEnd < q)) {
                    // The log never puts a line end into a field: the line was cut off.
                    m_pos = lineEnd ? lineEnd - m_data + 1 : m_size;
                    m_lineEnded = lineEnd != nullptr;
                    return fail(Problem::Truncated);
                }
                if (q + 1 < end && q[1] == '"') {
                    field.escaped = true;
                    p = q + 2;
                    continue;
                }
                field.length = int(q - field.begin);
                p = q + 1;
                break;
            }
            // Only a separator or the line end may follow the closing quote.
            while (p < end && *p != ',' && *p != '\n' && *p != '\r')
                ++p;
        } else {
            while (p < end && *p != ',' && *p != '\n')
                ++p;
            field.length = int(p - field.begin);
            if (field.length > 0 && field.begin[field.length - 1] == '\r'
                && (p == end || *p == '\n'))
                --field.length;
        }
        m_fields.append(field);
        if (p < end && *p == '\r')
            ++p;
        if (p >= end) {
            m_pos = m_size;
            // A last line without its line end is whole only when it has every column.
            const bool blank = m_fields.size() == 1 && m_fields[0].length == 0;
            if (m_line > 1 && m_fields.size() < LogColumns::Count && !blank)
                return fail(Problem::Truncated);
            return true;
        }
        if (*p == '\n') {
            m_pos = p + 1 - m_data;
            m_lineEnded = true;
            return true;
        }
        ++p; // the separator
    }
}

QByteArray CsvReader::fieldText(int index) const
{
    const Field &f = m_fields.at(index);
    QByteArray text(f.begin, f.length);
    if (f.escaped)
        text.replace("\"\"", "\"");
    return text;
}

bool CsvReader::parseRow(DataLog::Row *row)
{
    if (m_fields.size() != LogColumns::Count)
        return fail(Problem::ColumnCount, -1, QByteArray(), QString::number(m_fields.size()));
    qint64 days = 0;
    int msOfDay = 0;
    if (!parseDate(m_fields[0].begin, m_fields[0].length, &days))
        return fail(Problem::NotADate, 0, fieldText(0));
    if (!parseTime(m_fields[1].begin, m_fields[1].length, &msOfDay))
        return fail(Problem::NotATime, 1, fieldText(1));
    row->localMs = days * MsPerDay + msOfDay;
    static const std::array<NumberColumn, LogColumns::Count> columns = numberColumns();
    for (int c = LogColumns::FirstValue; c < LogColumns::Count; ++c) {
        const Field &f = m_fields[c];
        const NumberColumn &column = columns[std::size_t(c)];
        qint64 value = 0;
        if (f.escaped || !parseScaled(f.begin, f.length, column.scale, &value))
            return fail(Problem::NotANumber, c, fieldText(c));
        if (value < column.lowest || value > column.highest)
            return fail(Problem::OutOfRange, c, fieldText(c));
        row->values[c - LogColumns::FirstValue] =
            qint32(qBound<qint64>(column.range.min, value, column.range.max));
    }
    return true;
}

qint64 CsvReader::toUtc(qint64 localMs)
{
    const qint64 quarter = localMs >= 0 ? localMs / MsPerQuarter : (localMs + 1) / MsPerQuarter - 1;
    if (quarter != m_zoneQuarter) {
        const qint64 start = quarter * MsPerQuarter;
        const qint64 day = start >= 0 ? start / MsPerDay : (start + 1) / MsPerDay - 1;
        const QDateTime local(QDate(1970, 1, 1).addDays(day),
                              QTime::fromMSecsSinceStartOfDay(int(start - day * MsPerDay)),
                              Qt::LocalTime);
        m_zoneQuarter = quarter;
        m_zoneOffset = local.isValid() ? local.toMSecsSinceEpoch() - start : 0;
    }
    return localMs + m_zoneOffset;
}

bool CsvReader::fail(Problem problem, int column, const QByteArray &field, const QString &detail)
{
    m_error.problem = problem;
    m_error.line = problem == Problem::CannotOpen ? 0 : m_line;
    m_error.column = column;
    m_error.caption = column >= 0 && column < m_captions.size() ? m_captions.at(column) : QString();
    m_error.field = QString::fromUtf8(field);
    m_error.detail = detail;
    return false;
}
