#pragma once

#include <QString>

// The 43 columns of the telemetry log, in order. Captions are the form's source texts; they are
// translated in the "MainWindow" context, together with the rest of the form.
namespace LogColumns {

constexpr int Count = 43;
constexpr int FirstCell = 18; // column FirstCell + k holds cell k + 1

// The untranslated caption of a column (nullptr outside 0 .. Count - 1).
const char *sourceCaption(int column);
// The caption in the current language.
QString caption(int column);

} // namespace LogColumns
