// The receive accumulator fed in arbitrary pieces, with bounds small enough that they are reached.
// However the bytes are cut, the frames handed on are exactly the frames of the whole stream, in
// order: every ":" ... "~" with no other mark inside and no longer than the bound. What is kept
// between reads is the start of the next frame, never more than the bound.
#include "receivebuffer.h"

#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The frames of a whole stream, found from their ends: each "~" closes a frame when the nearest
// mark in front of it is a ":" within the bound.
QByteArrayList framesOf(const QByteArray &stream, int maxBytes)
{
    QByteArrayList frames;
    int lastColon = -1;
    for (int i = 0; i < stream.size(); ++i) {
        if (stream.at(i) == ':') {
            lastColon = i;
        } else if (stream.at(i) == '~') {
            if (lastColon >= 0 && i - lastColon + 1 <= maxBytes)
                frames.append(stream.mid(lastColon, i - lastColon + 1));
            lastColon = -1;
        }
    }
    return frames;
}

// What is left waiting for its "~" at the end of a whole stream.
QByteArray pendingOf(const QByteArray &stream, int maxBytes)
{
    const int start = stream.lastIndexOf(':');
    if (start < 0 || stream.indexOf('~', start) >= 0 || stream.size() - start > maxBytes)
        return QByteArray();
    return stream.mid(start);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int maxBytes =
        in.ConsumeBool() ? ReceiveBuffer::MaxBytes : in.ConsumeIntegralInRange<int>(1, 512);
    QByteArray buffer;
    QByteArray stream;
    QByteArrayList frames;
    while (in.remaining_bytes() > 0) {
        const size_t piece = in.ConsumeIntegralInRange<size_t>(0, 600);
        const QByteArray chunk = QByteArray::fromStdString(in.ConsumeBytesAsString(piece));
        stream += chunk;
        frames += ReceiveBuffer::append(&buffer, chunk, maxBytes);
        require(buffer.size() <= maxBytes);
        require(buffer == pendingOf(stream, maxBytes));
    }
    require(frames == framesOf(stream, maxBytes));
    return 0;
}
