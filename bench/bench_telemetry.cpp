// Cost of handling telemetry in the core: decoding one real-time reply with its display texts,
// logging a row, the log's memory per row, and exporting a long log as CSV.
#include "cellchart.h"
#include "crc.h"
#include "datalog.h"
#include "energymeter.h"
#include "frame.h"
#include "packanalyses.h"
#include "statuslamps.h"
#include "telemetry.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {
constexpr int LogRows = 300000;

// A real-time reply with plausible values: 211 data digits between "+51+" and the CRC.
QByteArray realTimeReply()
{
    QByteArray block;
    for (int k = 0; k < 25; ++k)
        block += QByteArray::number(3280 + k, 16).toUpper().rightJustified(4, '0');
    for (int i = 0; i < 6; ++i)
        block += QByteArray::number(4000 + 2500 + 10 * i, 16).toUpper().rightJustified(4, '0');
    block += "03111"; // protection, alarm, job, charge and discharge MOS digits
    block += "000005DC"
             "00000010"
             "00000020"
             "00000030"; // current, NEWCC, CHGVV, DSGVV
    for (int v : { 12, 0x8001, 52000, 3300, 3324, 3280, 44, 1, 3324 })
        block += QByteArray::number(v, 16).toUpper().rightJustified(4, '0');
    block += "5710640007"
             "0063"; // SOC, series, compensation, damping, SOH
    const QByteArray span = ":Y+01+51+" + block;
    const uint16_t crc =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(span.constData()), span.size());
    return span + '+' + QByteArray::number(crc, 16).rightJustified(4, '0') + '~';
}

cell sampleRecord()
{
    cell r;
    decodeRealTime("01", Frame::checkReply(realTimeReply()).dataBlock(), &r);
    return r;
}

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; // small blocks plus mmapped large ones
}

void BM_DecodeRealTimeReply(benchmark::State &state)
{
    const QByteArray frame = realTimeReply();
    const QByteArray block = Frame::checkReply(frame).dataBlock();
    if (block.size() != 211)
        state.SkipWithError("reply block is not 211 digits");
    cell record;
    for (auto _ : state) {
        const RealTimeReply reply = decodeRealTime("01", block, &record);
        benchmark::DoNotOptimize(reply.texts.constData());
    }
}
BENCHMARK(BM_DecodeRealTimeReply)->Repetitions(5)->ReportAggregatesOnly(true);

// Everything the core does for one reply: check, decode with texts, chart data and lamps.
void BM_HandleRealTimeReply(benchmark::State &state)
{
    const QByteArray frame = realTimeReply();
    cell record;
    for (auto _ : state) {
        const Frame::ReplyCheck check = Frame::checkReply(frame);
        const RealTimeReply reply = decodeRealTime(check.addressText(), check.dataBlock(), &record);
        const CellChart::Bars bars = CellChart::refresh(&record);
        const StatusLamps::Pictures lamps = StatusLamps::refresh(record);
        const StatusLamps::Balance balance = StatusLamps::balance(record.blance_statu);
        benchmark::DoNotOptimize(reply.texts.constData());
        benchmark::DoNotOptimize(bars.idle[0]);
        benchmark::DoNotOptimize(lamps.constData());
        benchmark::DoNotOptimize(balance.text.constData());
    }
}
BENCHMARK(BM_HandleRealTimeReply)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LogAppendRow(benchmark::State &state)
{
    const cell record = sampleRecord();
    DataLog log;
    for (auto _ : state) {
        log.append(record, QDateTime::currentDateTime());
        if (log.count() == LogRows) { // keep memory bounded over millions of iterations
            state.PauseTiming();
            log.clear();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_LogAppendRow)->Repetitions(5)->ReportAggregatesOnly(true);

// Heap growth of the log over 300,000 rows, measured by the allocator itself.
void BM_LogMemoryPerRow(benchmark::State &state)
{
    const cell record = sampleRecord();
    const QDateTime when = QDateTime::currentDateTime();
    double perRow = 0;
    double perRowStorage = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        DataLog log;
        for (int i = 0; i < LogRows; ++i)
            log.append(record, when);
        perRow = double(heapInUse() - before) / LogRows;
        perRowStorage = double(log.storageBytes()) / LogRows;
    }
    state.counters["bytes_per_row"] = perRow;
    state.counters["storage_bytes_per_row"] = perRowStorage;
}
BENCHMARK(BM_LogMemoryPerRow)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_WriteCsv300k(benchmark::State &state)
{
    const cell record = sampleRecord();
    DataLog log;
    QDateTime when = QDateTime::currentDateTime();
    for (int i = 0; i < LogRows; ++i)
        log.append(record, when.addMSecs(500 * i));
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    for (auto _ : state) {
        if (!log.writeCsv(path))
            state.SkipWithError("could not write the CSV file");
    }
    state.counters["rows"] = LogRows;
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_WriteCsv300k)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
} // namespace

// The energy meter's share of one reply: the trapezoid, the usual spacing, the day's books.
void BM_EnergyMeterReply(benchmark::State &state)
{
    EnergyMeter meter;
    qint64 t = QDateTime::currentMSecsSinceEpoch();
    int ma = 15000;
    for (auto _ : state) {
        t += 1000;
        ma = -ma; // a change of direction every reply: the dearest interval
        meter.take(t, 52000, ma);
    }
    benchmark::DoNotOptimize(meter.total());
}
BENCHMARK(BM_EnergyMeterReply)->Repetitions(5)->ReportAggregatesOnly(true);

// One reply through the owner of the pack's analyses, as the window and the logger feed it.
void BM_PackAnalysesReply(benchmark::State &state)
{
    qint64 t = QDateTime::currentMSecsSinceEpoch();
    PackAnalyses analyses([&t] { return t; });
    const cell record = sampleRecord();
    const RealTimeReply values;
    for (auto _ : state) {
        t += 1000;
        analyses.reply(1, values, record);
    }
    benchmark::DoNotOptimize(analyses.pack(1).energy.total());
}
BENCHMARK(BM_PackAnalysesReply)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
