#include "labelholder.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>

LabelHolder::LabelHolder(QLabel *label, QWidget *parent)
    : QWidget(parent)
    , m_label(label)
{
    setSizePolicy(label->sizePolicy());
}

LabelHolder *LabelHolder::wrap(QLabel *label)
{
    QWidget *parent = label->parentWidget();
    auto *holder = new LabelHolder(label, parent);
    if (parent && parent->layout()) {
        // The layout that holds the label may be nested in the parent's.
        QLayoutItem *replaced = parent->layout()->replaceWidget(label, holder);
        delete replaced;
    }
    label->setParent(holder);
    label->move(0, 0);
    label->show();
    return holder;
}

QSize LabelHolder::sizeHint() const
{
    m_height = m_label->sizeHint().height();
    return m_label->sizeHint();
}

QSize LabelHolder::minimumSizeHint() const
{
    return m_label->minimumSizeHint();
}

bool LabelHolder::hasHeightForWidth() const
{
    return m_label->hasHeightForWidth();
}

int LabelHolder::heightForWidth(int width) const
{
    const int height = m_label->heightForWidth(width);
    if (width == this->width())
        m_height = height;
    return height;
}

int LabelHolder::wantedHeight() const
{
    return m_label->hasHeightForWidth() ? m_label->heightForWidth(width())
                                        : m_label->sizeHint().height();
}

bool LabelHolder::event(QEvent *event)
{
    // A holder has no layout of its own: a request comes from the label. One made while hidden
    // never came; the label's height is looked at again when shown.
    const QEvent::Type type = event->type();
    if ((type == QEvent::LayoutRequest || type == QEvent::Show) && wantedHeight() != m_height)
        updateGeometry();
    return QWidget::event(event);
}

void LabelHolder::resizeEvent(QResizeEvent *event)
{
    m_label->setGeometry(rect());
    if (m_label->hasHeightForWidth())
        m_height = m_label->heightForWidth(width());
    QWidget::resizeEvent(event);
}
