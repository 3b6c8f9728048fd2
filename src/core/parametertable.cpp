#include "parametertable.h"

#include "commandcodes.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>

namespace ParameterTable {

const QVector<Row> &rows()
{
    static const QVector<Row> table = {
        // Protection thresholds, recoveries and delays.
        { "on_conf_chgc_btn_clicked", "conf_chgc", Cmd::ChargeOverCurrent, 1, 500, 0, "A" },
        { "on_conf_chgct_btn_clicked", "conf_chgct", Cmd::ChargeOverCurrentDelay, 100, 30000, 0,
          "mS" },
        { "on_conf_dsgc1_btn_clicked", "conf_dsgc1", Cmd::DischargeOverCurrent1, 1, 1000, 0, "A" },
        { "on_conf_dsgc2_btn_clicked", "conf_dsgc2", Cmd::DischargeOverCurrent2, 1, 1000, 0, "A" },
        { "on_conf_dsgc1t_btn_clicked", "conf_dsgc1t", Cmd::DischargeOverCurrent1Delay, 100, 30000,
          0, "mS" },
        { "on_conf_dsgc2t_btn_clicked", "conf_dsgc2t", Cmd::DischargeOverCurrent2Delay, 100, 2000,
          0, "mS" },
        { "on_conf_lv_btn_clicked", "conf_lv", Cmd::CellUnderVoltage, 1500, 3200, 0, "mV" },
        { "on_conf_lvre_btn_clicked", "conf_lvre", Cmd::CellUnderVoltageRecovery, 1500, 3200, 0,
          "mV" },
        { "on_conf_lvt_btn_clicked", "conf_lvt", Cmd::CellUnderVoltageDelay, 100, 5000, 0, "mS" },
        { "on_conf_hv_btn_clicked", "conf_hv", Cmd::CellOverVoltage, 1500, 5000, 0, "mV" },
        { "on_conf_hvre_btn_clicked", "conf_hvre", Cmd::CellOverVoltageRecovery, 1500, 5000, 0,
          "mV" },
        { "on_conf_hvt_btn_clicked", "conf_hvt", Cmd::CellOverVoltageDelay, 100, 10000, 0, "mS" },
        // Temperatures are typed in degrees Celsius and travel as degrees + 40.
        { "on_conf_chght_btn_clicked", "conf_chght", Cmd::ChargeHighTemp, 0, 100, 40, "℃" },
        { "on_conf_chghtre_btn_clicked", "conf_chghtre", Cmd::ChargeHighTempRecovery, 0, 100, 40,
          "℃" },
        { "on_conf_chglt_btn_clicked", "conf_chglt", Cmd::ChargeLowTemp, -20, 10, 40, "℃" },
        { "on_conf_chgltre_btn_clicked", "conf_chgltre", Cmd::ChargeLowTempRecovery, -20, 10, 40,
          "℃" },
        { "on_conf_dsght_btn_clicked", "conf_dsght", Cmd::DischargeHighTemp, 0, 100, 40, "℃" },
        { "on_conf_dsghtre_btn_clicked", "conf_dsghtre", Cmd::DischargeHighTempRecovery, 0, 100, 40,
          "℃" },
        { "on_conf_dsglt_btn_clicked", "conf_dsglt", Cmd::DischargeLowTemp, -40, 20, 40, "℃" },
        // The recovery allows less than its threshold: up to 10, not 20.
        { "on_conf_dsgltre_btn_clicked", "conf_dsgltre", Cmd::DischargeLowTempRecovery, -40, 10, 40,
          "℃" },
        // Balancing and device parameters.
        { "on_conf_blancev_btn_clicked", "conf_blancev", Cmd::BalanceVoltage, 1500, 5000, 0, "mV" },
        { "on_conf_blancevx_btn_clicked", "conf_blancevx", Cmd::BalanceStartDifference, 10, 1000, 0,
          "mV" },
        { "on_conf_totalcell_btn_clicked", "conf_totalcell", Cmd::CellsInSeries, 3, 25, 0, "" },
        { "on_conf_design_btn_clicked", "conf_design", Cmd::DesignCapacity, 1, 1000, 0, "" },
        { "on_conf_rs_btn_clicked", "conf_rs", Cmd::SenseResistance, 65, 10000, 0, "" },
        { "on_conf_short_btn_clicked", "conf_short", Cmd::ShortCircuitVoltage, 0, 5000, 0, "" },
        { "on_conf_shorttime_btn_clicked", "conf_shorttime", Cmd::ShortCircuitDelay, 0, 5000, 0,
          "" },
        { "on_conf_dnum_btn_clicked", "conf_dnum", Cmd::BatteryNumber, 0, 5000, 0, "" },
        { "on_conf_vxp_btn_clicked", "conf_vxp", Cmd::CellDifferenceProtection, 400, 1200, 0,
          "mV" },
        { "on_conf_avlp_btn_2_clicked", "conf_avlp_2", Cmd::PackUnderVoltage, 300, 10000, 0,
          "10mV" },
        { "on_conf_avlpre_btn_2_clicked", "conf_avlpre_2", Cmd::PackUnderVoltageRecovery, 300,
          10000, 0, "10mV" },
        { "on_conf_avhp_btn_2_clicked", "conf_avhp_2", Cmd::PackOverVoltage, 300, 10000, 0,
          "10mV" },
        { "on_conf_avhpre_btn_2_clicked", "conf_avhpre_2", Cmd::PackOverVoltageRecovery, 300, 10000,
          0, "10mV" },
        // Sent as typed, without an offset (read back as value + 100).
        { "on_conf_cax_btn_clicked", "conf_cax", Cmd::CurrentCompensation, -100, 100, 0, "" },
        // Alarm thresholds.
        { "on_conf_chght_alert_btn_clicked", "conf_chght_alert", Cmd::ChargeHighTempAlarm, 0, 100,
          40, "℃" },
        { "on_conf_chglt_alert_btn_clicked", "conf_chglt_alert", Cmd::ChargeLowTempAlarm, -30, 10,
          40, "℃" },
        { "on_conf_vpgine_btn_clicked", "conf_vpgine", Cmd::VoltageProtectionGain, 0, 5000, 0, "" },
        { "on_conf_dsght_alert_btn_clicked", "conf_dsght_alert", Cmd::DischargeHighTempAlarm, 0,
          100, 40, "℃" },
        { "on_conf_dsglt_alert_btn_clicked", "conf_dsglt_alert", Cmd::DischargeLowTempAlarm, -40,
          20, 40, "℃" },
        { "on_conf_getmod_btn_clicked", "conf_getmod", Cmd::CurrentType, 0, 65000, 0, "" },
        // Device commands with a typed argument (Debug page).
        { "on_conf_debug_btn_clicked", "conf_debug", Cmd::Debug, 0, 65500, 0, "" },
        { "on_conf_initafe_btn_clicked", "conf_initafe", Cmd::InitProtectionParameters, 0, 65500, 0,
          "" },
        { "on_conf_initsoc_btn_clicked", "conf_initsoc", Cmd::InitSoc, 0, 65500, 0, "" },
        { "on_conf_reset_btn_clicked", "conf_reset", Cmd::Reset, 0, 65500, 0, "" },
    };
    return table;
}

const Row *findByLineEdit(const QString &lineEditName)
{
    for (const Row &row : rows()) {
        if (lineEditName == QLatin1String(row.lineEdit))
            return &row;
    }
    return nullptr;
}

const Row *findBySlot(const QString &slotName)
{
    for (const Row &row : rows()) {
        if (slotName == QLatin1String(row.slot))
            return &row;
    }
    return nullptr;
}

const QVector<Command> &commands()
{
    static const QVector<Command> table = {
        { "btn_init_para", "on_btn_init_para_clicked", Cmd::InitParameters, Cmd::CommandValue },
        { "btn_init_soc", "on_btn_init_soc_clicked", Cmd::InitSoc, Cmd::CommandValue },
        { "btn_reset", "on_btn_reset_clicked", Cmd::Reset, Cmd::CommandValue },
        { "btn_mes", "on_btn_mes_clicked", Cmd::StartCalibration, Cmd::CommandValue },
    };
    return table;
}

namespace {
// Whether the text holds a group separator: the language's own, or a point or comma between
// digits with exactly three digits after it. Every row takes whole numbers of at most five
// digits, so such a text is most likely a thousand, whichever way the language would read it.
bool hasGroupSeparator(const QString &text, const QLocale &locale)
{
    if (text.contains(locale.groupSeparator()))
        return true;
    static const QRegularExpression thousands(QStringLiteral("\\d[.,]\\d{3}(?!\\d)"));
    return thousands.match(text).hasMatch();
}
} // namespace

Check checkInput(const QString &text, int min, int max, uint16_t offset, const QLocale &locale)
{
    Check check;
    if (hasGroupSeparator(text, locale))
        return check;
    bool ok = false;
    const double typed = locale.toDouble(text, &ok);
    // The locale also reads "nan" and "inf"; neither is a value the board can take, and a NaN
    // would slip through both range comparisons.
    if (!ok || !std::isfinite(typed))
        return check;
    check.typed = typed;
    if (typed < min || typed > max) {
        check.outcome = Check::OutOfRange;
        return check;
    }
    check.outcome = Check::Accepted;
    // Truncate toward zero and keep the low 16 bits: negative values go out in two's complement.
    const qint64 whole = qint64(typed + double(offset));
    check.value = uint16_t(quint64(whole) & 0xFFFFu);
    return check;
}

QString notANumberTitle()
{
    return QCoreApplication::translate("MainWindow", "Error");
}

const QVector<const char *> &unusedRows()
{
    static const QVector<const char *> fields = {
        "conf_chglt_alert_3", // ambient high temperature
        "conf_dsglt_alert_12", // ambient low temperature
        "conf_chght_alert_2", // cell under-voltage
        "conf_dsght_alert_2", // cell over-voltage
        "conf_chglt_alert_2", // pack under-voltage
        "conf_dsglt_alert_11", // pack over-voltage
        "conf_chght_alert_3", // charge over-current
        "conf_dsght_alert_3", // discharge over-current
        "conf_chght_alert_4", // low charge
        "conf_dsght_alert_4", // power
    };
    return fields;
}

QString notANumberText()
{
    return QCoreApplication::translate("MainWindow", "输入的值无效 ！");
}

QString outOfRangeTitle()
{
    return QCoreApplication::translate("MainWindow", "Warning");
}

QString outOfRangeText(int min, int max)
{
    return QCoreApplication::translate("MainWindow", "输入的参数超过 [%1 - %2] 的范围。")
        .arg(min)
        .arg(max);
}

QString unitText(const Row &row)
{
    const QString unit = QString::fromUtf8(row.unit);
    // A unit of ten millivolts reads as a factor, so "2800 × 10 mV" is not taken for 2800 mV.
    int digits = 0;
    while (digits < unit.size() && unit.at(digits).isDigit())
        ++digits;
    if (digits == 0 || digits == unit.size())
        return unit;
    return QStringLiteral("× ") + unit.left(digits) + QLatin1Char(' ') + unit.mid(digits);
}

QString rangeText(const Row &row)
{
    const QString range =
        QCoreApplication::translate("MainWindow", "%1 至 %2").arg(row.min).arg(row.max);
    const QString unit = unitText(row);
    return unit.isEmpty() ? range : range + QLatin1Char(' ') + unit;
}

QString rangeToolTip(const Row &row)
{
    return QCoreApplication::translate("MainWindow", "范围：%1").arg(rangeText(row));
}

QString refusalDetail(const QString &caption, const Row &row)
{
    if (caption.isEmpty())
        return rangeToolTip(row);
    return QCoreApplication::translate("MainWindow", "%1，范围 %2").arg(caption, rangeText(row));
}

} // namespace ParameterTable
