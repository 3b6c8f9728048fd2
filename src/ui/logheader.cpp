#include "logheader.h"

#include "logview.h"

#include <QEvent>
#include <QPaintEvent>
#include <QTableView>

#include <algorithm>

namespace {
int digitsOf(int count)
{
    int digits = 1;
    while (count >= 10) {
        count /= 10;
        ++digits;
    }
    return digits;
}
} // namespace

LogHeader::LogHeader(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

LogHeader *LogHeader::install(QTableView *view, Qt::Orientation orientation)
{
    const QHeaderView *old =
        orientation == Qt::Horizontal ? view->horizontalHeader() : view->verticalHeader();
    auto *header = new LogHeader(orientation, view);
    header->setSectionsClickable(old->sectionsClickable());
    header->setHighlightSections(old->highlightSections());
    header->setStretchLastSection(old->stretchLastSection());
    header->setCascadingSectionResizes(old->cascadingSectionResizes());
    header->setDefaultAlignment(old->defaultAlignment());
    header->setMinimumSectionSize(old->minimumSectionSize());
    header->setDefaultSectionSize(old->defaultSectionSize());
    // Only a header hidden on purpose stays hidden; an unshown one follows the view.
    if (old->isHidden() && old->testAttribute(Qt::WA_WState_ExplicitShowHide))
        header->hide();
    if (orientation == Qt::Horizontal)
        view->setHorizontalHeader(header);
    else
        view->setVerticalHeader(header);
    return header;
}

QSize LogHeader::sizeHint() const
{
    // Captions are measured again when their number changes, row numbers when they gain or lose
    // a digit (numbers of the same length are about equally wide; no rows take no room).
    int key = count();
    if (orientation() == Qt::Vertical && key > 0)
        key = digitsOf(key);
    if (key != m_key || !m_hint.isValid()) {
        m_hint = QHeaderView::sizeHint();
        m_key = key;
    }
    return m_hint;
}

void LogHeader::setModel(QAbstractItemModel *newModel)
{
    if (QAbstractItemModel *old = model()) {
        disconnect(old, &QAbstractItemModel::headerDataChanged, this, &LogHeader::invalidate);
        disconnect(old, &QAbstractItemModel::modelReset, this, &LogHeader::invalidate);
        disconnect(old, &QAbstractItemModel::layoutChanged, this, &LogHeader::invalidate);
        disconnect(old, &QAbstractItemModel::rowsInserted, this, &LogHeader::sectionsAdded);
    }
    QHeaderView::setModel(newModel);
    if (!newModel)
        return;
    // The stock header repaints every section it shows when one is added. Its handler of added
    // rows (connected by name) is called through sectionsAdded, which paints only the new ones.
    if (orientation() == Qt::Vertical
        && disconnect(newModel, SIGNAL(rowsInserted(QModelIndex, int, int)), this,
                      SLOT(sectionsInserted(QModelIndex, int, int))))
        connect(newModel, &QAbstractItemModel::rowsInserted, this, &LogHeader::sectionsAdded);
    // Captions change with the language; a reset may bring other texts altogether.
    connect(newModel, &QAbstractItemModel::headerDataChanged, this, &LogHeader::invalidate);
    connect(newModel, &QAbstractItemModel::modelReset, this, &LogHeader::invalidate);
    connect(newModel, &QAbstractItemModel::layoutChanged, this, &LogHeader::invalidate);
}

void LogHeader::sectionsAdded(const QModelIndex &parent, int first, int last)
{
    QWidget *port = viewport();
    // Sections added before others move them, and a header whose updates are off (the table turns
    // them off while it takes rows away) is left to the table. (Asking the header for its count
    // here would lay it out from the model, which holds the new rows already.)
    const bool atEnd =
        parent == rootIndex() && last == model()->rowCount(parent) - 1 && port->updatesEnabled();
    if (atEnd)
        port->setAttribute(Qt::WA_UpdatesDisabled, true);
    sectionsInserted(parent, first, last);
    if (!atEnd)
        return;
    port->setAttribute(Qt::WA_UpdatesDisabled, false);
    const int top = std::max(0, sectionViewportPosition(first));
    if (top < port->height())
        port->update(0, top, port->width(), port->height() - top);
}

void LogHeader::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        invalidate();
    QHeaderView::changeEvent(event);
}

void LogHeader::paintEvent(QPaintEvent *event)
{
    LogView::paintBackground(viewport(), event->region());
    QHeaderView::paintEvent(event);
}
