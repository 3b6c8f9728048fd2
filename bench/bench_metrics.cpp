// The logger's metrics endpoint (a plain program, prints its figures):
//  - a bank of N packs mapped and written in the exposition format, without HTTP;
//  - a whole scrape over HTTP from a client on 127.0.0.1: the request, the hop to the event loop
//    that reads the state, the mapping, the serialization and the answer, median and 99th
//    percentile;
// for 1 and 16 packs of 16 cells. Usage: bench_metrics [scrapes = 500]
#include "metricsexporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

PackMetrics::Bank bank(int packs)
{
    PackMetrics::Bank b;
    for (int i = 0; i < packs; ++i) {
        PackMetrics::Pack p;
        p.address = i + 1;
        p.up = true;
        p.hasReply = true;
        p.record.totalv = 52800 + i;
        p.record.cadc = -12500 - i;
        p.record.soc = 50 + i;
        for (int c = 0; c < 16; ++c)
            p.record.cell[c] = 3300 + c + i;
        for (int t = 0; t < 6; ++t)
            p.record.ts[t] = 2500 + 10 * t + i;
        p.cells = 16;
        p.cycles = 100 + i;
        p.lastReplyAgeSeconds = 0.3;
        p.replies = 100000 + i;
        p.timeouts = i;
        p.crcErrors = i / 2;
        b.packs.push_back(p);
    }
    b.cycleSeconds = 0.95;
    return b;
}

double percentile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

// One GET /metrics with HTTP/1.0 (the server closes), compressed as Prometheus asks for it or
// not: milliseconds until the last byte, and the bytes received; -1 on an error.
double scrape(int port, bool gzip, size_t *bytes)
{
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(quint16(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    const std::string request = std::string("GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n")
        + (gzip ? "Accept-Encoding: gzip\r\n" : "") + "\r\n";
    if (::send(fd, request.data(), request.size(), 0) != ssize_t(request.size())) {
        ::close(fd);
        return -1;
    }
    char buffer[65536];
    size_t total = 0;
    ssize_t n;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        total += size_t(n);
    ::close(fd);
    *bytes = total;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int scrapes = argc > 1 ? std::max(10, atoi(argv[1])) : 500;
    std::printf("Metrics endpoint, %d scrapes each\n", scrapes);

    for (int packs : { 1, 16 }) {
        const PackMetrics::Bank b = bank(packs);
        std::vector<double> mapped;
        size_t size = 0;
        for (int i = 0; i < scrapes; ++i) {
            QElapsedTimer t;
            t.start();
            size = MetricsExporter::exposition(b).size();
            mapped.push_back(t.nsecsElapsed() / 1e6);
        }

        MetricsExporter exporter([&b] { return b; });
        QString error;
        if (!exporter.listen(QStringLiteral("127.0.0.1"), 0, &error)) {
            std::fprintf(stderr, "cannot listen: %s\n", qPrintable(error));
            return 1;
        }
        // The client runs on a thread of its own; the state is read on this one's event loop,
        // as in the logger.
        std::vector<double> whole, zipped;
        size_t bytes = 0, zippedBytes = 0;
        bool failed = false;
        std::thread client([&] {
            for (int i = 0; i < scrapes && !failed; ++i) {
                const double ms = scrape(exporter.port(), false, &bytes);
                const double zippedMs = scrape(exporter.port(), true, &zippedBytes);
                failed = ms < 0 || zippedMs < 0;
                whole.push_back(ms);
                zipped.push_back(zippedMs);
            }
            QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
        });
        app.exec();
        client.join();
        if (failed) {
            std::fprintf(stderr, "a scrape failed\n");
            return 1;
        }
        std::printf("  %2d packs: mapped and written %.3f ms median (%zu bytes)\n", packs,
                    percentile(mapped, 0.5), size);
        std::printf("            whole scrape over HTTP %.3f ms median, %.3f ms 99th percentile; "
                    "gzip (as Prometheus asks) %.3f ms median, %.3f ms 99th percentile, %zu "
                    "bytes (budget 5 ms)\n",
                    percentile(whole, 0.5), percentile(whole, 0.99), percentile(zipped, 0.5),
                    percentile(zipped, 0.99), zippedBytes);
    }
    return 0;
}
