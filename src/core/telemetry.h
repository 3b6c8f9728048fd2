#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// The latest telemetry of the board, refilled by every real-time data reply (code 0x51).
// All values are signed 32-bit integers in the board's units.
struct cell
{
    int ts[6] = {}; // 0.01 degC: [0] environment, [1] MOSFET, [2..5] cell sensors TS1..TS4
    int cadc = 0; // pack current, mA; negative while discharging
    int maxv = 0; // highest cell voltage, mV
    int minv = 0; // lowest cell voltage, mV
    int avgv = 0; // average cell voltage, mV
    int cell[25] = {}; // cell voltages, mV; [0] is cell 1
    int totalv = 0; // pack voltage, mV
    int soc = 0; // state of charge, %
    int soh = 0; // state of health
    int id = 0; // board address as stated in the reply: the battery number the board was given
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

// One text for one widget of the form, addressed by its object name.
struct WidgetText
{
    const char *widget;
    QString text;
};

// What a real-time reply carries besides the record: values that are only displayed.
struct RealTimeReply
{
    QByteArray addressText; // the two address characters exactly as received
    // The battery number the reply states in its address field (written as code 1D). A board
    // keeps answering at its address whatever its number, so the number names no pack.
    int batteryNumber = 0;
    int chargeMos = 0; // charge MOSFET digit
    int dischargeMos = 0; // discharge MOSFET digit
    int newcc = 0; // shown as "NEWCC"
    int chgvv = 0; // shown as "CHGVV"
    int dsgvv = 0; // shown as "DSGVV"
    int cycleCount = 0;
    int largestDifference = 0; // mV
    int smallestDifference = 0; // mV
    int cellExtreme = 0;
    int cellsInSeries = 0; // as reported; limits nothing
    int currentCompensation = 0;
    int damping = 0;

    // Every display line edit of the reply with its text, in the order the fields are read
    // (rightmost first), then the two constant fields "data_statu" and "data_len". The LCD
    // "cadc" and the progress bar "soc" take their numbers from the record.
    QVector<WidgetText> texts;
};

// Decodes the data block of a real-time reply into the record (cleared first with
// initializeAFE). Fields are cut from the right end of the block: a short block leaves the
// leftmost values 0, surplus characters on the left are ignored.
RealTimeReply decodeRealTime(const QByteArray &addressText, const QByteArray &dataBlock, cell *afe);

// A temperature in 0.01 degC as shown in the line edits: two decimals, "35.00".
QString temperatureText(int centiDegrees);
