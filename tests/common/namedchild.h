#pragma once

#include <QObject>
#include <QtGlobal>

// A widget of the window by its object name. A missing one is a broken form or window, not a
// failed check: the run stops at once with the name.
template<typename T>
T *namedChild(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}
