// The board session against the simulated board, with no window: open and poll, a board that
// goes away and comes back, port errors, a port held by another program, a write judged by the
// read-back behind it, and queued frames that go out as fast as the line allows whatever the
// poll period. The line's faults are the fault matrix's (tst_faults).
#include "commandcodes.h"
#include "frame.h"
#include "parametertable.h"
#include "sessionfixture.h"
#include "writeconfirm.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QtTest>

// Built against the session's own libraries only: it needs no widget, nor a screen.
#if defined(QT_WIDGETS_LIB) || defined(QT_GUI_LIB)
#error "the board session must build and link without the window's libraries"
#endif

Q_DECLARE_METATYPE(WriteConfirm::Outcome)

using Reasons = QList<BoardSession::CloseReason>;

class TestBoardSession : public QObject, public SessionFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void pollsAndHandsEachReplyOnOnce_data();
    void pollsAndHandsEachReplyOnOnce();
    void boardThatReturnsIsReconnected_data();
    void boardThatReturnsIsReconnected();
    void portErrorWithTheDevicePresent_data();
    void portErrorWithTheDevicePresent();
    void portHeldByAnotherGivesTheSystemsReason();
    void writeIsJudgedByTheReadBack_data();
    void writeIsJudgedByTheReadBack();
    void queuedFramesDoNotWaitForThePeriod();
};

void TestBoardSession::pollsAndHandsEachReplyOnOnce_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("batteryNumber"); // what the replies state
    QTest::newRow("whole replies") << QStringList() << 1;
    QTest::newRow("replies in pieces") << QStringList{ "--split" } << 1;
    // The board at address 1 was given battery number 7: its replies are still pack 1's.
    QTest::newRow("battery number 7") << QStringList{ "--battery-number", "7" } << 7;
}

void TestBoardSession::pollsAndHandsEachReplyOnOnce()
{
    QFETCH(QStringList, options);
    QFETCH(int, batteryNumber);
    QVERIFY(startBoard(QStringList{ "--static", "--soc", "60" } + options));
    QVERIFY(session->open(line()));
    QCOMPARE(heard->opened, 1);
    QVERIFY(!session->isPolling());
    QElapsedTimer sinceStart;
    qint64 firstSentMs = -1;
    QByteArrayList sent;
    connect(session.get(), &BoardSession::frameSent, this, [&](const QByteArray &frame) {
        firstSentMs = sent.isEmpty() ? sinceStart.elapsed() : firstSentMs;
        sent << frame;
    });
    RealTimeReply record;
    connect(session.get(), &BoardSession::realTimeRecord, this,
            [&record](const RealTimeReply &values) { record = values; });
    QVector<int> packs; // the packs replies were handed on as, and the records' ids
    connect(session.get(), &BoardSession::packReply, this,
            [&](int address, const RealTimeReply &values, const AFE &pack) {
                packs << address << pack.id;
                QCOMPARE(values.batteryNumber, batteryNumber);
            });
    sinceStart.start();
    session->startPolling();

    // Every request answered, also where the replies came in pieces: as many frames as requests
    // once the last reply is in. A reply lost or handed on twice would part them for good.
    QTRY_VERIFY_WITH_TIMEOUT(heard->records >= 5 && heard->received == heard->sent, WaitMs);
    QCOMPARE(heard->good, heard->received);
    QCOMPARE(heard->records, heard->good);
    // The first request one period after the start (a timer may be early by 5 %, and both clocks
    // count whole milliseconds).
    QVERIFY2(firstSentMs >= PeriodMs * 95 / 100 - 1, qPrintable(QString::number(firstSentMs)));
    QCOMPARE(sent.count(Frame::readRequest(1, Cmd::ReadRealTime)), sent.size());
    QCOMPARE(session->afe.soc, 60);
    QCOMPARE(record.addressText, Frame::addressDigits(batteryNumber));
    QCOMPARE(record.cellsInSeries, 16);
    // The page shows the number the board states; the pack is the one polled.
    QCOMPARE(session->afe.id, batteryNumber);
    QCOMPARE(packs.count(1), packs.size());
    QCOMPARE(packs.size(), 2 * heard->records);
    QCOMPARE(session->packLinks().size(), 1);
    QCOMPARE(session->packLink(1).replies, heard->records);

    // Closed: said once, and nothing more goes out.
    session->close();
    QCOMPARE(heard->closed, Reasons{ BoardSession::CloseReason::User });
    QVERIFY(!session->isOpen() && !session->isPolling());
    const int sentAtClose = heard->sent;
    QTest::qWait(2 * PeriodMs);
    QCOMPARE(heard->sent, sentAtClose);
    QCOMPARE(heard->failures, 0);
}

void TestBoardSession::boardThatReturnsIsReconnected_data()
{
    QTest::addColumn<bool>("reconnect");
    QTest::addColumn<bool>("announced"); // the device watcher tells of the removal first
    QTest::addColumn<bool>("cancelWhileWaiting"); // switched off before it returns
    QTest::newRow("reconnect") << true << true << false;
    QTest::newRow("no reconnect, the port tells") << false << false << false;
    QTest::newRow("switched off while waiting") << true << true << true;
}

void TestBoardSession::boardThatReturnsIsReconnected()
{
    QFETCH(bool, reconnect);
    QFETCH(bool, announced);
    QFETCH(bool, cancelWhileWaiting);
    session->setReconnect(reconnect);
    QList<bool> waits;
    connect(session.get(), &BoardSession::reconnectWaitChanged, this,
            [&waits](bool waiting) { waits << waiting; });
    QVERIFY(connectTo({ "--static" }));
    QTRY_VERIFY_WITH_TIMEOUT(heard->good >= 1, WaitMs);

    // The adapter is pulled out: its device node and the link vanish.
    QVERIFY(sim->stop());
    if (announced)
        session->deviceRemoved();
    QTRY_COMPARE_WITH_TIMEOUT(heard->closed, Reasons{ BoardSession::CloseReason::Removed }, WaitMs);
    QVERIFY(!session->isPolling());
    QCOMPARE(waits, reconnect ? QList<bool>{ true } : QList<bool>());
    if (cancelWhileWaiting) {
        session->setReconnect(false);
        QCOMPARE(waits, (QList<bool>{ true, false }));
    }

    // It comes back on the same path, and the watcher tells of it.
    QVERIFY(startBoard({ "--static" }));
    const int good = heard->good;
    session->deviceArrived();
    if (reconnect && !cancelWhileWaiting) {
        QCOMPARE(heard->opened, 2);
        QVERIFY(session->isPolling());
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
    QVERIFY(!session->isWaitingToReconnect());
    QCOMPARE(heard->closed.size(), 1);
    QVERIFY(heard->failures <= (announced ? 0 : 1)); // the port's own reason, once
}

void TestBoardSession::portErrorWithTheDevicePresent_data()
{
    // Only an error that leaves the port unusable closes it.
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
    QStringList reasons;
    connect(session.get(), &BoardSession::portFailed, this,
            [&reasons](const QString &reason) { reasons << reason; });
    session->handlePortError(error);
    QVERIFY(!session->isWaitingToReconnect());
    QCOMPARE(session->isPolling(), !closes);
    QCOMPARE(heard->closed, closes ? Reasons{ BoardSession::CloseReason::PortError } : Reasons{});
    QCOMPARE(reasons.size(), closes ? 1 : 0);
    QVERIFY(!closes || !reasons.first().isEmpty());
    if (!closes)
        QTRY_VERIFY_WITH_TIMEOUT(heard->good >= 1, WaitMs);
}

void TestBoardSession::portHeldByAnotherGivesTheSystemsReason()
{
    QVERIFY(startBoard({ "--static" }));
    QSerialPort other(link);
    QVERIFY(other.open(QIODevice::ReadWrite));
    QStringList told;
    connect(session.get(), &BoardSession::closed, this, [&told] { told << "closed"; });
    connect(session.get(), &BoardSession::openFailed, this,
            [&](const QString &port, const QString &reason, QSerialPort::SerialPortError error) {
                told << port << reason;
                QVERIFY2(error == QSerialPort::PermissionError || error == QSerialPort::OpenError,
                         qPrintable(QString::number(error)));
            });
    QVERIFY(!session->open(line()));
    // Closed first, so a presenter shows the closed line under the box with the system's reason.
    QCOMPARE(told.size(), 3);
    QCOMPARE(told.mid(0, 2), (QStringList{ "closed", other.portName() }));
    QVERIFY(!told.at(2).isEmpty());
    QVERIFY(!session->isOpen());

    // Once the other program lets go, the line opens.
    other.close();
    QVERIFY(session->open(line()));
}

void TestBoardSession::writeIsJudgedByTheReadBack_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<WriteConfirm::Outcome>("outcome");
    QTest::addColumn<QString>("board"); // what the block shows afterwards
    QTest::newRow("taken") << QStringList() << WriteConfirm::Outcome::Confirmed << "3000";
    QTest::newRow("kept") << QStringList{ "--keep", "06" } << WriteConfirm::Outcome::Kept << "2500";
}

void TestBoardSession::writeIsJudgedByTheReadBack()
{
    QFETCH(QStringList, options);
    QFETCH(WriteConfirm::Outcome, outcome);
    QFETCH(QString, board);
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
    QCOMPARE(verdicts.first().board, board);
    QVERIFY(!session->isWritePending(QStringLiteral("conf_lv")));
    // The write went out first, then the read-back in place of a poll. The board does not answer
    // a write, and nothing waits for it to.
    QCOMPARE(sent.mid(0, 2), (QByteArrayList{ frame, Frame::readRequest(1, Cmd::ReadParameters) }));
    const QByteArray line = heard->verdicts.mid(before);
    QVERIFY2(line.startsWith('S') && !line.left(line.indexOf('S', 1)).contains('T'),
             line.constData());
}

void TestBoardSession::queuedFramesDoNotWaitForThePeriod()
{
    // Polled once in 5 s: five writes and the read-back behind them go out as fast as the line
    // allows, not one a period (which took half a minute), and are judged well within a period.
    QVERIFY(startBoard({ "--static" }));
    BoardSession::LineSettings settings = line();
    settings.periodMs = 5000;
    QVERIFY(session->open(settings));
    session->startPolling();
    QByteArrayList sent;
    connect(session.get(), &BoardSession::frameSent, this,
            [&sent](const QByteArray &frame) { sent << frame; });
    QVector<WriteConfirm::Verdict> verdicts;
    connect(session.get(), &BoardSession::writeVerdicts, this,
            [&verdicts](const QVector<WriteConfirm::Verdict> &more) { verdicts << more; });

    const QVector<QPair<const char *, uint16_t>> rows{
        { "conf_lv", 2700 }, { "conf_lvre", 2900 }, { "conf_lvt", 1500 },
        { "conf_hv", 3700 }, { "conf_hvre", 3500 },
    };
    QByteArrayList writes;
    for (int i = 0; i < rows.size(); ++i) {
        const ParameterTable::Row *row =
            ParameterTable::findByLineEdit(QLatin1String(rows.at(i).first));
        QVERIFY(row);
        const QByteArray frame =
            session->queueWrite(Frame::withAddress(row->prefix, 1), rows.at(i).second);
        session->followWrite(QLatin1String(rows.at(i).first),
                             WriteConfirm::shownValue(*row, rows.at(i).second), frame, i,
                             i + 1 == rows.size());
        writes << frame;
    }
    QTRY_VERIFY_WITH_TIMEOUT(verdicts.size() == rows.size(), 3000);
    for (const WriteConfirm::Verdict &v : qAsConst(verdicts))
        QCOMPARE(v.outcome, WriteConfirm::Outcome::Confirmed);
    // In their order, the read-back last; the poll keeps its period.
    QCOMPARE(sent, writes + QByteArrayList{ Frame::readRequest(1, Cmd::ReadParameters) });
}

QTEST_MAIN(TestBoardSession)
#include "tst_boardsession.moc"
