#pragma once

#include "framelog.h"

#include <QAbstractTableModel>
#include <QFont>

// The rows of the frame console: the entries the log shows. The model counts its rows itself, so
// a view asking between the log's change and the model's news sees the rows it was told of.
class FrameLogModel : public QAbstractTableModel
{
public:
    FrameLogModel(const FrameLog &log, QObject *parent);

    // The font of the frames' text and hex columns.
    void setFixedFont(const QFont &font) { m_fixed = font; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The log took one entry: change says which rows went and came.
    void apply(const FrameLog::Change &change);

    // The log changed as a whole (cleared, filtered) through change.
    template<typename Change>
    void renew(Change change)
    {
        beginResetModel();
        change();
        m_rows = m_log.shownCount();
        endResetModel();
    }

    // Another language: every text the log makes is made again.
    void retranslate();

private:
    const FrameLog &m_log;
    QFont m_fixed;
    int m_rows = 0;
};
