// The telemetry log: row texts, the model's behaviour towards views, and the CSV file.
#include "datalog.h"
#include "filesizelimit.h"
#include "logcolumns.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {
// A record with a distinct value in every logged field.
cell sampleRecord()
{
    cell r;
    for (int i = 0; i < 6; ++i)
        r.ts[i] = 1000 * (i + 1) + 50; // 10.50, 20.50, ... degC
    r.cadc = 1500;
    r.maxv = 3400;
    r.minv = 3200;
    r.avgv = 3300;
    for (int k = 0; k < 25; ++k)
        r.cell[k] = 3000 + k;
    r.totalv = 52000;
    r.soc = 87;
    r.soh = 99;
    r.id = 10;
    r.mos_statu = 3;
    r.sys_statu = 11;
    r.alrt_statu = 6;
    r.job_statu = 2;
    r.blance_statu = 0x8001;
    return r;
}

const QDateTime When(QDate(2026, 3, 9), QTime(7, 5, 3, 42), Qt::OffsetFromUTC, 8 * 3600);

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QByteArray quotedHeader()
{
    QByteArray line;
    for (int c = 0; c < LogColumns::Count; ++c)
        line += (c ? ",\"" : "\"") + LogColumns::caption(c).toUtf8() + '"';
    return line + '\n';
}
} // namespace

class TestDataLog : public QObject
{
    Q_OBJECT

private slots:
    void rowTextsFollowTheColumnLayout();
    void scaledValuesMatchQtFormatting();
    void dateAndTimeAreTheLocalClockOfTheMoment();
    void modelTellsViewsAboutRows();
    void headerCaptions();
    void csvOfEmptyTable();
    void csvDoublesQuotesInCaptions();
    void csvOfTwoRows();
    void csvReplacesExistingFile();
    void csvReportsUnwritableFile();
    void csvCutShortLeavesTheOldFile();
};

void TestDataLog::rowTextsFollowTheColumnLayout()
{
    DataLog log;
    log.append(sampleRecord(), When);
    QCOMPARE(log.count(), 1);
    QCOMPARE(log.columnCount(), 43);

    const QStringList expected = {
        "2026-03-09",
        "07:05:03.042",
        "10",
        "11",
        "2",
        "3",
        "6",
        "32769",
        "87",
        "99",
        "1.50",
        "52.00",
        // MOSFET, TS1..TS4, then the environment, one decimal each
        "20.5",
        "30.5",
        "40.5",
        "50.5",
        "60.5",
        "10.5",
    };
    for (int c = 0; c < expected.size(); ++c)
        QCOMPARE(log.text(0, c), expected.at(c));
    for (int k = 0; k < 25; ++k)
        QCOMPARE(log.text(0, LogColumns::FirstCell + k), QString::number(3000 + k));

    // The model shows the same texts, numbers aligned to the right.
    const QModelIndex current = log.index(0, 10);
    QCOMPARE(log.data(current).toString(), QString("1.50"));
    QCOMPARE(log.data(current, Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignRight | Qt::AlignVCenter));

    // Outside the table: nothing, and no crash.
    QCOMPARE(log.text(1, 0), QString());
    QCOMPARE(log.text(0, 43), QString());
    QCOMPARE(log.text(-1, 2), QString());
    QVERIFY(!log.data(log.index(5, 5)).isValid());

    // The row keeps the values of the moment it was added.
    cell later = sampleRecord();
    later.cadc = -2500;
    later.cell[0] = 0;
    log.append(later, When);
    QCOMPARE(log.text(0, 10), QString("1.50"));
    QCOMPARE(log.text(1, 10), QString("-2.50"));
    QCOMPARE(log.text(1, LogColumns::FirstCell), QString("0"));
}

void TestDataLog::scaledValuesMatchQtFormatting()
{
    // Current and pack voltage: / 1000 with two decimals; temperatures: / 100 with one. The
    // texts must be exactly what Qt writes for the quotient, ties and negative zero included.
    QVector<int> values;
    for (int v = -20000; v <= 20000; ++v)
        values << v;
    values << -39984 << std::numeric_limits<int>::max() << std::numeric_limits<int>::min()
           << std::numeric_limits<int>::max() - 5 << 2147483645 << 999999995 << 125 << -125;
    QRandomGenerator rng(42);
    for (int i = 0; i < 20000; ++i)
        values << int(rng.generate());

    DataLog log;
    cell r;
    for (int v : values) {
        r.cadc = v;
        r.ts[1] = v;
        log.append(r, When);
    }
    for (int i = 0; i < values.size(); ++i) {
        const double v = values.at(i);
        QCOMPARE(log.text(i, 10), QString::number(v / 1000, 'f', 2));
        QCOMPARE(log.text(i, 12), QString::number(v / 100, 'f', 1));
    }
    // Worked figures.
    QCOMPARE(log.text(values.indexOf(1505), 10), QString("1.50")); // binary 1.50499...
    QCOMPARE(log.text(values.indexOf(125), 10), QString("0.13")); // exact tie, away from zero
    QCOMPARE(log.text(values.indexOf(-39984), 10), QString("-39.98")); // a 40 A discharge
    QCOMPARE(log.text(values.indexOf(2550), 12), QString("25.5"));
    QCOMPARE(log.text(values.indexOf(-4), 12), QString("-0.0"));
}

void TestDataLog::dateAndTimeAreTheLocalClockOfTheMoment()
{
    DataLog log;
    QVector<QDateTime> moments;
    // Around the epoch, leap days, century rules, and random moments over two centuries.
    moments << QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC)
            << QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 999), Qt::UTC)
            << QDateTime(QDate(2000, 2, 29), QTime(12, 0), Qt::UTC)
            << QDateTime(QDate(2100, 3, 1), QTime(0, 0, 0, 1), Qt::UTC)
            << QDateTime(QDate(2024, 12, 31), QTime(23, 30), Qt::OffsetFromUTC, -3600)
            << QDateTime(QDate(2026, 1, 1), QTime(0, 15), Qt::OffsetFromUTC, 13 * 3600)
            << QDateTime::currentDateTime();
    QRandomGenerator rng(7);
    const qint64 span = QDateTime(QDate(2100, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    for (int i = 0; i < 5000; ++i)
        moments << QDateTime::fromMSecsSinceEpoch(qint64(rng.bounded(double(2 * span))) - span,
                                                  Qt::UTC);
    for (const QDateTime &when : moments)
        log.append(cell(), when);
    for (int i = 0; i < moments.size(); ++i) {
        QCOMPARE(log.text(i, 0), moments.at(i).toString("yyyy-MM-dd"));
        QCOMPARE(log.text(i, 1), moments.at(i).toString("HH:mm:ss.zzz"));
    }
}

void TestDataLog::modelTellsViewsAboutRows()
{
    DataLog log;
    QSignalSpy inserted(&log, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&log, &QAbstractItemModel::modelReset);

    // More rows than one storage chunk, so rows after the first chunk are checked too.
    const int n = 2500;
    for (int i = 0; i < n; ++i) {
        cell r;
        r.soc = i % 101;
        r.cell[24] = i;
        log.append(r, When);
    }
    QCOMPARE(inserted.count(), n);
    QCOMPARE(inserted.last().at(1).toInt(), n - 1); // always at the end
    QCOMPARE(inserted.last().at(2).toInt(), n - 1);
    QCOMPARE(log.rowCount(), n);
    QCOMPARE(log.rowCount(log.index(0, 0)), 0); // a table, not a tree
    for (int i = 0; i < n; i += 97)
        QCOMPARE(log.text(i, 42), QString::number(i));
    QCOMPARE(log.text(n - 1, 42), QString::number(n - 1));
    QVERIFY(log.storageBytes() < std::size_t(n) * 256);

    log.clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(log.count(), 0);
    QCOMPARE(log.text(0, 0), QString());
    log.clear(); // clearing an empty log is harmless
    QCOMPARE(log.count(), 0);

    log.append(sampleRecord(), When);
    QCOMPARE(log.count(), 1);
    QCOMPARE(log.text(0, 2), QString("10"));

    // Held, the log keeps every row (its text, its CSV line) and its views get them in one
    // insertion when it shows them; a view never sees a row it was not told of.
    inserted.clear();
    log.setHeld(true);
    for (int i = 0; i < 3; ++i)
        log.append(sampleRecord(), When);
    QCOMPARE(log.count(), 4);
    QCOMPARE(log.newRows(), 3);
    QCOMPARE(log.rowCount(), 1);
    QVERIFY(!log.data(log.index(3, 2)).isValid());
    QCOMPARE(log.text(3, 2), QString("10"));
    QVERIFY(!log.csvLine(3).isEmpty());
    QCOMPARE(inserted.count(), 0);
    log.showNewRows();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.last().at(1).toInt(), 1);
    QCOMPARE(inserted.last().at(2).toInt(), 3);
    QCOMPARE(log.rowCount(), 4);
    log.showNewRows(); // nothing new: no insertion of nothing
    QCOMPARE(inserted.count(), 1);
    log.append(sampleRecord(), When);
    log.clear(); // the row never shown goes with the others
    QCOMPARE(log.rowCount(), 0);
    QCOMPARE(log.newRows(), 0);
    log.append(sampleRecord(), When);
    log.setHeld(false); // let go: what waited is shown, and the next rows one by one
    QCOMPARE(log.rowCount(), 1);
    log.append(sampleRecord(), When);
    QCOMPARE(log.rowCount(), 2);
    QCOMPARE(inserted.count(), 3);
}

void TestDataLog::headerCaptions()
{
    DataLog log;
    QCOMPARE(log.headerData(0, Qt::Horizontal).toString(), QString("日期"));
    QCOMPARE(log.headerData(12, Qt::Horizontal).toString(), QString("MOS温度(℃)"));
    QCOMPARE(log.headerData(42, Qt::Horizontal).toString(), QString("电芯25(mV)"));
    QVERIFY(!log.headerData(43, Qt::Horizontal).isValid());
    QCOMPARE(log.headerData(0, Qt::Vertical).toInt(), 1);

    qRegisterMetaType<Qt::Orientation>();
    QSignalSpy changed(&log, &QAbstractItemModel::headerDataChanged);
    log.retranslate();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).value<Qt::Orientation>(), Qt::Horizontal);
    QCOMPARE(changed.first().at(1).toInt(), 0);
    QCOMPARE(changed.first().at(2).toInt(), 42);
}

void TestDataLog::csvOfEmptyTable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.csv");
    DataLog log;
    QVERIFY(log.writeCsv(path));
    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes, quotedHeader());
    // UTF-8 without a byte-order mark; the Chinese captions survive.
    QVERIFY(
        bytes.startsWith("\"\xE6\x97\xA5\xE6\x9C\x9F\",\"\xE6\x97\xB6\xE9\x97\xB4\",\"Pack\","));
    QVERIFY(bytes.endsWith(",\"\xE7\x94\xB5\xE8\x8A\xAF"
                           "25(mV)\"\n"));
}

void TestDataLog::csvDoublesQuotesInCaptions()
{
    // A translation may put quotes into a caption; the file must still parse as CSV.
    struct Quoting : QTranslator
    {
        QString translate(const char *, const char *source, const char *, int) const override
        {
            return QByteArray(source) == "Pack" ? QStringLiteral("Pack \"A\"") : QString();
        }
    } quoting;
    QCoreApplication::installTranslator(&quoting);
    QTemporaryDir dir;
    const QString path = dir.filePath("quoted.csv");
    DataLog log;
    const bool written = log.writeCsv(path);
    QCoreApplication::removeTranslator(&quoting);
    QVERIFY(written);
    QVERIFY(readAll(path).contains(",\"Pack \"\"A\"\"\","));
}

void TestDataLog::csvOfTwoRows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("two.csv");
    DataLog log;
    log.append(sampleRecord(), When);
    cell second;
    second.id = 1;
    second.cadc = 0;
    second.ts[0] = -4000; // a field that read 0 on the wire: -40 degC
    second.cell[24] = 65535;
    log.append(second, QDateTime(QDate(2026, 3, 10), QTime(0, 0), Qt::UTC));
    QVERIFY(log.writeCsv(path));

    QByteArray first = "\"2026-03-09\",\"07:05:03.042\",\"10\",\"11\",\"2\",\"3\",\"6\",\"32769\","
                       "\"87\",\"99\",\"1.50\",\"52.00\",\"20.5\",\"30.5\",\"40.5\",\"50.5\","
                       "\"60.5\",\"10.5\"";
    for (int k = 0; k < 25; ++k)
        first += ",\"" + QByteArray::number(3000 + k) + '"';
    QByteArray other = "\"2026-03-10\",\"00:00:00.000\",\"1\",\"0\",\"0\",\"0\",\"0\",\"0\","
                       "\"0\",\"0\",\"0.00\",\"0.00\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\","
                       "\"-40.0\"";
    for (int k = 0; k < 24; ++k)
        other += ",\"0\"";
    other += ",\"65535\"";
    QCOMPARE(readAll(path), quotedHeader() + first + '\n' + other + '\n');
}

void TestDataLog::csvReplacesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("old.csv");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(100000, 'x'));
    }
    DataLog log;
    log.append(sampleRecord(), When);
    QVERIFY(log.writeCsv(path));
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.startsWith(quotedHeader()));
    QVERIFY(!bytes.contains('x'));
    QCOMPARE(bytes.count('\n'), 2);

    // Large logs go out in several chunks without losing or repeating a line.
    for (int i = 1; i < 30000; ++i)
        log.append(sampleRecord(), When);
    QVERIFY(log.writeCsv(path));
    const QByteArray big = readAll(path);
    const QList<QByteArray> lines = big.split('\n');
    QCOMPARE(lines.size(), 30000 + 2); // header, rows, and nothing after the last "\n"
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(lines.at(1), lines.at(30000));
}

void TestDataLog::csvReportsUnwritableFile()
{
    QTemporaryDir dir;
    DataLog log;
    log.append(sampleRecord(), When);
    QVERIFY(!log.writeCsv(dir.filePath("missing/folder/log.csv")));
    QVERIFY(!log.writeCsv(dir.path())); // a folder, not a file
    if (QFile::exists("/dev/full")) { // a device that refuses every byte: disk full
        QString error;
        QVERIFY(!log.writeCsv("/dev/full", &error));
        QCOMPARE(error, QString::fromLocal8Bit(std::strerror(ENOSPC)));
        // Written to, not replaced by a file (root may rename over a device).
        QVERIFY(QFileInfo("/dev/full").exists() && !QFileInfo("/dev/full").isFile());
    }
}

void TestDataLog::csvCutShortLeavesTheOldFile()
{
    // A good export, then a longer log exported over it onto a disk that fills up half-way.
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    DataLog log;
    log.append(sampleRecord(), When);
    QVERIFY(log.writeCsv(path));
    const QByteArray good = readAll(path);
    for (int i = 1; i < 10000; ++i)
        log.append(sampleRecord(), When);

    const QByteArray answer = withFileSizeLimit(256 * 1024, [&] {
        QString error;
        const bool written = log.writeCsv(path, &error);
        return (written ? "written|" : "failed|") + error.toUtf8();
    });
    // The old file is as it was, with nothing beside it; the failure is told in the system's
    // words.
    QCOMPARE(readAll(path), good);
    QCOMPARE(answer, "failed|" + QByteArray(std::strerror(EFBIG)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({ "log.csv" }));

    // With room enough the same export replaces it.
    QCOMPARE(
        withFileSizeLimit(64 * 1024 * 1024,
                          [&] { return QByteArray(log.writeCsv(path) ? "written" : "failed"); }),
        QByteArray("written"));
    QCOMPARE(readAll(path).count('\n'), 1 + 10000);
}

QTEST_GUILESS_MAIN(TestDataLog)
#include "tst_datalog.moc"
