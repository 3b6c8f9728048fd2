#include "logcolumns.h"

#include <QCoreApplication>

#include <limits>

namespace LogColumns {

namespace {
const char *const Captions[Count] = {
    QT_TRANSLATE_NOOP("MainWindow", "日期"),
    QT_TRANSLATE_NOOP("MainWindow", "时间"),
    QT_TRANSLATE_NOOP("MainWindow", "Pack"),
    QT_TRANSLATE_NOOP("MainWindow", "保护状态"),
    QT_TRANSLATE_NOOP("MainWindow", "工作状态"),
    QT_TRANSLATE_NOOP("MainWindow", "MOS状态"),
    QT_TRANSLATE_NOOP("MainWindow", "报警状态"),
    QT_TRANSLATE_NOOP("MainWindow", "均衡状态"),
    QT_TRANSLATE_NOOP("MainWindow", "SOC"),
    QT_TRANSLATE_NOOP("MainWindow", "SOH"),
    QT_TRANSLATE_NOOP("MainWindow", "电流(A)"),
    QT_TRANSLATE_NOOP("MainWindow", "总电压(V)"),
    QT_TRANSLATE_NOOP("MainWindow", "MOS温度(℃)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯温度1(℃)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯温度2(℃)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯温度3(℃)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯温度4(℃)"),
    QT_TRANSLATE_NOOP("MainWindow", "环境温度(℃)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯1(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯2(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯3(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯4(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯5(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯6(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯7(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯8(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯9(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯10(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯11(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯12(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯13(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯14(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯15(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯16(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯17(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯18(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯19(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯20(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯21(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯22(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯23(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯24(mV)"),
    QT_TRANSLATE_NOOP("MainWindow", "电芯25(mV)"),
};
} // namespace

const char *sourceCaption(int column)
{
    return column >= 0 && column < Count ? Captions[column] : nullptr;
}

int divisor(int column)
{
    if (column == 10 || column == 11)
        return 1000;
    if (column >= 12 && column <= 17)
        return 100;
    return 1;
}

Range range(int column)
{
    // A field of n characters: "-" and n - 1 digits up to n digits.
    const auto field = [](int n) {
        const qint32 top = qint32((qint64(1) << (4 * n)) - 1);
        return Range{ n == 1 ? 0 : -((top >> 4)), top };
    };
    constexpr int TemperatureOffset = 4000;
    if (column >= FirstCell && column < Count)
        return field(4);
    if (column >= 12 && column <= 17) {
        const Range sent = field(4);
        return { sent.min - TemperatureOffset, sent.max - TemperatureOffset };
    }
    switch (column) {
    case 2: // the board's address
    case 8: // state of charge
        return field(2);
    case 3: // protection, job and alarm codes: one digit each
    case 4:
    case 6:
        return field(1);
    case 5: // 1 << the discharge digit, ORed with the charge digit
        return { 0, (1 << 15) | 15 };
    case 7: // balance bits, state of health, pack voltage
    case 9:
    case 11:
        return field(4);
    case 10: // the current
        return { std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max() };
    }
    return { 0, 0 };
}

int decimals(int column)
{
    if (column == 10 || column == 11)
        return 2;
    if (column >= 12 && column <= 17)
        return 1;
    return 0;
}

QString caption(int column)
{
    const char *source = sourceCaption(column);
    return source ? QCoreApplication::translate("MainWindow", source) : QString();
}

} // namespace LogColumns
