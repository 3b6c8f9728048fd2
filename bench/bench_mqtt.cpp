// The publisher's figures against a local mosquitto (a plain program, prints them):
//  - latency: from publishState to the state leaving the socket, median and 99th percentile;
//  - CPU per state;
//  - resident memory before a broker outage, at its end and once the queue has drained.
// Usage: bench_mqtt [outage seconds = 30] [states per second during it = 100]
#include "broker.h"
#include "mqttpublisher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTimer>
#include <functional>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QJsonObject state(int seq)
{
    QJsonArray cells;
    for (int i = 0; i < 16; ++i)
        cells.append(3300 + (seq + i) % 40);
    const QJsonObject clear{ { "code", 0 }, { "active", QJsonArray() } };
    return QJsonObject{
        { "time", "2026-12-08T10:15:30.123+01:00" },
        { "address", 1 },
        { "seq", seq },
        { "voltage", 52.812 },
        { "current", -12.5 },
        { "power", -660.2 },
        { "soc", 81 },
        { "cells", cells },
        { "cell_min", 3300 },
        { "cell_min_no", 1 },
        { "cell_max", 3339 },
        { "cell_max_no", 16 },
        { "cell_diff", 39 },
        { "temperatures", QJsonArray{ 21.5, 30.1, 22.0, 22.4, 22.3, 22.1 } },
        { "protection", clear },
        { "alarm", clear },
        { "system", clear },
        { "job", QJsonObject{ { "code", 2 }, { "active", QJsonArray{ "Discharging" } } } },
        { "balancing", QJsonArray() },
        { "cycles", 17 },
    };
}

double residentMiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int outageSeconds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    const int rate = argc > 2 ? std::max(1, atoi(argv[2])) : 100;

    Broker broker;
    if (!broker.start()) {
        std::fprintf(stderr, "cannot start mosquitto\n");
        return 1;
    }
    MqttPublisher::Settings s;
    s.url = broker.url();
    s.user = Broker::User;
    s.password = Broker::Password;
    s.loggerId = "bench";
    s.haDiscovery = true;
    MqttPublisher publisher(s);
    publisher.start(nullptr);
    if (!waitFor([&] { return publisher.isConnected(); }, 5000)) {
        std::fprintf(stderr, "no connection to the broker\n");
        return 1;
    }

    // Latency, one state at a time as the logger makes them (the first announces the pack).
    int seq = 0;
    publisher.publishState(1, state(++seq));
    waitFor([&] { return publisher.queued() == 0; }, 5000);
    QVector<qint64> latencies;
    bool sent = false;
    QObject::connect(&publisher, &MqttPublisher::messageSent, [&] { sent = true; });
    QElapsedTimer clock;
    const double cpuBefore = cpuSeconds();
    constexpr int Samples = 2000;
    for (int i = 0; i < Samples; ++i) {
        const QJsonObject next = state(++seq); // built by the logger, not part of the figure
        sent = false;
        clock.start();
        publisher.publishState(1, next);
        while (!sent)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        latencies.append(clock.nsecsElapsed());
        waitFor([&] { return publisher.queued() == 0; }, 5000);
    }
    const double cpuPerState = (cpuSeconds() - cpuBefore) / Samples;
    std::sort(latencies.begin(), latencies.end());
    std::printf("publish latency (publishState to socket): median %.1f us, 99%% %.1f us\n",
                double(latencies[Samples / 2]) / 1000.0,
                double(latencies[Samples * 99 / 100]) / 1000.0);
    std::printf("CPU per state, acknowledgement included: %.1f us\n", cpuPerState * 1e6);

    // An outage: states queue, then drain once the broker is back.
    malloc_trim(0);
    const double before = residentMiB();
    broker.stop();
    waitFor([&] { return !publisher.isConnected(); }, 5000);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { publisher.publishState(1, state(++seq)); });
    poll.start(1000 / rate);
    waitFor([] { return false; }, outageSeconds * 1000);
    poll.stop();
    const int queued = publisher.queued();
    const double peak = residentMiB();
    broker.launch();
    QElapsedTimer drain;
    drain.start();
    waitFor([&] { return publisher.isConnected() && publisher.queued() == 0; }, 120000);
    const qint64 drainMs = drain.elapsed();
    const double afterDrain = residentMiB();
    malloc_trim(0);
    const double trimmed = residentMiB();
    std::printf("outage of %d s at %d states/s: %d states queued, %lld dropped\n", outageSeconds,
                rate, queued, static_cast<long long>(publisher.dropped()));
    std::printf("resident memory: before %.2f MiB, end of outage %.2f MiB, drained %.2f MiB "
                "(after malloc_trim %.2f MiB); back with the broker to empty queue: %lld ms\n",
                before, peak, afterDrain, trimmed, static_cast<long long>(drainMs));
    publisher.finish();
    return 0;
}
