#include "screenshot.h"

#include "mainwindow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QTabWidget>
#include <QTimer>

namespace {

template<typename Widget>
void setIndexFromEnvironment(MainWindow &window, const char *variable, const char *objectName)
{
    bool ok = false;
    const int index = qEnvironmentVariableIntValue(variable, &ok);
    if (!ok)
        return;
    if (auto *widget = window.findChild<Widget *>(QLatin1String(objectName)))
        widget->setCurrentIndex(index);
}

} // namespace

void Screenshot::scheduleFromEnvironment(MainWindow &window)
{
    const QString path = qEnvironmentVariable("ARVEX_SCREENSHOT");
    if (path.isEmpty())
        return;
    setIndexFromEnvironment<QTabWidget>(window, "ARVEX_SCREENSHOT_PAGE", "tab_widget");
    setIndexFromEnvironment<QTabWidget>(window, "ARVEX_SCREENSHOT_SUBPAGE", "tabWidget");
    setIndexFromEnvironment<QComboBox>(window, "ARVEX_SCREENSHOT_LANG", "lang");

    // Give the window a moment to be exposed and painted before it is grabbed.
    QTimer::singleShot(800, &window, [&window, path] {
        if (window.grab().save(path)) {
            qInfo().noquote() << "screenshot saved to" << path;
            QCoreApplication::exit(0);
        } else {
            qWarning().noquote() << "could not save the screenshot to" << path;
            QCoreApplication::exit(1);
        }
    });
}
