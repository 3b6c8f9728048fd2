// An events file from outside (a disk cut short, a file edited by hand, any bytes): read back.
// A refused file gives its reason and no events; a read one gives at most the events asked for,
// oldest first, each with a key of the closed set that its kind and code name, and each written
// again as a line that reads back as the same event.
#include "eventfile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Times a line can carry in any time zone: well inside the years 0001..9999.
bool writable(qint64 ms)
{
    return ms > -62'000'000'000'000 && ms < 253'000'000'000'000;
}

EventFile::ReadBack readBytes(const QByteArray &bytes, int last)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return EventFile::readFrom(&buffer, last);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses how many events are asked for and whether the header comes first,
    // so the lines themselves are reached at once.
    const int last = data[0] >> 1;
    QByteArray bytes(reinterpret_cast<const char *>(data + 1), int(size - 1));
    if (data[0] & 1)
        bytes.prepend(EventFile::header() + '\n');

    const EventFile::ReadBack back = readBytes(bytes, last);
    if (!back.error.isEmpty()) {
        check(back.events.isEmpty() && back.skippedLines == 0);
        return 0;
    }
    check(back.events.size() <= last && back.skippedLines >= 0);
    const QStringList keys = EventNames::keys();
    for (int i = 0; i < back.events.size(); ++i) {
        const PackEvent &e = back.events[i];
        check(keys.contains(e.key) && e.key == EventNames::key(e.kind, e.code));
        check(e.id == 0 && !e.ongoing());
        check(e.endMs < 0 ? e.endUnknown : e.endMs >= e.startMs);
        if (i > 0)
            check(back.events[i - 1].startMs <= e.startMs);
        if (!writable(e.startMs) || !writable(e.endMs))
            continue;
        const EventFile::ReadBack again =
            readBytes(EventFile::header() + '\n' + EventFile::line(e), 1);
        check(again.error.isEmpty() && again.skippedLines == 0 && again.events.size() == 1);
        const PackEvent &a = again.events[0];
        check(a.key == e.key && a.code == e.code && a.address == e.address && a.startMs == e.startMs
              && a.endMs == e.endMs && a.endUnknown == e.endUnknown && a.place == e.place
              && a.where == e.where && a.valueStart == e.valueStart && a.worst == e.worst
              && a.hasThreshold == e.hasThreshold && a.threshold == e.threshold);
    }
    return 0;
}
