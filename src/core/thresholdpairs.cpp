#include "thresholdpairs.h"

#include "parametertable.h"

#include <QCoreApplication>

namespace ThresholdPairs {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ThresholdPairs", text);
}

// The rows' captions as the pages show them; the form's own translations apply.
struct Caption
{
    const char *row;
    const char *text;
};
const Caption Captions[] = {
    { "conf_lv", QT_TRANSLATE_NOOP("MainWindow", "欠压保护阈值") },
    { "conf_lvre", QT_TRANSLATE_NOOP("MainWindow", "欠压恢复阈值") },
    { "conf_hv", QT_TRANSLATE_NOOP("MainWindow", "过压保护阈值") },
    { "conf_hvre", QT_TRANSLATE_NOOP("MainWindow", "过压恢复阈值") },
    { "conf_avlp_2", QT_TRANSLATE_NOOP("MainWindow", "总欠压保护阈值") },
    { "conf_avlpre_2", QT_TRANSLATE_NOOP("MainWindow", "总欠压恢复阈值") },
    { "conf_avhp_2", QT_TRANSLATE_NOOP("MainWindow", "总过压保护阈值") },
    { "conf_avhpre_2", QT_TRANSLATE_NOOP("MainWindow", "总过压恢复阈值") },
    { "conf_chght", QT_TRANSLATE_NOOP("MainWindow", "充电高温保护阈值") },
    { "conf_chghtre", QT_TRANSLATE_NOOP("MainWindow", "充电高温恢复阈值") },
    { "conf_chglt", QT_TRANSLATE_NOOP("MainWindow", "充电低温保护阈值") },
    { "conf_chgltre", QT_TRANSLATE_NOOP("MainWindow", "充电低温恢复阈值") },
    { "conf_dsght", QT_TRANSLATE_NOOP("MainWindow", "放电高温保护阈值") },
    { "conf_dsghtre", QT_TRANSLATE_NOOP("MainWindow", "放电高温恢复阈值") },
    { "conf_dsglt", QT_TRANSLATE_NOOP("MainWindow", "放电低温保护阈值") },
    { "conf_dsgltre", QT_TRANSLATE_NOOP("MainWindow", "放电低温恢复阈值") },
};

QString caption(const char *row)
{
    for (const Caption &c : Captions) {
        if (qstrcmp(c.row, row) == 0)
            return QCoreApplication::translate("MainWindow", c.text);
    }
    return QLatin1String(row);
}

// "2000 mV": a value with its row's unit.
QString withUnit(const char *row, int value)
{
    const ParameterTable::Row *r = ParameterTable::findByLineEdit(QLatin1String(row));
    const QString unit = r ? ParameterTable::unitText(*r) : QString();
    return unit.isEmpty() ? QString::number(value)
                          : QString::number(value) + QLatin1Char(' ') + unit;
}

bool holds(const Pair &pair, int row, int other)
{
    return pair.side == Side::Above ? row > other : row < other;
}

} // namespace

const QVector<Pair> &pairs()
{
    using S = Side;
    using C = Consequence;
    static const QVector<Pair> table = {
        // A cell's voltage: under-voltage releases above its trip, over-voltage below its trip,
        // and the over-voltage trip lies above the under-voltage trip.
        { "conf_lvre", S::Above, "conf_lv", C::ReleasesAtOnce },
        { "conf_hvre", S::Below, "conf_hv", C::ReleasesAtOnce },
        { "conf_hv", S::Above, "conf_lv", C::AlwaysTripped },
        // The pack's voltage, likewise.
        { "conf_avlpre_2", S::Above, "conf_avlp_2", C::ReleasesAtOnce },
        { "conf_avhpre_2", S::Below, "conf_avhp_2", C::ReleasesAtOnce },
        { "conf_avhp_2", S::Above, "conf_avlp_2", C::AlwaysTripped },
        // Temperatures while charging and while discharging: an over-temperature protection
        // releases below its trip, an under-temperature one above it.
        { "conf_chghtre", S::Below, "conf_chght", C::ReleasesAtOnce },
        { "conf_chgltre", S::Above, "conf_chglt", C::ReleasesAtOnce },
        { "conf_dsghtre", S::Below, "conf_dsght", C::ReleasesAtOnce },
        { "conf_dsgltre", S::Above, "conf_dsglt", C::ReleasesAtOnce },
    };
    return table;
}

QVector<Contradiction> check(const QHash<QString, int> &board, const QMap<QString, int> &changes)
{
    // The value a row will hold: the change where there is one, else the board's.
    const auto valueOf = [&](const char *row, int *value) {
        const QString key = QLatin1String(row);
        const auto changed = changes.constFind(key);
        if (changed != changes.constEnd()) {
            *value = *changed;
            return true;
        }
        const auto held = board.constFind(key);
        if (held == board.constEnd())
            return false;
        *value = *held;
        return true;
    };
    QVector<Contradiction> found;
    for (const Pair &pair : pairs()) {
        if (!changes.contains(QLatin1String(pair.row))
            && !changes.contains(QLatin1String(pair.other)))
            continue;
        Contradiction c;
        c.pair = &pair;
        if (!valueOf(pair.row, &c.row) || !valueOf(pair.other, &c.other))
            continue;
        if (!holds(pair, c.row, c.other))
            found.append(c);
    }
    return found;
}

QString describe(const Contradiction &contradiction)
{
    const Pair &pair = *contradiction.pair;
    const char *text = nullptr;
    if (pair.consequence == Consequence::AlwaysTripped)
        text = QT_TRANSLATE_NOOP("ThresholdPairs",
                                 "%1 %2 不高于%3 %4：任何电压都会触发其中一个保护。");
    else if (pair.side == Side::Above)
        text = QT_TRANSLATE_NOOP("ThresholdPairs", "%1 %2 不高于%3 %4：保护一触发就会立即解除。");
    else
        text = QT_TRANSLATE_NOOP("ThresholdPairs", "%1 %2 不低于%3 %4：保护一触发就会立即解除。");
    return tr(text).arg(caption(pair.row), withUnit(pair.row, contradiction.row),
                        caption(pair.other), withUnit(pair.other, contradiction.other));
}

QString describe(const QVector<Contradiction> &contradictions)
{
    QStringList lines;
    for (const Contradiction &c : contradictions)
        lines << describe(c);
    return lines.join(QLatin1Char('\n'));
}

} // namespace ThresholdPairs
