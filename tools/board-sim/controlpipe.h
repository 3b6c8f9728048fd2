#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QSocketNotifier;

// A named pipe that takes commands while the board runs, one a line, from anyone who can write
// to it (`echo 'absent 3' > PATH`). The pipe is made with the board and removed with it; a pipe
// left behind by an earlier run is replaced, anything else at the path is refused.
class ControlPipe
{
public:
    static constexpr int MaxLine = 1024;

    explicit ControlPipe(std::function<void(const QString &line)> handler);
    ~ControlPipe();
    ControlPipe(const ControlPipe &) = delete;
    ControlPipe &operator=(const ControlPipe &) = delete;

    bool open(const QString &path, QString *error);

private:
    void readAvailable();

    QByteArray m_path;
    int m_fd = -1;
    int m_keepOpenFd = -1; // a writer of our own, so the pipe never reads as ended
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_buffer;
    std::function<void(const QString &)> m_handler;
};
