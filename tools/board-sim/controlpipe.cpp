#include "controlpipe.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ControlPipe::ControlPipe(std::function<void(const QString &)> handler)
    : m_handler(std::move(handler))
{ }

ControlPipe::~ControlPipe()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_keepOpenFd >= 0)
        ::close(m_keepOpenFd);
    if (!m_path.isEmpty())
        ::unlink(m_path.constData());
}

bool ControlPipe::open(const QString &path, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(name.constData(), &st) == 0) {
        if (!S_ISFIFO(st.st_mode)) {
            *error = QStringLiteral("%1 exists and is not a named pipe").arg(path);
            return false;
        }
        ::unlink(name.constData());
    }
    if (::mkfifo(name.constData(), 0600) != 0) {
        *error = QStringLiteral("cannot make the pipe %1: %2")
                     .arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_path = name;
    m_fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    m_keepOpenFd = m_fd < 0 ? -1 : ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0 || m_keepOpenFd < 0) {
        *error = QStringLiteral("cannot open the pipe %1: %2")
                     .arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier, &QSocketNotifier::activated, [this] { readAvailable(); });
    return true;
}

void ControlPipe::readAvailable()
{
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        m_buffer.append(chunk, int(n));
    }
    for (int end = m_buffer.indexOf('\n'); end >= 0; end = m_buffer.indexOf('\n')) {
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        if (!line.trimmed().isEmpty())
            m_handler(QString::fromUtf8(line));
    }
    // A line without its end that runs on is not a command; drop it rather than grow.
    if (m_buffer.size() > MaxLine) {
        m_handler(QString::fromUtf8(m_buffer.left(60)) + QStringLiteral("..."));
        m_buffer.clear();
    }
}
