#pragma once

#include "addresslist.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

#include <bitset>
#include <deque>
#include <vector>

// What went over the line, as the frame console shows it: every frame sent, every frame received
// with the verdict of its check, and the events of the line (a reply that did not come, a busy
// line, a frame that did not go out, a pause of the capture). At most capacity() entries are
// kept, the newest; older ones drop and are counted. A filter by command code (the two hex digits
// after the address) and by pack address chooses the entries shown; the log keeps the list of
// shown entries itself, so a view over it learns from each append which rows went and which came,
// without a walk over the log.
class FrameLog
{
public:
    enum class Direction { Sent, Received, Event };

    enum class Verdict {
        None, // a frame sent: nothing to check
        CrcGood,
        CrcBad,
        NoStart, // a received block without ":"
        Timeout, // no answer to the last read
        BusBusy, // the line was not idle: the frame waits for the next tick
        NotSent, // a frame did not go out (reason says why)
        Paused, // capture paused by the user: what follows is not the whole line
        Stopped, // capture stopped with the console closed
    };

    struct Entry
    {
        qint64 localMs = 0; // local wall-clock time, ms since 1970-01-01 00:00 in that zone
        Direction direction = Direction::Event;
        Verdict verdict = Verdict::None;
        int code = -1; // the command code, -1 where the entry has none
        // The pack: a frame's address field, or the pack an event concerns; -1 for the line's
        // events. A reply also belongs to the pack whose read it answers (asked), which is not
        // always the address it carries.
        int address = -1;
        int asked = -1;
        QByteArray bytes; // the frame as it went over the line; empty for events
        // For a frame that did not go out: why, as a source text of the "FrameLog" context, so it
        // is shown in the language of the moment.
        const char *reason = nullptr;
    };

    static constexpr int DefaultCapacity = 20000;

    explicit FrameLog(int capacity = DefaultCapacity);

    // Appends an entry at the end. A full log first drops its oldest tenth: a view over it
    // moves its rows once per so many entries, not with each one.
    struct Change
    {
        int droppedShown = 0; // shown rows dropped from the start (rows 0 .. droppedShown - 1)
        bool shown = false; // the new entry is shown, as the last shown row
    };
    Change sent(const QByteArray &frame, const QDateTime &when);
    Change received(const QByteArray &frame, Verdict verdict, const QDateTime &when);
    // An event of the line, or of one pack where address is given. A time-out is about the last
    // read request sent and carries its code and address; it is noted once per read, however
    // often the reply watch repeats it and whoever else reports it (nothing is appended). A
    // time-out naming another pack is its own row unless the last read's is already noted. A
    // busy line reported for the line and for the pack whose poll it held back, one right after
    // the other, is one row.
    Change event(Verdict verdict, const QDateTime &when, const char *reason = nullptr,
                 int address = -1);
    Change append(Entry entry);

    // Drops every entry and the count of dropped ones; the filter stays.
    void clear();

    int capacity() const { return m_capacity; }
    int count() const { return int(m_entries.size()); }
    const Entry &at(int index) const; // 0 is the oldest kept
    // Entries dropped to make room since the last clear().
    qint64 dropped() const { return m_dropped; }

    // The filter as typed: codes in hex, separated by blanks or commas, and ranges such as
    // "00-1F"; and "addr" with a list of pack addresses in decimal as the address box takes them,
    // such as "addr 5" or "addr 1,3-5", before or after the codes. Empty shows everything. False,
    // with the filter unchanged, for text that is not such a filter. Entries without a code or
    // an address (most events) are shown under any filter: they concern the line, not one
    // command or pack.
    bool setFilter(const QString &text);
    static bool isFilter(const QString &text);
    QString filter() const { return m_filterText; }
    bool isFiltered() const { return !m_filterText.isEmpty(); }
    bool passes(const Entry &entry) const;

    int shownCount() const { return int(m_shown.size()); }
    const Entry &shown(int row) const;

    // The columns of the console and of the saved text.
    enum Column { TimeColumn, DirectionColumn, CodeColumn, VerdictColumn, TextColumn, HexColumn };
    static constexpr int ColumnCount = 6;
    static QString caption(int column);

    // The code of a frame: the two hex digits after the address (":Y+01+51=?~" gives 0x51), or -1.
    static int codeOf(const QByteArray &frame);
    // The address of a frame: the two hex digits after the kind (":Y+0A+51=?~" gives 10), or -1.
    static int addressOf(const QByteArray &frame);
    // The bytes as upper-case hex pairs separated by blanks: "3A 59 2B".
    static QString hexText(const QByteArray &bytes);
    // The frame as text: printable ASCII as it is, anything else as \xNN, so a line of it never
    // breaks and never hides a byte.
    static QString frameText(const QByteArray &bytes);
    // The text column of an entry: the frame's text, or for events what happened.
    static QString entryText(const Entry &entry);
    static QString directionText(Direction direction);
    // What the check found, for frames received, and what kind of event an event is.
    static QString verdictText(Verdict verdict);
    static QString codeText(int code);
    // "HH:mm:ss.zzz", and with the date for the saved text.
    static QString timeText(qint64 localMs);
    static QString dateTimeText(qint64 localMs);

    // The saved text (UTF-8, "\n" after each line): a line of captions, a line saying how many
    // entries dropped before the first one and which filter chose them where that applies, then
    // one line per shown entry with its fields separated by tabs.
    QByteArray text() const;
    // Replaces the file with text(), only once all of it is written: false when it cannot be
    // made or written, and then a file of that name is left as it was and error says why.
    bool save(const QString &path, QString *error = nullptr) const;

private:
    struct Range
    {
        int from;
        int to;
    };
    using Addresses = std::bitset<AddressList::Highest + 1>;
    static bool parseFilter(const QString &text, QVector<Range> *ranges, Addresses *addresses);
    void rebuildShown();

    int m_capacity;
    std::deque<Entry> m_entries;
    qint64 m_firstSeq = 0; // the sequence number of m_entries.front()
    qint64 m_dropped = 0;
    std::deque<qint64> m_shown; // sequence numbers of the shown entries, oldest first
    QString m_filterText;
    QVector<Range> m_ranges;
    Addresses m_addresses; // none: no address filter
    int m_lastReadCode = -1; // the code of the last read request sent, for its time-out
    int m_lastReadAddress = -1; // and the pack it asked, for its time-out and its reply
    bool m_timeoutNoted = false; // the last read's time-out is in the log
    bool m_busyPairOpen = false; // the last entry is a busy line that may be told twice
};
