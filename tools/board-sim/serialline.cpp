#include "serialline.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace {
speed_t speedFor(int baud)
{
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return B0;
    }
}

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}
} // namespace

SerialLine::~SerialLine()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    delete m_watchNotifier;
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_slaveFd >= 0)
        ::close(m_slaveFd);
    if (m_watchFd >= 0)
        ::close(m_watchFd);
}

bool SerialLine::openPty(QString *slavePath, QString *error)
{
    m_fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_fd < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    if (grantpt(m_fd) != 0 || unlockpt(m_fd) != 0) {
        *error = systemError("grantpt/unlockpt");
        return false;
    }
    const char *name = ptsname(m_fd);
    if (!name) {
        *error = systemError("ptsname");
        return false;
    }
    *slavePath = QString::fromLocal8Bit(name);
    m_slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slaveFd < 0) {
        *error = systemError("open slave");
        return false;
    }
    // Raw line: no echo (which would send our replies back to us), no line editing, 8 bits.
    termios tio{};
    if (tcgetattr(m_slaveFd, &tio) != 0) {
        *error = systemError("tcgetattr");
        return false;
    }
    cfmakeraw(&tio);
    if (tcsetattr(m_slaveFd, TCSANOW, &tio) != 0) {
        *error = systemError("tcsetattr");
        return false;
    }
    // Our own open of the slave came before the watch, so every event is a client's.
    m_watchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watchFd < 0
        || inotify_add_watch(m_watchFd, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        *error = systemError("inotify");
        return false;
    }
    start();
    return true;
}

bool SerialLine::openDevice(const QString &path, int baud, QString *error)
{
    const speed_t speed = speedFor(baud);
    if (speed == B0) {
        *error = QStringLiteral("unsupported baud rate %1").arg(baud);
        return false;
    }
    m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0) {
        *error = systemError("open device");
        return false;
    }
    termios tio{};
    if (tcgetattr(m_fd, &tio) != 0) {
        *error = systemError("tcgetattr");
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    // One byte makes a read complete, so an empty line reads as EAGAIN and only a hang-up as
    // end of file.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        *error = systemError("tcsetattr");
        return false;
    }
    tcflush(m_fd, TCIOFLUSH);
    start();
    return true;
}

void SerialLine::setReceiver(std::function<void(const QByteArray &)> receiver)
{
    m_receiver = std::move(receiver);
}

void SerialLine::setClosedHandler(std::function<void(const QString &)> handler)
{
    m_closed = std::move(handler);
}

void SerialLine::updateClients()
{
    if (m_watchFd < 0)
        return;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_watchFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_OPEN) {
                ++m_clients;
                ++m_opens;
            } else if ((event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) && m_clients > 0
                       && --m_clients == 0) {
                // Nobody holds the port: what was sent and not read is gone, as on a real line.
                tcflush(m_slaveFd, TCIFLUSH);
                m_pending.clear();
            }
        }
    }
}

void SerialLine::start()
{
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
    QObject::connect(m_readNotifier, &QSocketNotifier::activated, [this] { readAvailable(); });
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    QObject::connect(m_writeNotifier, &QSocketNotifier::activated, [this] { flush(); });
    if (m_watchFd >= 0) {
        m_watchNotifier = new QSocketNotifier(m_watchFd, QSocketNotifier::Read);
        QObject::connect(m_watchNotifier, &QSocketNotifier::activated, [this] { updateClients(); });
    }
}

void SerialLine::readAvailable()
{
    char buffer[4096];
    QByteArray received;
    QString failure;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK))
            failure = n == 0 ? QStringLiteral("end of file") : systemError("read");
        break;
    }
    // The opens and closes up to now, so the bytes go to the session they came from.
    updateClients();
    if (!received.isEmpty() && m_receiver)
        m_receiver(received);
    if (!failure.isEmpty()) {
        // Stop watching instead of spinning on a line that has gone away.
        m_readNotifier->setEnabled(false);
        if (m_closed)
            m_closed(failure);
    }
}

quint64 SerialLine::session() const
{
    if (m_watchFd < 0)
        return 1;
    return m_clients > 0 ? m_opens : NoSession;
}

bool SerialLine::accepts(quint64 session)
{
    updateClients();
    if (m_watchFd >= 0 && m_clients == 0)
        return false;
    return session == AnySession || session == this->session();
}

bool SerialLine::write(const QByteArray &bytes, quint64 session)
{
    if (!accepts(session))
        return false;
    // Without a reader the line backs up; drop what cannot be sent rather than grow without end.
    if (m_pending.size() + bytes.size() > MaxPending)
        return false;
    m_pending.append(bytes);
    flush();
    return true;
}

void SerialLine::flush()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_fd, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        m_pending.clear(); // a broken line: nothing more will go out
        break;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}
