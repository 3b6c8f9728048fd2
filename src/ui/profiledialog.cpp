// The compare table of a profile and the board in focus, and the apply to one board or many.
#include "profiledialog.h"

#include "addresslist.h"
#include "boardsession.h"
#include "messages.h"
#include "parameterpage.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor Differs(0xe0, 0x8a, 0x00);
const QColor Refused(0xff, 0x50, 0x50);
const QColor Confirmed(0x2e, 0x9d, 0x3c);

QTableWidgetItem *tableCell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(int(alignment | Qt::AlignVCenter));
    return item;
}

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
    , m_table(new QTableWidget(0, Columns, this))
    , m_apply(new QPushButton(tr("应用差异"), this))
    , m_addresses(new QLineEdit(this))
    , m_applyTo(new QPushButton(tr("应用到…"), this))
    , m_stop(new QPushButton(tr("停止"), this))
    , m_progress(new QProgressBar(this))
    , m_progressText(new QLabel(this))
    , m_results(new QListWidget(this))
{
    setObjectName(QStringLiteral("profile_dialog"));
    setWindowTitle(tr("参数配置"));
    resize(860, 700);
    m_header->setWordWrap(true);
    m_table->setObjectName(QStringLiteral("profile_table"));
    m_table->setHorizontalHeaderLabels(
        { tr("参数"), tr("单位"), tr("板子"), tr("文件"), tr("范围"), tr("对比") });
    // Sized once per profile: measuring every cell at every change would cost more than a block's
    // worth of time on each read-back.
    m_table->horizontalHeader()->setSectionResizeMode(Caption, QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_apply->setObjectName(QStringLiteral("profile_apply"));
    m_addresses->setObjectName(QStringLiteral("profile_addresses"));
    m_addresses->setPlaceholderText(QStringLiteral("1,3,5-8"));
    m_applyTo->setObjectName(QStringLiteral("profile_apply_to"));
    m_stop->setObjectName(QStringLiteral("profile_stop"));
    m_progress->setObjectName(QStringLiteral("profile_progress"));
    m_results->setObjectName(QStringLiteral("profile_results"));
    m_results->setMaximumHeight(90);

    auto *applyRow = new QHBoxLayout;
    applyRow->addWidget(m_apply);
    applyRow->addStretch(1);
    applyRow->addWidget(new QLabel(tr("地址："), this));
    applyRow->addWidget(m_addresses);
    applyRow->addWidget(m_applyTo);
    applyRow->addWidget(m_stop);
    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_progressText, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    layout->addLayout(applyRow);
    layout->addLayout(progressRow);
    layout->addWidget(m_results);
    layout->addWidget(buttons);

    connect(m_apply, &QPushButton::clicked, this, &ProfileDialog::applyDifferences);
    connect(m_applyTo, &QPushButton::clicked, this, &ProfileDialog::applyToList);
    connect(m_stop, &QPushButton::clicked, m_job, &ProfileJob::stop);
    // Queued: the job reports from the line's handlers, and what follows may show a box.
    connect(m_job, &ProfileJob::progress, this, &ProfileDialog::showProgress, Qt::QueuedConnection);
    connect(m_job, &ProfileJob::addressDone, this, &ProfileDialog::showResult,
            Qt::QueuedConnection);
    connect(m_job, &ProfileJob::finished, this, &ProfileDialog::jobFinished, Qt::QueuedConnection);
    updateButtons();
}

void ProfileDialog::showProfile(const QString &path, const ParameterProfile::Profile &profile,
                                const QHash<QString, int> &board)
{
    m_profile = profile;
    m_board = board;
    m_outcomes.clear();
    m_results->clear();
    m_progress->reset();
    m_progressText->clear();
    QString header = tr("文件：%1").arg(QFileInfo(path).fileName());
    if (profile.saved.isValid())
        header += tr("，保存于 %1").arg(profile.saved.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    if (profile.address > 0)
        header += tr("，来自地址 %1").arg(profile.address);
    if (!profile.note.isEmpty())
        header += QStringLiteral("\n") + profile.note;
    m_header->setText(header);
    const QVector<int> polled = m_session->addresses();
    m_addresses->setText(polled.size() > 1 ? AddressList::format(polled)
                                           : QString::number(m_focus()));
    fillTable();
    updateButtons();
}

void ProfileDialog::fillTable()
{
    const QVector<ParameterProfile::Comparison> rows =
        ParameterProfile::compare(m_profile, m_board);
    m_table->setUpdatesEnabled(false);
    m_table->clearContents();
    m_table->setRowCount(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const ParameterProfile::Comparison &c = rows.at(i);
        const auto *label = parentWidget()->findChild<QLabel *>(ParameterPage::captionName(c.key));
        m_table->setItem(i, Caption, tableCell(label ? label->text() : c.key));
        m_table->item(i, Caption)->setData(Qt::UserRole, c.key);
        m_table->item(i, Caption)->setToolTip(c.key);
        m_table->setItem(i, Unit, tableCell(QString::fromUtf8(c.row->unit)));
        m_table->setItem(i, File, tableCell(QString::number(c.file), Qt::AlignRight));
        m_table->setItem(
            i, Range,
            tableCell(QStringLiteral("%1 – %2").arg(c.row->min).arg(c.row->max), Qt::AlignRight));
        m_table->setItem(i, Board, tableCell(QString(), Qt::AlignRight));
        m_table->setItem(i, Mark, tableCell(QString()));
    }
    refreshRows();
    for (int column : { Unit, Board, File, Range, Mark })
        m_table->resizeColumnToContents(column);
    m_table->setUpdatesEnabled(true);
}

void ProfileDialog::refreshRows()
{
    // Items change only where their text or colour does, so a read-back repaints only that.
    for (int i = 0; i < m_table->rowCount(); ++i)
        showRow(i);
    const int differing =
        ParameterProfile::differences(ParameterProfile::compare(m_profile, m_board));
    m_summary->setText(differing == 0 ? tr("板子与文件一致。")
                                      : tr("%1 项与文件不同或未知。").arg(differing));
}

void ProfileDialog::showRow(int row)
{
    const QString key = m_table->item(row, Caption)->data(Qt::UserRole).toString();
    const int file = m_profile.values.value(key);
    const auto board = m_board.constFind(key);
    const bool known = board != m_board.constEnd();
    const bool same = known && *board == file;
    QString mark = same ? QString() : known ? tr("≠ 不同") : tr("? 未读回");
    QBrush markColour = same ? QBrush() : QBrush(Differs);
    QBrush boardColour;

    // A row written to this board says what became of it while the board still shows the value
    // it showed then.
    const auto outcome = m_outcomes.constFind(key);
    if (outcome != m_outcomes.constEnd()
        && (outcome->board.isEmpty() || (known && QString::number(*board) == outcome->board))) {
        mark = ProfileJob::describe(outcome->outcome);
        switch (outcome->outcome) {
        case ProfileJob::RowOutcome::Confirmed:
            markColour = Confirmed;
            break;
        case ProfileJob::RowOutcome::Kept:
            // Not taken: the board's own value, in red.
            markColour = Refused;
            boardColour = Refused;
            break;
        case ProfileJob::RowOutcome::Unconfirmed:
        case ProfileJob::RowOutcome::NotSent:
            markColour = Differs;
            break;
        }
    }
    QTableWidgetItem *boardCell = m_table->item(row, Board);
    boardCell->setText(known ? QString::number(*board) : tr("未知"));
    boardCell->setForeground(boardColour);
    m_table->item(row, Mark)->setText(mark);
    m_table->item(row, Mark)->setForeground(markColour);
}

void ProfileDialog::boardRead(int address, const QHash<QString, int> &board)
{
    if (address != m_focus() || m_profile.values.isEmpty())
        return;
    m_board = board;
    refreshRows();
}

void ProfileDialog::applyDifferences()
{
    startApply({ m_focus() });
}

void ProfileDialog::applyToList()
{
    QString error;
    const QVector<int> addresses = AddressList::parse(m_addresses->text(), &error);
    if (addresses.isEmpty()) {
        Messages::warning(this, tr("地址无效"), error);
        return;
    }
    if (!Messages::question(this, tr("请确认"),
                            tr("将文件中与板子不同的参数写入地址 %1 的电池包？")
                                .arg(AddressList::format(addresses))))
        return;
    startApply(addresses);
}

void ProfileDialog::startApply(const QVector<int> &addresses)
{
    if (m_job->isRunning())
        return;
    if (!m_session->isOpen()) {
        Messages::warning(this, tr("错误"), tr("串口未打开，请先打开串口。"));
        return;
    }
    m_job->setAuditFile(m_auditFile(), m_session->portName());
    m_results->clear();
    m_outcomes.clear();
    m_applying = m_job->start(ProfileJob::Kind::Apply, m_profile, addresses);
    updateButtons();
}

void ProfileDialog::showProgress(int done, int total, int address)
{
    if (!m_applying)
        return;
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_progressText->setText(
        done < total ? tr("正在处理地址 %1（%2/%3）").arg(address).arg(done + 1).arg(total)
                     : tr("完成"));
}

void ProfileDialog::showResult(const ProfileJob::AddressResult &result)
{
    if (!m_applying)
        return;
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
    if (result.address != m_focus())
        return;
    for (const ProfileJob::RowResult &row : result.writes) {
        m_outcomes.insert(row.key, row);
        bool ok = false;
        const int shown = row.board.toInt(&ok);
        if (ok)
            m_board.insert(row.key, shown);
    }
    refreshRows();
}

void ProfileDialog::jobFinished()
{
    if (!m_applying)
        return;
    m_applying = false;
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
