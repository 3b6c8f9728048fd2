// Several packs on one line: the session's cycle against the simulated bus, paced at 9600 baud
// as a wire is. Each reply is its own pack's data, whatever battery number it states; a pack
// that drops out costs the others no more than its reply watch and the guard after it; boards
// that answer late are heard out, each reply credited to its own pack; a write reaches its own
// board; a scan finds the boards there are.
#include "commandcodes.h"
#include "frame.h"
#include "sessionfixture.h"

#include <QtTest>

namespace {

// The cycle over four packs at 9600 baud takes about a second: polling as fast as the wire
// allows.
constexpr int BusWaitMs = 15000;

} // namespace

class TestBus : public QObject, public SessionFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void eachReplyIsItsOwnPacksData_data();
    void eachReplyIsItsOwnPacksData();
    void packThatDropsOutCostsTheOthersOnlyItsWatch();
    void lateBoardsAreHeardOut();
    void writeReachesItsOwnBoardOnly();
    void scanFindsTheBoardsThereAre();

private:
    // Starts boards on a bus paced at 9600 baud and polls addresses, with focus in focus.
    bool pollBus(const QString &boards, const QVector<int> &addresses, int focus,
                 const QStringList &more = {})
    {
        if (!startBoard(QStringList{ "--static", "--address", boards, "--line-rate", "9600",
                                     "--control", control() }
                        + more))
            return false;
        BoardSession::LineSettings settings = line();
        settings.address = focus;
        if (!session->open(settings))
            return false;
        session->setAddresses(addresses);
        session->startPolling();
        return true;
    }

    QString control() const { return dir->filePath(QStringLiteral("control")); }

    void command(const QByteArray &text)
    {
        QFile pipe(control());
        QVERIFY(pipe.open(QIODevice::WriteOnly));
        pipe.write(text + '\n');
    }

    // The addresses asked, in order, from the board's log.
    QVector<int> asked() const
    {
        QVector<int> list;
        for (const QByteArray &line : boardLog().split('\n')) {
            const int at = line.indexOf(" RX :Y+");
            if (at >= 0 && line.contains("+51=?~"))
                list << line.mid(at + 7, 2).toInt(nullptr, 16);
        }
        return list;
    }
};

void TestBus::eachReplyIsItsOwnPacksData_data()
{
    // The battery number every board's replies state; -1: its address.
    QTest::addColumn<int>("batteryNumber");
    QTest::newRow("numbered as addressed") << -1;
    // After code 1D was written to each: they answer at their addresses and state 7.
    QTest::newRow("all numbered 7") << 7;
}

void TestBus::eachReplyIsItsOwnPacksData()
{
    QFETCH(int, batteryNumber);
    QMap<int, int> replies;
    QVector<int> mismatched;
    connect(session.get(), &BoardSession::packReply, this,
            [&](int address, const RealTimeReply &values, const AFE &record) {
                ++replies[address];
                const int stated = batteryNumber < 0 ? address : batteryNumber;
                if (record.id != address || values.batteryNumber != stated
                    || values.addressText.toInt(nullptr, 16) != stated)
                    mismatched << address;
            });
    QVector<int> focusRecords;
    connect(session.get(), &BoardSession::realTimeRecord, this,
            [&](const RealTimeReply &values) { focusRecords << values.batteryNumber; });
    QVector<int> cycles;
    connect(session.get(), &BoardSession::cycleDone, this, [&](int ms, bool) { cycles << ms; });
    const QStringList numbered = batteryNumber < 0
        ? QStringList()
        : QStringList{ "--battery-number", QString::number(batteryNumber) };
    QVERIFY(pollBus("1-4", { 1, 2, 3, 4 }, 2, numbered));
    QVERIFY(session->isPolling() && session->isCycleDriven());

    QTRY_VERIFY_WITH_TIMEOUT(cycles.size() >= 3, BusWaitMs);
    QVERIFY(mismatched.isEmpty());
    for (int address = 1; address <= 4; ++address)
        QVERIFY2(replies.value(address) >= 3, qPrintable(QString::number(address)));
    // The pages are given the pack in focus only.
    QVERIFY(!focusRecords.isEmpty());
    QCOMPARE(focusRecords.count(batteryNumber < 0 ? 2 : batteryNumber), focusRecords.size());
    // One request on the line at a time, in the list's order: the board never heard a request
    // while it was sending, and the asks go round 1, 2, 3, 4.
    QVERIFY(!boardLog().contains("came while the board was sending"));
    const QVector<int> order = asked();
    for (int i = 0; i < order.size(); ++i)
        QCOMPARE(order.at(i), i % 4 + 1);
    for (const BoardSession::PackLink &link : session->packLinks()) {
        QCOMPARE(link.timeouts + link.notSent, 0);
        QCOMPARE(link.crcErrors + link.wrongReply, 0);
        QVERIFY(link.lastReply.isValid() && link.roundTripMs > 0);
    }
    QCOMPARE(heard->failures, 0);
}

void TestBus::packThatDropsOutCostsTheOthersOnlyItsWatch()
{
    QVector<int> cycles;
    connect(session.get(), &BoardSession::cycleDone, this, [&](int ms, bool) { cycles << ms; });
    QVERIFY(pollBus("1-4", { 1, 2, 3, 4 }, 1));
    QTRY_VERIFY_WITH_TIMEOUT(cycles.size() >= 2, BusWaitMs);
    const int whole = cycles.last();

    command("absent 3");
    QTRY_VERIFY_WITH_TIMEOUT(session->packLink(3).timeouts >= 2, BusWaitMs);
    const int repliesBefore = session->packLink(4).replies;
    cycles.clear();
    QTRY_VERIFY_WITH_TIMEOUT(cycles.size() >= 2, BusWaitMs);
    // The others go on: pack 4 answered in every cycle since, and the cycle is shorter by pack
    // 3's reply, longer by at most its watch and the guard after it.
    QVERIFY(session->packLink(4).replies >= repliesBefore + 2);
    const int requestMs =
        int(BusCycle::wireMs(Frame::readRequest(3, Cmd::ReadRealTime).size(), 9600));
    // A few milliseconds more for timers on a loaded machine.
    QVERIFY2(cycles.last()
                 <= whole + BoardSession::ReplyWatchMs + BoardSession::GuardMs + requestMs + 30,
             qPrintable(QStringLiteral("%1 ms, %2 ms whole").arg(cycles.last()).arg(whole)));
    const QDateTime silentSince = session->packLink(3).lastReply;

    command("present 3");
    QTRY_VERIFY_WITH_TIMEOUT(session->packLink(3).lastReply > silentSince, BusWaitMs);
}

void TestBus::lateBoardsAreHeardOut()
{
    // Two boards that answer 100 ms after they heard the request, past the 70 ms watch: each
    // reply comes within the guard, nothing is sent across it, and each is its own pack's.
    QMap<int, int> replies;
    QVector<int> unanswered;
    connect(session.get(), &BoardSession::packReply, this,
            [&](int address, const RealTimeReply &values) {
                QCOMPARE(values.batteryNumber, address);
                ++replies[address];
            });
    connect(session.get(), &BoardSession::pollUnanswered, this,
            [&](int address, BoardSession::Unanswered why) {
                QCOMPARE(why, BoardSession::Unanswered::NoReply);
                unanswered << address;
            });
    QVERIFY(pollBus("1,2", { 1, 2 }, 1, { "--delay", "100" }));
    QTRY_VERIFY_WITH_TIMEOUT(replies.value(1) >= 3 && replies.value(2) >= 3, BusWaitMs);
    QVERIFY2(!boardLog().contains("came while the board was sending"), boardLog().constData());
    for (int address : { 1, 2 }) {
        const BoardSession::PackLink link = session->packLink(address);
        QCOMPARE(link.replies, replies.value(address));
        // Each told unanswered at its watch's end, then credited late.
        QVERIFY(link.late >= link.replies - 1 && link.late > 0);
        QVERIFY(link.timeouts >= link.late);
        QCOMPARE(link.crcErrors + link.wrongReply, 0);
        QVERIFY(link.roundTripMs > 100);
    }
    QCOMPARE(unanswered.count(1) + unanswered.count(2), unanswered.size());
}

void TestBus::writeReachesItsOwnBoardOnly()
{
    QVector<QVector<WriteConfirm::Verdict>> verdicts;
    connect(session.get(), &BoardSession::writeVerdicts, this,
            [&](const QVector<WriteConfirm::Verdict> &v) { verdicts << v; });
    QVERIFY(pollBus("1-4", { 1, 2, 3, 4 }, 1));
    QTRY_VERIFY_WITH_TIMEOUT(session->packLink(4).replies >= 1, BusWaitMs);

    // The under-voltage row of pack 3 (code 06), confirmed by pack 3's read-back.
    const ParameterTable::Row *row = ParameterTable::findByLineEdit(QStringLiteral("conf_lv"));
    QVERIFY(row);
    const QByteArray frame = session->queueWrite(Frame::withAddress(row->prefix, 3), 2800);
    QVERIFY(!frame.isEmpty());
    session->followWrite(QStringLiteral("conf_lv"), WriteConfirm::shownValue(*row, 2800), frame, 0,
                         false);
    session->queueReadBack(3);
    QTRY_VERIFY_WITH_TIMEOUT(!verdicts.isEmpty(), BusWaitMs);
    QCOMPARE(verdicts.first().size(), 1);
    QCOMPARE(verdicts.first().first().outcome, WriteConfirm::Outcome::Confirmed);

    QByteArrayList stored;
    for (const QByteArray &line : boardLog().split('\n')) {
        if (line.contains(": code 06 = "))
            stored << line.mid(line.indexOf("# board "));
    }
    QCOMPARE(stored, QByteArrayList{ "# board 3: code 06 = 2800: stored" });
    // The polls went on around it.
    const int replies = session->packLink(1).replies;
    QTRY_VERIFY_WITH_TIMEOUT(session->packLink(1).replies > replies, BusWaitMs);
}

void TestBus::scanFindsTheBoardsThereAre()
{
    QVector<QPair<int, int>> progress;
    QVector<int> found;
    bool stopped = true;
    int finished = 0;
    connect(session.get(), &BoardSession::scanProgress, this,
            [&](int done, int total) { progress << qMakePair(done, total); });
    connect(session.get(), &BoardSession::scanFinished, this, [&](const QVector<int> &f, bool s) {
        found = f;
        stopped = s;
        ++finished;
    });
    // Polling one pack while it scans: the polls give way and go on after.
    QVERIFY(pollBus("2,5,7", { 2 }, 2));
    QTRY_VERIFY_WITH_TIMEOUT(heard->records >= 1, BusWaitMs);
    session->startScan(1, 8);
    QVERIFY(session->isScanning());
    QTRY_COMPARE_WITH_TIMEOUT(finished, 1, BusWaitMs);
    QCOMPARE(found, (QVector<int>{ 2, 5, 7 }));
    QVERIFY(!stopped);
    QCOMPARE(progress.last(), qMakePair(8, 8));
    QVERIFY(!session->isCycleDriven());
    const int records = heard->records;
    QTRY_VERIFY_WITH_TIMEOUT(heard->records > records, BusWaitMs);

    // Stopped half-way: said so, with what was found by then.
    session->startScan(0, 99);
    QTRY_VERIFY_WITH_TIMEOUT(progress.last().first >= 3, BusWaitMs);
    session->stopScan();
    QTRY_COMPARE_WITH_TIMEOUT(finished, 2, BusWaitMs);
    QVERIFY(stopped);
    QCOMPARE(found, QVector<int>{ 2 });
    QCOMPARE(heard->failures, 0);
}

QTEST_GUILESS_MAIN(TestBus)
#include "tst_bus.moc"
