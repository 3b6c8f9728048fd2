#include "parameterblock.h"

#include "fields.h"

namespace ParameterBlock {

namespace {
enum class Shown {
    Decimal,
    Celsius, // temperatures travel as degrees + 40
    Compensation, // the current compensation travels as value + 100
    Half, // the learning factor travels doubled
    Flag,
};

struct Layout
{
    int width;
    const char *widget;
    Shown shown;
};

// The block from left to right; it is read from the right end.
const Layout FieldLayouts[] = {
    { 4, "data_version", Shown::Decimal },
    { 1, "data_chgr", Shown::Decimal },
    { 1, "data_load", Shown::Decimal },
    { 4, "conf_cax", Shown::Compensation },
    { 4, "conf_vpgine", Shown::Decimal },
    { 4, "conf_sleepev", Shown::Decimal },
    { 4, "conf_lenstatu", Shown::Half },
    { 4, "conf_week", Shown::Decimal },
    { 4, "conf_dataget", Shown::Decimal },
    { 4, "conf_chgc", Shown::Decimal },
    { 4, "conf_chgct", Shown::Decimal },
    { 4, "conf_dsgc1", Shown::Decimal },
    { 4, "conf_dsgc2", Shown::Decimal },
    { 4, "conf_dsgc1t", Shown::Decimal },
    { 4, "conf_dsgc2t", Shown::Decimal },
    { 4, "conf_lv", Shown::Decimal },
    { 4, "conf_lvre", Shown::Decimal },
    { 4, "conf_lvt", Shown::Decimal },
    { 4, "conf_hv", Shown::Decimal },
    { 4, "conf_hvre", Shown::Decimal },
    { 4, "conf_hvt", Shown::Decimal },
    { 4, "conf_chght", Shown::Celsius },
    { 4, "conf_chghtre", Shown::Celsius },
    { 4, "conf_chglt", Shown::Celsius },
    { 4, "conf_chgltre", Shown::Celsius },
    { 4, "conf_dsght", Shown::Celsius },
    { 4, "conf_dsghtre", Shown::Celsius },
    { 4, "conf_dsglt", Shown::Celsius },
    { 4, "conf_dsgltre", Shown::Celsius },
    { 4, "conf_blancev", Shown::Decimal },
    { 4, "conf_blancevx", Shown::Decimal },
    { 4, "conf_totalcell", Shown::Decimal },
    { 4, "conf_design", Shown::Decimal },
    { 4, "conf_rs", Shown::Decimal },
    { 4, "conf_short", Shown::Decimal },
    { 4, "conf_shorttime", Shown::Decimal },
    { 4, "conf_vxp", Shown::Decimal },
    { 4, "conf_avhp_2", Shown::Decimal },
    { 4, "conf_avhpre_2", Shown::Decimal },
    { 4, "conf_avlp_2", Shown::Decimal },
    { 4, "conf_avlpre_2", Shown::Decimal },
    { 1, "sw_avhp", Shown::Flag },
    { 1, "sw_avlp", Shown::Flag },
    { 1, "sw_buzzer", Shown::Flag },
    { 1, "sw_chgmos", Shown::Flag },
    { 1, "sw_chgcp", Shown::Flag },
    { 1, "sw_chghtp", Shown::Flag },
    { 1, "sw_chgltp", Shown::Flag },
    { 1, "conf_debug", Shown::Decimal },
    { 1, "data_sw", Shown::Decimal },
    { 1, "sw_dsgcp1", Shown::Flag },
    { 1, "sw_dsgcp2", Shown::Flag },
    { 1, "sw_dsghtp", Shown::Flag },
    { 1, "sw_dsgltp", Shown::Flag },
    { 1, "sw_dsgmos", Shown::Flag },
    { 1, "sw_sleep", Shown::Flag },
    { 1, "sw_vhp", Shown::Flag },
    { 1, "sw_vlp", Shown::Flag },
    { 1, "sw_vxp", Shown::Flag },
    { 1, "sw_clen", Shown::Flag },
    { 2, "conf_getmod", Shown::Decimal },
    { 2, "conf_clen", Shown::Decimal },
    { 4, "conf_chght_alert", Shown::Celsius },
    { 4, "conf_chglt_alert", Shown::Celsius },
    { 4, "conf_dsght_alert", Shown::Celsius },
    { 4, "conf_dsglt_alert", Shown::Celsius },
};
constexpr int FieldCount = int(sizeof(FieldLayouts) / sizeof(FieldLayouts[0]));
} // namespace

QVector<Field> decode(const QByteArray &addressText, const QByteArray &dataBlock)
{
    QVector<Field> out;
    out.reserve(FieldCount + 1);
    out.append(Field{ "conf_dnum", Field::Text, QString::number(hexToInt(addressText)), false });

    FieldReader fields(dataBlock);
    for (int i = FieldCount - 1; i >= 0; --i) {
        const Layout &f = FieldLayouts[i];
        // Fields are at most four digits, so the offsets below cannot overflow.
        const int value = fields.take(f.width);
        int shown = value;
        switch (f.shown) {
        case Shown::Flag:
            out.append(Field{ f.widget, Field::Switch, QString(), value == 1 });
            continue;
        case Shown::Celsius:
            shown = value - 40;
            break;
        case Shown::Compensation:
            shown = value - 100;
            break;
        case Shown::Half:
            shown = value / 2;
            break;
        case Shown::Decimal:
            break;
        }
        out.append(Field{ f.widget, Field::Text, QString::number(shown), false });
    }
    return out;
}

int designCapacityAh(const QVector<Field> &fields)
{
    for (const Field &field : fields) {
        if (qstrcmp(field.widget, "conf_design") == 0) {
            bool ok = false;
            const int ah = field.text.trimmed().toInt(&ok);
            return ok && ah > 0 ? ah : 0;
        }
    }
    return 0;
}

} // namespace ParameterBlock
