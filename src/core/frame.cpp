#include "frame.h"

#include "crc.h"
#include "fields.h"

namespace Frame {

namespace {
const char HexLower[] = "0123456789abcdef";
const char HexUpper[] = "0123456789ABCDEF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

uint16_t crcOf(const QByteArray &bytes)
{
    return CRC::CRC16(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
}
} // namespace

QByteArray addressDigits(int address)
{
    if (address >= 0 && address <= 0xFF) {
        const char digits[2] = { HexUpper[address >> 4], HexUpper[address & 0xF] };
        return QByteArray(digits, 2);
    }
    // Outside the address range of the form; still written in full, never cut.
    return QByteArray::number(address, 16).toUpper().rightJustified(2, '0');
}

QByteArray readRequest(int address, const char *code)
{
    QByteArray request;
    request.reserve(11);
    request.append(":Y+").append(addressDigits(address)).append('+').append(code).append("=?~");
    return request;
}

QByteArray withAddress(const QByteArray &prefix, int address)
{
    QByteArray target = prefix;
    const int second = target.indexOf('+', target.indexOf('+') + 1);
    target.insert(second < 0 ? target.size() : second, addressDigits(address));
    return target;
}

QByteArray writeFrame(const QByteArray &target, uint16_t value)
{
    char data[4];
    int n = 0;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const unsigned digit = (value >> shift) & 0xF;
        if (n > 0 || digit != 0 || shift == 0)
            data[n++] = HexLower[digit];
    }

    QByteArray frame;
    frame.reserve(target.size() + 9 + n);
    frame.append(target);
    frame.append('0').append(HexLower[n]).append('+');
    frame.append(data, n).append('+');

    const uint16_t crc = crcOf(frame);
    for (int shift = 12; shift >= 0; shift -= 4)
        frame.append(HexLower[(crc >> shift) & 0xF]);
    frame.append('~');
    return frame;
}

ReplyCheck checkReply(const QByteArray &block)
{
    ReplyCheck check;
    const int start = block.indexOf(':');
    if (start < 0)
        return check;
    check.hasStart = true;

    const int lastPlus = block.lastIndexOf('+');
    check.span = lastPlus > start ? block.mid(start, lastPlus - start) : block.mid(start);

    // The CRC field: four characters in front of the last character, blanks at both ends ignored.
    const char *p = block.constData();
    int begin = 0;
    int end = block.size();
    while (begin < end && isBlank(p[begin]))
        ++begin;
    while (end > begin && isBlank(p[end - 1]))
        --end;
    int fieldStart = end - 5;
    int fieldLen = 4;
    if (fieldStart < begin) {
        fieldLen -= begin - fieldStart;
        fieldStart = begin;
    }
    const int received = fieldLen > 0 ? hexToInt(p + fieldStart, fieldLen) : 0;
    check.crcMatches = received == crcOf(check.span);

    if (check.span.size() > 1)
        check.kind = check.span.at(1);
    if (check.span.size() > 6)
        check.code = hexToInt(check.span.constData() + 6, qMin(2, check.span.size() - 6));
    return check;
}

} // namespace Frame
