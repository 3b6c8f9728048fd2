#include "energybooks.h"

#include "packanalyses.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTimer>

EnergyBooks::EnergyBooks(PackAnalyses *analyses, QObject *parent)
    : QObject(parent)
    , m_analyses(analyses)
    , m_timer(new QTimer(this))
{
    connect(m_analyses, &PackAnalyses::changed, this, &EnergyBooks::packChanged);
    m_timer->setInterval(SaveEveryMs);
    connect(m_timer, &QTimer::timeout, this, &EnergyBooks::saveAll);
}

EnergyBooks::~EnergyBooks() = default;

void EnergyBooks::setFolder(const QString &folder)
{
    m_folder = folder;
    if (m_folder.isEmpty())
        m_timer->stop();
    else
        m_timer->start();
}

void EnergyBooks::setAdapter(const QString &identity)
{
    if (identity == m_identity)
        return;
    saveAll();
    // Another adapter may reach other packs at the same addresses: their books start from this
    // adapter's files.
    for (auto it = m_bound.cbegin(); it != m_bound.cend(); ++it)
        m_analyses->packToChange(it.key()).energy = EnergyMeter();
    m_bound.clear();
    m_identity = identity;
}

QString EnergyBooks::fileName(const QString &identity, int address)
{
    // Readable where it can be, and told apart by a digest where two identities would read the
    // same ("/dev/ttyS0" and "dev_ttyS0").
    QString readable;
    for (const QChar c : identity) {
        const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
        if (ok)
            readable += c;
        else if (!readable.endsWith(QLatin1Char('_')))
            readable += QLatin1Char('_');
    }
    while (readable.startsWith(QLatin1Char('_')))
        readable.remove(0, 1);
    readable = readable.left(48);
    const QByteArray digest =
        QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    return QStringLiteral("energy-%1-%2-pack%3.json")
        .arg(readable, QLatin1String(digest))
        .arg(address, 2, 10, QLatin1Char('0'));
}

QString EnergyBooks::path(int address) const
{
    return m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(fileName(m_identity, address));
}

bool EnergyBooks::read(const QString &path, const QString &identity, int address,
                       QJsonObject *books, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return false;
    }
    if (file.size() > MaxFileBytes) {
        *why = QStringLiteral("larger than any file of books (%1 bytes)").arg(file.size());
        return false;
    }
    const QByteArray bytes = file.readAll();
    // JSON text never holds a raw NUL byte, and Qt's parser loses memory on a string that does.
    const int nul = bytes.indexOf('\0');
    if (nul >= 0) {
        *why = QStringLiteral("not JSON: a NUL byte at byte %1").arg(nul);
        return false;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        *why = QStringLiteral("not JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset);
        return false;
    }
    if (!doc.isObject()) {
        *why = QStringLiteral("not a JSON object");
        return false;
    }
    const QJsonObject o = doc.object();
    if (o.value(QLatin1String("adapter")).toString() != identity
        || o.value(QLatin1String("address")).toInt(-1) != address) {
        *why = QStringLiteral("the books of another pack (%1, address %2)")
                   .arg(o.value(QLatin1String("adapter")).toString())
                   .arg(o.value(QLatin1String("address")).toInt(-1));
        return false;
    }
    *books = o;
    return true;
}

void EnergyBooks::packChanged(int address)
{
    if (m_bound.contains(address))
        return;
    Bound &bound = m_bound[address];
    bound.identity = m_identity;
    EnergyMeter &meter = m_analyses->packToChange(address).energy;
    const QString file = path(address);
    if (!file.isEmpty() && QFile::exists(file)) {
        QJsonObject books;
        QString why;
        if (!read(file, m_identity, address, &books, &why) || !meter.fromFile(books, &why)) {
            // Kept for whoever wants to look; the newest refused file replaces an older one.
            const QString bad = file + QStringLiteral(".bad");
            QFile::remove(bad);
            QFile::rename(file, bad);
            emit refused(address, file, why, bad);
        }
    }
    bound.savedRevision = meter.revision();
}

void EnergyBooks::save(int address)
{
    auto it = m_bound.find(address);
    const QString file = path(address);
    if (it == m_bound.end() || file.isEmpty())
        return;
    const EnergyMeter &meter = m_analyses->pack(address).energy;
    if (meter.revision() == it->savedRevision || !meter.since().isValid())
        return;
    QJsonObject books = meter.toFile();
    books.insert(QStringLiteral("adapter"), it->identity);
    books.insert(QStringLiteral("address"), address);
    QDir().mkpath(m_folder);
    QSaveFile out(file);
    const QByteArray bytes = QJsonDocument(books).toJson(QJsonDocument::Indented);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        emit saveFailed(file, out.errorString());
        return;
    }
    it->savedRevision = meter.revision();
}

void EnergyBooks::saveAll()
{
    for (auto it = m_bound.cbegin(); it != m_bound.cend(); ++it)
        save(it.key());
}
