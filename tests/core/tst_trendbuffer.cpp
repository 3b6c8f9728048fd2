// The time series of the trends page: the ring, what each channel keeps, and the cut-down series
// that is drawn.
#include "anchoredclock.h"
#include "logcolumns.h"
#include "trendbuffer.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

using Channel = TrendBuffer::Channel;

namespace {
TrendBuffer::Sample sample(qint64 ms, int base)
{
    TrendBuffer::Sample s;
    s.ms = ms;
    for (int c = 0; c < TrendBuffer::ChannelCount; ++c)
        s.values[c] = base + c;
    return s;
}

// A buffer of samples taken with these spacings in ms, the first at 1,000,000 ms.
void fill(TrendBuffer *buffer, const QVector<int> &spacings)
{
    qint64 t = 1000000;
    buffer->append(sample(t, 0));
    for (int i = 0; i < spacings.size(); ++i) {
        t += spacings[i];
        buffer->append(sample(t, (i * 37) % 11));
    }
}

// Spacings given as runs of (ms, how many times).
QVector<int> runs(std::initializer_list<std::pair<int, int>> list)
{
    QVector<int> spacings;
    for (const auto &run : list)
        spacings += QVector<int>(run.second, run.first);
    return spacings;
}

// The drawn points break the line exactly where the buffer has a gap: consecutive points of one
// line have no gap between their samples, and a Gap point stands for at least one. Sample moments
// must be distinct.
bool breaksMatchGaps(const TrendBuffer &buffer, const std::vector<TrendBuffer::Point> &points)
{
    int previous = -1; // the sample of the last point drawn
    bool broken = false;
    for (const TrendBuffer::Point &p : points) {
        if (p.isGap()) {
            if (broken || previous < 0)
                return false; // two breaks in a row, or one before any point
            broken = true;
            continue;
        }
        const int index = buffer.lowerBound(p.ms);
        if (previous >= 0) {
            bool gap = false;
            for (int k = previous + 1; k <= index; ++k)
                gap |= buffer.startsLine(k);
            if (gap != broken)
                return false;
        }
        previous = index;
        broken = false;
    }
    return !broken;
}
} // namespace

class TestTrendBuffer : public QObject
{
    Q_OBJECT

private slots:
    void ringKeepsTheNewest();
    void channelsKeepWhatTheBoardSends();
    void samplesFromReplyAndRow();
    void decimationKeepsEveryExtreme_data();
    void decimationKeepsEveryExtreme();
    void clockStepsDoNotPileSamples();
    void gapsFollowTheSpacing_data();
    void gapsFollowTheSpacing();
    void decimationBreaksTheLineAtGaps_data();
    void decimationBreaksTheLineAtGaps();
};

void TestTrendBuffer::ringKeepsTheNewest()
{
    TrendBuffer buffer(5);
    QCOMPARE(buffer.nearest(0), -1);
    for (int i = 0; i < 12; ++i)
        buffer.append(sample(1000 * i, 10 * i));
    QCOMPARE(buffer.size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(buffer.timeAt(i), qint64(1000 * (7 + i)));
        const TrendBuffer::Sample s = buffer.sampleAt(i);
        for (int c = 0; c < TrendBuffer::ChannelCount; ++c)
            QCOMPARE(s.values[c], 10 * (7 + i) + c);
    }
    QCOMPARE(buffer.firstTime(), qint64(7000));
    QCOMPARE(buffer.lastTime(), qint64(11000));
    QCOMPARE(buffer.lowerBound(8500), 2);
    QCOMPARE(buffer.lowerBound(99999), 5);
    QCOMPARE(buffer.nearest(8400), 1);
    QCOMPARE(buffer.nearest(8600), 2);
    QCOMPARE(buffer.nearest(-5), 0);
    QCOMPARE(buffer.nearest(99999), 4);

    // A clock set back does not make time run backwards in the buffer.
    buffer.append(sample(3000, 0));
    QCOMPARE(buffer.lastTime(), qint64(11000));
    QCOMPARE(buffer.valueAt(TrendBuffer::Soc, 4), TrendBuffer::Soc);

    buffer.clear();
    QVERIFY(buffer.isEmpty());
    buffer.append(sample(5, 1));
    QCOMPARE(buffer.timeAt(0), qint64(5));

    // A day at the fastest poll fits, compactly.
    TrendBuffer day;
    QVERIFY(day.capacity() >= 288000);
    QVERIFY(day.storageBytes() <= std::size_t(day.capacity()) * 40);
}

void TestTrendBuffer::channelsKeepWhatTheBoardSends()
{
    // Each channel holds the whole range of its field in the reply; beyond it, the nearest end.
    const struct
    {
        Channel channel;
        int in, out;
    } rows[] = {
        { TrendBuffer::PackVoltage, 65535, 65535 },
        { TrendBuffer::PackVoltage, 70000, 65535 },
        { TrendBuffer::Current, -2147483647 - 1, -2147483647 - 1 },
        { TrendBuffer::Current, 2147483647, 2147483647 },
        { TrendBuffer::Soc, 255, 255 },
        { TrendBuffer::Soc, -1, 0 },
        { TrendBuffer::HighestCell, 0, 0 },
        { TrendBuffer::AverageCell, 65535, 65535 },
        { TrendBuffer::MosTemperature, -4000, -4000 },
        { TrendBuffer::AmbientTemperature, 61535, 61535 },
        { TrendBuffer::CellTemperature3, -4100, -4000 },
        { TrendBuffer::CellTemperature4, 2550, 2550 },
    };
    TrendBuffer buffer(4);
    for (const auto &row : rows) {
        TrendBuffer::Sample s;
        s.values[row.channel] = row.in;
        buffer.append(s);
        QCOMPARE(buffer.valueAt(row.channel, buffer.size() - 1), row.out);
    }
}

void TestTrendBuffer::samplesFromReplyAndRow()
{
    cell record;
    record.totalv = 52000;
    record.cadc = -1500;
    record.soc = 87;
    record.maxv = 3350;
    record.minv = 3250;
    record.avgv = 3300;
    for (int i = 0; i < 6; ++i)
        record.ts[i] = 1000 * i; // [0] is the environment, [1] the MOSFET
    const TrendBuffer::Sample fromReply = TrendBuffer::fromRecord(record, 42);
    const int expected[] = { 52000, -1500, 87, 3350, 3250, 3300, 1000, 2000, 3000, 4000, 5000, 0 };
    QCOMPARE(fromReply.ms, qint64(42));
    for (int c = 0; c < TrendBuffer::ChannelCount; ++c)
        QCOMPARE(fromReply.values[c], expected[c]);

    // A logged row: the cell figures come from the cells the chart would draw.
    DataLog log;
    record.cell[0] = 499; // not a cell voltage
    record.cell[1] = 3301;
    record.cell[2] = 3200;
    record.cell[3] = 3400;
    record.cell[4] = 5001;
    log.append(record, QDateTime::currentDateTime());
    const TrendBuffer::Sample fromRow = TrendBuffer::fromRow(log.row(0), 42);
    const int cells[] = { 3400, 3200, 3300 }; // 3300.3 rounds to 3300
    for (int c = 0; c < TrendBuffer::ChannelCount; ++c) {
        const bool cellFigure = c >= TrendBuffer::HighestCell && c <= TrendBuffer::AverageCell;
        QCOMPARE(fromRow.values[c], cellFigure ? cells[c - TrendBuffer::HighestCell] : expected[c]);
    }
    const TrendBuffer::Sample noCells = TrendBuffer::fromRow(DataLog::Row(), 0);
    QCOMPARE(noCells.values[TrendBuffer::AverageCell], 0);

    // A discharge sent as its magnitude, told by the job code, is drawn below zero; one sent
    // signed stays as it is.
    record.job_statu = 2;
    for (int current : { 1500, -1500 }) {
        record.cadc = current;
        log.append(record, QDateTime::currentDateTime());
        QCOMPARE(TrendBuffer::fromRecord(record, 0).values[TrendBuffer::Current], -1500);
        QCOMPARE(TrendBuffer::fromRow(log.row(log.count() - 1), 0).values[TrendBuffer::Current],
                 -1500);
    }
}

void TestTrendBuffer::decimationKeepsEveryExtreme_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("buckets");
    QTest::addColumn<int>("fromIndex"); // the range, by sample; -1 before the first
    QTest::addColumn<int>("toIndex");
    QTest::newRow("everything, wrapped") << 5000 << 12000 << 300 << -1 << 5000;
    QTest::newRow("a window inside") << 5000 << 12000 << 97 << 1200 << 3100;
    QTest::newRow("more buckets than samples") << 1000 << 400 << 1000 << 10 << 390;
    QTest::newRow("one bucket") << 64 << 64 << 1 << 0 << 63;
    // Buckets of hundreds of samples, judged block by block: around the place being written
    // once the ring has turned, and in a ring not yet full.
    QTest::newRow("long buckets, wrapped") << 5000 << 12345 << 7 << -1 << 5000;
    QTest::newRow("long buckets, not full") << 20000 << 9000 << 5 << 100 << 8000;
}

void TestTrendBuffer::decimationKeepsEveryExtreme()
{
    QFETCH(int, capacity);
    QFETCH(int, samples);
    QFETCH(int, buckets);
    QFETCH(int, fromIndex);
    QFETCH(int, toIndex);

    // Irregular times (a slow poll, gaps, equal moments) and noisy values with spikes.
    QRandomGenerator rng(12);
    TrendBuffer buffer(capacity);
    qint64 t = 1700000000000;
    for (int i = 0; i < samples; ++i) {
        t += rng.bounded(4) == 0 ? 0 : 300 + int(rng.bounded(2000));
        TrendBuffer::Sample s;
        s.ms = t;
        s.values[TrendBuffer::Current] = int(rng.bounded(20000)) - 10000;
        if (rng.bounded(50) == 0)
            s.values[TrendBuffer::Current] *= 100;
        s.values[TrendBuffer::Soc] = int(rng.bounded(101));
        s.values[TrendBuffer::CellTemperature2] = int(rng.bounded(9000)) - 4000;
        buffer.append(s);
    }
    const int n = buffer.size();
    const qint64 from = fromIndex < 0 ? buffer.firstTime() - 5000 : buffer.timeAt(fromIndex);
    const qint64 to =
        std::min(toIndex, n - 1) == n - 1 ? buffer.lastTime() : buffer.timeAt(toIndex);

    for (Channel channel :
         { TrendBuffer::Current, TrendBuffer::Soc, TrendBuffer::CellTemperature2 }) {
        std::vector<TrendBuffer::Point> points;
        buffer.decimate(channel, from, to, buckets, &points);
        const int gaps = int(std::count_if(points.begin(), points.end(),
                                           [](const TrendBuffer::Point &p) { return p.isGap(); }));
        // A gap splits a bucket in two, each with its own lowest and highest.
        QVERIFY(int(points.size()) <= 2 * buckets + 2 + 3 * gaps);
        QVERIFY(std::is_sorted(points.begin(), points.end(),
                               [](auto &a, auto &b) { return a.ms < b.ms; }));
        // Every bucket shows its lowest and highest value.
        for (int b = 0; b < buckets; ++b) {
            const qint64 lo = from + qint64((long double)(to - from) * b / buckets);
            const qint64 hi = b + 1 == buckets
                ? to + 1
                : from + qint64((long double)(to - from) * (b + 1) / buckets);
            int minV = INT_MAX, maxV = INT_MIN;
            for (int i = buffer.lowerBound(lo); i < n && buffer.timeAt(i) < hi; ++i) {
                minV = std::min(minV, buffer.valueAt(channel, i));
                maxV = std::max(maxV, buffer.valueAt(channel, i));
            }
            if (minV > maxV)
                continue; // an empty bucket
            bool hasMin = false, hasMax = false;
            for (const TrendBuffer::Point &p : points) {
                if (p.ms >= lo && p.ms < hi) {
                    hasMin |= p.value == minV;
                    hasMax |= p.value == maxV;
                }
            }
            QVERIFY2(hasMin && hasMax, qPrintable(QString("bucket %1").arg(b)));
        }
        // The line runs on to the samples just outside the range.
        const int first = buffer.lowerBound(from);
        if (first > 0)
            QCOMPARE(points.front().ms, buffer.timeAt(first - 1));
        const int after = buffer.lowerBound(to + 1);
        if (after < n)
            QCOMPARE(points.back().ms, buffer.timeAt(after));
    }
}

void TestTrendBuffer::clockStepsDoNotPileSamples()
{
    // A sample every half second while the computer's clock is set back an hour, then forward
    // two: the samples stay half a second apart, from the time the clock showed at the start.
    const qint64 start = QDateTime(QDate(2026, 3, 9), QTime(12, 0)).toMSecsSinceEpoch();
    qint64 monotonic = 123456, wall = start;
    const AnchoredClock clock([&monotonic] { return monotonic; }, [&wall] { return wall; });
    TrendBuffer buffer;
    for (int i = 0; i < 2400; ++i) {
        if (i == 600)
            wall -= 3600 * 1000;
        if (i == 1800)
            wall += 2 * 3600 * 1000;
        buffer.append(sample(clock.now(), i));
        monotonic += 500;
        wall += 500;
    }
    QCOMPARE(buffer.size(), 2400);
    for (int i = 0; i < buffer.size(); ++i)
        QCOMPARE(buffer.timeAt(i), start + 500 * i);
}

void TestTrendBuffer::gapsFollowTheSpacing_data()
{
    QTest::addColumn<QVector<int>>("spacings"); // ms from each sample to the next
    QTest::addColumn<QVector<int>>("lineStarts"); // the samples that begin a new line

    QTest::newRow("regular") << runs({ { 300, 20 } }) << QVector<int>();
    QTest::newRow("jitter") << QVector<int>{ 300, 200, 400, 350, 250, 300, 420, 180, 300 }
                            << QVector<int>();
    QTest::newRow("three periods are no gap")
        << runs({ { 300, 6 }, { 900, 1 }, { 300, 6 } }) << QVector<int>();
    QTest::newRow("a little more is")
        << runs({ { 300, 6 }, { 901, 1 }, { 300, 6 } }) << QVector<int>{ 7 };
    QTest::newRow("port closed for a minute, twice")
        << runs({ { 300, 6 }, { 60000, 1 }, { 300, 6 }, { 60000, 1 }, { 300, 6 } })
        << QVector<int>{ 7, 14 };
    QTest::newRow("two pauses side by side")
        << runs({ { 300, 6 }, { 60000, 2 }, { 300, 6 } }) << QVector<int>{ 7, 8 };
    QTest::newRow("silent after the first reply")
        << runs({ { 3600000, 1 }, { 300, 6 } }) << QVector<int>{ 1 };
    QTest::newRow("the newest, after a pause")
        << runs({ { 300, 6 }, { 60000, 1 } }) << QVector<int>{ 7 };
    QTest::newRow("every other reply missing")
        << QVector<int>{ 300, 600, 300, 600, 300, 600, 300, 600 } << QVector<int>();
    // Another poll period is no gap.
    QTest::newRow("slower poll") << runs({ { 300, 6 }, { 1000, 10 } }) << QVector<int>();
    QTest::newRow("faster poll") << runs({ { 1000, 10 }, { 300, 6 } }) << QVector<int>();
    // Samples on one moment (a clock set back) tell nothing of the spacing.
    QTest::newRow("piled on one moment")
        << runs({ { 300, 6 }, { 0, 10 }, { 300, 2 }, { 60000, 1 } }) << QVector<int>{ 19 };
}

void TestTrendBuffer::gapsFollowTheSpacing()
{
    QFETCH(QVector<int>, spacings);
    QFETCH(QVector<int>, lineStarts);
    TrendBuffer buffer;
    fill(&buffer, spacings);
    QVector<int> found;
    for (int i = 0; i < buffer.size(); ++i) {
        if (buffer.startsLine(i))
            found << i;
    }
    QCOMPARE(found, lineStarts);
}

void TestTrendBuffer::decimationBreaksTheLineAtGaps_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QVector<int>>("spacings");
    QTest::addColumn<int>("buckets");
    QTest::addColumn<qint64>("fromMs"); // after the first sample
    QTest::addColumn<qint64>("toMs");
    QTest::addColumn<int>("gapPoints");

    // 100 samples a second apart, a minute without, 100 more: the gap lies from 99 s to 159 s.
    const QVector<int> minute = runs({ { 1000, 99 }, { 60000, 1 }, { 1000, 100 } });
    QTest::newRow("inside a bucket") << 1000 << minute << 3 << qint64(0) << qint64(260000) << 1;
    QTest::newRow("many buckets") << 1000 << minute << 500 << qint64(0) << qint64(260000) << 1;
    QTest::newRow("at the left edge")
        << 1000 << minute << 50 << qint64(120000) << qint64(200000) << 1;
    QTest::newRow("at the right edge") << 1000 << minute << 50 << qint64(0) << qint64(120000) << 1;
    QTest::newRow("the window inside the gap")
        << 1000 << minute << 50 << qint64(110000) << qint64(140000) << 1;
    QTest::newRow("out of the window")
        << 1000 << minute << 50 << qint64(170000) << qint64(250000) << 0;
    QTest::newRow("several")
        << 1000 << runs({ { 1000, 30 }, { 9000, 1 }, { 1000, 30 }, { 20000, 1 }, { 1000, 30 } })
        << 10 << qint64(0) << qint64(200000) << 2;
    // The ring has turned: the oldest sample begins the line, not a gap before it.
    QTest::newRow("ring turned") << 150 << minute << 20 << qint64(0) << qint64(260000) << 1;
    QTest::newRow("ring turned past the gap")
        << 90 << minute << 20 << qint64(0) << qint64(260000) << 0;
}

void TestTrendBuffer::decimationBreaksTheLineAtGaps()
{
    QFETCH(int, capacity);
    QFETCH(QVector<int>, spacings);
    QFETCH(int, buckets);
    QFETCH(qint64, fromMs);
    QFETCH(qint64, toMs);
    QFETCH(int, gapPoints);
    TrendBuffer buffer(capacity);
    fill(&buffer, spacings);
    std::vector<TrendBuffer::Point> points;
    buffer.decimate(TrendBuffer::Soc, 1000000 + fromMs, 1000000 + toMs, buckets, &points);
    QCOMPARE(int(std::count_if(points.begin(), points.end(),
                               [](const TrendBuffer::Point &p) { return p.isGap(); })),
             gapPoints);
    QVERIFY(breaksMatchGaps(buffer, points));
    QVERIFY(!buffer.startsLine(0));
}

QTEST_GUILESS_MAIN(TestTrendBuffer)
#include "tst_trendbuffer.moc"
