#pragma once

// What the simulated board sent, read from its log and decoded field by field as the board lays
// the real-time block out (left to right, hex, the widths of the board's layout), without the
// tool's decoder.
#include <QByteArray>
#include <QVector>

struct SentReply
{
    QVector<int> cells;
    QVector<int> tempsCenti;
    int job = 0;
    qint64 currentMa = 0;
    int cycles = 0;
    int packMv = 0;
    int soc = 0;
    int cellCount = 0;
};

inline SentReply decodeSentBlock(const QByteArray &block)
{
    SentReply s;
    int pos = 0;
    const auto take = [&](int width) {
        const qint64 v = block.mid(pos, width).toLongLong(nullptr, 16);
        pos += width;
        return v;
    };
    for (int i = 0; i < 25; ++i)
        s.cells << int(take(4));
    for (int i = 0; i < 6; ++i)
        s.tempsCenti << int(take(4) - 4000);
    take(1); // protection
    take(1); // alarms
    s.job = int(take(1));
    take(2); // the MOSFETs
    s.currentMa = qint32(quint32(take(8))); // two's complement while discharging
    take(24); // remaining, charged, discharged
    s.cycles = int(take(4));
    take(4); // balancing
    s.packMv = int(take(4));
    take(24); // average, highest, lowest, the two differences, the highest cell
    s.soc = int(take(2));
    s.cellCount = int(take(2));
    return s;
}

// Every real-time reply pack address sent, in order.
inline QVector<SentReply> sentReplies(const QByteArray &log, int address = 1)
{
    const QByteArray marker =
        " TX :Y+" + QByteArray::number(address, 16).toUpper().rightJustified(2, '0') + "+51+";
    QVector<SentReply> replies;
    for (int at = log.indexOf(marker); at >= 0; at = log.indexOf(marker, at + 1))
        replies << decodeSentBlock(log.mid(at + marker.size(), 211));
    return replies;
}

inline SentReply lastSentReply(const QByteArray &log)
{
    const QVector<SentReply> all = sentReplies(log);
    return all.isEmpty() ? SentReply() : all.last();
}
