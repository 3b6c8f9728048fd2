#pragma once

#include <QByteArray>
#include <QVector>

#include <cstdint>

// Cuts the byte stream from the host into frames. Bytes come in arbitrary pieces and frames back
// to back; a frame runs from ":" to the next "~". Bytes outside a frame, a frame broken off by a
// new ":" and anything growing past the longest request without its "~" are handed back as
// garbage, so the stream always resynchronises on the next ":".
class FrameSplitter
{
public:
    static constexpr int MaxFrame = 64;

    struct Chunk
    {
        QByteArray bytes;
        bool isFrame = false;
    };

    QVector<Chunk> feed(const QByteArray &bytes);
    int pending() const { return m_buffer.size(); }

private:
    QByteArray m_buffer;
};

// One frame from the host, understood.
struct Request
{
    enum Kind {
        Malformed,
        Read, // :Y+AA+CC=?~
        Write, // :W+AA+CC+0n+data+crc~
    };
    Kind kind = Malformed;
    int address = -1;
    int code = -1;
    uint16_t value = 0;
    bool crcMatches = false; // writes only: CRC over everything up to the "+" in front of it
};

Request parseRequest(const QByteArray &frame);
