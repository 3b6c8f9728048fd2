#pragma once

#include <QByteArray>

// The receive accumulator: bytes from the port are collected until the buffer holds both a ":"
// and a "~" (anywhere, in any order); then the whole buffer is one block for the frame check.
namespace ReceiveBuffer {

// Far above the largest reply (about 230 bytes), so no reply is ever cut, yet a line that never
// sends a ":" or a "~" cannot grow the buffer without end.
constexpr int MaxBytes = 64 * 1024;

// Appends a chunk. Past maxBytes only the bytes from the last ":" are kept, the start of the
// newest possible frame; with no ":" among the newest maxBytes nothing is kept. Returns true when
// the buffer now holds a block to hand on.
bool append(QByteArray *buffer, const QByteArray &chunk, int maxBytes = MaxBytes);

} // namespace ReceiveBuffer
