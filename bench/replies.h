#pragma once

// Real-time replies for the benchmarks, built the way the board builds them.
#include "crc.h"

#include <QByteArray>

#include <cstdint>

namespace BenchReplies {

inline QByteArray hex(int value, int width)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(width, '0');
}

// A real-time reply whose values move with step, as a live pack's do: cell voltages, current,
// temperatures, state of charge, balancing and now and then a protection or an alarm.
inline QByteArray reply(int step)
{
    QByteArray block;
    for (int k = 0; k < 25; ++k)
        block += hex(3250 + (k * 7 + step * 3) % 90, 4);
    for (int i = 0; i < 6; ++i)
        block += hex(4000 + 2500 + 10 * i + step % 40, 4);
    block += hex(step % 16 == 5 ? 7 : 0, 1); // protection
    block += hex(step % 8 == 3 ? 2 : 0, 1); // alarm
    block += hex(step % 3, 1); // job
    block += "11"; // charge and discharge MOSFETs
    block += QByteArray::number(quint32(-40000 + 800 * step), 16)
                 .toUpper()
                 .right(8)
                 .rightJustified(8, '0'); // current, mA
    block += hex(step, 8) + hex(16 * step, 8) + hex(32 * step, 8); // NEWCC, CHGVV, DSGVV
    block += hex(12, 4); // cycles
    block += hex((1 << (step % 16)) | 1, 4); // balancing
    for (int v : { 52000 + step % 1000, 3300 + step % 5, 3339, 3250, 89, 1, 3339 })
        block += hex(v, 4);
    block += hex(40 + step % 50, 2) + hex(16, 2) + hex(100, 2) + hex(7, 4) + hex(99, 4);
    const QByteArray span = ":Y+01+51+" + block;
    const uint16_t crc =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(span.constData()), span.size());
    return span + '+' + hex(crc, 4) + '~';
}

// The values reply(step) carries in the columns a reader checks: cell 1 in mV, current in mA.
inline int cell1(int step)
{
    return 3250 + (step * 3) % 90;
}
inline int currentMilliamps(int step)
{
    return int(quint32(-40000 + 800 * step));
}

} // namespace BenchReplies
