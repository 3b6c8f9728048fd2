#pragma once

#include "telemetry.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QStringList>

// The state of a pack after one real-time reply, as the logger prints and publishes it: one JSON
// object in SI units with the status codes also spelt out in English, e.g.
//   {"time":"2026-12-08T10:15:30.123+01:00","address":1,"seq":1,"voltage":52.812,
//    "current":-12.5,"power":-660.2,"soc":81,"remaining_capacity":40.5,"cells":[3301,...],
//    "cell_min":3298,...,"charge_mosfet":true,"discharge_mosfet":true,...}
// The current is negative while the pack discharges, whether the board sends it signed or as its
// magnitude, and so is the power. Consumers (Home Assistant templates, Telegraf) read it by these
// key names.
namespace PackState {

// Builds the object of one reply: record and values as the session decoded them, seq counting
// the pack's replies from 1, time the local time the reply arrived.
QJsonObject build(const AFE &record, const RealTimeReply &values, qint64 seq,
                  const QDateTime &time);

// Adds the link's last round trip ("round_trip_ms": from the request leaving to the reply's last
// byte) where the session measured one (roundTripMs >= 0).
void addRoundTrip(QJsonObject *state, int roundTripMs);

// One line of JSON, without its line end.
QByteArray toLine(const QJsonObject &state);

// The cells the reply reports: 1 .. N for the N cells in series it states, else up to the last
// cell that is not 0 (25 at most).
int presentCells(const AFE &record, const RealTimeReply &values);

// The English names of what a status code says is active. A protection code names one
// protection; an alarm word one alarm per bit; the job code what the pack is doing (empty at
// rest). A code outside the tables gives "unknown code N", so it is never passed over silently.
QStringList protectionNames(int code);
QStringList alarmNames(int word);
QStringList jobNames(int code);
// The MOSFETs switched on, from the two digits of the reply.
QStringList mosfetNames(int chargeDigit, int dischargeDigit);

// "2026-12-08T10:15:30.123+01:00": local time, milliseconds, the UTC offset.
QString isoTime(const QDateTime &time);

} // namespace PackState
