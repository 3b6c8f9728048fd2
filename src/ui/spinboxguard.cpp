#include "spinboxguard.h"

#include <QEvent>
#include <QKeyEvent>
#include <QSpinBox>

SpinBoxGuard::SpinBoxGuard(QSpinBox *box, std::function<void(int typed)> refused)
    : QObject(box)
    , m_box(box)
    , m_refused(std::move(refused))
{
    box->installEventFilter(this);
}

std::optional<int> SpinBoxGuard::typedOutOfRange(const QSpinBox *box)
{
    bool ok = false;
    const int typed = box->locale().toInt(box->cleanText(), &ok);
    if (!ok || (typed >= box->minimum() && typed <= box->maximum()))
        return std::nullopt;
    return typed;
}

bool SpinBoxGuard::eventFilter(QObject *watched, QEvent *event)
{
    // Before the box itself handles the key or the focus change and puts its value back.
    if (watched == m_box && m_box->isEnabled()) {
        bool finished = event->type() == QEvent::FocusOut;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            finished = key == Qt::Key_Return || key == Qt::Key_Enter;
        }
        if (finished) {
            if (const std::optional<int> typed = typedOutOfRange(m_box))
                m_refused(*typed);
        }
    }
    return QObject::eventFilter(watched, event);
}
