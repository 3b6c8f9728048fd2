#include "forcing.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

struct KindName
{
    Forcing::Kind kind;
    const char *name;
};

constexpr KindName Kinds[] = {
    { Forcing::OverVoltage, "over-voltage" },
    { Forcing::UnderVoltage, "under-voltage" },
    { Forcing::OverTemp, "over-temp" },
    { Forcing::UnderTemp, "under-temp" },
    { Forcing::HighTempAlarm, "alarm-high-temp" },
    { Forcing::LowTempAlarm, "alarm-low-temp" },
};

QString kindList()
{
    QStringList names;
    for (const KindName &k : Kinds)
        names << QLatin1String(k.name);
    return names.join(QStringLiteral(", "));
}

} // namespace

QString Forcing::kindName(Kind kind)
{
    for (const KindName &k : Kinds) {
        if (k.kind == kind)
            return QLatin1String(k.name);
    }
    return QString();
}

bool Forcing::parse(const QString &text, Forcing *out, QString *error, bool withValue)
{
    const QString form = withValue ? QStringLiteral("KIND:N[:VALUE]") : QStringLiteral("KIND:N");
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    const auto fail = [&](const QString &why) {
        *error = QStringLiteral("\"%1\": %2").arg(text.trimmed(), why);
        return false;
    };
    if (parts.size() < 2 || parts.size() > (withValue ? 3 : 2))
        return fail(QStringLiteral("expected %1 with KIND one of %2").arg(form, kindList()));
    Forcing f;
    bool known = false;
    for (const KindName &k : Kinds) {
        if (parts[0] == QLatin1String(k.name)) {
            f.kind = k.kind;
            known = true;
        }
    }
    if (!known)
        return fail(QStringLiteral("the kind is one of %1").arg(kindList()));
    bool ok = false;
    f.index = parts[1].toInt(&ok);
    if (f.onCell() && (!ok || f.index < 1))
        return fail(QStringLiteral("the cell is a number from 1"));
    if (!f.onCell() && (!ok || f.index < 1 || f.index > Sensors))
        return fail(QStringLiteral("the sensor is 1 to 4 (TS1 to TS4)"));
    if (parts.size() == 3) {
        const double v = parts[2].toDouble(&ok);
        if (f.onCell()) {
            if (!ok || !std::isfinite(v) || v != std::floor(v) || v < 0 || v > MaxCellMv)
                return fail(
                    QStringLiteral("a cell's value is whole mV from 0 to %1").arg(MaxCellMv));
            f.value = int(v);
        } else {
            const double centi = std::round(v * 100);
            if (!ok || !std::isfinite(v) || centi < MinCentiC || centi > MaxCentiC)
                return fail(QStringLiteral("a sensor's value is degC from %1 to %2")
                                .arg(MinCentiC / 100)
                                .arg(MaxCentiC / 100));
            f.value = int(centi);
        }
        f.hasValue = true;
    }
    *out = f;
    return true;
}

int Forcing::defaultValue(const BoardParameters &p, bool charging) const
{
    using P = BoardParameters;
    const auto celsius = [&p, charging](int chargeCode, int dischargeCode, int stepCenti) {
        const int centi = p.celsius(charging ? chargeCode : dischargeCode) * 100 + stepCenti;
        return std::clamp(centi, MinCentiC, MaxCentiC);
    };
    switch (kind) {
    case OverVoltage:
        return std::min(MaxCellMv, p.value(P::CellOverVoltage) + 1);
    case UnderVoltage:
        return std::max(0, p.value(P::CellUnderVoltage) - 1);
    case OverTemp:
        return celsius(P::ChargeHighTemp, P::DischargeHighTemp, 100);
    case UnderTemp:
        return celsius(P::ChargeLowTemp, P::DischargeLowTemp, -100);
    case HighTempAlarm:
        return celsius(P::ChargeHighTempAlarm, P::DischargeHighTempAlarm, 100);
    case LowTempAlarm:
        return celsius(P::ChargeLowTempAlarm, P::DischargeLowTempAlarm, -100);
    }
    return 0;
}

QString Forcing::place() const
{
    return onCell() ? QStringLiteral("cell %1").arg(index)
                    : QStringLiteral("sensor TS%1").arg(index);
}

QString Forcing::describe() const
{
    const QString reading = onCell() ? QStringLiteral("%1 mV").arg(value)
                                     : QStringLiteral("%1 degC").arg(value / 100.0, 0, 'f', 2);
    return QStringLiteral("%1 to %2 (%3)").arg(place(), reading, kindName(kind));
}
