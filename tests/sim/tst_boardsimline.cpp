// The simulated board as a client sees it: the built program on a pseudo-terminal, driven through
// a real QSerialPort, its replies checked with the tool's own frame check and field reader.
#include "commandcodes.h"
#include "fields.h"
#include "frame.h"
#include "simprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr int ReplyTimeoutMs = 5000;

// A client on the simulator's line, collecting what arrives.
class Client
{
public:
    bool open(const QString &path)
    {
        m_port.setPortName(path);
        m_port.setBaudRate(QSerialPort::Baud9600);
        return m_port.open(QIODevice::ReadWrite);
    }
    void close() { m_port.close(); }

    void send(const QByteArray &bytes)
    {
        m_port.write(bytes);
        m_port.waitForBytesWritten(ReplyTimeoutMs);
    }

    // The next frame, from its ":" to its "~"; whatever came in front of it lands in *before.
    QByteArray nextFrame(QByteArray *before = nullptr, int *reads = nullptr)
    {
        if (reads)
            *reads = 0;
        for (;;) {
            const int start = m_buffer.indexOf(':');
            const int end = start < 0 ? -1 : m_buffer.indexOf('~', start);
            if (end >= 0) {
                if (before)
                    *before = m_buffer.left(start);
                const QByteArray frame = m_buffer.mid(start, end - start + 1);
                m_buffer.remove(0, end + 1);
                return frame;
            }
            if (!m_port.waitForReadyRead(ReplyTimeoutMs))
                return QByteArray();
            m_buffer += m_port.readAll();
            if (reads)
                ++*reads;
        }
    }

    // The reply to one request, checked; its data block.
    QByteArray ask(const QByteArray &request, int code)
    {
        send(request);
        const QByteArray frame = nextFrame();
        const Frame::ReplyCheck check = Frame::checkReply(frame);
        if (!check.crcMatches || check.kind != 'Y' || check.code != code)
            return QByteArray();
        return check.dataBlock();
    }

    // Whatever arrives within the given time; only for lines that must stay quiet.
    QByteArray drain(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms && m_port.waitForReadyRead(int(ms - t.elapsed())))
            m_buffer += m_port.readAll();
        m_buffer += m_port.readAll();
        const QByteArray all = m_buffer;
        m_buffer.clear();
        return all;
    }

private:
    QSerialPort m_port;
    QByteArray m_buffer;
};

// Fields of the parameter block as they travel, right to left, up to the one wanted.
int parameterField(const QByteArray &block, int offset, int width)
{
    FieldReader reader(block);
    reader.takeText(block.size() - offset - width);
    return reader.take(width);
}

QStringList logLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Layout offsets of the parameter block used below.
constexpr int Lv = 54;
constexpr int Hv = 66;
constexpr int Chght = 78;
constexpr int ClenFlag = 176;
} // namespace

class TestBoardSimLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void answersRealTimeAndParameterRequests();
    void answersOnlyItsAddressAndKnownCodes();
    void writesAreReadBack();
    void deviceCommandsAct();
    void protectionsBalancingAndAlarmsFollowWrittenThresholds();
    void droppedRequests();
    void spoiledCrc();
    void splitDelayedAndNoisyReplies();
    void chatterNeverLeavesTheLineIdle();
    void portReopensAndLinkIsRemovedAtExit();
    void repliesNeverReachALaterClient();
    void servesAnExistingDevice();
    void busOfBoardsAnswersEachFromItsOwn();
    void boardsLeaveAndRejoinTheBus();
    void lineRatePacesTheWire();

private:
    QTemporaryDir m_dir;
};

void TestBoardSimLine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(QStringLiteral(ARVEX_BOARD_SIM)).isExecutable());
}

void TestBoardSimLine::answersRealTimeAndParameterRequests()
{
    Sim sim;
    QVERIFY(sim.start({ "--static", "--seed", "3" }));
    QVERIFY(sim.path().startsWith("/dev/pts/"));
    Client client;
    QVERIFY(client.open(sim.path()));

    client.send(":Y+01+51=?~");
    const QByteArray frame = client.nextFrame();
    QVERIFY(frame.startsWith(":Y+01+51+"));
    const Frame::ReplyCheck check = Frame::checkReply(frame);
    QVERIFY(check.crcMatches);
    QCOMPARE(check.code, Cmd::ReplyRealTime);
    const QByteArray block = check.dataBlock();
    QCOMPARE(block.size(), 211);

    // Decoded right to left, every value lies in its physical range and agrees with the others.
    FieldReader f(block);
    const int soh = f.take(4);
    f.take(4); // damping
    f.take(2); // compensation
    const int cellCount = f.take(2);
    const int soc = f.take(2);
    f.takeText(12); // extreme value, smallest and largest difference
    const int minV = f.take(4);
    const int maxV = f.take(4);
    const int avgV = f.take(4);
    const int packV = f.take(4);
    f.takeText(8 * 4 + 4 + 4); // balancing, cycles, DSGVV, CHGVV, NEWCC, current
    f.takeText(5); // status digits
    QList<int> temps;
    for (int i = 0; i < 6; ++i)
        temps.prepend(f.take(4) - 4000);
    QList<int> cells;
    for (int i = 0; i < 25; ++i)
        cells.prepend(f.take(4));
    QCOMPARE(cellCount, 16);
    QCOMPARE(soc, 50);
    QVERIFY(soh > 0 && soh <= 100);
    int sum = 0;
    for (int i = 0; i < 16; ++i) {
        QVERIFY(cells[i] >= 2500 && cells[i] <= 3650);
        QVERIFY(cells[i] >= minV && cells[i] <= maxV);
        sum += cells[i];
    }
    for (int i = 16; i < 25; ++i)
        QCOMPARE(cells[i], 0);
    QCOMPARE(packV, sum);
    QCOMPARE(avgV, sum / 16);
    for (int t : temps)
        QVERIFY(t > 0 && t < 6000);

    // A frozen board answers the same again; the parameter block has its 197 digits.
    QCOMPARE(client.ask(":Y+01+51=?~", Cmd::ReplyRealTime), block);
    const QByteArray parameters = client.ask(":Y+01+52=?~", Cmd::ReplyParameters);
    QCOMPARE(parameters.size(), 197);
    QCOMPARE(parameterField(parameters, Lv, 4), 2500);

    // Requests in pieces and back to back.
    client.send(":Y+0");
    client.send("1+5");
    client.send("2=?~:Y+01+51=?~");
    QCOMPARE(Frame::checkReply(client.nextFrame()).code, Cmd::ReplyParameters);
    QCOMPARE(Frame::checkReply(client.nextFrame()).dataBlock(), block);
}

void TestBoardSimLine::answersOnlyItsAddressAndKnownCodes()
{
    Sim sim;
    const QString log = m_dir.filePath("address.log");
    QVERIFY(sim.start({ "--static", "--address", "10", "--log", log }));
    Client client;
    QVERIFY(client.open(sim.path()));

    // Replies keep the order of the requests, so the first reply shows that the requests for
    // another address and for an unknown code went unanswered.
    client.send(":Y+01+51=?~:Y+0A+53=?~garbage:Y+0A+52=?~");
    const QByteArray frame = client.nextFrame();
    const Frame::ReplyCheck check = Frame::checkReply(frame);
    QVERIFY(check.crcMatches);
    QCOMPARE(check.addressText(), QByteArray("0A"));
    QCOMPARE(check.code, Cmd::ReplyParameters);

    // After the cells' resistances, written at start, the traffic.
    QStringList lines = logLines(log);
    QCOMPARE(lines.filter(" internal resistance ").size(), 16);
    lines.erase(lines.begin(), lines.begin() + 16);
    const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ");
    QCOMPARE(lines.size(), 5);
    for (const QString &line : lines)
        QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
    QVERIFY(lines[0].contains(" RX :Y+01+51=?~  # for address 1, ignored"));
    QVERIFY(lines[1].contains(" RX :Y+0A+53=?~  # code 53 is not answered"));
    QVERIFY(lines[2].contains(" RX garbage  # stray bytes"));
    QVERIFY(lines[3].contains(" RX :Y+0A+52=?~"));
    QVERIFY(lines[4].contains(" TX " + QString::fromLatin1(frame) + "  # parameter block"));
}

void TestBoardSimLine::writesAreReadBack()
{
    Sim sim;
    QVERIFY(sim.start({ "--static" }));
    Client client;
    QVERIFY(client.open(sim.path()));

    client.send(Frame::writeFrame(Frame::withAddress(Cmd::CellUnderVoltage, 1), 2800));
    client.send(Frame::writeFrame(Frame::withAddress(Cmd::ChargeHighTemp, 1), 45 + 40));
    QByteArray block = client.ask(":Y+01+52=?~", Cmd::ReplyParameters);
    QCOMPARE(parameterField(block, Lv, 4), 2800);
    QCOMPARE(parameterField(block, Chght, 4), 85);

    // A spoiled CRC, another address and a write cut short change nothing.
    QByteArray spoiled = Frame::writeFrame(Frame::withAddress(Cmd::CellUnderVoltage, 1), 3000);
    spoiled[spoiled.size() - 2] = spoiled.at(spoiled.size() - 2) == '0' ? '1' : '0';
    client.send(spoiled);
    client.send(Frame::writeFrame(Frame::withAddress(Cmd::CellUnderVoltage, 2), 3100));
    client.send(":W+01+06+03+b");
    block = client.ask(":Y+01+52=?~", Cmd::ReplyParameters);
    QCOMPARE(parameterField(block, Lv, 4), 2800);
}

void TestBoardSimLine::deviceCommandsAct()
{
    Sim sim;
    const QString log = m_dir.filePath("commands.log");
    QVERIFY(sim.start({ "--profile", "charge", "--log", log }));
    Client client;
    QVERIFY(client.open(sim.path()));
    auto write = [&client](const char *prefix, uint16_t value) {
        client.send(Frame::writeFrame(Frame::withAddress(prefix, 1), value));
    };

    // Init parameters brings a written threshold back to its default.
    write(Cmd::CellOverVoltage, 3500);
    QCOMPARE(parameterField(client.ask(":Y+01+52=?~", Cmd::ReplyParameters), Hv, 4), 3500);
    write(Cmd::InitParameters, Cmd::CommandValue);
    QCOMPARE(parameterField(client.ask(":Y+01+52=?~", Cmd::ReplyParameters), Hv, 4), 3650);

    // Calibration shows in the calibration flag of the parameter block.
    write(Cmd::StartCalibration, Cmd::CommandValue);
    QVERIFY(QTest::qWaitFor(
        [&] {
            const QByteArray b = client.ask(":Y+01+52=?~", Cmd::ReplyParameters);
            return parameterField(b, ClenFlag, 1) == 1;
        },
        ReplyTimeoutMs));

    // A reset silences the board for a while; then it answers again.
    QElapsedTimer silence;
    write(Cmd::Reset, Cmd::CommandValue);
    silence.start();
    client.send(":Y+01+51=?~");
    QByteArray frame;
    while (frame.isEmpty() && silence.elapsed() < 10000) {
        frame = client.drain(100);
        if (frame.isEmpty())
            client.send(":Y+01+51=?~");
    }
    QVERIFY(Frame::checkReply(frame).crcMatches);
    QVERIFY2(silence.elapsed() >= 1000, qPrintable(QString::number(silence.elapsed())));

    const QString text = logLines(log).join('\n');
    QVERIFY(text.contains("code 4F = 90: parameters back to their defaults"));
    QVERIFY(text.contains("code 48 = 90: current calibration started"));
    QVERIFY(text.contains("code 53 = 90: resetting, silent for 1500 ms"));
    QVERIFY(text.contains(":Y+01+51=?~  # resetting, ignored"));
}

void TestBoardSimLine::protectionsBalancingAndAlarmsFollowWrittenThresholds()
{
    Sim sim;
    QVERIFY(sim.start({ "--profile", "charge", "--seed", "11" }));
    Client client;
    QVERIFY(client.open(sim.path()));
    auto write = [&client](const char *prefix, uint16_t value) {
        client.send(Frame::writeFrame(Frame::withAddress(prefix, 1), value));
    };
    auto status = [&client](int offset, int width) {
        const QByteArray block = client.ask(":Y+01+51=?~", Cmd::ReplyRealTime);
        return block.size() == 211 ? hexToInt(block.mid(offset, width)) : -1;
    };
    QCOMPARE(status(124, 1), 0); // no protection
    QCOMPARE(status(126, 1), 1); // charging
    QCOMPARE(status(127, 1), 1); // charge MOSFET on
    QCOMPARE(status(125, 1), 0); // no alarm
    QCOMPARE(status(165, 4), 0); // no balancing

    write(Cmd::BalanceVoltage, 1500);
    write(Cmd::BalanceStartDifference, 10);
    QVERIFY(QTest::qWaitFor([&] { return status(165, 4) > 0; }, ReplyTimeoutMs));

    write(Cmd::ChargeHighTempAlarm, 0 + 40);
    QVERIFY(QTest::qWaitFor([&] { return status(125, 1) == 2; }, ReplyTimeoutMs));

    // Over-voltage under the charging voltage trips on this charge and opens the charge MOSFET.
    write(Cmd::CellOverVoltageDelay, 100);
    write(Cmd::CellOverVoltage, 3000);
    QVERIFY(QTest::qWaitFor([&] { return status(124, 1) == 5; }, ReplyTimeoutMs));
    QCOMPARE(status(127, 1), 0);
    QCOMPARE(status(129, 8), 0); // no current
}

void TestBoardSimLine::droppedRequests()
{
    Sim sim;
    const QString log = m_dir.filePath("drop.log");
    QVERIFY(sim.start({ "--static", "--drop", "1", "--log", log }));
    Client client;
    QVERIFY(client.open(sim.path()));
    client.send(":Y+01+51=?~:Y+01+52=?~");
    client.send(Frame::writeFrame(Frame::withAddress(Cmd::CellUnderVoltage, 1), 2800));
    QVERIFY(QTest::qWaitFor([&] { return logLines(log).filter("# dropped").size() == 3; },
                            ReplyTimeoutMs));
    QVERIFY(client.drain(0).isEmpty());
}

void TestBoardSimLine::spoiledCrc()
{
    Sim sim;
    QVERIFY(sim.start({ "--static", "--bad-crc", "1" }));
    Client client;
    QVERIFY(client.open(sim.path()));
    for (const char *request : { ":Y+01+51=?~", ":Y+01+52=?~" }) {
        client.send(request);
        const Frame::ReplyCheck check = Frame::checkReply(client.nextFrame());
        QVERIFY(check.hasStart);
        QVERIFY(!check.crcMatches);
        QCOMPARE(check.dataBlock().size(), request[7] == '1' ? 211 : 197);
    }
}

void TestBoardSimLine::splitDelayedAndNoisyReplies()
{
    Sim sim;
    const QString log = m_dir.filePath("shaped.log");
    QVERIFY(sim.start({ "--static", "--split", "--noise", "--delay", "150", "--log", log }));
    Client client;
    QVERIFY(client.open(sim.path()));
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        client.send(":Y+01+51=?~");
        QByteArray noise;
        const QByteArray frame = client.nextFrame(&noise);
        QVERIFY(t.elapsed() >= 150);
        QVERIFY(Frame::checkReply(frame).crcMatches);
        QVERIFY(!noise.isEmpty());
        QVERIFY(!noise.contains(':') && !noise.contains('~'));
    }
    const QStringList sent = logLines(log).filter(" TX :Y+01+51+");
    QCOMPARE(sent.size(), 3);
    for (const QString &line : sent)
        QVERIFY(QRegularExpression("real-time data, in [234] pieces$").match(line).hasMatch());
    QCOMPARE(logLines(log).filter("# noise").size(), 3);
}

void TestBoardSimLine::chatterNeverLeavesTheLineIdle()
{
    Sim sim;
    QVERIFY(sim.start({ "--static", "--chatter" }));
    Client client;
    QVERIFY(client.open(sim.path()));
    // Bytes keep coming without any request...
    QByteArray stray;
    for (int i = 0; i < 100 && stray.size() < 20; ++i)
        stray += client.drain(50);
    QVERIFY(stray.size() >= 20);
    QCOMPARE(stray.count('.'), stray.size());
    // ...and never inside a reply.
    for (int i = 0; i < 5; ++i) {
        client.send(":Y+01+51=?~");
        QByteArray before;
        const QByteArray frame = client.nextFrame(&before);
        QVERIFY(Frame::checkReply(frame).crcMatches);
        QCOMPARE(before.count('.'), before.size());
    }
}

void TestBoardSimLine::portReopensAndLinkIsRemovedAtExit()
{
    const QString link = m_dir.filePath("ttyARVEX");
    {
        Sim sim;
        QVERIFY(sim.start({ "--static", "--link", link }));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.path());
        for (int i = 0; i < 3; ++i) {
            Client client;
            QVERIFY(client.open(link));
            QCOMPARE(client.ask(":Y+01+51=?~", Cmd::ReplyRealTime).size(), 211);
            client.close();
        }
        QVERIFY(sim.stop());
        QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    }
    // A link left behind by a run that was killed is replaced.
    QVERIFY(QFile::link("/nonexistent", link));
    Sim sim;
    QVERIFY(sim.start({ "--static", "--link", link }));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.path());
}

void TestBoardSimLine::repliesNeverReachALaterClient()
{
    // A reply that comes after its client closed the port is lost, as on a real adapter: neither
    // a client that reopens before it is sent nor one that opens after it may receive it.
    Sim sim;
    const QString log = m_dir.filePath("late.log");
    QVERIFY(sim.start({ "--static", "--delay", "100", "--log", log }));
    for (const bool reopenAfterTheReply : { false, true }) {
        const int dropped = logLines(log).filter("dropped").size();
        Client asker;
        QVERIFY(asker.open(sim.path()));
        const int asked = logLines(log).filter(" RX ").size();
        asker.send(":Y+01+51=?~");
        QTRY_COMPARE_WITH_TIMEOUT(logLines(log).filter(" RX ").size(), asked + 1, ReplyTimeoutMs);
        asker.close();
        if (reopenAfterTheReply) // sent while nobody holds the port
            QTRY_COMPARE_WITH_TIMEOUT(logLines(log).filter("dropped").size(), dropped + 1,
                                      ReplyTimeoutMs);
        Client later;
        QVERIFY(later.open(sim.path()));
        QTRY_COMPARE_WITH_TIMEOUT(logLines(log).filter("dropped").size(), dropped + 1,
                                  ReplyTimeoutMs);
        QVERIFY2(later.drain(50).isEmpty(), "a reply reached a client that never asked");
        // The line itself still works for the client that holds it now.
        QCOMPARE(later.ask(":Y+01+51=?~", Cmd::ReplyRealTime).size(), 211);
    }
    QVERIFY(sim.stop());
}

void TestBoardSimLine::servesAnExistingDevice()
{
    // A crossed pair of pseudo-terminals stands in for a USB adapter wired to a tool.
    const QString exe = QStandardPaths::findExecutable("socat");
    if (exe.isEmpty())
        QSKIP("socat is not installed");
    const QString boardEnd = m_dir.filePath("board-end");
    const QString toolEnd = m_dir.filePath("tool-end");
    QProcess wire;
    wire.start(exe, { "pty,raw,echo=0,link=" + boardEnd, "pty,raw,echo=0,link=" + toolEnd });
    QVERIFY(QTest::qWaitFor(
        [&] { return QFileInfo::exists(boardEnd) && QFileInfo::exists(toolEnd); }, ReplyTimeoutMs));

    Sim sim;
    QVERIFY(sim.start({ "--static", "--device", boardEnd, "--baud", "115200" }));
    QCOMPARE(sim.path(), boardEnd);
    Client client;
    QVERIFY(client.open(toolEnd));
    QCOMPARE(client.ask(":Y+01+52=?~", Cmd::ReplyParameters).size(), 197);

    // The adapter goes away: the board says so and ends with a failure status.
    wire.terminate();
    QVERIFY(wire.waitForFinished(ReplyTimeoutMs));
    QVERIFY(sim.process().waitForFinished(ReplyTimeoutMs));
    QCOMPARE(sim.process().exitCode(), 1);
}

void TestBoardSimLine::busOfBoardsAnswersEachFromItsOwn()
{
    Sim sim;
    const QString log = m_dir.filePath("bus.log");
    QVERIFY(sim.start({ "--static", "--address", "1-3,5", "--log", log }));
    Client client;
    QVERIFY(client.open(sim.path()));
    QSet<QByteArray> blocks;
    for (const char *address : { "01", "02", "03", "05" }) {
        const QByteArray request = QByteArray(":Y+") + address + "+51=?~";
        client.send(request);
        const Frame::ReplyCheck check = Frame::checkReply(client.nextFrame());
        QVERIFY(check.crcMatches);
        QCOMPARE(check.addressText(), QByteArray(address));
        blocks.insert(check.dataBlock());
    }
    QCOMPARE(blocks.size(), 4); // four packs of their own

    // A write to board 3 reaches board 3 only; the log says so, and its read-back shows it.
    client.send(Frame::writeFrame(Frame::withAddress(Cmd::CellUnderVoltage, 3), 2800));
    QCOMPARE(parameterField(client.ask(":Y+03+52=?~", Cmd::ReplyParameters), Lv, 4), 2800);
    QCOMPARE(parameterField(client.ask(":Y+02+52=?~", Cmd::ReplyParameters), Lv, 4), 2500);
    const QStringList writes = logLines(log).filter(":W+");
    QCOMPARE(writes.size(), 1);
    QVERIFY2(writes[0].endsWith("# board 3: code 06 = 2800: stored"), qPrintable(writes[0]));

    // Nobody answers an address without a board.
    client.send(":Y+04+51=?~:Y+01+51=?~");
    QCOMPARE(Frame::checkReply(client.nextFrame()).addressText(), QByteArray("01"));
    QVERIFY(logLines(log).filter(":Y+04+51=?~  # for address 4, ignored").size() == 1);
}

void TestBoardSimLine::boardsLeaveAndRejoinTheBus()
{
    Sim sim;
    const QString log = m_dir.filePath("absent.log");
    const QString control = m_dir.filePath("control");
    QVERIFY(sim.start(
        { "--static", "--address", "1-3", "--absent", "2", "--control", control, "--log", log }));
    QVERIFY(QFileInfo(control).exists());
    Client client;
    QVERIFY(client.open(sim.path()));
    // Which of the three boards answer: the replies keep the order of the requests.
    auto answering = [&client] {
        QByteArray present;
        client.send(":Y+01+51=?~:Y+02+51=?~:Y+03+51=?~");
        // At least one board answers; on a loaded machine its reply may be slow to come.
        QByteArray replies;
        QElapsedTimer waited;
        waited.start();
        while (replies.isEmpty() && waited.elapsed() < 5000)
            replies += client.drain(300);
        replies += client.drain(300);
        for (const QByteArray &f : replies.split('~')) {
            if (f.startsWith(":Y+"))
                present += f.mid(4, 1);
        }
        return present;
    };
    QCOMPARE(answering(), QByteArray("13"));

    auto command = [&control](const QByteArray &text) {
        QFile pipe(control);
        QVERIFY(pipe.open(QIODevice::WriteOnly));
        pipe.write(text);
    };
    command("absent 1,3\npresent 2\nbogus\n");
    QTRY_VERIFY_WITH_TIMEOUT(logLines(log).filter("# control: ").size() == 1, ReplyTimeoutMs);
    QCOMPARE(logLines(log).filter(QRegularExpression("# board [13] off the bus$")).size(), 2);
    QCOMPARE(logLines(log).filter(QRegularExpression("# board 2 back on the bus$")).size(), 1);
    QCOMPARE(answering(), QByteArray("2"));
    command("present 1-3\n");
    QTRY_VERIFY_WITH_TIMEOUT(logLines(log).filter("back on the bus").size() == 4, ReplyTimeoutMs);
    QCOMPARE(answering(), QByteArray("123"));
    // A board that is not on the line cannot be taken off it.
    command("absent 7\n");
    QTRY_VERIFY_WITH_TIMEOUT(logLines(log).filter("no board at address 7").size() == 1,
                             ReplyTimeoutMs);
    QVERIFY(sim.stop());
    QVERIFY(!QFileInfo::exists(control));
}

void TestBoardSimLine::lineRatePacesTheWire()
{
    // Figures belong to the benchmark; here only that the wire's time is kept at all: the reply
    // never arrives ahead of the request's and its own bytes' time on the wire.
    Sim sim;
    QVERIFY(sim.start({ "--static", "--address", "1,2", "--line-rate", "19200" }));
    Client client;
    QVERIFY(client.open(sim.path()));
    for (const char *request : { ":Y+01+51=?~", ":Y+02+52=?~" }) {
        QElapsedTimer t;
        t.start();
        client.send(request);
        const QByteArray frame = client.nextFrame();
        const qint64 us = t.nsecsElapsed() / 1000;
        QVERIFY(Frame::checkReply(frame).crcMatches);
        const qint64 wireUs = (11 + frame.size()) * 10 * 1000000LL / 19200;
        QVERIFY2(us >= wireUs, qPrintable(QStringLiteral("%1 us < %2 us").arg(us).arg(wireUs)));
    }
}

QTEST_GUILESS_MAIN(TestBoardSimLine)
#include "tst_boardsimline.moc"
