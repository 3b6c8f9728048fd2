// The poll cycle over several boards on one line, driven by a simulated bus on a virtual clock:
// each board answers after its latency with a reply that takes its bytes' time on the wire.
#include "buscycle.h"

#include <QtTest>

namespace {

struct Board
{
    int address;
    int latencyMs = 2; // from the request's last byte to the reply's first
    int replyBytes = 200;
    bool wrongAddress = false; // answers with another board's address
};

constexpr qint64 ChunkMs = 5;

struct Sent
{
    qint64 at;
    BusCycle::Kind kind;
    int address;
    QByteArray frame;
};

struct Run
{
    QVector<Sent> sent;
    QVector<qint64> cycles; // cycle times
    int overruns = 0;
    QVector<BusCycle::Settled> settled;
    QVector<int> found;
    bool scanEnded = false;
    bool overlapped = false; // a frame went out while a reply was on the wire or awaited
};

// Runs the cycle for durationMs. writes: frames queued at the given times.
Run runBus(BusCycle &cycle, const QVector<Board> &boards, qint64 durationMs,
           const QVector<QPair<qint64, QByteArray>> &writes = {})
{
    Run run;
    QQueue<QByteArray> queue;
    qint64 now = 0;
    qint64 replyFirst = -1, replyLast = -1;
    bool replyGood = false;
    int writeIndex = 0;
    qint64 awaitedUntil = -1; // the reply watch of the request on the line
    while (now <= durationMs) {
        while (writeIndex < writes.size() && writes.at(writeIndex).first <= now)
            queue.enqueue(writes.at(writeIndex++).second);
        // The reply's bytes arrive in pieces, as a serial port hands them on.
        while (replyFirst >= 0 && now >= replyFirst && replyFirst < replyLast) {
            cycle.bytesArrived(replyFirst);
            replyFirst += ChunkMs;
        }
        if (replyLast >= 0 && now >= replyLast) {
            cycle.bytesArrived(replyLast);
            BusCycle::Settled s;
            if (cycle.frameArrived(replyLast, replyGood, &s))
                run.settled.append(s);
            replyLast = -1;
            replyFirst = -1;
            awaitedUntil = -1;
        }
        const BusCycle::Step step = cycle.next(now, &queue);
        run.settled += step.settled;
        if (!step.settled.isEmpty())
            awaitedUntil = -1;
        if (step.cycleEnded) {
            run.cycles.append(step.cycleMs);
            run.overruns += step.overrun;
        }
        if (step.scanAddress >= 0 && step.scanFound)
            run.found.append(step.scanAddress);
        run.scanEnded = run.scanEnded || step.scanEnded;
        if (step.send) {
            if (replyLast >= 0 || awaitedUntil >= 0)
                run.overlapped = true;
            run.sent.append({ now, step.kind, step.address, step.frame });
            if (step.expectReply) {
                awaitedUntil = now;
                for (const Board &b : boards) {
                    if (b.address != step.address)
                        continue;
                    const qint64 left =
                        now + BusCycle::wireMs(step.frame.size(), cycle.timing().baud);
                    replyFirst = left + b.latencyMs;
                    replyLast = replyFirst + BusCycle::wireMs(b.replyBytes, cycle.timing().baud);
                    replyGood = !b.wrongAddress;
                }
            }
            continue; // decided again at the same moment
        }
        qint64 wake = step.wakeAt >= 0 ? step.wakeAt : durationMs + 1;
        if (replyFirst >= 0 && replyFirst < replyLast)
            wake = qMin(wake, replyFirst);
        if (replyLast >= 0)
            wake = qMin(wake, replyLast);
        if (writeIndex < writes.size())
            wake = qMin(wake, writes.at(writeIndex).first);
        if (wake <= now)
            wake = now + 1; // never spin on one moment
        now = wake;
    }
    return run;
}

BusCycle makeCycle(const QVector<int> &addresses, int periodMs, int baud)
{
    BusCycle cycle;
    BusCycle::Timing timing;
    timing.periodMs = periodMs;
    timing.baud = baud;
    cycle.setTiming(timing);
    cycle.setAddresses(addresses);
    cycle.start(-1000);
    return cycle;
}

QVector<Board> boardsAt(const QVector<int> &addresses)
{
    QVector<Board> boards;
    for (int a : addresses)
        boards.append(Board{ a });
    return boards;
}

QString polled(const Run &run, qint64 untilMs)
{
    QStringList list;
    for (const Sent &s : run.sent) {
        if (s.at < untilMs)
            list << QString::number(s.address);
    }
    return list.join(QLatin1Char(','));
}

} // namespace

Q_DECLARE_METATYPE(Board)

class TestBusCycle : public QObject
{
    Q_OBJECT

private slots:
    void cycleDecisions_data();
    void cycleDecisions();
    void writesGoFirstToTheirOwnAddress();
    void scanFindsTheBoardsThatAnswer_data();
    void scanFindsTheBoardsThatAnswer();
    void frameAnsweringNothingIsNotARequestsReply();
};

void TestBusCycle::cycleDecisions_data()
{
    QTest::addColumn<QVector<int>>("addresses");
    QTest::addColumn<QVector<int>>("present");
    QTest::addColumn<int>("periodMs");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("firstCycle"); // the addresses asked in the first period
    QTest::addColumn<int>("cycles"); // whole cycles within 3 s
    QTest::addColumn<bool>("overrun");
    QTest::addColumn<qint64>("cycleMs"); // the first cycle's time

    // Request 11 bytes, reply 200 bytes, latency 2 ms; idle 20 ms before each request. At
    // 115200 baud: 1 + 2 + 18 + 20 = 41 ms per board; at 9600: 12 + 2 + 209 + 20 = 243 ms.
    const QVector<int> four{ 1, 2, 3, 4 };
    QTest::newRow("4 packs fit 1 s at 115200")
        << four << four << 1000 << 115200 << "1,2,3,4" << 3 << false << qint64(3 * 41 + 21);
    QTest::newRow("4 packs overrun 500 ms at 9600: back to back")
        << four << four << 500 << 9600 << "1,2,3" << 3 << true << qint64(3 * 243 + 223);
    // An absent pack costs its request and the reply watch, no more: 1 + 70 (the line has
    // been quiet for longer than the idle time by then).
    QTest::newRow("pack 3 absent") << four << QVector<int>{ 1, 2, 4 } << 1000 << 115200 << "1,2,3,4"
                                   << 3 << false << qint64(2 * 41 + (1 + 70) + 21);
    QTest::newRow("all absent: each pack's watch")
        << four << QVector<int>{} << 1000 << 115200 << "1,2,3,4" << 3 << false
        << qint64(4 * (1 + 70));
}

void TestBusCycle::cycleDecisions()
{
    QFETCH(QVector<int>, addresses);
    QFETCH(QVector<int>, present);
    QFETCH(int, periodMs);
    QFETCH(int, baud);
    QFETCH(QString, firstCycle);
    QFETCH(int, cycles);
    QFETCH(bool, overrun);
    QFETCH(qint64, cycleMs);

    BusCycle cycle = makeCycle(addresses, periodMs, baud);
    const Run run = runBus(cycle, boardsAt(present), 3000 - 1);

    QVERIFY2(!run.overlapped, "two requests on the line at once");
    QCOMPARE(polled(run, periodMs), firstCycle);
    QVERIFY(!run.cycles.isEmpty());
    QCOMPARE(run.cycles.first(), cycleMs);
    QCOMPARE(run.overruns > 0, overrun);
    if (!overrun) {
        QCOMPARE(run.cycles.size(), cycles);
        // Each pack is asked once per period: cycles start a period apart.
        for (int i = 1; i < run.sent.size(); ++i) {
            if (run.sent.at(i).address == addresses.first())
                QCOMPARE(run.sent.at(i).at % periodMs, qint64(0));
        }
    } else {
        // Back to back: the cycles follow each other as fast as the wire allows.
        QVERIFY(run.cycles.size() >= 3);
    }
    // Polls go out in the list's order, every time.
    for (int i = 0; i < run.sent.size(); ++i)
        QCOMPARE(run.sent.at(i).address, addresses.at(i % addresses.size()));
}

void TestBusCycle::writesGoFirstToTheirOwnAddress()
{
    BusCycle cycle = makeCycle({ 1, 2, 3 }, 1000, 115200);
    // Queued while pack 1's reply is on the line: it waits for that reply and the idle time,
    // then goes before pack 2's poll; the read-back after it is answered by board 3.
    const QByteArray write = ":W+03+16+0e10+ABCD~";
    const QByteArray readBack = ":Y+03+52=?~";
    const Run run = runBus(cycle, boardsAt({ 1, 2, 3 }), 999, { { 10, write }, { 10, readBack } });
    QVERIFY(!run.overlapped);
    QCOMPARE(run.sent.size(), 5);
    QCOMPARE(run.sent.at(0).address, 1);
    QCOMPARE(run.sent.at(1).frame, write);
    QCOMPARE(run.sent.at(1).address, 3);
    QCOMPARE(run.sent.at(1).at, qint64(41)); // pack 1 answered at 21, then the idle time
    // Nothing answers a write: the line is free after its 20 bytes (2 ms) and the idle time.
    QCOMPARE(run.sent.at(2).frame, readBack);
    QCOMPARE(run.sent.at(2).at, qint64(41 + 2 + 20));
    QCOMPARE(run.sent.at(2).kind, BusCycle::Kind::Queued);
    QCOMPARE(run.sent.at(3).address, 2);
    QCOMPARE(run.sent.at(4).address, 3);
}

void TestBusCycle::scanFindsTheBoardsThatAnswer_data()
{
    QTest::addColumn<QVector<Board>>("boards");
    QTest::addColumn<int>("tries");
    QTest::addColumn<QVector<int>>("found");
    QTest::addColumn<int>("requests");

    QTest::newRow("two of five, one try")
        << QVector<Board>{ { 2 }, { 5 } } << 1 << QVector<int>{ 2, 5 } << 5;
    QTest::newRow("absent boards asked twice")
        << QVector<Board>{ { 2 }, { 5 } } << 2 << QVector<int>{ 2, 5 } << 8;
    Board liar{ 3 };
    liar.wrongAddress = true;
    QTest::newRow("a reply with another address is not a find")
        << QVector<Board>{ liar } << 2 << QVector<int>{} << 10;
}

void TestBusCycle::scanFindsTheBoardsThatAnswer()
{
    QFETCH(QVector<Board>, boards);
    QFETCH(int, tries);
    QFETCH(QVector<int>, found);
    QFETCH(int, requests);

    // Polling one pack while the scan runs: the scan takes the polls' place.
    BusCycle cycle = makeCycle({ 7 }, 1000, 115200);
    cycle.startScan({ 1, 2, 3, 4, 5 }, tries);
    const Run run = runBus(cycle, boards, 999);
    QVERIFY(run.scanEnded);
    QVERIFY(!cycle.isScanning());
    QCOMPARE(run.found, found);
    int scans = 0;
    for (const Sent &s : run.sent)
        scans += s.kind == BusCycle::Kind::Scan;
    QCOMPARE(scans, requests);
    // Polling goes on after the scan.
    QCOMPARE(run.sent.last().address, 7);
}

void TestBusCycle::frameAnsweringNothingIsNotARequestsReply()
{
    BusCycle cycle = makeCycle({ 1, 2 }, 1000, 115200);
    QQueue<QByteArray> queue;
    BusCycle::Settled settled;
    // Before anything was asked, and after the reply watch gave the request up.
    QVERIFY(!cycle.frameArrived(0, true, &settled));
    QVERIFY(cycle.next(0, &queue).send);
    QCOMPARE(cycle.awaitedAddress(), 1);
    const BusCycle::Step late = cycle.next(1 + 70, &queue);
    QCOMPARE(late.settled.size(), 1);
    QCOMPARE(late.settled.first().outcome, BusCycle::Outcome::TimedOut);
    QVERIFY(!cycle.frameArrived(75, true, &settled) || settled.address == 2);
}

QTEST_GUILESS_MAIN(TestBusCycle)
#include "tst_buscycle.moc"
