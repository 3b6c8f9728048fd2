#include "logcolumns.h"

#include <QCoreApplication>

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
