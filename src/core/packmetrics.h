#pragma once

#include "telemetry.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

// What the logger's metrics endpoint serves, as plain values: the one table of metric families
// (names in base units, "_total" for counters, labels for pack, cell and sensor) and the mapping
// from the logger's state of each pack to their samples. The endpoint turns them into the
// exposition format; a dashboard's queries are checked against the same table.
namespace PackMetrics {

enum class Kind { Gauge, Counter };

struct Family
{
    const char *name;
    Kind kind;
    const char *help;
};

// Every family the endpoint can serve, in the order a scrape lists them.
const std::vector<Family> &families();

// The logger's state of one pack, taken at the scrape.
struct Pack
{
    int address = 0;
    bool up = false; // answering: it has not left MissesBeforeOffline polls in a row unanswered
    // record, cells and cycles hold its last reply; without one, only up, the link's counters
    // and nothing else are served.
    bool hasReply = false;
    AFE record;
    int cells = 0; // the cells its last reply reports
    int cycles = 0;
    double lastReplyAgeSeconds = -1; // < 0: never answered
    double replies = 0; // the link's counters since the line opened
    double timeouts = 0;
    double crcErrors = 0;
    // Energy meter: the pack's books, in J, NaN while there are none. Whoever keeps the books
    // sets them here; the families are served once they hold a number.
    double chargedJoules = std::nan("");
    double dischargedJoules = std::nan("");
    // Event journal: events ongoing now, and started since the logger began by event type
    // (every type the journal knows is served, 0 until one starts).
    int eventsOngoing = 0;
    std::vector<std::pair<std::string, double>> eventsStarted;
};

struct Bank
{
    std::vector<Pack> packs;
    double cycleSeconds = -1; // the last whole poll cycle over several packs; < 0: none
};

using Labels = std::vector<std::pair<std::string, std::string>>;

struct Sample
{
    Labels labels;
    double value = 0;
};

struct Series
{
    const Family *family;
    std::vector<Sample> samples;
};

// The samples of a scrape: only families with at least one sample, in table order. A pack that
// is not up serves up, its reply's age and its counters, not the figures of a reply that no
// longer stands.
std::vector<Series> collect(const Bank &bank);

} // namespace PackMetrics
