// Cost of the protocol core: checking one real-time reply and cutting all its fields, and the CRC.
#include "crc.h"
#include "fields.h"
#include "frame.h"

#include <benchmark/benchmark.h>

namespace {
// Widths of the real-time reply's fields, left to right (211 digits in all).
constexpr int RealTimeWidths[] = {
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, // cells
    4, 4, 4, 4, 4, 4, // temperatures
    1, 1, 1, 1, 1, // protection, alarm, job, charge and discharge MOS digits
    8, 8, 8, 8, // current, NEWCC, CHGVV, DSGVV
    4, 4, 4, 4, 4, 4, 4, 4, 4, // cycles, balance, pack, avg, max, min, max/min diff, extreme
    2, 2, 2, 4, 4, // SOC, cells in series, compensation, damping, SOH
};

QByteArray realTimeReply()
{
    // Plausible values, one per field, left to right.
    QByteArray block;
    int i = 0;
    for (int width : RealTimeWidths) {
        const int value = width == 1 ? 1 : width == 2 ? 50 : 3300 + i;
        block += QByteArray::number(value, 16).toUpper().rightJustified(width, '0');
        ++i;
    }
    const QByteArray span = ":Y+01+51+" + block;
    const uint16_t crc =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(span.constData()), span.size());
    return span + '+' + QByteArray::number(crc, 16).rightJustified(4, '0') + '~';
}

void BM_CheckAndCutRealTimeReply(benchmark::State &state)
{
    const QByteArray frame = realTimeReply();
    if (Frame::checkReply(frame).dataBlock().size() != 211)
        state.SkipWithError("reply block is not 211 digits");
    for (auto _ : state) {
        const Frame::ReplyCheck check = Frame::checkReply(frame);
        FieldReader reader(check.dataBlock());
        int sum = 0;
        for (int i = int(std::size(RealTimeWidths)) - 1; i >= 0; --i)
            sum += reader.take(RealTimeWidths[i]);
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(check.crcMatches);
    }
}
BENCHMARK(BM_CheckAndCutRealTimeReply);

void BM_Crc16(benchmark::State &state)
{
    QByteArray bytes(int(state.range(0)), 'A');
    for (auto _ : state)
        benchmark::DoNotOptimize(
            CRC::CRC16(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc16)->Arg(16)->Arg(220)->Arg(4096);
} // namespace

BENCHMARK_MAIN();
