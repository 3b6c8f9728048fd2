#include "framelogmodel.h"

#include <QColor>
#include <QFontDatabase>

namespace {
QString cellText(const FrameLog::Entry &e, int column)
{
    switch (column) {
    case FrameLog::TimeColumn:
        return FrameLog::timeText(e.localMs);
    case FrameLog::DirectionColumn:
        return FrameLog::directionText(e.direction);
    case FrameLog::CodeColumn:
        return FrameLog::codeText(e.code);
    case FrameLog::VerdictColumn:
        return FrameLog::verdictText(e.verdict);
    case FrameLog::TextColumn:
        return FrameLog::entryText(e);
    case FrameLog::HexColumn:
        return FrameLog::hexText(e.bytes);
    }
    return QString();
}

// Faults stand out in red, waits in amber, the console's own marks in grey; the rest takes the
// view's colour.
QVariant foreground(FrameLog::Verdict verdict)
{
    switch (verdict) {
    case FrameLog::Verdict::CrcBad:
    case FrameLog::Verdict::NoStart:
    case FrameLog::Verdict::Timeout:
    case FrameLog::Verdict::NotSent:
        return QColor(255, 96, 96);
    case FrameLog::Verdict::BusBusy:
        return QColor(240, 160, 0);
    case FrameLog::Verdict::Paused:
    case FrameLog::Verdict::Stopped:
        return QColor(150, 150, 150);
    case FrameLog::Verdict::None:
    case FrameLog::Verdict::CrcGood:
        break;
    }
    return QVariant();
}
} // namespace

FrameLogModel::FrameLogModel(const FrameLog &log, QObject *parent)
    : QAbstractTableModel(parent)
    , m_log(log)
    , m_fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont))
{ }

int FrameLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int FrameLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FrameLog::ColumnCount;
}

QVariant FrameLogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_log.shownCount())
        return QVariant();
    const FrameLog::Entry &e = m_log.shown(index.row());
    const int column = index.column();
    const bool longColumn = column == FrameLog::TextColumn || column == FrameLog::HexColumn;
    switch (role) {
    case Qt::DisplayRole:
        return cellText(e, column);
    case Qt::ToolTipRole:
        // The long columns are cut at the view's edge; the whole is one hover away.
        return longColumn ? cellText(e, column) : QVariant();
    case Qt::FontRole:
        // Frames in a fixed font, so their fields line up from row to row.
        return longColumn && e.direction != FrameLog::Direction::Event ? m_fixed : QVariant();
    case Qt::ForegroundRole:
        return foreground(e.verdict);
    default:
        return QVariant();
    }
}

QVariant FrameLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return FrameLog::caption(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void FrameLogModel::apply(const FrameLog::Change &change)
{
    if (change.droppedShown > 0) {
        beginRemoveRows(QModelIndex(), 0, change.droppedShown - 1);
        m_rows -= change.droppedShown;
        endRemoveRows();
    }
    if (change.shown) {
        beginInsertRows(QModelIndex(), m_rows, m_rows);
        ++m_rows;
        endInsertRows();
    }
}

void FrameLogModel::retranslate()
{
    emit headerDataChanged(Qt::Horizontal, 0, FrameLog::ColumnCount - 1);
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, FrameLog::ColumnCount - 1),
                         { Qt::DisplayRole, Qt::ToolTipRole });
}
