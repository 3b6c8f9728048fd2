#include "eventjournal.h"

// The decisions are filled in by the journal's own change; until then no event is reported.

void EventJournal::setAlerts(const Alerts &alerts)
{
    m_alerts = alerts;
}

void EventJournal::setParameters(const QVector<ParameterBlock::Field> &fields)
{
    Q_UNUSED(fields);
}

void EventJournal::take(qint64 timeMs, const AFE &record, const RealTimeReply &values)
{
    Q_UNUSED(timeMs);
    Q_UNUSED(record);
    Q_UNUSED(values);
}

void EventJournal::missed(qint64 timeMs)
{
    Q_UNUSED(timeMs);
}

void EventJournal::stop(qint64 timeMs)
{
    Q_UNUSED(timeMs);
}

QVector<PackEvent> EventJournal::takeChanges()
{
    QVector<PackEvent> changes;
    changes.swap(m_changes);
    return changes;
}

namespace EventNames {

QStringList keys()
{
    return {};
}

QString title(const PackEvent &event, Language)
{
    return event.key;
}

QString where(const PackEvent &, Language)
{
    return QString();
}

QString value(const PackEvent &, int value, Language)
{
    return QString::number(value);
}

QString describe(const PackEvent &event, Language)
{
    return event.key;
}

QString kindName(PackEvent::Kind kind, Language)
{
    return QString::number(kind);
}

QString problems(const QVector<PackEvent> &, Language)
{
    return QStringLiteral("none");
}

QJsonObject toJson(const PackEvent &)
{
    return QJsonObject();
}

} // namespace EventNames
