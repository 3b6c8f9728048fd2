#include "energymeter.h"

#include <QDateTime>
#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace {

const QString FileFormat = QStringLiteral("arvex-energy-books");

// The parts of the trapezoid between a and b (over seconds) above and below zero, as positive
// areas: where the line crosses zero, each side gets its own triangle.
void splitTrapezoid(double a, double b, double seconds, double *above, double *below)
{
    if (a >= 0 && b >= 0) {
        *above = (a + b) / 2 * seconds;
        *below = 0;
    } else if (a <= 0 && b <= 0) {
        *above = 0;
        *below = -(a + b) / 2 * seconds;
    } else {
        const double f = a / (a - b); // where the line crosses zero, 0..1
        const double first = std::abs(a) * f * seconds / 2;
        const double second = std::abs(b) * (1 - f) * seconds / 2;
        *above = a > 0 ? first : second;
        *below = a > 0 ? second : first;
    }
}

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// In the file: full precision, in Ah and Wh.
QJsonObject fileTotals(const EnergyMeter::Totals &t)
{
    return QJsonObject{
        { QStringLiteral("charged_ah"), t.chargedAh() },
        { QStringLiteral("discharged_ah"), t.dischargedAh() },
        { QStringLiteral("charged_wh"), t.chargedWs / 3600.0 },
        { QStringLiteral("discharged_wh"), t.dischargedWs / 3600.0 },
    };
}

bool readTotals(const QJsonValue &value, EnergyMeter::Totals *t, QString *why)
{
    if (!value.isObject()) {
        *why = QStringLiteral("books without their totals");
        return false;
    }
    const QJsonObject o = value.toObject();
    double *const targets[4] = { &t->chargedAs, &t->dischargedAs, &t->chargedWs, &t->dischargedWs };
    const char *const keys[4] = { "charged_ah", "discharged_ah", "charged_wh", "discharged_wh" };
    for (int i = 0; i < 4; ++i) {
        const QJsonValue v = o.value(QLatin1String(keys[i]));
        const double x = v.toDouble(-1);
        if (!v.isDouble() || !std::isfinite(x) || x < 0) {
            *why =
                QStringLiteral("\"%1\" is not a count of zero or more").arg(QLatin1String(keys[i]));
            return false;
        }
        *targets[i] = x * 3600.0;
    }
    return true;
}

QDate readDate(const QJsonValue &value)
{
    return QDate::fromString(value.toString(), Qt::ISODate);
}

} // namespace

void EnergyMeter::Totals::add(const Totals &other, double share)
{
    chargedAs += other.chargedAs * share;
    dischargedAs += other.dischargedAs * share;
    chargedWs += other.chargedWs * share;
    dischargedWs += other.dischargedWs * share;
}

QJsonObject EnergyMeter::Totals::toState() const
{
    return QJsonObject{
        { QStringLiteral("charged_ah"), rounded(chargedAh(), 4) },
        { QStringLiteral("discharged_ah"), rounded(dischargedAh(), 4) },
        { QStringLiteral("charged_kwh"), rounded(chargedKwh(), 6) },
        { QStringLiteral("discharged_kwh"), rounded(dischargedKwh(), 6) },
    };
}

QDate EnergyMeter::localDate(qint64 timeMs)
{
    return QDateTime::fromMSecsSinceEpoch(timeMs).date();
}

qint64 EnergyMeter::nextMidnightMs(const QDate &date)
{
    return QDateTime(date.addDays(1), QTime(0, 0)).toMSecsSinceEpoch();
}

qint64 EnergyMeter::usualSpacingMs() const
{
    if (m_spacingCount < 2)
        return DefaultSpacingMs;
    std::array<qint64, 8> sorted = m_spacings;
    const auto end = sorted.begin() + m_spacingCount;
    const auto middle = sorted.begin() + (m_spacingCount - 1) / 2; // the lower of two middles
    std::nth_element(sorted.begin(), middle, end);
    return *middle;
}

void EnergyMeter::missed()
{
    ++m_misses;
}

void EnergyMeter::take(qint64 timeMs, int voltageMv, int currentMa)
{
    ++m_revision;
    if (!m_since.isValid())
        m_since = localDate(timeMs);
    if (m_haveLast) {
        const qint64 dt = timeMs - m_lastMs;
        if (dt <= 0) {
            // Never with a clock that does not step; a second reply at the same moment adds
            // nothing, and time that went back is no interval.
        } else {
            const bool gap = m_misses >= StaleMisses || dt > GapFactor * usualSpacingMs();
            m_spacings[size_t(m_spacingNext)] = dt;
            m_spacingNext = (m_spacingNext + 1) % int(m_spacings.size());
            m_spacingCount = std::min(m_spacingCount + 1, int(m_spacings.size()));
            if (gap) {
                m_withoutDataMs += dt;
            } else {
                const double seconds = dt / 1000.0;
                Totals interval;
                splitTrapezoid(m_lastMa / 1000.0, currentMa / 1000.0, seconds, &interval.chargedAs,
                               &interval.dischargedAs);
                splitTrapezoid(double(m_lastMv) * m_lastMa / 1e6,
                               double(voltageMv) * currentMa / 1e6, seconds, &interval.chargedWs,
                               &interval.dischargedWs);
                book(m_lastMs, timeMs, interval);
            }
        }
    }
    m_haveLast = true;
    m_misses = 0;
    m_lastMs = std::max(m_lastMs, timeMs);
    m_lastMv = voltageMv;
    m_lastMa = currentMa;
}

void EnergyMeter::book(qint64 fromMs, qint64 toMs, const Totals &interval)
{
    m_total.add(interval);
    m_integratedMs += toMs - fromMs;
    const double length = double(toMs - fromMs);
    // Each local day the interval touches takes its share in proportion to its time.
    for (qint64 at = fromMs; at < toMs;) {
        if (!m_dayDate.isValid() || at < m_dayStartMs || at >= m_dayEndMs) {
            m_dayDate = localDate(at);
            m_dayStartMs = QDateTime(m_dayDate, QTime(0, 0)).toMSecsSinceEpoch();
            m_dayEndMs = nextMidnightMs(m_dayDate);
            if (m_dayEndMs <= at) // a calendar that does not move on: take the rest here
                m_dayEndMs = toMs;
        }
        const qint64 end = std::min(toMs, m_dayEndMs);
        if (at == fromMs && end == toMs) {
            addToDay(m_dayDate, interval);
        } else {
            Totals part;
            part.add(interval, double(end - at) / length);
            addToDay(m_dayDate, part);
        }
        at = end;
    }
}

void EnergyMeter::addToDay(const QDate &date, const Totals &totals)
{
    if (!m_days.isEmpty() && m_days.last().date == date) {
        m_days.last().totals.add(totals);
        return;
    }
    auto it = std::lower_bound(m_days.begin(), m_days.end(), date,
                               [](const Day &d, const QDate &x) { return d.date < x; });
    if (it != m_days.end() && it->date == date) {
        it->totals.add(totals);
        return;
    }
    m_days.insert(it, Day{ date, totals });
    if (m_days.size() > DaysKept)
        m_days.remove(0, m_days.size() - DaysKept);
}

EnergyMeter::Totals EnergyMeter::day(const QDate &date) const
{
    auto it = std::lower_bound(m_days.begin(), m_days.end(), date,
                               [](const Day &d, const QDate &x) { return d.date < x; });
    return it != m_days.end() && it->date == date ? it->totals : Totals();
}

double EnergyMeter::cyclesEquivalent() const
{
    return m_designAh > 0 ? m_total.dischargedAh() / m_designAh : -1;
}

QJsonObject EnergyMeter::toState(const QDate &today) const
{
    QJsonObject o;
    o.insert(QStringLiteral("since"),
             m_since.isValid() ? QJsonValue(m_since.toString(Qt::ISODate)) : QJsonValue());
    o.insert(QStringLiteral("total"), m_total.toState());
    o.insert(QStringLiteral("today"), day(today).toState());
    const double cycles = cyclesEquivalent();
    o.insert(QStringLiteral("cycles_equivalent"),
             cycles >= 0 ? QJsonValue(rounded(cycles, 4)) : QJsonValue());
    o.insert(QStringLiteral("without_data_s"), m_withoutDataMs / 1000);
    return o;
}

QJsonObject EnergyMeter::toFile() const
{
    QJsonArray days;
    for (const Day &d : m_days) {
        QJsonObject day = fileTotals(d.totals);
        day.insert(QStringLiteral("date"), d.date.toString(Qt::ISODate));
        days.append(day);
    }
    return QJsonObject{
        { QStringLiteral("format"), FileFormat },
        { QStringLiteral("version"), FileVersion },
        { QStringLiteral("since"), m_since.toString(Qt::ISODate) },
        { QStringLiteral("total"), fileTotals(m_total) },
        { QStringLiteral("without_data_ms"), double(m_withoutDataMs) },
        { QStringLiteral("integrated_ms"), double(m_integratedMs) },
        { QStringLiteral("days"), days },
    };
}

bool EnergyMeter::fromFile(const QJsonObject &file, QString *why)
{
    QString reason;
    const QJsonValue version = file.value(QLatin1String("version"));
    Totals total;
    QDate since;
    QVector<Day> days;
    if (file.value(QLatin1String("format")).toString() != FileFormat) {
        reason = QStringLiteral("not a file of energy books");
    } else if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble())
               || version.toDouble() < 1) {
        reason = QStringLiteral("no valid version");
    } else if (version.toInt() > FileVersion) {
        reason = QStringLiteral("version %1 is newer than this program reads (%2)")
                     .arg(version.toInt())
                     .arg(FileVersion);
    } else if (!(since = readDate(file.value(QLatin1String("since")))).isValid()) {
        reason = QStringLiteral("no valid start date");
    } else if (readTotals(file.value(QLatin1String("total")), &total, &reason)) {
        const QJsonArray list = file.value(QLatin1String("days")).toArray();
        for (const QJsonValue &v : list) {
            Day d;
            d.date = readDate(v.toObject().value(QLatin1String("date")));
            if (!d.date.isValid()) {
                reason = QStringLiteral("a day without a valid date");
                break;
            }
            if (!readTotals(v, &d.totals, &reason))
                break;
            if (!days.isEmpty() && !(days.last().date < d.date)) {
                reason = QStringLiteral("days out of order");
                break;
            }
            days.append(d);
        }
    }
    if (!reason.isEmpty()) {
        if (why)
            *why = reason;
        return false;
    }
    m_total = total;
    m_since = since;
    m_days = days;
    if (m_days.size() > DaysKept)
        m_days.remove(0, m_days.size() - DaysKept);
    m_withoutDataMs =
        qint64(std::max(0.0, file.value(QLatin1String("without_data_ms")).toDouble()));
    m_integratedMs = qint64(std::max(0.0, file.value(QLatin1String("integrated_ms")).toDouble()));
    ++m_revision;
    return true;
}
