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
    bool spoiled = false; // its replies come whole but with a bad CRC: no real-time data
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

// Runs the cycle for durationMs. writes: frames queued at the given times. chatterUntilMs: a
// stray byte every ChunkMs from the start until then.
Run runBus(BusCycle &cycle, const QVector<Board> &boards, qint64 durationMs,
           const QVector<QPair<qint64, QByteArray>> &writes = {}, qint64 chatterUntilMs = -1)
{
    Run run;
    QQueue<QByteArray> queue;
    qint64 now = 0;
    qint64 replyFirst = -1, replyLast = -1;
    bool replyGood = false;
    int writeIndex = 0;
    qint64 chatterAt = chatterUntilMs > 0 ? 0 : -1;
    qint64 awaitedUntil = -1; // the reply watch of the request on the line
    while (now <= durationMs) {
        while (writeIndex < writes.size() && writes.at(writeIndex).first <= now)
            queue.enqueue(writes.at(writeIndex++).second);
        while (chatterAt >= 0 && chatterAt <= now) {
            cycle.bytesArrived(chatterAt);
            chatterAt += ChunkMs;
            if (chatterAt >= chatterUntilMs)
                chatterAt = -1;
        }
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
                    replyGood = !b.spoiled;
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
        if (chatterAt >= 0)
            wake = qMin(wake, chatterAt);
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
Q_DECLARE_METATYPE(BusCycle::Outcome)

class TestBusCycle : public QObject
{
    Q_OBJECT

private slots:
    void cycleDecisions_data();
    void cycleDecisions();
    void writesGoFirstToTheirOwnAddress();
    void scanFindsTheBoardsThatAnswer_data();
    void scanFindsTheBoardsThatAnswer();
    void lateReplyIsHeardOutWithinTheGuard_data();
    void lateReplyIsHeardOutWithinTheGuard();
    void frameAnsweringNothingIsNotARequestsReply();
    void busyLineGivesPollsUpNotTheCycle();
    void framesOfTheTickAreWaitedFor();
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
    // An absent pack costs its request, the reply watch and the guard after it, no more:
    // 1 + 70 + 50 (the line has been quiet for longer than the idle time by then).
    QTest::newRow("pack 3 absent") << four << QVector<int>{ 1, 2, 4 } << 1000 << 115200 << "1,2,3,4"
                                   << 3 << false << qint64(2 * 41 + (1 + 70 + 50) + 21);
    // The cycle ends when the last watch runs out; its guard delays only the next cycle.
    QTest::newRow("all absent: each pack's watch and guard")
        << four << QVector<int>{} << 1000 << 115200 << "1,2,3,4" << 3 << false
        << qint64(3 * (1 + 70 + 50) + 1 + 70);
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
    // What the reply states as its battery number is not the unit's to judge: a whole
    // real-time reply to the address asked is a find. A spoiled one is not.
    Board spoiled{ 3 };
    spoiled.spoiled = true;
    QTest::newRow("a spoiled reply is not a find")
        << QVector<Board>{ spoiled } << 2 << QVector<int>{} << 10;
    // A board answering after its watch is found within the guard, and its reply is not taken
    // for the next address's.
    Board slow{ 3, 100 };
    QTest::newRow("a late board is found, the next is not")
        << QVector<Board>{ slow } << 1 << QVector<int>{ 3 } << 5;
}

void TestBusCycle::scanFindsTheBoardsThatAnswer()
{
    QFETCH(QVector<Board>, boards);
    QFETCH(int, tries);
    QFETCH(QVector<int>, found);
    QFETCH(int, requests);

    // Polling one pack while the scan runs: the scan takes the polls' place.
    BusCycle cycle = makeCycle({ 7 }, 2000, 115200);
    cycle.startScan({ 1, 2, 3, 4, 5 }, tries);
    const Run run = runBus(cycle, boards, 1999);
    QVERIFY(!run.overlapped);
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

void TestBusCycle::lateReplyIsHeardOutWithinTheGuard_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("latencyMs"); // pack 2's, from the request's last byte
    QTest::addColumn<BusCycle::Outcome>("outcome"); // what became of pack 2's polls
    QTest::addColumn<bool>("late"); // and a late reply was credited to it
    QTest::addColumn<bool>("overlapped");

    using O = BusCycle::Outcome;
    QTest::newRow("in time") << 115200 << 60 << O::Answered << false << false;
    // 100 ms after the request: 30 ms into the guard at either rate (a whole reply takes
    // 209 ms at 9600, and the guard waits for it).
    QTest::newRow("100 ms at 115200") << 115200 << 100 << O::TimedOut << true << false;
    QTest::newRow("100 ms at 9600") << 9600 << 100 << O::TimedOut << true << false;
    QTest::newRow("119 ms, the guard's last moment")
        << 115200 << 119 << O::TimedOut << true << false;
    // Later still, the board is not waited for: the next request goes out and is answered
    // across. The guard bounds what a board that does not answer costs the others.
    QTest::newRow("150 ms: past the guard") << 115200 << 150 << O::TimedOut << false << true;
}

void TestBusCycle::lateReplyIsHeardOutWithinTheGuard()
{
    QFETCH(int, baud);
    QFETCH(int, latencyMs);
    QFETCH(BusCycle::Outcome, outcome);
    QFETCH(bool, late);
    QFETCH(bool, overlapped);

    BusCycle cycle = makeCycle({ 1, 2, 3 }, 2000, baud);
    QVector<Board> boards = boardsAt({ 1, 2, 3 });
    boards[1].latencyMs = latencyMs;
    const Run run = runBus(cycle, boards, 1999);
    QCOMPARE(run.overlapped, overlapped);
    QVector<BusCycle::Outcome> ofPack2;
    for (const BusCycle::Settled &s : run.settled) {
        if (s.address == 2)
            ofPack2 << s.outcome;
    }
    QVERIFY(!ofPack2.isEmpty());
    QCOMPARE(ofPack2.first(), outcome);
    QCOMPARE(ofPack2.contains(BusCycle::Outcome::Late), late);
    if (late) {
        // Told unanswered at the watch's end, then credited with its round trip.
        QCOMPARE(ofPack2.size(), 2);
        for (const BusCycle::Settled &s : run.settled) {
            if (s.outcome == BusCycle::Outcome::Late)
                QCOMPARE(s.roundTripMs,
                         BusCycle::wireMs(11, baud) + latencyMs + BusCycle::wireMs(200, baud));
        }
    }
    if (!overlapped) {
        // Every pack's poll settled once per cycle, and pack 3 is asked after pack 2's reply
        // and the idle time, never across it.
        for (int address : { 1, 3 }) {
            int answered = 0;
            for (const BusCycle::Settled &s : run.settled)
                answered += s.address == address && s.outcome == BusCycle::Outcome::Answered;
            QCOMPARE(answered, 1);
        }
    }
}

void TestBusCycle::frameAnsweringNothingIsNotARequestsReply()
{
    BusCycle cycle = makeCycle({ 1, 2 }, 1000, 115200);
    QQueue<QByteArray> queue;
    BusCycle::Settled settled;
    // Before anything was asked.
    QVERIFY(!cycle.frameArrived(0, true, &settled));
    QVERIFY(cycle.next(0, &queue).send);
    QCOMPARE(cycle.awaitedAddress(), 1);
    const BusCycle::Step expired = cycle.next(1 + 70, &queue);
    QCOMPARE(expired.settled.size(), 1);
    QCOMPARE(expired.settled.first().outcome, BusCycle::Outcome::TimedOut);
    // The guard holds the line: nothing goes out, and a frame within it is pack 1's, late.
    QVERIFY(!expired.send);
    QCOMPARE(expired.wakeAt, qint64(1 + 70 + 50));
    QVERIFY(cycle.frameArrived(75, true, &settled));
    QCOMPARE(settled.address, 1);
    QCOMPARE(settled.outcome, BusCycle::Outcome::Late);
    // Once pack 1's guard has passed unanswered, a frame answers nothing until pack 2 is asked.
    BusCycle quiet = makeCycle({ 1, 2 }, 1000, 115200);
    QVERIFY(quiet.next(0, &queue).send);
    QVERIFY(!quiet.next(71, &queue).send);
    QVERIFY(quiet.isLineFree() == false);
    QVERIFY(!quiet.frameArrived(121, true, &settled));
    // A timer that fired late does not make the frame timely: the guard had ended at 121.
    BusCycle lateTimer = makeCycle({ 1, 2 }, 1000, 115200);
    QVERIFY(lateTimer.next(0, &queue).send);
    lateTimer.bytesArrived(130);
    QVERIFY(!lateTimer.frameArrived(135, true, &settled));
    const BusCycle::Step step = lateTimer.next(135, &queue);
    QCOMPARE(step.settled.size(), 1);
    QCOMPARE(step.settled.first().outcome, BusCycle::Outcome::TimedOut);
    // The answer to an ask of a scan stopped and started anew finds nothing in the new one.
    BusCycle rescan = makeCycle({}, 1000, 115200);
    rescan.startScan({ 1 }, 1);
    QVERIFY(rescan.next(0, &queue).send);
    rescan.stopScan();
    rescan.startScan({ 2 }, 1);
    QVERIFY(rescan.frameArrived(5, true, &settled));
    const BusCycle::Step asked = rescan.next(30, &queue);
    QCOMPARE(asked.scanAddress, -1);
    QVERIFY(asked.send);
    QCOMPARE(asked.address, 2);
}

void TestBusCycle::busyLineGivesPollsUpNotTheCycle()
{
    // Bytes nobody asked for, every 5 ms for 1.5 s: no poll goes out; each is given up after
    // waiting as long as it would for an answer, in the list's order, once a period.
    BusCycle cycle = makeCycle({ 1, 2, 3 }, 500, 115200);
    const Run chattered = runBus(cycle, boardsAt({ 1, 2, 3 }), 1999, {}, 1500);
    QVector<int> givenUp;
    for (const BusCycle::Settled &s : chattered.settled) {
        if (s.outcome == BusCycle::Outcome::NotSent)
            givenUp << s.address;
    }
    QCOMPARE(givenUp, (QVector<int>{ 1, 2, 3, 1, 2, 3, 1, 2, 3 }));
    QVERIFY(chattered.sent.first().at >= 1500 + 20);
    QVERIFY(chattered.cycles.size() >= 3);
    // Once quiet, polling goes on as before.
    QVERIFY(chattered.sent.size() >= 3);
    QCOMPARE(polled(chattered, 2000), QStringLiteral("1,2,3"));

    // A scan on such a line ends, having found nobody.
    BusCycle scan = makeCycle({}, 500, 115200);
    scan.startScan({ 1, 2 }, 2);
    const Run scanned = runBus(scan, boardsAt({ 1, 2 }), 1000, {}, 1000);
    QVERIFY(scanned.scanEnded);
    QVERIFY(scanned.found.isEmpty());
    QVERIFY(scanned.sent.isEmpty());
}

void TestBusCycle::framesOfTheTickAreWaitedFor()
{
    // The single pack's tick puts its own poll on the line; the frames queued behind it (five
    // writes and a read-back) wait for its watch and guard (the board is silent), then go out
    // as fast as the line allows, whatever the period.
    BusCycle cycle = makeCycle({}, 5 * 60 * 1000, 9600);
    cycle.sent(0, ":Y+01+51=?~");
    QVERIFY(!cycle.isLineFree());
    QVector<QPair<qint64, QByteArray>> writes;
    for (int i = 0; i < 5; ++i)
        writes.append({ 1, QByteArray(":W+01+06+03+bb8+1c2e~") });
    writes.append({ 1, QByteArray(":Y+01+52=?~") });
    const Run run = runBus(cycle, boardsAt({ 1 }), 2000, writes);
    QVERIFY(!run.overlapped);
    QCOMPARE(run.sent.size(), 6);
    // The poll: 12 ms out, the watch, the guard.
    QCOMPARE(run.sent.first().at, qint64(12 + 70 + 50));
    // Each write: 21 bytes (22 ms at 9600) and the idle time.
    for (int i = 1; i < 6; ++i)
        QCOMPARE(run.sent.at(i).at - run.sent.at(i - 1).at, qint64(22 + 20));
    QCOMPARE(run.sent.last().kind, BusCycle::Kind::Queued);
    QCOMPARE(run.settled.size(), 2);
    QCOMPARE(run.settled.at(0).kind, BusCycle::Kind::Poll);
    QCOMPARE(run.settled.at(0).outcome, BusCycle::Outcome::TimedOut);
    QCOMPARE(run.settled.at(1).kind, BusCycle::Kind::Queued); // the read-back, answered
    QCOMPARE(run.settled.at(1).outcome, BusCycle::Outcome::Answered);
}

QTEST_GUILESS_MAIN(TestBusCycle)
#include "tst_buscycle.moc"
