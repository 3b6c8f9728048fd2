// The receive accumulator fed in arbitrary pieces, with bounds small enough that they are reached.
// Whatever arrives, the buffer never holds more than its bound, every block handed on holds a
// ":" and a "~", and the newest start of a frame within the bound is never thrown away.
#include "receivebuffer.h"

#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int maxBytes =
        in.ConsumeBool() ? ReceiveBuffer::MaxBytes : in.ConsumeIntegralInRange<int>(1, 512);
    QByteArray buffer;
    while (in.remaining_bytes() > 0) {
        const size_t piece = in.ConsumeIntegralInRange<size_t>(0, 600);
        const QByteArray chunk = QByteArray::fromStdString(in.ConsumeBytesAsString(piece));
        const QByteArray before = buffer + chunk;
        const bool complete = ReceiveBuffer::append(&buffer, chunk, maxBytes);
        if (buffer.size() > maxBytes)
            std::abort();
        if (complete != (buffer.contains(':') && buffer.contains('~')))
            std::abort();
        // What is kept is always the end of what came in.
        if (!before.endsWith(buffer))
            std::abort();
        // Within the bound nothing is dropped; past it, a ":" among the newest bytes survives.
        if (before.size() <= maxBytes && buffer != before)
            std::abort();
        const int lastStart = before.lastIndexOf(':');
        if (before.size() > maxBytes && lastStart >= 0 && before.size() - lastStart <= maxBytes
            && !buffer.startsWith(':'))
            std::abort();
        if (complete)
            buffer.clear();
    }
    return 0;
}
