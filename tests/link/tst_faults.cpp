// The session against a misbehaving line and board: each fault, and combinations of them, then
// the fault ends. Whatever happened, a good reply comes back within three polls, no failure is
// told twice, and nothing spins.
#include "commandcodes.h"
#include "frame.h"
#include "sessionfixture.h"

#include <QtTest>

#include <csignal>

// How a fault ends: the board is told to stop its line faults, or the test does something.
enum class Recovery {
    ClearFaults, // SIGUSR1: the board answers cleanly from then on
    Garbage, // SIGUSR2: a megabyte of random bytes, then a clean line
    StopAndContinue, // the board process stopped until the session reports time-outs, resumed
    Restart, // the board quits half-way through a reply; started again, the line opened again
    Toggle, // the line closed and opened 20 times while replies arrive
};
Q_DECLARE_METATYPE(Recovery)

class TestFaults : public QObject, public SessionFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void faultMatrix_data();
    void faultMatrix();
};

void TestFaults::faultMatrix_data()
{
    QTest::addColumn<QStringList>("options");
    // A verdict the fault brings (0: any): G good, C CRC mismatch, T time-out, B bus busy.
    QTest::addColumn<char>("during");
    QTest::addColumn<Recovery>("recovery");
    // Whether the line only drops, delays, cuts or pads the board's frames: then every frame
    // the session takes from it passes its check.
    QTest::addColumn<bool>("intact");
    const auto clear = Recovery::ClearFaults;
    QTest::newRow("spoiled CRC") << QStringList{ "--bad-crc", "1" } << 'C' << clear << false;
    QTest::newRow("no answer") << QStringList{ "--drop", "1" } << 'T' << clear << true;
    QTest::newRow("late answer") << QStringList{ "--delay", "100" } << 'T' << clear << true;
    // A line that is never quiet for 20 ms is never written to.
    QTest::newRow("chatter") << QStringList{ "--chatter" } << 'B' << clear << true;
    QTest::newRow("split") << QStringList{ "--split" } << 'G' << clear << true;
    QTest::newRow("noise") << QStringList{ "--noise" } << 'G' << clear << true;
    // An end mark with no frame begun is noise too, also in front of a reply cut in pieces.
    QTest::newRow("stray ~ + split")
        << QStringList{ "--stray-tilde", "--split" } << 'G' << clear << true;
    QTest::newRow("drop + split") << QStringList{ "--drop", "0.5", "--split" } << '\0' << clear
                                  << true;
    QTest::newRow("noise + bad CRC")
        << QStringList{ "--noise", "--bad-crc", "1" } << 'C' << clear << false;
    QTest::newRow("late + split") << QStringList{ "--delay", "100", "--split" } << 'T' << clear
                                  << true;
    // A well-formed frame of a code the session does not know is a good line, but no record.
    QTest::newRow("unknown code") << QStringList{ "--unknown-code" } << 'G' << clear << true;
    QTest::newRow("1 MB of random bytes") << QStringList() << '\0' << Recovery::Garbage << false;
    // The replies queued while the board was stopped arrive together, whole or in pieces.
    QTest::newRow("board stops answering")
        << QStringList() << 'G' << Recovery::StopAndContinue << true;
    QTest::newRow("board stops, split replies")
        << QStringList{ "--split" } << 'G' << Recovery::StopAndContinue << true;
    QTest::newRow("board quits mid-reply")
        << QStringList{ "--quit-mid-reply", "2" } << '\0' << Recovery::Restart << false;
    QTest::newRow("closed and opened") << QStringList() << 'G' << Recovery::Toggle << false;
}

void TestFaults::faultMatrix()
{
    QFETCH(QStringList, options);
    QFETCH(char, during);
    QFETCH(Recovery, recovery);
    QFETCH(bool, intact);
    // Why each poll brought no data, as the session tells it once per poll.
    QMap<BoardSession::Unanswered, int> unanswered;
    connect(session.get(), &BoardSession::pollUnanswered, this,
            [&](int address, BoardSession::Unanswered why) {
                QCOMPARE(address, 1);
                ++unanswered[why];
            });
    QVERIFY(connectTo(QStringList{ "--static" } + options));
    // Each verdict is the line's state, as a presenter shows it, from the moment it is given.
    if (during)
        QTRY_VERIFY_WITH_TIMEOUT(heard->verdicts.contains(during), WaitMs);
    const auto boardPid = sim->process().processId();

    switch (recovery) {
    case Recovery::ClearFaults: {
        if (options.contains("--chatter")) {
            // Over three ticks, a frame goes out only after 20 ms without a byte. A board kept
            // off the CPU by a loaded machine leaves such a gap now and then, and the session
            // may use it: each frame sent is judged by the quiet before it, not counted. The
            // chatter's bytes are 5 ms apart, which is also the room left for the measuring.
            qint64 lastBytes = session->clock()();
            QList<qint64> gaps;
            QObject watch;
            connect(session.get(), &BoardSession::bytesReceived, &watch,
                    [&] { lastBytes = session->clock()(); });
            connect(session.get(), &BoardSession::frameSent, &watch,
                    [&] { gaps << session->clock()() - lastBytes; });
            const int busy = heard->busy;
            const int notSent = unanswered.value(BoardSession::Unanswered::NotSent);
            QTest::qWait(3 * PeriodMs);
            for (qint64 gap : qAsConst(gaps))
                QVERIFY2(gap >= BoardSession::IdleThresholdMs - 5,
                         qPrintable(QString::number(gap)));
            // Each tick that found the line busy cost the pack its poll, and says so.
            QVERIFY(heard->busy > busy);
            QCOMPARE(unanswered.value(BoardSession::Unanswered::NotSent) - notSent,
                     heard->busy - busy);
            QCOMPARE(session->packLink(1).notSent, heard->busy);
        } else {
            const int sent = heard->sent;
            QTRY_VERIFY_WITH_TIMEOUT(heard->sent >= sent + 2, WaitMs); // polling goes on
        }
        if (during == 'C' || options.contains("--unknown-code"))
            QCOMPARE(heard->records, 0);
        // A reply past the watch is still the pack's, counted late; a spoiled one is no data.
        if (options.contains("--delay"))
            QTRY_VERIFY_WITH_TIMEOUT(session->packLink(1).late > 0, WaitMs);
        if (during == 'C')
            QVERIFY(unanswered.value(BoardSession::Unanswered::BadReply) > 0);
        if (options.contains("--drop") && options.contains("1"))
            QVERIFY(unanswered.value(BoardSession::Unanswered::NoReply) > 0);
        if (during == 'T') { // every request but the last was reported unanswered before the next
            const QByteArrayList perRequest = heard->verdicts.split('S').mid(1);
            for (int i = 0; i + 1 < perRequest.size(); ++i)
                QVERIFY2(perRequest.at(i).contains('T'), heard->verdicts.constData());
        }
        ::kill(boardPid, SIGUSR1);
        QTRY_VERIFY_WITH_TIMEOUT(boardLog().contains("line faults cleared"), WaitMs);
        break;
    }
    case Recovery::Garbage:
        QTRY_COMPARE_WITH_TIMEOUT(heard->last(), 'G', WaitMs);
        ::kill(boardPid, SIGUSR2);
        QTRY_VERIFY_WITH_TIMEOUT(boardLog().contains("1048576 random bytes thrown"), 6 * WaitMs);
        break;
    case Recovery::StopAndContinue: {
        ::kill(boardPid, SIGSTOP);
        QTRY_COMPARE_WITH_TIMEOUT(heard->last(), 'T', WaitMs);
        QTest::qWait(3 * PeriodMs); // requests pile up unread
        const int seen = requestsSeen();
        ::kill(boardPid, SIGCONT);
        // The board reads what piled up in one go and answers all of it at once.
        QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() > seen, WaitMs);
        break;
    }
    case Recovery::Restart: {
        // The line closes on the port's own news, and nothing spins or is said while it is gone.
        QTRY_VERIFY_WITH_TIMEOUT(!heard->closed.isEmpty(), WaitMs);
        QCOMPARE(heard->closed,
                 QList<BoardSession::CloseReason>{ BoardSession::CloseReason::Removed });
        QVERIFY(!session->isOpen() && !session->isPolling());
        QVERIFY(sim->process().waitForFinished(WaitMs));
        const QByteArray verdicts = heard->verdicts;
        const double cpuBefore = processCpuSeconds();
        QTest::qWait(1000);
        const double cpuSeconds = processCpuSeconds() - cpuBefore;
        QVERIFY2(cpuSeconds < 0.25, qPrintable(QString::number(cpuSeconds)));
        QCOMPARE(heard->verdicts, verdicts);
        QVERIFY(startBoard({ "--static" }));
        QVERIFY(session->open(line()));
        session->startPolling();
        break;
    }
    case Recovery::Toggle:
        for (int i = 0; i < 20; ++i) {
            session->close();
            QTest::qWait(i % 3);
            QVERIFY(session->open(line()));
            session->startPolling();
            QTest::qWait((i * 37) % 120); // some closes land in the middle of a reply
        }
        QCOMPARE(heard->closed.size(), 20);
        break;
    }

    // Once the fault has ended, a good reply comes within three polls.
    const int sentAtEnd = heard->sent;
    const int recordsAtEnd = heard->records;
    int sentAtGood = -1;
    QObject guard;
    connect(session.get(), &BoardSession::frameChecked, &guard,
            [&](const QByteArray &frame, BoardSession::FrameVerdict verdict) {
                if (sentAtGood < 0 && verdict == BoardSession::FrameVerdict::Good
                    && Frame::checkReply(frame).code == 0x51)
                    sentAtGood = heard->sent;
            });
    QTRY_VERIFY_WITH_TIMEOUT(sentAtGood >= 0, WaitMs);
    QVERIFY2(sentAtGood - sentAtEnd <= 3, qPrintable(QString::number(sentAtGood - sentAtEnd)));
    QCOMPARE(heard->last(), 'G');
    QVERIFY(session->isPolling());
    QTRY_VERIFY_WITH_TIMEOUT(heard->records > recordsAtEnd, WaitMs);
    // Each frame checked once and reported once; nothing unanswered before the first request.
    QCOMPARE(heard->good + heard->crc + heard->noStart, heard->received);
    QCOMPARE(heard->crcMismatch, heard->crc);
    QVERIFY2(!heard->verdicts.startsWith('T'), heard->verdicts.constData());
    if (intact)
        QCOMPARE(heard->good, heard->received);

    // A poll that went out was told unanswered at most once.
    QVERIFY(unanswered.value(BoardSession::Unanswered::NoReply)
                + unanswered.value(BoardSession::Unanswered::CutShort)
                + unanswered.value(BoardSession::Unanswered::BadReply)
            <= heard->sent);

    // Nothing the user would be told of where only the line misbehaved; a board that quit may
    // leave the port's own reason, once.
    QVERIFY(heard->failures <= (recovery == Recovery::Restart ? 1 : 0));

    // Polling a clean line costs little: nothing spins.
    const double cpuBefore = processCpuSeconds();
    QTest::qWait(1000);
    const double cpuSeconds = processCpuSeconds() - cpuBefore;
    QVERIFY2(cpuSeconds < 0.5, qPrintable(QString::number(cpuSeconds)));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
