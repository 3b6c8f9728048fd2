#pragma once

// A board session on the simulated board's pseudo-terminal, with no window. Each test function
// gets a fresh folder, board and session; what the session tells is counted in `heard`.
#include "boardsession.h"
#include "simprocess.h"

#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <ctime>
#include <memory>

constexpr int WaitMs = 5000;
constexpr int PeriodMs = 300; // the fastest poll, so the cases run quickly

inline double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Every signal of a session, counted. The line's verdicts are also kept in their order, one
// letter each: S a frame sent, B bus busy, T a time-out, G a good frame, C a CRC mismatch.
struct Heard
{
    int opened = 0;
    int openFailed = 0;
    int portFailed = 0;
    int sendFailed = 0;
    int pollOnClosedPort = 0;
    QList<BoardSession::CloseReason> closed;
    int sent = 0;
    int busy = 0;
    int timeouts = 0;
    int received = 0;
    int good = 0;
    int crc = 0; // frameChecked's verdict
    int crcMismatch = 0; // the signal of its own
    int noStart = 0;
    int records = 0;
    QByteArray verdicts;

    // What a presenter shows of the line's state: the last verdict.
    char last() const { return verdicts.isEmpty() ? '\0' : verdicts.back(); }
    // The failures a presenter tells the user of, rather than shows in a status line.
    int failures() const { return openFailed + portFailed + sendFailed + pollOnClosedPort; }

    void listen(BoardSession *session)
    {
        using S = BoardSession;
        QObject::connect(session, &S::opened, session, [this] { ++opened; });
        QObject::connect(session, &S::openFailed, session, [this] { ++openFailed; });
        QObject::connect(session, &S::portFailed, session, [this] { ++portFailed; });
        QObject::connect(session, &S::sendFailed, session, [this] { ++sendFailed; });
        QObject::connect(session, &S::pollOnClosedPort, session, [this] { ++pollOnClosedPort; });
        QObject::connect(session, &S::closed, session,
                         [this](S::CloseReason reason) { closed.append(reason); });
        QObject::connect(session, &S::frameSent, session, [this] { note(&sent, 'S'); });
        QObject::connect(session, &S::busBusy, session, [this] { note(&busy, 'B'); });
        QObject::connect(session, &S::replyTimeout, session, [this] { note(&timeouts, 'T'); });
        QObject::connect(session, &S::frameReceived, session, [this] { ++received; });
        QObject::connect(session, &S::frameChecked, session,
                         [this](const QByteArray &, S::FrameVerdict verdict) {
                             if (verdict == S::FrameVerdict::Good)
                                 note(&good, 'G');
                             else if (verdict == S::FrameVerdict::CrcMismatch)
                                 note(&crc, 'C');
                             else
                                 ++noStart;
                         });
        QObject::connect(session, &S::crcMismatch, session, [this] { ++crcMismatch; });
        QObject::connect(session, &S::realTimeRecord, session, [this] { ++records; });
    }

private:
    void note(int *count, char letter)
    {
        ++*count;
        verdicts.append(letter);
    }
};

class SessionFixture
{
protected:
    void setUp()
    {
        dir = std::make_unique<QTemporaryDir>();
        link = dir->filePath(QStringLiteral("ttyARVEX"));
        // The link is listed as a port while it exists, as an adapter is while plugged in.
        qputenv("ARVEX_EXTRA_PORTS", QFile::encodeName(link));
        session = std::make_unique<BoardSession>();
        heard = std::make_unique<Heard>();
        heard->listen(session.get());
    }

    void tearDown()
    {
        session.reset();
        heard.reset();
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

    BoardSession::LineSettings line() const
    {
        BoardSession::LineSettings settings;
        settings.port = link;
        settings.periodMs = PeriodMs;
        return settings;
    }

    // Starts the board, opens the line to it and polls.
    bool connectTo(const QStringList &options)
    {
        if (!startBoard(options) || !session->open(line()))
            return false;
        session->startPolling();
        return true;
    }

    QByteArray boardLog() const
    {
        QFile log(dir->filePath("board.log"));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Sim> sim;
    std::unique_ptr<BoardSession> session;
    std::unique_ptr<Heard> heard;
    QString link;
};
