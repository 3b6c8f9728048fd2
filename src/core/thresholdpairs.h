#pragma once

#include <QHash>
#include <QMap>
#include <QString>
#include <QVector>

// The thresholds the board's protections read in pairs. A protection trips at one row and is
// released at another, which must lie on the safe side of the trip: above it for an
// under-voltage or under-temperature protection, below it for an over-voltage or over-temperature
// one. And a cell's (or the pack's) over-voltage trip must lie above its under-voltage trip.
// Values are compared as the pages show them (mV, 10 mV, degrees); a value equal to its partner
// counts as the wrong side: the protection would have no margin at all.
namespace ThresholdPairs {

enum class Side { Above, Below };

enum class Consequence {
    ReleasesAtOnce, // the release lies where the protection trips
    AlwaysTripped, // every voltage trips one of the two protections
};

struct Pair
{
    const char *row; // the row named first: the release, or the over-voltage trip
    Side side; // where it must lie, strictly, beside `other`
    const char *other; // the trip it is judged against
    Consequence consequence;
};

// Every pair, cell voltages first, then the pack's, then the temperatures.
const QVector<Pair> &pairs();

struct Contradiction
{
    const Pair *pair = nullptr;
    int row = 0; // the value of pair->row
    int other = 0; // the value of pair->other
};

// The pairs the changes would leave on the wrong side: changes written over what the board
// holds. A pair is judged when one of its rows is among the changes and both values are known
// (changed, or held by the board); a pair the changes do not touch is not theirs to judge. In
// the table's order.
QVector<Contradiction> check(const QHash<QString, int> &board, const QMap<QString, int> &changes);

// A contradiction in words, both rows with their values and what would happen, in the chosen
// language; the list one per line.
QString describe(const Contradiction &contradiction);
QString describe(const QVector<Contradiction> &contradictions);

} // namespace ThresholdPairs
