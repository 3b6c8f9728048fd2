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
    // clients can open and close it as often as they like.
    bool openPty(QString *slavePath, QString *error);
    // Serves an existing tty (a USB adapter) in raw mode, 8N1, at the given rate.
    bool openDevice(const QString &path, int baud, QString *error);

    void setReceiver(std::function<void(const QByteArray &)> receiver);
    // Called once when a device goes away (end of file or a read error); a pseudo-terminal never
    // does, since its slave stays open.
    void setClosedHandler(std::function<void(const QString &)> handler);
    void write(const QByteArray &bytes);
    bool hasPendingOutput() const { return !m_pending.isEmpty(); }

private:
    void start();
    void readAvailable();
    void flush();

    int m_fd = -1;
    int m_slaveFd = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_pending;
    std::function<void(const QByteArray &)> m_receiver;
    std::function<void(const QString &)> m_closed;
};
