// The board session against the simulated board, with no window: open and poll, the check of
// what comes back, a board that goes away and comes back, a port held by another program, and a
// write judged by the read-back behind it.
#include "commandcodes.h"
#include "frame.h"
#include "parametertable.h"
#include "sessionfixture.h"
#include "writeconfirm.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QtTest>

Q_DECLARE_METATYPE(WriteConfirm::Outcome)

namespace {
using Reasons = QList<BoardSession::CloseReason>;
} // namespace

class TestBoardSession : public QObject, public SessionFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void pollsAndHandsEachReplyOnOnce_data();
    void pollsAndHandsEachReplyOnOnce();
    void timeoutsAndCrcErrorsAreReported_data();
    void timeoutsAndCrcErrorsAreReported();
    void boardThatQuitsClosesTheLine();
    void boardThatReturnsIsReconnected_data();
    void boardThatReturnsIsReconnected();
    void portErrorWithTheDevicePresent_data();
    void portErrorWithTheDevicePresent();
    void portHeldByAnotherGivesTheSystemsReason();
    void writeIsJudgedByTheReadBack_data();
    void writeIsJudgedByTheReadBack();
};

void TestBoardSession::pollsAndHandsEachReplyOnOnce_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("whole replies") << QStringList();
    QTest::newRow("replies in pieces") << QStringList{ "--split" };
    QTest::newRow("stray bytes and ~ in front") << QStringList{ "--noise", "--stray-tilde" };
}

void TestBoardSession::pollsAndHandsEachReplyOnOnce()
{
    QFETCH(QStringList, options);
    QVERIFY(startBoard(QStringList{ "--static", "--soc", "60" } + options));
    QVERIFY(session->open(line()));
    QCOMPARE(heard->opened, 1);
    QVERIFY(session->isOpen());
    QVERIFY(!session->isPolling());

    QElapsedTimer sinceStart;
    qint64 firstSentMs = -1;
    QByteArrayList sent;
    connect(session.get(), &BoardSession::frameSent, this, [&](const QByteArray &frame) {
        if (sent.isEmpty())
            firstSentMs = sinceStart.elapsed();
        sent << frame;
    });
    RealTimeReply lastRecord;
    connect(session.get(), &BoardSession::realTimeRecord, this,
            [&lastRecord](const RealTimeReply &values) { lastRecord = values; });
    sinceStart.start();
    session->startPolling();
    QVERIFY(session->isPolling());
    // Every request answered, also where the replies came in pieces: as many frames as requests
    // once the last reply is in. A reply lost or handed on twice would part them for good.
    QTRY_VERIFY_WITH_TIMEOUT(heard->records >= 5 && heard->received == heard->sent, WaitMs);

    // The first request one period after the start (the timer may be early by its 5 %).
    QVERIFY2(firstSentMs >= PeriodMs * 95 / 100, qPrintable(QString::number(firstSentMs)));
    for (const QByteArray &frame : qAsConst(sent))
        QCOMPARE(frame, Frame::readRequest(1, Cmd::ReadRealTime));
    // Each handed on whole: one good frame and one record each.
    QCOMPARE(heard->good, heard->received);
    QCOMPARE(heard->records, heard->good);
    // Decoded into the session's record and handed on.
    QCOMPARE(session->afe.soc, 60);
    QCOMPARE(session->afe.id, 1);
    QCOMPARE(lastRecord.addressText, QByteArray("01"));
    QCOMPARE(lastRecord.cellsInSeries, 16);

    // Closed: said once, and nothing more goes out.
    session->close();
    QCOMPARE(heard->closed, Reasons{ BoardSession::CloseReason::User });
    QVERIFY(!session->isOpen());
    QVERIFY(!session->isPolling());
    const int sentAtClose = heard->sent;
    QTest::qWait(2 * PeriodMs);
    QCOMPARE(heard->sent, sentAtClose);
    QCOMPARE(heard->failures(), 0);
}

void TestBoardSession::timeoutsAndCrcErrorsAreReported_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("decoded"); // the replies become records
    QTest::addColumn<bool>("spoiled"); // every reply fails its check
    QTest::addColumn<bool>("late"); // each request is reported unanswered
    QTest::newRow("no answer") << QStringList{ "--drop", "1" } << false << false << true;
    QTest::newRow("spoiled CRC") << QStringList{ "--bad-crc", "1" } << false << true << false;
    // Past the reply watch, yet before the next tick: reported, then still taken.
    QTest::newRow("late answer") << QStringList{ "--delay", "100" } << true << false << true;
}

void TestBoardSession::timeoutsAndCrcErrorsAreReported()
{
    QFETCH(QStringList, options);
    QFETCH(bool, decoded);
    QFETCH(bool, spoiled);
    QFETCH(bool, late);
    QVERIFY(connectTo(QStringList{ "--static" } + options));
    QTRY_VERIFY_WITH_TIMEOUT(heard->sent >= 4, WaitMs);

    // Each frame received is checked once and reported once.
    QCOMPARE(heard->good + heard->crc + heard->noStart, heard->received);
    QCOMPARE(heard->crcMismatch, heard->crc);
    QCOMPARE(heard->records, decoded ? heard->good : 0);
    QVERIFY(heard->received <= heard->sent);
    if (spoiled) {
        QVERIFY(heard->received >= 3);
        QCOMPARE(heard->crc, heard->received);
    } else {
        QCOMPARE(heard->crc, 0);
    }
    if (decoded)
        QVERIFY(heard->records >= 3);
    else if (!spoiled)
        QCOMPARE(heard->received, 0);

    // Nothing is reported unanswered before the first request; each request but the last (whose
    // watch may still run) is reported before the next one goes out.
    const QByteArray verdicts = heard->verdicts;
    QVERIFY2(!verdicts.startsWith('T'), verdicts.constData());
    if (late) {
        const QByteArrayList perRequest = verdicts.split('S').mid(1);
        for (int i = 0; i + 1 < perRequest.size(); ++i)
            QVERIFY2(perRequest.at(i).contains('T'), verdicts.constData());
    }
    QCOMPARE(heard->failures(), 0);
    QVERIFY(heard->closed.isEmpty());
}

void TestBoardSession::boardThatQuitsClosesTheLine()
{
    QVERIFY(connectTo({ "--static" }));
    QTRY_VERIFY_WITH_TIMEOUT(heard->good >= 1, WaitMs);

    // The board goes away with the port open: its device node and the link vanish. The line
    // closes on the port's own news, without the device watcher.
    QVERIFY(sim->stop());
    QTRY_VERIFY_WITH_TIMEOUT(!heard->closed.isEmpty(), WaitMs);
    QCOMPARE(heard->closed, Reasons{ BoardSession::CloseReason::Removed });
    QVERIFY(!session->isOpen());
    QVERIFY(!session->isPolling());
    QVERIFY(!session->isWaitingToReconnect());

    // Nothing spins and nothing more is said once it is gone.
    const QByteArray verdicts = heard->verdicts;
    const int failures = heard->failures();
    QVERIFY2(failures <= 1, qPrintable(QString::number(failures))); // the port's own reason
    const double cpuBefore = processCpuSeconds();
    QTest::qWait(1000);
    const double cpuSeconds = processCpuSeconds() - cpuBefore;
    qInfo("CPU over 1 s after the board quit: %.3f s", cpuSeconds);
    QVERIFY2(cpuSeconds < 0.25, qPrintable(QString::number(cpuSeconds)));
    QCOMPARE(heard->verdicts, verdicts);
    QCOMPARE(heard->failures(), failures);
    QCOMPARE(heard->closed.size(), 1);
}

void TestBoardSession::boardThatReturnsIsReconnected_data()
{
    QTest::addColumn<bool>("reconnect");
    QTest::addColumn<bool>("cancelWhileWaiting"); // switched off before it returns
    QTest::newRow("reconnect") << true << false;
    QTest::newRow("no reconnect") << false << false;
    QTest::newRow("switched off while waiting") << true << true;
}

void TestBoardSession::boardThatReturnsIsReconnected()
{
    QFETCH(bool, reconnect);
    QFETCH(bool, cancelWhileWaiting);
    session->setReconnect(reconnect);
    QList<bool> waits;
    connect(session.get(), &BoardSession::reconnectWaitChanged, this,
            [&waits](bool waiting) { waits << waiting; });
    QVERIFY(connectTo({ "--static" }));
    QTRY_VERIFY_WITH_TIMEOUT(heard->good >= 1, WaitMs);

    // The adapter is pulled out, and the device watcher tells before the port does.
    QVERIFY(sim->stop());
    session->deviceRemoved();
    QCOMPARE(heard->closed, Reasons{ BoardSession::CloseReason::Removed });
    QCOMPARE(session->isWaitingToReconnect(), reconnect);
    QCOMPARE(waits, reconnect ? QList<bool>{ true } : QList<bool>{});
    if (cancelWhileWaiting) {
        session->setReconnect(false);
        QVERIFY(!session->isWaitingToReconnect());
        QCOMPARE(waits, (QList<bool>{ true, false }));
    }

    // It comes back on the same path, and the watcher tells of it.
    QVERIFY(startBoard({ "--static" }));
    const int good = heard->good;
    session->deviceArrived();
    if (reconnect && !cancelWhileWaiting) {
        QCOMPARE(heard->opened, 2);
        QVERIFY(session->isPolling());
        QVERIFY(!session->isWaitingToReconnect());
        QCOMPARE(waits, (QList<bool>{ true, false }));
        QCOMPARE(session->period(), PeriodMs);
        QTRY_VERIFY_WITH_TIMEOUT(heard->good > good, WaitMs);
    } else {
        // Not at its arrival, nor at the wait's next look.
        QTest::qWait(BoardSession::ReconnectRetryMs + PeriodMs);
        QCOMPARE(heard->opened, 1);
        QVERIFY(!session->isOpen());
        QCOMPARE(heard->good, good);
    }
    QCOMPARE(heard->closed.size(), 1);
    QCOMPARE(heard->failures(), 0);
}

void TestBoardSession::portErrorWithTheDevicePresent_data()
{
    // Only an error that leaves the port unusable closes it; the device is still there.
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<bool>("closes");
    QTest::newRow("resource error") << QSerialPort::ResourceError << true;
    QTest::newRow("read error") << QSerialPort::ReadError << false;
}

void TestBoardSession::portErrorWithTheDevicePresent()
{
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(bool, closes);
    session->setReconnect(true); // a device that is still there is not waited for
    QVERIFY(connectTo({ "--static" }));
    QString reason;
    connect(session.get(), &BoardSession::portFailed, this,
            [&reason](const QString &text) { reason = text; });
    session->handlePortError(error);
    QVERIFY(!session->isWaitingToReconnect());
    if (!closes) {
        QVERIFY(session->isPolling());
        QVERIFY(heard->closed.isEmpty());
        QCOMPARE(heard->failures(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(heard->good >= 1, WaitMs);
        return;
    }
    QCOMPARE(heard->closed, Reasons{ BoardSession::CloseReason::PortError });
    QCOMPARE(heard->portFailed, 1);
    QVERIFY(!reason.isEmpty());
    QVERIFY(!session->isOpen());
    QVERIFY(!session->isPolling());
}

void TestBoardSession::portHeldByAnotherGivesTheSystemsReason()
{
    QVERIFY(startBoard({ "--static" }));
    QSerialPort other(link);
    QVERIFY(other.open(QIODevice::ReadWrite));
    QString port;
    QString reason;
    QSerialPort::SerialPortError error = QSerialPort::NoError;
    QByteArray order;
    connect(session.get(), &BoardSession::closed, this, [&order] { order += "closed "; });
    connect(session.get(), &BoardSession::openFailed, this,
            [&](const QString &name, const QString &why, QSerialPort::SerialPortError kind) {
                order += "failed";
                port = name;
                reason = why;
                error = kind;
            });

    QVERIFY(!session->open(line()));
    // Closed first, so a presenter shows the closed line under the box it shows for the reason.
    QCOMPARE(order, QByteArray("closed failed"));
    QCOMPARE(port, other.portName());
    QVERIFY2(error == QSerialPort::PermissionError || error == QSerialPort::OpenError,
             qPrintable(QString::number(error)));
    QVERIFY(!reason.isEmpty());
    QVERIFY(!session->isOpen());

    // Once the other program lets go, the line opens.
    other.close();
    QVERIFY(session->open(line()));
    QCOMPARE(heard->openFailed, 1);
}

void TestBoardSession::writeIsJudgedByTheReadBack_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<WriteConfirm::Outcome>("outcome");
    QTest::addColumn<QString>("board"); // what the block shows afterwards
    QTest::addColumn<QByteArray>("note"); // the board's log of the write
    QTest::newRow("taken") << QStringList() << WriteConfirm::Outcome::Confirmed << "3000"
                           << QByteArray("code 06 = 3000: stored");
    QTest::newRow("kept") << QStringList{ "--keep", "06" } << WriteConfirm::Outcome::Kept << "2500"
                          << QByteArray("code 06 = 3000: kept the old value");
}

void TestBoardSession::writeIsJudgedByTheReadBack()
{
    QFETCH(QStringList, options);
    QFETCH(WriteConfirm::Outcome, outcome);
    QFETCH(QString, board);
    QFETCH(QByteArray, note);
    QVERIFY(connectTo(QStringList{ "--static" } + options));
    QTRY_VERIFY_WITH_TIMEOUT(heard->good >= 1, WaitMs);
    QVector<WriteConfirm::Verdict> verdicts;
    connect(session.get(), &BoardSession::writeVerdicts, this,
            [&verdicts](const QVector<WriteConfirm::Verdict> &more) { verdicts << more; });
    QByteArrayList sent;
    connect(session.get(), &BoardSession::frameSent, this,
            [&sent](const QByteArray &frame) { sent << frame; });
    const int before = heard->verdicts.size();

    // The under-voltage row, as its button queues it.
    const ParameterTable::Row *row = ParameterTable::findByLineEdit(QStringLiteral("conf_lv"));
    QVERIFY(row);
    const QByteArray frame = session->queueWrite(Frame::withAddress(row->prefix, 1), 3000);
    QVERIFY(!frame.isEmpty());
    session->followWrite(QStringLiteral("conf_lv"), WriteConfirm::shownValue(*row, 3000), frame, 0,
                         true);
    QVERIFY(session->isWritePending(QStringLiteral("conf_lv")));
    QTRY_VERIFY_WITH_TIMEOUT(!verdicts.isEmpty(), WaitMs);

    QCOMPARE(verdicts.size(), 1);
    QCOMPARE(verdicts.first().field, QStringLiteral("conf_lv"));
    QCOMPARE(verdicts.first().outcome, outcome);
    QCOMPARE(verdicts.first().expected, 3000);
    QCOMPARE(verdicts.first().board, board);
    QVERIFY(!session->isWritePending(QStringLiteral("conf_lv")));
    // The write went out first, then the read-back in place of a poll; the write is not watched
    // for a reply it never gets.
    QCOMPARE(sent.mid(0, 2), (QByteArrayList{ frame, Frame::readRequest(1, Cmd::ReadParameters) }));
    const QByteArray line = heard->verdicts.mid(before);
    QVERIFY2(line.startsWith('S') && !line.left(line.indexOf('S', 1)).contains('T'),
             line.constData());
    QVERIFY(boardLog().contains(note));
}

QTEST_MAIN(TestBoardSession)
#include "tst_boardsession.moc"
