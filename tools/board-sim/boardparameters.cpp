#include "boardparameters.h"

#include <cstddef>

using std::size_t;

namespace {
constexpr int MaxCells = 25;

struct Default
{
    int code;
    int value;
};

// Cell-count independent factory values (temperatures in degrees + 40).
constexpr Default Defaults[] = {
    { BoardParameters::ChargeOverCurrent, 100 },
    { BoardParameters::ChargeOverCurrentDelay, 2000 },
    { BoardParameters::DischargeOverCurrent1, 150 },
    { BoardParameters::DischargeOverCurrent2, 300 },
    { BoardParameters::DischargeOverCurrent1Delay, 2000 },
    { BoardParameters::DischargeOverCurrent2Delay, 200 },
    { BoardParameters::CellUnderVoltage, 2500 },
    { BoardParameters::CellUnderVoltageRecovery, 2900 },
    { BoardParameters::CellUnderVoltageDelay, 2000 },
    { BoardParameters::CellOverVoltage, 3650 },
    { BoardParameters::CellOverVoltageRecovery, 3400 },
    { BoardParameters::CellOverVoltageDelay, 2000 },
    { BoardParameters::ChargeHighTemp, 55 + 40 },
    { BoardParameters::ChargeHighTempRecovery, 50 + 40 },
    { BoardParameters::ChargeLowTemp, 0 + 40 },
    { BoardParameters::ChargeLowTempRecovery, 5 + 40 },
    { BoardParameters::DischargeHighTemp, 65 + 40 },
    { BoardParameters::DischargeHighTempRecovery, 60 + 40 },
    { BoardParameters::DischargeLowTemp, -20 + 40 },
    { BoardParameters::DischargeLowTempRecovery, -10 + 40 },
    { BoardParameters::BalanceVoltage, 3400 },
    { BoardParameters::BalanceStartDifference, 30 },
    { BoardParameters::DesignCapacity, 100 },
    { BoardParameters::SenseResistance, 1000 },
    { BoardParameters::ShortCircuitVoltage, 500 },
    { BoardParameters::ShortCircuitDelay, 250 },
    { BoardParameters::CellDifferenceProtection, 800 },
    { BoardParameters::CurrentCompensation, 0 },
    { BoardParameters::ChargeHighTempAlarm, 50 + 40 },
    { BoardParameters::ChargeLowTempAlarm, 5 + 40 },
    { BoardParameters::VoltageProtectionGain, 1000 },
    { BoardParameters::DischargeHighTempAlarm, 60 + 40 },
    { BoardParameters::DischargeLowTempAlarm, -10 + 40 },
    { BoardParameters::CurrentType, 1 },
    { BoardParameters::Debug, 0 },
};
} // namespace

BoardParameters::BoardParameters(int cells)
    : m_defaultCells(cells < 1              ? 1
                         : cells > MaxCells ? MaxCells
                                            : cells)
{
    restoreDefaults();
}

void BoardParameters::restoreDefaults()
{
    m_values.fill(0);
    for (const Default &d : Defaults)
        m_values[size_t(d.code)] = uint16_t(d.value);
    // Pack thresholds follow the cell thresholds, in 10 mV.
    const int n = m_defaultCells;
    m_values[CellsInSeries] = uint16_t(n);
    m_values[PackUnderVoltage] = uint16_t(n * 2500 / 10);
    m_values[PackUnderVoltageRecovery] = uint16_t(n * 2900 / 10);
    m_values[PackOverVoltage] = uint16_t(n * 3650 / 10);
    m_values[PackOverVoltageRecovery] = uint16_t(n * 3400 / 10);
}

bool BoardParameters::isParameter(int code)
{
    if (code >= ChargeOverCurrent && code <= ShortCircuitDelay)
        return true;
    switch (code) {
    case CellDifferenceProtection:
    case PackUnderVoltage:
    case PackUnderVoltageRecovery:
    case PackOverVoltage:
    case PackOverVoltageRecovery:
    case CurrentCompensation:
    case ChargeHighTempAlarm:
    case ChargeLowTempAlarm:
    case VoltageProtectionGain:
    case DischargeHighTempAlarm:
    case DischargeLowTempAlarm:
    case CurrentType:
    case Debug:
        return true;
    default:
        return false;
    }
}

BoardParameters::WriteResult BoardParameters::write(int code, uint16_t value)
{
    if (!isParameter(code))
        return WriteResult::NotAParameter;
    // The pack model divides by the capacity and sizes its arrays by the cell count.
    if (code == CellsInSeries && (value < 1 || value > MaxCells))
        return WriteResult::OutOfRange;
    if (code == DesignCapacity && value == 0)
        return WriteResult::OutOfRange;
    m_values[size_t(code)] = value;
    return WriteResult::Stored;
}

uint16_t BoardParameters::value(int code) const
{
    return code >= 0 && code < int(m_values.size()) ? m_values[size_t(code)] : 0;
}
