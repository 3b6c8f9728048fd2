// Received bytes as the window takes them: cut into frames by the receive accumulator in the pieces
// the port delivers, each frame checked, and a block with a good CRC decoded as real-time data or
// as the parameter block. A second mode builds a correctly checksummed reply around arbitrary data,
// so the decoders see far more than the few inputs that happen to carry a matching CRC.
#include "cellchart.h"
#include "crc.h"
#include "datalog.h"
#include "frame.h"
#include "parameterblock.h"
#include "receivebuffer.h"
#include "statuslamps.h"
#include "telemetry.h"

#include <QDateTime>

#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

DataLog &log()
{
    static DataLog instance;
    return instance;
}

void handleBlock(const QByteArray &block)
{
    const Frame::ReplyCheck reply = Frame::checkReply(block);
    if (!reply.hasStart || !reply.crcMatches || reply.kind != 'Y')
        return;
    (void)reply.addressText();
    if (reply.code == 0x51) {
        cell afe;
        initializeAFE(&afe);
        const RealTimeReply values = decodeRealTime(reply.addressText(), reply.dataBlock(), &afe);
        (void)values;
        (void)StatusLamps::refresh(afe);
        (void)StatusLamps::balance(afe.blance_statu);
        for (int alarmCase : StatusLamps::alarmCases(afe.alrt_statu))
            (void)StatusLamps::alarm(alarmCase);
        (void)CellChart::refresh(&afe);
        (void)CellChart::wheelZoom(3000, 4000, 120, afe);
        DataLog &rows = log();
        if (rows.count() > 1000)
            rows.clear();
        rows.append(afe, QDateTime());
        for (int column = 0; column < rows.columnCount(); ++column)
            (void)rows.text(rows.count() - 1, column);
    } else if (reply.code == 0x52) {
        (void)ParameterBlock::decode(reply.addressText(), reply.dataBlock());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) {
        // A well-formed reply around arbitrary content: it must pass the check.
        const char *code = in.PickValueInArray({ "51", "52", "5A", "0G" });
        const std::string address = in.ConsumeBytesAsString(2);
        const std::string block = in.ConsumeRemainingBytesAsString();
        QByteArray frame = QByteArray(":Y+") + QByteArray::fromStdString(address) + '+' + code + '+'
            + QByteArray::fromStdString(block);
        const uint16_t crc =
            CRC::CRC16(reinterpret_cast<const unsigned char *>(frame.constData()), frame.size());
        frame += '+' + QByteArray::number(crc, 16).rightJustified(4, '0') + '~';
        if (!Frame::checkReply(frame).crcMatches)
            std::abort();
        handleBlock(frame);
        return 0;
    }
    // Raw bytes from the port, in pieces of arbitrary size.
    QByteArray accumulator;
    while (in.remaining_bytes() > 0) {
        const size_t piece = in.ConsumeIntegralInRange<size_t>(1, 300);
        const std::string chunk = in.ConsumeBytesAsString(piece);
        for (const QByteArray &frame :
             ReceiveBuffer::append(&accumulator, QByteArray::fromStdString(chunk)))
            handleBlock(frame);
    }
    return 0;
}
