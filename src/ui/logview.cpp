#include "logview.h"

#include "logheader.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <utility>

LogView::LogView(QWidget *parent)
    : QTableView(parent)
{
    // Headers whose size costs nothing per logged row.
    LogHeader::install(this, Qt::Horizontal);
    LogHeader::install(this, Qt::Vertical);
    // Scrolling by rows makes the view find the position of its first row again after every added
    // row, a walk over all rows; by pixels it does not.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

void LogView::setModel(QAbstractItemModel *newModel)
{
    if (QAbstractItemModel *old = model())
        disconnect(old, nullptr, this, nullptr);
    QTableView::setModel(newModel);
    relayoutWhole();
    if (!newModel)
        return;
    // Whatever else the model does moves rows the view has drawn.
    const auto whole = [this] { relayoutWhole(); };
    connect(newModel, &QAbstractItemModel::rowsRemoved, this, whole);
    connect(newModel, &QAbstractItemModel::rowsMoved, this, whole);
    connect(newModel, &QAbstractItemModel::columnsInserted, this, whole);
    connect(newModel, &QAbstractItemModel::columnsRemoved, this, whole);
    connect(newModel, &QAbstractItemModel::columnsMoved, this, whole);
    connect(newModel, &QAbstractItemModel::layoutChanged, this, whole);
    connect(newModel, &QAbstractItemModel::modelReset, this, whole);
}

void LogView::setRootIndex(const QModelIndex &index)
{
    relayoutWhole();
    QTableView::setRootIndex(index);
}

void LogView::reset()
{
    relayoutWhole();
    QTableView::reset();
}

void LogView::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    // Another font or style sizes the rows anew: the next layout is a whole one, and it comes
    // now, not with the next row.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        relayoutWhole();
        scheduleDelayedItemsLayout();
    }
}

void LogView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QTableView::rowsInserted(parent, start, end);
    if (m_appendedFrom == WholeLayout)
        return;
    if (parent != rootIndex() || end != model()->rowCount(parent) - 1)
        relayoutWhole(); // rows in between move the ones below them
    else if (m_appendedFrom == NoRows)
        m_appendedFrom = start;
}

void LogView::doItemsLayout()
{
    const int appendedFrom = std::exchange(m_appendedFrom, NoRows);
    if (appendedFrom < 0) {
        QTableView::doItemsLayout();
        return;
    }
    // Only rows at the end are new: the scroll bars and headers take the new length, and the
    // rows are painted where they are on screen (below the view while it is scrolled back).
    updateGeometries();
    const int top = std::max(0, rowViewportPosition(appendedFrom));
    const int height = viewport()->height();
    if (top < height)
        viewport()->update(0, top, viewport()->width(), height - top);
}

void LogView::paintEvent(QPaintEvent *event)
{
    // The viewport paints every pixel itself (see the constructor): the background first, then
    // the cells over it.
    paintBackground(viewport(), event->region());
    QTableView::paintEvent(event);
}

void LogView::paintBackground(QWidget *widget, const QRegion &region)
{
    QPainter painter(widget);
    painter.setClipRegion(region);
    // The palette's brush also stands in for a style sheet's background that leaves something
    // to show through: nothing is painted behind this widget.
    painter.fillRect(region.boundingRect(), widget->palette().brush(widget->backgroundRole()));
    if (widget->testAttribute(Qt::WA_StyledBackground)) {
        QStyleOption option;
        option.initFrom(widget);
        widget->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, widget);
    }
}
