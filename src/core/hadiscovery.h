#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

// The MQTT topics of the packs' states and Home Assistant's discovery messages for them.
//
// Topics: <prefix>/packNN/state (one JSON state per reply), <prefix>/packNN/availability and
// <prefix>/logger/<loggerId>/availability ("online" / "offline"). Discovery: one retained
// message per entity on homeassistant/<component>/<node>/<object>/config, where node is the
// prefix made topic-safe plus "_packNN" ("arvex_pack01" for the default prefix), so two loggers
// with different prefixes never take over each other's entities. Every entity reads its value
// from the state topic with a template and is available only while both the pack and its logger
// say "online".
namespace HaDiscovery {

struct Message
{
    QString topic;
    QByteArray payload;
};

QString packName(int address); // "pack01"
QString stateTopic(const QString &prefix, int address);
QString availabilityTopic(const QString &prefix, int address);
QString loggerAvailabilityTopic(const QString &prefix, const QString &loggerId);
QString nodeId(const QString &prefix, int address);

// The number of cells a state reports (the length of its "cells" array).
int presentCells(const QJsonObject &state);

// The object ids of a pack's entities with cells cells, in the order configs() gives them:
// voltage, current, power, soc, cell_01 .. cell_NN, cell_min, cell_max, cell_diff, temp_env,
// temp_mosfet, temp_1 .. temp_4, cycles, protection and alarm (the last two binary sensors).
QStringList objectIds(int cells);

// One retained config message per entity of the pack at address with cells cells.
QVector<Message> configs(const QString &prefix, const QString &loggerId, int address, int cells);

} // namespace HaDiscovery
