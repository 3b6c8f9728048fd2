#pragma once

#include <QHash>
#include <QLatin1String>
#include <QObject>
#include <QStringList>

// Widgets of the form found once by object name, for the core units that address widgets by
// name: a reply then costs a hash look-up per widget instead of a walk through the widget tree.
// Names are kept by reference and must outlive the table (the core's names are literals).
template<typename Widget>
class WidgetTable
{
public:
    // Looks for a descendant of root with this name and type; a name without one is kept in
    // missing() and reads as null.
    void add(const QObject *root, const char *name)
    {
        const QLatin1String key(name);
        if (m_widgets.contains(key))
            return;
        Widget *widget = root->findChild<Widget *>(key);
        if (!widget)
            m_missing.append(key);
        m_widgets.insert(key, widget);
    }

    Widget *operator[](const char *name) const { return m_widgets.value(QLatin1String(name)); }
    int size() const { return m_widgets.size(); }
    // Every widget found, in no particular order.
    QList<Widget *> widgets() const
    {
        QList<Widget *> found = m_widgets.values();
        found.removeAll(nullptr);
        return found;
    }
    const QStringList &missing() const { return m_missing; }

private:
    QHash<QLatin1String, Widget *> m_widgets;
    QStringList m_missing;
};
