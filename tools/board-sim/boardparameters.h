#pragma once

#include <array>
#include <cstdint>

// The board's own parameter set, held in the units the write frames carry: currents in A, delays
// in ms, cell voltages in mV, pack voltages in 10 mV, temperatures in degrees Celsius + 40 and
// the current compensation as a signed 16-bit number. The parameter block reports them back in
// the same units, so a read-back shows exactly what was written.
class BoardParameters
{
public:
    // Write codes that address a stored parameter.
    enum Code : int {
        ChargeOverCurrent = 0x00,
        ChargeOverCurrentDelay = 0x01,
        DischargeOverCurrent1 = 0x02,
        DischargeOverCurrent2 = 0x03,
        DischargeOverCurrent1Delay = 0x04,
        DischargeOverCurrent2Delay = 0x05,
        CellUnderVoltage = 0x06,
        CellUnderVoltageRecovery = 0x07,
        CellUnderVoltageDelay = 0x08,
        CellOverVoltage = 0x09,
        CellOverVoltageRecovery = 0x0A,
        CellOverVoltageDelay = 0x0B,
        ChargeHighTemp = 0x0C,
        ChargeHighTempRecovery = 0x0D,
        ChargeLowTemp = 0x0E,
        ChargeLowTempRecovery = 0x0F,
        DischargeHighTemp = 0x10,
        DischargeHighTempRecovery = 0x11,
        DischargeLowTemp = 0x12,
        DischargeLowTempRecovery = 0x13,
        BalanceVoltage = 0x14,
        BalanceStartDifference = 0x15,
        CellsInSeries = 0x16,
        DesignCapacity = 0x17,
        SenseResistance = 0x18,
        ShortCircuitVoltage = 0x19,
        ShortCircuitDelay = 0x1A,
        CellDifferenceProtection = 0x1F,
        PackUnderVoltage = 0x20,
        PackUnderVoltageRecovery = 0x21,
        PackOverVoltage = 0x22,
        PackOverVoltageRecovery = 0x23,
        CurrentCompensation = 0x24,
        ChargeHighTempAlarm = 0x26,
        ChargeLowTempAlarm = 0x28,
        VoltageProtectionGain = 0x2C,
        DischargeHighTempAlarm = 0x3F,
        DischargeLowTempAlarm = 0x41,
        CurrentType = 0x46,
        Debug = 0x4A,
    };

    // Fixed device values that no write changes.
    static constexpr int FirmwareVersion = 0x0065; // shown as 101, i.e. V1.01
    static constexpr int DeepSleepDifference = 100; // mV
    static constexpr int LearningFactorRaw = 20; // the block carries the factor doubled
    static constexpr int SamplingInterval = 100; // ms
    static constexpr int TemperatureOffset = 40;
    static constexpr int CompensationOffset = 100; // the block reports compensation + 100

    enum class WriteResult {
        Stored,
        OutOfRange, // the board keeps its value: the pack model cannot work with it
        NotAParameter, // a device command or an unknown code
    };

    explicit BoardParameters(int cells = 16);

    // Factory values for a LiFePO4 pack of the configured cell count; nothing trips in normal use.
    void restoreDefaults();
    WriteResult write(int code, uint16_t value);

    static bool isParameter(int code);
    uint16_t value(int code) const;
    // A temperature parameter in degrees Celsius.
    int celsius(int code) const { return int(value(code)) - TemperatureOffset; }
    int currentCompensation() const { return int16_t(value(CurrentCompensation)); }
    int cellsInSeries() const { return value(CellsInSeries); }

private:
    int m_defaultCells;
    std::array<uint16_t, 0x50> m_values{};
};
