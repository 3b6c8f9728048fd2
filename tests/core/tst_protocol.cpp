// The wire protocol: checksum, frame building, the received-block check and the field reader.
#include "commandcodes.h"
#include "crc.h"
#include "fields.h"
#include "frame.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
// Straightforward bit-by-bit CRC-16/MODBUS, independent of the nibble table under test.
uint16_t referenceCrc(const QByteArray &bytes)
{
    uint16_t crc = 0xFFFF;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

uint16_t crcOf(const QByteArray &bytes)
{
    return CRC::CRC16(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
}

// A reply as the board sends it: CRC over everything before the last "+".
QByteArray reply(const QByteArray &span, bool upperCase = false)
{
    QByteArray crc = QByteArray::number(crcOf(span), 16).rightJustified(4, '0');
    return span + '+' + (upperCase ? crc.toUpper() : crc) + '~';
}
} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void crcCheckValue();
    void crcMatchesBitwiseReference();
    void addressDigits();
    void readRequests();
    void prefixAddressInsertion();
    void writeFrames_data();
    void writeFrames();
    void writeFrameLayoutForEveryValueLength();
    void lowerAndUpperCaseCodeDiffer();
    void replyCheckAccepts_data();
    void replyCheckAccepts();
    void replyCheckRejects();
    void replyCheckParts();
    void nonHexCrcMatchesOnlyZero();
    void hexConversionFollowsQt_data();
    void hexConversionFollowsQt();
    void hexConversionRandomAgainstQt();
    void signedHexConversion_data();
    void signedHexConversion();
    void fieldsAreCutFromTheRight();
    void shortBlockLeavesLeftFieldsEmpty();
};

void TestProtocol::crcCheckValue()
{
    QCOMPARE(crcOf("123456789"), uint16_t(0x4B37));
    QCOMPARE(CRC::CRC16(nullptr, 0), uint16_t(0xFFFF));
}

void TestProtocol::crcMatchesBitwiseReference()
{
    QRandomGenerator rng(20261207);
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes(int(rng.bounded(0, 300)), Qt::Uninitialized);
        for (char &c : bytes)
            c = char(rng.bounded(256));
        QCOMPARE(crcOf(bytes), referenceCrc(bytes));
    }
}

void TestProtocol::addressDigits()
{
    QCOMPARE(Frame::addressDigits(0), QByteArray("00"));
    QCOMPARE(Frame::addressDigits(1), QByteArray("01"));
    QCOMPARE(Frame::addressDigits(10), QByteArray("0A"));
    QCOMPARE(Frame::addressDigits(99), QByteArray("63"));
    QCOMPARE(Frame::addressDigits(255), QByteArray("FF"));
}

void TestProtocol::readRequests()
{
    QCOMPARE(Frame::readRequest(1, Cmd::ReadRealTime), QByteArray(":Y+01+51=?~"));
    QCOMPARE(Frame::readRequest(2, Cmd::ReadRealTime), QByteArray(":Y+02+51=?~"));
    QCOMPARE(Frame::readRequest(10, Cmd::ReadParameters), QByteArray(":Y+0A+52=?~"));
}

void TestProtocol::prefixAddressInsertion()
{
    QCOMPARE(Frame::withAddress(Cmd::ChargeOverCurrent, 1), QByteArray(":W+01+00+"));
    QCOMPARE(Frame::withAddress(Cmd::CellsInSeries, 2), QByteArray(":W+02+16+"));
    QCOMPARE(Frame::withAddress(Cmd::InitParameters, 10), QByteArray(":W+0A+4f+"));
}

void TestProtocol::writeFrames_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("2, CRC padded")
        << QByteArray(":W++00+") << 1 << 2 << QByteArray(":W+01+00+01+2+0024~");
    QTest::newRow("500") << QByteArray(":W++00+") << 1 << 500
                         << QByteArray(":W+01+00+03+1f4+6edc~");
}

void TestProtocol::writeFrames()
{
    QFETCH(QByteArray, prefix);
    QFETCH(int, address);
    QFETCH(int, value);
    QFETCH(QByteArray, frame);
    QCOMPARE(Frame::writeFrame(Frame::withAddress(prefix, address), uint16_t(value)), frame);
}

void TestProtocol::writeFrameLayoutForEveryValueLength()
{
    struct Case
    {
        uint16_t value;
        const char *length;
        const char *data;
    };
    const Case cases[] = {
        { 0, "01", "0" },       { 0xF, "01", "f" },       { 0x10, "02", "10" },
        { 0xABC, "03", "abc" }, { 0x1000, "04", "1000" }, { 65535, "04", "ffff" }
    };
    for (const Case &c : cases) {
        const QByteArray target = Frame::withAddress(Cmd::CellOverVoltageRecovery, 10);
        const QByteArray frame = Frame::writeFrame(target, c.value);
        const int n = int(qstrlen(c.data));
        QCOMPARE(frame.size(), 18 + n);
        QCOMPARE(frame.left(12), QByteArray(":W+0A+0A+") + c.length + '+');
        QCOMPARE(frame.mid(12, n), QByteArray(c.data));
        QCOMPARE(frame.at(12 + n), '+');
        QCOMPARE(frame.right(1), QByteArray("~"));
        const QByteArray crcText = frame.mid(13 + n, 4);
        QCOMPARE(crcText, crcText.toLower());
        QCOMPARE(crcText.toUInt(nullptr, 16), uint(referenceCrc(frame.left(13 + n))));
    }
}

void TestProtocol::lowerAndUpperCaseCodeDiffer()
{
    const QByteArray lower = Frame::writeFrame(Frame::withAddress(Cmd::InitParameters, 1), 90);
    const QByteArray upper =
        Frame::writeFrame(Frame::withAddress(Cmd::InitProtectionParameters, 1), 90);
    QCOMPARE(lower.left(15), QByteArray(":W+01+4f+02+5a+"));
    QCOMPARE(upper.left(15), QByteArray(":W+01+4F+02+5a+"));
    QVERIFY(lower.mid(15, 4) != upper.mid(15, 4));
}

void TestProtocol::replyCheckAccepts_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::newRow("lower-case CRC") << QByteArray(":Y+01+51+0a+77e3~");
    QTest::newRow("upper-case CRC") << QByteArray(":Y+01+51+0a+77E3~");
    QTest::newRow("trailing line end and blanks") << QByteArray(":Y+01+51+0a+77e3~\r\n  ");
    QTest::newRow("leading blanks") << QByteArray(" \n:Y+01+51+0a+77e3~");
    QTest::newRow("noise before the frame") << QByteArray("\x01garbage+~+:Y+01+51+0a+77e3~");
    QTest::newRow("fields between code and data") << reply(":Y+01+51+ignored+also+00ff") + "\r\n";
}

void TestProtocol::replyCheckAccepts()
{
    QFETCH(QByteArray, block);
    const Frame::ReplyCheck check = Frame::checkReply(block);
    QVERIFY(check.hasStart);
    QVERIFY(check.crcMatches);
    QCOMPARE(check.kind, 'Y');
    QCOMPARE(check.code, 0x51);
    QCOMPARE(check.addressText(), QByteArray("01"));
}

void TestProtocol::replyCheckRejects()
{
    // No ":" at all: dropped without a check.
    Frame::ReplyCheck check = Frame::checkReply("Y+01+51+0a+77e3~");
    QVERIFY(!check.hasStart);
    QVERIFY(!check.crcMatches);
    QVERIFY(!Frame::checkReply(QByteArray()).hasStart);

    // A wrong digit anywhere in the span or the CRC.
    check = Frame::checkReply(":Y+01+51+0b+77e3~");
    QVERIFY(check.hasStart);
    QVERIFY(!check.crcMatches);
    QVERIFY(!Frame::checkReply(":Y+01+51+0a+77e4~").crcMatches);

    // Two whole frames in one block: the span runs from the first ":" to the last "+".
    const QByteArray one(":Y+01+51+0a+77e3~");
    QVERIFY(!Frame::checkReply(one + one).crcMatches);

    // Cut short: no CRC left.
    QVERIFY(!Frame::checkReply(":Y+01+51+0a+").crcMatches);
    QVERIFY(!Frame::checkReply(":").crcMatches);
}

void TestProtocol::replyCheckParts()
{
    const Frame::ReplyCheck check = Frame::checkReply("xx" + reply(":Y+0A+52+1+2+00320064"));
    QVERIFY(check.crcMatches);
    QCOMPARE(check.span, QByteArray(":Y+0A+52+1+2+00320064"));
    QCOMPARE(check.addressText(), QByteArray("0A"));
    QCOMPARE(check.code, 0x52);
    QCOMPARE(check.dataBlock(), QByteArray("00320064"));

    // A write frame with a valid reply CRC is accepted; the caller decodes only 'Y'.
    const Frame::ReplyCheck write = Frame::checkReply(reply(":W+01+53+5a"));
    QVERIFY(write.crcMatches);
    QCOMPARE(write.kind, 'W');

    // No "+" after the ":": the span is the rest of the block.
    const Frame::ReplyCheck bare = Frame::checkReply("+:Y01");
    QCOMPARE(bare.span, QByteArray(":Y01"));
    QCOMPARE(bare.code, 0);
}

void TestProtocol::nonHexCrcMatchesOnlyZero()
{
    QVERIFY(!Frame::checkReply(":Y+01+51+0a+zzzz~").crcMatches);

    // Append the CRC low byte first: the CRC of the whole span is then 0, which is what an
    // unreadable CRC field reads as.
    QByteArray span(":Y+01+53+0a");
    const uint16_t crc = crcOf(span);
    span.append(char(crc & 0xFF)).append(char(crc >> 8));
    QCOMPARE(crcOf(span), uint16_t(0));
    QVERIFY(Frame::checkReply(span + "+zzzz~").crcMatches);
    QVERIFY(Frame::checkReply(span + "+0000~").crcMatches);
    QVERIFY(!Frame::checkReply(span + "+0001~").crcMatches);
}

void TestProtocol::hexConversionFollowsQt_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("upper") << QByteArray("0FA0") << 4000;
    QTest::newRow("lower") << QByteArray("1d4c") << 7500;
    QTest::newRow("largest int") << QByteArray("7FFFFFFF") << 0x7FFFFFFF;
    QTest::newRow("0x80000000 reads 0") << QByteArray("80000000") << 0;
    QTest::newRow("0xFFFFFFFF reads 0") << QByteArray("FFFFFFFF") << 0;
    QTest::newRow("FFFFFF9C reads 0") << QByteArray("FFFFFF9C") << 0;
    QTest::newRow("invalid") << QByteArray("12G4") << 0;
    QTest::newRow("long but small") << QByteArray("0000000000000010") << 16;
    QTest::newRow("long overflow") << QByteArray("100000000") << 0;
    QTest::newRow("blank inside") << QByteArray("1 2") << 0;
}

void TestProtocol::hexConversionFollowsQt()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    QCOMPARE(hexToInt(text), value);
    QCOMPARE(hexToInt(text), text.toInt(nullptr, 16));
}

void TestProtocol::hexConversionRandomAgainstQt()
{
    static const char alphabet[] = "0123456789abcdefABCDEF +-xXgG\t";
    QRandomGenerator rng(7);
    for (int i = 0; i < 20000; ++i) {
        QByteArray text(int(rng.bounded(0, 11)), Qt::Uninitialized);
        for (char &c : text)
            c = alphabet[rng.bounded(int(sizeof alphabet - 1))];
        QCOMPARE(hexToInt(text), text.toInt(nullptr, 16));
    }
}

void TestProtocol::signedHexConversion_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("small positive") << QByteArray("000005DC") << 1500;
    QTest::newRow("largest int") << QByteArray("7FFFFFFF") << 0x7FFFFFFF;
    QTest::newRow("-100") << QByteArray("FFFFFF9C") << -100;
    QTest::newRow("-39984 lower case") << QByteArray("ffff63d0") << -39984;
    QTest::newRow("-1") << QByteArray("FFFFFFFF") << -1;
    QTest::newRow("smallest int") << QByteArray("80000000") << std::numeric_limits<int>::min();
    QTest::newRow("short field stays positive") << QByteArray("FF9C") << 0xFF9C;
    // Anything but plain digits keeps the general rule.
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("invalid") << QByteArray("FFFFFFG0") << 0;
    QTest::newRow("written sign") << QByteArray("-64") << -100;
    QTest::newRow("nine digits") << QByteArray("0FFFFFFFF") << 0;
}

void TestProtocol::signedHexConversion()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    QCOMPARE(signedHexToInt(text.constData(), text.size()), value);
    FieldReader reader("01" + text);
    QCOMPARE(reader.takeSigned(text.size()), value);
    QCOMPARE(reader.take(2), 1);
}

void TestProtocol::fieldsAreCutFromTheRight()
{
    FieldReader reader("0001000200FFFFFFFF0A");
    QCOMPARE(reader.take(2), 0x0A);
    QCOMPARE(reader.take(8), 0); // above 0x7FFFFFFF
    QCOMPARE(reader.takeText(2), QByteArray("00"));
    QCOMPARE(reader.take(4), 2);
    QCOMPARE(reader.remaining(), 4);
    QCOMPARE(reader.take(4), 1);
    QCOMPARE(reader.remaining(), 0);

    // A block longer than its layout: the surplus at the left is never read.
    FieldReader longer("XYZ0010");
    QCOMPARE(longer.take(4), 16);
    QCOMPARE(longer.remaining(), 3);
}

void TestProtocol::shortBlockLeavesLeftFieldsEmpty()
{
    FieldReader reader("ABC0064");
    QCOMPARE(reader.take(4), 0x64);
    QCOMPARE(reader.takeText(4), QByteArray("ABC")); // only what remains
    QCOMPARE(reader.takeText(4), QByteArray());
    QCOMPARE(reader.take(8), 0);
    QCOMPARE(reader.remaining(), 0);
}

QTEST_APPLESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
