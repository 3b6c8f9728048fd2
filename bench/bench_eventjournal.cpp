// Cost of the event journal in the core: a pack's reply taken by its analyses (the journal among
// them), and the journal alone, with and without both user alerts, on quiet replies (nothing
// changes) and on replies that trip and release a protection every 100 replies. Each figure
// is the median of several runs, in microseconds per reply.
#include "eventjournal.h"
#include "packanalyses.h"
#include "telemetry.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {
constexpr int Cells = 16;
constexpr int Replies = 1000;
constexpr int FlipEvery = 100;

// Replies of a 16-cell pack discharging at about 40 A, a millivolt of noise on each cell; with
// flips, a cell over-voltage is on for every other run of FlipEvery replies.
std::vector<cell> replies(bool flips)
{
    std::vector<cell> out(static_cast<size_t>(Replies));
    uint32_t noise = 1;
    for (int i = 0; i < Replies; ++i) {
        cell &r = out[size_t(i)];
        r.cadc = 40000 + i % 7;
        r.job_statu = 2;
        r.soc = 60;
        r.totalv = 52800;
        for (int t = 0; t < 6; ++t)
            r.ts[t] = 2500 + t * 10;
        for (int k = 0; k < Cells; ++k) {
            noise = noise * 1664525u + 1013904223u;
            r.cell[k] = 3300 + int(noise >> 31);
        }
        if (flips && (i / FlipEvery) % 2 == 1) {
            r.sys_statu = 5;
            r.cell[6] = 3655 + i % 5;
        }
    }
    return out;
}

RealTimeReply values()
{
    RealTimeReply v;
    v.chargeMos = 1;
    v.dischargeMos = 1;
    v.cellsInSeries = Cells;
    return v;
}

// What the owner does per reply: the analyses take it, the journal's changes are taken.
void BM_TakeReply(benchmark::State &state)
{
    const std::vector<cell> rs = replies(state.range(0) != 0);
    const RealTimeReply v = values();
    PackAnalysis analysis;
    qint64 t = 0;
    size_t i = 0;
    qint64 events = 0;
    for (auto _ : state) {
        analysis.takeReply(t += 1000, rs[i], v);
        events += analysis.events.takeChanges().size();
        if (++i == rs.size())
            i = 0;
    }
    state.counters["events"] = double(events);
}
BENCHMARK(BM_TakeReply)
    ->ArgName("flips")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// The journal alone, what it adds to a reply; with alerts, both the spread and the low charge
// are watched.
void BM_JournalAlone(benchmark::State &state)
{
    const std::vector<cell> rs = replies(state.range(0) != 0);
    const RealTimeReply v = values();
    EventJournal journal;
    if (state.range(1)) {
        EventJournal::Alerts alerts;
        alerts.spreadMv = 50;
        alerts.lowSocPercent = 20;
        journal.setAlerts(alerts);
    }
    qint64 t = 0;
    size_t i = 0;
    for (auto _ : state) {
        journal.take(t += 1000, rs[i], v);
        benchmark::DoNotOptimize(journal.takeChanges());
        if (++i == rs.size())
            i = 0;
    }
}
BENCHMARK(BM_JournalAlone)
    ->ArgNames({ "flips", "alerts" })
    ->Args({ 0, 0 })
    ->Args({ 1, 0 })
    ->Args({ 0, 1 })
    ->Args({ 1, 1 })
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace

BENCHMARK_MAIN();
