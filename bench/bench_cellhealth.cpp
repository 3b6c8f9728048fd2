// Cost of the cells' health in the core: one reply taken (a pulsing load, a step every third
// reply), the same with the state's "health" object built after each reply as the logger does,
// the figures worked out after a step, and a 300,000-row recording read and analysed.
#include "cellhealth.h"
#include "csvreader.h"
#include "datalog.h"
#include "packanalyses.h"
#include "recordinganalyses.h"
#include "telemetry.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr int Cells = 16;
constexpr int Replies = 3000;
constexpr int RecordingRows = 300000;

// Replies of a 16-cell pack on a load pulsing between 40 A and 10 A every third reply, one a
// second, cell 7 at 2.5 times the others' resistance, with a millivolt of noise.
std::vector<cell> pulsingReplies(int count)
{
    std::vector<cell> out(static_cast<size_t>(count));
    uint32_t noise = 1;
    for (int i = 0; i < count; ++i) {
        cell &r = out[size_t(i)];
        const int ma = (i / 3) % 2 ? -40000 : -10000;
        r.cadc = -ma;
        r.job_statu = 2;
        r.soc = 50;
        for (int k = 0; k < Cells; ++k) {
            noise = noise * 1664525u + 1013904223u;
            const double mohm = k == 6 ? 0.75 : 0.3;
            r.cell[k] = 3300 + int(std::lround(ma * mohm / 1000.0)) + int(noise >> 31);
        }
    }
    return out;
}

void BM_CellHealthTakeReply(benchmark::State &state)
{
    const std::vector<cell> replies = pulsingReplies(Replies);
    CellHealth health;
    qint64 t = 0;
    size_t i = 0;
    for (auto _ : state) {
        health.take(t += 1000, replies[i], Cells);
        if (++i == replies.size())
            i = 0;
    }
    if (state.iterations() > 1000 && health.result().weakCell != 7)
        state.SkipWithError("cell 7 not named");
}
BENCHMARK(BM_CellHealthTakeReply);

// The logger's pattern: the owner fed, then the state's "health" object built, every reply.
void BM_CellHealthReplyAndState(benchmark::State &state)
{
    const std::vector<cell> replies = pulsingReplies(Replies);
    PackAnalysis analysis;
    RealTimeReply values;
    values.cellsInSeries = Cells;
    qint64 t = 0;
    size_t i = 0;
    for (auto _ : state) {
        analysis.takeReply(t += 1000, replies[i], values);
        QJsonObject s;
        analysis.addToState(&s);
        benchmark::DoNotOptimize(s);
        if (++i == replies.size())
            i = 0;
    }
}
BENCHMARK(BM_CellHealthReplyAndState);

// The figures after a step: 16 cells' medians over their 50 steps.
void BM_CellHealthResultAfterStep(benchmark::State &state)
{
    const std::vector<cell> replies = pulsingReplies(Replies);
    CellHealth health;
    qint64 t = 0;
    for (const cell &r : replies)
        health.take(t += 1000, r, Cells);
    size_t i = 0;
    for (auto _ : state) {
        // Every third reply steps: the figures worked out again after each of them.
        for (int k = 0; k < 3; ++k) {
            health.take(t += 1000, replies[i], Cells);
            i = (i + 1) % replies.size();
        }
        benchmark::DoNotOptimize(health.result().medianMohm);
    }
}
BENCHMARK(BM_CellHealthResultAfterStep);

// A 300,000-row recording (in memory, so the disk does not count) read and analysed.
void BM_Recording300k(benchmark::State &state)
{
    const std::vector<cell> replies = pulsingReplies(Replies);
    QByteArray csv = DataLog::csvHeader();
    csv.reserve(RecordingRows * 200);
    char line[DataLog::MaxCsvLine];
    const QDateTime start(QDate(2026, 12, 8), QTime(8, 0));
    for (int i = 0; i < RecordingRows; ++i) {
        const DataLog::Row row =
            DataLog::toRow(replies[size_t(i) % replies.size()], start.addMSecs(qint64(i) * 1000));
        csv.append(line, DataLog::formatCsvLine(row, line));
    }
    int weak = 0;
    for (auto _ : state) {
        CsvReader reader;
        QMap<int, PackAnalysis> packs;
        if (!reader.openContents(csv) || !RecordingAnalyses::analyse(&reader, &packs)) {
            state.SkipWithError("the recording was not read");
            return;
        }
        weak = packs.first().health.result().weakCell;
    }
    if (weak != 7)
        state.SkipWithError("cell 7 not named");
    state.counters["rows"] = RecordingRows;
}
BENCHMARK(BM_Recording300k)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
