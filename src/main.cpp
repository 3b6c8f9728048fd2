#include "mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDebug>
#include <QFile>
#include <QTabWidget>
#include <QTimer>

namespace {

// ARVEX_SCREENSHOT=path makes the program save a picture of its window once it is shown, then
// quit: run.sh uses it on machines without a display, and the documentation's pictures are taken
// with it. ARVEX_SCREENSHOT_PAGE picks the page (0 to 3), ARVEX_SCREENSHOT_LANG the language
// (0 to 2) and ARVEX_SCREENSHOT_SUBPAGE the page of the parameter tabs.
void scheduleScreenshot(MainWindow &window, const QString &path)
{
    bool ok = false;
    const int page = qEnvironmentVariableIntValue("ARVEX_SCREENSHOT_PAGE", &ok);
    if (ok) {
        if (auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tab_widget")))
            tabs->setCurrentIndex(page);
    }
    const int subpage = qEnvironmentVariableIntValue("ARVEX_SCREENSHOT_SUBPAGE", &ok);
    if (ok) {
        if (auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget")))
            tabs->setCurrentIndex(subpage);
    }
    const int language = qEnvironmentVariableIntValue("ARVEX_SCREENSHOT_LANG", &ok);
    if (ok) {
        if (auto *lang = window.findChild<QComboBox *>(QStringLiteral("lang")))
            lang->setCurrentIndex(language);
    }

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

} // namespace

int qMain(int argc, char **argv)
{
    // The window is laid out in pixels at a fixed size: no scaling.
    qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "0");
    qputenv("QT_SCREEN_SCALE_FACTORS", "1");
    qputenv("QT_SCALE_FACTOR", "1");
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, false);
    QCoreApplication::setAttribute(Qt::AA_DisableHighDpiScaling, true);

    QApplication app(argc, argv);

    initResources();
    QFile styleFile(QStringLiteral(":/assert/style.qss"));
    if (styleFile.open(QFile::ReadOnly)) {
        app.setStyleSheet(QString::fromUtf8(styleFile.readAll()));
        styleFile.close();
    }

    MainWindow window;
    window.setFixedSize(1360, 768);
    window.show();

    const QString screenshot = qEnvironmentVariable("ARVEX_SCREENSHOT");
    if (!screenshot.isEmpty())
        scheduleScreenshot(window, screenshot);

    return app.exec();
}

int main(int argc, char **argv)
{
    return qMain(argc, argv);
}
