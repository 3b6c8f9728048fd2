#include "mqttpublisher.h"

// Not yet built: the publisher accepts nothing and reports so.

QString MqttPublisher::checkUrl(const QString &url)
{
    return url.isEmpty() ? QStringLiteral("no broker address") : QString();
}

MqttPublisher::MqttPublisher(const Settings &, QObject *parent)
    : QObject(parent)
{ }

MqttPublisher::~MqttPublisher() = default;

bool MqttPublisher::start(QString *error)
{
    if (error)
        *error = QStringLiteral("MQTT is not available in this build");
    return false;
}

void MqttPublisher::publishState(int, const QJsonObject &)
{ }

void MqttPublisher::setPackOnline(int, bool)
{ }

void MqttPublisher::finish(int)
{ }

bool MqttPublisher::isConnected() const
{
    return false;
}

int MqttPublisher::queued() const
{
    return 0;
}

qint64 MqttPublisher::dropped() const
{
    return 0;
}
