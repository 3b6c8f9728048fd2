#pragma once

#include <QByteArray>
#include <QByteArrayList>

// Cuts the bytes from the port into frames, in the order they arrive. A frame runs from a ":" to
// the first "~" after it; what comes before a ":" is line noise and dropped, and the part of a
// frame not yet complete is kept for the next read. A reply is hexadecimal text between its
// marks, so a ":" inside a pending frame means that frame was broken off (a lost "~", a board
// reset half-way): it is dropped and collecting starts again at the newer ":".
namespace ReceiveBuffer {

// Far above the largest reply (about 230 bytes), so no reply is ever cut, yet a ":" that is
// never followed by a "~" cannot grow the buffer without end.
constexpr int MaxBytes = 64 * 1024;

// Appends a chunk to the pending bytes in *buffer and returns the frames it completed, oldest
// first, each from its ":" to its "~". Afterwards *buffer is empty or holds the start of the next
// frame: one ":" and what followed it. A frame longer than maxBytes is never handed on: its bytes
// are dropped as they pass the bound, up to the next ":".
QByteArrayList append(QByteArray *buffer, const QByteArray &chunk, int maxBytes = MaxBytes);

} // namespace ReceiveBuffer
