#pragma once

#include <QLocale>
#include <QString>
#include <QVector>

#include <cstdint>

// The writable parameters of the configuration pages and the check of a typed value.
namespace ParameterTable {

// One row: the button's slot, the line edit holding the value, the write prefix (":W++" code
// "+"), the inclusive bounds of the typed value, the offset added before sending and the unit
// the page shows beside the field (UTF-8; empty where the page shows none).
struct Row
{
    const char *slot;
    const char *lineEdit;
    const char *prefix;
    int min;
    int max;
    uint16_t offset;
    const char *unit;
};

// Every row that writes a typed value, in the order of the command codes.
const QVector<Row> &rows();
// The row of a line edit or of a slot; nullptr when there is none.
const Row *findByLineEdit(const QString &lineEditName);
const Row *findBySlot(const QString &slotName);

// The device commands that send a fixed value without asking (CommandValue).
struct Command
{
    const char *button;
    const char *slot;
    const char *prefix;
    uint16_t value;
};
const QVector<Command> &commands();

// The outcome of checking a typed value.
struct Check
{
    enum Outcome { NotANumber, OutOfRange, Accepted };
    Outcome outcome = NotANumber;
    double typed = 0; // the number read from the text (NotANumber: 0)
    uint16_t value = 0; // Accepted: what goes on the wire
};

// Reads text as a number in the given locale (the user's by default) and checks it against
// [min, max], both inclusive. An accepted value is sent as typed + offset, truncated toward
// zero, in 16-bit two's complement (-5 goes out as 0xFFFB). "nan" and "inf" are not numbers,
// and neither is a text with a group separator: "1.000" and "1,000" are refused in every
// language rather than read as one in some of them.
Check checkInput(const QString &text, int min, int max, uint16_t offset,
                 const QLocale &locale = QLocale());
inline Check checkInput(const QString &text, const Row &row, const QLocale &locale = QLocale())
{
    return checkInput(text, row.min, row.max, row.offset, locale);
}

// The style sheets of a parameter field: neutral, not a number (red), out of range (yellow).
constexpr char NeutralStyle[] = "QLineEdit { border: none; border-bottom: 2px solid white; }";
constexpr char NotANumberStyle[] =
    "QLineEdit { background-color: red; border: none; border-bottom: 2px solid white; }";
constexpr char OutOfRangeStyle[] =
    "QLineEdit { background-color: yellow; border: none; border-bottom: 2px solid white; }";

// A typed value the board has not confirmed (typed, sent but not yet read back, or not
// confirmable): italic on an amber dashed line, never mistaken for a value the board holds.
constexpr char UnconfirmedStyle[] =
    "QLineEdit { font-style: italic; border: none; border-bottom: 2px dashed #f0a000; }";
// The board's value after it kept another than the one sent: red text on a red line.
constexpr char BoardKeptStyle[] =
    "QLineEdit { color: #ff5050; border: none; border-bottom: 2px solid #ff5050; }";

// The rows of the configuration pages that hold nothing of this board, by field: it reports no
// value for them in its parameter block and takes no write for them, and the form disables their
// fields and buttons. (All of them are alarm thresholds.)
const QVector<const char *> &unusedRows();

// The message boxes of a refused value, in the chosen language (the Chinese source texts when no
// translation is loaded).
QString notANumberTitle(); // "Error"
QString notANumberText(); // "输入的值无效 ！"
QString outOfRangeTitle(); // "Warning"
QString outOfRangeText(int min, int max); // "输入的参数超过 [min - max] 的范围。"

// A row's unit for a sentence: the page's unit, "10mV" as "× 10 mV"; empty for none.
QString unitText(const Row &row);
// What a row takes, in the chosen language: "1500 至 3200 mV".
QString rangeText(const Row &row);
// A field's tool tip: "范围：1500 至 3200 mV".
QString rangeToolTip(const Row &row);
// What a refused value's box adds below its own text: the row's caption and range.
QString refusalDetail(const QString &caption, const Row &row);

} // namespace ParameterTable
