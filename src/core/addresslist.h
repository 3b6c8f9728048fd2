#pragma once

#include <QString>
#include <QVector>

// A list of board addresses as a user types it: numbers and ranges separated by commas, as
// "1,3,5-8". Addresses run from 0 to 99, as the address box does.
namespace AddressList {

constexpr int Lowest = 0;
constexpr int Highest = 99;

// The addresses in the order typed, each once; empty with a reason in error for a text that is
// not such a list (a part that is not a number or range, a reversed range, an address outside
// 0..99, nothing at all).
QVector<int> parse(const QString &text, QString *error = nullptr);
// The shortest text that parses back to the addresses: runs of three or more become ranges.
QString format(const QVector<int> &addresses);

} // namespace AddressList
