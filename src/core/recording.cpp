#include "recording.h"

#include "writeall.h"

#include <QCoreApplication>
#include <QDir>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
constexpr int MaxNameTries = 1000;
}

Recording::Recording() = default;

Recording::~Recording()
{
    stop();
}

QString Recording::fileName(const QDateTime &start, int address)
{
    return QStringLiteral("arvex-%1-pack%2.csv")
        .arg(start.toString(QStringLiteral("yyyyMMdd-HHmmss")))
        .arg(address, 2, 10, QLatin1Char('0'));
}

bool Recording::start(const QString &folder, const QDateTime &start, int address,
                      const QByteArray &header)
{
    stop();
    m_rows = 0;
    m_bytes = 0;
    m_error.clear();
    m_failure = Failure::None;
    m_path.clear();

    QDir dir(folder);
    if (folder.isEmpty() || !dir.mkpath(QStringLiteral("."))) {
        m_path = QDir::cleanPath(folder);
        return fail(Failure::NoFolder,
                    QCoreApplication::translate("Recording", "无法创建文件夹。"));
    }
    const QString name = fileName(start, address);
    for (int n = 1; n <= MaxNameTries; ++n) {
        const QString candidate =
            n == 1 ? name : name.chopped(4) + QStringLiteral("-%1.csv").arg(n);
        m_path = dir.absoluteFilePath(candidate);
        m_file.setFileName(m_path);
        // Unbuffered: every write goes to the operating system at once.
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            break;
        if (!QFile::exists(m_path)) // not a taken name: the folder refuses new files
            return fail(Failure::System, m_file.errorString());
    }
    if (!m_file.isOpen())
        return fail(Failure::System, m_file.errorString());
    if (!append(header))
        return false;
    m_rows = 0; // the header is not a row
    return true;
}

bool Recording::append(const QByteArray &line)
{
    if (!m_file.isOpen())
        return false;
    QString reason;
    if (!writeAll(m_file, line.constData(), line.size(), &reason)) {
        // A full disk or a file-size limit may have taken part of the line: cut the file back to
        // its last whole line, so it still reads as a log.
        m_file.resize(m_bytes);
        if (m_bytes == 0) // not even the header: there is no file to keep
            m_file.remove();
        return fail(Failure::System, reason);
    }
#ifdef Q_OS_UNIX
    // Deleting the file, or the folder with it, does not make writes fail: they would go on into
    // a file nobody can open again.
    struct stat info;
    if (::fstat(m_file.handle(), &info) == 0 && info.st_nlink == 0)
        return fail(Failure::FileDeleted,
                    QCoreApplication::translate("Recording", "文件在记录期间被删除。"));
#endif
    m_bytes += line.size();
    ++m_rows;
    return true;
}

void Recording::stop()
{
    if (m_file.isOpen())
        m_file.close();
}

bool Recording::fail(Failure failure, const QString &error)
{
    m_failure = error.isEmpty() ? Failure::Unknown : failure;
    m_error = error.isEmpty() ? QCoreApplication::translate("Recording", "未知错误。") : error;
    stop();
    return false;
}

QString Recording::englishError(Failure failure, const QString &systemError)
{
    switch (failure) {
    case Failure::None:
        return QString();
    case Failure::NoFolder:
        return QStringLiteral("cannot create the folder");
    case Failure::FileDeleted:
        return QStringLiteral("the file was deleted while it was being written");
    case Failure::Unknown:
        return QStringLiteral("unknown error");
    case Failure::System:
        break;
    }
    return systemError;
}

PackRecordings::PackRecordings() = default;

PackRecordings::~PackRecordings() = default;

void PackRecordings::start(const QString &folder, const QByteArray &header)
{
    stop();
    m_packs.clear();
    m_folder = folder;
    m_header = header;
    m_running = true;
    m_lastPath.clear();
    m_error.clear();
    m_failure = Recording::Failure::None;
    m_rows = 0;
    m_bytes = 0;
    m_files = 0;
}

void PackRecordings::stop()
{
    for (auto &pack : m_packs)
        pack.second->file.stop();
    m_running = false;
}

bool PackRecordings::isActive() const
{
    for (const auto &pack : m_packs) {
        if (pack.second->file.isActive())
            return true;
    }
    return false;
}

bool PackRecordings::append(int address, const QDateTime &when, const QByteArray &line)
{
    if (!m_running)
        return false;
    std::unique_ptr<Pack> &slot = m_packs[address];
    if (!slot)
        slot = std::make_unique<Pack>();
    Pack &pack = *slot;
    const QDate day = when.date();
    if (!pack.file.isActive() || pack.day != day) {
        // The day's first line: the file of the day before is finished, a new one begins.
        pack.file.stop();
        pack.day = day;
        const bool made = pack.file.start(m_folder, when, address, m_header);
        m_lastPath = pack.file.path();
        if (!made) {
            m_error = pack.file.errorString();
            m_failure = pack.file.failure();
            stop();
            return false;
        }
        ++m_files;
        m_bytes += pack.file.bytes();
    }
    const qint64 before = pack.file.bytes();
    m_lastPath = pack.file.path();
    if (!pack.file.append(line)) {
        m_error = pack.file.errorString();
        m_failure = pack.file.failure();
        stop();
        return false;
    }
    m_bytes += pack.file.bytes() - before;
    ++m_rows;
    return true;
}
