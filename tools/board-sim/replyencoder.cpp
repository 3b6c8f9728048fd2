#include "replyencoder.h"

#include "crc.h"

namespace ReplyEncoder {

namespace {
const char Hex[] = "0123456789ABCDEF";

void appendFlag(QByteArray &out, bool on)
{
    out.append(on ? '1' : '0');
}
} // namespace

void appendField(QByteArray &out, qint64 value, int width)
{
    const qint64 max = (qint64(1) << (4 * width)) - 1;
    const quint64 v = quint64(value < 0 ? 0 : value > max ? max : value);
    for (int shift = 4 * (width - 1); shift >= 0; shift -= 4)
        out.append(Hex[(v >> shift) & 0xF]);
}

QByteArray addressDigits(int address)
{
    QByteArray digits;
    appendField(digits, address, 2);
    return digits;
}

QByteArray realTimeBlock(const Telemetry &t, const BoardParameters &p, bool signedCurrent)
{
    QByteArray b;
    b.reserve(RealTimeDigits);
    for (int mv : t.cellMv)
        appendField(b, mv, 4);
    for (int centi : t.tempCenti)
        appendField(b, centi + 4000, 4);
    appendField(b, t.protection, 1);
    appendField(b, t.alarms & 0xF, 1);
    appendField(b, t.job, 1);
    appendFlag(b, t.chargeMos);
    appendFlag(b, t.dischargeMos);
    const qint64 current = signedCurrent ? qint64(quint32(qint32(t.currentMa)))
                                         : (t.currentMa < 0 ? -qint64(t.currentMa) : t.currentMa);
    appendField(b, current, 8);
    appendField(b, t.remainingMah, 8); // NEWCC
    appendField(b, t.chargedMah, 8); // CHGVV
    appendField(b, t.dischargedMah, 8); // DSGVV
    appendField(b, t.cycles, 4);
    appendField(b, t.balancing & 0xFFFF, 4);
    appendField(b, t.packMv, 4);
    appendField(b, t.avgMv, 4);
    appendField(b, t.maxMv, 4);
    appendField(b, t.minMv, 4);
    appendField(b, t.maxDiffMv, 4);
    appendField(b, t.minDiffMv, 4);
    appendField(b, t.maxCell, 4);
    appendField(b, t.socPercent, 2);
    appendField(b, t.cellCount, 2);
    appendField(b, p.currentCompensation() + BoardParameters::CompensationOffset, 2);
    appendField(b, DampingValue, 4);
    appendField(b, t.sohPercent, 4);
    return b;
}

QByteArray parameterBlock(const BoardParameters &p, const Telemetry &t)
{
    using P = BoardParameters;
    QByteArray b;
    b.reserve(ParameterDigits);
    appendField(b, P::FirmwareVersion, 4);
    appendFlag(b, t.charger);
    appendFlag(b, t.load);
    appendField(b, p.currentCompensation() + P::CompensationOffset, 4);
    appendField(b, p.value(P::VoltageProtectionGain), 4);
    appendField(b, P::DeepSleepDifference, 4);
    appendField(b, P::LearningFactorRaw, 4);
    appendField(b, t.sohPercent, 4);
    appendField(b, P::SamplingInterval, 4);

    static constexpr int Thresholds[] = {
        P::ChargeOverCurrent,
        P::ChargeOverCurrentDelay,
        P::DischargeOverCurrent1,
        P::DischargeOverCurrent2,
        P::DischargeOverCurrent1Delay,
        P::DischargeOverCurrent2Delay,
        P::CellUnderVoltage,
        P::CellUnderVoltageRecovery,
        P::CellUnderVoltageDelay,
        P::CellOverVoltage,
        P::CellOverVoltageRecovery,
        P::CellOverVoltageDelay,
        P::ChargeHighTemp,
        P::ChargeHighTempRecovery,
        P::ChargeLowTemp,
        P::ChargeLowTempRecovery,
        P::DischargeHighTemp,
        P::DischargeHighTempRecovery,
        P::DischargeLowTemp,
        P::DischargeLowTempRecovery,
        P::BalanceVoltage,
        P::BalanceStartDifference,
        P::CellsInSeries,
        P::DesignCapacity,
        P::SenseResistance,
        P::ShortCircuitVoltage,
        P::ShortCircuitDelay,
        P::CellDifferenceProtection,
        P::PackOverVoltage,
        P::PackOverVoltageRecovery,
        P::PackUnderVoltage,
        P::PackUnderVoltageRecovery,
    };
    for (int code : Thresholds)
        appendField(b, p.value(code), 4);

    // Protection enables are fixed on; the MOSFET flags show the switches' present state.
    appendFlag(b, true); // pack over-voltage protection
    appendFlag(b, true); // pack under-voltage protection
    appendFlag(b, false); // buzzer
    appendFlag(b, t.chargeMos);
    appendFlag(b, true); // charge over-current protection
    appendFlag(b, true); // charge high-temperature protection
    appendFlag(b, true); // charge low-temperature protection
    appendField(b, p.value(P::Debug), 1);
    appendField(b, 0, 1); // SW
    appendFlag(b, true); // discharge over-current 1 protection
    appendFlag(b, true); // discharge over-current 2 protection
    appendFlag(b, true); // discharge high-temperature protection
    appendFlag(b, true); // discharge low-temperature protection
    appendFlag(b, t.dischargeMos);
    appendFlag(b, false); // sleep
    appendFlag(b, true); // cell over-voltage protection
    appendFlag(b, true); // cell under-voltage protection
    appendFlag(b, true); // cell difference protection
    appendFlag(b, t.calibrating);
    appendField(b, p.value(P::CurrentType), 2);
    appendField(b, t.calibrationAmps, 2);
    appendField(b, p.value(P::ChargeHighTempAlarm), 4);
    appendField(b, p.value(P::ChargeLowTempAlarm), 4);
    appendField(b, p.value(P::DischargeHighTempAlarm), 4);
    appendField(b, p.value(P::DischargeLowTempAlarm), 4);
    return b;
}

QByteArray reply(int address, int code, const QByteArray &block)
{
    QByteArray frame;
    frame.reserve(block.size() + 16);
    frame.append(":Y+").append(addressDigits(address)).append('+');
    appendField(frame, code, 2);
    frame.append('+').append(block);
    const uint16_t crc =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(frame.constData()), frame.size());
    frame.append('+');
    appendField(frame, crc, 4);
    frame.append('~');
    return frame;
}

} // namespace ReplyEncoder
