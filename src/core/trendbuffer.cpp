#include "trendbuffer.h"

#include "csvreader.h"
#include "logcolumns.h"
#include "packsummary.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int TemperatureOffset = 4000; // 0.01 degC: the board sends -40 degC as 0
// The board may send the current as its magnitude and tell the direction by its job code; the
// trend shows a discharge below zero either way.
using PackSummary::signedCurrent;

// Where a channel is kept among the 16-bit columns, and the offset added before it is stored;
// -1 for the current and the state of charge, which have their own.
struct Slot
{
    int column;
    int offset;
};

Slot slotOf(TrendBuffer::Channel channel)
{
    switch (channel) {
    case TrendBuffer::PackVoltage:
        return { 0, 0 };
    case TrendBuffer::HighestCell:
    case TrendBuffer::LowestCell:
    case TrendBuffer::AverageCell:
        return { 1 + channel - TrendBuffer::HighestCell, 0 };
    case TrendBuffer::Current:
    case TrendBuffer::Soc:
    case TrendBuffer::ChannelCount:
        break;
    default:
        return { 4 + channel - TrendBuffer::MosTemperature, TemperatureOffset };
    }
    return { -1, 0 };
}

template<typename T>
T clampTo(qint64 value)
{
    return T(qBound<qint64>(std::numeric_limits<T>::min(), value, std::numeric_limits<T>::max()));
}

} // namespace

TrendBuffer::Sample TrendBuffer::fromRecord(const cell &record, qint64 ms)
{
    Sample s;
    s.ms = ms;
    s.values[PackVoltage] = record.totalv;
    s.values[Current] = signedCurrent(record.cadc, record.job_statu);
    s.values[Soc] = record.soc;
    s.values[HighestCell] = record.maxv;
    s.values[LowestCell] = record.minv;
    s.values[AverageCell] = record.avgv;
    s.values[MosTemperature] = record.ts[1];
    for (int i = 0; i < 4; ++i)
        s.values[CellTemperature1 + i] = record.ts[2 + i];
    s.values[AmbientTemperature] = record.ts[0];
    return s;
}

TrendBuffer::Sample TrendBuffer::fromRow(const DataLog::Row &row, qint64 ms)
{
    const auto column = [&row](int c) { return row.values[c - LogColumns::FirstValue]; };
    Sample s;
    s.ms = ms;
    s.values[Soc] = column(8);
    s.values[Current] = signedCurrent(column(10), column(4));
    s.values[PackVoltage] = column(11);
    // MOSFET, the four cell sensors, then the environment: the log's column order.
    for (int i = 0; i < 6; ++i)
        s.values[MosTemperature + i] = column(12 + i);
    int highest = 0, lowest = 0, cells = 0;
    qint64 sum = 0;
    for (int k = 0; k < 25; ++k) {
        const int mv = column(LogColumns::FirstCell + k);
        if (mv < 500 || mv > 5000)
            continue;
        highest = cells ? std::max(highest, mv) : mv;
        lowest = cells ? std::min(lowest, mv) : mv;
        sum += mv;
        ++cells;
    }
    s.values[HighestCell] = highest;
    s.values[LowestCell] = lowest;
    s.values[AverageCell] = cells ? int((sum + cells / 2) / cells) : 0;
    return s;
}

template<typename T>
void TrendBuffer::Column<T>::allocate(int capacity)
{
    const std::size_t blocks = std::size_t((capacity + BlockSize - 1) / BlockSize);
    values.reset(new T[std::size_t(capacity)]);
    low.reset(new T[blocks]);
    high.reset(new T[blocks]);
}

template<typename T>
void TrendBuffer::Column<T>::put(int place, T value)
{
    values[std::size_t(place)] = value;
    // Places are written in order, so the first place of a block starts its figures afresh.
    const std::size_t block = std::size_t(place >> BlockShift);
    if ((place & (BlockSize - 1)) == 0) {
        low[block] = value;
        high[block] = value;
    } else {
        low[block] = std::min(low[block], value);
        high[block] = std::max(high[block], value);
    }
}

TrendBuffer::TrendBuffer(int capacity)
    : m_capacity(std::max(1, capacity))
    , m_time(new qint64[std::size_t(m_capacity)])
{
    m_current.allocate(m_capacity);
    m_soc.allocate(m_capacity);
    for (auto &column : m_u16)
        column.allocate(m_capacity);
}

TrendBuffer::~TrendBuffer() = default;

std::unique_ptr<TrendBuffer> TrendBuffer::load(CsvReader *reader, int maxRows, qint64 *rowsRead)
{
    auto buffer = std::make_unique<TrendBuffer>(std::min(reader->rowCountBound(), maxRows));
    qint64 rows = 0;
    const bool read = reader->readRows([&buffer, &rows](const DataLog::Row &row, qint64 utcMs) {
        buffer->append(fromRow(row, utcMs));
        ++rows;
    });
    if (rowsRead)
        *rowsRead = rows;
    if (!read)
        buffer.reset();
    return buffer;
}

void TrendBuffer::append(const Sample &sample)
{
    int p;
    if (m_size < m_capacity) {
        p = physical(m_size);
        ++m_size;
    } else {
        p = m_head; // the oldest makes room
        m_head = physical(1);
        ++m_firstSerial;
        // A line begins at the oldest sample anyway.
        while (!m_gaps.empty() && m_gaps.front() <= m_firstSerial)
            m_gaps.pop_front();
    }
    const qint64 newest = m_size > 1 ? m_time[p == 0 ? m_capacity - 1 : p - 1] : sample.ms;
    m_time[p] = std::max(sample.ms, newest);
    m_current.put(p, sample.values[Current]);
    m_soc.put(p, clampTo<quint8>(sample.values[Soc]));
    for (int c = 0; c < ChannelCount; ++c) {
        const Slot slot = slotOf(Channel(c));
        if (slot.column >= 0)
            m_u16[slot.column].put(p, clampTo<quint16>(qint64(sample.values[c]) + slot.offset));
    }

    // The new sample is judged on the spacings before it; the one whose later neighbours are
    // all known now is judged again on both sides, for good.
    const int last = m_size - 1;
    setGapBefore(last, isGapBefore(last, false));
    if (last - GapNeighbours >= 1)
        setGapBefore(last - GapNeighbours, isGapBefore(last - GapNeighbours, true));
}

void TrendBuffer::clear()
{
    m_head = 0;
    m_size = 0;
    m_firstSerial = 0;
    m_gaps.clear();
}

bool TrendBuffer::isGapBefore(int index, bool later) const
{
    if (index < 1 || index >= m_size)
        return false;
    const qint64 pause = timeAt(index) - timeAt(index - 1);
    if (pause <= 0)
        return false;
    // Samples on one moment (a clock set back) tell nothing of the spacing.
    qint64 spacings[2 * GapNeighbours];
    int count = 0;
    const int lo = std::max(1, index - GapNeighbours);
    const int hi = later ? std::min(m_size - 1, index + GapNeighbours) : index - 1;
    for (int j = lo; j <= hi; ++j) {
        const qint64 spacing = j == index ? 0 : timeAt(j) - timeAt(j - 1);
        if (spacing > 0)
            spacings[count++] = spacing;
    }
    if (count == 0)
        return false;
    // The upper median: where the poll changes, the spacings on either side are half and half,
    // and the slower one is the usual spacing then, so a change of period is no gap.
    qint64 *middle = spacings + count / 2;
    std::nth_element(spacings, middle, spacings + count);
    return pause / GapFactor >= *middle && pause > GapFactor * *middle;
}

void TrendBuffer::setGapBefore(int index, bool gap)
{
    // Only the newest samples are judged, so the place is near the end.
    const qint64 serial = serialOf(index);
    auto at = m_gaps.end();
    while (at != m_gaps.begin() && *(at - 1) >= serial)
        --at;
    const bool was = at != m_gaps.end() && *at == serial;
    if (gap && !was)
        m_gaps.insert(at, serial);
    else if (!gap && was)
        m_gaps.erase(at);
}

bool TrendBuffer::startsLine(int index) const
{
    return index > 0 && index < m_size
        && std::binary_search(m_gaps.begin(), m_gaps.end(), serialOf(index));
}

int TrendBuffer::nextLineStart(int index) const
{
    const auto at = std::upper_bound(m_gaps.begin(), m_gaps.end(), serialOf(index));
    return at == m_gaps.end() ? m_size : int(*at - m_firstSerial);
}

int TrendBuffer::valueAt(Channel channel, int index) const
{
    const int p = physical(index);
    if (channel == Current)
        return m_current.values[p];
    if (channel == Soc)
        return m_soc.values[p];
    const Slot slot = slotOf(channel);
    return slot.column >= 0 ? int(m_u16[slot.column].values[p]) - slot.offset : 0;
}

TrendBuffer::Sample TrendBuffer::sampleAt(int index) const
{
    Sample s;
    s.ms = timeAt(index);
    for (int c = 0; c < ChannelCount; ++c)
        s.values[c] = valueAt(Channel(c), index);
    return s;
}

int TrendBuffer::lowerBound(qint64 ms) const
{
    return lowerBound(ms, 0, m_size);
}

int TrendBuffer::lowerBound(qint64 ms, int lo, int hi) const
{
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (timeAt(mid) < ms)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int TrendBuffer::nearest(qint64 ms) const
{
    if (m_size == 0)
        return -1;
    const int after = lowerBound(ms);
    if (after == m_size)
        return m_size - 1;
    if (after > 0 && ms - timeAt(after - 1) <= timeAt(after) - ms)
        return after - 1;
    return after;
}

template<typename T>
void TrendBuffer::decimateStored(const Column<T> &column, int offset, qint64 from, qint64 to,
                                 int buckets, std::vector<Point> *out) const
{
    const T *values = column.values.get();
    const auto point = [this, values, offset](int index) {
        return Point{ timeAt(index), int(values[physical(index)]) - offset };
    };
    const int begin = lowerBound(from);
    const int end = to == std::numeric_limits<qint64>::max() ? m_size : lowerBound(to + 1);
    if (begin > 0)
        out->push_back(point(begin - 1));

    // The lowest and highest value of the samples from i up to stop and where they are, by place
    // in the ring; a whole block inside the stretch is judged by its figures, and searched only if
    // it wins. The stretch is scanned in two parts split where the ring turns, so the block being
    // written (the newest samples at its start, the oldest after them, its figures only of the
    // newest) is never whole inside one.
    const auto extremes = [&](int i, int stop) {
        const int first = physical(i);
        T lowValue = values[first], highValue = lowValue;
        int lowAt = first, highAt = first, lowBlock = -1, highBlock = -1;
        const auto scan = [&](int place, int last) {
            while (place < last) {
                const int block = place >> BlockShift;
                if ((place & (BlockSize - 1)) == 0 && place + BlockSize <= last) {
                    if (column.low[std::size_t(block)] < lowValue) {
                        lowValue = column.low[std::size_t(block)];
                        lowBlock = block;
                    }
                    if (column.high[std::size_t(block)] > highValue) {
                        highValue = column.high[std::size_t(block)];
                        highBlock = block;
                    }
                    place += BlockSize;
                    continue;
                }
                const T v = values[place];
                if (v < lowValue) {
                    lowValue = v;
                    lowAt = place;
                    lowBlock = -1;
                } else if (v > highValue) {
                    highValue = v;
                    highAt = place;
                    highBlock = -1;
                }
                ++place;
            }
        };
        const int count = stop - i;
        const int head = std::min(count, m_capacity - first);
        scan(first, first + head);
        scan(0, count - head);
        const auto placeIn = [values](int block, T value) {
            int place = block << BlockShift;
            while (values[place] != value)
                ++place;
            return place;
        };
        if (lowBlock >= 0)
            lowAt = placeIn(lowBlock, lowValue);
        if (highBlock >= 0)
            highAt = placeIn(highBlock, highValue);
        // Back from places in the ring to the order of time.
        const auto index = [this](int place) {
            return place >= m_head ? place - m_head : place + m_capacity - m_head;
        };
        const int low = index(lowAt), high = index(highAt);
        out->push_back(point(std::min(low, high)));
        if (low != high)
            out->push_back(point(std::max(low, high)));
    };
    const auto gapBefore = [this, out](int index) {
        if (!out->empty())
            out->push_back(Point{ timeAt(index), Point::Gap });
    };

    const qint64 span = to - from;
    int lineStart = nextLineStart(begin - 1); // the next sample after a gap
    int i = begin;
    for (int b = 0; b < buckets && i < end; ++b) {
        // The samples up to the bucket's end; the last bucket ends with the range.
        int bucketEnd = end;
        if (b + 1 < buckets) {
            const qint64 edge = from + qint64((long double)span * (b + 1) / buckets);
            if (timeAt(i) >= edge)
                continue; // nothing in this bucket
            bucketEnd = lowerBound(edge, i + 1, end);
        }
        // A gap inside the bucket splits it: each side keeps its own extremes.
        while (i < bucketEnd) {
            if (i == lineStart) {
                gapBefore(i);
                lineStart = nextLineStart(i);
            }
            const int stop = std::min(bucketEnd, lineStart);
            extremes(i, stop);
            i = stop;
        }
    }
    if (end < m_size) {
        if (startsLine(end))
            gapBefore(end);
        out->push_back(point(end));
    }
}

void TrendBuffer::decimate(Channel channel, qint64 from, qint64 to, int buckets,
                           std::vector<Point> *out) const
{
    out->clear();
    if (m_size == 0 || buckets <= 0 || to < from || channel < 0 || channel >= ChannelCount)
        return;
    if (channel == Current) {
        decimateStored(m_current, 0, from, to, buckets, out);
    } else if (channel == Soc) {
        decimateStored(m_soc, 0, from, to, buckets, out);
    } else {
        const Slot slot = slotOf(channel);
        decimateStored(m_u16[slot.column], slot.offset, from, to, buckets, out);
    }
}

std::size_t TrendBuffer::storageBytes() const
{
    const std::size_t blocks = std::size_t((m_capacity + BlockSize - 1) / BlockSize);
    const std::size_t perPlace =
        sizeof(qint64) + sizeof(qint32) + sizeof(quint8) + 10 * sizeof(quint16);
    return std::size_t(m_capacity) * perPlace + 2 * blocks * (perPlace - sizeof(qint64))
        + m_gaps.size() * sizeof(qint64);
}
