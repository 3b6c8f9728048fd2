#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QSocketNotifier;

// The board's end of the serial line: the master side of a fresh pseudo-terminal, or an existing
// tty. Reads and writes never block; what the line cannot take at once waits in a buffer.
class SerialLine
{
public:
    static constexpr int MaxPending = 64 * 1024;

    SerialLine() = default;
    ~SerialLine();
    SerialLine(const SerialLine &) = delete;
    SerialLine &operator=(const SerialLine &) = delete;

    // Opens a pseudo-terminal pair in raw mode and returns the path of its slave. The slave stays
    // open here as well, so the master never sees a hang-up while no client has the port open and
    // clients can open and close it as often as they like. Opens and closes of the slave are
    // watched: like a real adapter, the line drops what is sent while no client holds the port,
    // and what waits unread when the last client closes it.
    bool openPty(QString *slavePath, QString *error);
    // Serves an existing tty (a USB adapter) in raw mode, 8N1, at the given rate.
    bool openDevice(const QString &path, int baud, QString *error);

    void setReceiver(std::function<void(const QByteArray &)> receiver);
    // Called once when a device goes away (end of file or a read error); a pseudo-terminal never
    // does, since its slave stays open.
    void setClosedHandler(std::function<void(const QString &)> handler);
    // Sends bytes, or drops them (false) while no client holds a pseudo-terminal. A reply goes
    // with the session of the client that asked for it: once that client has closed the port it
    // is dropped, even if another client has opened the port since.
    bool write(const QByteArray &bytes, quint64 session = AnySession);
    // Whether write() would send now rather than drop.
    bool accepts(quint64 session = AnySession);
    bool hasPendingOutput() const { return !m_pending.isEmpty(); }

    static constexpr quint64 AnySession = ~quint64(0);
    static constexpr quint64 NoSession = 0; // nobody held the port
    // The session that the bytes handed to the receiver belong to: a number for each open of
    // the port by a client, or NoSession when the client that sent them has closed the port
    // and nobody holds it. Opens and closes are taken in just after the bytes read with them,
    // so a client that opens the port and asks at once is answered even if the board had not
    // yet noticed the previous client leave. (A client that asks and closes at once, and
    // another that opens before the board runs, cannot be told apart from that: the second
    // one gets the answer.) A real tty is one session for good.
    quint64 session() const;

private:
    void start();
    void readAvailable();
    void flush();
    // Takes in the opens and closes of the slave that happened since the last call.
    void updateClients();

    int m_fd = -1;
    int m_slaveFd = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    int m_watchFd = -1; // inotify on the slave, pseudo-terminals only
    QSocketNotifier *m_watchNotifier = nullptr;
    int m_clients = 0;
    quint64 m_opens = 0; // the session of the latest client
    QByteArray m_pending;
    std::function<void(const QByteArray &)> m_receiver;
    std::function<void(const QString &)> m_closed;
};
