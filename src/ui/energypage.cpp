#include "energypage.h"

#include "csvreader.h"
#include "energybooks.h"
#include "filedialogs.h"
#include "overviewpage.h"
#include "packanalyses.h"
#include "packtile.h"
#include "recordinganalyses.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace {

const QColor InColour(0x2e, 0x7d, 0x32); // charged: green, as the tiles' charging current
const QColor OutColour(0xc6, 0x28, 0x28); // discharged: red
const QColor ProblemInk(0xb2, 0x6a, 0x00); // amber: noticed, nothing stops

} // namespace

EnergyPage::EnergyPage(Ui_MainWindow *ui, PackAnalyses *analyses, OverviewPage *overview,
                       FocusSource focus, CyclesSource cycles, LocaleSource locale,
                       FolderSource recordingsFolder)
    : QObject(ui->tab_widget)
    , m_analyses(analyses)
    , m_overview(overview)
    , m_focus(std::move(focus))
    , m_cycles(std::move(cycles))
    , m_locale(std::move(locale))
    , m_recordingsFolder(std::move(recordingsFolder))
    , m_books(new EnergyBooks(analyses, this))
    , m_timer(new QTimer(this))
    , m_tabs(ui->tab_widget)
    , m_mainPage(ui->maininfo)
{
    m_books->setFolder(
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("energy"));
    connect(m_books, &EnergyBooks::refused, this,
            [this](int, const QString &path, const QString &why, const QString &bad) {
                say(tr("能量账本 %1 无法读取（%2），已另存为 %3，重新开始计数。")
                        .arg(QDir::toNativeSeparators(path), why, QDir::toNativeSeparators(bad)),
                    true);
            });
    connect(m_books, &EnergyBooks::saveFailed, this,
            [this](const QString &path, const QString &why) {
                say(tr("能量账本无法保存到 %1：%2").arg(QDir::toNativeSeparators(path), why), true);
            });

    // Today's energy on the main page, one line under the state of charge: beside the current it
    // would take the room the current's digits need.
    m_today = new QLabel;
    m_today->setObjectName(QStringLiteral("energy_today"));
    // Smaller than the page's texts (the style sheet sets those), so the line fits its column.
    m_today->setStyleSheet(QStringLiteral("font-size: 9pt;"));
    m_today->setAlignment(Qt::AlignCenter);
    ui->verticalLayout->addWidget(m_today);

    // The page: which books, the bars, the totals, the recording.
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("tab_energy"));
    auto *page = new QVBoxLayout(m_page);
    auto *row = new QHBoxLayout;
    m_whichLabel = new QLabel;
    m_which = new QComboBox;
    m_which->setObjectName(QStringLiteral("energy_pack"));
    m_which->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_open = new QPushButton;
    m_open->setObjectName(QStringLiteral("energy_open"));
    m_live = new QPushButton;
    m_live->setObjectName(QStringLiteral("energy_live"));
    m_live->setEnabled(false);
    row->addWidget(m_whichLabel);
    row->addWidget(m_which);
    row->addStretch(1);
    row->addWidget(m_open);
    row->addWidget(m_live);
    page->addLayout(row);

    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    m_in = new QBarSet(QString());
    m_in->setColor(InColour);
    m_out = new QBarSet(QString());
    m_out->setColor(OutColour);
    auto *series = new QBarSeries;
    series->append(m_in);
    series->append(m_out);
    chart->addSeries(series);
    m_dayAxis = new QBarCategoryAxis;
    m_kwhAxis = new QValueAxis;
    m_kwhAxis->setLabelFormat(QStringLiteral("%.2f"));
    chart->addAxis(m_dayAxis, Qt::AlignBottom);
    chart->addAxis(m_kwhAxis, Qt::AlignLeft);
    series->attachAxis(m_dayAxis);
    series->attachAxis(m_kwhAxis);
    chart->legend()->setAlignment(Qt::AlignTop);
    m_chart = new QChartView(chart);
    m_chart->setObjectName(QStringLiteral("energy_chart"));
    page->addWidget(m_chart, 1);

    m_totals = new QLabel;
    m_totals->setObjectName(QStringLiteral("energy_totals"));
    m_cyclesLine = new QLabel;
    m_cyclesLine->setObjectName(QStringLiteral("energy_cycles"));
    m_note = new QLabel;
    m_note->setObjectName(QStringLiteral("energy_note"));
    m_note->setWordWrap(true);
    for (QLabel *label : { m_totals, m_cyclesLine, m_note }) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        page->addWidget(label);
    }
    // Before the log, which the trends and the overview follow.
    m_tabs->insertTab(m_tabs->indexOf(ui->tab_5), m_page, QString());

    connect(m_which, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { refreshPage(); });
    connect(m_open, &QPushButton::clicked, this, [this] { openRecording(); });
    connect(m_live, &QPushButton::clicked, this, &EnergyPage::showLive);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { refresh(); });
    connect(m_analyses, &PackAnalyses::changed, this, &EnergyPage::changed);
    m_timer->setSingleShot(true);
    m_timer->setInterval(RefreshMs);
    connect(m_timer, &QTimer::timeout, this, &EnergyPage::refresh);
    retranslate();
}

EnergyPage::~EnergyPage() = default;

void EnergyPage::setAdapter(const QString &identity)
{
    m_books->setAdapter(identity);
}

QString EnergyPage::kwhText(double kwh, const QLocale &locale)
{
    return locale.toString(kwh, 'f', kwh < 10 ? 3 : kwh < 1000 ? 2 : 1);
}

void EnergyPage::retranslate()
{
    m_tabs->setTabText(m_tabs->indexOf(m_page), tr("能量"));
    m_whichLabel->setText(tr("显示"));
    m_open->setText(tr("打开记录"));
    m_live->setText(tr("返回实时"));
    m_in->setLabel(tr("充入 (kWh)"));
    m_out->setLabel(tr("放出 (kWh)"));
    fillChoices(showsRecording() ? m_recording.keys() : m_analyses->addresses());
    refreshOverview();
    refresh();
}

void EnergyPage::changed(int address)
{
    Q_UNUSED(address);
    if (!m_timer->isActive() && anyShown())
        m_timer->start();
}

bool EnergyPage::anyShown() const
{
    const QWidget *current = m_tabs->currentWidget();
    return current == m_page || current == m_mainPage
        || (current && current->objectName() == QLatin1String("tab_overview"));
}

void EnergyPage::refresh()
{
    const QWidget *current = m_tabs->currentWidget();
    if (current == m_mainPage)
        refreshMainPage();
    else if (current == m_page)
        refreshPage();
    else if (current && current->objectName() == QLatin1String("tab_overview"))
        refreshOverview();
}

void EnergyPage::say(const QString &text, bool problem)
{
    if (problem) {
        m_problem = text;
        m_today->setToolTip(text);
    }
    m_note->setText(text);
    QPalette palette = m_note->palette();
    palette.setColor(QPalette::WindowText,
                     problem ? ProblemInk : m_page->palette().color(QPalette::WindowText));
    m_note->setPalette(palette);
}

void EnergyPage::refreshMainPage()
{
    const int address = m_focus();
    const EnergyMeter &meter = m_analyses->pack(address).energy;
    if (!meter.since().isValid()) {
        m_today->clear();
        return;
    }
    const QLocale locale = m_locale();
    const EnergyMeter::Totals today = meter.day(QDate::currentDate());
    const QString in = kwhText(today.chargedKwh(), locale);
    const QString out = kwhText(today.dischargedKwh(), locale);
    m_today->setText(tr("今日 ↑%1 ↓%2 kWh").arg(in, out));
    // Spelt out in the tip, unless it tells why the books were started anew.
    if (m_problem.isEmpty())
        m_today->setToolTip(tr("今日充入 %1 kWh\n今日放出 %2 kWh").arg(in, out));
}

void EnergyPage::refreshOverview()
{
    const QLocale locale = m_locale();
    const QDate date = QDate::currentDate();
    QList<const EnergyMeter *> meters;
    for (int address : m_overview->packs()) {
        const EnergyMeter &meter = m_analyses->pack(address).energy;
        PackTile *tile = m_overview->tile(address);
        if (!meter.since().isValid() || !tile)
            continue;
        meters.append(&meter);
        const EnergyMeter::Totals today = meter.day(date);
        // Today's, as the bank line says; the word itself would leave no room for the link's.
        tile->setFooter(
            QStringLiteral("↑%1 ↓%2 kWh")
                .arg(kwhText(today.chargedKwh(), locale), kwhText(today.dischargedKwh(), locale)));
    }
    // The bank line adds the bank's.
    EnergyMeter::Totals today;
    for (const EnergyMeter *meter : meters)
        today.add(meter->day(date));
    // As short as the tiles' line: the bank line is long already.
    m_overview->setBankNote(meters.isEmpty() ? QString()
                                             : tr("今日 ↑%1 ↓%2 kWh")
                                                   .arg(kwhText(today.chargedKwh(), locale),
                                                        kwhText(today.dischargedKwh(), locale)));
}

void EnergyPage::fillChoices(const QList<int> &addresses)
{
    const int chosen = m_which->currentIndex() >= 0 ? m_which->currentData().toInt() : -1;
    const QSignalBlocker quiet(m_which);
    m_which->clear();
    m_which->addItem(tr("电池组"), -1);
    for (int address : addresses)
        m_which->addItem(tr("电池包 %1").arg(address, 2, 10, QLatin1Char('0')), address);
    const int at = m_which->findData(chosen);
    m_which->setCurrentIndex(at >= 0 ? at : 0);
}

EnergyPage::Books EnergyPage::bankOf(const QList<const EnergyMeter *> &meters)
{
    Books books;
    QMap<QDate, EnergyMeter::Totals> days;
    for (const EnergyMeter *meter : meters) {
        if (!meter->since().isValid())
            continue;
        books.known = true;
        books.total.add(meter->total());
        if (!books.since.isValid() || meter->since() < books.since)
            books.since = meter->since();
        for (const EnergyMeter::Day &day : meter->days())
            days[day.date].add(day.totals);
    }
    for (auto it = days.cbegin(); it != days.cend(); ++it)
        books.days.append({ it.key(), it.value() });
    return books;
}

EnergyPage::Books EnergyPage::chosenBooks() const
{
    const int address = m_which->currentData().toInt();
    QList<const EnergyMeter *> meters;
    if (showsRecording()) {
        for (auto it = m_recording.cbegin(); it != m_recording.cend(); ++it) {
            if (address < 0 || it.key() == address)
                meters.append(&it.value().energy);
        }
    } else {
        for (int a : m_analyses->addresses()) {
            if (address < 0 || a == address)
                meters.append(&m_analyses->pack(a).energy);
        }
    }
    Books books = bankOf(meters);
    if (address >= 0 && meters.size() == 1) {
        books.cycles = meters.first()->cyclesEquivalent();
        if (!showsRecording())
            books.boardCycles = m_cycles(address);
    }
    return books;
}

void EnergyPage::refreshPage()
{
    if (!showsRecording()) {
        const QList<int> addresses = m_analyses->addresses();
        if (m_which->count() != addresses.size() + 1)
            fillChoices(addresses);
    }
    const Books books = chosenBooks();
    const QLocale locale = m_locale();

    // The last DaysShown days up to today, or up to the last day of a recording.
    QDate last = QDate::currentDate();
    if (showsRecording() && !books.days.isEmpty())
        last = books.days.last().date;
    QStringList labels;
    QList<qreal> in;
    QList<qreal> out;
    qreal highest = 0;
    int next = 0;
    for (int i = DaysShown - 1; i >= 0; --i) {
        const QDate date = last.addDays(-i);
        while (next < books.days.size() && books.days.at(next).date < date)
            ++next;
        EnergyMeter::Totals totals;
        if (next < books.days.size() && books.days.at(next).date == date)
            totals = books.days.at(next).totals;
        // The day of the month under its bar (thirty dates in full do not fit there, and thirty
        // days never repeat a day); the axis's title says which days they are.
        labels << locale.toString(date, QStringLiteral("dd"));
        in << totals.chargedKwh();
        out << totals.dischargedKwh();
        highest = std::max({ highest, totals.chargedKwh(), totals.dischargedKwh() });
    }
    m_in->remove(0, m_in->count());
    m_out->remove(0, m_out->count());
    m_in->append(in);
    m_out->append(out);
    m_dayAxis->clear();
    m_dayAxis->append(labels);
    m_dayAxis->setTitleText(QStringLiteral("%1 – %2").arg(
        locale.toString(last.addDays(-(DaysShown - 1)), QLocale::ShortFormat),
        locale.toString(last, QLocale::ShortFormat)));
    m_kwhAxis->setRange(0, highest > 0 ? highest * 1.1 : 1);
    // Round ticks, each written with the decimals that tell it from the next.
    m_kwhAxis->applyNiceNumbers();
    const qreal step =
        (m_kwhAxis->max() - m_kwhAxis->min()) / std::max(1, m_kwhAxis->tickCount() - 1);
    const int decimals = step > 0 ? std::max(0, int(std::ceil(-std::log10(step) - 1e-9))) : 0;
    m_kwhAxis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));

    if (!books.known) {
        m_totals->setText(tr("尚无数据"));
        m_cyclesLine->clear();
    } else {
        const EnergyMeter::Totals &t = books.total;
        m_totals->setText(tr("自 %1 起：充入 %2 Ah / %3 kWh，放出 %4 Ah / %5 kWh")
                              .arg(locale.toString(books.since, QLocale::ShortFormat))
                              .arg(locale.toString(t.chargedAh(), 'f', 2))
                              .arg(kwhText(t.chargedKwh(), locale))
                              .arg(locale.toString(t.dischargedAh(), 'f', 2))
                              .arg(kwhText(t.dischargedKwh(), locale)));
        QString cycles;
        if (m_which->currentData().toInt() >= 0)
            cycles = books.cycles >= 0
                ? tr("等效循环 %1").arg(locale.toString(books.cycles, 'f', 2))
                : tr("等效循环：未知（尚未读取设计容量）");
        if (books.boardCycles >= 0)
            cycles += tr("（电池自计 %1 次）").arg(books.boardCycles);
        m_cyclesLine->setText(cycles);
    }
}

bool EnergyPage::openRecording(const QString &given)
{
    QString path = given;
    if (path.isEmpty())
        path = FileDialogs::getRecordingFileName(m_page->window(), m_recordingsFolder());
    if (path.isEmpty())
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CsvReader reader;
    QMap<int, PackAnalysis> packs;
    const bool read = reader.open(path) && RecordingAnalyses::analyse(&reader, &packs);
    QApplication::restoreOverrideCursor();
    const QString file = QDir::toNativeSeparators(path);
    if (!read && packs.isEmpty()) {
        say(tr("无法读取记录 %1（第 %2 行）。").arg(file).arg(reader.error().line), true);
        return false;
    }
    m_recording = packs;
    m_recordingFile = path;
    m_live->setEnabled(true);
    fillChoices(m_recording.keys());
    say(read ? tr("记录 %1").arg(file)
             : tr("记录 %1：只读到第 %2 行。").arg(file).arg(reader.error().line),
        !read);
    refreshPage();
    return true;
}

void EnergyPage::showLive()
{
    m_recording.clear();
    m_recordingFile.clear();
    m_live->setEnabled(false);
    fillChoices(m_analyses->addresses());
    say(m_problem, !m_problem.isEmpty());
    refreshPage();
}
