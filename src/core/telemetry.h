#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// The latest telemetry of the board, refilled by every real-time data reply (code 0x51).
// All values are signed 32-bit integers in the board's units.
struct cell
{
    int ts[6] = {}; // 0.01 degC: [0] environment, [1] MOSFET, [2..5] cell sensors TS1..TS4
    int cadc = 0; // pack current, mA
    int maxv = 0; // highest cell voltage, mV
    int minv = 0; // lowest cell voltage, mV
    int avgv = 0; // average cell voltage, mV
    int cell[25] = {}; // cell voltages, mV; [0] is cell 1
    int totalv = 0; // pack voltage, mV
    int soc = 0; // state of charge, %
    int soh = 0; // state of health
    int id = 0; // board address as stated in the reply
    int mos_statu = 0; // 1 << discharge digit, ORed with the charge digit
    int sys_statu = 0; // protection code
    int alrt_statu = 0; // alarm bit word
    int job_statu = 0; // job code
    int blance_statu = 0; // bit i set while cell i + 1 is being balanced
};
typedef cell AFE;

// Clears the record before a reply is decoded into it. maxv, minv and avgv are kept: every
// real-time reply overwrites them anyway. A null pointer is ignored.
void initializeAFE(cell *afe);
