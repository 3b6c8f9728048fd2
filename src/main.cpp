#include "mainwindow.h"
#include "screenshot.h"

#include <QApplication>
#include <QFile>

int qMain(int argc, char **argv)
{
    // The window is laid out in pixels at a fixed size: no scaling.
    qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "0");
    qputenv("QT_SCREEN_SCALE_FACTORS", "1");
    qputenv("QT_SCALE_FACTOR", "1");
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, false);
    QCoreApplication::setAttribute(Qt::AA_DisableHighDpiScaling, true);

    QApplication app(argc, argv);
    // Where QSettings keeps what the program remembers (the recordings folder).
    QCoreApplication::setOrganizationName(QStringLiteral("Arvex"));
    QCoreApplication::setApplicationName(QStringLiteral("arvex"));

    initResources();
    QFile styleFile(QStringLiteral(":/assert/style.qss"));
    if (styleFile.open(QFile::ReadOnly)) {
        app.setStyleSheet(QString::fromUtf8(styleFile.readAll()));
        styleFile.close();
    }

    MainWindow window;
    window.setFixedSize(1360, 768);
    window.show();
    Screenshot::scheduleFromEnvironment(window);

    return app.exec();
}

int main(int argc, char **argv)
{
    return qMain(argc, argv);
}
