#include "requestparser.h"

#include "crc.h"

#include <QList>

namespace {
int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A whole field of 1 to maxDigits hex digits; -1 for anything else.
int hexField(const QByteArray &text, int maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return -1;
    int value = 0;
    for (char c : text) {
        const int d = hexDigit(c);
        if (d < 0)
            return -1;
        value = value * 16 + d;
    }
    return value;
}
} // namespace

QVector<FrameSplitter::Chunk> FrameSplitter::feed(const QByteArray &bytes)
{
    QVector<Chunk> out;
    auto garbage = [&out](const QByteArray &b) {
        if (b.isEmpty())
            return;
        if (!out.isEmpty() && !out.last().isFrame)
            out.last().bytes.append(b);
        else
            out.append({ b, false });
    };

    m_buffer.append(bytes);
    for (;;) {
        const int start = m_buffer.indexOf(':');
        if (start < 0) {
            garbage(m_buffer);
            m_buffer.clear();
            break;
        }
        if (start > 0) {
            garbage(m_buffer.left(start));
            m_buffer.remove(0, start);
        }
        const int end = m_buffer.indexOf('~', 1);
        const int restart = m_buffer.indexOf(':', 1);
        if (end >= 0 && (restart < 0 || end < restart)) {
            out.append({ m_buffer.left(end + 1), true });
            m_buffer.remove(0, end + 1);
            continue;
        }
        if (restart >= 0) {
            garbage(m_buffer.left(restart));
            m_buffer.remove(0, restart);
            continue;
        }
        if (m_buffer.size() > MaxFrame) {
            garbage(m_buffer);
            m_buffer.clear();
        }
        break;
    }
    return out;
}

Request parseRequest(const QByteArray &frame)
{
    Request r;
    if (frame.size() < 11 || frame[0] != ':' || frame[2] != '+' || !frame.endsWith('~'))
        return r;

    if (frame[1] == 'Y') {
        if (frame.size() != 11 || frame[5] != '+' || !frame.endsWith("=?~"))
            return r;
        r.address = hexField(frame.mid(3, 2), 2);
        r.code = hexField(frame.mid(6, 2), 2);
        if (r.address < 0 || r.code < 0)
            return r;
        r.kind = Request::Read;
        return r;
    }

    if (frame[1] != 'W')
        return r;
    // W, address, code, length, data, CRC
    const QList<QByteArray> parts = frame.mid(1, frame.size() - 2).split('+');
    if (parts.size() != 6 || parts[1].size() != 2 || parts[2].size() != 2 || parts[3].size() != 2
        || parts[5].size() != 4)
        return r;
    const int address = hexField(parts[1], 2);
    const int code = hexField(parts[2], 2);
    const int length = hexField(parts[3], 2);
    const int value = hexField(parts[4], 4);
    const int crc = hexField(parts[5], 4);
    if (address < 0 || code < 0 || value < 0 || crc < 0 || length != parts[4].size())
        return r;
    r.kind = Request::Write;
    r.address = address;
    r.code = code;
    r.value = uint16_t(value);
    const int covered = frame.lastIndexOf('+') + 1;
    r.crcMatches =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(frame.constData()), covered) == crc;
    return r;
}
