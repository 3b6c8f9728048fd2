#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

// The MQTT topics of the packs' states and Home Assistant's discovery messages for them.
//
// Topics: <prefix>/packNN/state (one JSON state per reply), <prefix>/packNN/event (one JSON
// object per event that starts or ends, carrying its "event_type"), <prefix>/packNN/availability
// and <prefix>/logger/<loggerId>/availability ("online" / "offline"). Discovery: one retained
// message per entity on <discovery prefix>/<component>/<node>/<object>/config (the discovery
// prefix is "homeassistant" unless Home Assistant was set up with another), where node is the
// prefix made topic-safe plus "_packNN" ("arvex_pack01" for the default prefix), so two loggers
// with different prefixes never take over each other's entities. Every entity reads its value
// from the state topic with a template, is available only while both the pack and its logger
// say "online", and turns unavailable when no state came for three polling periods (a logger
// that hangs without saying "offline"). Each message names the program it comes from (origin).
namespace HaDiscovery {

struct Message
{
    QString topic;
    QByteArray payload;
};

// The program that sends the discovery, as Home Assistant lists it.
struct Origin
{
    QString name;
    QString swVersion; // empty: left out
    QString supportUrl; // empty: left out
};

// No entity expires sooner than this, however fast the packs are polled.
constexpr int MinExpireAfterS = 30;
// Three polling periods in whole seconds (rounded up), at least MinExpireAfterS.
int expireAfterS(int periodMs);

struct Settings
{
    QString prefix = QStringLiteral("arvex"); // of the state and availability topics
    QString discoveryPrefix = QStringLiteral("homeassistant");
    QString loggerId;
    int expireAfterS = MinExpireAfterS;
    Origin origin;
};

QString packName(int address); // "pack01"
QString stateTopic(const QString &prefix, int address);
QString eventTopic(const QString &prefix, int address);
QString availabilityTopic(const QString &prefix, int address);
QString loggerAvailabilityTopic(const QString &prefix, const QString &loggerId);
QString nodeId(const QString &prefix, int address);

// The number of cells a state reports (the length of its "cells" array).
int presentCells(const QJsonObject &state);

// The object ids of a pack's entities with cells cells, in the order configs() gives them:
// voltage, current, power, soc, remaining_capacity, cell_01 .. cell_NN, cell_min, cell_max,
// cell_diff, temp_env, temp_mosfet, temp_1 .. temp_4, cycles, round_trip, energy_charged,
// energy_discharged, weak_cell, cell_resistance_max, problems (what is ongoing, as one line),
// then the binary sensors protection, alarm, charge_mosfet and discharge_mosfet, and last the
// event entity events, which reads the event topic and fires one event type per kind of event
// (EventNames::keys()).
QStringList objectIds(int cells);

// One retained config message per entity of the pack at address with cells cells. An entity's
// unique_id is <node>_<object>; its default_entity_id the entity id Home Assistant gives it when
// it is new, "sensor.arvex_pack01_voltage" (in lower case, other characters than letters and
// digits as '_').
QVector<Message> configs(const Settings &settings, int address, int cells);

// The bank of the packs on the logger's line: its state on <prefix>/bank/state, one device
// ("Arvex bank", node <prefix>_bank) available while the logger is, with the sensors current,
// power, soc, cell_min (the pack and the cell as attributes), energy_charged and
// energy_discharged.
QString bankStateTopic(const QString &prefix);
QString bankNodeId(const QString &prefix);
QStringList bankObjectIds();
QVector<Message> bankConfigs(const Settings &settings);

} // namespace HaDiscovery
