// One poll tick decided from plain inputs, and the receive buffer that cuts frames out of reads.
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
    void onlyReadRequestsAwaitAReply_data();
    void onlyReadRequestsAwaitAReply();
    void receiveBufferCutsFrames_data();
    void receiveBufferCutsFrames();
    void receiveBufferIsBounded();

private:
    QQueue<QByteArray> queue;
    QQueue<QByteArray> working;
};

void TestRequestScheduler::timeoutAndIdleRules_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<qint64>("sinceMs");
    QTest::addColumn<bool>("lineFree");
    QTest::addColumn<bool>("timeout");
    QTest::addColumn<bool>("send");
    QTest::addColumn<bool>("notSent"); // busy: this tick's poll is given up
    // Polling starts as answered, so the first tick never reports a time-out.
    QTest::newRow("first tick") << true << qint64(500) << true << false << true << false;
    QTest::newRow("unanswered") << false << qint64(500) << true << true << true << false;
    QTest::newRow("19 ms: busy") << true << qint64(19) << true << false << false << true;
    QTest::newRow("20 ms: idle") << true << qint64(20) << true << false << true << false;
    QTest::newRow("unanswered and busy") << false << qint64(0) << true << true << false << true;
    // Waiting for the reply to a frame still on the line is neither idle nor busy.
    QTest::newRow("held, quiet") << true << qint64(500) << false << false << false << false;
    QTest::newRow("held, reply arriving") << true << qint64(0) << false << false << false << false;
}

void TestRequestScheduler::timeoutAndIdleRules()
{
    QFETCH(bool, answered);
    QFETCH(qint64, sinceMs);
    QFETCH(bool, lineFree);
    QFETCH(bool, send);
    QFETCH(bool, notSent);
    Inputs in = openIdle();
    in.answered = answered;
    in.sinceLastReceiveMs = sinceMs;
    in.lineFree = lineFree;
    const Decision d = RequestScheduler::tick(in, &queue, &working);
    QTEST(d.reportTimeout, "timeout");
    QCOMPARE(d.send, send);
    QCOMPARE(d.pollNotSent, notSent);
    QCOMPARE(d.held, !lineFree);
    QVERIFY(!d.reportClosedPort);
    QCOMPARE(d.frame, d.send ? Poll : QByteArray());
    // Exactly one poll request was ever queued; sent or given up, it is gone, held it waits.
    QCOMPARE(queue.size(), lineFree ? 0 : 1);
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

void TestRequestScheduler::onlyReadRequestsAwaitAReply_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("expectReply");
    // The board answers reads; a write or a device command goes out unanswered.
    QTest::newRow("parameter write") << QByteArray(":W+01+06+03+bb8+1c2e~") << false;
    QTest::newRow("device command") << QByteArray(":W+01+53+02+5a+b0c4~") << false;
    QTest::newRow("parameter read-back") << QByteArray(":Y+01+52=?~") << true;
    QTest::newRow("poll") << QByteArray() << true; // nothing queued: the tick polls
}

void TestRequestScheduler::onlyReadRequestsAwaitAReply()
{
    QFETCH(QByteArray, frame);
    if (!frame.isEmpty())
        queue << frame;
    Decision d = RequestScheduler::tick(openIdle(), &queue, &working);
    QVERIFY(d.send);
    QTEST(d.expectReply, "expectReply");
    // A busy line sends nothing and so awaits nothing.
    if (!frame.isEmpty())
        queue << frame;
    Inputs busy = openIdle();
    busy.sinceLastReceiveMs = 0;
    d = RequestScheduler::tick(busy, &queue, &working);
    QVERIFY(!d.send && !d.expectReply);
}

void TestRequestScheduler::receiveBufferCutsFrames_data()
{
    QTest::addColumn<QByteArrayList>("chunks"); // the reads, in order
    QTest::addColumn<QByteArrayList>("frames"); // what is handed on, in order
    QTest::addColumn<QByteArray>("pending"); // what waits for the next read
    const QByteArray a = ":Y+01+51+0a+77e3~";
    const QByteArray b = ":Y+01+52+" + QByteArray(197, 'F') + "+1a2b~";
    const QByteArray c = ":Y+01+51+" + QByteArray(211, '0') + "+00FF~";
    QTest::newRow("reply in one read")
        << QByteArrayList{ a } << QByteArrayList{ a } << QByteArray();
    QTest::newRow("reply in three reads") << QByteArrayList{ a.left(8), a.mid(8, 8), a.mid(16) }
                                          << QByteArrayList{ a } << QByteArray();
    QTest::newRow("stray ~, then a split reply")
        << QByteArrayList{ "~", a.left(8), a.mid(8) } << QByteArrayList{ a } << QByteArray();
    QTest::newRow("stray ~ after a reply, then a split reply")
        << QByteArrayList{ a + "~", b.left(40), b.mid(40) } << QByteArrayList{ a, b }
        << QByteArray();
    QTest::newRow("noise before the start")
        << QByteArrayList{ QByteArray("\x00\xff+Y=?\r\n", 8) + a } << QByteArrayList{ a }
        << QByteArray();
    QTest::newRow("two frames in one read")
        << QByteArrayList{ a + b } << QByteArrayList{ a, b } << QByteArray();
    // A board stopped and continued answers what piled up at once; the reads cut across the
    // replies anywhere.
    QTest::newRow("queued replies together, in pieces")
        << QByteArrayList{ a.left(5), a.mid(5) + b.left(100), b.mid(100) + c + a.left(3), a.mid(3) }
        << QByteArrayList{ a, b, c, a } << QByteArray();
    QTest::newRow("the start of the next frame waits")
        << QByteArrayList{ a + ":Y+01" } << QByteArrayList{ a } << QByteArray(":Y+01");
    // A frame broken off (its end lost) is dropped when a new one starts.
    QTest::newRow("broken-off frame")
        << QByteArrayList{ ":Y+01+51+0a", "+7", a } << QByteArrayList{ a } << QByteArray();
    QTest::newRow("broken off inside one read")
        << QByteArrayList{ ":Y+01+51+0" + a + ":Y" } << QByteArrayList{ a } << QByteArray(":Y");
    QTest::newRow("marks only") << QByteArrayList{ "::::", "++++", "~~" }
                                << QByteArrayList{ ":++++~" } << QByteArray();
}

void TestRequestScheduler::receiveBufferCutsFrames()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArrayList, frames);
    QFETCH(QByteArray, pending);
    QByteArray buffer;
    QByteArrayList handedOn;
    for (const QByteArray &chunk : chunks)
        handedOn += ReceiveBuffer::append(&buffer, chunk);
    QCOMPARE(handedOn, frames);
    QCOMPARE(buffer, pending);

    // However the same bytes are cut into reads, the same frames come out.
    buffer.clear();
    handedOn.clear();
    const QByteArray stream = chunks.join();
    for (char byte : stream)
        handedOn += ReceiveBuffer::append(&buffer, QByteArray(1, byte));
    QCOMPARE(handedOn, frames);
    QCOMPARE(buffer, pending);
}

void TestRequestScheduler::receiveBufferIsBounded()
{
    // A flood without a start mark is never kept.
    QByteArray buffer;
    const QByteArray noise(1000, 'x');
    for (int i = 0; i < 100; ++i)
        QVERIFY(ReceiveBuffer::append(&buffer, noise + "~").isEmpty());
    QVERIFY(buffer.isEmpty());

    // A start never followed by its end is dropped at the bound, together with everything up to
    // the next start, a stray end included; the reply after it arrives whole.
    const QByteArray reply = ":Y+01+51+0a+77e3~";
    buffer.clear();
    QVERIFY(
        ReceiveBuffer::append(&buffer, ":" + QByteArray(ReceiveBuffer::MaxBytes, 'y')).isEmpty());
    QVERIFY(buffer.isEmpty());
    QVERIFY(ReceiveBuffer::append(&buffer, "yy~").isEmpty());
    QCOMPARE(ReceiveBuffer::append(&buffer, reply), QByteArrayList{ reply });

    // A frame of exactly the bound is handed on; one byte longer is not, in one read or many.
    const QByteArray atBound = ":" + QByteArray(18, '0') + "~";
    const QByteArray overBound = ":" + QByteArray(19, '0') + "~";
    for (int piece : { 20, 7, 1 }) {
        buffer.clear();
        QByteArrayList frames;
        const QByteArray stream = atBound + overBound + atBound;
        for (int i = 0; i < stream.size(); i += piece)
            frames += ReceiveBuffer::append(&buffer, stream.mid(i, piece), 20);
        QCOMPARE(frames, (QByteArrayList{ atBound, atBound }));
        QVERIFY(buffer.isEmpty());
    }
}

QTEST_APPLESS_MAIN(TestRequestScheduler)
#include "tst_requestscheduler.moc"
