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
    // Sends bytes, or drops them (false) while no client holds a pseudo-terminal. A reply asked
    // for in one session of a client goes with that session: it is dropped once the client has
    // closed the port, even if a client has opened it again since.
    bool write(const QByteArray &bytes, quint64 session = AnySession);
    // Whether write() would send now rather than drop.
    bool accepts(quint64 session = AnySession);
    bool hasPendingOutput() const { return !m_pending.isEmpty(); }

    static constexpr quint64 AnySession = ~quint64(0);
    // The session that bytes handed to the receiver belong to: it counts the times the last client
    // closed the port (a real tty never changes it). Closes are taken in after the bytes read
    // with them, so a request is never credited to a client that opened the port later; a client
    // that reopens and asks before the board has noticed the close may go unanswered once.
    quint64 session() const { return m_session; }

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
    quint64 m_session = 0;
    QByteArray m_pending;
    std::function<void(const QByteArray &)> m_receiver;
    std::function<void(const QString &)> m_closed;
};
