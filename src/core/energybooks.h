#pragma once

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QString>

class PackAnalyses;
class QTimer;

// Keeps every pack's energy books across restarts: one small JSON file per pack in a folder,
// named after the adapter the pack is reached through and its address, read back when the pack
// is first heard of and replaced whole (never half-written) at most once a minute and at the
// end. A file that cannot be read as books (damaged, another format, a newer version) is
// refused with its reason and set aside as "<name>.bad", and the pack starts new books; nothing
// of this stops polling.
class EnergyBooks : public QObject
{
    Q_OBJECT

public:
    static constexpr int SaveEveryMs = 60 * 1000;
    // A file larger than this is no file of books.
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    explicit EnergyBooks(PackAnalyses *analyses, QObject *parent = nullptr);
    ~EnergyBooks() override;

    // Where the files are kept; empty: nowhere (the books last as long as the program).
    void setFolder(const QString &folder);
    QString folder() const { return m_folder; }
    // What identifies the line's adapter (PortList::identity). Books taken under another
    // adapter are saved and the packs start from this adapter's files.
    void setAdapter(const QString &identity);

    // The file of the pack at address behind the adapter with this identity.
    static QString fileName(const QString &identity, int address);
    QString path(int address) const;

    // Writes the books that changed since they were last written.
    void saveAll();

    // Reads the books of a file (false with why); the pack's identity is checked too.
    static bool read(const QString &path, const QString &identity, int address, QJsonObject *books,
                     QString *why);

signals:
    // A file was refused (why: its reason in English) and set aside at badPath.
    void refused(int address, const QString &path, const QString &why, const QString &badPath);
    // Books could not be written (a full disk, a folder without rights).
    void saveFailed(const QString &path, const QString &why);

private:
    void packChanged(int address);
    void save(int address);

    struct Bound
    {
        QString identity; // the adapter the pack's books belong to
        quint64 savedRevision = 0;
    };

    PackAnalyses *m_analyses;
    QString m_folder;
    QString m_identity;
    QHash<int, Bound> m_bound; // packs whose books were read (or found new)
    QTimer *m_timer;
};
