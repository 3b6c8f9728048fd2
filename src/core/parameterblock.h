#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Decoding of the parameter block reply (code 0x52) into the configuration pages.
namespace ParameterBlock {

// One widget to write: a line edit gets `text`, a switch is set on or off.
struct Field
{
    enum Kind { Text, Switch };
    const char *widget; // object name in the form
    Kind kind;
    QString text; // Text: the value as shown
    bool on; // Switch: on only for a digit that reads exactly 1
};

// The widgets in the order they are written: first the board address ("conf_dnum", decimal),
// then the fields of the block from its right end to its left. A short block leaves the
// leftmost fields at 0 (shown converted: -40 for a temperature, -100 for the compensation
// value, switches off); surplus characters on the left are ignored.
QVector<Field> decode(const QByteArray &addressText, const QByteArray &dataBlock);

// The design capacity in Ah the decoded block shows ("conf_design"); 0 when it holds none.
int designCapacityAh(const QVector<Field> &fields);

} // namespace ParameterBlock
