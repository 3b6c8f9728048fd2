// The simulated board's units: stream splitting, request parsing, the reply encoder checked
// against the tool's own frame check and field reader, the pack model and the board's handling of
// requests, commands and injected faults.
#include "board.h"
#include "boardparameters.h"
#include "commandcodes.h"
#include "crc.h"
#include "fields.h"
#include "frame.h"
#include "packmodel.h"
#include "parameterblock.h"
#include "parametertable.h"
#include "replyencoder.h"
#include "requestparser.h"
#include "telemetry.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
QByteArray write(const char *prefix, int address, uint16_t value)
{
    return Frame::writeFrame(Frame::withAddress(prefix, address), value);
}

QByteArray joined(const QVector<Piece> &pieces)
{
    QByteArray all;
    for (const Piece &p : pieces)
        all += p.bytes;
    return all;
}

// The parameter block's fields as the tool shows them, decoded right to left with the tool's
// field reader: name -> shown value.
QMap<QString, int> decodeParameters(const QByteArray &block)
{
    struct Field
    {
        const char *name;
        int width;
        int offset; // subtracted from the received value
        bool half;
    };
    static const Field layout[] = {
        { "version", 4, 0, false },      { "chgr", 1, 0, false },
        { "load", 1, 0, false },         { "cax", 4, 100, false },
        { "vpgine", 4, 0, false },       { "sleepev", 4, 0, false },
        { "lenstatu", 4, 0, true },      { "week", 4, 0, false },
        { "dataget", 4, 0, false },      { "chgc", 4, 0, false },
        { "chgct", 4, 0, false },        { "dsgc1", 4, 0, false },
        { "dsgc2", 4, 0, false },        { "dsgc1t", 4, 0, false },
        { "dsgc2t", 4, 0, false },       { "lv", 4, 0, false },
        { "lvre", 4, 0, false },         { "lvt", 4, 0, false },
        { "hv", 4, 0, false },           { "hvre", 4, 0, false },
        { "hvt", 4, 0, false },          { "chght", 4, 40, false },
        { "chghtre", 4, 40, false },     { "chglt", 4, 40, false },
        { "chgltre", 4, 40, false },     { "dsght", 4, 40, false },
        { "dsghtre", 4, 40, false },     { "dsglt", 4, 40, false },
        { "dsgltre", 4, 40, false },     { "blancev", 4, 0, false },
        { "blancevx", 4, 0, false },     { "totalcell", 4, 0, false },
        { "design", 4, 0, false },       { "rs", 4, 0, false },
        { "short", 4, 0, false },        { "shorttime", 4, 0, false },
        { "vxp", 4, 0, false },          { "avhp", 4, 0, false },
        { "avhpre", 4, 0, false },       { "avlp", 4, 0, false },
        { "avlpre", 4, 0, false },       { "sw_avhp", 1, 0, false },
        { "sw_avlp", 1, 0, false },      { "sw_buzzer", 1, 0, false },
        { "sw_chgmos", 1, 0, false },    { "sw_chgcp", 1, 0, false },
        { "sw_chghtp", 1, 0, false },    { "sw_chgltp", 1, 0, false },
        { "debug", 1, 0, false },        { "sw", 1, 0, false },
        { "sw_dsgcp1", 1, 0, false },    { "sw_dsgcp2", 1, 0, false },
        { "sw_dsghtp", 1, 0, false },    { "sw_dsgltp", 1, 0, false },
        { "sw_dsgmos", 1, 0, false },    { "sw_sleep", 1, 0, false },
        { "sw_vhp", 1, 0, false },       { "sw_vlp", 1, 0, false },
        { "sw_vxp", 1, 0, false },       { "sw_clen", 1, 0, false },
        { "getmod", 2, 0, false },       { "clen", 2, 0, false },
        { "chght_alert", 4, 40, false }, { "chglt_alert", 4, 40, false },
        { "dsght_alert", 4, 40, false }, { "dsglt_alert", 4, 40, false },
    };
    QMap<QString, int> shown;
    FieldReader reader(block);
    for (int i = int(sizeof layout / sizeof layout[0]) - 1; i >= 0; --i) {
        const Field &f = layout[i];
        const int v = reader.take(f.width) - f.offset;
        shown.insert(QString::fromLatin1(f.name), f.half ? v / 2 : v);
    }
    return shown;
}

struct RealTime
{
    int cells[25];
    int temps[6];
    int protection, alarms, job, chargeMos, dischargeMos;
    int current, newcc, chgvv, dsgvv, cycles, balancing, pack, avg, max, min, maxDiff, minDiff,
        extreme, soc, cellCount, compensation, damping, soh;
};

// The real-time block decoded right to left with the tool's field reader.
RealTime decodeRealTime(const QByteArray &block)
{
    RealTime r{};
    FieldReader f(block);
    r.soh = f.take(4);
    r.damping = f.take(4);
    r.compensation = f.take(2);
    r.cellCount = f.take(2);
    r.soc = f.take(2);
    r.extreme = f.take(4);
    r.minDiff = f.take(4);
    r.maxDiff = f.take(4);
    r.min = f.take(4);
    r.max = f.take(4);
    r.avg = f.take(4);
    r.pack = f.take(4);
    r.balancing = f.take(4);
    r.cycles = f.take(4);
    r.dsgvv = f.take(8);
    r.chgvv = f.take(8);
    r.newcc = f.take(8);
    r.current = f.take(8);
    r.dischargeMos = f.take(1);
    r.chargeMos = f.take(1);
    r.job = f.take(1);
    r.alarms = f.take(1);
    r.protection = f.take(1);
    for (int i = 5; i >= 0; --i)
        r.temps[i] = f.take(4) - 4000;
    for (int i = 24; i >= 0; --i)
        r.cells[i] = f.take(4);
    return r;
}

PackModel::Config config(const char *profile, double soc = 50, uint32_t seed = 1)
{
    PackModel::Config c;
    c.socPercent = soc;
    c.seed = seed;
    QString error;
    c.profile = parseProfile(QString::fromLatin1(profile), &error);
    return c;
}

void run(PackModel &model, const BoardParameters &p, double seconds)
{
    for (double t = 0; t < seconds; t += 0.1)
        model.step(0.1, p);
}
} // namespace

class TestBoardSim : public QObject
{
    Q_OBJECT

private slots:
    void splitterFindsFramesInPiecesAndBackToBack();
    void splitterResynchronisesOnGarbage();
    void readRequests_data();
    void readRequests();
    void writeRequestsFollowTheWriteCrcRule();
    void fieldsArePaddedAndSaturated();
    void repliesPassTheToolsCheck();
    void realTimeBlockDecodesToTheTelemetry();
    void parameterBlockShowsWhatWasWritten();
    void toolShowsWhatTheBoardReports();
    void profiles();
    void stateOfChargeFollowsTheCurrent();
    void temperaturesFollowTheCurrent();
    void seedMakesARunRepeatable();
    void aStepShowsEachCellsResistance();
    void overVoltageTripsWhenTheThresholdIsLowered();
    void currentAndTemperatureProtections();
    void balancingAndAlarms();
    void forcingsAreReadOrRefused_data();
    void forcingsAreReadOrRefused();
    void aForcedCellTripsTheBoardsOwnProtection();
    void aForcedSensorTripsOnTheSideInUse();
    void cellCountFollowsTheParameter();
    void boardAnswersOnlyItsAddressAndKnownCodes();
    void boardAppliesWritesAndCommands();
    void resetSilencesTheBoard();
    void injectedFaults();
};

void TestBoardSim::splitterFindsFramesInPiecesAndBackToBack()
{
    FrameSplitter s;
    QVERIFY(s.feed(":Y+01").isEmpty());
    QVERIFY(s.feed("+51=").isEmpty());
    auto out = s.feed("?~:Y+01+52=?~:W+01+06+03+af0+");
    QCOMPARE(out.size(), 2);
    QVERIFY(out[0].isFrame && out[1].isFrame);
    QCOMPARE(out[0].bytes, QByteArray(":Y+01+51=?~"));
    QCOMPARE(out[1].bytes, QByteArray(":Y+01+52=?~"));
    out = s.feed("1234~");
    QCOMPARE(out.size(), 1);
    QCOMPARE(out[0].bytes, QByteArray(":W+01+06+03+af0+1234~"));
    QCOMPARE(s.pending(), 0);
}

void TestBoardSim::splitterResynchronisesOnGarbage()
{
    FrameSplitter s;
    // Noise in front, a frame cut short by a new ":", a stray "~" and noise behind.
    auto out = s.feed("\r\nxx~:Y+0:Y+01+51=?~zz");
    QCOMPARE(out.size(), 3);
    QVERIFY(!out[0].isFrame);
    QCOMPARE(out[0].bytes, QByteArray("\r\nxx~:Y+0"));
    QCOMPARE(out[1].bytes, QByteArray(":Y+01+51=?~"));
    QVERIFY(!out[2].isFrame);
    QCOMPARE(out[2].bytes, QByteArray("zz"));

    // A start that never ends is given up once it outgrows any request; the next frame gets
    // through.
    out = s.feed(":" + QByteArray(FrameSplitter::MaxFrame, 'A'));
    QCOMPARE(out.size(), 1);
    QVERIFY(!out[0].isFrame);
    QCOMPARE(s.pending(), 0);
    out = s.feed(":Y+01+51=?~");
    QCOMPARE(out.size(), 1);
    QVERIFY(out[0].isFrame);

    // Random line noise through the splitter and the board: nothing is held beyond one request,
    // and the board still answers the first clean request after it.
    BoardParameters p;
    PackModel model(config("cycle"), p);
    Board board(p, model, 1, {}, 1);
    QRandomGenerator rng(5);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes(int(rng.bounded(1, 40)), Qt::Uninitialized);
        for (char &c : bytes)
            c = "::~~++Y=?W0123456789abcdefABCDEF\r\n\x00\xff"[rng.bounded(36)];
        for (const FrameSplitter::Chunk &chunk : s.feed(bytes)) {
            QVERIFY(!chunk.isFrame || chunk.bytes.size() <= FrameSplitter::MaxFrame + 1);
            if (chunk.isFrame)
                board.handle(chunk.bytes, 0);
        }
        QVERIFY(s.pending() <= FrameSplitter::MaxFrame);
    }
    out = s.feed("~:Y+01+51=?~");
    QVERIFY(!out.isEmpty());
    QCOMPARE(out.last().bytes, QByteArray(":Y+01+51=?~"));
    QCOMPARE(board.handle(out.last().bytes, 0).pieces.size(), 1);
}

void TestBoardSim::readRequests_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("code");

    QTest::newRow("real-time") << Frame::readRequest(1, Cmd::ReadRealTime) << int(Request::Read)
                               << 1 << 0x51;
    QTest::newRow("parameters at 10")
        << Frame::readRequest(10, Cmd::ReadParameters) << int(Request::Read) << 10 << 0x52;
    QTest::newRow("lower-case digits")
        << QByteArray(":Y+0a+5f=?~") << int(Request::Read) << 10 << 0x5F;
    QTest::newRow("no query mark")
        << QByteArray(":Y+01+51==~") << int(Request::Malformed) << -1 << -1;
    QTest::newRow("one address digit")
        << QByteArray(":Y+1+51=?~") << int(Request::Malformed) << -1 << -1;
    QTest::newRow("not hex") << QByteArray(":Y+0G+51=?~") << int(Request::Malformed) << -1 << -1;
    QTest::newRow("other kind") << QByteArray(":X+01+51=?~") << int(Request::Malformed) << -1 << -1;
}

void TestBoardSim::readRequests()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, kind);
    QFETCH(int, address);
    QFETCH(int, code);
    const Request r = parseRequest(frame);
    QCOMPARE(int(r.kind), kind);
    if (kind == Request::Read) {
        QCOMPARE(r.address, address);
        QCOMPARE(r.code, code);
    }
}

void TestBoardSim::writeRequestsFollowTheWriteCrcRule()
{
    // Frames from the tool's own builder, every value length.
    for (uint16_t value : { 0, 0xF, 0x1F4, 0xAF0, 0xFFFB }) {
        const Request r = parseRequest(write(Cmd::CellUnderVoltage, 1, value));
        QCOMPARE(int(r.kind), int(Request::Write));
        QVERIFY(r.crcMatches);
        QCOMPARE(r.address, 1);
        QCOMPARE(r.code, 0x06);
        QCOMPARE(r.value, value);
    }
    // Both spellings of code 4F carry their own CRC and mean the same code.
    QCOMPARE(parseRequest(write(Cmd::InitParameters, 2, 90)).code, 0x4F);
    QVERIFY(parseRequest(write(Cmd::InitParameters, 2, 90)).crcMatches);
    QVERIFY(parseRequest(write(Cmd::InitProtectionParameters, 2, 90)).crcMatches);

    // The worked example, then one digit changed.
    QVERIFY(parseRequest(":W+01+00+03+1f4+6edc~").crcMatches);
    QVERIFY(!parseRequest(":W+01+00+03+1f5+6edc~").crcMatches);
    // The reply rule (CRC without the "+" in front of it) is not the write rule.
    const QByteArray body = ":W+01+00+03+1f4";
    QByteArray replyRule;
    ReplyEncoder::appendField(
        replyRule,
        CRC::CRC16(reinterpret_cast<const unsigned char *>(body.constData()), body.size()), 4);
    QVERIFY(!parseRequest(body + '+' + replyRule + '~').crcMatches);
    // A length field that disagrees with the data, or a value past 16 bits, is malformed.
    QCOMPARE(int(parseRequest(":W+01+00+02+1f4+6edc~").kind), int(Request::Malformed));
    QCOMPARE(int(parseRequest(":W+01+00+05+1f4ab+6edc~").kind), int(Request::Malformed));
    QCOMPARE(int(parseRequest(":W+01+00+03+1f4~").kind), int(Request::Malformed));
}

void TestBoardSim::fieldsArePaddedAndSaturated()
{
    QByteArray b;
    ReplyEncoder::appendField(b, 0xA, 4);
    ReplyEncoder::appendField(b, 0x12345, 4);
    ReplyEncoder::appendField(b, -7, 2);
    ReplyEncoder::appendField(b, 16, 1);
    ReplyEncoder::appendField(b, 0xDEADBEEF, 8);
    QCOMPARE(b, QByteArray("000AFFFF00FDEADBEEF"));
    QCOMPARE(ReplyEncoder::addressDigits(10), QByteArray("0A"));
}

void TestBoardSim::repliesPassTheToolsCheck()
{
    // The worked example of a reply.
    const QByteArray example = ReplyEncoder::reply(1, 0x51, "0a");
    QCOMPARE(example, QByteArray(":Y+01+51+0a+77E3~"));

    BoardParameters p;
    PackModel model(config("cycle"), p);
    const QByteArray rt =
        ReplyEncoder::reply(10, 0x51, ReplyEncoder::realTimeBlock(model.telemetry(), p));
    const QByteArray pb =
        ReplyEncoder::reply(10, 0x52, ReplyEncoder::parameterBlock(p, model.telemetry()));
    for (const QByteArray &frame : { rt, pb }) {
        const Frame::ReplyCheck c = Frame::checkReply(frame);
        QVERIFY(c.hasStart);
        QVERIFY(c.crcMatches);
        QCOMPARE(c.kind, 'Y');
        QCOMPARE(c.addressText(), QByteArray("0A"));
    }
    QCOMPARE(Frame::checkReply(rt).code, 0x51);
    QCOMPARE(Frame::checkReply(rt).dataBlock().size(), 211);
    QCOMPARE(Frame::checkReply(pb).code, 0x52);
    QCOMPARE(Frame::checkReply(pb).dataBlock().size(), 197);
}

void TestBoardSim::realTimeBlockDecodesToTheTelemetry()
{
    BoardParameters p;
    p.write(BoardParameters::CurrentCompensation, uint16_t(-5));
    Telemetry t;
    t.cellCount = 3;
    t.cellMv[0] = 3301;
    t.cellMv[1] = 3299;
    t.cellMv[2] = 3350;
    t.tempCenti = { 2500, 3012, -1050, 0, 4444, 2600 };
    t.protection = CellOverVoltage;
    t.alarms = ChargeHighTempAlarm | DischargeLowTempAlarm; // bit 4 does not fit the digit
    t.job = JobDischarging;
    t.chargeMos = false;
    t.dischargeMos = true;
    t.currentMa = -40123;
    t.remainingMah = 50000;
    t.chargedMah = 1234;
    t.dischargedMah = 4321;
    t.cycles = 13;
    t.balancing = 0x1FFFF; // cell 17 has no bit in the word
    t.packMv = 9950;
    t.avgMv = 3316;
    t.maxMv = 3350;
    t.minMv = 3299;
    t.maxDiffMv = 51;
    t.minDiffMv = 2;
    t.maxCell = 3;
    t.socPercent = 100;
    t.sohPercent = 98;

    const QByteArray block = ReplyEncoder::realTimeBlock(t, p);
    QCOMPARE(block.size(), ReplyEncoder::RealTimeDigits);
    const RealTime r = decodeRealTime(block);
    QCOMPARE(r.cells[0], 3301);
    QCOMPARE(r.cells[2], 3350);
    QCOMPARE(r.cells[3], 0);
    QCOMPARE(r.cells[24], 0);
    QCOMPARE(r.temps[0], 2500);
    QCOMPARE(r.temps[1], 3012);
    QCOMPARE(r.temps[2], -1050);
    QCOMPARE(r.temps[5], 2600);
    QCOMPARE(r.protection, 5);
    QCOMPARE(r.alarms, 2);
    QCOMPARE(r.job, 2);
    QCOMPARE(r.chargeMos, 0);
    QCOMPARE(r.dischargeMos, 1);
    QCOMPARE(r.current, 40123);
    QCOMPARE(r.newcc, 50000);
    QCOMPARE(r.chgvv, 1234);
    QCOMPARE(r.dsgvv, 4321);
    QCOMPARE(r.cycles, 13);
    QCOMPARE(r.balancing, 0xFFFF);
    QCOMPARE(r.pack, 9950);
    QCOMPARE(r.avg, 3316);
    QCOMPARE(r.max, 3350);
    QCOMPARE(r.min, 3299);
    QCOMPARE(r.maxDiff, 51);
    QCOMPARE(r.minDiff, 2);
    QCOMPARE(r.extreme, 3);
    QCOMPARE(r.soc, 100);
    QCOMPARE(r.cellCount, 3);
    QCOMPARE(r.compensation, 95);
    QCOMPARE(r.damping, ReplyEncoder::DampingValue);
    QCOMPARE(r.soh, 98);

    // On request the discharge current goes out in two's complement, which reads back as -40123.
    const QByteArray signedBlock = ReplyEncoder::realTimeBlock(t, p, true);
    QCOMPARE(signedBlock.mid(129, 8), QByteArray("FFFF6345"));
    cell decoded;
    decodeRealTime("01", signedBlock, &decoded);
    QCOMPARE(decoded.cadc, -40123);
}

void TestBoardSim::parameterBlockShowsWhatWasWritten()
{
    BoardParameters p;
    Telemetry t;
    t.charger = true;
    t.chargeMos = false;
    t.dischargeMos = true;
    t.calibrating = true;
    t.calibrationAmps = 42;
    t.sohPercent = 97;

    // Values as the tool sends them: temperatures + 40, the compensation in two's complement.
    const struct
    {
        int code;
        uint16_t sent;
        const char *field;
        int shown;
    } writes[] = {
        { 0x00, 120, "chgc", 120 },        { 0x01, 1500, "chgct", 1500 },
        { 0x02, 160, "dsgc1", 160 },       { 0x03, 320, "dsgc2", 320 },
        { 0x04, 3000, "dsgc1t", 3000 },    { 0x05, 300, "dsgc2t", 300 },
        { 0x06, 2800, "lv", 2800 },        { 0x07, 3000, "lvre", 3000 },
        { 0x08, 1000, "lvt", 1000 },       { 0x09, 3600, "hv", 3600 },
        { 0x0A, 3350, "hvre", 3350 },      { 0x0B, 1200, "hvt", 1200 },
        { 0x0C, 85, "chght", 45 },         { 0x0D, 80, "chghtre", 40 },
        { 0x0E, 20, "chglt", -20 },        { 0x0F, 50, "chgltre", 10 },
        { 0x10, 110, "dsght", 70 },        { 0x11, 105, "dsghtre", 65 },
        { 0x12, 0, "dsglt", -40 },         { 0x13, 15, "dsgltre", -25 },
        { 0x14, 3380, "blancev", 3380 },   { 0x15, 25, "blancevx", 25 },
        { 0x16, 15, "totalcell", 15 },     { 0x17, 280, "design", 280 },
        { 0x18, 750, "rs", 750 },          { 0x19, 400, "short", 400 },
        { 0x1A, 300, "shorttime", 300 },   { 0x1F, 600, "vxp", 600 },
        { 0x20, 3800, "avlp", 3800 },      { 0x21, 4300, "avlpre", 4300 },
        { 0x22, 5600, "avhp", 5600 },      { 0x23, 5300, "avhpre", 5300 },
        { 0x24, uint16_t(-5), "cax", -5 }, { 0x26, 90, "chght_alert", 50 },
        { 0x28, 35, "chglt_alert", -5 },   { 0x2C, 2000, "vpgine", 2000 },
        { 0x3F, 95, "dsght_alert", 55 },   { 0x41, 25, "dsglt_alert", -15 },
        { 0x46, 3, "getmod", 3 },          { 0x4A, 7, "debug", 7 },
    };
    for (const auto &w : writes)
        QCOMPARE(int(p.write(w.code, w.sent)), int(BoardParameters::WriteResult::Stored));

    const QByteArray block = ReplyEncoder::parameterBlock(p, t);
    QCOMPARE(block.size(), ReplyEncoder::ParameterDigits);
    const QMap<QString, int> shown = decodeParameters(block);
    for (const auto &w : writes)
        QVERIFY2(shown.value(QString::fromLatin1(w.field)) == w.shown, w.field);
    QCOMPARE(shown.value("version"), BoardParameters::FirmwareVersion);
    QCOMPARE(shown.value("lenstatu"), BoardParameters::LearningFactorRaw / 2);
    QCOMPARE(shown.value("week"), 97);
    QCOMPARE(shown.value("chgr"), 1);
    QCOMPARE(shown.value("load"), 0);
    QCOMPARE(shown.value("sw_chgmos"), 0);
    QCOMPARE(shown.value("sw_dsgmos"), 1);
    QCOMPARE(shown.value("sw_vhp"), 1);
    QCOMPARE(shown.value("sw_buzzer"), 0);
    QCOMPARE(shown.value("sw_clen"), 1);
    QCOMPARE(shown.value("clen"), 42);

    // Values wider than their digit saturate instead of shifting the layout.
    p.write(0x4A, 300);
    p.write(0x46, 65000);
    const QMap<QString, int> wide = decodeParameters(ReplyEncoder::parameterBlock(p, t));
    QCOMPARE(wide.value("debug"), 15);
    QCOMPARE(wide.value("getmod"), 255);
    QCOMPARE(wide.value("dsglt_alert"), -15);
    QCOMPARE(wide.value("version"), BoardParameters::FirmwareVersion);

    // Values the model cannot work with are refused; the old value stays.
    QCOMPARE(int(p.write(0x16, 0)), int(BoardParameters::WriteResult::OutOfRange));
    QCOMPARE(int(p.write(0x16, 26)), int(BoardParameters::WriteResult::OutOfRange));
    QCOMPARE(int(p.write(0x17, 0)), int(BoardParameters::WriteResult::OutOfRange));
    QCOMPARE(p.cellsInSeries(), 15);
    QCOMPARE(int(p.write(0x25, 1)), int(BoardParameters::WriteResult::NotAParameter));

    p.restoreDefaults();
    QCOMPARE(p.value(BoardParameters::CellUnderVoltage), uint16_t(2500));
    QCOMPARE(p.cellsInSeries(), 16);
    QCOMPARE(p.value(BoardParameters::PackOverVoltage), uint16_t(5840));
}

void TestBoardSim::toolShowsWhatTheBoardReports()
{
    // The tool's own decoders, not a mirror of them, read both blocks of a running pack.
    BoardParameters p;
    PackModel model(config("50:30,-80:30", 20, 5), p);
    run(model, p, 45); // discharging hard: current, balancing and temperatures all moving
    const Telemetry &t = model.telemetry();

    cell afe;
    const RealTimeReply rt = decodeRealTime("0A", ReplyEncoder::realTimeBlock(t, p), &afe);
    QCOMPARE(afe.id, 10);
    for (int k = 0; k < 25; ++k)
        QCOMPARE(afe.cell[k], t.cellMv[std::size_t(k)]);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(afe.ts[i], t.tempCenti[std::size_t(i)]);
    QCOMPARE(afe.sys_statu, t.protection);
    QCOMPARE(afe.alrt_statu, t.alarms & 0xF);
    QCOMPARE(afe.job_statu, t.job);
    QCOMPARE(afe.mos_statu, (1 << int(t.dischargeMos)) | int(t.chargeMos));
    QCOMPARE(afe.cadc, qAbs(t.currentMa));
    QCOMPARE(afe.blance_statu, int(t.balancing & 0xFFFF));
    QCOMPARE(afe.totalv, t.packMv);
    QCOMPARE(afe.avgv, t.avgMv);
    QCOMPARE(afe.maxv, t.maxMv);
    QCOMPARE(afe.minv, t.minMv);
    QCOMPARE(afe.soc, t.socPercent);
    QCOMPARE(afe.soh, t.sohPercent);
    QCOMPARE(qint64(rt.newcc), t.remainingMah);
    QCOMPARE(qint64(rt.chgvv), t.chargedMah);
    QCOMPARE(qint64(rt.dsgvv), t.dischargedMah);
    QCOMPARE(rt.cycleCount, t.cycles);
    QCOMPARE(rt.largestDifference, t.maxDiffMv);
    QCOMPARE(rt.smallestDifference, t.minDiffMv);
    QCOMPARE(rt.cellExtreme, t.maxCell);
    QCOMPARE(rt.cellsInSeries, t.cellCount);
    QCOMPARE(rt.currentCompensation, p.currentCompensation() + 100);
    QVERIFY(afe.cadc > 0 && afe.job_statu == JobDischarging);

    // Every row the tool can write: the value typed into its field, checked and sent as the tool
    // sends it, is what the read-back puts into that field again.
    QHash<QByteArray, QString> typed;
    int n = 0;
    for (const ParameterTable::Row &row : ParameterTable::rows()) {
        const int code = QByteArray(row.prefix).mid(4, 2).toInt(nullptr, 16);
        if (!BoardParameters::isParameter(code))
            continue; // a device command, or the battery number the address field carries
        const int value = row.min + 1 + n++ % 10; // neighbours differ; fits a one-digit field
        const ParameterTable::Check check =
            ParameterTable::checkInput(QString::number(value), row, QLocale::c());
        QCOMPARE(check.outcome, ParameterTable::Check::Accepted);
        QCOMPARE(int(p.write(code, check.value)), int(BoardParameters::WriteResult::Stored));
        typed.insert(row.lineEdit, QString::number(value));
    }
    QCOMPARE(typed.size(), 40);
    QHash<QByteArray, QString> shown;
    for (const ParameterBlock::Field &f :
         ParameterBlock::decode("0A", ReplyEncoder::parameterBlock(p, t)))
        shown.insert(f.widget, f.text);
    for (auto it = typed.cbegin(); it != typed.cend(); ++it)
        QVERIFY2(shown.value(it.key()) == it.value(), it.key().constData());
    QCOMPARE(shown.value("conf_dnum"), QString("10"));
}

void TestBoardSim::profiles()
{
    QString error;
    const QVector<ProfileStep> steps = parseProfile("30:10, -20.5:5,0:1", &error);
    QCOMPARE(steps.size(), 3);
    QCOMPARE(steps[1].amps, -20.5);
    QCOMPARE(steps[1].seconds, 5.0);
    // The cycle's load pulses: steps of the current of at least 5 A, most of them.
    const QVector<ProfileStep> cycle = parseProfile("cycle", &error);
    int bigSteps = 0;
    double ampSeconds = 0;
    for (int i = 0; i < cycle.size(); ++i) {
        bigSteps += qAbs(cycle[i].amps - cycle[(i + 1) % cycle.size()].amps) >= 5;
        ampSeconds += cycle[i].amps * cycle[i].seconds;
    }
    QVERIFY(bigSteps > 100);
    QVERIFY(qAbs(ampSeconds) < 1e-6); // as much in as out
    for (const char *bad : { "", "30", "30:0", "30:-1", "x:10", "30:10,", "5000:10", "nan:1" }) {
        error.clear();
        QVERIFY2(parseProfile(bad, &error).isEmpty(), bad);
        QVERIFY(!error.isEmpty());
    }
}

void TestBoardSim::stateOfChargeFollowsTheCurrent()
{
    BoardParameters p;
    p.write(BoardParameters::DesignCapacity, 10);
    // 10 A into 10 Ah for 36 s is 1 % of charge; out again on a discharge.
    PackModel charging(config("10:1000", 50), p);
    run(charging, p, 36);
    QVERIFY(qAbs(charging.soc() - 0.51) < 0.001);
    QCOMPARE(charging.telemetry().job, int(JobCharging));
    QVERIFY(qAbs(charging.telemetry().currentMa - 10000) < 100);
    QCOMPARE(charging.telemetry().chargedMah, qint64(100));

    PackModel discharging(config("-10:1000", 50), p);
    run(discharging, p, 36);
    QVERIFY(qAbs(discharging.soc() - 0.49) < 0.001);
    QCOMPARE(discharging.telemetry().job, int(JobDischarging));
    QCOMPARE(discharging.telemetry().dischargedMah, qint64(100));

    PackModel resting(config("rest", 50), p);
    run(resting, p, 36);
    QCOMPARE(resting.soc(), 0.5);
    QCOMPARE(resting.telemetry().currentMa, 0);
    QCOMPARE(resting.telemetry().job, int(JobRest));

    // Charging raises the cells above their resting voltage, discharging lowers them below.
    QVERIFY(charging.telemetry().avgMv > resting.telemetry().avgMv + 5);
    QVERIFY(discharging.telemetry().avgMv < resting.telemetry().avgMv - 5);

    // The charger tapers off at full and the load fades out when empty: SOC stays within 0..100.
    PackModel full(config("100:1000", 99), p);
    run(full, p, 120);
    QVERIFY(full.soc() <= 1.0);
    QVERIFY(full.telemetry().currentMa < 20000);
    PackModel empty(config("-100:1000", 1), p);
    run(empty, p, 120);
    QVERIFY(empty.soc() >= 0.0);
    QVERIFY(empty.telemetry().socPercent <= 1);

    // Init SOC takes the pack back to its starting charge.
    charging.resetSoc();
    QCOMPARE(charging.soc(), 0.5);
}

void TestBoardSim::temperaturesFollowTheCurrent()
{
    BoardParameters p;
    PackModel hot(config("80:1000"), p);
    PackModel cold(config("rest"), p);
    const int start = hot.telemetry().tempCenti[2];
    run(hot, p, 300);
    run(cold, p, 300);
    const Telemetry &h = hot.telemetry();
    const Telemetry &c = cold.telemetry();
    QVERIFY(h.tempCenti[2] > start + 1000); // cells warmed by more than 10 degC
    QVERIFY(h.tempCenti[1] > h.tempCenti[2]); // the MOSFETs run hotter
    QVERIFY(qAbs(h.tempCenti[0] - c.tempCenti[0]) < 100); // the environment does not care
    for (int i = 2; i < 6; ++i)
        QVERIFY(qAbs(c.tempCenti[size_t(i)] - 2500) < 100);
}

void TestBoardSim::seedMakesARunRepeatable()
{
    BoardParameters p;
    PackModel a(config("cycle", 50, 7), p);
    PackModel b(config("cycle", 50, 7), p);
    PackModel c(config("cycle", 50, 8), p);
    run(a, p, 30);
    run(b, p, 30);
    run(c, p, 30);
    QCOMPARE(ReplyEncoder::realTimeBlock(a.telemetry(), p),
             ReplyEncoder::realTimeBlock(b.telemetry(), p));
    QVERIFY(ReplyEncoder::realTimeBlock(a.telemetry(), p)
            != ReplyEncoder::realTimeBlock(c.telemetry(), p));
    // The cells are not all alike.
    QVERIFY(a.telemetry().maxDiffMv > 0);
}

void TestBoardSim::aStepShowsEachCellsResistance()
{
    BoardParameters p;
    PackModel::Config c = config("-40:3,-10:3");
    c.weakCell = 7;
    PackModel model(c, p);
    PackModel healthy(config("-40:3,-10:3"), p);
    // The weak cell's factor on top of its own; the others as they were.
    QCOMPARE(model.cellResistanceOhm(6), 2.5 * healthy.cellResistanceOhm(6));
    QCOMPARE(model.cellResistanceOhm(5), healthy.cellResistanceOhm(5));

    // Over many steps, each cell's voltage steps by the current's step through its resistance:
    // what a tool sees from the two measurements either side of the step, whatever the speed.
    QVector<double> sum(16);
    int steps = 0;
    for (double dt : { 0.1, 0.5 }) {
        for (int i = 0; i < 300; ++i) {
            const Telemetry before = model.telemetry();
            model.step(dt, p);
            const Telemetry &after = model.telemetry();
            const int di = after.currentMa - before.currentMa;
            if (qAbs(di) < 20000)
                continue;
            ++steps;
            for (int k = 0; k < 16; ++k)
                sum[k] += double(after.cellMv[size_t(k)] - before.cellMv[size_t(k)]) / di;
        }
    }
    QVERIFY(steps > 20);
    for (int k = 0; k < 16; ++k) {
        const double measured = sum[k] / steps;
        QVERIFY2(qAbs(measured / model.cellResistanceOhm(k) - 1) < 0.1,
                 qPrintable(QStringLiteral("cell %1: %2 ohm").arg(k + 1).arg(measured)));
    }
}

void TestBoardSim::overVoltageTripsWhenTheThresholdIsLowered()
{
    BoardParameters p;
    PackModel model(config("50:100,-40:100"), p);
    run(model, p, 10);
    QCOMPARE(model.telemetry().protection, int(NoProtection));
    QVERIFY(model.telemetry().chargeMos);

    // Lower the over-voltage threshold under the charging voltage: it trips after its delay.
    const int charging = model.telemetry().maxMv;
    p.write(BoardParameters::CellOverVoltage, uint16_t(charging - 20));
    p.write(BoardParameters::CellOverVoltageDelay, 1000);
    run(model, p, 0.5);
    QCOMPARE(model.telemetry().protection, int(NoProtection));
    run(model, p, 1);
    QCOMPARE(model.telemetry().protection, int(CellOverVoltage));
    QVERIFY(!model.telemetry().chargeMos);
    QVERIFY(model.telemetry().dischargeMos);
    QCOMPARE(model.telemetry().currentMa, 0);
    QCOMPARE(model.telemetry().job, int(JobRest));

    // A recovery threshold above the protection threshold does not let it flap; the discharge
    // brings the cells down and releases it.
    run(model, p, 20);
    QCOMPARE(model.telemetry().protection, int(CellOverVoltage));
    run(model, p, 100);
    QCOMPARE(model.telemetry().protection, int(NoProtection));
    QVERIFY(model.telemetry().chargeMos);
    QCOMPARE(model.telemetry().job, int(JobDischarging));

    // The pack over-voltage threshold trips the same way.
    run(model, p, 75); // into the next charge
    p.write(BoardParameters::CellOverVoltage, 3650);
    p.write(BoardParameters::PackOverVoltage, uint16_t(model.telemetry().packMv / 10 - 5));
    run(model, p, 2);
    QCOMPARE(model.telemetry().protection, int(PackOverVoltage));
    model.clearProtections();
    p.restoreDefaults();
    run(model, p, 1);
    QCOMPARE(model.telemetry().protection, int(NoProtection));
}

void TestBoardSim::currentAndTemperatureProtections()
{
    BoardParameters p;
    // Charge over-current: trips after its delay, holds, then lets the charger try again.
    {
        PackModel model(config("50:1000"), p);
        p.write(BoardParameters::ChargeOverCurrent, 40);
        p.write(BoardParameters::ChargeOverCurrentDelay, 500);
        run(model, p, 1);
        QCOMPARE(model.telemetry().protection, int(ChargeOverCurrent));
        QCOMPARE(model.telemetry().currentMa, 0);
        bool retried = false;
        for (int i = 0; i < 60 && !retried; ++i) {
            model.step(0.1, p);
            retried =
                model.telemetry().protection == NoProtection && model.telemetry().currentMa > 0;
        }
        QVERIFY(retried);
        run(model, p, 0.7);
        QCOMPARE(model.telemetry().protection, int(ChargeOverCurrent));
        p.restoreDefaults();
    }
    // Discharge over-current, both levels, and a short circuit from the shunt voltage.
    {
        PackModel model(config("-200:1000"), p);
        run(model, p, 1.5);
        QCOMPARE(model.telemetry().protection, int(NoProtection));
        run(model, p, 0.7);
        QCOMPARE(model.telemetry().protection, int(DischargeOverCurrent1)); // 150 A, 2 s
        run(model, p, 2);
        QCOMPARE(model.telemetry().protection, int(DischargeOverCurrent1));
        QVERIFY(!model.telemetry().dischargeMos);
        p.write(BoardParameters::ShortCircuitVoltage, 50); // 50 mV over 1 mOhm: 50 A
        PackModel shorted(config("-60:1000"), p);
        run(shorted, p, 0.3);
        QCOMPARE(shorted.telemetry().protection, int(ShortCircuit));
        p.restoreDefaults();
    }
    // Temperatures: a charge high-temperature threshold under the room temperature trips only
    // while a charger is connected; a discharge low-temperature one only under load.
    {
        p.write(BoardParameters::ChargeHighTemp, 20 + 40);
        p.write(BoardParameters::ChargeHighTempRecovery, 15 + 40);
        PackModel charging(config("50:1000"), p);
        run(charging, p, 2);
        QCOMPARE(charging.telemetry().protection, int(ChargeOverTemp));
        QVERIFY(!charging.telemetry().chargeMos);
        PackModel resting(config("rest"), p);
        run(resting, p, 2);
        QCOMPARE(resting.telemetry().protection, int(NoProtection));
        p.restoreDefaults();

        p.write(BoardParameters::DischargeLowTemp, 30 + 40);
        PackModel discharging(config("-20:1000"), p);
        run(discharging, p, 2);
        QCOMPARE(discharging.telemetry().protection, int(DischargeUnderTemp));
        QVERIFY(!discharging.telemetry().dischargeMos);
        p.restoreDefaults();
    }
    // Under-voltage on a nearly empty pack.
    {
        p.write(BoardParameters::CellUnderVoltage, 3200);
        PackModel model(config("-40:1000", 10), p);
        run(model, p, 3);
        QCOMPARE(model.telemetry().protection, int(CellUnderVoltage));
        QVERIFY(!model.telemetry().dischargeMos);
        p.restoreDefaults();
    }
}

void TestBoardSim::balancingAndAlarms()
{
    BoardParameters p;
    PackModel model(config("50:1000"), p);
    run(model, p, 1);
    QCOMPARE(model.telemetry().balancing, 0u);
    QCOMPARE(model.telemetry().alarms, 0);

    // Balancing: cells above the detection voltage and far enough above the lowest cell.
    p.write(BoardParameters::BalanceVoltage, 1500);
    p.write(BoardParameters::BalanceStartDifference, 10);
    run(model, p, 0.1);
    const Telemetry &t = model.telemetry();
    QVERIFY(t.balancing != 0);
    for (int i = 0; i < t.cellCount; ++i) {
        const bool expected = t.cellMv[size_t(i)] - t.minMv >= 10;
        QCOMPARE(bool(t.balancing & (1u << i)), expected);
    }
    QCOMPARE(t.balancing & (1u << (t.maxCell - 1)), 1u << (t.maxCell - 1));
    QVERIFY(!(t.balancing >> t.cellCount));

    // Alarms: charge high-temperature alarm under the room temperature while charging.
    p.write(BoardParameters::ChargeHighTempAlarm, 10 + 40);
    run(model, p, 0.1);
    QCOMPARE(model.telemetry().alarms, int(ChargeHighTempAlarm));
    QCOMPARE(model.telemetry().protection, int(NoProtection));
    p.write(BoardParameters::ChargeLowTempAlarm, 40 + 40);
    run(model, p, 0.1);
    QCOMPARE(model.telemetry().alarms, int(ChargeHighTempAlarm | ChargeLowTempAlarm));
}

void TestBoardSim::forcingsAreReadOrRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withValue");
    QTest::addColumn<QString>("says"); // empty: taken; else a part of the refusal
    QTest::addColumn<QString>("applied"); // with the factory thresholds, discharging

    QTest::newRow("cell, default") << "over-voltage:7" << true << ""
                                   << "cell 7 to 3651 mV (over-voltage)";
    QTest::newRow("cell, value") << "under-voltage:1:2400" << true << ""
                                 << "cell 1 to 2400 mV (under-voltage)";
    QTest::newRow("sensor, default") << "over-temp:2" << true << ""
                                     << "sensor TS2 to 66.00 degC (over-temp)";
    QTest::newRow("sensor, negative fraction") << "under-temp:4:-25.5" << true << ""
                                               << "sensor TS4 to -25.50 degC (under-temp)";
    QTest::newRow("alarm, default") << "alarm-high-temp:1" << true << ""
                                    << "sensor TS1 to 61.00 degC (alarm-high-temp)";
    QTest::newRow("release without value") << "over-voltage:3" << false << ""
                                           << "";
    QTest::newRow("release with a value") << "over-voltage:3:3700" << false << "KIND:N"
                                          << "";
    QTest::newRow("unknown kind") << "hot:2" << true << "one of over-voltage"
                                  << "";
    QTest::newRow("no place") << "over-voltage" << true << "KIND:N[:VALUE]"
                              << "";
    QTest::newRow("cell 0") << "over-voltage:0" << true << "cell is a number"
                            << "";
    QTest::newRow("sensor 5") << "over-temp:5" << true << "TS1 to TS4"
                              << "";
    QTest::newRow("fraction of a mV") << "over-voltage:7:3651.5" << true << "whole mV"
                                      << "";
    QTest::newRow("cell too high") << "over-voltage:7:10000" << true << "0 to 9999"
                                   << "";
    QTest::newRow("cell negative") << "under-voltage:7:-1" << true << "0 to 9999"
                                   << "";
    QTest::newRow("too cold for the reply") << "under-temp:1:-41" << true << "-40 to 125"
                                            << "";
    QTest::newRow("too hot") << "over-temp:1:126" << true << "-40 to 125"
                             << "";
    QTest::newRow("not a number") << "over-temp:1:hot" << true << "degC"
                                  << "";
    QTest::newRow("four parts") << "over-temp:1:60:2" << true << "KIND:N[:VALUE]"
                                << "";
}

void TestBoardSim::forcingsAreReadOrRefused()
{
    QFETCH(QString, text);
    QFETCH(bool, withValue);
    QFETCH(QString, says);
    QFETCH(QString, applied);
    Forcing f;
    QString error;
    const bool taken = Forcing::parse(text, &f, &error, withValue);
    QCOMPARE(taken, says.isEmpty());
    if (!taken) {
        QVERIFY2(error.contains(says) && error.contains(text), qPrintable(error));
        return;
    }
    if (applied.isEmpty())
        return;
    BoardParameters p;
    PackModel model(config("-40:1000"), p);
    QCOMPARE(model.force(f, p).describe(), applied);
}

void TestBoardSim::aForcedCellTripsTheBoardsOwnProtection()
{
    BoardParameters p;
    PackModel model(config("rest"), p);
    run(model, p, 1);
    Forcing over;
    QString error;
    QVERIFY(Forcing::parse(QStringLiteral("over-voltage:7"), &over, &error));
    QCOMPARE(model.force(over, p).value, 3651);

    // Read at once as the highest cell; the protection waits for its delay (2 s).
    run(model, p, 1);
    const Telemetry &t = model.telemetry();
    QCOMPARE(t.cellMv[6], 3651);
    QCOMPARE(t.maxMv, 3651);
    QCOMPARE(t.maxCell, 7);
    QCOMPARE(t.protection, int(NoProtection));
    run(model, p, 1.5);
    QCOMPARE(t.protection, int(CellOverVoltage));
    QVERIFY(!t.chargeMos && t.dischargeMos);
    QCOMPARE(t.cellMv[6], 3651); // held while tripped

    // A later forcing of the same cell replaces the first; the release lets the cell read as the
    // pack makes it, and the board's recovery rule ends the protection.
    Forcing under;
    QVERIFY(Forcing::parse(QStringLiteral("under-voltage:7:2400"), &under, &error));
    model.force(under, p);
    QCOMPARE(model.forcings().size(), 1);
    run(model, p, 0.2);
    QCOMPARE(t.minMv, 2400);
    QVERIFY(model.release(under));
    QVERIFY(!model.release(under));
    run(model, p, 0.2);
    QCOMPARE(t.protection, int(NoProtection));
    QVERIFY(t.cellMv[6] > 3200 && t.cellMv[6] < 3400);
    QVERIFY(t.chargeMos);

    // Under-voltage by default lands 1 mV under the board's point, wherever it was written.
    p.write(BoardParameters::CellUnderVoltage, 2800);
    Forcing low;
    QVERIFY(Forcing::parse(QStringLiteral("under-voltage:3"), &low, &error));
    QCOMPARE(model.force(low, p).value, 2799);
    run(model, p, 2.5);
    QCOMPARE(t.protection, int(CellUnderVoltage));
    QCOMPARE(t.minMv, 2799);
    QCOMPARE(model.releaseAll(), 1);
}

void TestBoardSim::aForcedSensorTripsOnTheSideInUse()
{
    BoardParameters p;
    Forcing hot;
    QString error;
    QVERIFY(Forcing::parse(QStringLiteral("over-temp:3"), &hot, &error));
    // Charging: past the charge high-temperature point (55 degC), tripped after 1 s.
    {
        PackModel model(config("50:1000"), p);
        QCOMPARE(model.force(hot, p).value, 5600);
        run(model, p, 0.5);
        QCOMPARE(model.telemetry().tempCenti[4], 5600);
        QCOMPARE(model.telemetry().protection, int(NoProtection));
        QCOMPARE(model.telemetry().alarms, int(ChargeHighTempAlarm));
        run(model, p, 0.7);
        QCOMPARE(model.telemetry().protection, int(ChargeOverTemp));
        QVERIFY(!model.telemetry().chargeMos);
    }
    // At rest the discharge side's point counts, and nothing is in use to trip.
    {
        PackModel model(config("rest"), p);
        QCOMPARE(model.force(hot, p).value, 6600);
        run(model, p, 2);
        QCOMPARE(model.telemetry().protection, int(NoProtection));
    }
    // An alarm alone: past the alarm, short of the protection.
    {
        PackModel model(config("-40:1000"), p);
        Forcing warm;
        QVERIFY(Forcing::parse(QStringLiteral("alarm-high-temp:1"), &warm, &error));
        QCOMPARE(model.force(warm, p).value, 6100);
        run(model, p, 2);
        QCOMPARE(model.telemetry().alarms, int(DischargeHighTempAlarm));
        QCOMPARE(model.telemetry().protection, int(NoProtection));
    }
}

void TestBoardSim::cellCountFollowsTheParameter()
{
    BoardParameters p(8);
    QCOMPARE(p.value(BoardParameters::PackOverVoltage), uint16_t(8 * 365));
    PackModel model(config("rest"), p);
    QCOMPARE(model.telemetry().cellCount, 8);
    QVERIFY(model.telemetry().cellMv[7] > 3000);
    QCOMPARE(model.telemetry().cellMv[8], 0);
    const int pack8 = model.telemetry().packMv;
    p.write(BoardParameters::CellsInSeries, 25);
    model.step(0.1, p);
    QCOMPARE(model.telemetry().cellCount, 25);
    QVERIFY(model.telemetry().cellMv[24] > 3000);
    QVERIFY(model.telemetry().packMv > 3 * pack8);
}

void TestBoardSim::boardAnswersOnlyItsAddressAndKnownCodes()
{
    BoardParameters p;
    PackModel model(config("cycle"), p);
    Board board(p, model, 1, {}, 1);

    Board::Outcome o = board.handle(":Y+01+51=?~", 0);
    QCOMPARE(o.pieces.size(), 1);
    QCOMPARE(o.pieces[0].delayMs, 0);
    QCOMPARE(o.pieces[0].logFrame, o.pieces[0].bytes);
    Frame::ReplyCheck c = Frame::checkReply(o.pieces[0].bytes);
    QVERIFY(c.crcMatches);
    QCOMPARE(c.code, 0x51);
    QCOMPARE(c.dataBlock().size(), 211);
    const RealTime r = decodeRealTime(c.dataBlock());
    for (int i = 0; i < 16; ++i)
        QVERIFY(r.cells[i] > 3000 && r.cells[i] < 3600);
    QCOMPARE(r.cells[16], 0);
    for (int temp : r.temps)
        QVERIFY(temp > 1500 && temp < 4500);
    QCOMPARE(r.soc, 50);
    QCOMPARE(r.cellCount, 16);
    QVERIFY(r.pack > 16 * 3000 && r.pack < 16 * 3600);

    c = Frame::checkReply(board.handle(":Y+01+52=?~", 0).pieces.value(0).bytes);
    QVERIFY(c.crcMatches);
    QCOMPARE(c.code, 0x52);
    QCOMPARE(c.dataBlock().size(), 197);

    QVERIFY(board.handle(":Y+02+51=?~", 0).pieces.isEmpty());
    QVERIFY(board.handle(":Y+01+53=?~", 0).pieces.isEmpty());
    QVERIFY(board.handle(":Y+01+50=?~", 0).pieces.isEmpty());
    QVERIFY(board.handle(":Y+01+51=?", 0).pieces.isEmpty());
    QVERIFY(!board.handle(":Y+02+51=?~", 0).note.isEmpty());
}

void TestBoardSim::boardAppliesWritesAndCommands()
{
    BoardParameters p;
    PackModel model(config("50:1000"), p);
    Board board(p, model, 1, {}, 1);
    auto shown = [&board](const char *field) {
        const QByteArray frame = board.handle(":Y+01+52=?~", 0).pieces.value(0).bytes;
        return decodeParameters(Frame::checkReply(frame).dataBlock()).value(field);
    };

    board.handle(write(Cmd::CellUnderVoltage, 1, 2800), 0);
    board.handle(write(Cmd::ChargeHighTemp, 1, 85), 0);
    QCOMPARE(shown("lv"), 2800);
    QCOMPARE(shown("chght"), 45);

    // Another address, a spoiled CRC and a malformed frame change nothing.
    board.handle(write(Cmd::CellUnderVoltage, 2, 2000), 0);
    QByteArray spoiled = write(Cmd::CellUnderVoltage, 1, 2100);
    spoiled[13] = '9';
    QVERIFY(board.handle(spoiled, 0).note.contains("CRC"));
    board.handle(":W+01+06+03+834~", 0);
    QCOMPARE(shown("lv"), 2800);

    // Init parameters (either spelling of the code) restores the defaults, only with the key.
    board.handle(write(Cmd::InitParameters, 1, 89), 0);
    QCOMPARE(shown("lv"), 2800);
    board.handle(write(Cmd::InitParameters, 1, Cmd::CommandValue), 0);
    QCOMPARE(shown("lv"), 2500);
    QCOMPARE(shown("chght"), 55);
    board.handle(write(Cmd::CellUnderVoltage, 1, 2800), 0);
    board.handle(write(Cmd::InitProtectionParameters, 1, Cmd::CommandValue), 0);
    QCOMPARE(shown("lv"), 2500);

    // Init SOC.
    run(model, p, 72);
    QVERIFY(model.soc() > 0.505);
    board.handle(write(Cmd::InitSoc, 1, Cmd::CommandValue), 0);
    QCOMPARE(model.soc(), 0.5);

    // Calibration shows in the flag and the calibration current, then ends.
    board.handle(write(Cmd::StartCalibration, 1, Cmd::CommandValue), 0);
    model.step(0.1, p);
    QCOMPARE(shown("sw_clen"), 1);
    QCOMPARE(shown("clen"), 50);
    run(model, p, PackModel::CalibrationS);
    QCOMPARE(shown("sw_clen"), 0);

    // The battery number is stated in the replies; the board still answers at its address.
    board.handle(write(Cmd::BatteryNumber, 1, 0x2A), 0);
    QCOMPARE(board.batteryNumber(), 0x2A);
    QVERIFY(board.handle(":Y+2A+51=?~", 0).pieces.isEmpty());
    const QByteArray frame = board.handle(":Y+01+51=?~", 0).pieces.value(0).bytes;
    QVERIFY(Frame::checkReply(frame).crcMatches);
    QCOMPARE(Frame::checkReply(frame).addressText(), QByteArray("2A"));
    board.handle(write(Cmd::BatteryNumber, 1, 256), 0);
    QCOMPARE(board.batteryNumber(), 0x2A);
}

void TestBoardSim::resetSilencesTheBoard()
{
    BoardParameters p;
    PackModel model(config("cycle"), p);
    Board board(p, model, 1, {}, 1);
    board.handle(write(Cmd::Reset, 1, 1), 1000);
    QVERIFY(!board.isSilent(1000));
    board.handle(write(Cmd::Reset, 1, Cmd::CommandValue), 1000);
    QVERIFY(board.isSilent(1000));
    QVERIFY(board.handle(":Y+01+51=?~", 1000 + Board::ResetSilenceMs - 1).pieces.isEmpty());
    // A write during the silence is lost as well.
    board.handle(write(Cmd::CellUnderVoltage, 1, 2800), 1500);
    QCOMPARE(p.value(BoardParameters::CellUnderVoltage), uint16_t(2500));
    QCOMPARE(board.handle(":Y+01+51=?~", 1000 + Board::ResetSilenceMs).pieces.size(), 1);
}

void TestBoardSim::injectedFaults()
{
    BoardParameters p;
    PackModel model(config("cycle"), p);
    const QByteArray request = ":Y+01+51=?~";

    Board::Faults drop;
    drop.drop = 1;
    Board dropping(p, model, 1, drop, 1);
    QVERIFY(dropping.handle(request, 0).pieces.isEmpty());
    dropping.handle(write(Cmd::CellUnderVoltage, 1, 2800), 0);
    QCOMPARE(p.value(BoardParameters::CellUnderVoltage), uint16_t(2500));

    // A fraction drops about that fraction, repeatably for one seed.
    drop.drop = 0.3;
    Board some(p, model, 1, drop, 42);
    Board same(p, model, 1, drop, 42);
    int answered = 0;
    for (int i = 0; i < 1000; ++i) {
        const bool a = !some.handle(request, 0).pieces.isEmpty();
        QCOMPARE(!same.handle(request, 0).pieces.isEmpty(), a);
        answered += a;
    }
    QVERIFY(answered > 620 && answered < 780);

    Board::Faults badCrc;
    badCrc.badCrc = 1;
    Board spoiling(p, model, 1, badCrc, 1);
    for (const char *r : { ":Y+01+51=?~", ":Y+01+52=?~" }) {
        const QByteArray frame = joined(spoiling.handle(r, 0).pieces);
        const Frame::ReplyCheck c = Frame::checkReply(frame);
        QVERIFY(c.hasStart);
        QVERIFY(!c.crcMatches);
    }

    Board::Faults shaped;
    shaped.split = true;
    shaped.delayMs = 120;
    shaped.noise = true;
    Board shaping(p, model, 1, shaped, 1);
    for (int i = 0; i < 50; ++i) {
        const QVector<Piece> pieces = shaping.handle(request, 0).pieces;
        QVERIFY(pieces.size() >= 3 && pieces.size() <= 5); // noise, then two to four pieces
        QCOMPARE(pieces[0].delayMs, 120);
        QCOMPARE(pieces[0].logFrame, pieces[0].bytes);
        QVERIFY(!pieces[0].bytes.isEmpty() && pieces[0].bytes.size() <= 8);
        QVERIFY(!pieces[0].bytes.contains(':') && !pieces[0].bytes.contains('~'));
        QByteArray frame;
        for (int k = 1; k < pieces.size(); ++k) {
            QVERIFY(!pieces[k].bytes.isEmpty());
            QVERIFY(pieces[k].delayMs > 0 && pieces[k].delayMs < 20);
            QCOMPARE(pieces[k].logFrame.isEmpty(), k > 1);
            frame += pieces[k].bytes;
        }
        QCOMPARE(pieces[1].logFrame, frame);
        QVERIFY(Frame::checkReply(frame).crcMatches);
        QVERIFY(Frame::checkReply(joined(pieces)).crcMatches);
    }
    // A lone end mark after the noise, in front of the whole frame; cleared with the others.
    Board::Faults tilde;
    tilde.noise = true;
    tilde.strayTilde = true;
    Board marking(p, model, 1, tilde, 1);
    const QVector<Piece> marked = marking.handle(request, 0).pieces;
    QCOMPARE(marked.size(), 3);
    QVERIFY(!marked[0].bytes.contains('~'));
    QCOMPARE(marked[1].bytes, QByteArray("~"));
    QVERIFY(Frame::checkReply(marked[2].bytes).crcMatches);
    marking.clearLineFaults();
    QCOMPARE(marking.handle(request, 0).pieces.size(), 1);

    // A board that takes a parameter's writes and keeps its value, and one that never sends
    // its parameter block; the kept parameter outlives the clearing of the line faults.
    Board::Faults stubborn;
    stubborn.keep = { BoardParameters::CellUnderVoltage };
    stubborn.dropBlock = true;
    Board keeping(p, model, 1, stubborn, 1);
    const uint16_t before = p.value(BoardParameters::CellUnderVoltage);
    QVERIFY(keeping.handle(write(Cmd::CellUnderVoltage, 1, before + 100), 0).note.contains("kept"));
    QCOMPARE(p.value(BoardParameters::CellUnderVoltage), before);
    keeping.handle(write(Cmd::CellOverVoltage, 1, 3600), 0); // other codes are stored
    QCOMPARE(p.value(BoardParameters::CellOverVoltage), uint16_t(3600));
    QVERIFY(keeping.handle(":Y+01+52=?~", 0).pieces.isEmpty());
    QCOMPARE(keeping.handle(request, 0).pieces.size(), 1);
    keeping.clearLineFaults();
    QCOMPARE(keeping.handle(":Y+01+52=?~", 0).pieces.size(), 1);
    keeping.handle(write(Cmd::CellUnderVoltage, 1, before + 100), 0);
    QCOMPARE(p.value(BoardParameters::CellUnderVoltage), before);

    // Once the faults are cleared, one clean frame in one piece, at once.
    shaping.clearLineFaults();
    const QVector<Piece> clean = shaping.handle(request, 0).pieces;
    QCOMPARE(clean.size(), 1);
    QCOMPARE(clean[0].delayMs, 0);
    QVERIFY(Frame::checkReply(clean[0].bytes).crcMatches);

    // Quitting mid-reply: whole replies first, then half of one, and the board goes away.
    Board::Faults quitting;
    quitting.quitMidReply = 2;
    Board quitter(p, model, 1, quitting, 1);
    for (int i = 0; i < 2; ++i)
        QVERIFY(!quitter.handle(request, 0).quit);
    const Board::Outcome last = quitter.handle(request, 0);
    QVERIFY(last.quit);
    QCOMPARE(last.pieces.size(), 1);
    QVERIFY(last.pieces[0].bytes.startsWith(":Y+01+51+"));
    QVERIFY(!last.pieces[0].bytes.contains('~'));
}

QTEST_GUILESS_MAIN(TestBoardSim)
#include "tst_boardsim.moc"
