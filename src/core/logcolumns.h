#pragma once

#include <QString>
#include <QtGlobal>

// The 43 columns of the telemetry log, in order. Captions are the form's source texts; they are
// translated in the "MainWindow" context, together with the rest of the form.
namespace LogColumns {

constexpr int Count = 43;
constexpr int FirstValue = 2; // columns 0 and 1 hold the date and the time, the rest numbers
constexpr int FirstCell = 18; // column FirstCell + k holds cell k + 1

// How the number of a column is written: the stored integer divided by divisor(column), with
// decimals(column) digits after the point. Current and pack voltage (mA, mV) are written in A
// and V with two decimals, temperatures (0.01 degC) in degC with one; the rest as integers.
int divisor(int column);
int decimals(int column);

// The values a number column can hold: what a real-time reply can put into it. The board sends
// each field as a few hexadecimal characters, read with an optional minus sign ("-FFF" in a field
// of four is -4095); temperatures travel 40.00 degC up and the current as 32-bit two's complement.
// The date and time columns hold no number: { 0, 0 }.
struct Range
{
    qint32 min;
    qint32 max;
};
Range range(int column);

// The untranslated caption of a column (nullptr outside 0 .. Count - 1).
const char *sourceCaption(int column);
// The caption in the current language.
QString caption(int column);

} // namespace LogColumns
