#include "receivebuffer.h"

namespace ReceiveBuffer {

bool append(QByteArray *buffer, const QByteArray &chunk, int maxBytes)
{
    buffer->append(chunk);
    if (buffer->size() > maxBytes) {
        const int start = buffer->lastIndexOf(':');
        if (start < 0 || buffer->size() - start > maxBytes)
            buffer->clear();
        else
            buffer->remove(0, start);
    }
    return buffer->contains('~') && buffer->contains(':');
}

} // namespace ReceiveBuffer
