#pragma once

// A board session on the simulated board's pseudo-terminal, with no window. Each test function
// gets a fresh folder, board and session; what the session tells is counted in `heard`.
#include "boardline.h"
#include "boardsession.h"

#include <QList>

#include <ctime>
#include <memory>

inline double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// What a session tells, counted. The line's verdicts are also kept in their order, a letter
// each: S a frame sent, B bus busy, T a time-out, G a good frame, C a CRC mismatch.
struct Heard
{
    int opened = 0, sent = 0, busy = 0, timeouts = 0;
    int received = 0, good = 0, crc = 0, noStart = 0, records = 0;
    int crcMismatch = 0; // the signal of its own, beside the verdict
    int failures = 0; // what a presenter tells the user of: open, port, send, closed-port poll
    QList<BoardSession::CloseReason> closed;
    QByteArray verdicts;

    // What a presenter shows of the line's state: the last verdict.
    char last() const { return verdicts.isEmpty() ? '\0' : verdicts.back(); }

    void listen(BoardSession *s)
    {
        using S = BoardSession;
        const auto count = [this, s](auto signal, int *n, char letter = 0) {
            QObject::connect(s, signal, s, [this, n, letter] {
                ++*n;
                if (letter)
                    verdicts.append(letter);
            });
        };
        count(&S::opened, &opened);
        count(&S::openFailed, &failures);
        count(&S::portFailed, &failures);
        count(&S::sendFailed, &failures);
        count(&S::pollOnClosedPort, &failures);
        count(&S::frameReceived, &received);
        count(&S::crcMismatch, &crcMismatch);
        count(&S::realTimeRecord, &records);
        count(&S::frameSent, &sent, 'S');
        count(&S::busBusy, &busy, 'B');
        count(&S::replyTimeout, &timeouts, 'T');
        QObject::connect(s, &S::closed, s, [this](S::CloseReason reason) { closed << reason; });
        QObject::connect(s, &S::frameChecked, s, [this](const QByteArray &, S::FrameVerdict v) {
            const bool isGood = v == S::FrameVerdict::Good;
            if (!isGood && v != S::FrameVerdict::CrcMismatch)
                return void(++noStart);
            ++*(isGood ? &good : &crc);
            verdicts.append(isGood ? 'G' : 'C');
        });
    }
};

class SessionFixture : public BoardLine
{
protected:
    void setUp()
    {
        setUpLine();
        session = std::make_unique<BoardSession>();
        heard = std::make_unique<Heard>();
        heard->listen(session.get());
    }

    void tearDown()
    {
        session.reset(); // first: a session being destroyed tells nothing
        heard.reset();
        tearDownLine();
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

    std::unique_ptr<BoardSession> session;
    std::unique_ptr<Heard> heard;
};
