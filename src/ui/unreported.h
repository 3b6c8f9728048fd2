#pragma once

#include <QString>

class QWidget;

// The lamps and parameter rows of the form that this board leaves unused (the lamp and parameter
// tables name them): a lamp that stays grey beside green ones, or a greyed row, would otherwise
// read as "off". Each of their widgets, caption included, gets a tool tip that says why.
namespace Unreported {

// Sets the tool tips in window's form, in the language now loaded; again after each change.
void explain(QWidget *window);

// The tool tips: an alarm lamp the board does not report, a row it does not use.
QString lampText();
QString rowText();

} // namespace Unreported
