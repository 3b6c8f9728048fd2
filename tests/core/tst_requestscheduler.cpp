// One poll tick decided from plain inputs, and the receive buffer's bound.
#include "receivebuffer.h"
#include "requestscheduler.h"

#include <QtTest>

using RequestScheduler::Decision;
using RequestScheduler::Inputs;

namespace {
const QByteArray Poll = ":Y+01+51=?~";

Inputs openIdle()
{
    Inputs in;
    in.answered = true;
    in.portOpen = true;
    in.sinceLastReceiveMs = 1000;
    return in;
}
} // namespace

class TestRequestScheduler : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        queue.clear();
        working.clear();
    }

    void timeoutAndIdleRules_data();
    void timeoutAndIdleRules();
    void queuedWritesGoOutOldestFirstBeforeAnyPoll();
    void busyLineKeepsTheHeadFrame();
    void closedPortEmptiesBothQueuesAndStillTries();
    void receiveBufferHandsOnBlocks();
    void receiveBufferIsBounded();

private:
    QQueue<QByteArray> queue;
    QQueue<QByteArray> working;
};

void TestRequestScheduler::timeoutAndIdleRules_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<qint64>("sinceMs");
    QTest::addColumn<bool>("timeout");
    QTest::addColumn<bool>("send");
    // Polling starts as answered, so the first tick never reports a time-out.
    QTest::newRow("first tick") << true << qint64(500) << false << true;
    QTest::newRow("unanswered") << false << qint64(500) << true << true;
    QTest::newRow("19 ms: busy") << true << qint64(19) << false << false;
    QTest::newRow("20 ms: idle") << true << qint64(20) << false << true;
    QTest::newRow("unanswered and busy") << false << qint64(0) << true << false;
}

void TestRequestScheduler::timeoutAndIdleRules()
{
    QFETCH(bool, answered);
    QFETCH(qint64, sinceMs);
    Inputs in = openIdle();
    in.answered = answered;
    in.sinceLastReceiveMs = sinceMs;
    const Decision d = RequestScheduler::tick(in, &queue, &working);
    QTEST(d.reportTimeout, "timeout");
    QTEST(d.send, "send");
    QVERIFY(!d.reportClosedPort);
    QCOMPARE(d.frame, d.send ? Poll : QByteArray());
    // Whether sent or not, exactly one poll request was ever queued.
    QCOMPARE(queue.size(), d.send ? 0 : 1);
    QCOMPARE(working, queue);
}

void TestRequestScheduler::queuedWritesGoOutOldestFirstBeforeAnyPoll()
{
    queue << "w1"
          << "w2"
          << "w3";
    Inputs in = openIdle();
    in.address = 10;
    QList<QByteArray> sent;
    for (int i = 0; i < 5; ++i) {
        const Decision d = RequestScheduler::tick(in, &queue, &working);
        QVERIFY(d.send);
        sent << d.frame;
        if (i == 1)
            queue << "w4"; // appended while the working copy still holds older frames
        QVERIFY(queue.size() <= 2);
    }
    QCOMPARE(sent, (QList<QByteArray>{ "w1", "w2", "w3", "w4", ":Y+0A+51=?~" }));
}

void TestRequestScheduler::busyLineKeepsTheHeadFrame()
{
    queue << "w1";
    Inputs in = openIdle();
    in.sinceLastReceiveMs = 5;
    for (int i = 0; i < 3; ++i)
        QVERIFY(!RequestScheduler::tick(in, &queue, &working).send);
    // At most one frame waits: no poll requests piled up behind the write.
    QCOMPARE(queue, (QQueue<QByteArray>() << "w1"));
    in.sinceLastReceiveMs = 20;
    QCOMPARE(RequestScheduler::tick(in, &queue, &working).frame, QByteArray("w1"));
}

void TestRequestScheduler::closedPortEmptiesBothQueuesAndStillTries()
{
    queue << "w1"
          << "w2";
    working << "w1";
    Inputs in = openIdle();
    in.portOpen = false;
    const Decision d = RequestScheduler::tick(in, &queue, &working);
    QVERIFY(d.reportClosedPort);
    QVERIFY(d.send); // the write path reports the closed port once more
    QCOMPARE(d.frame, Poll);
    QVERIFY(queue.isEmpty() && working.isEmpty());
}

void TestRequestScheduler::receiveBufferHandsOnBlocks()
{
    const struct
    {
        QList<QByteArray> chunks;
        int completeAt; // index of the chunk that completes a block, -1 for none
    } cases[] = {
        { { ":Y+01+51", "+0a+77e3", "~" }, 2 },
        { { "~", "noise", ":" }, 2 }, // a leftover "~" completes early
        { { "::::", "++++" }, -1 },
        { { ":Y+01+51+0a+77e3~:Y+0" }, 0 }, // two frames in one chunk go on as one block
    };
    for (const auto &c : cases) {
        QByteArray buffer;
        int completeAt = -1;
        for (int i = 0; i < c.chunks.size(); ++i) {
            if (ReceiveBuffer::append(&buffer, c.chunks[i]) && completeAt < 0)
                completeAt = i;
        }
        QCOMPARE(completeAt, c.completeAt);
        if (completeAt >= 0)
            QCOMPARE(buffer, c.chunks.join()); // handed on whole
    }
}

void TestRequestScheduler::receiveBufferIsBounded()
{
    // A flood without ":" or "~" never holds more than the bound.
    QByteArray buffer;
    const QByteArray noise(1000, 'x');
    for (int i = 0; i < 1000; ++i) {
        QVERIFY(!ReceiveBuffer::append(&buffer, noise));
        QVERIFY(buffer.size() <= ReceiveBuffer::MaxBytes);
    }
    // Past the bound the newest start of a frame is kept, so a reply after the flood still
    // arrives whole and alone.
    buffer = QByteArray(ReceiveBuffer::MaxBytes - 10, 'x');
    QVERIFY(!ReceiveBuffer::append(&buffer, noise + ":Y+01+51+0a"));
    QCOMPARE(buffer, QByteArray(":Y+01+51+0a"));
    QVERIFY(ReceiveBuffer::append(&buffer, "+77e3~"));
    QCOMPARE(buffer, QByteArray(":Y+01+51+0a+77e3~"));

    // A ":" followed by more than the bound of junk is dropped too.
    buffer = ":";
    ReceiveBuffer::append(&buffer, QByteArray(ReceiveBuffer::MaxBytes, 'y'));
    QVERIFY(buffer.isEmpty());
    // Below the bound nothing is dropped.
    buffer = "abc";
    ReceiveBuffer::append(&buffer, ":d", 5);
    QCOMPARE(buffer, QByteArray("abc:d"));
}

QTEST_APPLESS_MAIN(TestRequestScheduler)
#include "tst_requestscheduler.moc"
