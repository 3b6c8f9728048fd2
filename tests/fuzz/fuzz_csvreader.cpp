// The log's CSV reader on any contents. Every row it hands on has all its columns and each number
// within what its column can hold, writes back as a line the reader takes again unchanged, and
// there are never more rows than the bound, which never exceeds what the bytes can hold.
#include "csvreader.h"
#include "datalog.h"
#include "logcolumns.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The row as the log writes it.
QByteArray lineOf(const DataLog::Row &row)
{
    char line[DataLog::MaxCsvLine];
    const int length = DataLog::formatCsvLine(row, line);
    check(length > 0 && length <= DataLog::MaxCsvLine);
    return QByteArray(line, length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray contents(reinterpret_cast<const char *>(data), int(size));
    CsvReader reader;
    if (!reader.openContents(contents)) {
        check(reader.error().problem != CsvReader::Problem::None);
        return 0;
    }
    const qint64 bytesCanHold = (qint64(size) + 1) / (CsvReader::ShortestRow + 1);
    check(reader.rowCountBound() >= 0 && reader.rowCountBound() <= bytesCanHold);

    static const QByteArray header = DataLog::csvHeader();
    int rows = 0;
    const bool read = reader.readRows([&rows](const DataLog::Row &row, qint64) {
        ++rows;
        for (int c = LogColumns::FirstValue; c < LogColumns::Count; ++c) {
            const LogColumns::Range range = LogColumns::range(c);
            const qint32 value = row.values[c - LogColumns::FirstValue];
            check(value >= range.min && value <= range.max);
        }
        // Written again and read back: the same line, every column in its place.
        const QByteArray line = lineOf(row);
        CsvReader again;
        check(again.openContents(header + line));
        int count = 0;
        check(again.readRows([&](const DataLog::Row &back, qint64) {
            ++count;
            check(lineOf(back) == line);
        }));
        check(count == 1 && again.cutOffLine() == 0);
    });
    check(read == (reader.error().problem == CsvReader::Problem::None));
    check(rows <= reader.rowCountBound());
    // Only a last line without its line end is ever left out.
    if (reader.cutOffLine() > 0)
        check(read && !contents.endsWith('\n'));
    return 0;
}
