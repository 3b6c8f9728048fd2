#pragma once

// A full disk, made small: body runs in a child process whose files may grow to at most limit
// bytes. A write past the limit fails with EFBIG ("File too large") as one on a full disk fails
// with ENOSPC; SIGXFSZ is ignored so the failure is reported instead of ending the child.
#include <QByteArray>

#include <functional>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Returns what body returned, or "<child failed>" when the child did not end normally.
inline QByteArray withFileSizeLimit(qint64 limit, const std::function<QByteArray()> &body)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "<no pipe>";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{ rlim_t(limit), rlim_t(limit) };
        const QByteArray answer = ::setrlimit(RLIMIT_FSIZE, &size) == 0 ? body() : "<no limit>";
        // A pipe is not a file: the limit does not apply to it.
        const bool sent =
            ::write(pipeEnds[1], answer.constData(), std::size_t(answer.size())) == answer.size();
        ::_exit(sent ? 0 : 1); // no exit handlers: they belong to the test process
    }
    ::close(pipeEnds[1]);
    QByteArray answer;
    char chunk[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
        answer.append(chunk, int(n));
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)
        || WEXITSTATUS(status) != 0)
        return "<child failed>";
    return answer;
}
