#pragma once

#include "datalog.h"
#include "packanalyses.h"

#include <QMap>

class CsvReader;

// A recording (or an export of the log) judged at the desk: its rows fed, in order, through the
// same per-pack analyses the live replies go through.
namespace RecordingAnalyses {

// The record of a reply as the log keeps it (what a row does not hold stays 0).
cell record(const DataLog::Row &row);

// The MOSFET digits a row's MOSFET word tells (a digit it does not tell is neither 0 nor 1).
void mosDigits(int mosStatus, RealTimeReply *values);

// Feeds every row the reader hands on to the analysis of the pack it names (the "Pack" column),
// at the row's time. False when the file could not be read whole: reader->error() says why, and
// packs holds what the rows before that line made of it.
bool analyse(CsvReader *reader, QMap<int, PackAnalysis> *packs);

} // namespace RecordingAnalyses
