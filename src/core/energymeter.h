#pragma once

#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <array>

// The books of one pack: charge and energy that went in and out, per local day and since the
// meter started, integrated with the trapezoid rule from consecutive valid replies (the signed
// current and the pack voltage). An interval that is much longer than the usual spacing between
// replies, or that spans a stale link, is not integrated: it counts as time without data, so a
// pack that was away never gains or loses anything for the time it was away. Times are
// milliseconds of a clock that never steps (the wall-anchored clock of the analyses).
class EnergyMeter
{
public:
    // An interval longer than this many usual spacings is a gap.
    static constexpr int GapFactor = 3;
    // Polls unanswered in a row that make the link stale (as the logger says a pack is offline).
    static constexpr int StaleMisses = 3;
    // The usual spacing before two intervals were seen: the default polling period.
    static constexpr qint64 DefaultSpacingMs = 1000;
    // Days kept in the books (older ones are dropped; the totals keep them).
    static constexpr int DaysKept = 400;
    // The format of the file the books are kept in.
    static constexpr int FileVersion = 1;

    struct Totals
    {
        double chargedAs = 0; // ampere-seconds in
        double dischargedAs = 0; // ampere-seconds out (positive)
        double chargedWs = 0; // watt-seconds in
        double dischargedWs = 0; // watt-seconds out (positive)

        double chargedAh() const { return chargedAs / 3600.0; }
        double dischargedAh() const { return dischargedAs / 3600.0; }
        double chargedKwh() const { return chargedWs / 3.6e6; }
        double dischargedKwh() const { return dischargedWs / 3.6e6; }
        void add(const Totals &other, double share = 1.0);
        // As the state JSON carries them: {"charged_ah","discharged_ah","charged_kwh",
        // "discharged_kwh"}, rounded to what the board's figures can tell.
        QJsonObject toState() const;
    };

    struct Day
    {
        QDate date;
        Totals totals;
    };

    EnergyMeter() = default;

    // One valid reply at timeMs: the pack voltage and the current signed as the trends sign it
    // (negative while discharging).
    void take(qint64 timeMs, int voltageMv, int currentMa);
    // A poll went unanswered. After StaleMisses in a row the link is stale: the interval to the
    // next reply is not integrated, however short it turns out.
    void missed();
    // The design capacity from the pack's parameter block; 0 or less: unknown.
    void setDesignCapacityAh(double ah) { m_designAh = ah > 0 ? ah : 0; }
    double designCapacityAh() const { return m_designAh; }

    const Totals &total() const { return m_total; }
    // The day the totals start from; invalid before the first reply.
    QDate since() const { return m_since; }
    // The books of one local day (zero for a day without any).
    Totals day(const QDate &date) const;
    // Every day with books, oldest first.
    const QVector<Day> &days() const { return m_days; }
    // Time between replies that was not integrated (gaps, a stale link, a clock going back).
    qint64 withoutDataMs() const { return m_withoutDataMs; }
    qint64 integratedMs() const { return m_integratedMs; }
    // Discharged Ah over the design capacity; negative while the capacity is unknown.
    double cyclesEquivalent() const;
    // Counts every change of the books, so an owner knows when they need saving.
    quint64 revision() const { return m_revision; }

    // The part of the state JSON: {"since","total":{...},"today":{...},"cycles_equivalent"}.
    QJsonObject toState(const QDate &today) const;
    // The books as kept in their file (with its format and version), and read back. fromFile
    // replaces the books only when the whole object is sound, keeping the last reply, so the
    // next interval still joins on; otherwise it says why and changes nothing.
    QJsonObject toFile() const;
    bool fromFile(const QJsonObject &file, QString *why);

    // The local calendar day of a time, and where that day ends (the next local midnight).
    static QDate localDate(qint64 timeMs);
    static qint64 nextMidnightMs(const QDate &date);

private:
    void book(qint64 fromMs, qint64 toMs, const Totals &interval);
    void addToDay(const QDate &date, const Totals &totals);
    qint64 usualSpacingMs() const;

    Totals m_total;
    QDate m_since;
    QVector<Day> m_days;
    qint64 m_withoutDataMs = 0;
    qint64 m_integratedMs = 0;
    double m_designAh = 0;
    quint64 m_revision = 0;

    // The last reply, where the next interval begins.
    bool m_haveLast = false;
    int m_misses = 0; // polls unanswered since the last reply
    qint64 m_lastMs = 0;
    int m_lastMv = 0;
    int m_lastMa = 0;

    // The local day the last interval ended in: its date and where it ends, so most replies
    // need no calendar look-up.
    QDate m_dayDate;
    qint64 m_dayStartMs = 0;
    qint64 m_dayEndMs = 0;

    // The last spacings seen, their median the usual one.
    std::array<qint64, 8> m_spacings{};
    int m_spacingCount = 0;
    int m_spacingNext = 0;
};
