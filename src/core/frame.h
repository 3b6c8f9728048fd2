#pragma once

#include <QByteArray>
#include <cstdint>

// The three frame kinds of the board's protocol. Every frame runs from ":" to "~", fields are
// separated by "+", numbers travel as hexadecimal text.
//   read request  :Y+<addr>+<code>=?~                 (no checksum)
//   write request :W+<addr>+<code>+0<n>+<data>+<crc>~ (CRC over everything before <crc>)
//   reply         :Y+<addr>+<code>+...<data>+<crc>~   (CRC over everything before the last "+")
namespace Frame {

// The board address as exactly two upper-case hex digits: 1 -> "01", 10 -> "0A", 99 -> "63".
QByteArray addressDigits(int address);

// ":Y+" address "+" code "=?~"; code is the two digits, e.g. "51".
QByteArray readRequest(int address, const char *code);

// Inserts the address digits in front of the second "+" of a 7-character write prefix:
// ":W++00+" at address 1 gives ":W+01+00+".
QByteArray withAddress(const QByteArray &prefix, int address);

// Completes a write request from its first nine bytes ":W+<addr>+<code>+" and a 16-bit value:
// length field, lower-case data without leading zeros, lower-case CRC padded to four digits.
QByteArray writeFrame(const QByteArray &target, uint16_t value);

// Result of checking one received block.
struct ReplyCheck
{
    bool hasStart = false; // a ":" was found; without one the block is dropped silently
    bool crcMatches = false;
    QByteArray span; // from the first ":" up to, not including, the last "+"
    char kind = 0; // the character after ":"; only 'Y' replies carry data
    int code = 0; // span offsets 6 and 7 read as hex (0x51 real-time data, 0x52 parameters)

    // The two address characters exactly as received (span offsets 3 and 4).
    QByteArray addressText() const { return span.mid(3, 2); }
    // The data block: what follows the last "+" of the span.
    QByteArray dataBlock() const { return span.mid(span.lastIndexOf('+') + 1); }
};

// Checks a received block: the span from the first ":" to the last "+" against the four CRC
// characters in front of the block's last character (blanks and line ends at either end are
// ignored; text that is not hex reads 0).
ReplyCheck checkReply(const QByteArray &block);

} // namespace Frame
