// The log's files: a recording written row by row is the export of the same rows, and either
// reads back, whatever the language of its header; broken files are refused with their line.
#include "csvreader.h"
#include "datalog.h"
#include "logcolumns.h"
#include "recording.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

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
    void brokenFilesNameTheirLine_data();
    void brokenFilesNameTheirLine();
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

    using P = CsvReader::Problem;
    QTest::newRow("empty file") << QByteArray() << int(P::NotALog) << 1 << -1 << 0;
    QTest::newRow("another table")
        << QByteArray("name,value\nx,1\n") << int(P::NotALog) << 1 << -1 << 0;
    QTest::newRow("a header with a column less")
        << header.left(header.lastIndexOf(",\"")) + '\n' + good << int(P::NotALog) << 1 << -1 << 0;
    QTest::newRow("a line cut off inside a field")
        << header + good + good.left(100) << int(P::Truncated) << 3 << -1 << 1;
    QTest::newRow("a line cut off after a field")
        << header + good + good.left(good.indexOf("\",\"") + 1) << int(P::Truncated) << 3 << -1
        << 1;
    QTest::newRow("wrong column count") << header + good + good + row("2026-03-09", "1", 42) + good
                                        << int(P::ColumnCount) << 4 << -1 << 2;
    QTest::newRow("not a number") << header + good + row("2026-03-09", "1,5") << int(P::NotANumber)
                                  << 3 << 10 << 1;
    QTest::newRow("too large") << header + row("2026-03-09", "9999999999") << int(P::NotANumber)
                               << 2 << 10 << 0;
    QTest::newRow("no such day") << header + row("2026-02-29", "0") << int(P::NotADate) << 2 << 0
                                 << 0;
    // As a spreadsheet may save it again: a byte-order mark, CRLF, no quotes, a blank line, no
    // line end after the last row.
    QByteArray resaved = "\xEF\xBB\xBF" + header + good + '\n' + good;
    resaved.replace('\n', "\r\n");
    resaved.replace('"', "");
    resaved.chop(2);
    QTest::newRow("saved again by a spreadsheet") << resaved << int(P::None) << 0 << -1 << 2;
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
    if (read)
        QCOMPARE(currents, QList<int>({ -1500, -1500 }));
    if (reader.error().column >= 0) // named by the file's own caption, with the text it holds
        QVERIFY(!reader.error().caption.isEmpty() && !reader.error().field.isEmpty());

    QVERIFY(!reader.open(dir.filePath(QStringLiteral("missing.csv"))));
    QCOMPARE(reader.error().problem, CsvReader::Problem::CannotOpen);
    QVERIFY(!reader.error().detail.isEmpty());
}

QTEST_GUILESS_MAIN(TestCsvFiles)
#include "tst_csvfiles.moc"
