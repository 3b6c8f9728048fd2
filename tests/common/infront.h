#pragma once

#include <QStackedWidget>
#include <QTabWidget>

// The widget, with every page of the window's tabs that holds it brought to the front, as a user
// brings up a page to read or use what is on it. A page that was behind another catches up with
// the replies it missed as it is shown.
template<typename T>
T *inFront(T *widget)
{
    for (QWidget *w = widget; w && w->parentWidget(); w = w->parentWidget()) {
        auto *stack = qobject_cast<QStackedWidget *>(w->parentWidget());
        auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
        if (tabs && tabs->currentWidget() != w)
            tabs->setCurrentWidget(w);
    }
    return widget;
}
