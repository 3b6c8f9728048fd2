#include "ncombox.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

NComBox::NComBox(QWidget *parent)
    : QComboBox(parent)
{ }

NComBox::~NComBox() = default;

void NComBox::mousePressEvent(QMouseEvent *event)
{
    QComboBox::mousePressEvent(event);
}

int NComBox::popupWidthHint() const
{
    // Measured when it opens: the application's style sheet gives the list its font only once
    // the list is polished, and the entries change with every rescan of the ports.
    QAbstractItemView *list = view();
    list->ensurePolished();
    int widest = list->sizeHintForColumn(0);
    const QFontMetrics metrics(list->font());
    // The text and the item's padding on either side, where the delegate's own hint is short.
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)) + 2 * 8);
    int width = widest + 2 * list->frameWidth();
    if (count() > maxVisibleItems())
        width += list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    return std::max(width, this->width());
}

void NComBox::showPopup()
{
    view()->setMinimumWidth(popupWidthHint());
    QComboBox::showPopup();
}
