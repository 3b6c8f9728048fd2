// The log's files: a recording written row by row is the export of the same rows, and either
// reads back, whatever the language of its header; broken files are refused with their line.
#include "csvreader.h"
#include "datalog.h"
#include "filesizelimit.h"
#include "logcolumns.h"
#include "recording.h"
#include "telemetry.h"
#include "trendbuffer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Rows with the values that are hardest to write and read: signs, ties, the ends of the fields.
void fill(DataLog *log)
{
    const QDateTime start = QDateTime::currentDateTime();
    for (int i = 0; i < 40; ++i) {
        cell r;
        r.id = i % 3 ? 1 : 255;
        r.cadc = (i % 2 ? -1 : 1) * (i * 12345 + 5);
        r.totalv = 65535 - i;
        r.soc = i * 6;
        r.blance_statu = 0xFFFF >> (i % 16);
        for (int t = 0; t < 6; ++t)
            r.ts[t] = -4000 + 1517 * i + t;
        for (int k = 0; k < 25; ++k)
            r.cell[k] = (k * 331 + i) % 65536;
        log->append(r, start.addMSecs(qint64(i) * 300 + i % 7));
    }
}

} // namespace

class TestCsvFiles : public QObject
{
    Q_OBJECT

private slots:
    void recordingIsTheExportAndReadsBack_data();
    void recordingIsTheExportAndReadsBack();
    void recordingFilesAndFailures();
    void packRecordingsTakeAFilePerPackAndDay();
    void recordingCutShortEndsWithItsLastWholeLine();
    void brokenFilesNameTheirLine_data();
    void brokenFilesNameTheirLine();
    void everyValueALogCanHoldReadsBack();
    void rowBoundIsWhatTheBytesCanHold();
};

void TestCsvFiles::recordingIsTheExportAndReadsBack_data()
{
    QTest::addColumn<QString>("language"); // empty: the form's own texts
    QTest::newRow("Chinese") << QString();
    QTest::newRow("English") << QStringLiteral("KORVA_Lang.qm");
    QTest::newRow("German") << QStringLiteral("KORVA_Lang_de.qm");
}

void TestCsvFiles::recordingIsTheExportAndReadsBack()
{
    QFETCH(QString, language);
    QTranslator translator;
    if (!language.isEmpty()) {
        QVERIFY(translator.load(QCoreApplication::applicationDirPath() + '/' + language));
        QCoreApplication::installTranslator(&translator);
    }
    QTemporaryDir dir;
    DataLog log;
    fill(&log);
    Recording recording;
    QVERIFY(recording.start(dir.path(), QDateTime::currentDateTime(), 1, DataLog::csvHeader()));
    for (int i = 0; i < log.count(); ++i)
        QVERIFY(recording.append(log.csvLine(i)));
    const QString exported = dir.filePath(QStringLiteral("export.csv"));
    QVERIFY(log.writeCsv(exported));
    QCoreApplication::removeTranslator(&translator);

    // Byte for byte the export; its size and rows counted as it went.
    const QByteArray recorded = readAll(recording.path());
    QCOMPARE(recorded, readAll(exported));
    QCOMPARE(recording.rows(), log.count());
    QCOMPARE(recording.bytes(), qint64(recorded.size()));
    QVERIFY(language.isEmpty() || !recorded.startsWith("\"日期\""));

    // Read back in another language than it was written in: the same rows, at the same moments.
    CsvReader reader;
    QVERIFY(reader.open(recording.path()));
    QCOMPARE(reader.rowCountBound(), log.count());
    int rows = 0;
    QVERIFY(reader.readRows([&](const DataLog::Row &row, qint64 utcMs) {
        char line[DataLog::MaxCsvLine];
        QCOMPARE(QByteArray(line, DataLog::formatCsvLine(row, line)), log.csvLine(rows));
        QCOMPARE(utcMs,
                 QDateTime::fromString(log.text(rows, 0) + ' ' + log.text(rows, 1),
                                       QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                     .toMSecsSinceEpoch());
        ++rows;
    }));
    QCOMPARE(rows, log.count());
}

void TestCsvFiles::recordingFilesAndFailures()
{
    QTemporaryDir dir;
    const QDateTime start(QDate(2026, 12, 7), QTime(14, 30, 5));
    QCOMPARE(Recording::fileName(start, 1), QStringLiteral("arvex-20261207-143005-pack01.csv"));
    QCOMPARE(Recording::fileName(start, 123), QStringLiteral("arvex-20261207-143005-pack123.csv"));

    // A missing folder is made; a taken name is never written over.
    const QString folder = dir.filePath(QStringLiteral("new/Arvex"));
    Recording first, second;
    QVERIFY(first.start(folder, start, 1, "head\n"));
    QVERIFY(second.start(folder, start, 1, "head\n"));
    QCOMPARE(QFileInfo(first.path()).fileName(), Recording::fileName(start, 1));
    QCOMPARE(QFileInfo(second.path()).fileName(),
             QStringLiteral("arvex-20261207-143005-pack01-2.csv"));
    QVERIFY(first.append("a\n"));
    QVERIFY(second.append("b\n"));
    QCOMPARE(readAll(first.path()), QByteArray("head\na\n"));

    // The file is deleted with its folder: the recording stops instead of writing into nothing.
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(!first.append("c\n"));
    QVERIFY(!first.isActive());
    QVERIFY(!first.errorString().isEmpty());
    QCOMPARE(first.rows(), 1);
    QVERIFY(!first.append("d\n")); // and stays stopped

    // A folder that takes no new files (root writes anywhere but in /proc).
    QString locked = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(locked).isWritable())
        locked = QStringLiteral("/proc/arvex");
    Recording refused;
    QVERIFY(!refused.start(locked, start, 1, "head\n"));
    QVERIFY(!refused.isActive());
    QVERIFY(!refused.errorString().isEmpty());
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Recording nowhere;
    QVERIFY(!nowhere.start(QString(), start, 1, "head\n"));
}

void TestCsvFiles::packRecordingsTakeAFilePerPackAndDay()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("run"));
    const QDateTime evening(QDate(2026, 12, 7), QTime(23, 59, 59, 500));
    const QDateTime night(QDate(2026, 12, 8), QTime(0, 0, 0, 400));
    PackRecordings run;
    QVERIFY(!run.append(1, evening, "x\n")); // not started
    run.start(folder, "head\n");
    QVERIFY(run.append(1, evening, "1a\n"));
    QVERIFY(run.append(2, evening, "2a\n"));
    QVERIFY(run.append(1, evening.addMSecs(100), "1b\n"));
    // Past midnight: each pack's next line begins a file of the new day.
    QVERIFY(run.append(2, night, "2b\n"));
    QVERIFY(run.append(1, night, "1c\n"));
    QCOMPARE(run.files(), 4);
    QCOMPARE(run.rows(), 5);
    QCOMPARE(run.bytes(), qint64(4 * 5 + 5 * 3));
    const auto file = [&](const QDateTime &start, int address) {
        return readAll(folder + '/' + Recording::fileName(start, address));
    };
    QCOMPARE(file(evening, 1), QByteArray("head\n1a\n1b\n"));
    QCOMPARE(file(evening, 2), QByteArray("head\n2a\n"));
    QCOMPARE(file(night, 2), QByteArray("head\n2b\n"));
    QCOMPARE(file(night, 1), QByteArray("head\n1c\n"));
    QCOMPARE(QFileInfo(run.path()).fileName(), Recording::fileName(night, 1));

    // A new run never writes over the last one's files, even within the same second.
    run.start(folder, "head\n");
    QVERIFY(run.append(1, night, "1d\n"));
    QCOMPARE(QFileInfo(run.path()).fileName(),
             QStringLiteral("arvex-20261208-000000-pack01-2.csv"));
    QCOMPARE(file(night, 1), QByteArray("head\n1c\n"));

    // A file that cannot be written stops the run and says which and why.
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(!run.append(1, night, "1e\n"));
    QVERIFY(!run.isRunning() && !run.isActive());
    QVERIFY(!run.errorString().isEmpty());
    QVERIFY(!run.append(2, night, "2c\n"));
}

void TestCsvFiles::recordingCutShortEndsWithItsLastWholeLine()
{
    // Rows recorded until the disk is full: the line being written when it filled is taken back.
    QTemporaryDir dir;
    DataLog log;
    fill(&log);
    const QByteArray answer = withFileSizeLimit(64 * 1024, [&] {
        Recording recording;
        if (!recording.start(dir.path(), QDateTime::currentDateTime(), 1, DataLog::csvHeader()))
            return "not started|" + recording.errorString().toUtf8();
        int row = 0;
        while (recording.append(log.csvLine(row % log.count())))
            ++row;
        const bool stopped = !recording.isActive() && !recording.append(log.csvLine(0));
        return QByteArray::number(recording.rows()) + '|' + QByteArray::number(stopped) + '|'
            + recording.errorString().toUtf8() + '|' + recording.path().toUtf8();
    });
    const QList<QByteArray> parts = answer.split('|');
    QCOMPARE(parts.size(), 4);
    const int rows = parts.at(0).toInt();
    QVERIFY2(rows > 100, answer.constData());
    QByteArray expected = DataLog::csvHeader();
    for (int i = 0; i < rows; ++i)
        expected += log.csvLine(i % log.count());
    QCOMPARE(readAll(QString::fromUtf8(parts.at(3))), expected);
    QCOMPARE(parts.at(1), QByteArray("1"));
    QCOMPARE(parts.at(2), QByteArray(std::strerror(EFBIG)));
    CsvReader reader;
    QVERIFY(reader.open(QString::fromUtf8(parts.at(3))));
    int read = 0;
    QVERIFY(reader.readRows([&read](const DataLog::Row &, qint64) { ++read; }));
    QCOMPARE(read, rows);
    QCOMPARE(reader.cutOffLine(), 0);

    // Not even the header fits: no recording, and no empty file left behind.
    QTemporaryDir full;
    const QByteArray refused = withFileSizeLimit(100, [&] {
        Recording recording;
        const bool started =
            recording.start(full.path(), QDateTime::currentDateTime(), 1, DataLog::csvHeader());
        return QByteArray::number(started) + '|' + recording.errorString().toUtf8();
    });
    QCOMPARE(refused, "0|" + QByteArray(std::strerror(EFBIG)));
    QVERIFY(QDir(full.path()).isEmpty());
}

void TestCsvFiles::brokenFilesNameTheirLine_data()
{
    QByteArray header;
    for (int c = 0; c < LogColumns::Count; ++c)
        header += (c ? ",\"" : "\"") + LogColumns::caption(c).toUtf8() + '"';
    header += '\n';
    const auto row = [](const char *date, const char *current, int columns = 43) {
        QByteArray line = QByteArray("\"") + date + "\",\"10:00:00.000\"";
        for (int c = 2; c < columns; ++c)
            line += c == 10 ? QByteArray(",\"") + current + '"' : QByteArray(",\"1\"");
        return line + '\n';
    };
    const QByteArray good = row("2026-03-09", "-1.50");

    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("problem"); // CsvReader::Problem; None: read
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("rows"); // rows handed on before the end
    QTest::addColumn<int>("cutOff"); // the last line, left out

    using P = CsvReader::Problem;
    QTest::newRow("empty file") << QByteArray() << int(P::NotALog) << 1 << -1 << 0 << 0;
    QTest::newRow("another table")
        << QByteArray("name,value\nx,1\n") << int(P::NotALog) << 1 << -1 << 0 << 0;
    QTest::newRow("a header with a column less")
        << header.left(header.lastIndexOf(",\"")) + '\n' + good << int(P::NotALog) << 1 << -1 << 0
        << 0;
    // Where a full disk or a killed program stops a file: the rows before the last line are read.
    QTest::newRow("the last line cut off inside a field")
        << header + good + good.left(102) << int(P::None) << 0 << -1 << 1 << 3;
    QTest::newRow("the last line cut off after a field")
        << header + good + good.left(good.indexOf("\",\"") + 1) << int(P::None) << 0 << -1 << 1
        << 3;
    QTest::newRow("the last line cut off after its last separator")
        << header + good + good + good.left(good.lastIndexOf(',') + 1) << int(P::None) << 0 << -1
        << 2 << 4;
    QTest::newRow("the first row cut off")
        << header + good.left(30) << int(P::None) << 0 << -1 << 0 << 2;
    // Damage anywhere else refuses the file.
    QTest::newRow("a line cut off before others")
        << header + good + good.left(102) + '\n' + good << int(P::Truncated) << 3 << -1 << 1 << 0;
    QTest::newRow("a cut last line that has its line end")
        << header + good + good.left(good.indexOf("\",\"") + 1) + '\n'
        << int(P::ColumnCount) << 3 << -1 << 1 << 0;
    QTest::newRow("wrong column count") << header + good + good + row("2026-03-09", "1", 42) + good
                                        << int(P::ColumnCount) << 4 << -1 << 2 << 0;
    QTest::newRow("a column too many on the last line")
        << header + good + row("2026-03-09", "1", 44).chopped(1) << int(P::ColumnCount) << 3 << -1
        << 1 << 0;
    QTest::newRow("not a number") << header + good + row("2026-03-09", "1,5") << int(P::NotANumber)
                                  << 3 << 10 << 1 << 0;
    QTest::newRow("too large") << header + row("2026-03-09", "9999999999") << int(P::OutOfRange)
                               << 2 << 10 << 0 << 0;
    QList<QByteArray> fields = good.split(',');
    fields[8] = "\"256\""; // the state of charge is one byte
    const QByteArray soc = fields.join(',');
    QTest::newRow("more than the column holds")
        << header + good + soc + good << int(P::OutOfRange) << 3 << 8 << 1 << 0;
    QTest::newRow("no such day") << header + row("2026-02-29", "0") << int(P::NotADate) << 2 << 0
                                 << 0 << 0;
    // As a spreadsheet may save it again: a byte-order mark, CRLF, no quotes, a blank line, no
    // line end after the last row.
    QByteArray resaved = "\xEF\xBB\xBF" + header + good + '\n' + good;
    resaved.replace('\n', "\r\n");
    resaved.replace('"', "");
    resaved.chop(2);
    QTest::newRow("saved again by a spreadsheet") << resaved << int(P::None) << 0 << -1 << 2 << 0;
}

void TestCsvFiles::brokenFilesNameTheirLine()
{
    QFETCH(QByteArray, contents);
    QFETCH(int, problem);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    QVERIFY(writeFile(path, contents));

    CsvReader reader;
    int rows = 0;
    QList<int> currents;
    const bool read = reader.open(path) && reader.readRows([&](const DataLog::Row &r, qint64) {
        ++rows;
        currents << r.values[10 - LogColumns::FirstValue];
    });
    QCOMPARE(read, problem == int(CsvReader::Problem::None));
    QCOMPARE(int(reader.error().problem), problem);
    QTEST(reader.error().line, "line");
    QTEST(reader.error().column, "column");
    QTEST(rows, "rows");
    QTEST(reader.cutOffLine(), "cutOff");
    if (read)
        QCOMPARE(currents, QVector<int>(rows, -1500).toList());
    if (reader.error().column >= 0) // named by the file's own caption, with the text it holds
        QVERIFY(!reader.error().caption.isEmpty() && !reader.error().field.isEmpty());

    QVERIFY(!reader.open(dir.filePath(QStringLiteral("missing.csv"))));
    QCOMPARE(reader.error().problem, CsvReader::Problem::CannotOpen);
    QVERIFY(!reader.error().detail.isEmpty());
}

void TestCsvFiles::everyValueALogCanHoldReadsBack()
{
    // A reply with every field at its lowest and one with every field at its highest, as the
    // board's fields are read: "-" and digits ("-FFF") or all digits ("FFFF"); the current is
    // signed.
    DataLog log;
    for (const bool high : { false, true }) {
        const auto field = [high](int width) {
            return high      ? QByteArray(width, 'F')
                : width == 1 ? QByteArray("0")
                             : '-' + QByteArray(width - 1, 'F');
        };
        QByteArray block;
        for (int i = 0; i < 25 + 6; ++i)
            block += field(4); // cells, temperatures
        for (int i = 0; i < 5; ++i)
            block += field(1); // protection, alarm and job codes, MOSFET digits
        block += high ? "7FFFFFFF" : "80000000";
        block += QByteArray(3 * 8, '0');
        for (int i = 0; i < 9; ++i)
            block += field(4); // cycles, balance bits, pack and cell figures
        block += field(2) + "00000000" + field(4); // state of charge ... state of health
        cell record;
        decodeRealTime(field(2), block, &record);
        QCOMPARE(record.soc, high ? 255 : -15);
        QCOMPARE(record.totalv, high ? 65535 : -4095);
        QCOMPARE(record.cadc,
                 high ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min());
        QCOMPARE(record.mos_statu, high ? 0x800F : 1);
        QCOMPARE(record.ts[0], high ? 61535 : -8095);
        log.append(record, QDateTime::currentDateTime());
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("ends.csv");
    QVERIFY(log.writeCsv(path));
    CsvReader reader;
    QVERIFY(reader.open(path));
    int rows = 0;
    QVERIFY2(reader.readRows([&](const DataLog::Row &row, qint64) {
        char line[DataLog::MaxCsvLine];
        QCOMPARE(QByteArray(line, DataLog::formatCsvLine(row, line)), log.csvLine(rows++));
    }),
             qPrintable(reader.error().field));
    QCOMPARE(rows, 2);

    // A whole unit beyond either end of a column is refused, naming the column.
    for (int c = LogColumns::FirstValue; c < LogColumns::Count; ++c) {
        if (c == 10)
            continue; // the current holds every 32-bit number
        const LogColumns::Range range = LogColumns::range(c);
        int unit = 1;
        for (int d = LogColumns::divisor(c); d > 1; d /= 10)
            unit *= 10;
        for (const qint32 value : { range.max + unit, range.min - unit }) {
            DataLog::Row row = log.row(0);
            row.values[c - LogColumns::FirstValue] = value;
            char line[DataLog::MaxCsvLine];
            const QByteArray contents =
                DataLog::csvHeader() + QByteArray(line, DataLog::formatCsvLine(row, line));
            QVERIFY(reader.openContents(contents));
            QVERIFY(!reader.readRows([](const DataLog::Row &, qint64) {}));
            QCOMPARE(reader.error().problem, CsvReader::Problem::OutOfRange);
            QCOMPARE(reader.error().column, c);
        }
    }
}

void TestCsvFiles::rowBoundIsWhatTheBytesCanHold()
{
    // The shortest row the reader takes: no quotes, no milliseconds, one digit per number.
    const auto shortest = [](int second) {
        QByteArray line =
            "2026-03-09," + QTime(10, 0).addSecs(second).toString("HH:mm:ss").toLatin1();
        for (int c = LogColumns::FirstValue; c < LogColumns::Count; ++c)
            line += ",1";
        return line;
    };
    QCOMPARE(shortest(0).size(), CsvReader::ShortestRow);
    const QByteArray header = DataLog::csvHeader();
    QByteArray rows;
    for (int i = 0; i < 1000; ++i)
        rows += shortest(i) + '\n';
    rows.chop(1); // no line end after the last

    CsvReader reader;
    // Lines that cannot be rows ask for nothing, however many there are.
    QVERIFY(reader.openContents(header + QByteArray(1000000, '\n')));
    QCOMPARE(reader.rowCountBound(), 0);
    QVERIFY(reader.openContents(header + QByteArray(50, '\n') + rows + QByteArray(50, '\n')));
    QCOMPARE(reader.rowCountBound(), 1000);
    // The tightest file: every byte after the header is a row's or its line end.
    QVERIFY(reader.openContents(header + rows));
    QCOMPARE(reader.rowCountBound(), (rows.size() + 1) / (CsvReader::ShortestRow + 1));
    QCOMPARE(reader.rowCountBound(), 1000);

    // A buffer loaded from the file is sized by the bound, up to a limit that keeps the newest.
    qint64 read = 0;
    std::unique_ptr<TrendBuffer> all = TrendBuffer::load(&reader, 5000, &read);
    QVERIFY(all);
    QCOMPARE(all->capacity(), 1000);
    QCOMPARE(all->size(), 1000);
    QCOMPARE(read, qint64(1000));
    QVERIFY(reader.openContents(header + rows));
    std::unique_ptr<TrendBuffer> newest = TrendBuffer::load(&reader, 400, &read);
    QCOMPARE(newest->size(), 400);
    QCOMPARE(read, qint64(1000));
    QCOMPARE(newest->firstTime() - all->firstTime(), qint64(600 * 1000));
    QCOMPARE(newest->lastTime(), all->lastTime());
    // A file that cannot be read gives no buffer.
    QVERIFY(reader.openContents(header + rows + "\n" + shortest(0).replace("2026", "20x6")));
    QVERIFY(!TrendBuffer::load(&reader, 5000, &read));
    QCOMPARE(reader.error().problem, CsvReader::Problem::NotADate);
}

QTEST_GUILESS_MAIN(TestCsvFiles)
#include "tst_csvfiles.moc"
