#pragma once

#include "cellhealth.h"
#include "energymeter.h"
#include "eventjournal.h"
#include "parameterblock.h"
#include "telemetry.h"

#include <QJsonObject>
#include <QMap>
#include <QObject>

#include <functional>

// What the tool concludes about one pack over time, from its valid replies in order with their
// times: each analysis (energy books, the event journal, the cells' health) is a member of its
// own, fed by the one call below and knowing no widget, port or network.
struct PackAnalysis
{
    // The pack's parameter block, once one was read (design capacity, thresholds); empty before.
    QVector<ParameterBlock::Field> parameters;
    qint64 replies = 0; // valid replies taken
    qint64 lastReplyMs = -1; // wall-anchored milliseconds of the last reply; -1 before one
    EnergyMeter energy; // charge and energy in and out, per day and in total
    CellHealth health; // each cell's internal resistance, the weak cell, the spread
    EventJournal events; // protections, alarms, outages and alerts with where they happened

    // One valid real-time reply at timeMs (wall-anchored milliseconds that never step).
    void takeReply(qint64 timeMs, const AFE &record, const RealTimeReply &values);
    // A poll of the pack went unanswered at timeMs.
    void takeUnanswered(qint64 timeMs);
    void takeParameters(const QVector<ParameterBlock::Field> &fields);
    // What the analyses add to the pack's state object (the logger's JSON and MQTT state): the
    // energy books, the cells' health, and "problems" and "events_ongoing" from the journal.
    void addToState(QJsonObject *state) const;
};

// The one owner of every pack's analyses, fed by whoever runs the session (the window or the
// logger) so both show and publish the same figures. A recording opened from disk is analysed by
// a PackAnalysis of its own, fed the same way.
class PackAnalyses : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<qint64()>; // wall-anchored milliseconds that never step

    // clock: defaults to an AnchoredClock made now.
    explicit PackAnalyses(Clock clock = Clock(), QObject *parent = nullptr);

    qint64 now() const { return m_clock(); }

    // A pack's analyses; an address never fed gives an empty one.
    const PackAnalysis &pack(int address) const;
    // The same, to change (books read back from their file); made if never fed.
    PackAnalysis &packToChange(int address) { return packFor(address); }
    QList<int> addresses() const { return m_packs.keys(); }
    // Forgets every pack (a new line, another bank); ongoing events end first (stop()).
    void clear();
    // Watching stops (the line closed, the program ends): every ongoing event ends now, reported
    // by eventChanged with endUnknown set.
    void stop();
    // The user's alerts (cell spread, low charge) for every pack, now and to come.
    void setAlerts(const EventJournal::Alerts &alerts);
    EventJournal::Alerts alerts() const { return m_alerts; }

public slots:
    void reply(int address, const RealTimeReply &values, const AFE &record);
    void unanswered(int address);
    // The parameter block read from the pack at address.
    void parameters(int address, const QVector<ParameterBlock::Field> &fields);

signals:
    // A pack's analyses took something new.
    void changed(int address);
    // An event started (endMs -1) or ended, after `changed` for the same reply.
    void eventChanged(const PackEvent &event);

private:
    PackAnalysis &packFor(int address);
    void reportEvents(int address);

    Clock m_clock;
    QMap<int, PackAnalysis> m_packs;
    EventJournal::Alerts m_alerts;
    qint64 m_nextEventId = 1;
};
