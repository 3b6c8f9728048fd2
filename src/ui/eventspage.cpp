#include "eventspage.h"

#include "eventsmodel.h"
#include "packanalyses.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

const char *const ProblemInk = "color: #b26a00;"; // amber: noticed, nothing stops

constexpr PackEvent::Kind Kinds[] = {
    PackEvent::Protection, PackEvent::Alarm,  PackEvent::Status,
    PackEvent::Link,       PackEvent::Spread, PackEvent::LowSoc,
};

} // namespace

EventsPage::EventsPage(QTabWidget *tabs, PackAnalyses *analyses, FolderSource recordingsFolder,
                       Clock now)
    : QObject(tabs)
    , m_analyses(analyses)
    , m_recordingsFolder(std::move(recordingsFolder))
    , m_now(std::move(now))
    , m_tabs(tabs)
{
    if (!m_now)
        m_now = [analyses] { return analyses->now(); };
    m_live = new EventsModel(m_now, this);
    m_live->setHeld(true);
    buildPage(tabs);
    m_tick = new QTimer(this);
    m_tick->setInterval(1000);
    connect(m_tick, &QTimer::timeout, this, [this] { shownModel()->tick(); });
    m_catchUp = new QTimer(this);
    m_catchUp->setSingleShot(true);
    m_catchUp->setInterval(0);
    connect(m_catchUp, &QTimer::timeout, this, &EventsPage::catchUp);
    connect(m_analyses, &PackAnalyses::eventChanged, this, &EventsPage::take);
    retranslate();
}

EventsPage::~EventsPage() = default;

void EventsPage::buildPage(QTabWidget *tabs)
{
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("events_page"));
    auto *layout = new QVBoxLayout(m_page);

    auto *filters = new QHBoxLayout;
    m_pack = new QComboBox;
    m_pack->setObjectName(QStringLiteral("events_pack"));
    m_pack->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_kind = new QComboBox;
    m_kind->setObjectName(QStringLiteral("events_kind"));
    m_kind->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (PackEvent::Kind kind : Kinds)
        m_kind->addItem(QString(), int(kind));
    m_kind->insertItem(0, QString(), -1);
    m_kind->setCurrentIndex(0);
    m_ongoingOnly = new QCheckBox;
    m_ongoingOnly->setObjectName(QStringLiteral("events_ongoing"));
    m_open = new QPushButton;
    m_open->setObjectName(QStringLiteral("events_open"));
    m_open->setCursor(Qt::PointingHandCursor);
    m_liveButton = new QPushButton;
    m_liveButton->setObjectName(QStringLiteral("events_live"));
    m_liveButton->setCursor(Qt::PointingHandCursor);
    m_liveButton->setEnabled(false);
    filters->addWidget(m_pack);
    filters->addWidget(m_kind);
    filters->addWidget(m_ongoingOnly);
    filters->addStretch(1);
    filters->addWidget(m_open);
    filters->addWidget(m_liveButton);
    layout->addLayout(filters);

    m_source = new QLabel;
    m_source->setObjectName(QStringLiteral("events_source"));
    m_source->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_source);
    m_note = new QLabel;
    m_note->setObjectName(QStringLiteral("events_note"));
    m_note->setWordWrap(true);
    m_note->setStyleSheet(QLatin1String(ProblemInk));
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_note->hide();
    layout->addWidget(m_note);

    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("events_table"));
    m_table->setModel(m_live);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the next control instead of walking its cells.
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(m_table, 1);

    auto *settings = new QHBoxLayout;
    m_notify = new QCheckBox;
    m_notify->setObjectName(QStringLiteral("events_notify"));
    m_notify->setChecked(true);
    m_spreadLabel = new QLabel;
    m_spread = new QSpinBox;
    m_spread->setObjectName(QStringLiteral("events_spread"));
    m_spread->setRange(0, 2000);
    m_spread->setSuffix(QStringLiteral(" mV"));
    m_spreadLabel->setBuddy(m_spread);
    m_lowSocLabel = new QLabel;
    m_lowSoc = new QSpinBox;
    m_lowSoc->setObjectName(QStringLiteral("events_lowsoc"));
    m_lowSoc->setRange(0, 99);
    m_lowSoc->setSuffix(QStringLiteral(" %"));
    m_lowSocLabel->setBuddy(m_lowSoc);
    settings->addWidget(m_notify);
    settings->addSpacing(24);
    settings->addWidget(m_spreadLabel);
    settings->addWidget(m_spread);
    settings->addSpacing(24);
    settings->addWidget(m_lowSocLabel);
    settings->addWidget(m_lowSoc);
    settings->addStretch(1);
    layout->addLayout(settings);

    // After the cells' health, the last of the pages that judge the packs.
    tabs->addTab(m_page, QString());
    QWidget::setTabOrder(m_pack, m_kind);
    QWidget::setTabOrder(m_kind, m_ongoingOnly);
    QWidget::setTabOrder(m_ongoingOnly, m_open);
    QWidget::setTabOrder(m_open, m_liveButton);
    QWidget::setTabOrder(m_liveButton, m_table);
    QWidget::setTabOrder(m_table, m_notify);
    QWidget::setTabOrder(m_notify, m_spread);
    QWidget::setTabOrder(m_spread, m_lowSoc);

    connect(m_pack, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &EventsPage::applyFilter);
    connect(m_kind, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &EventsPage::applyFilter);
    connect(m_ongoingOnly, &QCheckBox::toggled, this, &EventsPage::applyFilter);
    connect(m_open, &QPushButton::clicked, this, [this] { openFile(); });
    connect(m_liveButton, &QPushButton::clicked, this, &EventsPage::showLive);
    for (QSpinBox *box : { m_spread, m_lowSoc })
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this,
                [this] { m_analyses->setAlerts(alerts()); });
    m_page->installEventFilter(this);
}

bool EventsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        follow(event->type() == QEvent::Show);
    return QObject::eventFilter(watched, event);
}

void EventsPage::follow(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (!shown) {
        // The selection follows its event through what happens while behind.
        const QModelIndex current = m_table->currentIndex();
        m_selected = current.isValid() && !m_opened ? m_live->event(current.row()).id : 0;
        m_live->setHeld(true);
        m_tick->stop();
        return;
    }
    // The style sheet's font is known once the page is laid out for showing.
    if (!m_sized)
        sizeColumns();
    // Whatever happened while behind, in one go.
    const bool waited = m_live->isHeld();
    m_live->setHeld(false);
    fillPackFilter();
    if (waited && m_selected > 0) {
        const int row = m_live->rowOf(m_selected);
        if (row >= 0)
            m_table->setCurrentIndex(m_live->index(row, 0));
    }
    m_tick->start();
}

EventsModel *EventsPage::shownModel() const
{
    return m_opened ? m_opened.get() : m_live;
}

void EventsPage::take(const PackEvent &change)
{
    m_live->take(change);
    m_unwritten.append(change);
    m_catchUp->start();
    // A pack seen for the first time joins the filter while the page is shown.
    if (m_shown && !m_opened && m_pack->findData(change.address) < 0)
        fillPackFilter();
}

void EventsPage::catchUp()
{
    const QVector<PackEvent> changes = std::exchange(m_unwritten, {});
    for (const PackEvent &change : changes)
        write(change);
    showTabText();
}

QString EventsPage::source() const
{
    return m_source->text();
}

void EventsPage::showLive()
{
    if (!m_opened)
        return;
    m_live->setFilter(m_opened->filter());
    setShownModel(m_live);
    m_opened.reset();
    m_openedFile.clear();
    m_liveButton->setEnabled(false);
    fillPackFilter();
    showSource();
}

void EventsPage::setShownModel(EventsModel *model)
{
    QItemSelectionModel *old = m_table->selectionModel();
    m_table->setModel(model);
    delete old;
}

bool EventsPage::select(qint64 id)
{
    showLive();
    m_live->setHeld(false);
    if (m_live->rowOf(id) < 0) {
        // A filter hid it: every event is shown again.
        const QSignalBlocker blockPack(m_pack), blockKind(m_kind), blockOngoing(m_ongoingOnly);
        m_pack->setCurrentIndex(0);
        m_kind->setCurrentIndex(0);
        m_ongoingOnly->setChecked(false);
        m_live->setFilter(EventsModel::Filter());
    }
    fillPackFilter();
    const int row = m_live->rowOf(id);
    if (row < 0)
        return false;
    m_table->selectRow(row);
    m_table->scrollTo(m_live->index(row, 0));
    return true;
}

void EventsPage::fillPackFilter()
{
    const EventsModel *model = shownModel();
    const int chosen = m_pack->currentData().isValid() ? m_pack->currentData().toInt() : -1;
    QList<int> addresses = model->addresses();
    if (chosen >= 0 && !addresses.contains(chosen)) {
        addresses.append(chosen);
        std::sort(addresses.begin(), addresses.end());
    }
    QList<int> listed;
    for (int i = 1; i < m_pack->count(); ++i)
        listed.append(m_pack->itemData(i).toInt());
    if (listed == addresses && m_pack->count() > 0)
        return;
    const QSignalBlocker block(m_pack);
    m_pack->clear();
    m_pack->addItem(tr("全部电池包"), -1);
    for (int address : qAsConst(addresses))
        m_pack->addItem(tr("电池包 %1").arg(address, 2, 10, QLatin1Char('0')), address);
    m_pack->setCurrentIndex(std::max(0, m_pack->findData(chosen)));
}

void EventsPage::applyFilter()
{
    EventsModel::Filter filter;
    filter.address = m_pack->currentData().isValid() ? m_pack->currentData().toInt() : -1;
    filter.kind = m_kind->currentData().toInt();
    filter.ongoingOnly = m_ongoingOnly->isChecked();
    shownModel()->setFilter(filter);
}

void EventsPage::showTabText()
{
    const int ongoing = m_live->ongoingCount();
    if (ongoing == m_tabCount)
        return;
    m_tabCount = ongoing;
    m_tabs->setTabText(m_tabs->indexOf(m_page),
                       ongoing > 0 ? tr("事件 (%1)").arg(ongoing) : tr("事件"));
}

void EventsPage::showSource()
{
    if (m_opened) {
        m_source->setText(tr("事件文件 %1  ·  %2 个事件")
                              .arg(QFileInfo(m_openedFile).fileName())
                              .arg(m_opened->eventCount()));
        m_source->setToolTip(QDir::toNativeSeparators(m_openedFile));
    } else {
        m_source->setText(
            tr("实时事件与最近的记录（%1）").arg(QDir::toNativeSeparators(m_recordingsFolder())));
        m_source->setToolTip(QString());
    }
}

bool EventsPage::notificationsOn() const
{
    return m_notify->isChecked();
}

void EventsPage::setNotificationsOn(bool on)
{
    m_notify->setChecked(on);
}

EventJournal::Alerts EventsPage::alerts() const
{
    EventJournal::Alerts alerts;
    alerts.spreadMv = m_spread->value();
    alerts.lowSocPercent = m_lowSoc->value();
    return alerts;
}

void EventsPage::setAlerts(const EventJournal::Alerts &alerts)
{
    m_spread->setValue(alerts.spreadMv);
    m_lowSoc->setValue(alerts.lowSocPercent);
    m_analyses->setAlerts(this->alerts());
}

void EventsPage::retranslate()
{
    m_tabCount = -1;
    showTabText();
    m_kind->setItemText(0, tr("全部类型"));
    for (int i = 1; i < m_kind->count(); ++i)
        m_kind->setItemText(i, EventNames::kindName(PackEvent::Kind(m_kind->itemData(i).toInt())));
    if (m_pack->count() > 0) {
        m_pack->setItemText(0, tr("全部电池包"));
        for (int i = 1; i < m_pack->count(); ++i)
            m_pack->setItemText(
                i, tr("电池包 %1").arg(m_pack->itemData(i).toInt(), 2, 10, QLatin1Char('0')));
    } else {
        fillPackFilter();
    }
    m_ongoingOnly->setText(tr("仅进行中"));
    m_open->setText(tr("打开事件文件"));
    m_liveButton->setText(QCoreApplication::translate("MainWindow", "返回实时"));
    m_notify->setText(tr("桌面通知"));
    m_notify->setToolTip(tr("窗口不在前台时，保护触发或电池包失去连接会发出桌面通知。"));
    m_spreadLabel->setText(tr("压差提醒"));
    m_lowSocLabel->setText(tr("低电量提醒"));
    m_spread->setSpecialValueText(tr("关闭"));
    m_lowSoc->setSpecialValueText(tr("关闭"));
    m_spread->setToolTip(tr("最高与最低电芯电压之差超过此值时记为事件；0 为关闭。"));
    m_lowSoc->setToolTip(tr("电量低于此值时记为事件；0 为关闭。"));
    m_live->retranslate();
    if (m_opened)
        m_opened->retranslate();
    showSource();
    sizeColumns();
}

void EventsPage::sizeColumns()
{
    // Widths from the texts, not from every row: a long list is not measured. The event's name
    // takes what is left.
    m_sized = m_page->isVisible();
    m_table->ensurePolished();
    const QFontMetrics fm = m_table->fontMetrics();
    const QFontMetrics header = m_table->horizontalHeader()->fontMetrics();
    const int pad = 16;
    const QString samples[EventsModel::ColumnCount] = {
        QStringLiteral("0000-00-00 00:00:00"),
        QStringLiteral("0000-00-00 00:00:00 ?"),
        QStringLiteral("≥ 00:00:00"),
        QStringLiteral("00"),
        QString(),
        QStringLiteral("MOSFET sensor"),
        QCoreApplication::translate("EventsModel", "%1（%2）")
            .arg(QStringLiteral("3,651 mV"), QStringLiteral("3,668 mV")),
        QStringLiteral("3,650 mV"),
    };
    QHeaderView *columns = m_table->horizontalHeader();
    columns->setStretchLastSection(false);
    for (int c = 0; c < EventsModel::ColumnCount; ++c) {
        if (c == EventsModel::Event) {
            columns->setSectionResizeMode(c, QHeaderView::Stretch);
            continue;
        }
        const QString title = m_live->headerData(c, Qt::Horizontal).toString();
        const int width = std::max({ fm.horizontalAdvance(samples[c]),
                                     fm.horizontalAdvance(m_live->text(PackEvent(), c)),
                                     header.horizontalAdvance(title) });
        m_table->setColumnWidth(c, width + pad);
    }
}
