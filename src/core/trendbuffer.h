#pragma once

#include "datalog.h"
#include "telemetry.h"

#include <QtGlobal>

#include <deque>
#include <limits>
#include <memory>
#include <vector>

class CsvReader;

// The time series behind the trends page: per sample its moment and twelve values, kept in a
// ring that drops the oldest sample when full. A day at the fastest poll (300 ms: 288,000
// samples) takes under 10 MB: each value is stored in the narrowest type that holds every value
// the board can send for it. For drawing, a channel is cut down to its lowest and highest sample
// per time bucket, so a pixel column never gets more than two points and no peak is lost.
//
// A time without samples (the port closed, the board silent) is a gap, and the line is broken
// there instead of running straight across as if values had been measured. The poll period is
// not the buffer's to know (and a recording does not say it), so the samples' own spacing is the
// measure: a sample that comes more than GapFactor times the usual spacing after the one before
// it begins a new line. The usual spacing is the median of the spacings around the sample, up to
// GapNeighbours on either side, so a change of period moves it within a few samples. The newest
// samples are judged on the spacings before them until those after them have come.
class TrendBuffer
{
public:
    enum Channel {
        PackVoltage, // mV
        Current, // mA, negative while discharging (also when the board sends the magnitude)
        Soc, // %
        HighestCell, // mV
        LowestCell, // mV
        AverageCell, // mV
        MosTemperature, // 0.01 degC
        CellTemperature1,
        CellTemperature2,
        CellTemperature3,
        CellTemperature4,
        AmbientTemperature,
        ChannelCount
    };

    struct Sample
    {
        qint64 ms = 0; // since 1970-01-01 00:00 UTC
        int values[ChannelCount] = {};
    };

    // The values of a real-time reply.
    static Sample fromRecord(const cell &record, qint64 ms);
    // The values of a logged row. A row has no highest, lowest and average cell voltage of its
    // own: they are taken over its cells between 500 and 5000 mV (0 without any), the cells the
    // cell chart draws.
    static Sample fromRow(const DataLog::Row &row, qint64 ms);

    static constexpr int GapFactor = 3;
    static constexpr int GapNeighbours = 4;

    static constexpr int DefaultCapacity = 288000;
    // The most rows of a file opened into the charts: about 34 MB, three and a half days at the
    // fastest poll.
    static constexpr int MaxFileRows = 1000000;
    explicit TrendBuffer(int capacity = DefaultCapacity);

    // Reads the rows of an opened file into a new buffer sized for them, holding at most maxRows:
    // of a file with more rows, the newest. Null when a line cannot be read (reader->error() says
    // which); rowsRead, when given, counts every row read, kept or not.
    static std::unique_ptr<TrendBuffer> load(CsvReader *reader, int maxRows,
                                             qint64 *rowsRead = nullptr);

    ~TrendBuffer();
    TrendBuffer(const TrendBuffer &) = delete;
    TrendBuffer &operator=(const TrendBuffer &) = delete;

    // Adds a sample after the newest, dropping the oldest when full. Time never runs back in the
    // buffer: a sample older than the newest (the clock was set back) takes the newest's moment.
    // Values outside what a channel stores are held at its nearest end.
    void append(const Sample &sample);
    void clear();

    int size() const { return m_size; }
    int capacity() const { return m_capacity; }
    bool isEmpty() const { return m_size == 0; }
    // Counted from the oldest sample (0) to the newest (size() - 1).
    qint64 timeAt(int index) const { return m_time[physical(index)]; }
    int valueAt(Channel channel, int index) const;
    Sample sampleAt(int index) const;
    qint64 firstTime() const { return m_size ? timeAt(0) : 0; }
    qint64 lastTime() const { return m_size ? timeAt(m_size - 1) : 0; }
    // The first sample at or after ms; size() when there is none.
    int lowerBound(qint64 ms) const;
    // The sample nearest to ms; -1 when the buffer is empty.
    int nearest(qint64 ms) const;
    // Whether a gap comes before the sample at index, so that it begins a new line. Never before
    // the oldest sample.
    bool startsLine(int index) const;

    struct Point
    {
        // The value of a point that is not a sample but a break in the line.
        static constexpr int Gap = std::numeric_limits<int>::min();

        qint64 ms;
        int value;

        bool isGap() const { return value == Gap; }
    };
    // The points to draw of a channel between from and to, split into buckets of equal time:
    // the lowest and the highest sample of each bucket in the order they were taken (one point
    // when they are the same sample), and the samples just outside both ends, so a line runs to
    // the edges. Where a gap lies between two points, a Gap point (at the moment of the sample
    // after the gap) stands between them; a bucket with a gap inside gives the lowest and highest
    // of each side. Replaces the contents of out.
    void decimate(Channel channel, qint64 from, qint64 to, int buckets,
                  std::vector<Point> *out) const;

    // Heap bytes held by the samples.
    std::size_t storageBytes() const;

private:
    // The samples of one channel by their place in the ring, and the lowest and highest of each
    // block of BlockSize places, so a long stretch is cut down without reading every sample.
    static constexpr int BlockShift = 6;
    static constexpr int BlockSize = 1 << BlockShift;
    template<typename T>
    struct Column
    {
        std::unique_ptr<T[]> values;
        std::unique_ptr<T[]> low;
        std::unique_ptr<T[]> high;

        void allocate(int capacity);
        void put(int place, T value);
    };

    // The first sample at or after ms among those from lo up to hi.
    int lowerBound(qint64 ms, int lo, int hi) const;
    int physical(int index) const
    {
        const int p = m_head + index;
        return p >= m_capacity ? p - m_capacity : p;
    }
    template<typename T>
    void decimateStored(const Column<T> &column, int offset, qint64 from, qint64 to, int buckets,
                        std::vector<Point> *out) const;

    // Gaps are kept by the samples' serial numbers (the count of samples appended before them),
    // which stay when the ring turns.
    qint64 serialOf(int index) const { return m_firstSerial + index; }
    // The first sample after index that begins a new line; size() when there is none.
    int nextLineStart(int index) const;
    // Whether the sample at index came more than GapFactor usual spacings after the one before,
    // the usual spacing taken from the samples before it and, with later, those after it.
    bool isGapBefore(int index, bool later) const;
    void setGapBefore(int index, bool gap);

    int m_capacity;
    int m_head = 0; // physical place of the oldest sample
    int m_size = 0;
    qint64 m_firstSerial = 0; // serial number of the oldest sample
    std::deque<qint64> m_gaps; // serial numbers of the samples that begin a line after a gap
    std::unique_ptr<qint64[]> m_time;
    Column<qint32> m_current;
    Column<quint8> m_soc;
    // Pack voltage, the three cell figures and the six temperatures; 16 bits each, as the board
    // sends them. Temperatures are kept as sent, 0.01 degC above -40 degC.
    Column<quint16> m_u16[10];
};
