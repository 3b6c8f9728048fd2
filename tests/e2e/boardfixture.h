#pragma once

// The window with a real serial port on the simulated board's pseudo-terminal, for the tests
// that drive it as a user does. Each test function gets a fresh folder, board and window.
#include "isolatedsettings.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "simprocess.h"
#include "switchbutton.h"

#include <QComboBox>
#include <QFile>
#include <QSpinBox>
#include <QTemporaryDir>

#include <memory>

constexpr int WaitMs = 5000;
constexpr int PeriodMs = 300; // the fastest poll, so the cases run quickly

class BoardFixture
{
protected:
    void setUp()
    {
        settings = std::make_unique<IsolatedSettings>(); // never the user's settings or files
        dir = std::make_unique<QTemporaryDir>();
        link = dir->filePath(QStringLiteral("ttyARVEX"));
        qputenv("ARVEX_EXTRA_PORTS", QFile::encodeName(link));
        boxes = std::make_unique<Messages::Recorder>();
    }

    void tearDown()
    {
        window.reset();
        sim.reset();
        boxes.reset();
        dir.reset();
        settings.reset();
    }

    // Starts the board with these options and switches the port on in a new window.
    bool connectTo(const QStringList &boardOptions)
    {
        sim = std::make_unique<Sim>();
        if (!sim->start(QStringList{ "--link", link, "--log", dir->filePath("board.log") }
                        + boardOptions))
            return false;
        window = std::make_unique<MainWindow>();
        auto *ports = child<QComboBox>("portName");
        const int entry = ports->findText(link + QStringLiteral(" (virtual)"));
        if (entry < 0)
            return false;
        ports->setCurrentIndex(entry);
        child<QSpinBox>("spinBox")->setValue(PeriodMs);
        child<SwitchButton>("openCom")->SetActive(true);
        return child<SwitchButton>("openCom")->checked();
    }

    QByteArray boardLog() const
    {
        QFile log(dir->filePath("board.log"));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

    // Real-time requests the board has read.
    int requestsSeen() const { return boardLog().count(" RX :Y+01+51=?~"); }

    template<typename T>
    T *child(const char *name) const
    {
        return namedChild<T>(window.get(), name);
    }

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Sim> sim;
    std::unique_ptr<Messages::Recorder> boxes;
    std::unique_ptr<MainWindow> window;
    QString link;
};
