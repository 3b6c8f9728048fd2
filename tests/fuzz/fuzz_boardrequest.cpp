// The simulated board's side: bytes from the host cut into frames in arbitrary pieces and each
// frame understood. The pieces handed back (frames and garbage) together with what is still
// pending are exactly the bytes that came in, in order, and what is pending never exceeds the
// longest frame.
#include "requestparser.h"

#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    FrameSplitter splitter;
    QByteArray received;
    QByteArray handedBack;
    while (in.remaining_bytes() > 0) {
        const size_t piece = in.ConsumeIntegralInRange<size_t>(1, 100);
        const QByteArray chunk = QByteArray::fromStdString(in.ConsumeBytesAsString(piece));
        received += chunk;
        for (const FrameSplitter::Chunk &c : splitter.feed(chunk)) {
            handedBack += c.bytes;
            if (!c.isFrame)
                continue;
            if (!c.bytes.startsWith(':') || !c.bytes.endsWith('~'))
                std::abort();
            const Request r = parseRequest(c.bytes);
            if (r.kind != Request::Malformed && (r.address < 0 || r.code < 0))
                std::abort();
        }
        if (splitter.pending() > FrameSplitter::MaxFrame)
            std::abort();
        if (received.size() - handedBack.size() != splitter.pending()
            || !received.startsWith(handedBack))
            std::abort();
    }
    return 0;
}
