// The simulated bus's wire: how long its replies take against the time the line rate gives them,
// and the simulator's CPU while a host polls 16 boards as fast as the wire allows (a plain
// program, prints its figures).
//   bench_simline [seconds of polling, default 10]
#include "simprocess.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {
double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// CPU time of a process so far, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toLongLong() + fields.value(12).toLongLong())
        / double(sysconf(_SC_CLK_TCK));
}

struct Exchange
{
    int bytes = 0; // of the reply
    double firstMs = 0; // from the request written
    double lastMs = 0;
};

class Port
{
public:
    explicit Port(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
        termios tio{};
        tcgetattr(m_fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    ~Port() { ::close(m_fd); }

    Exchange ask(const QByteArray &request)
    {
        Exchange e;
        const double t0 = nowMs();
        if (::write(m_fd, request.constData(), size_t(request.size())) != request.size())
            return e;
        char buffer[512];
        for (;;) {
            pollfd p{ m_fd, POLLIN, 0 };
            if (::poll(&p, 1, 2000) <= 0)
                return e;
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return e;
            const double t = nowMs() - t0;
            if (e.bytes == 0)
                e.firstMs = t;
            e.bytes += int(n);
            if (buffer[n - 1] == '~') {
                e.lastMs = t;
                return e;
            }
        }
    }

private:
    int m_fd = -1;
};

QByteArray request(int address, int code)
{
    return QStringLiteral(":Y+%1+%2=?~")
        .arg(address, 2, 16, QLatin1Char('0'))
        .arg(code, 2, 16)
        .toUpper()
        .toLatin1();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void timing(int rate)
{
    Sim sim;
    if (!sim.start({ "--address", "1-16", "--line-rate", QString::number(rate) })) {
        std::printf("the simulator did not start\n");
        return;
    }
    Port port(sim.path());
    for (const int code : { 0x51, 0x52 }) {
        std::vector<double> total, reply;
        int bytes = 0;
        for (int round = 0; round < (rate < 20000 ? 2 : 10); ++round) {
            for (int a = 1; a <= 16; ++a) {
                const QByteArray r = request(a, code);
                const Exchange e = port.ask(r);
                bytes = e.bytes;
                total.push_back(e.lastMs);
                // The reply on the wire: from the end of the request to its last byte.
                reply.push_back(e.lastMs - r.size() * 10e3 / rate);
            }
        }
        const double wantReply = bytes * 10e3 / rate;
        const double wantTotal = (11 + bytes) * 10e3 / rate;
        std::printf("%6d baud, code %X: request 11 B, reply %d B; request to last byte %.2f ms "
                    "(wire %.2f ms, %+.2f %%), reply alone %.2f ms (wire %.2f ms, %+.2f %%), "
                    "worst %.2f ms\n",
                    rate, code, bytes, median(total), wantTotal,
                    (median(total) / wantTotal - 1) * 100, median(reply), wantReply,
                    (median(reply) / wantReply - 1) * 100,
                    *std::max_element(total.begin(), total.end()));
    }
}

void cpu(int rate, double seconds)
{
    Sim sim;
    if (!sim.start({ "--address", "1-16", "--line-rate", QString::number(rate) }))
        return;
    Port port(sim.path());
    const qint64 pid = sim.process().processId();
    const double cpu0 = cpuSeconds(pid);
    const double t0 = nowMs();
    int replies = 0;
    int cycles = 0;
    double wire = 0;
    while (nowMs() - t0 < seconds * 1000) {
        for (int a = 1; a <= 16; ++a) {
            const Exchange e = port.ask(request(a, 0x51));
            replies += e.lastMs > 0;
            wire += (11 + e.bytes) * 10e3 / rate;
        }
        ++cycles;
    }
    const double wall = (nowMs() - t0) / 1000;
    const double used = cpuSeconds(pid) - cpu0;
    std::printf("%6d baud, 16 boards polled back to back for %.1f s: %d replies, cycle %.1f ms "
                "(wire %.1f ms); simulator CPU %.2f s = %.2f %% of one core\n",
                rate, wall, replies, wall * 1000 / cycles, wire / cycles, used, used / wall * 100);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(1.0, atof(argv[1])) : 10;
    for (const int rate : { 9600, 115200 })
        timing(rate);
    for (const int rate : { 9600, 115200 })
        cpu(rate, seconds);
    return 0;
}
