#pragma once

#include "boardparameters.h"
#include "packmodel.h"

#include <QByteArray>

// Builds the board's replies. The data blocks are written left to right, field by field, in the
// order the board lays them out; every number is upper-case hex, zero-padded to its field width.
// A number that does not fit its field is written as the largest value the field holds, so the
// layout never shifts.
namespace ReplyEncoder {

constexpr int RealTimeDigits = 211;
constexpr int ParameterDigits = 197;
constexpr int RealTimeCode = 0x51;
constexpr int ParameterCode = 0x52;
constexpr int DampingValue = 100;

void appendField(QByteArray &out, qint64 value, int width);

// The board address as two upper-case hex digits.
QByteArray addressDigits(int address);

// Real-time data. The current is written as its magnitude (the job code tells the direction)
// unless signedCurrent asks for 32-bit two's complement while discharging.
QByteArray realTimeBlock(const Telemetry &t, const BoardParameters &p, bool signedCurrent = false);

// The parameter block: the stored parameters in their write units, the fixed device values and
// the flags, with the live charger, load, MOSFET and calibration states.
QByteArray parameterBlock(const BoardParameters &p, const Telemetry &t);

// ":Y+" address "+" code "+" block "+" CRC "~", the CRC taken over everything in front of the
// last "+".
QByteArray reply(int address, int code, const QByteArray &block);

} // namespace ReplyEncoder
