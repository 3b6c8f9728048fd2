#pragma once

// Every command code the tool sends or decodes. A write prefix is ":W++" code "+"; the board
// address is inserted in front of its second "+" (Frame::withAddress). The code travels exactly
// as written here and the CRC covers it, so ":W++4f+" and ":W++4F+" are different frames.
namespace Cmd {

// Read requests (":Y+" address "+" code "=?~") and the codes of their replies.
constexpr char ReadRealTime[] = "51";
constexpr char ReadParameters[] = "52";
constexpr int ReplyRealTime = 0x51;
constexpr int ReplyParameters = 0x52;

// Protection thresholds, recoveries and delays.
constexpr char ChargeOverCurrent[] = ":W++00+";
constexpr char ChargeOverCurrentDelay[] = ":W++01+";
constexpr char DischargeOverCurrent1[] = ":W++02+";
constexpr char DischargeOverCurrent2[] = ":W++03+";
constexpr char DischargeOverCurrent1Delay[] = ":W++04+";
constexpr char DischargeOverCurrent2Delay[] = ":W++05+";
constexpr char CellUnderVoltage[] = ":W++06+";
constexpr char CellUnderVoltageRecovery[] = ":W++07+";
constexpr char CellUnderVoltageDelay[] = ":W++08+";
constexpr char CellOverVoltage[] = ":W++09+";
constexpr char CellOverVoltageRecovery[] = ":W++0A+";
constexpr char CellOverVoltageDelay[] = ":W++0B+";

// Temperatures travel as degrees Celsius + 40.
constexpr char ChargeHighTemp[] = ":W++0C+";
constexpr char ChargeHighTempRecovery[] = ":W++0D+";
constexpr char ChargeLowTemp[] = ":W++0E+";
constexpr char ChargeLowTempRecovery[] = ":W++0F+";
constexpr char DischargeHighTemp[] = ":W++10+";
constexpr char DischargeHighTempRecovery[] = ":W++11+";
constexpr char DischargeLowTemp[] = ":W++12+";
constexpr char DischargeLowTempRecovery[] = ":W++13+";

// Balancing and device parameters.
constexpr char BalanceVoltage[] = ":W++14+";
constexpr char BalanceStartDifference[] = ":W++15+";
constexpr char CellsInSeries[] = ":W++16+";
constexpr char DesignCapacity[] = ":W++17+";
constexpr char SenseResistance[] = ":W++18+";
constexpr char ShortCircuitVoltage[] = ":W++19+";
constexpr char ShortCircuitDelay[] = ":W++1A+";
constexpr char BatteryNumber[] = ":W++1D+";
constexpr char CellDifferenceProtection[] = ":W++1F+";
constexpr char PackUnderVoltage[] = ":W++20+";
constexpr char PackUnderVoltageRecovery[] = ":W++21+";
constexpr char PackOverVoltage[] = ":W++22+";
constexpr char PackOverVoltageRecovery[] = ":W++23+";
constexpr char CurrentCompensation[] = ":W++24+";

// Alarm thresholds (temperatures + 40).
constexpr char ChargeHighTempAlarm[] = ":W++26+";
constexpr char ChargeLowTempAlarm[] = ":W++28+";
constexpr char VoltageProtectionGain[] = ":W++2C+";
constexpr char DischargeHighTempAlarm[] = ":W++3F+";
constexpr char DischargeLowTempAlarm[] = ":W++41+";
constexpr char CurrentType[] = ":W++46+";

// Device commands. The buttons send the fixed value CommandValue; the Debug page's line edits
// send a typed value with the same codes (4F in upper case there, 4f from the button).
constexpr char StartCalibration[] = ":W++48+";
constexpr char Debug[] = ":W++4A+";
constexpr char InitProtectionParameters[] = ":W++4F+";
constexpr char InitParameters[] = ":W++4f+";
constexpr char InitSoc[] = ":W++50+";
constexpr char Reset[] = ":W++53+";
constexpr unsigned short CommandValue = 90;

} // namespace Cmd
