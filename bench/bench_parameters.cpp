// Cost of the parameter pages: decoding one parameter block reply in the core, and the window
// taking it (check, decode, 50 fields and 17 switches written).
#include "crc.h"
#include "frame.h"
#include "mainwindow.h"
#include "messages.h"
#include "parameterblock.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

// A parameter block reply with a plausible value in every field (197 digits).
QByteArray parameterReply()
{
    QByteArray block;
    block += "0065"
             "10"; // version, charger and load digits
    for (int i = 0; i < 38; ++i)
        block += QByteArray::number(100 + 37 * i, 16).toUpper().rightJustified(4, '0');
    block += "1011101"
             "1"
             "0"
             "1010101101"; // switches, DEBUG, SW, switches
    block += "0A00"; // current type, calibration current
    block += "005A002D0064001E"; // the four alarm temperatures
    const QByteArray span = ":Y+01+52+" + block;
    const uint16_t crc =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(span.constData()), span.size());
    return span + '+' + QByteArray::number(crc, 16).rightJustified(4, '0') + '~';
}

void BM_DecodeParameterBlock(benchmark::State &state)
{
    const Frame::ReplyCheck reply = Frame::checkReply(parameterReply());
    if (!reply.crcMatches || reply.dataBlock().size() != 197)
        state.SkipWithError("parameter reply is not a 197-digit block with a good CRC");
    for (auto _ : state)
        benchmark::DoNotOptimize(ParameterBlock::decode(reply.addressText(), reply.dataBlock()));
}
BENCHMARK(BM_DecodeParameterBlock)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_HandleParameterReply(benchmark::State &state)
{
    Messages::Recorder recorder; // a machine without serial ports would show a box
    MainWindow window;
    const QByteArray frame = parameterReply();
    for (auto _ : state)
        emit window.dataReceived(frame);
}
// Each reply leaves a 2-second lamp timer behind, and without an event loop none of them fires;
// the timer list they pile up in makes every later timer start slower. At the fastest poll a
// running program holds about seven of them, so the runs are kept short.
BENCHMARK(BM_HandleParameterReply)->Iterations(10)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The program's own style sheet: re-polishing a field costs more under it.
    initResources();
    QFile style(QStringLiteral(":/assert/style.qss"));
    if (style.open(QIODevice::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(style.readAll()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
