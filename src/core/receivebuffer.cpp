#include "receivebuffer.h"

#include <cstring>

namespace ReceiveBuffer {

namespace {

// The first frame mark (":" or "~") at or after from, or -1.
int nextMark(const QByteArray &bytes, int from)
{
    const char *p = bytes.constData();
    const int n = bytes.size();
    for (int i = from; i < n; ++i) {
        if (p[i] == ':' || p[i] == '~')
            return i;
    }
    return -1;
}

} // namespace

QByteArrayList append(QByteArray *buffer, const QByteArray &chunk, int maxBytes)
{
    QByteArrayList frames;
    int from = 0;
    // *buffer is empty between frames; otherwise it holds a ":" and no other mark, and from is
    // where the chunk goes on after it.
    while (from < chunk.size()) {
        int scan = from;
        if (buffer->isEmpty()) {
            const char *start = static_cast<const char *>(
                std::memchr(chunk.constData() + from, ':', size_t(chunk.size() - from)));
            if (!start)
                break; // noise up to the end of the chunk
            from = int(start - chunk.constData());
            scan = from + 1;
        }
        const int mark = nextMark(chunk, scan);
        if (mark < 0) {
            buffer->append(chunk.constData() + from, chunk.size() - from);
            if (buffer->size() > maxBytes)
                buffer->clear();
            break;
        }
        if (chunk.at(mark) == ':') {
            // The pending frame was broken off; the newer start counts.
            buffer->clear();
            from = mark;
            continue;
        }
        const int length = mark + 1 - from;
        if (buffer->size() + length <= maxBytes) {
            // A frame that came in one chunk is handed on without a copy.
            frames.append(buffer->isEmpty() ? chunk.mid(from, length)
                                            : buffer->append(chunk.constData() + from, length));
        }
        buffer->clear();
        from = mark + 1;
    }
    return frames;
}

} // namespace ReceiveBuffer
