#pragma once

#include <QString>
#include <QVector>

struct cell;

// Status lamps: which picture each lamp label shows for the status values of a real-time reply.
// A decision is a list of (lamp object name, picture) in the order the lamps are set; an empty
// list means the value leaves every lamp of the group as it was.
namespace StatusLamps {

// The four lamp pictures.
constexpr char Off[] = ":/asset/assert/NO.png"; // grey: off, no information
constexpr char Pass[] = ":/asset/assert/Pas.png"; // green: active state or all clear
constexpr char Warning[] = ":/asset/assert/Warning.png"; // amber: alarm
constexpr char Error[] = ":/asset/assert/Err.png"; // red: protection active

struct LampPicture
{
    const char *lamp;
    const char *picture;
};
using Pictures = QVector<LampPicture>;

// The fourteen protection lamps for a protection code: 0 sets all green, 1 .. 14 set one lamp
// red and the others green; 15 and above, and negative codes, change nothing.
Pictures protection(int code);

// The three job lamps: 0 at rest, 1 charging, 2 discharging, 3 no job state (all grey); other
// codes change nothing.
Pictures job(int code);

// The four driven alarm lamps for one alarm case: 0 all green, 1 .. 4 one lamp amber and the
// other three green; other cases change nothing.
Pictures alarm(int alarmCase);

// The alarm cases to apply for an alarm word, in order: case 0 for a zero word, otherwise case j
// for every set bit j of bits 0 .. 7, lowest first (the last lamp case applied wins).
QVector<int> alarmCases(int word);

// The six system-status lamps: code 0 sets them all green; other codes change nothing.
Pictures info(int code);

// The balancing lamp and text for a balancing word (bit n = cell n + 1; bits 0 .. 15).
struct Balance
{
    const char *lamp; // "blance_fun_mask"
    const char *picture;
    QString text; // for the label "blance_label": "NULL", or "Cell#1 #3 " style
    bool adjustSizeFirst; // the label is resized to its old contents before the text is set
};
Balance balance(int word);

// The alarm lamps of the form that no status value drives, in layout order: the board reports no
// such alarm, and they keep the form's grey picture for the life of the window.
const QVector<const char *> &unreportedAlarms();

// The whole lamp refresh after a real-time reply, in order: system status, protection, job, the
// alarm cases, and the balancing lamp (its text comes from balance()).
Pictures refresh(const cell &afe);

} // namespace StatusLamps
