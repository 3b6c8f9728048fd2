// The compare table of a profile and the board in focus, and the apply to one board or many.
#include "profiledialog.h"

#include "addresslist.h"
#include "boardsession.h"
#include "messages.h"
#include "parameterpage.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <numeric>

namespace {

const QColor Differs(0xe0, 0x8a, 0x00);
const QColor Refused(0xff, 0x50, 0x50);
const QColor Confirmed(0x2e, 0x9d, 0x3c);
// A page's name above its rows: the page tabs' blue, on a band a shade lighter than the rows.
const QColor PageText(0x78, 0xbe, 0xff);
const QColor PageBand(0x3a, 0x3a, 0x3a);

QTableWidgetItem *tableCell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(int(alignment | Qt::AlignVCenter));
    return item;
}

// The fields under a layout in the order a reader meets them: the items of a row or column in
// turn, a grid row by row, a group box's layout where the group box stands.
void collectFields(const QLayout *layout, QStringList *names)
{
    if (!layout)
        return;
    QVector<int> order(layout->count());
    std::iota(order.begin(), order.end(), 0);
    if (const auto *grid = qobject_cast<const QGridLayout *>(layout)) {
        const auto cell = [grid](int index) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
            return std::make_pair(row, column);
        };
        std::stable_sort(order.begin(), order.end(),
                         [&cell](int a, int b) { return cell(a) < cell(b); });
    }
    for (int index : qAsConst(order)) {
        QLayoutItem *item = layout->itemAt(index);
        if (QWidget *widget = item->widget()) {
            if (qobject_cast<QLineEdit *>(widget))
                names->append(widget->objectName());
            else
                collectFields(widget->layout(), names);
        } else {
            collectFields(item->layout(), names);
        }
    }
}

} // namespace

ProfileDialog::ProfileDialog(QWidget *window, BoardSession *session, ProfileJob *job,
                             AddressSource focus, std::function<QString()> auditFile)
    : QDialog(window)
    , m_session(session)
    , m_job(job)
    , m_focus(std::move(focus))
    , m_auditFile(std::move(auditFile))
    , m_window(window)
    , m_header(new QLabel(this))
    , m_summary(new QLabel(this))
    , m_differencesOnly(new QCheckBox(this))
    , m_table(new QTableWidget(0, Columns, this))
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
    m_table->setObjectName(QStringLiteral("profile_table"));
    // Sized once per profile: measuring every cell at every change would cost more than a block's
    // worth of time on each read-back.
    m_table->horizontalHeader()->setSectionResizeMode(Caption, QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
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
    connect(m_differencesOnly, &QCheckBox::toggled, this, [this] {
        m_viewChosen = true;
        filterRows();
    });
    connect(m_apply, &QPushButton::clicked, this, &ProfileDialog::applyDifferences);
    connect(m_applyTo, &QPushButton::clicked, this, &ProfileDialog::applyToList);
    connect(m_stop, &QPushButton::clicked, m_job, &ProfileJob::stop);
    // Queued: the job reports from the line's handlers, and what follows may show a box.
    connect(m_job, &ProfileJob::progress, this, &ProfileDialog::showProgress, Qt::QueuedConnection);
    connect(m_job, &ProfileJob::addressDone, this, &ProfileDialog::showResult,
            Qt::QueuedConnection);
    connect(m_job, &ProfileJob::finished, this, &ProfileDialog::jobFinished, Qt::QueuedConnection);
    findPlaces();
    retranslate();
    updateButtons();
}

void ProfileDialog::findPlaces()
{
    // The pages' fields are laid out once, in the form: where each row stands is read from
    // there, so the table follows the pages as they are drawn.
    const auto *pages = m_window->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    if (!pages)
        return;
    for (int page = 0; page < pages->count(); ++page) {
        QStringList fields;
        collectFields(pages->widget(page)->layout(), &fields);
        for (int i = 0; i < fields.size(); ++i) {
            if (!m_places.contains(fields.at(i)))
                m_places.insert(fields.at(i), Place{ page, i });
        }
    }
}

void ProfileDialog::retranslate()
{
    setWindowTitle(tr("参数配置"));
    m_table->setHorizontalHeaderLabels(
        { tr("参数"), tr("单位"), tr("板子"), tr("文件"), tr("范围"), tr("对比") });
    m_differencesOnly->setText(tr("只显示差异"));
    m_apply->setText(tr("应用差异"));
    m_addressLabel->setText(tr("地址："));
    m_applyTo->setText(tr("应用到…"));
    m_stop->setText(tr("停止"));
    m_close->setText(tr("关闭"));
    if (!m_profile.values.isEmpty()) {
        showHeader();
        fillTable(); // the captions and the pages' names are the form's, already translated
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
    m_board = board;
    m_outcomes.clear();
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
    fillTable();
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

void ProfileDialog::fillTable()
{
    QVector<ParameterProfile::Comparison> rows = ParameterProfile::compare(m_profile, m_board);
    // As the pages show them; a row no page shows (an older file's) after them all.
    const auto rank = [this](const ParameterProfile::Comparison &c) {
        const Place at = m_places.value(c.key);
        return std::make_pair(at.page < 0 ? INT_MAX : at.page, at.position);
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&rank](const ParameterProfile::Comparison &a,
                             const ParameterProfile::Comparison &b) { return rank(a) < rank(b); });
    QVector<int> pages;
    for (const ParameterProfile::Comparison &c : qAsConst(rows)) {
        const int page = m_places.value(c.key).page;
        if (pages.isEmpty() || pages.last() != page)
            pages.append(page);
    }
    const auto *tabs = m_window->findChild<QTabWidget *>(QStringLiteral("tabWidget"));

    // Rows as high as their type needs: a page's rows at a time on a screen the window fits on.
    m_table->ensurePolished();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setUpdatesEnabled(false);
    m_table->clearSpans();
    m_table->clearContents();
    m_table->setRowCount(rows.size() + pages.size());
    int line = 0;
    int page = -2;
    for (const ParameterProfile::Comparison &c : qAsConst(rows)) {
        if (m_places.value(c.key).page != page) {
            page = m_places.value(c.key).page;
            auto *band =
                new QTableWidgetItem(page >= 0 && tabs ? tabs->tabText(page) : tr("不在参数页上"));
            band->setFlags(Qt::ItemIsEnabled);
            QFont bold = m_table->font();
            bold.setBold(true);
            band->setFont(bold);
            band->setForeground(PageText);
            band->setBackground(PageBand);
            m_table->setItem(line, Caption, band);
            m_table->setSpan(line, Caption, 1, Columns);
            ++line;
        }
        const auto *label = m_window->findChild<QLabel *>(ParameterPage::captionName(c.key));
        m_table->setItem(line, Caption, tableCell(label ? label->text() : c.key));
        m_table->item(line, Caption)->setData(Qt::UserRole, c.key);
        m_table->item(line, Caption)->setToolTip(c.key);
        m_table->setItem(line, Unit, tableCell(QString::fromUtf8(c.row->unit)));
        m_table->setItem(line, File, tableCell(QString::number(c.file), Qt::AlignRight));
        m_table->setItem(
            line, Range,
            tableCell(QStringLiteral("%1 – %2").arg(c.row->min).arg(c.row->max), Qt::AlignRight));
        m_table->setItem(line, Board, tableCell(QString(), Qt::AlignRight));
        m_table->setItem(line, Mark, tableCell(QString()));
        ++line;
    }
    refreshRows();
    for (int column : { Unit, Board, File, Range, Mark })
        m_table->resizeColumnToContents(column);
    m_table->setUpdatesEnabled(true);
}

void ProfileDialog::refreshRows()
{
    // Items change only where their text or colour does, so a read-back repaints only that.
    for (int i = 0; i < m_table->rowCount(); ++i) {
        if (m_table->item(i, Mark))
            showRow(i);
    }
    const QVector<ParameterProfile::Comparison> rows =
        ParameterProfile::compare(m_profile, m_board);
    const int differing = ParameterProfile::differences(rows);
    m_summary->setText(differing == 0 ? tr("板子与文件一致。")
                                      : tr("%1 项与文件不同或未知。").arg(differing));
    // Until the board's values are known the view shows every row (each is unknown, so each
    // counts as differing); then it shows the differences if there are any. Once chosen, by the
    // board or by the user, it stays.
    if (!m_viewChosen) {
        const QSignalBlocker quiet(m_differencesOnly);
        m_differencesOnly->setChecked(differing > 0);
        m_viewChosen = std::all_of(rows.cbegin(), rows.cend(),
                                   [](const ParameterProfile::Comparison &c) { return c.known; });
    }
    filterRows();
}

void ProfileDialog::filterRows()
{
    // A row stays while it differs, is unknown or was written by the last apply; a page's name
    // stays while any of its rows does.
    const bool differencesOnly = m_differencesOnly->isChecked();
    int band = -1;
    bool bandShown = false;
    for (int i = 0; i < m_table->rowCount(); ++i) {
        const QString key = m_table->item(i, Caption)->data(Qt::UserRole).toString();
        if (key.isEmpty()) {
            if (band >= 0)
                m_table->setRowHidden(band, !bandShown);
            band = i;
            bandShown = false;
            continue;
        }
        const auto board = m_board.constFind(key);
        const bool differs = board == m_board.constEnd() || *board != m_profile.values.value(key);
        const bool shown = !differencesOnly || differs || m_outcomes.contains(key);
        m_table->setRowHidden(i, !shown);
        bandShown = bandShown || shown;
    }
    if (band >= 0)
        m_table->setRowHidden(band, !bandShown);
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
    const int rows = m_profile.values.size();
    QString text;
    const bool focusOnly = addresses.size() == 1 && addresses.first() == m_focus();
    const QVector<ParameterProfile::Comparison> compared =
        ParameterProfile::compare(m_profile, m_board);
    const bool known = std::all_of(compared.cbegin(), compared.cend(),
                                   [](const ParameterProfile::Comparison &c) { return c.known; });
    if (focusOnly && known) {
        const int differing = ParameterProfile::differences(compared);
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
                + tr("地址 %1 的电池包目前有 %n 项与文件不同。", nullptr,
                     ParameterProfile::differences(compared))
                      .arg(m_focus());
        }
    }
    return Messages::question(this, tr("请确认"), text);
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
    for (const ProfileJob::RowResult &row : result.writes) {
        m_outcomes.insert(row.key, row);
        bool ok = false;
        const int shown = row.board.toInt(&ok);
        if (ok)
            m_board.insert(row.key, shown);
    }
    refreshRows();
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
