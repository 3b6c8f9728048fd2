#pragma once

#include "eventjournal.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QVector>

#include <functional>

// The rows of the events page: the events kept oldest first by their start, shown newest first
// through a filter (one pack, one kind, ongoing only).
//
// While its page is behind, the model is held: the changes it takes wait, uncounted by the view,
// and are applied in one go when it is released. A shown page gets each change as a row inserted
// or changed, so its selection and scroll position stay.
class EventsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Start, End, Duration, Pack, Event, Where, Value, Threshold, ColumnCount };
    using Clock = std::function<qint64()>; // epoch milliseconds, for what is still ongoing

    // At most this many events are kept; the oldest go first.
    static constexpr int MaxEvents = 10000;

    struct Filter
    {
        int address = -1; // -1: every pack
        int kind = -1; // a PackEvent::Kind; -1: every kind
        bool ongoingOnly = false;
        bool accepts(const PackEvent &event) const;
        bool operator==(const Filter &o) const
        {
            return address == o.address && kind == o.kind && ongoingOnly == o.ongoingOnly;
        }
    };

    explicit EventsModel(Clock now, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A change as the owner reports it: a start adds its event, an end updates the event of the
    // same id (or adds it whole when its start is not here).
    void take(const PackEvent &change);
    // Every event in place of those there were (read back from files), in any order.
    void setEvents(QVector<PackEvent> events);
    // Events read back from files beside those taken, in any order.
    void addEvents(const QVector<PackEvent> &events);

    void setFilter(const Filter &filter);
    Filter filter() const { return m_filter; }
    // Held: changes wait until release, which applies them at once.
    void setHeld(bool held);
    bool isHeld() const { return m_held; }

    // Events of the owner still ongoing (taken, waiting or not).
    int ongoingCount() const { return m_ongoingIds.size(); }
    // The packs named by any event, ascending.
    QList<int> addresses() const;
    int eventCount() const { return m_events.size(); }

    // The event shown in row; row must be valid.
    const PackEvent &event(int row) const { return m_events.at(m_rows.at(row)); }
    // The row showing the event of this id, or -1 (filtered out, gone, or waiting).
    int rowOf(qint64 id) const;

    // The durations of what is ongoing have grown: their cells are repainted.
    void tick();
    // Names in another language.
    void retranslate();

    // The texts of a cell, for the view and for tests.
    QString text(const PackEvent &event, int column) const;
    static QString durationText(qint64 ms);

private:
    void apply(const PackEvent &change, bool tell);
    int storeIndexOf(qint64 id) const;
    void insert(const PackEvent &event, bool tell);
    void applyWaiting();
    void trim();
    void rebuildRows();

    Clock m_now;
    QVector<PackEvent> m_events; // oldest first by start
    QVector<int> m_rows; // indexes into m_events shown, newest first
    QVector<PackEvent> m_waiting; // taken while held
    QSet<qint64> m_ongoingIds;
    QSet<int> m_addresses;
    Filter m_filter;
    bool m_held = false;
};
