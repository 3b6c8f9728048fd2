// The profile buttons of the parameter pages: save what the board holds, open a file to compare.
#include "profilepanel.h"

#include "boardsession.h"
#include "fields.h"
#include "filedialogs.h"
#include "messages.h"
#include "parameterpage.h"
#include "profiledialog.h"
#include "thresholdpairs.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
const char Filter[] = "(*.json)";
const char ButtonStyle[] = "background-color: rgb(106, 106, 106);";
} // namespace

ProfilePanel::ProfilePanel(Ui_MainWindow *form, QWidget *window, BoardSession *session,
                           FolderSource recordingsFolder)
    : QObject(window)
    , ui(form)
    , m_window(window)
    , m_session(session)
    , m_recordingsFolder(std::move(recordingsFolder))
    , m_job(new ProfileJob(session, this))
    , m_dialog(new ProfileDialog(
          window, session, m_job, [this] { return ui->DeviceID->value(); },
          [this] { return auditFile(); }))
{
    connect(addButton("profile_save", tr("保存配置…"), 0), &QPushButton::clicked, this,
            &ProfilePanel::saveProfile);
    connect(addButton("profile_open", tr("打开配置…"), 1), &QPushButton::clicked, this,
            &ProfilePanel::openProfile);
    connect(session, &BoardSession::frameSent, this, &ProfilePanel::frameSent);
    connect(session, &BoardSession::parameterBlock, this, &ProfilePanel::blockArrived);
    // Queued: a box may follow, and none is shown from inside the line's handlers.
    connect(m_job, &ProfileJob::addressDone, this, &ProfilePanel::saveRead, Qt::QueuedConnection);
    connect(m_job, &ProfileJob::finished, this, &ProfilePanel::applyFinished, Qt::QueuedConnection);
}

QPushButton *ProfilePanel::addButton(const char *name, const QString &text, int index)
{
    auto *button = new QPushButton(text, m_window);
    button->setObjectName(QLatin1String(name));
    button->setMinimumSize(100, 60);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QLatin1String(ButtonStyle));
    // Left of the read-back's state, on the row of the one-key read.
    if (auto *row = m_window->findChild<QHBoxLayout *>(QStringLiteral("horizontalLayout_9")))
        row->insertWidget(index, button);
    return button;
}

void ProfilePanel::retranslate()
{
    // Built with the window, before a language was chosen.
    if (auto *save = m_window->findChild<QPushButton *>(QStringLiteral("profile_save")))
        save->setText(tr("保存配置…"));
    if (auto *open = m_window->findChild<QPushButton *>(QStringLiteral("profile_open")))
        open->setText(tr("打开配置…"));
    m_dialog->retranslate();
}

QString ProfilePanel::auditFile() const
{
    const QString folder = m_recordingsFolder();
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("apply-log.csv"));
}

void ProfilePanel::frameSent(const QByteArray &frame)
{
    if (WriteConfirm::isBlockRequest(frame))
        m_askedAddress = hexToInt(frame.mid(3, 2));
}

void ProfilePanel::blockArrived(const QVector<ParameterBlock::Field> &fields)
{
    // One request is on the line at a time: the block answers the last read-back sent.
    if (m_askedAddress < 0)
        return;
    const QHash<QString, int> board = ParameterProfile::boardValues(fields);
    m_lastBoard.insert(m_askedAddress, board);
    m_dialog->boardRead(m_askedAddress, board);
    // A file opened before the board's values were known is judged by the first read-back of
    // the board in focus; an apply judges each board it reads itself.
    if (m_awaitedAddress == m_askedAddress && !m_job->isRunning()) {
        m_awaitedAddress = -1;
        const QVector<ThresholdPairs::Contradiction> clash =
            ThresholdPairs::check(board, m_opened.values);
        // Not from inside the line's handler: the box runs an event loop of its own.
        if (!clash.isEmpty())
            QMetaObject::invokeMethod(
                this, [this, address = m_askedAddress, clash] { refuse(address, clash); },
                Qt::QueuedConnection);
    }
}

void ProfilePanel::refuse(int address, const QVector<ThresholdPairs::Contradiction> &clash)
{
    m_dialog->hide();
    Messages::warning(m_window, tr("配置与板子矛盾"),
                      tr("文件的值与地址 %1 的板子的值矛盾，不能应用：").arg(address)
                          + QLatin1Char('\n') + ThresholdPairs::describe(clash));
}

void ProfilePanel::saveProfile()
{
    if (m_job->isRunning())
        return;
    if (!m_session->isOpen()) {
        Messages::warning(m_window, tr("错误"), tr("串口未打开，请先打开串口。"));
        return;
    }
    const int address = ui->DeviceID->value();
    const QString suggested =
        QDir(m_recordingsFolder())
            .filePath(QStringLiteral("profile-pack%1-%2.json")
                          .arg(address, 2, 10, QLatin1Char('0'))
                          .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    QString path = FileDialogs::getSaveFileName(m_window, tr("保存配置"), suggested,
                                                tr("参数配置") + QLatin1Char(' ') + Filter,
                                                QStringLiteral("json"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        path += QLatin1String(".json");
    m_savePath = path;
    // A fresh read-back: the file holds what the board holds now.
    m_job->start(ProfileJob::Kind::Save, ParameterProfile::Profile(), { address });
}

void ProfilePanel::saveRead(const ProfileJob::AddressResult &result)
{
    if (m_job->kind() != ProfileJob::Kind::Save || m_savePath.isEmpty())
        return;
    const QString path = m_savePath;
    m_savePath.clear();
    if (result.status != ProfileJob::Status::Read) {
        Messages::warning(m_window, tr("保存配置"), ProfileJob::describe(result));
        return;
    }
    QStringList skipped;
    ParameterProfile::Profile profile =
        ParameterProfile::fromBoard(result.board, result.address, &skipped);
    profile.saved = QDateTime::currentDateTime();
    profile.tool = ParameterProfile::toolName();
    const QString error = ParameterProfile::writeFile(path, profile);
    if (!error.isEmpty()) {
        Messages::warning(m_window, tr("保存配置"), error);
        return;
    }
    QString text = tr("已保存地址 %1 的 %2 项参数到 %3")
                       .arg(result.address)
                       .arg(profile.values.size())
                       .arg(QDir::toNativeSeparators(path));
    if (!skipped.isEmpty())
        text += QLatin1Char('\n') + tr("板子的值超出范围，未保存：%1").arg(skipped.join(", "));
    // The board's own thresholds contradict each other: the file keeps what it holds, but will
    // not be opened or applied until they are set right.
    const QVector<ThresholdPairs::Contradiction> clash = ThresholdPairs::check({}, profile.values);
    if (!clash.isEmpty()) {
        Messages::warning(m_window, tr("保存配置"),
                          text + QLatin1Char('\n') + tr("板子的值互相矛盾，这个文件将无法打开：")
                              + QLatin1Char('\n') + ThresholdPairs::describe(clash));
        return;
    }
    Messages::information(m_window, tr("保存配置"), text);
}

void ProfilePanel::openProfile()
{
    const QString path = FileDialogs::getOpenFileName(
        m_window, tr("打开配置"), m_recordingsFolder(), tr("参数配置") + QLatin1Char(' ') + Filter);
    if (!path.isEmpty())
        openFile(path);
}

bool ProfilePanel::openFile(const QString &path)
{
    const ParameterProfile::ReadResult read = ParameterProfile::readFile(path);
    if (!read.ok) {
        Messages::warning(m_window, tr("配置文件无效"), read.error);
        return false;
    }
    const int address = ui->DeviceID->value();
    // Refused whole against what the board in focus was last seen to hold: nothing of it is
    // shown to be applied. A board not read yet is judged when an apply reads it.
    const QVector<ThresholdPairs::Contradiction> clash =
        ThresholdPairs::check(m_lastBoard.value(address), read.profile.values);
    if (!clash.isEmpty()) {
        refuse(address, clash);
        return false;
    }
    m_dialog->showProfile(path, read.profile, m_lastBoard.value(address));
    m_dialog->show();
    m_dialog->raise();
    // The board's values as they are now; rows read "unknown" until the block arrives.
    m_opened = read.profile;
    m_awaitedAddress = -1;
    if (m_session->isOpen() && !m_job->isRunning()) {
        m_session->queueReadBack(address);
        m_awaitedAddress = address;
    }
    if (!read.ignored.isEmpty()) {
        QStringList rows;
        for (const QString &key : read.ignored) {
            const auto *label = m_window->findChild<QLabel *>(ParameterPage::captionName(key));
            rows << (label ? QStringLiteral("%1 (%2)").arg(label->text(), key) : key);
        }
        Messages::information(m_dialog, tr("打开配置"),
                              tr("文件中有不在任何页面上的参数，已忽略，不会写入：%1")
                                  .arg(rows.join(QStringLiteral(", "))));
    }
    return true;
}

void ProfilePanel::applyFinished()
{
    // Each board the file contradicts says so in the dialog's list; one box names them all.
    if (m_job->kind() != ProfileJob::Kind::Apply)
        return;
    QStringList lines;
    for (const ProfileJob::AddressResult &result : m_job->results()) {
        if (result.status == ProfileJob::Status::Contradicts)
            lines << ProfileJob::describe(result);
    }
    if (!lines.isEmpty())
        Messages::warning(m_window, tr("配置与板子矛盾"), lines.join(QLatin1Char('\n')));
}
