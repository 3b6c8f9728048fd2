// The real-time reply: its decoding into the record and the display texts, and the chart data.
#include "cellchart.h"
#include "telemetry.h"

#include <QHash>
#include <QtTest>

namespace {
// The real-time data block, written left to right from field values, as the board lays it out.
struct RealTimeFields
{
    int cells[25];
    int temps[6]; // as on the wire (degrees + 40.00, in 0.01 degC)
    int protection, alarm, job, chargeMos, dischargeMos;
    uint32_t current, newcc, chgvv, dsgvv;
    int cycles, balance, pack, avg, max, min, largestDiff, smallestDiff, extreme;
    int soc, series, compensation, damping, soh;
};

QByteArray hex(uint32_t value, int width)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(width, '0');
}

QByteArray block(const RealTimeFields &f)
{
    QByteArray b;
    for (int v : f.cells)
        b += hex(uint32_t(v), 4);
    for (int v : f.temps)
        b += hex(uint32_t(v), 4);
    b += hex(uint32_t(f.protection), 1) + hex(uint32_t(f.alarm), 1) + hex(uint32_t(f.job), 1)
        + hex(uint32_t(f.chargeMos), 1) + hex(uint32_t(f.dischargeMos), 1);
    b += hex(f.current, 8) + hex(f.newcc, 8) + hex(f.chgvv, 8) + hex(f.dsgvv, 8);
    for (int v : { f.cycles, f.balance, f.pack, f.avg, f.max, f.min, f.largestDiff, f.smallestDiff,
                   f.extreme })
        b += hex(uint32_t(v), 4);
    b += hex(uint32_t(f.soc), 2) + hex(uint32_t(f.series), 2) + hex(uint32_t(f.compensation), 2);
    b += hex(uint32_t(f.damping), 4) + hex(uint32_t(f.soh), 4);
    return b;
}

RealTimeFields sampleFields()
{
    RealTimeFields f{};
    for (int k = 0; k < 25; ++k)
        f.cells[k] = 3100 + k;
    const int temps[6] = { 0x0FA0, 0x1D4C, 0x0000, 4000 + 2550, 4000 - 1234, 0xFFFF };
    std::copy(std::begin(temps), std::end(temps), f.temps);
    f.protection = 11;
    f.alarm = 0xA;
    f.job = 2;
    f.chargeMos = 1;
    f.dischargeMos = 1;
    f.current = 1500;
    f.newcc = 0x12345678;
    f.chgvv = 0x7FFFFFFF;
    f.dsgvv = 0xFFFFFFFF;
    f.cycles = 321;
    f.balance = 0x8001;
    f.pack = 52000;
    f.avg = 3300;
    f.max = 3350;
    f.min = 3250;
    f.largestDiff = 100;
    f.smallestDiff = 2;
    f.extreme = 0xBEEF;
    f.soc = 87;
    f.series = 16;
    f.compensation = 0x64;
    f.damping = 7;
    f.soh = 0xABCD;
    return f;
}

QHash<QByteArray, QString> textsByWidget(const RealTimeReply &reply)
{
    QHash<QByteArray, QString> texts;
    for (const WidgetText &t : reply.texts) {
        if (texts.contains(t.widget))
            qWarning("widget %s written twice", t.widget);
        texts.insert(t.widget, t.text);
    }
    return texts;
}
} // namespace

class TestTelemetry : public QObject
{
    Q_OBJECT

private slots:
    void initializeKeepsVoltageStatistics();
    void fullBlockFillsEveryField();
    void displayTexts();
    void temperatures_data();
    void temperatures();
    void mosWord_data();
    void mosWord();
    void shortAndLongBlocks();
    void invalidFieldsReadZero();
    void chartClampsAndSplits();
    void zoomSteps();
    void zoomRefusals();
};

void TestTelemetry::initializeKeepsVoltageStatistics()
{
    cell r;
    r.ts[5] = 1;
    r.cadc = 2;
    r.cell[24] = 3;
    r.totalv = r.soc = r.soh = r.id = r.mos_statu = 4;
    r.sys_statu = r.alrt_statu = r.job_statu = r.blance_statu = 5;
    r.maxv = 3400;
    r.minv = 3200;
    r.avgv = 3300;
    initializeAFE(&r);
    cell expected;
    expected.maxv = 3400;
    expected.minv = 3200;
    expected.avgv = 3300;
    QVERIFY(memcmp(&r, &expected, sizeof r) == 0);
    initializeAFE(nullptr); // ignored
}

void TestTelemetry::fullBlockFillsEveryField()
{
    const QByteArray data = block(sampleFields());
    QCOMPARE(data.size(), 211);
    QVERIFY(data.startsWith("0C1C")); // cell 1 is the first four digits
    QVERIFY(data.endsWith("ABCD")); // the state of health the last four

    cell r;
    r.maxv = 1; // overwritten, not kept
    const RealTimeReply reply = decodeRealTime("0A", data, &r);
    for (int k = 0; k < 25; ++k)
        QCOMPARE(r.cell[k], 3100 + k);
    const int temps[6] = { 0, 3500, -4000, 2550, -1234, 0xFFFF - 4000 };
    for (int i = 0; i < 6; ++i)
        QCOMPARE(r.ts[i], temps[i]);
    QCOMPARE(r.sys_statu, 11);
    QCOMPARE(r.alrt_statu, 10);
    QCOMPARE(r.job_statu, 2);
    QCOMPARE(r.mos_statu, 3);
    QCOMPARE(r.cadc, 1500);
    QCOMPARE(r.blance_statu, 0x8001);
    QCOMPARE(r.totalv, 52000);
    QCOMPARE(r.avgv, 3300);
    QCOMPARE(r.maxv, 3350);
    QCOMPARE(r.minv, 3250);
    QCOMPARE(r.soc, 87);
    QCOMPARE(r.soh, 0xABCD);
    QCOMPARE(r.id, 10);

    QCOMPARE(reply.addressText, QByteArray("0A"));
    QCOMPARE(reply.chargeMos, 1);
    QCOMPARE(reply.dischargeMos, 1);
    QCOMPARE(reply.newcc, 0x12345678);
    QCOMPARE(reply.chgvv, 0x7FFFFFFF);
    QCOMPARE(reply.dsgvv, 0); // above the int range: reads 0, never -1
    QCOMPARE(reply.cycleCount, 321);
    QCOMPARE(reply.largestDifference, 100);
    QCOMPARE(reply.smallestDifference, 2);
    QCOMPARE(reply.cellExtreme, 0xBEEF);
    QCOMPARE(reply.cellsInSeries, 16);
    QCOMPARE(reply.currentCompensation, 100);
    QCOMPARE(reply.damping, 7);

    // A null record still gives the display values.
    QCOMPARE(decodeRealTime("01", data, nullptr).damping, 7);
}

void TestTelemetry::displayTexts()
{
    cell r;
    const RealTimeReply reply = decodeRealTime("0A", block(sampleFields()), &r);
    const QHash<QByteArray, QString> t = textsByWidget(reply);
    QCOMPARE(t.size(), reply.texts.size()); // no widget written twice

    QCOMPARE(reply.texts.first().widget, "data_num"); // the address first, exactly as received
    QCOMPARE(t["data_num"], QString("0A"));
    QCOMPARE(t["data_denum"], QString("10"));
    QCOMPARE(t["data_cell1"], QString("3100"));
    QCOMPARE(t["data_cell25"], QString("3124"));
    QCOMPARE(t["ets"], QString("0.00"));
    QCOMPARE(t["mosts"], QString("35.00"));
    QCOMPARE(t["data_ts1"], QString("-40.00"));
    QCOMPARE(t["ts1"], QString("-40.00"));
    QCOMPARE(t["data_ts2"], QString("25.50"));
    QCOMPARE(t["ts3"], QString("-12.34"));
    QCOMPARE(t["data_ts4"], QString("615.35"));
    QCOMPARE(t["data_project"], QString("11"));
    QCOMPARE(t["data_alert"], QString("10"));
    QCOMPARE(t["data_job"], QString("2"));
    QCOMPARE(t["data_statu"], QString("0"));
    QCOMPARE(t["data_len"], QString("1"));
    for (const char *w : { "data_chgmos", "data_chgmos2", "data_dsgmos", "data_dsgmos2" })
        QCOMPARE(t[w], QString("1"));
    QCOMPARE(t["data_cadc"], QString("1500"));
    QCOMPARE(t["data_mcadc"], QString("1500"));
    QCOMPARE(t["data_newcc"], QString("305419896"));
    QCOMPARE(t["data_chgvv_2"], QString("2147483647"));
    QCOMPARE(t["data_dsgvv_2"], QString("0"));
    QCOMPARE(t["data_cycle"], QString("321"));
    QCOMPARE(t["data_dsgceal"], QString("321"));
    QCOMPARE(t["data_blance"], QString("32769"));
    QCOMPARE(t["data_tatolv"], QString("52000"));
    QCOMPARE(t["data_totalv"], QString("52000"));
    QCOMPARE(t["data_eve"], QString("3300"));
    QCOMPARE(t["data_avg"], QString("3300"));
    QCOMPARE(t["data_maxv"], QString("3350"));
    QCOMPARE(t["data_maxv2"], QString("3350"));
    QCOMPARE(t["data_minv"], QString("3250"));
    QCOMPARE(t["data_minv2"], QString("3250"));
    QCOMPARE(t["data_maxev"], QString("100"));
    QCOMPARE(t["data_maxev1"], QString("100"));
    QCOMPARE(t["data_minev"], QString("2"));
    QCOMPARE(t["data_maxexv"], QString("48879"));
    QCOMPARE(t["data_soc"], QString("87"));
    QCOMPARE(t["data_totalcell"], QString("16"));
    QCOMPARE(t["data_cax"], QString("100"));
    QCOMPARE(t["data_exefity"], QString("7"));
    QCOMPARE(t["data_week"], QString("43981"));
    // 25 cells, 10 temperature fields, 36 others; nothing that no reply writes.
    QCOMPARE(t.size(), 25 + 10 + 36);
    for (const char *w : { "data_chipt", "data_swrdsg", "data_swchg", "sys_version" })
        QVERIFY(!t.contains(w));
}

void TestTelemetry::temperatures_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0FA0") << QByteArray("0FA0") << 0 << "0.00";
    QTest::newRow("1D4C") << QByteArray("1D4C") << 3500 << "35.00";
    QTest::newRow("0000") << QByteArray("0000") << -4000 << "-40.00";
    QTest::newRow("lower case") << QByteArray("1d4c") << 3500 << "35.00";
    QTest::newRow("not hex") << QByteArray("ZZZZ") << -4000 << "-40.00";
    QTest::newRow("0FA1") << QByteArray("0FA1") << 1 << "0.01";
    QTest::newRow("0F9F") << QByteArray("0F9F") << -1 << "-0.01";
}

void TestTelemetry::temperatures()
{
    QFETCH(QByteArray, field);
    QFETCH(int, stored);
    QFETCH(QString, shown);
    // The environment temperature is the first of the six (offset 100 of the block).
    QByteArray data = block(sampleFields());
    data.replace(100, 4, field);
    cell r;
    const QHash<QByteArray, QString> t = textsByWidget(decodeRealTime("01", data, &r));
    QCOMPARE(r.ts[0], stored);
    QCOMPARE(t["ets"], shown);
}

void TestTelemetry::mosWord_data()
{
    QTest::addColumn<int>("discharge");
    QTest::addColumn<int>("charge");
    QTest::addColumn<int>("word");
    QTest::newRow("D0 C0") << 0 << 0 << 1;
    QTest::newRow("D0 C1") << 0 << 1 << 1;
    QTest::newRow("D1 C0") << 1 << 0 << 2;
    QTest::newRow("D1 C1") << 1 << 1 << 3;
    QTest::newRow("DF C0") << 15 << 0 << 0x8000;
    QTest::newRow("D2 C5") << 2 << 5 << 5;
}

void TestTelemetry::mosWord()
{
    QFETCH(int, discharge);
    QFETCH(int, charge);
    QFETCH(int, word);
    RealTimeFields f = sampleFields();
    f.dischargeMos = discharge;
    f.chargeMos = charge;
    cell r;
    const RealTimeReply reply = decodeRealTime("01", block(f), &r);
    QCOMPARE(r.mos_statu, word);
    QCOMPARE(reply.dischargeMos, discharge);
    QCOMPARE(reply.chargeMos, charge);
}

void TestTelemetry::shortAndLongBlocks()
{
    const QByteArray full = block(sampleFields());
    cell expected;
    decodeRealTime("01", full, &expected);

    // Surplus characters on the left are never read.
    cell r;
    decodeRealTime("01", "FFFF" + full, &r);
    QVERIFY(memcmp(&r, &expected, sizeof r) == 0);

    // Two characters short: cell 1 loses its first two digits, nothing else moves.
    decodeRealTime("01", full.mid(2), &r);
    QCOMPARE(r.cell[0], 0x1C);
    QCOMPARE(r.cell[1], 3101);
    QCOMPARE(r.soh, 0xABCD);

    // Only the rightmost fields: everything further left reads 0.
    decodeRealTime("01", full.right(8), &r);
    QCOMPARE(r.soh, 0xABCD);
    QCOMPARE(r.soc, 0);
    QCOMPARE(r.cell[0], 0);
    QCOMPARE(r.ts[0], -4000);

    // Nothing at all: zeros, temperatures at -40.00, the previous reply gone.
    const RealTimeReply empty = decodeRealTime("01", QByteArray(), &r);
    cell zeros;
    for (int &t : zeros.ts)
        t = -4000;
    zeros.id = 1;
    zeros.mos_statu = 1;
    QVERIFY(memcmp(&r, &zeros, sizeof r) == 0);
    QCOMPARE(textsByWidget(empty)["data_ts4"], QString("-40.00"));
}

void TestTelemetry::invalidFieldsReadZero()
{
    RealTimeFields f = sampleFields();
    f.current = 0xFFFF63D0; // a 39.984 A discharge: the current alone is signed
    f.newcc = 0xFFFFFF9C; // every other field keeps the general rule
    QByteArray data = block(f);
    data.replace(173, 4, "3G00"); // average voltage: not hex
    cell r;
    const QHash<QByteArray, QString> t = textsByWidget(decodeRealTime("zz", data, &r));
    QCOMPARE(r.cadc, -39984);
    QCOMPARE(t["data_cadc"], QString("-39984"));
    QCOMPARE(t["data_mcadc"], QString("-39984"));
    QCOMPARE(t["data_newcc"], QString("0"));
    QCOMPARE(r.avgv, 0);
    QCOMPARE(r.maxv, 3350); // the neighbours are untouched
    QCOMPARE(r.totalv, 52000);
    QCOMPARE(r.id, 0);
    QCOMPARE(t["data_num"], QString("zz"));
}

void TestTelemetry::chartClampsAndSplits()
{
    cell r;
    for (int k = 0; k < 25; ++k)
        r.cell[k] = 3000 + k;
    r.cell[0] = 499;
    r.cell[1] = 500;
    r.cell[2] = 5000;
    r.cell[3] = 5001;
    r.cell[4] = -1;
    r.cell[20] = 6000; // not charted, so not clamped
    r.blance_statu = 0x0004 | 0x10000; // cell 3 balancing; bit 16 names no charted cell

    const CellChart::Bars bars = CellChart::refresh(&r);
    QCOMPARE(r.cell[0], 0);
    QCOMPARE(r.cell[1], 500);
    QCOMPARE(r.cell[2], 5000);
    QCOMPARE(r.cell[3], 0);
    QCOMPARE(r.cell[4], 0);
    QCOMPARE(r.cell[20], 6000);
    for (int i = 0; i < CellChart::Cells; ++i) {
        const int shown = i == 2 ? bars.balancing[i] : bars.idle[i];
        const int other = i == 2 ? bars.idle[i] : bars.balancing[i];
        QCOMPARE(shown, r.cell[i]);
        QCOMPARE(other, 0);
    }

    r.blance_statu = 0xFFFF;
    const CellChart::Bars all = CellChart::refresh(&r);
    for (int i = 0; i < CellChart::Cells; ++i) {
        QCOMPARE(all.balancing[i], r.cell[i]);
        QCOMPARE(all.idle[i], 0);
    }
    CellChart::refresh(nullptr); // ignored
}

void TestTelemetry::zoomSteps()
{
    cell r;
    r.avgv = 3300;
    r.maxv = 3325;
    r.minv = 3275; // spread 50 mV

    const CellChart::Zoom in = CellChart::wheelZoom(2000, 4500, 120, r);
    QVERIFY(in.changed);
    QCOMPARE(in.max - in.min, 2250.0);
    QCOMPARE(in.min, 2175.0);
    QCOMPARE(in.max, 4425.0);
    QCOMPARE(in.minmark, 2175);
    QCOMPARE(in.maxmark, 4425);

    const CellChart::Zoom out = CellChart::wheelZoom(2000, 4500, -120, r);
    QCOMPARE(out.min, 1925.0);
    QCOMPARE(out.max, 4675.0);
    // A wheel turned only sideways widens too.
    const CellChart::Zoom sideways = CellChart::wheelZoom(2000, 4500, 0, r);
    QCOMPARE(sideways.min, 1925.0);
    QCOMPARE(sideways.max, 4675.0);

    // The stored marks are truncated, the axis keeps the exact bounds.
    r.avgv = 3250;
    r.maxv = r.minv = 3250;
    const CellChart::Zoom exact = CellChart::wheelZoom(3000, 3552, 1, r);
    QCOMPARE(exact.min, 3001.6);
    QCOMPARE(exact.max, 3498.4);
    QCOMPARE(exact.minmark, 3001);
    QCOMPARE(exact.maxmark, 3498);

    // The range never narrows below a tenth of the cell spread (in whole millivolts).
    r.avgv = 3300;
    r.maxv = 4000;
    r.minv = 3000;
    const CellChart::Zoom floor = CellChart::wheelZoom(3250, 3350, 1, r);
    QCOMPARE(floor.min, 3250.0);
    QCOMPARE(floor.max, 3350.0);
}

void TestTelemetry::zoomRefusals()
{
    // Before the first reply the centre is 0: every step would reach below 0 mV.
    QVERIFY(!CellChart::wheelZoom(2000, 4500, 120, cell()).changed);
    QVERIFY(!CellChart::wheelZoom(2000, 4500, -120, cell()).changed);

    // A lower bound of exactly 0 is refused as well.
    cell r;
    r.avgv = 1000;
    QVERIFY(!CellChart::wheelZoom(0, 2000 / 0.9, 1, r).changed);

    // Zooming out again and again ends where the lower bound would reach 0 mV.
    r.avgv = 3300;
    double min = 2000, max = 4500;
    int steps = 0;
    for (; steps < 100; ++steps) {
        const CellChart::Zoom z = CellChart::wheelZoom(min, max, -1, r);
        if (!z.changed)
            break;
        QVERIFY(z.minmark > 0);
        min = z.min;
        max = z.max;
    }
    QCOMPARE(steps, 10); // 2500 * 1.1^10 = 6484 < 6600 <= 2500 * 1.1^11
    QCOMPARE(min, 3300 - 2500 * std::pow(1.1, 10) / 2);

    // A centre far outside any cell voltage never produces marks that overflow.
    r.avgv = std::numeric_limits<int>::max() - 10;
    QVERIFY(!CellChart::wheelZoom(2000, 4500, -1, r).changed);
}

QTEST_GUILESS_MAIN(TestTelemetry)
#include "tst_telemetry.moc"
