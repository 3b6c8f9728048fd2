#include "eventfile.h"

// The format is filled in by the journal's own change.

QString EventFile::fileName(int address)
{
    return QStringLiteral("events-pack%1.csv").arg(address, 2, 10, QLatin1Char('0'));
}

EventFile::EventFile(const QString &folder, int address)
{
    Q_UNUSED(folder);
    Q_UNUSED(address);
}

bool EventFile::append(const PackEvent &change)
{
    Q_UNUSED(change);
    return false;
}

EventFile::ReadBack EventFile::read(const QString &path, int last)
{
    Q_UNUSED(path);
    Q_UNUSED(last);
    return {};
}
