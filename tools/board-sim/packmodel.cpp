#include "packmodel.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {
// Open-circuit voltage of a LiFePO4 cell against its state of charge; past 1.0 the cell is
// overcharged and rises steeply.
struct CurvePoint
{
    double soc;
    double mv;
};
constexpr CurvePoint OpenCircuit[] = {
    { 0.00, 2600 }, { 0.03, 2950 }, { 0.08, 3150 }, { 0.15, 3220 }, { 0.30, 3265 }, { 0.50, 3295 },
    { 0.70, 3320 }, { 0.90, 3335 }, { 0.97, 3370 }, { 1.00, 3450 }, { 1.05, 3700 },
};

constexpr double CellHeatPerA2 = 0.004; // degC above ambient per A^2, settled
constexpr double MosHeatPerA2 = 0.007;
constexpr double MosSelfHeatC = 1.5;
constexpr double CellTimeConstantS = 120;
constexpr double MosTimeConstantS = 40;
constexpr double CellDifferenceDelayS = 2;
constexpr double PolarisationTimeConstantS = 30;
// Where a recovery threshold lies on the wrong side of its protection threshold, recovery waits
// for this margin past the protection threshold instead (per cell for the pack voltage).
constexpr double CellRecoveryMarginMv = 50;
constexpr double TempRecoveryMarginC = 3;
constexpr int InitialCycles = 12;
constexpr int StateOfHealth = 98;
constexpr int LoadPulses = 66;

QVector<ProfileStep> preset(const QString &name)
{
    if (name == QLatin1String("cycle")) {
        // A pulsing load (a drive on a duty cycle: 40 A for 4 s, 10 A for 2 s) for 6.6 min, a
        // rest, a charge at 50 A that puts back what the load took, a rest. Every pulse is a
        // step of the current for a tool to measure the cells' resistance by.
        QVector<ProfileStep> steps;
        for (int i = 0; i < LoadPulses; ++i)
            steps.append({ { -40, 4 }, { -10, 2 } });
        const double outAs = LoadPulses * (40 * 4 + 10 * 2);
        steps.append({ { 0, 60 }, { 50, outAs / 50 }, { 0, 60 } });
        return steps;
    }
    if (name == QLatin1String("charge"))
        return { { 50, 3600 } };
    if (name == QLatin1String("discharge"))
        return { { -40, 3600 } };
    if (name == QLatin1String("rest"))
        return { { 0, 3600 } };
    return {};
}
} // namespace

QVector<ProfileStep> parseProfile(const QString &text, QString *error)
{
    const QString trimmed = text.trimmed();
    QVector<ProfileStep> steps = preset(trimmed);
    if (!steps.isEmpty())
        return steps;
    const QStringList parts = trimmed.split(QLatin1Char(','));
    for (const QString &part : parts) {
        const QStringList pair = part.split(QLatin1Char(':'));
        bool ampsOk = false;
        bool secondsOk = false;
        const double amps = pair.size() == 2 ? pair[0].trimmed().toDouble(&ampsOk) : 0;
        const double seconds = pair.size() == 2 ? pair[1].trimmed().toDouble(&secondsOk) : 0;
        if (!ampsOk || !secondsOk || !std::isfinite(amps) || std::abs(amps) > 2000 || !(seconds > 0)
            || seconds > 1e7) {
            if (error)
                *error = QStringLiteral("bad profile step \"%1\": expected AMPS:SECONDS with "
                                        "|AMPS| <= 2000 and SECONDS > 0, or one of cycle, "
                                        "charge, discharge, rest")
                             .arg(part);
            return {};
        }
        steps.append({ amps, seconds });
    }
    return steps;
}

PackModel::PackModel(const Config &config, const BoardParameters &parameters)
    : m_config(config)
    , m_rng(config.seed)
{
    if (m_config.profile.isEmpty())
        m_config.profile = preset(QStringLiteral("cycle"));
    m_soc = std::clamp(m_config.socPercent / 100.0, 0.0, 1.0);
    m_cellTempC = m_config.ambientC;
    m_mosTempC = m_config.ambientC + MosSelfHeatC;

    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < Telemetry::MaxCells; ++i) {
        m_socOffset[size_t(i)] = 0.02 * unit(m_rng);
        m_resistanceFactor[size_t(i)] = 1.0 + 0.1 * unit(m_rng);
        m_sensorOffsetMv[size_t(i)] = 2.0 * unit(m_rng);
    }
    if (m_config.weakCell >= 1 && m_config.weakCell <= Telemetry::MaxCells)
        m_resistanceFactor[size_t(m_config.weakCell - 1)] *= m_config.weakFactor;
    for (double &offset : m_tempOffsetC)
        offset = 0.4 * unit(m_rng);
    // The first measurement already sees the current of the profile's first step.
    step(0, parameters);
}

double PackModel::cellOpenCircuitMv(double soc) const
{
    const int n = int(sizeof(OpenCircuit) / sizeof(OpenCircuit[0]));
    if (soc <= OpenCircuit[0].soc)
        return OpenCircuit[0].mv;
    for (int i = 1; i < n; ++i) {
        if (soc <= OpenCircuit[i].soc) {
            const CurvePoint &a = OpenCircuit[i - 1];
            const CurvePoint &b = OpenCircuit[i];
            return a.mv + (b.mv - a.mv) * (soc - a.soc) / (b.soc - a.soc);
        }
    }
    return OpenCircuit[n - 1].mv;
}

double PackModel::cellResistanceOhm(int i) const
{
    return i >= 0 && i < Telemetry::MaxCells
        ? OhmicShare * CellResistanceOhm * m_resistanceFactor[size_t(i)]
        : 0;
}

double PackModel::gauss(double sigma)
{
    return std::normal_distribution<double>(0.0, sigma)(m_rng);
}

void PackModel::resetSoc()
{
    m_soc = std::clamp(m_config.socPercent / 100.0, 0.0, 1.0);
}

void PackModel::startCalibration()
{
    m_calibrationLeftS = CalibrationS;
    m_calibrationAmps = int(std::lround(std::abs(m_currentA)));
}

void PackModel::clearProtections()
{
    m_trips.fill(Trip());
}

Forcing PackModel::force(Forcing forcing, const BoardParameters &parameters)
{
    if (!forcing.hasValue) {
        forcing.value = forcing.defaultValue(parameters, charging());
        forcing.hasValue = true;
    }
    release(forcing);
    m_forcings.append(forcing);
    return forcing;
}

bool PackModel::release(const Forcing &place)
{
    for (int i = 0; i < m_forcings.size(); ++i) {
        if (m_forcings[i].samePlace(place)) {
            m_forcings.remove(i);
            return true;
        }
    }
    return false;
}

int PackModel::releaseAll()
{
    const int n = m_forcings.size();
    m_forcings.clear();
    return n;
}

void PackModel::step(double seconds, const BoardParameters &p)
{
    const double dt = std::isfinite(seconds) && seconds > 0 ? seconds : 0;

    // The profile says what the charger or load asks for.
    double cycle = 0;
    for (const ProfileStep &s : m_config.profile)
        cycle += s.seconds;
    m_profileTime = cycle > 0 ? std::fmod(m_profileTime + dt, cycle) : 0;
    double t = m_profileTime;
    m_requestedA = 0;
    for (const ProfileStep &s : m_config.profile) {
        if (t < s.seconds) {
            m_requestedA = s.amps;
            break;
        }
        t -= s.seconds;
    }

    updateProtections(dt, p, m_requestedA);

    // The charger tapers off near full; the load fades out as the pack empties.
    double amps = m_requestedA;
    if (amps > 0 && m_soc > 0.95)
        amps *= std::max(0.0, (1.0 - m_soc) / 0.05);
    if (amps < 0 && m_soc < 0.02)
        amps *= std::max(0.0, m_soc / 0.02);
    if ((amps > 0 && !m_t.chargeMos) || (amps < 0 && !m_t.dischargeMos))
        amps = 0;
    // Most of the voltage a current causes builds up and relaxes slowly (polarisation), driven by
    // the current that flowed through the time just past; the new current shows at once only
    // through the ohmic part. The pack starts out settled at its first current.
    const double flowedA = m_currentA;
    m_currentA = amps;
    m_polarisationA = m_started ? m_polarisationA
            + (flowedA - m_polarisationA) * (1.0 - std::exp(-dt / PolarisationTimeConstantS))
                                : amps;
    m_started = true;

    const double capacityAh = std::max<int>(1, p.value(BoardParameters::DesignCapacity));
    const double ah = amps * dt / 3600.0;
    m_soc = std::clamp(m_soc + ah / capacityAh, 0.0, 1.0);
    if (ah > 0)
        m_chargedAh += ah;
    else
        m_dischargedAh -= ah;

    // Heat follows the square of the current with a lag.
    const double cellTarget = m_config.ambientC + CellHeatPerA2 * amps * amps;
    const double mosTarget = m_config.ambientC + MosSelfHeatC + MosHeatPerA2 * amps * amps;
    m_cellTempC += (cellTarget - m_cellTempC) * (1.0 - std::exp(-dt / CellTimeConstantS));
    m_mosTempC += (mosTarget - m_mosTempC) * (1.0 - std::exp(-dt / MosTimeConstantS));

    // Balancing bleeds the cells that were chosen at the last measurement.
    const double bleed = BalanceCurrentA * dt / 3600.0 / capacityAh;
    for (int i = 0; i < Telemetry::MaxCells; ++i) {
        if (m_t.balancing & (1u << i))
            m_socOffset[size_t(i)] -= bleed;
    }

    if (m_calibrationLeftS > 0)
        m_calibrationLeftS = std::max(0.0, m_calibrationLeftS - dt);

    measure(p);
    keepBooks(dt);
}

void PackModel::keepBooks(double seconds)
{
    if (!(seconds > 0))
        return;
    // The current is held over the step; the voltage is the one measured with it.
    const double ah = m_currentA * seconds / 3600.0;
    const double wh = ah * m_t.packMv / 1000.0;
    if (ah > 0) {
        m_books.chargedAh += ah;
        m_books.chargedWh += wh;
    } else {
        m_books.dischargedAh -= ah;
        m_books.dischargedWh -= wh;
    }
    m_books.seconds += seconds;
}

void PackModel::measure(const BoardParameters &p)
{
    Telemetry &t = m_t;
    const int n = std::clamp(p.cellsInSeries(), 1, Telemetry::MaxCells);
    t.cellCount = n;
    t.cellMv.fill(0);
    int sum = 0;
    int maxMv = 0;
    int minMv = 0;
    int maxCell = 0;
    for (int i = 0; i < n; ++i) {
        const double cellSoc = std::clamp(m_soc + m_socOffset[size_t(i)], 0.0, 1.05);
        const double irMv = (OhmicShare * m_currentA + (1 - OhmicShare) * m_polarisationA)
            * CellResistanceOhm * m_resistanceFactor[size_t(i)] * 1000.0;
        const double noise = m_currentA != 0 ? gauss(0.7) : 0;
        const double mv = cellOpenCircuitMv(cellSoc) + irMv + m_sensorOffsetMv[size_t(i)] + noise;
        int v = int(std::clamp(std::lround(mv), 0L, 65535L));
        // A forced cell reads its value; the noise was drawn all the same, so the other cells
        // read as they would have.
        for (const Forcing &f : qAsConst(m_forcings)) {
            if (f.onCell() && f.index == i + 1)
                v = f.value;
        }
        t.cellMv[size_t(i)] = v;
        sum += v;
        if (i == 0 || v > maxMv) {
            maxMv = v;
            maxCell = i + 1;
        }
        if (i == 0 || v < minMv)
            minMv = v;
    }
    std::array<int, Telemetry::MaxCells> sorted = t.cellMv;
    std::sort(sorted.begin(), sorted.begin() + n);
    int minDiff = 0;
    for (int i = 1; i < n; ++i) {
        const int d = sorted[size_t(i)] - sorted[size_t(i - 1)];
        if (i == 1 || d < minDiff)
            minDiff = d;
    }
    t.packMv = sum;
    t.avgMv = sum / n;
    t.maxMv = maxMv;
    t.minMv = minMv;
    t.maxDiffMv = maxMv - minMv;
    t.minDiffMv = minDiff;
    t.maxCell = maxCell;

    const double tempNoise = m_currentA != 0 ? 0.03 : 0;
    const double temps[6] = { m_config.ambientC, m_mosTempC,  m_cellTempC,
                              m_cellTempC,       m_cellTempC, m_cellTempC };
    for (int i = 0; i < 6; ++i) {
        const double c =
            temps[i] + m_tempOffsetC[size_t(i)] + (tempNoise > 0 ? gauss(tempNoise) : 0);
        t.tempCenti[size_t(i)] = int(std::lround(c * 100));
    }
    for (const Forcing &f : qAsConst(m_forcings)) {
        if (!f.onCell())
            t.tempCenti[size_t(1 + f.index)] = f.value; // after environment and MOSFET
    }

    t.currentMa = int(std::lround(m_currentA * 1000.0 + (m_currentA != 0 ? gauss(15) : 0)));
    t.charger = m_requestedA > 0;
    t.load = m_requestedA < 0;
    t.job = m_currentA > 0.05 ? JobCharging : m_currentA < -0.05 ? JobDischarging : JobRest;

    const int capacityAh = std::max<int>(1, p.value(BoardParameters::DesignCapacity));
    t.socPercent = int(std::lround(m_soc * 100));
    t.remainingMah = std::llround(m_soc * capacityAh * 1000.0);
    t.chargedMah = std::llround(m_chargedAh * 1000.0);
    t.dischargedMah = std::llround(m_dischargedAh * 1000.0);
    t.cycles = InitialCycles + int(m_dischargedAh / capacityAh);
    t.sohPercent = StateOfHealth;

    t.balancing = 0;
    const int balanceMv = p.value(BoardParameters::BalanceVoltage);
    const int balanceDiff = p.value(BoardParameters::BalanceStartDifference);
    for (int i = 0; i < n; ++i) {
        const int v = t.cellMv[size_t(i)];
        if (v >= balanceMv && v - minMv >= balanceDiff)
            t.balancing |= 1u << i;
    }

    // Alarms only concern the side that is in use.
    double maxT = t.tempCenti[2] / 100.0;
    double minT = maxT;
    for (int i = 3; i < 6; ++i) {
        maxT = std::max(maxT, t.tempCenti[size_t(i)] / 100.0);
        minT = std::min(minT, t.tempCenti[size_t(i)] / 100.0);
    }
    t.alarms = 0;
    if (t.charger && maxT >= p.celsius(BoardParameters::ChargeHighTempAlarm))
        t.alarms |= ChargeHighTempAlarm;
    if (t.charger && minT <= p.celsius(BoardParameters::ChargeLowTempAlarm))
        t.alarms |= ChargeLowTempAlarm;
    if (t.load && maxT >= p.celsius(BoardParameters::DischargeHighTempAlarm))
        t.alarms |= DischargeHighTempAlarm;
    if (t.load && minT <= p.celsius(BoardParameters::DischargeLowTempAlarm))
        t.alarms |= DischargeLowTempAlarm;

    t.calibrating = m_calibrationLeftS > 0;
    t.calibrationAmps = m_calibrationAmps;
}

void PackModel::updateProtections(double dt, const BoardParameters &p, double requestedA)
{
    const Telemetry &t = m_t;
    const bool chargeSide = requestedA > 0;
    const bool dischargeSide = requestedA < 0;
    const double amps = t.currentMa / 1000.0;
    double maxT = t.tempCenti[2] / 100.0;
    double minT = maxT;
    for (int i = 3; i < 6; ++i) {
        maxT = std::max(maxT, t.tempCenti[size_t(i)] / 100.0);
        minT = std::min(minT, t.tempCenti[size_t(i)] / 100.0);
    }
    const double mosT = t.tempCenti[1] / 100.0;
    const double packTenMv = t.packMv / 10.0;
    const double packMargin = t.cellCount * CellRecoveryMarginMv / 10.0;
    auto v = [&p](int code) { return double(p.value(code)); };
    auto c = [&p](int code) { return double(p.celsius(code)); };
    using P = BoardParameters;

    // Recovery points: the recovery threshold where it lies on the safe side of the protection
    // threshold, otherwise a margin past the protection threshold, so a protection cannot flap.
    auto below = [](double recovery, double threshold, double margin) {
        return recovery < threshold ? recovery : threshold - margin;
    };
    auto above = [](double recovery, double threshold, double margin) {
        return recovery > threshold ? recovery : threshold + margin;
    };
    // A protection trips once its condition has held for the delay and is released by its own
    // recovery rule.
    auto decide = [&](int code, bool condition, double delayS, bool release) {
        Trip &trip = m_trips[size_t(code)];
        if (!trip.active) {
            trip.pendingS = condition ? trip.pendingS + dt : 0;
            if (condition && trip.pendingS >= delayS) {
                trip.active = true;
                trip.pendingS = 0;
                trip.heldS = 0;
            }
        } else {
            trip.heldS += dt;
            if (release)
                trip.active = false;
        }
    };
    auto heldLongEnough = [this](int code) {
        return m_trips[size_t(code)].heldS >= CurrentTripReleaseS;
    };

    decide(CellOverVoltage, t.maxMv >= v(P::CellOverVoltage), v(P::CellOverVoltageDelay) / 1000,
           t.maxMv
               < below(v(P::CellOverVoltageRecovery), v(P::CellOverVoltage), CellRecoveryMarginMv));
    decide(CellUnderVoltage, t.minMv <= v(P::CellUnderVoltage), v(P::CellUnderVoltageDelay) / 1000,
           t.minMv > above(v(P::CellUnderVoltageRecovery), v(P::CellUnderVoltage),
                           CellRecoveryMarginMv));
    decide(PackOverVoltage, packTenMv >= v(P::PackOverVoltage), v(P::CellOverVoltageDelay) / 1000,
           packTenMv < below(v(P::PackOverVoltageRecovery), v(P::PackOverVoltage), packMargin));
    decide(PackUnderVoltage, packTenMv <= v(P::PackUnderVoltage),
           v(P::CellUnderVoltageDelay) / 1000,
           packTenMv > above(v(P::PackUnderVoltageRecovery), v(P::PackUnderVoltage), packMargin));
    decide(CellDifference, t.maxDiffMv >= v(P::CellDifferenceProtection), CellDifferenceDelayS,
           t.maxDiffMv < v(P::CellDifferenceProtection));

    decide(ChargeOverCurrent, amps > v(P::ChargeOverCurrent), v(P::ChargeOverCurrentDelay) / 1000,
           heldLongEnough(ChargeOverCurrent));
    decide(DischargeOverCurrent1, -amps > v(P::DischargeOverCurrent1),
           v(P::DischargeOverCurrent1Delay) / 1000, heldLongEnough(DischargeOverCurrent1));
    decide(DischargeOverCurrent2, -amps > v(P::DischargeOverCurrent2),
           v(P::DischargeOverCurrent2Delay) / 1000, heldLongEnough(DischargeOverCurrent2));
    // Sense resistance in micro-ohm gives the shunt voltage in mV; the delay is in microseconds.
    const double shuntMv = -amps * v(P::SenseResistance) / 1000.0;
    decide(ShortCircuit, amps < 0 && shuntMv >= v(P::ShortCircuitVoltage),
           v(P::ShortCircuitDelay) / 1e6, heldLongEnough(ShortCircuit));

    decide(ChargeOverTemp, chargeSide && maxT >= c(P::ChargeHighTemp), TempTripDelayS,
           maxT < below(c(P::ChargeHighTempRecovery), c(P::ChargeHighTemp), TempRecoveryMarginC));
    decide(ChargeUnderTemp, chargeSide && minT <= c(P::ChargeLowTemp), TempTripDelayS,
           minT > above(c(P::ChargeLowTempRecovery), c(P::ChargeLowTemp), TempRecoveryMarginC));
    decide(DischargeOverTemp, dischargeSide && maxT >= c(P::DischargeHighTemp), TempTripDelayS,
           maxT < below(c(P::DischargeHighTempRecovery), c(P::DischargeHighTemp),
                        TempRecoveryMarginC));
    decide(
        DischargeUnderTemp, dischargeSide && minT <= c(P::DischargeLowTemp), TempTripDelayS,
        minT > above(c(P::DischargeLowTempRecovery), c(P::DischargeLowTemp), TempRecoveryMarginC));
    decide(PcbOverTemp, mosT >= PcbTripC, TempTripDelayS, mosT < PcbReleaseC);

    auto active = [this](int code) { return m_trips[size_t(code)].active; };
    // The board reports one code: the most severe active protection.
    static constexpr int Severity[] = {
        ShortCircuit,     DischargeOverCurrent2, DischargeOverCurrent1, ChargeOverCurrent,
        PcbOverTemp,      CellOverVoltage,       CellUnderVoltage,      PackOverVoltage,
        PackUnderVoltage, CellDifference,        ChargeOverTemp,        DischargeOverTemp,
        ChargeUnderTemp,  DischargeUnderTemp,
    };
    m_t.protection = NoProtection;
    for (int code : Severity) {
        if (active(code)) {
            m_t.protection = code;
            break;
        }
    }
    m_t.chargeMos = !(active(CellOverVoltage) || active(PackOverVoltage) || active(CellDifference)
                      || active(ChargeOverCurrent) || active(ChargeOverTemp)
                      || active(ChargeUnderTemp) || active(PcbOverTemp));
    m_t.dischargeMos =
        !(active(CellUnderVoltage) || active(PackUnderVoltage) || active(DischargeOverCurrent1)
          || active(DischargeOverCurrent2) || active(ShortCircuit) || active(DischargeOverTemp)
          || active(DischargeUnderTemp) || active(PcbOverTemp));
}
