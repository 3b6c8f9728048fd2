#pragma once

#include "boardparameters.h"
#include "packmodel.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <random>

// Bytes to put on the line after a pause. A reply may go out in several pieces; the piece that
// starts a frame carries the whole frame for the traffic log.
struct Piece
{
    QByteArray bytes;
    int delayMs = 0; // pause before these bytes, counted from the previous piece
    QByteArray logFrame; // logged as sent when this piece goes out; empty: not logged
    QString note;
};

// The board's side of the protocol: answers read requests for its address, applies write frames
// with a matching CRC, runs the device commands, and injects the faults it was asked for.
class Board
{
public:
    struct Faults
    {
        double drop = 0; // fraction of requests ignored
        double badCrc = 0; // fraction of replies sent with a wrong CRC
        bool split = false; // replies in two to four pieces with short gaps
        int delayMs = 0; // pause before each reply
        bool noise = false; // stray bytes in front of each reply
        bool strayTilde = false; // a lone end mark "~" in front of each reply
        bool signedCurrent = false; // discharge current in two's complement
        bool unknownCode = false; // real-time data sent under a code the tool does not know
        int quitMidReply = 0; // after this many real-time replies, send half of the next, quit
        bool dropBlock = false; // parameter block requests ignored
        QVector<int> keep; // write codes the board takes and ignores, keeping its own value
    };

    static constexpr int ResetSilenceMs = 1500;
    static constexpr uint16_t CommandKey = 90;
    static constexpr int ResetCode = 0x53;
    static constexpr int InitSocCode = 0x50;
    static constexpr int InitParametersCode = 0x4F;
    static constexpr int CalibrationCode = 0x48;
    static constexpr int BatteryNumberCode = 0x1D;
    static constexpr int MaxAddress = 99;
    static constexpr int MaxBatteryNumber = 0xFF; // the two digits of the reply's address field
    static constexpr int UnknownCode = 0x5A; // what --unknown-code answers under

    struct Outcome
    {
        QString note; // how the frame was taken, for the traffic log
        QVector<Piece> pieces; // what to send in answer
        bool quit = false; // the board goes away once the pieces are out
    };

    Board(BoardParameters &parameters, PackModel &model, int address, const Faults &faults,
          uint32_t seed);

    // Handles one frame from the host; nowMs is a monotonic clock.
    Outcome handle(const QByteArray &frame, qint64 nowMs);
    int batteryNumber() const { return m_batteryNumber; }
    // As a write of code 1D leaves it: the replies state number in their address field.
    void setBatteryNumber(int number) { m_batteryNumber = number; }
    // Ends the faults on the line (lost, late, spoiled, split, noisy or unknown replies); the
    // board answers cleanly from the next request on.
    void clearLineFaults();
    bool isSilent(qint64 nowMs) const { return nowMs < m_silentUntilMs; }

private:
    QString applyWrite(int code, uint16_t value, qint64 nowMs);
    QVector<Piece> transmit(QByteArray frame, QString note);
    bool chance(double p);

    BoardParameters &m_parameters;
    PackModel &m_model;
    int m_address; // requests must carry this address
    int m_batteryNumber; // replies state this number in their address field
    Faults m_faults;
    std::mt19937 m_rng;
    qint64 m_silentUntilMs = -1;
    int m_realTimeReplies = 0;
};

// Bytes as readable text: printable ASCII as it is, everything else (and the backslash) as \xNN.
QByteArray escapeBytes(const QByteArray &bytes);
