#include "commandline.h"
#include "mainwindow.h"
#include "portlist.h"
#include "screenshot.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

// A port given by a path that the system does not list, such as a pseudo-terminal, is listed
// the way ARVEX_EXTRA_PORTS lists them, and watched the same way.
void listAsExtraPort(const QString &port)
{
    if (!port.startsWith(QLatin1Char('/')) || !QFileInfo::exists(port)
        || PortList::find(PortList::availablePorts(), port) >= 0)
        return;
    const QByteArray extra = qgetenv("ARVEX_EXTRA_PORTS");
    qputenv("ARVEX_EXTRA_PORTS", QFile::encodeName(port) + (extra.isEmpty() ? "" : ":" + extra));
}

} // namespace

int qMain(int argc, char **argv)
{
    // The names under which the settings are kept (~/.config/Arvex/arvex.conf).
    QCoreApplication::setOrganizationName(QStringLiteral("Arvex"));
    QCoreApplication::setApplicationName(QStringLiteral("arvex"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ARVEX_VERSION));

    // Read before the application object exists: help, the version and a refused value need no
    // display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine::Result command = CommandLine::parse(arguments);
    switch (command.action) {
    case CommandLine::Action::Help: {
        const QCoreApplication app(argc, argv);
        QTextStream(stdout) << CommandLine::helpText();
        return 0;
    }
    case CommandLine::Action::Version:
        QTextStream(stdout) << command.message << '\n';
        return 0;
    case CommandLine::Action::Refuse:
        QTextStream(stderr) << "arvex: " << command.message
                            << "\nTry 'arvex --help' for the options.\n";
        return CommandLine::RefusedExitCode;
    case CommandLine::Action::Run:
        break;
    }
    if (command.options.port)
        listAsExtraPort(*command.options.port);

    // The window is laid out in pixels at a fixed size: no scaling.
    qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "0");
    qputenv("QT_SCREEN_SCALE_FACTORS", "1");
    qputenv("QT_SCALE_FACTOR", "1");
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, false);
    QCoreApplication::setAttribute(Qt::AA_DisableHighDpiScaling, true);

    QApplication app(argc, argv);
    // The desktop entry (arvex.desktop) that gives the window its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("arvex"));

    initResources();
    QFile styleFile(QStringLiteral(":/assert/style.qss"));
    if (styleFile.open(QFile::ReadOnly)) {
        app.setStyleSheet(QString::fromUtf8(styleFile.readAll()));
        styleFile.close();
    }

    MainWindow window;
    window.setFixedSize(1360, 768);
    // Pictures show the window as on a first start, and never change what the user set.
    const bool remember = !Screenshot::requested();
    if (remember) {
        window.loadSettings();
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &MainWindow::saveSettings);
    }
    window.show();
    window.applyStartOptions(command.options);
    Screenshot::scheduleFromEnvironment(window);

    return app.exec();
}

int main(int argc, char **argv)
{
    return qMain(argc, argv);
}
