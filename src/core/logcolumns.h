#pragma once

#include <QString>

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

// The untranslated caption of a column (nullptr outside 0 .. Count - 1).
const char *sourceCaption(int column);
// The caption in the current language.
QString caption(int column);

} // namespace LogColumns
