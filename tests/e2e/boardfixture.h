#pragma once

// The window with a real serial port on the simulated board's pseudo-terminal, for the tests
// that drive it as a user does. Each test function gets a fresh folder, board and window.
#include "boardline.h"
#include "isolatedsettings.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "switchbutton.h"

#include <QComboBox>
#include <QSpinBox>

#include <memory>

class BoardFixture : public BoardLine
{
protected:
    void setUp()
    {
        settings = std::make_unique<IsolatedSettings>(); // never the user's settings or files
        setUpLine();
        boxes = std::make_unique<Messages::Recorder>();
    }

    void tearDown()
    {
        window.reset();
        boxes.reset();
        tearDownLine();
        settings.reset();
    }

    // Starts the board with these options and switches the port on in a new window.
    bool connectTo(const QStringList &boardOptions)
    {
        if (!startBoard(boardOptions))
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

    template<typename T>
    T *child(const char *name) const
    {
        return namedChild<T>(window.get(), name);
    }

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<Messages::Recorder> boxes;
    std::unique_ptr<MainWindow> window;
};
