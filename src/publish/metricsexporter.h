#pragma once

#include "packmetrics.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

// Serves the logger's metrics at http://ADDRESS:PORT/metrics in Prometheus's text exposition
// format, through prometheus-cpp's exposer, whose own threads take the connections. Nothing is
// computed between scrapes: at a scrape, the exposer's thread asks this object's thread for the
// state (the source, called on that thread's event loop, so it reads the logger's objects
// safely), then maps and serializes it itself. Only /metrics is served, and nothing that comes in
// is passed on: no request can reach a board.
class MetricsExporter : public QObject
{
    Q_OBJECT

public:
    using Source = std::function<PackMetrics::Bank()>;
    // How long a scrape waits for this object's thread before it answers with nothing.
    static constexpr int SourceWaitMs = 5000;

    explicit MetricsExporter(Source source, QObject *parent = nullptr);
    ~MetricsExporter() override;

    // Starts serving on address (IPv4, "0.0.0.0" for every interface) and port (0: a free one).
    // False with the system's reason ("Address already in use") when it cannot listen there.
    bool listen(const QString &address, int port, QString *error);
    // The port served; 0 before listen() succeeded.
    int port() const;

    // A bank in the text exposition format, as a scrape serves it.
    static std::string exposition(const PackMetrics::Bank &bank);

private:
    class Private;
    std::unique_ptr<Private> d;
};
