#include "profilecommand.h"

#include "boardsession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>

namespace {

// The job's texts, in the language the program was started with.
struct ProfileTexts
{
    Q_DECLARE_TR_FUNCTIONS(ProfileJob)
};

void listRows(const ProfileJob::AddressResult &result, QTextStream &out)
{
    for (const ParameterProfile::Comparison &c : result.comparison) {
        if (!c.differs() || result.status == ProfileJob::Status::Applied
            || result.status == ProfileJob::Status::NotConfirmed
            || result.status == ProfileJob::Status::Contradicts)
            continue;
        out << QStringLiteral("  ")
            << ProfileTexts::tr("%1：板子 %2，文件 %3 %4")
                   .arg(c.key, c.known ? QString::number(c.board) : ProfileTexts::tr("未知"))
                   .arg(c.file)
                   .arg(QString::fromUtf8(c.row->unit))
                   .trimmed()
            << '\n';
    }
    for (const ProfileJob::RowResult &row : result.writes) {
        out << QStringLiteral("  ")
            << ProfileTexts::tr("%1：%2 → %3：%4")
                   .arg(row.key)
                   .arg(row.before)
                   .arg(row.wanted)
                   .arg(ProfileJob::describe(row.outcome))
            << '\n';
    }
}

} // namespace

QString profileFileFor(const QString &file, int address)
{
    const QFileInfo info(file);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? file : file.chopped(suffix.size() + 1);
    return base + QStringLiteral("-pack%1").arg(address, 2, 10, QLatin1Char('0'))
        + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

int runProfileCommand(BoardSession *session, ProfileJob::Kind kind, const QString &file,
                      const QVector<int> &addresses, QTextStream &out, QTextStream &err,
                      const QString &auditFile, const std::function<void(ProfileJob *)> &started)
{
    ParameterProfile::Profile profile;
    if (kind != ProfileJob::Kind::Save) {
        const ParameterProfile::ReadResult read = ParameterProfile::readFile(file);
        if (!read.ok) {
            err << file << ": " << read.error << '\n';
            err.flush();
            return 2;
        }
        profile = read.profile;
        for (const QString &key : read.ignored)
            err << ProfileTexts::tr("%1：不在任何页面上的参数，已忽略。").arg(key) << '\n';
    }
    if (addresses.isEmpty()) {
        err << ProfileTexts::tr("没有给出地址。") << '\n';
        return 2;
    }

    ProfileJob job(session);
    job.setAuditFile(auditFile, session->portName());
    int code = 0;
    bool differs = false;
    bool contradicts = false;
    // Each board's result as soon as it is known: an apply to many boards shows its progress,
    // and a run cut short has printed what it did.
    QObject::connect(&job, &ProfileJob::addressDone, [&](const ProfileJob::AddressResult &result) {
        out << ProfileJob::describe(result) << '\n';
        listRows(result, out);
        switch (result.status) {
        case ProfileJob::Status::Matches:
        case ProfileJob::Status::Applied:
            break;
        case ProfileJob::Status::Differs:
            differs = true;
            break;
        case ProfileJob::Status::Read: {
            QStringList skipped;
            ParameterProfile::Profile saved =
                ParameterProfile::fromBoard(result.board, result.address, &skipped);
            saved.saved = QDateTime::currentDateTime();
            saved.tool = ParameterProfile::toolName();
            const QString path = addresses.size() > 1 ? profileFileFor(file, result.address) : file;
            for (const QString &key : qAsConst(skipped))
                err << ProfileTexts::tr("%1：板子的值超出范围，未保存。").arg(key) << '\n';
            const QString error = ParameterProfile::writeFile(path, saved);
            if (!error.isEmpty()) {
                err << error << '\n';
                code = 1;
            } else {
                out << ProfileTexts::tr("已保存到 %1").arg(path) << '\n';
                // Saved as the board holds it, but such a file is refused when read.
                const QVector<ThresholdPairs::Contradiction> clash =
                    ThresholdPairs::check({}, saved.values);
                if (!clash.isEmpty())
                    err << ProfileTexts::tr("%1：板子的值互相矛盾，这个文件将无法打开：%2")
                               .arg(path, ThresholdPairs::describe(clash))
                        << '\n';
            }
            break;
        }
        case ProfileJob::Status::Contradicts:
            contradicts = true;
            break;
        case ProfileJob::Status::NotConfirmed:
        case ProfileJob::Status::NoReply:
        case ProfileJob::Status::Stopped:
        case ProfileJob::Status::LineClosed:
            code = 1;
            break;
        }
        out.flush();
        err.flush();
    });
    bool stopped = false;
    QEventLoop loop;
    QObject::connect(&job, &ProfileJob::finished, &loop, [&](bool wasStopped) {
        stopped = wasStopped;
        loop.quit();
    });
    if (!job.start(kind, profile, addresses)) {
        err << ProfileTexts::tr("串口未打开。") << '\n';
        return 1;
    }
    if (started)
        started(&job);
    if (job.isRunning())
        loop.exec();
    // A run that was stopped did not do all it was asked, whatever the boards it reached say.
    if (stopped)
        code = 1;
    if (!job.auditError().isEmpty()) {
        err << ProfileTexts::tr("无法写入审计文件 %1：%2").arg(auditFile, job.auditError()) << '\n';
        code = 1;
    }
    out.flush();
    err.flush();
    // The file is at fault before any board is: it contradicts a board's thresholds.
    if (contradicts)
        return 2;
    return code == 0 && differs ? 3 : code;
}
