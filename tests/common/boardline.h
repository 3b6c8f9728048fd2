#pragma once

// The simulated board on a link in a fresh temporary folder, listed as a port through
// ARVEX_EXTRA_PORTS while it exists (as an adapter is while plugged in), with its log of every
// frame. The base of the fixtures that talk to it, with or without a window.
#include "simprocess.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

constexpr int WaitMs = 5000;
constexpr int PeriodMs = 300; // the fastest poll, so the cases run quickly

class BoardLine
{
protected:
    void setUpLine()
    {
        dir = std::make_unique<QTemporaryDir>();
        link = dir->filePath(QStringLiteral("ttyARVEX"));
        qputenv("ARVEX_EXTRA_PORTS", QFile::encodeName(link));
    }

    void tearDownLine()
    {
        sim.reset();
        dir.reset();
        qunsetenv("ARVEX_EXTRA_PORTS");
    }

    // Starts a board with these options on the link; a board started before is replaced.
    bool startBoard(const QStringList &options)
    {
        sim = std::make_unique<Sim>();
        return sim->start(QStringList{ "--link", link, "--log", dir->filePath("board.log") }
                          + options);
    }

    QByteArray boardLog() const
    {
        QFile log(dir->filePath("board.log"));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

    // Real-time requests the board has read.
    int requestsSeen() const { return boardLog().count(" RX :Y+01+51=?~"); }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Sim> sim;
    QString link;
};
