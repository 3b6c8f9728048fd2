#include "eventsmodel.h"

#include <QColor>
#include <QDateTime>

#include <algorithm>

namespace {

QString timeText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool startsBefore(const PackEvent &a, const PackEvent &b)
{
    return a.startMs < b.startMs;
}

} // namespace

bool EventsModel::Filter::accepts(const PackEvent &event) const
{
    return (address < 0 || event.address == address) && (kind < 0 || event.kind == kind)
        && (!ongoingOnly || event.ongoing());
}

EventsModel::EventsModel(Clock now, QObject *parent)
    : QAbstractTableModel(parent)
    , m_now(std::move(now))
{
    if (!m_now)
        m_now = [] { return QDateTime::currentMSecsSinceEpoch(); };
}

int EventsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int EventsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString EventsModel::durationText(qint64 ms)
{
    const qint64 s = std::max<qint64>(0, ms) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString EventsModel::text(const PackEvent &event, int column) const
{
    switch (column) {
    case Start:
        return timeText(event.startMs);
    case End:
        if (event.ongoing())
            return tr("进行中");
        if (event.endMs < 0)
            return tr("未知");
        // Watching stopped then; the condition may have lasted longer.
        return event.endUnknown ? timeText(event.endMs) + QStringLiteral(" ?")
                                : timeText(event.endMs);
    case Duration:
        if (event.endMs < 0 && event.endUnknown)
            return QString();
        return (event.endUnknown ? QStringLiteral("≥ ") : QString())
            + durationText(event.durationMs(m_now()));
    case Pack:
        return QStringLiteral("%1").arg(event.address, 2, 10, QLatin1Char('0'));
    case Event:
        return EventNames::title(event);
    case Where:
        return EventNames::where(event);
    case Value: {
        if (event.place == PackEvent::Nowhere)
            return QString();
        const QString start = EventNames::value(event, event.valueStart);
        if (event.worst == event.valueStart)
            return start;
        return tr("%1（%2）").arg(start, EventNames::value(event, event.worst));
    }
    case Threshold:
        return event.hasThreshold ? EventNames::value(event, event.threshold) : QString();
    }
    return QString();
}

QVariant EventsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const PackEvent &e = event(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(e, index.column());
    case Qt::ToolTipRole:
        if (index.column() == End && e.endUnknown)
            return tr("监视在此停止（连接关闭或程序结束），事件实际结束的时间未知。");
        return EventNames::describe(e);
    case Qt::ForegroundRole:
        // What is still going on stands out.
        return e.ongoing() ? QVariant(QColor(0xc6, 0x28, 0x28)) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == Pack || index.column() == Duration
            ? QVariant(Qt::AlignCenter)
            : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant EventsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Start:
        return tr("开始");
    case End:
        return tr("结束");
    case Duration:
        return tr("持续");
    case Pack:
        return tr("电池包");
    case Event:
        return tr("事件");
    case Where:
        return tr("位置");
    case Value:
        return tr("数值（最差）");
    case Threshold:
        return tr("阈值");
    }
    return QVariant();
}

void EventsModel::take(const PackEvent &change)
{
    if (change.ongoing())
        m_ongoingIds.insert(change.id);
    else
        m_ongoingIds.remove(change.id);
    m_addresses.insert(change.address);
    if (!m_held) {
        apply(change, true);
        return;
    }
    m_waiting.append(change);
    // A page left behind for days does not hold a day's changes twice.
    if (m_waiting.size() >= MaxEvents)
        applyWaiting();
}

int EventsModel::storeIndexOf(qint64 id) const
{
    if (id <= 0)
        return -1;
    // What ends is mostly recent.
    for (int i = m_events.size() - 1; i >= 0; --i) {
        if (m_events.at(i).id == id)
            return i;
    }
    return -1;
}

void EventsModel::apply(const PackEvent &change, bool tell)
{
    const int i = storeIndexOf(change.id);
    if (i < 0) {
        insert(change, tell);
        return;
    }
    m_events[i] = change;
    if (!tell)
        return;
    // Its row, if it is shown: m_rows runs newest first, so descending.
    const auto it = std::lower_bound(m_rows.cbegin(), m_rows.cend(), i, std::greater<int>());
    const bool shown = it != m_rows.cend() && *it == i;
    const int row = int(it - m_rows.cbegin());
    if (shown && !m_filter.accepts(change)) {
        beginRemoveRows(QModelIndex(), row, row);
        m_rows.remove(row);
        endRemoveRows();
    } else if (shown) {
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    } else if (m_filter.accepts(change)) {
        beginInsertRows(QModelIndex(), row, row);
        m_rows.insert(row, i);
        endInsertRows();
    }
}

void EventsModel::insert(const PackEvent &event, bool tell)
{
    // After every event that started no later: in the order reported for equal starts.
    const int i = int(std::upper_bound(m_events.cbegin(), m_events.cend(), event, startsBefore)
                      - m_events.cbegin());
    if (!tell) {
        m_events.insert(i, event);
        return;
    }
    // Rows of later events move up by one; they are the first rows (newest first).
    int row = 0;
    while (row < m_rows.size() && m_rows.at(row) >= i)
        ++m_rows[row++];
    m_events.insert(i, event);
    if (m_filter.accepts(event)) {
        beginInsertRows(QModelIndex(), row, row);
        m_rows.insert(row, i);
        endInsertRows();
    }
    if (m_events.size() > MaxEvents) {
        beginResetModel();
        trim();
        rebuildRows();
        endResetModel();
    }
}

void EventsModel::trim()
{
    // A tenth at a time, so a steady stream does not reset the view at every event.
    if (m_events.size() > MaxEvents)
        m_events.remove(0, m_events.size() - MaxEvents + MaxEvents / 10);
}

void EventsModel::rebuildRows()
{
    m_rows.clear();
    for (int i = m_events.size() - 1; i >= 0; --i) {
        if (m_filter.accepts(m_events.at(i)))
            m_rows.append(i);
    }
}

void EventsModel::setEvents(QVector<PackEvent> events)
{
    beginResetModel();
    std::stable_sort(events.begin(), events.end(), startsBefore);
    m_events = std::move(events);
    m_waiting.clear();
    m_ongoingIds.clear();
    m_addresses.clear();
    for (const PackEvent &e : qAsConst(m_events)) {
        m_addresses.insert(e.address);
        if (e.ongoing())
            m_ongoingIds.insert(e.id);
    }
    trim();
    rebuildRows();
    endResetModel();
}

void EventsModel::addEvents(const QVector<PackEvent> &events)
{
    beginResetModel();
    for (const PackEvent &change : qAsConst(m_waiting))
        apply(change, false);
    m_waiting.clear();
    // Read back, they are older than what the owner reports now: in front, then in order.
    m_events = events + m_events;
    std::stable_sort(m_events.begin(), m_events.end(), startsBefore);
    for (const PackEvent &e : events)
        m_addresses.insert(e.address);
    trim();
    rebuildRows();
    endResetModel();
}

void EventsModel::setFilter(const Filter &filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    if (m_held)
        return; // the release rebuilds the rows
    beginResetModel();
    rebuildRows();
    endResetModel();
}

void EventsModel::setHeld(bool held)
{
    if (held == m_held)
        return;
    m_held = held;
    if (!held)
        applyWaiting();
}

void EventsModel::applyWaiting()
{
    // One reset for everything taken while behind, rows filtered anew.
    beginResetModel();
    for (const PackEvent &change : qAsConst(m_waiting))
        apply(change, false);
    m_waiting.clear();
    trim();
    rebuildRows();
    endResetModel();
}

QList<int> EventsModel::addresses() const
{
    QList<int> list = m_addresses.values();
    std::sort(list.begin(), list.end());
    return list;
}

int EventsModel::rowOf(qint64 id) const
{
    const int i = storeIndexOf(id);
    const auto it = std::lower_bound(m_rows.cbegin(), m_rows.cend(), i, std::greater<int>());
    return i >= 0 && it != m_rows.cend() && *it == i ? int(it - m_rows.cbegin()) : -1;
}

void EventsModel::tick()
{
    if (m_held)
        return;
    for (int row = 0; row < m_rows.size(); ++row) {
        if (event(row).ongoing())
            emit dataChanged(index(row, Duration), index(row, Duration));
    }
}

void EventsModel::retranslate()
{
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(m_rows.size() - 1, ColumnCount - 1));
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}
