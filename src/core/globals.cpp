#include "globals.h"

QQueue<QByteArray> sendQueuebak;
QQueue<QByteArray> sendQueuebuff;
bool dataHaveReceived = false;
AFE afe;
