// The compare table of a profile and a board, grouped and ordered as the parameter pages.
#include "profiletable.h"

#include "parameterpage.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

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

ProfileTable::ProfileTable(QWidget *window, QWidget *parent)
    : QTableWidget(0, Columns, parent)
    , m_window(window)
{
    setObjectName(QStringLiteral("profile_table"));
    // Sized once per profile: measuring every cell at every change would cost more than a block's
    // worth of time on each read-back.
    horizontalHeader()->setSectionResizeMode(Caption, QHeaderView::Stretch);
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    findPlaces(window);
    retranslate();
}

void ProfileTable::findPlaces(QWidget *window)
{
    // The pages' fields are laid out once, in the form: where each row stands is read from
    // there, so the table follows the pages as they are drawn.
    const auto *pages = window->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
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

void ProfileTable::retranslate()
{
    setHorizontalHeaderLabels(
        { tr("参数"), tr("单位"), tr("板子"), tr("文件"), tr("范围"), tr("对比") });
    // The captions and the pages' names are the form's, already translated.
    if (!m_profile.values.isEmpty())
        fill();
}

void ProfileTable::showProfile(const ParameterProfile::Profile &profile,
                               const QHash<QString, int> &board)
{
    m_profile = profile;
    m_board = board;
    m_outcomes.clear();
    fill();
}

void ProfileTable::setBoard(const QHash<QString, int> &board)
{
    m_board = board;
    refresh();
}

void ProfileTable::setOutcome(const ProfileJob::RowResult &row)
{
    m_outcomes.insert(row.key, row);
    bool ok = false;
    const int shown = row.board.toInt(&ok);
    if (ok)
        m_board.insert(row.key, shown);
    refresh();
}

void ProfileTable::setDifferencesOnly(bool on)
{
    m_differencesOnly = on;
    filter();
}

int ProfileTable::differences() const
{
    return ParameterProfile::differences(ParameterProfile::compare(m_profile, m_board));
}

bool ProfileTable::allKnown() const
{
    const QVector<ParameterProfile::Comparison> rows =
        ParameterProfile::compare(m_profile, m_board);
    return std::all_of(rows.cbegin(), rows.cend(),
                       [](const ParameterProfile::Comparison &c) { return c.known; });
}

void ProfileTable::fill()
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
    ensurePolished();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setUpdatesEnabled(false);
    clearSpans();
    clearContents();
    setRowCount(rows.size() + pages.size());
    int line = 0;
    int page = -2;
    for (const ParameterProfile::Comparison &c : qAsConst(rows)) {
        if (m_places.value(c.key).page != page) {
            page = m_places.value(c.key).page;
            auto *band =
                new QTableWidgetItem(page >= 0 && tabs ? tabs->tabText(page) : tr("不在参数页上"));
            band->setFlags(Qt::ItemIsEnabled);
            QFont bold = font();
            bold.setBold(true);
            band->setFont(bold);
            band->setForeground(PageText);
            band->setBackground(PageBand);
            setItem(line, Caption, band);
            setSpan(line, Caption, 1, Columns);
            ++line;
        }
        const auto *label = m_window->findChild<QLabel *>(ParameterPage::captionName(c.key));
        setItem(line, Caption, tableCell(label ? label->text() : c.key));
        item(line, Caption)->setData(Qt::UserRole, c.key);
        item(line, Caption)->setToolTip(c.key);
        setItem(line, Unit, tableCell(QString::fromUtf8(c.row->unit)));
        setItem(line, File, tableCell(QString::number(c.file), Qt::AlignRight));
        setItem(
            line, Range,
            tableCell(QStringLiteral("%1 – %2").arg(c.row->min).arg(c.row->max), Qt::AlignRight));
        setItem(line, Board, tableCell(QString(), Qt::AlignRight));
        setItem(line, Mark, tableCell(QString()));
        ++line;
    }
    refresh();
    for (int column : { Unit, Board, File, Range })
        resizeColumnToContents(column);
    // The marks change after an apply: room for the widest of them from the start.
    int mark = 0;
    for (const QString &text :
         { tr("≠ 不同"), tr("? 未读回"), ProfileJob::describe(ProfileJob::RowOutcome::Confirmed),
           ProfileJob::describe(ProfileJob::RowOutcome::Kept),
           ProfileJob::describe(ProfileJob::RowOutcome::Unconfirmed),
           ProfileJob::describe(ProfileJob::RowOutcome::NotSent) })
        mark = std::max(mark, fontMetrics().horizontalAdvance(text));
    setColumnWidth(Mark, mark + 16);
    setUpdatesEnabled(true);
}

void ProfileTable::refresh()
{
    // Items change only where their text or colour does, so a read-back repaints only that.
    for (int i = 0; i < rowCount(); ++i) {
        if (item(i, Mark))
            showRow(i);
    }
    filter();
}

void ProfileTable::filter()
{
    // A row stays while it differs, is unknown or was written by the last apply; a page's name
    // stays while any of its rows does.
    int band = -1;
    bool bandShown = false;
    for (int i = 0; i < rowCount(); ++i) {
        const QString key = item(i, Caption)->data(Qt::UserRole).toString();
        if (key.isEmpty()) {
            if (band >= 0)
                setRowHidden(band, !bandShown);
            band = i;
            bandShown = false;
            continue;
        }
        const auto board = m_board.constFind(key);
        const bool differs = board == m_board.constEnd() || *board != m_profile.values.value(key);
        const bool shown = !m_differencesOnly || differs || m_outcomes.contains(key);
        setRowHidden(i, !shown);
        bandShown = bandShown || shown;
    }
    if (band >= 0)
        setRowHidden(band, !bandShown);
}

void ProfileTable::showRow(int row)
{
    const QString key = item(row, Caption)->data(Qt::UserRole).toString();
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
    QTableWidgetItem *boardCell = item(row, Board);
    boardCell->setText(known ? QString::number(*board) : tr("未知"));
    boardCell->setForeground(boardColour);
    item(row, Mark)->setText(mark);
    item(row, Mark)->setForeground(markColour);
}
