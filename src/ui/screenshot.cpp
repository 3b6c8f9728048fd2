#include "screenshot.h"

#include "mainwindow.h"
#include "switchbutton.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QLineEdit>
#include <QPushButton>
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

// Steps a user would take before the picture, as "field=text" (typed into a field) and "button"
// (clicked), separated by commas: "conf_lv=2900,conf_lv_btn,conf_read".
void runActions(MainWindow &window, const QString &actions)
{
    for (const QString &action : actions.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int equals = action.indexOf(QLatin1Char('='));
        if (equals > 0) {
            if (auto *field = window.findChild<QLineEdit *>(action.left(equals))) {
                field->setText(action.mid(equals + 1));
                continue;
            }
        } else if (auto *button = window.findChild<QAbstractButton *>(action)) {
            button->click();
            continue;
        }
        qWarning().noquote() << "screenshot step" << action << "names no field or button";
    }
}

} // namespace

bool Screenshot::requested()
{
    return !qEnvironmentVariable("ARVEX_SCREENSHOT").isEmpty();
}

void Screenshot::scheduleFromEnvironment(MainWindow &window)
{
    const QString path = qEnvironmentVariable("ARVEX_SCREENSHOT");
    if (path.isEmpty())
        return;
    setIndexFromEnvironment<QTabWidget>(window, "ARVEX_SCREENSHOT_PAGE", "tab_widget");
    setIndexFromEnvironment<QTabWidget>(window, "ARVEX_SCREENSHOT_SUBPAGE", "tabWidget");
    setIndexFromEnvironment<QComboBox>(window, "ARVEX_SCREENSHOT_LANG", "lang");

    // Live data: the port whose list entry starts with ARVEX_SCREENSHOT_CONNECT is switched on,
    // with logging, and the picture waits for some replies.
    int delay = 800; // for the window to be exposed and painted
    const QString port = qEnvironmentVariable("ARVEX_SCREENSHOT_CONNECT");
    if (!port.isEmpty()) {
        auto *ports = window.findChild<QComboBox *>(QStringLiteral("portName"));
        const int index = ports ? ports->findText(port, Qt::MatchStartsWith) : -1;
        if (index < 0) {
            qWarning().noquote() << "no port" << port << "to connect for the screenshot";
        } else {
            ports->setCurrentIndex(index);
            window.findChild<SwitchButton *>(QStringLiteral("openCom"))->SetActive(true);
            window.findChild<QPushButton *>(QStringLiteral("btn_log"))->click();
            delay = 5000;
            // After the first replies, so a read-back finds the board answering.
            const QString actions = qEnvironmentVariable("ARVEX_SCREENSHOT_ACTIONS");
            if (!actions.isEmpty())
                QTimer::singleShot(1500, &window,
                                   [&window, actions] { runActions(window, actions); });
        }
    }
    // Also for a port switched on from the command line (--connect), as run.sh does.
    bool ok = false;
    const int wait = qEnvironmentVariableIntValue("ARVEX_SCREENSHOT_DELAY", &ok);
    if (ok && wait >= 0)
        delay = wait;

    QTimer::singleShot(delay, &window, [&window, path] {
        if (window.grab().save(path)) {
            qInfo().noquote() << "screenshot saved to" << path;
            QCoreApplication::exit(0);
        } else {
            qWarning().noquote() << "could not save the screenshot to" << path;
            QCoreApplication::exit(1);
        }
    });
}
