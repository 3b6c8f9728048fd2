#include "metricsexporter.h"

#include <prometheus/collectable.h>
#include <prometheus/exposer.h>
#include <prometheus/metric_family.h>
#include <prometheus/text_serializer.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace {

std::vector<prometheus::MetricFamily> toFamilies(std::vector<PackMetrics::Series> series)
{
    std::vector<prometheus::MetricFamily> families;
    families.reserve(series.size());
    for (PackMetrics::Series &s : series) {
        prometheus::MetricFamily family;
        family.name = s.family->name;
        family.help = s.family->help;
        const bool counter = s.family->kind == PackMetrics::Kind::Counter;
        family.type = counter ? prometheus::MetricType::Counter : prometheus::MetricType::Gauge;
        family.metric.resize(s.samples.size());
        for (size_t i = 0; i < s.samples.size(); ++i) {
            PackMetrics::Sample &sample = s.samples[i];
            prometheus::ClientMetric &metric = family.metric[i];
            metric.label.reserve(sample.labels.size());
            for (auto &label : sample.labels)
                metric.label.push_back({ std::move(label.first), std::move(label.second) });
            if (counter)
                metric.counter.value = sample.value;
            else
                metric.gauge.value = sample.value;
        }
        families.push_back(std::move(family));
    }
    return families;
}

// Why address:port cannot be listened on, in the system's words; the exposer does not say.
QString bindProblem(const QString &address, int port)
{
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(quint16(port));
    if (::inet_pton(AF_INET, address.toLatin1().constData(), &where.sin_addr) != 1)
        return QStringLiteral("not an IPv4 address");
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    QString why;
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&where), sizeof where) != 0
        || ::listen(fd, 1) != 0)
        why = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return why.isEmpty() ? QStringLiteral("the server could not start there") : why;
}

} // namespace

class MetricsExporter::Private
{
public:
    // What the exposer's threads and this object's thread share for one scrape at a time.
    struct Bridge
    {
        std::mutex mutex;
        std::condition_variable answered;
        bool closed = false; // the exporter is going: nothing is asked of its thread any more
    };
    struct Request
    {
        bool done = false;
        PackMetrics::Bank bank;
    };

    class Collector : public prometheus::Collectable
    {
    public:
        Collector(MetricsExporter *owner, std::shared_ptr<Bridge> bridge)
            : m_owner(owner)
            , m_bridge(std::move(bridge))
        { }

        // On an exposer thread.
        std::vector<prometheus::MetricFamily> Collect() const override
        {
            auto request = std::make_shared<Request>();
            {
                std::unique_lock<std::mutex> lock(m_bridge->mutex);
                if (m_bridge->closed)
                    return {};
                // Posted under the lock: the owner is not yet being destroyed.
                MetricsExporter *owner = m_owner;
                std::shared_ptr<Bridge> bridge = m_bridge;
                QMetaObject::invokeMethod(
                    owner,
                    [owner, bridge, request] {
                        PackMetrics::Bank bank = owner->d->source();
                        std::lock_guard<std::mutex> answer(bridge->mutex);
                        request->bank = std::move(bank);
                        request->done = true;
                        bridge->answered.notify_all();
                    },
                    Qt::QueuedConnection);
                m_bridge->answered.wait_for(lock, std::chrono::milliseconds(SourceWaitMs),
                                            [&] { return request->done || m_bridge->closed; });
                if (!request->done)
                    return {};
            }
            return toFamilies(PackMetrics::collect(request->bank));
        }

    private:
        MetricsExporter *m_owner;
        std::shared_ptr<Bridge> m_bridge;
    };

    Source source;
    std::shared_ptr<Bridge> bridge = std::make_shared<Bridge>();
    std::shared_ptr<Collector> collector;
    std::unique_ptr<prometheus::Exposer> exposer;
};

MetricsExporter::MetricsExporter(Source source, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->source = std::move(source);
    d->collector = std::make_shared<Private::Collector>(this, d->bridge);
}

MetricsExporter::~MetricsExporter()
{
    {
        std::lock_guard<std::mutex> lock(d->bridge->mutex);
        d->bridge->closed = true;
    }
    d->bridge->answered.notify_all();
    d->exposer.reset(); // its threads end here; a scrape under way answers with nothing
}

bool MetricsExporter::listen(const QString &address, int port, QString *error)
{
    const std::string where = QStringLiteral("%1:%2").arg(address).arg(port).toStdString();
    try {
        d->exposer = std::make_unique<prometheus::Exposer>(where, 2);
    } catch (const std::exception &) {
        if (error)
            *error = bindProblem(address, port);
        return false;
    }
    d->exposer->RegisterCollectable(d->collector);
    return true;
}

int MetricsExporter::port() const
{
    if (!d->exposer)
        return 0;
    const std::vector<int> ports = d->exposer->GetListeningPorts();
    return ports.empty() ? 0 : ports.front();
}

std::string MetricsExporter::exposition(const PackMetrics::Bank &bank)
{
    return prometheus::TextSerializer().Serialize(toFamilies(PackMetrics::collect(bank)));
}
