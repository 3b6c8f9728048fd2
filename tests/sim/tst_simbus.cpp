// The simulated bus: address lists and control commands, which board takes a frame, what a
// board off the bus does, the boards' own seeds, and the transmitter's timing on a paced line,
// driven by a clock of the test's own.
#include "board.h"
#include "bus.h"
#include "commandcodes.h"
#include "fields.h"
#include "frame.h"
#include "transmitter.h"

#include <QtTest>

namespace {
constexpr qint64 Ms = 1'000'000;
constexpr int Lv = 54; // cell under-voltage in the parameter block

PackModel::Config config(uint32_t seed = 1)
{
    PackModel::Config c;
    c.seed = seed;
    return c;
}

QByteArray writeFrame(const char *prefix, int address, uint16_t value)
{
    return Frame::writeFrame(Frame::withAddress(prefix, address), value);
}

QByteArray request(int address, int code)
{
    return QStringLiteral(":Y+%1+%2=?~")
        .arg(address, 2, 16, QLatin1Char('0'))
        .arg(code, 2, 16)
        .toUpper()
        .toLatin1();
}

Frame::ReplyCheck replyTo(Bus &bus, const QByteArray &frame)
{
    const Board::Outcome o = bus.handle(frame, 0);
    return Frame::checkReply(o.pieces.value(0).bytes);
}

int underVoltage(Bus &bus, int address)
{
    const QByteArray block = replyTo(bus, request(address, 0x52)).dataBlock();
    FieldReader reader(block);
    reader.takeText(block.size() - Lv - 4);
    return reader.take(4);
}

// A transmitter on a line of the test's own, recording what it writes and when.
struct Line
{
    struct Write
    {
        qint64 atNs;
        QByteArray bytes;
    };
    qint64 now = 0;
    bool open = true;
    QVector<Write> writes;
    QStringList log;

    Transmitter::Output output()
    {
        return { [this](quint64) { return open; },
                 [this](const QByteArray &b, quint64) {
                     writes.append({ now, b });
                 },
                 [this](const char *dir, const QByteArray &, const QString &note) {
                     log.append(QLatin1String(dir) + QLatin1Char(' ') + note);
                 } };
    }

    // Runs the transmitter at every time it asks for, each wake-up lateNs late, until idle.
    void runUntilIdle(Transmitter &t, qint64 lateNs = 0)
    {
        for (int guard = 0; guard < 100000 && t.nextWakeNs() >= 0; ++guard) {
            now = std::max(now, t.nextWakeNs() + lateNs);
            t.run(now);
        }
    }

    QByteArray all() const
    {
        QByteArray out;
        for (const Write &w : writes)
            out += w.bytes;
        return out;
    }
};

Piece piece(const QByteArray &bytes, int delayMs = 0, const char *note = "reply")
{
    return Piece{ bytes, delayMs, bytes, QString::fromLatin1(note) };
}
} // namespace

class TestSimBus : public QObject
{
    Q_OBJECT

private slots:
    void addressLists_data();
    void addressLists();
    void controlCommands();
    void onlyTheAddressedBoardAnswers();
    void aSingleBoardIsTheBoardOnItsOwn();
    void boardsOffTheBusHearNothing();
    void eachBoardHasItsOwnPack();
    void pacedBytesLeaveAtTheirTimes();
    void repliesWaitForTheWireAndNeverInterleave();
    void unpacedPiecesKeepTheirPauses();
};

void TestSimBus::addressLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<int>>("addresses"); // empty: refused
    QTest::newRow("one") << "5" << QVector<int>{ 5 };
    QTest::newRow("list, sorted") << "5,1,2" << QVector<int>{ 1, 2, 5 };
    QTest::newRow("range") << "1-4" << QVector<int>{ 1, 2, 3, 4 };
    QTest::newRow("mix, spaces, repeats") << " 7 , 1-3,2,0 " << QVector<int>{ 0, 1, 2, 3, 7 };
    QTest::newRow("whole range") << "0-99" << QVector<int>();
    QTest::newRow("empty") << "" << QVector<int>();
    QTest::newRow("trailing comma") << "1," << QVector<int>();
    QTest::newRow("over 99") << "98-100" << QVector<int>();
    QTest::newRow("negative") << "-1" << QVector<int>();
    QTest::newRow("backwards") << "5-3" << QVector<int>();
    QTest::newRow("two dashes") << "1-2-3" << QVector<int>();
    QTest::newRow("hex") << "0x10" << QVector<int>();
    QTest::newRow("word") << "all" << QVector<int>();
}

void TestSimBus::addressLists()
{
    QFETCH(QString, text);
    QFETCH(QVector<int>, addresses);
    QString error;
    const QVector<int> got = parseAddressList(text, &error);
    if (QByteArray(QTest::currentDataTag()) == "whole range") {
        QCOMPARE(got.size(), 100);
        QCOMPARE(got.last(), 99);
        return;
    }
    QCOMPARE(got, addresses);
    QCOMPARE(error.isEmpty(), !addresses.isEmpty());
}

void TestSimBus::controlCommands()
{
    QString error;
    ControlCommand c = parseControlCommand(QStringLiteral("  absent   2,5-6 "), &error);
    QVERIFY(!c.present);
    QCOMPARE(c.addresses, (QVector<int>{ 2, 5, 6 }));
    c = parseControlCommand(QStringLiteral("present 3"), &error);
    QVERIFY(c.present);
    QCOMPARE(c.addresses, QVector<int>{ 3 });
    QVERIFY(error.isEmpty());
    c = parseControlCommand(QStringLiteral("books"), &error);
    QVERIFY(c.books && c.addresses.isEmpty() && error.isEmpty());
    c = parseControlCommand(QStringLiteral("books 2-3"), &error);
    QVERIFY(c.books);
    QCOMPARE(c.addresses, (QVector<int>{ 2, 3 }));
    // Forcings: the reading, then the boards if not all; a release without a place ends all.
    c = parseControlCommand(QStringLiteral("force over-voltage:7:3700 2,4"), &error);
    QCOMPARE(c.action, ControlCommand::Force);
    QVERIFY(c.hasPlace && c.forcing.hasValue && error.isEmpty());
    QCOMPARE(c.forcing.index, 7);
    QCOMPARE(c.forcing.value, 3700);
    QCOMPARE(c.addresses, (QVector<int>{ 2, 4 }));
    c = parseControlCommand(QStringLiteral("force over-temp:2"), &error);
    QVERIFY(c.action == ControlCommand::Force && !c.forcing.onCell() && !c.forcing.hasValue);
    QVERIFY(c.addresses.isEmpty() && error.isEmpty());
    c = parseControlCommand(QStringLiteral("release"), &error);
    QVERIFY(c.action == ControlCommand::Release && !c.hasPlace && error.isEmpty());
    c = parseControlCommand(QStringLiteral("release under-voltage:3 1"), &error);
    QVERIFY(c.action == ControlCommand::Release && c.hasPlace && error.isEmpty());
    QCOMPARE(c.forcing.index, 3);
    QCOMPARE(c.addresses, QVector<int>{ 1 });
    for (const char *bad :
         { "force", "force 1-2", "force over-voltage:7 1 2", "force hot:7",
           "force over-voltage:7 x", "release over-voltage:7:3700", "release over-temp:9" }) {
        error.clear();
        c = parseControlCommand(QString::fromLatin1(bad), &error);
        QVERIFY2(!error.isEmpty() && c.addresses.isEmpty() && !c.hasPlace, bad);
    }

    for (const char *bad :
         { "absent", "gone 3", "books x", "books 1 2", "absent 3 4", "absent x", "ABSENT 3", "" }) {
        error.clear();
        QVERIFY2(parseControlCommand(QString::fromLatin1(bad), &error).addresses.isEmpty(), bad);
        QVERIFY2(!error.isEmpty(), bad);
    }
}

void TestSimBus::onlyTheAddressedBoardAnswers()
{
    Bus bus({ 1, 2, 5 }, config(), false, {});
    for (int address : { 1, 2, 5 }) {
        const Board::Outcome o = bus.handle(request(address, 0x51), 0);
        QCOMPARE(o.pieces.size(), 1);
        const Frame::ReplyCheck c = Frame::checkReply(o.pieces[0].bytes);
        QVERIFY(c.crcMatches);
        QCOMPARE(c.addressText().toInt(nullptr, 16), address);
        // The log says which board took the frame and which sent the reply.
        QCOMPARE(o.note, QStringLiteral("board %1").arg(address));
        QCOMPARE(o.pieces[0].note, QStringLiteral("board %1: real-time data").arg(address));
    }
    Board::Outcome o = bus.handle(request(3, 0x51), 0);
    QVERIFY(o.pieces.isEmpty());
    QCOMPARE(o.note, QStringLiteral("for address 3, ignored"));
    QCOMPARE(bus.handle(":Y+0", 0).note, QStringLiteral("malformed, ignored"));
    QCOMPARE(bus.handle(request(2, 0x53), 0).note,
             QStringLiteral("board 2: code 53 is not answered"));

    // A write reaches its own board only.
    o = bus.handle(writeFrame(Cmd::CellUnderVoltage, 2, 2800), 0);
    QCOMPARE(o.note, QStringLiteral("board 2: code 06 = 2800: stored"));
    QCOMPARE(underVoltage(bus, 2), 2800);
    QCOMPARE(underVoltage(bus, 1), 2500);
    QCOMPARE(underVoltage(bus, 5), 2500);
}

void TestSimBus::aSingleBoardIsTheBoardOnItsOwn()
{
    // The same frames to a bus of one board and to a board alone with the same seed: the same
    // answers and the same notes, the reset's silence included.
    const PackModel::Config c = config(42);
    Board::Faults faults;
    faults.badCrc = 0.5;
    faults.split = true;
    Bus bus({ 7 }, c, true, faults);
    BoardParameters parameters;
    PackModel model(c, parameters);
    Board board(parameters, model, 7, faults, c.seed);
    const QVector<QByteArray> frames{
        request(7, 0x51),
        request(7, 0x52),
        request(1, 0x51),
        ":Y+07",
        writeFrame(Cmd::CellUnderVoltage, 7, 2700),
        request(7, 0x52),
        writeFrame(Cmd::Reset, 7, Cmd::CommandValue),
        request(7, 0x51),
        request(1, 0x51),
    };
    for (int i = 0; i < 5; ++i) {
        for (const QByteArray &frame : frames) {
            const Board::Outcome a = bus.handle(frame, i * 1000);
            const Board::Outcome b = board.handle(frame, i * 1000);
            QCOMPARE(a.note, b.note);
            QCOMPARE(a.pieces.size(), b.pieces.size());
            for (int p = 0; p < a.pieces.size(); ++p) {
                QCOMPARE(a.pieces[p].bytes, b.pieces[p].bytes);
                QCOMPARE(a.pieces[p].note, b.pieces[p].note);
                QCOMPARE(a.pieces[p].delayMs, b.pieces[p].delayMs);
            }
        }
        bus.step(1);
        model.step(1, parameters);
    }
    QCOMPARE(bus.seedOf(7), 42u);
}

void TestSimBus::boardsOffTheBusHearNothing()
{
    Bus bus({ 1, 2 }, config(), false, {});
    QVERIFY(bus.setPresent(2, false));
    QVERIFY(!bus.setPresent(3, false));
    QVERIFY(!bus.isPresent(2) && bus.isPresent(1));

    Board::Outcome o = bus.handle(request(2, 0x51), 0);
    QVERIFY(o.pieces.isEmpty());
    QCOMPARE(o.note, QStringLiteral("board 2 absent, ignored"));
    QCOMPARE(bus.handle(writeFrame(Cmd::CellUnderVoltage, 2, 2800), 0).note,
             QStringLiteral("board 2 absent, ignored"));
    QCOMPARE(replyTo(bus, request(1, 0x51)).addressText(), QByteArray("01"));

    // Back on the bus it answers, and the write it missed was never applied.
    QVERIFY(bus.setPresent(2, true));
    QCOMPARE(underVoltage(bus, 2), 2500);

    // A bus of one board can lose it too.
    Bus one({ 1 }, config(), false, {});
    one.setPresent(1, false);
    QVERIFY(one.handle(request(1, 0x51), 0).pieces.isEmpty());
}

void TestSimBus::eachBoardHasItsOwnPack()
{
    // A board's pack comes from the seed and its address only, not from the other boards.
    Bus four({ 1, 2, 3, 4 }, config(9), true, {});
    Bus two({ 3, 8 }, config(9), true, {});
    QCOMPARE(replyTo(four, request(3, 0x51)).dataBlock(),
             replyTo(two, request(3, 0x51)).dataBlock());
    QCOMPARE(four.seedOf(3), Bus::boardSeed(9, 3));

    QSet<QByteArray> blocks;
    QSet<int> socs;
    for (int a = 1; a <= 4; ++a) {
        blocks.insert(replyTo(four, request(a, 0x51)).dataBlock());
        const double soc = four.model(a)->soc() * 100;
        QVERIFY(soc >= 30 && soc <= 70);
        socs.insert(qRound(soc));
    }
    QCOMPARE(blocks.size(), 4);
    QVERIFY(socs.size() > 1);
    QVERIFY(Bus::boardSeed(9, 3) != Bus::boardSeed(10, 3));
    QVERIFY(Bus::boardSeed(9, 3) != Bus::boardSeed(9, 4));

    // A state of charge given on the command line is every board's.
    Bus fixed({ 1, 2, 3 }, config(9), false, {});
    for (int a = 1; a <= 3; ++a)
        QCOMPARE(fixed.model(a)->soc(), 0.5);
}

void TestSimBus::pacedBytesLeaveAtTheirTimes()
{
    for (const int rate : { 9600, 115200 }) {
        for (const qint64 late : { qint64(0), qint64(400'000) }) {
            const QString tag =
                QStringLiteral("%1 baud, wake-ups %2 us late").arg(rate).arg(late / 1000);
            Line line;
            Transmitter t(line.output(), rate);
            const double byteNs = 1e10 / rate;
            // An 11-byte request arrives at 0; the 226-byte reply starts when it is through.
            const qint64 heard = t.received(11, 0);
            QCOMPARE(heard, qint64(std::ceil(11 * byteNs)));
            const QByteArray reply(226, 'x');
            t.enqueue({ piece(reply) }, 1, 0, heard);
            line.runUntilIdle(t, late);

            QCOMPARE(line.all(), reply);
            int sent = 0;
            for (const Line::Write &w : line.writes) {
                sent += w.bytes.size();
                // Never a byte ahead of its time...
                QVERIFY2(w.atNs >= heard + qint64(sent * byteNs) - 1, qPrintable(tag));
            }
            // ...the last one at its own time (a late wake-up is not added to every byte)...
            const qint64 lastAt = line.writes.last().atNs;
            const qint64 due = heard + qint64(std::ceil(226 * byteNs));
            QVERIFY2(lastAt >= due && lastAt <= due + late, qPrintable(tag));
            // ...and no more wake-ups than the chunks need.
            QVERIFY2(line.writes.size() <= 226 * byteNs / Transmitter::ChunkNs + 2,
                     qPrintable(tag));
            QCOMPARE(t.wireFreeNs(), due);
        }
    }
}

void TestSimBus::repliesWaitForTheWireAndNeverInterleave()
{
    Line line;
    Transmitter t(line.output(), 9600);
    const qint64 byteNs = 1'041'667;
    t.enqueue({ piece(QByteArray(100, 'a')) }, 1, 0, t.received(11, 0));
    line.now = 5 * Ms;
    t.run(line.now);
    QVERIFY(line.writes.isEmpty()); // the request is still on the wire

    // A request that comes while the board sends collides; its reply waits for the wire, then
    // for its own request's time.
    line.now = 60 * Ms;
    t.run(line.now);
    bool collided = false;
    const qint64 heard = t.received(11, line.now, &collided);
    QVERIFY(collided);
    t.enqueue({ piece("first part", 0, "second"), Piece{ QByteArray(20, 'c'), 3, {}, {} } }, 1,
              line.now, heard);
    line.runUntilIdle(t);
    const QByteArray all = line.all();
    QCOMPARE(all, QByteArray(100, 'a') + "first part" + QByteArray(20, 'c'));
    const qint64 firstEnd = 111 * byteNs;
    int sent = 0;
    for (const Line::Write &w : line.writes) {
        sent += w.bytes.size();
        if (sent > 100 && sent <= 110) // the second reply: after the first and its request
            QVERIFY(w.atNs >= firstEnd + 11 * byteNs);
        if (sent > 110) // the piece after a pause of 3 ms
            QVERIFY(w.atNs >= firstEnd + 21 * byteNs + 3 * Ms);
    }
    QCOMPARE(line.log, (QStringList{ "TX reply", "TX second" }));
    t.received(1, line.now + 100 * Ms, &collided);
    QVERIFY(!collided);

    // A client gone before its reply: dropped, logged, the wire left free.
    line.open = false;
    line.writes.clear();
    t.enqueue({ piece("gone") }, 1, line.now, 0);
    line.runUntilIdle(t);
    QVERIFY(line.writes.isEmpty());
    QVERIFY(line.log.last().startsWith("-- dropped"));
}

void TestSimBus::unpacedPiecesKeepTheirPauses()
{
    // Without a line rate, pieces go whole at their pauses, each counted from the one before.
    Line line;
    Transmitter t(line.output(), 0);
    QCOMPARE(t.received(11, 7 * Ms), 7 * Ms);
    t.enqueue({ piece("ab", 150), Piece{ "cd", 4, {}, {} } }, 1, 10 * Ms);
    t.enqueue({ piece("ef", 0) }, 1, 12 * Ms);
    line.runUntilIdle(t);
    QCOMPARE(line.writes.size(), 3);
    QCOMPARE(line.writes[0].atNs, 160 * Ms);
    QCOMPARE(line.writes[1].atNs, 164 * Ms);
    QCOMPARE(line.writes[2].atNs, 164 * Ms);
    QCOMPARE(line.log.size(), 2); // a piece without a frame of its own is not logged
}

QTEST_GUILESS_MAIN(TestSimBus)
#include "tst_simbus.moc"
