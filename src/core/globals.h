#pragma once

#include "telemetry.h"

#include <QByteArray>
#include <QQueue>

// Program-wide state shared by the window, the send path and the request cycle.
extern QQueue<QByteArray> sendQueuebak; // frames waiting to be sent; every producer appends here
extern QQueue<QByteArray> sendQueuebuff; // working copy from which the request cycle sends
extern bool dataHaveReceived; // bytes arrived since the last transmission
extern AFE afe; // the latest decoded telemetry
