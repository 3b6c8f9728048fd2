#pragma once

#include "parameterblock.h"
#include "parametertable.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QString>
#include <QVector>

// A board's settings in a file, to compare with a board and to apply to one or many. The file is
// JSON: a format name and version, when and by what it was saved, the address it was saved from,
// a note, and each setting by the object name of its field with its value in the unit the page
// shows. A file is taken whole or not at all: its first fault refuses it, with one message naming
// the key and the reason.
namespace ParameterProfile {

constexpr char Format[] = "arvex-profile";
constexpr int Version = 1;
constexpr qint64 MaxFileBytes = 1024 * 1024;

// The settings a profile holds, in the table's order: every row the parameter block carries and
// a page shows for the user to write, except the board's address (one profile applied to
// several boards would give them all one address). The rows of the hidden Debug page (the
// debug switch, short-circuit start and delay, current type and compensation) are not settings
// a user writes, and the device commands are not settings at all.
const QVector<const ParameterTable::Row *> &rows();
const ParameterTable::Row *findRow(const QString &key);
// Rows an earlier version saved that no page shows: a file holding them still opens, without
// them.
bool isRetiredRow(const QString &key);

struct Profile
{
    QDateTime saved;
    QString tool; // the program and version that saved it
    int address = 0; // the board it was saved from; 0 when the file does not say
    QString note;
    QMap<QString, int> values; // by key, in the unit the page shows
};

struct ReadResult
{
    bool ok = false;
    Profile profile;
    QString error; // when refused: "key: reason", in the chosen language
    QStringList ignored; // rows of an earlier version left out (isRetiredRow), in file order
};

// The program and version that saves a profile, as the application names itself.
QString toolName();

// Reads a profile's bytes or file and checks every value against its row, and the values
// against each other where the board's protections pair them (ThresholdPairs).
ReadResult read(const QByteArray &bytes);
ReadResult readFile(const QString &path);
QByteArray toJson(const Profile &profile);
// Writes the file whole or not at all; the reason when it failed, else nothing.
QString writeFile(const QString &path, const Profile &profile);

// The board's values of a profile's rows, from a decoded parameter block.
QHash<QString, int> boardValues(const QVector<ParameterBlock::Field> &block);

// A profile of what the board holds. A value outside its row's range is left out, named in
// skipped: the file would be refused with it.
Profile fromBoard(const QHash<QString, int> &board, int address, QStringList *skipped = nullptr);

// One row of a profile beside the board.
struct Comparison
{
    const ParameterTable::Row *row = nullptr;
    QString key;
    int file = 0;
    bool known = false; // the board has reported the row
    int board = 0;
    bool differs() const { return !known || board != file; }
};
// The profile's rows in the table's order, each beside the board's value where known. A row the
// board has not reported counts as differing: it is not known to hold the file's value.
QVector<Comparison> compare(const Profile &profile, const QHash<QString, int> &board);
int differences(const QVector<Comparison> &rows);

// What a row's value goes out as, checked once more against the row's range; false for a value
// the row refuses.
bool wireValue(const ParameterTable::Row &row, int value, uint16_t *wire);

} // namespace ParameterProfile
