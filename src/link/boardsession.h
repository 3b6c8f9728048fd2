#pragma once

#include "buscycle.h"
#include "frame.h"
#include "parameterblock.h"
#include "requestscheduler.h"
#include "telemetry.h"
#include "writeconfirm.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QQueue>
#include <QSerialPort>
#include <QString>
#include <QTime>
#include <QVector>

#include <cstdint>

class QTimer;

// One serial line to a board: the port, the framing of received bytes, the send queue, the poll
// tick, the reply watch, the idle rule, the check of each received frame, the confirmation of
// writes by read-back, and the wait for a removed adapter to come back. It shows nothing: it
// takes requests and tells by its signals what happened, and a presenter (the window, the
// logger, the frame console) decides what the user sees of it.
//
// Signals are emitted from the serial and timer handlers; a presenter that opens a modal box in
// response queues it, so a box's nested event loop never runs inside a handler of the session.
class BoardSession : public QObject
{
    Q_OBJECT

public:
    // What a line is opened with.
    struct LineSettings
    {
        QString port; // a name from the system's list (ttyUSB0) or a path (/dev/pts/3)
        int baud = 9600;
        int address = 1;
        int periodMs = 1000;
    };

    enum class CloseReason {
        User, // asked for: the switch, the program, a failed open
        Removed, // the adapter went away
        PortError, // the port became unusable with its device still there
    };
    Q_ENUM(CloseReason)

    // Why a frame did not go out.
    enum class SendFailure {
        PortClosed,
        NotWritable,
        WriteFailed,
        PartialWrite,
    };
    Q_ENUM(SendFailure)

    // The check of one received frame.
    enum class FrameVerdict {
        Good, // its CRC matched
        CrcMismatch,
        NoStart, // no ":" in it: dropped without a word
    };
    Q_ENUM(FrameVerdict)

    // Why a poll of a pack brought no data.
    enum class Unanswered {
        NoReply, // nothing came back within the reply watch
        CutShort, // bytes came, then silence before the reply was whole
        NotSent, // the line never went quiet, so the poll could not go out
        BadReply, // a frame came back, but not the pack's data: a spoiled CRC, another code
    };
    Q_ENUM(Unanswered)

    // How the link to one pack is doing, for a user to judge it.
    // A reply is a pack's data when it answers that pack's request, whatever battery number
    // it states in its address field (a board keeps answering at its address after its number
    // was changed); the number is handed on as a value of its own.
    struct PackLink
    {
        int address = 0;
        int replies = 0; // real-time replies with a good CRC that were this pack's data
        int timeouts = 0; // polls whose reply watch ran out with nothing back
        int late = 0; // of those, replies that still came whole within the guard after it
        int notSent = 0; // polls that could not go out: the line was busy with other bytes
        int crcErrors = 0; // replies cut short or garbled
        int wrongReply = 0; // whole frames in answer to a poll that were not real-time data
        QDateTime lastReply; // invalid until the pack answered
        int roundTripMs = -1; // the last reply: from its request leaving to its last byte
    };

    // The 70 ms the board gets to begin its answer to a read, and the 20 ms of silence after its
    // last byte before the next frame may go out. After a watch runs out, the line is left
    // quiet for GuardMs more (longer while a late reply is still arriving, at most a whole
    // reply's wire time): a board that begins its answer up to 120 ms after the request, such
    // as one answering 100 ms after it heard the request on a 9600 baud wire, is heard out
    // before the next request goes out, rather than answered across or taken for the next
    // pack. It costs a pack that does not answer 50 ms per poll.
    static constexpr int ReplyWatchMs = 70;
    static constexpr int IdleThresholdMs = 20;
    static constexpr int GuardMs = 50;
    // How long a removed adapter is waited for, and how often it is looked for in between.
    static constexpr int ReconnectWindowMs = 5 * 60 * 1000;
    static constexpr int ReconnectRetryMs = 1000;

    explicit BoardSession(QObject *parent = nullptr);
    ~BoardSession() override;

    // The time base of the reply watch, the idle rule and the write deadlines, in milliseconds;
    // tests set their own.
    void setClock(RequestScheduler::Clock clock);
    const RequestScheduler::Clock &clock() const { return m_clock; }

    // Opens the line (8 data bits, no parity, one stop bit, no flow control): opened(), or
    // openFailed() with the system's reason. Opening by the caller ends a wait for a removed
    // adapter.
    bool open(const LineSettings &settings);
    // Starts the poll tick at the period given to open(); pollingStarted().
    void startPolling();
    // Stops polling and closes the port; the queues are emptied and writes under way are given
    // up. closed() is emitted each time, also for a line that was not open, so a presenter can
    // always show the line's state.
    void close(CloseReason reason = CloseReason::User);

    bool isOpen() const;
    bool isPolling() const;
    // The port being used, for its settings; the name of the last one opened or tried.
    const QSerialPort &port() const { return *serialPort; }
    QString portName() const;
    // The device of the last successful open: a stable name where the adapter has one.
    QString connectedIdentity() const { return m_connectedIdentity; }

    // The pack in focus: its replies fill afe and are handed on by realTimeRecord(), and
    // read-backs without an address go to it.
    void setAddress(int address) { m_settings.address = address; }
    int address() const { return m_settings.address; }
    // The packs polled, in this order. With one address (or none: the focus) the line is polled
    // as it always was, one request per period; frames queued (writes, read-backs) go out as
    // fast as the line allows in between. With several, a cycle asks each once per period, one
    // request on the line at a time; a cycle that does not fit the period runs as fast as the
    // line allows (cycleDone() says so).
    void setAddresses(const QVector<int> &addresses);
    QVector<int> addresses() const;
    bool isCycling() const { return m_addresses.size() > 1; }
    // The frames go out as the cycle over several packs (or a scan) decides, not by the tick.
    bool isCycleDriven() const { return m_cycleDriven; }
    // The link to each pack polled (or found by a scan), in poll order; address unknown: a
    // PackLink with only its address set.
    PackLink packLink(int address) const;
    QVector<PackLink> packLinks() const;
    // The last whole cycle over several packs; -1 before one.
    int lastCycleMs() const { return m_lastCycleMs; }

    // Asks each address of first..last (within 0..99) up to tries times with the reply watch;
    // polling pauses meanwhile and goes on after. scanProgress() after each address,
    // scanFinished() with the addresses that answered.
    void startScan(int first, int last, int tries = 2);
    void stopScan();
    bool isScanning() const { return m_scanning; }
    int period() const { return m_settings.periodMs; }

    // Writes a frame now; false with sendFailed() when it did not go out whole.
    bool writeData(const QByteArray &data);
    // Queues a write frame for target (":W+" address "+" code "+") and value, and returns it;
    // with the line closed nothing is queued (sendFailed(PortClosed)) and it returns nothing. A
    // frame held back would go out at the next open, maybe minutes later and to another pack.
    QByteArray queueWrite(const QByteArray &target, uint16_t value);
    // Asks the board for its parameter block; the request takes the place of a poll. Without an
    // address, the pack in focus is asked.
    void queueReadBack();
    void queueReadBack(int address);
    // Follows a write queued earlier (frame, with framesAhead frames before it) until a block
    // shows what the board holds for key: expected is the value as the block shows it. With
    // readBack, a read-back is queued behind it.
    void followWrite(const QString &key, int expected, const QByteArray &frame, int framesAhead,
                     bool readBack);
    bool isWritePending(const QString &key) const { return m_writeConfirm.isPending(key); }

    // Waiting for a removed adapter: on, the line reopens by itself when the same device comes
    // back within ReconnectWindowMs (under any name); off ends a wait under way.
    void setReconnect(bool on);
    bool reconnectEnabled() const { return m_reconnect; }
    bool isWaitingToReconnect() const { return !m_reconnectIdentity.isEmpty(); }
    // When the wait ends, for the text.
    QTime reconnectUntil() const { return m_reconnectUntil; }

    // The line's state under the names the board's tools have always given it: the queue every
    // producer appends to, the working copy the poll tick sends from, whether bytes arrived since
    // the last read went out, and the latest real-time record.
    QQueue<QByteArray> sendQueuebak;
    QQueue<QByteArray> sendQueuebuff;
    bool dataHaveReceived = true;
    AFE afe;

public slots:
    // One poll tick: the write bookkeeping, the time-out of the last read, then the next frame
    // or the real-time request, if the line is idle.
    void pollTick();
    // The port has bytes: frames are cut out and each is checked.
    void readAvailable();
    // The reply watch of the last read ran out.
    void replyWatchExpired();
    // Checks one received frame and hands on what it holds.
    void checkFrame(const QByteArray &frame);
    // A serial device appeared or went away (the device watcher's news).
    void deviceArrived();
    void deviceRemoved();
    // The port reported an error.
    void handlePortError(QSerialPort::SerialPortError error);
    // The cycle over several packs (or a scan), and the queued frames between the ticks of one
    // pack: what is settled, then the next frame, if the line is free.
    void cycleStep();

signals:
    void opened();
    // port: the name tried; reason: the system's words.
    void openFailed(const QString &port, const QString &reason, QSerialPort::SerialPortError error);
    void pollingStarted();
    void closed(BoardSession::CloseReason reason);
    // The port became unusable (its reason in the system's words); closed() came before it.
    void portFailed(const QString &reason);
    // A wait for a removed adapter began or ended (found, given up, or switched off).
    void reconnectWaitChanged(bool waiting);

    // The poll tick is about to decide; the time of day presenters judge staleness by.
    void aboutToPoll();
    void frameSent(const QByteArray &frame);
    void sendFailed(BoardSession::SendFailure failure);
    // The tick found the port closed; the queues were emptied.
    void pollOnClosedPort();
    // The line was not idle: the frame waits for the next tick.
    void busBusy();
    // No bytes since the last read went out: by the next tick, or by the reply watch.
    void replyTimeout();

    // A poll of a pack (the focus, or any pack of the cycle) brought no data: once per poll, at
    // the end of its reply watch (or when its answer came spoiled, or when it could not go
    // out). A late reply that still comes within the guard is handed on as the pack's data and
    // counted as late; what was told at the watch's end is not taken back.
    void pollUnanswered(int address, BoardSession::Unanswered why);

    void bytesReceived(const QByteArray &bytes);
    // Every frame cut from the received bytes, before its check.
    void frameReceived(const QByteArray &frame);
    void frameChecked(const QByteArray &frame, BoardSession::FrameVerdict verdict);
    // A frame checked that answers a request to a pack (its poll or a read-back, in time or
    // late): address is the pack asked. Frames that answer nothing, or a scan, are not told.
    void answerChecked(int address, BoardSession::FrameVerdict verdict);
    void crcMismatch(const QByteArray &frame);
    // A real-time reply of the pack in focus decoded into afe; values holds the text of every
    // field it fills.
    void realTimeRecord(const RealTimeReply &values);
    // Every real-time reply that is the data of a pack polled (the focus included): address is
    // the pack's, the address it was asked at; record is the reply decoded with its id set to
    // that address; values.batteryNumber is the number the reply states. With several packs a
    // reply is a pack's data when it answers that pack's request (in time, or late within the
    // guard); one that answers no request is nobody's. With one pack every reply is its.
    void packReply(int address, const RealTimeReply &values, const AFE &record);
    // A pack's link figures changed (a reply, a time-out, an error).
    void packLinkChanged(int address);
    // A cycle over several packs ended after cycleMs; overrun: it did not fit the period.
    void cycleDone(int cycleMs, bool overrun);
    void scanProgress(int done, int total);
    // found: the addresses that answered, ascending; stopped: by stopScan() or a closed line.
    void scanFinished(const QVector<int> &found, bool stopped);
    // A parameter block decoded, after the writes it judges were judged (writeVerdicts follows).
    void parameterBlock(const QVector<ParameterBlock::Field> &fields);
    // What became of writes followed by followWrite().
    void writeVerdicts(const QVector<WriteConfirm::Verdict> &verdicts);
    // A read-back went unanswered MaxRetries + 1 times.
    void readBackFailed();

private:
    bool isBusIdle() const;
    bool portIsPresent(const QString &name) const;
    bool deviceNodeGone() const;
    void emitVerdicts(const QVector<WriteConfirm::Verdict> &verdicts);
    void startReconnectWait();
    void stopReconnectWait();
    // Opens the line again if the device waited for is there; arrived: a device just came.
    void tryReconnect(bool arrived);

    // The port, the receive accumulator, the poll and reply-watch timers and the idle rule keep
    // the names the board's tools have always given them.
    QSerialPort *serialPort = nullptr;
    LineSettings m_settings;
    RequestScheduler::Clock m_clock;
    QByteArray msgdata; // the start of a frame still arriving
    qint64 lastReceiveTime = 0; // on m_clock: the last bytes, or the start of polling
    const int idleTimeThreshold = IdleThresholdMs;
    QTimer *requestTimer = nullptr; // the poll period
    QTimer *timeoutTimer = nullptr; // the reply watch
    bool m_closing = false; // the port is being cleared and closed on purpose
    bool m_ticking = false; // within pollTick
    bool m_reading = false; // within readAvailable
    bool m_holdReadBackFailed = false; // the tick tells a failed read-back after its time-out
    bool m_readBackGivenUp = false;
    WriteConfirm m_writeConfirm;

    QString m_connectedIdentity;
    bool m_reconnect = false;
    QString m_reconnectIdentity; // the device waited for; empty when not waiting
    QTime m_reconnectUntil;
    QTimer *m_reconnectDeadline = nullptr;
    QTimer *m_reconnectRetry = nullptr;
    bool m_reconnectSeen = false; // the device waited for was there at the last look
    bool m_reconnectAttempt = false; // the wait, not the caller, is opening the line

    QVector<int> m_addresses; // the poll list; empty: the focus alone
    QVector<PackLink> m_links; // poll order, then addresses found by a scan
    int m_lastCycleMs = -1;
    bool m_scanning = false;
    bool m_scanStopped = false;
    bool m_pollingWanted = false; // polling is on (the tick or the cycle), or was when a scan began
    QVector<int> m_scanFound;
    int m_readBackAddress = 1; // the pack the last read-back asked, for its retries
    bool m_cycleDriven = false;
    BusCycle m_cycle;
    QTimer *m_cycleTimer = nullptr;
    PackLink &linkOf(int address);
    void enterCycle();
    void leaveCycle();
    void timingChanged();
    void settled(const BusCycle::Settled &settled);
    void scanEvents(const BusCycle::Step &step);
    // What a step of the line settled, started or ended, told.
    void stepEvents(const BusCycle::Step &step);
    void sendNow(const BusCycle::Step &step);
    // Who puts a frame on the line: the tick (which tells the line's state what it sent), a
    // step between the ticks, or the cycle over several packs (which has its own watch).
    enum class Sender { Tick, Between, Cycle };
    void putOnLine(const QByteArray &frame, bool expectReply, Sender sender);
    // Queued frames go out between the ticks, as the line allows: the cycle's step is asked.
    bool pumpsQueue() const;
    void kickQueue();
    // A real-time reply with a good CRC: whose data it is, and who is told.
    void realTimeReply(const Frame::ReplyCheck &reply, bool answers,
                       const BusCycle::Settled &asked);
};
