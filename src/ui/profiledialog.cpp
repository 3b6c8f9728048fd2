// The compare table of a profile and the board in focus, and the apply to one board or many.
#include "profiledialog.h"

#include "addresslist.h"
#include "boardsession.h"
#include "messages.h"
#include "profiletable.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QColor Refused(0xff, 0x50, 0x50);
const QColor Confirmed(0x2e, 0x9d, 0x3c);
} // namespace

ProfileDialog::ProfileDialog(QWidget *window, BoardSession *session, ProfileJob *job,
                             AddressSource focus, std::function<QString()> auditFile)
    : QDialog(window)
    , m_session(session)
    , m_job(job)
    , m_focus(std::move(focus))
    , m_auditFile(std::move(auditFile))
    , m_header(new QLabel(this))
    , m_summary(new QLabel(this))
    , m_differencesOnly(new QCheckBox(this))
    , m_table(new ProfileTable(window, this))
    , m_apply(new QPushButton(this))
    , m_addressLabel(new QLabel(this))
    , m_addresses(new QLineEdit(this))
    , m_applyTo(new QPushButton(this))
    , m_stop(new QPushButton(this))
    , m_progress(new QProgressBar(this))
    , m_progressText(new QLabel(this))
    , m_results(new QListWidget(this))
    , m_close(new QPushButton(this))
{
    // The style sheet gives the dialog the window's colours and type by this name.
    setObjectName(QStringLiteral("profile_dialog"));
    // Room for the rows of a whole parameter page at a time, within a screen the window fits on.
    resize(920, 720);
    m_header->setWordWrap(true);
    m_summary->setObjectName(QStringLiteral("profile_summary"));
    m_differencesOnly->setObjectName(QStringLiteral("profile_differences_only"));
    m_apply->setObjectName(QStringLiteral("profile_apply"));
    m_addressLabel->setObjectName(QStringLiteral("profile_address_label"));
    m_addresses->setObjectName(QStringLiteral("profile_addresses"));
    m_addresses->setPlaceholderText(QStringLiteral("1,3,5-8"));
    m_applyTo->setObjectName(QStringLiteral("profile_apply_to"));
    m_stop->setObjectName(QStringLiteral("profile_stop"));
    m_progress->setObjectName(QStringLiteral("profile_progress"));
    m_progress->setTextVisible(true);
    m_progressText->setObjectName(QStringLiteral("profile_progress_text"));
    m_results->setObjectName(QStringLiteral("profile_results"));
    // Three boards' lines; the list scrolls for more.
    m_results->ensurePolished();
    m_results->setMaximumHeight(3 * (m_results->fontMetrics().lineSpacing() + 4)
                                + 2 * m_results->frameWidth());
    m_close->setObjectName(QStringLiteral("profile_close"));
    for (QPushButton *button : { m_apply, m_applyTo, m_stop, m_close }) {
        button->setCursor(Qt::PointingHandCursor);
        button->setMinimumHeight(32);
    }

    auto *summaryRow = new QHBoxLayout;
    summaryRow->addWidget(m_summary, 1);
    summaryRow->addWidget(m_differencesOnly);
    auto *applyRow = new QHBoxLayout;
    applyRow->addWidget(m_apply);
    applyRow->addStretch(1);
    applyRow->addWidget(m_addressLabel);
    applyRow->addWidget(m_addresses);
    applyRow->addWidget(m_applyTo);
    applyRow->addWidget(m_stop);
    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progress, 2);
    progressRow->addWidget(m_progressText, 1);
    auto *closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addWidget(m_table, 1);
    layout->addLayout(summaryRow);
    layout->addLayout(applyRow);
    layout->addLayout(progressRow);
    layout->addWidget(m_results);
    layout->addLayout(closeRow);

    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_differencesOnly, &QCheckBox::toggled, this, [this](bool on) {
        m_viewChosen = true;
        m_table->setDifferencesOnly(on);
    });
    connect(m_apply, &QPushButton::clicked, this, &ProfileDialog::applyDifferences);
    connect(m_applyTo, &QPushButton::clicked, this, &ProfileDialog::applyToList);
    connect(m_stop, &QPushButton::clicked, m_job, &ProfileJob::stop);
    // Queued: the job reports from the line's handlers, and what follows may show a box.
    connect(m_job, &ProfileJob::progress, this, &ProfileDialog::showProgress, Qt::QueuedConnection);
    connect(m_job, &ProfileJob::addressDone, this, &ProfileDialog::showResult,
            Qt::QueuedConnection);
    connect(m_job, &ProfileJob::finished, this, &ProfileDialog::jobFinished, Qt::QueuedConnection);
    retranslate();
    updateButtons();
}

void ProfileDialog::retranslate()
{
    setWindowTitle(tr("参数配置"));
    m_differencesOnly->setText(tr("只显示差异"));
    m_apply->setText(tr("应用差异"));
    m_addressLabel->setText(tr("地址："));
    m_applyTo->setText(tr("应用到…"));
    m_stop->setText(tr("停止"));
    m_close->setText(tr("关闭"));
    m_table->retranslate();
    if (!m_profile.values.isEmpty()) {
        showHeader();
        showSummary();
    }
    m_results->clear();
    for (const ProfileJob::AddressResult &result : qAsConst(m_done))
        addResultLine(result);
    if (m_total > 0)
        showCounts();
}

void ProfileDialog::showProfile(const QString &path, const ParameterProfile::Profile &profile,
                                const QHash<QString, int> &board)
{
    m_path = path;
    m_profile = profile;
    m_done.clear();
    m_total = 0;
    m_results->clear();
    m_progress->reset();
    m_progress->setFormat(QString());
    m_progressText->clear();
    m_viewChosen = false;
    showHeader();
    const QVector<int> polled = m_session->addresses();
    m_addresses->setText(polled.size() > 1 ? AddressList::format(polled)
                                           : QString::number(m_focus()));
    m_table->showProfile(profile, board);
    showSummary();
    updateButtons();
}

void ProfileDialog::showHeader()
{
    QString header = tr("文件：%1").arg(QFileInfo(m_path).fileName());
    if (m_profile.saved.isValid())
        header +=
            tr("，保存于 %1").arg(m_profile.saved.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    if (m_profile.address > 0)
        header += tr("，来自地址 %1").arg(m_profile.address);
    if (!m_profile.note.isEmpty())
        header += QStringLiteral("\n") + m_profile.note;
    m_header->setText(header);
}

void ProfileDialog::showSummary()
{
    const int differing = m_table->differences();
    m_summary->setText(differing == 0 ? tr("板子与文件一致。")
                                      : tr("%1 项与文件不同或未知。").arg(differing));
    // Until the board's values are known the view shows every row (each is unknown, so each
    // counts as differing); then it shows the differences if there are any. Once chosen, by the
    // board or by the user, it stays.
    if (!m_viewChosen) {
        const QSignalBlocker quiet(m_differencesOnly);
        m_differencesOnly->setChecked(differing > 0);
        m_table->setDifferencesOnly(differing > 0);
        m_viewChosen = m_table->allKnown();
    }
}

void ProfileDialog::boardRead(int address, const QHash<QString, int> &board)
{
    if (address != m_focus() || m_profile.values.isEmpty())
        return;
    m_table->setBoard(board);
    showSummary();
}

void ProfileDialog::applyDifferences()
{
    const QVector<int> focus{ m_focus() };
    if (confirmApply(focus))
        startApply(focus);
}

void ProfileDialog::applyToList()
{
    QString error;
    const QVector<int> addresses = AddressList::parse(m_addresses->text(), &error);
    if (addresses.isEmpty()) {
        Messages::warning(this, tr("地址无效"), error);
        return;
    }
    if (confirmApply(addresses))
        startApply(addresses);
}

bool ProfileDialog::confirmApply(const QVector<int> &addresses)
{
    if (m_job->isRunning())
        return false;
    // Nothing could be sent: no question to answer first.
    if (!m_session->isOpen()) {
        Messages::warning(this, tr("错误"), tr("串口未打开，请先打开串口。"));
        return false;
    }
    const int rows = m_profile.values.size();
    QString text;
    const bool focusOnly = addresses.size() == 1 && addresses.first() == m_focus();
    const bool known = m_table->allKnown();
    if (focusOnly && known) {
        const int differing = m_table->differences();
        // Nothing would be written: the read-back says so without asking.
        if (differing == 0)
            return true;
        text = tr("将与文件不同的 %n 项参数写入地址 %1 的电池包？", nullptr, differing)
                   .arg(addresses.first());
    } else if (addresses.size() == 1) {
        text = tr("先读回地址 %1 的电池包，再写入与文件不同的参数（最多 %n 项）？", nullptr, rows)
                   .arg(addresses.first());
    } else {
        text = tr("先逐个读回 %n 个电池包（地址 %1），再向每个写入与文件不同的参数（每个最多 %2 "
                  "项）？",
                  nullptr, addresses.size())
                   .arg(AddressList::format(addresses))
                   .arg(rows);
        // The board in focus has been read: what it would get is known.
        if (known && addresses.contains(m_focus())) {
            text += QLatin1Char('\n')
                + tr("地址 %1 的电池包目前有 %n 项与文件不同。", nullptr, m_table->differences())
                      .arg(m_focus());
        }
    }
    return Messages::question(this, tr("请确认"), text);
}

void ProfileDialog::startApply(const QVector<int> &addresses)
{
    if (m_job->isRunning() || !m_session->isOpen())
        return;
    m_job->setAuditFile(m_auditFile(), m_session->portName());
    m_results->clear();
    m_done.clear();
    m_total = 0;
    m_stopped = false;
    m_applying = m_job->start(ProfileJob::Kind::Apply, m_profile, addresses);
    updateButtons();
}

void ProfileDialog::showProgress(int done, int total, int address)
{
    if (!m_applying || total <= 0)
        return;
    m_total = total;
    m_underWay = done < total ? address : -1;
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    showCounts();
}

void ProfileDialog::showCounts()
{
    // The bar counts the boards by what became of them, so a bar at its end never reads as
    // "all done" beside boards that failed.
    m_progress->setFormat(ProfileJob::tally(m_done, m_total));
    if (m_underWay >= 0) {
        m_progressText->setText(tr("正在处理地址 %1（%2/%3）")
                                    .arg(m_underWay)
                                    .arg(std::min(m_done.size() + 1, m_total))
                                    .arg(m_total));
    } else {
        m_progressText->setText(m_stopped ? tr("已停止") : tr("完成"));
    }
}

void ProfileDialog::showResult(const ProfileJob::AddressResult &result)
{
    if (!m_applying)
        return;
    m_done.append(result);
    addResultLine(result);
    showCounts();
    if (result.address != m_focus())
        return;
    for (const ProfileJob::RowResult &row : result.writes)
        m_table->setOutcome(row);
    showSummary();
}

void ProfileDialog::addResultLine(const ProfileJob::AddressResult &result)
{
    auto *item = new QListWidgetItem(ProfileJob::describe(result), m_results);
    QStringList rows;
    for (const ProfileJob::RowResult &row : result.writes) {
        rows << QStringLiteral("%1: %2 → %3 (%4)")
                    .arg(row.key)
                    .arg(row.before)
                    .arg(row.wanted)
                    .arg(ProfileJob::describe(row.outcome));
    }
    item->setToolTip(rows.join(QLatin1Char('\n')));
    const bool good = result.status == ProfileJob::Status::Applied
        || result.status == ProfileJob::Status::Matches;
    item->setForeground(good ? Confirmed : Refused);
}

void ProfileDialog::jobFinished(bool stopped)
{
    if (!m_applying)
        return;
    m_applying = false;
    m_stopped = stopped;
    m_underWay = -1;
    if (m_total > 0)
        showCounts();
    updateButtons();
    // The pages show every parameter block that arrives, the other boards' too: ask the board in
    // focus again, so they end with its values.
    bool others = false;
    for (const ProfileJob::AddressResult &result : m_job->results())
        others = others || result.address != m_focus();
    if (others && m_session->isOpen())
        m_session->queueReadBack(m_focus());
    if (!m_job->auditError().isEmpty()) {
        Messages::warning(this, tr("错误"),
                          tr("无法写入审计文件 %1：%2").arg(m_auditFile(), m_job->auditError()));
    }
}

void ProfileDialog::updateButtons()
{
    const bool running = m_job->isRunning();
    m_apply->setEnabled(!running && !m_profile.values.isEmpty());
    m_applyTo->setEnabled(!running && !m_profile.values.isEmpty());
    m_stop->setEnabled(running && m_applying);
}
