// The overview of the packs on the line.
#include "overviewpage.h"

#include "boardsession.h"
#include "labelholder.h"
#include "packtile.h"
#include "telemetry.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

constexpr int TileSpacing = 6;
constexpr int TileMinWidth = 300;
constexpr int SilenceCheckMs = 1000;

// Lays the tiles out in rows as wide as the area allows, all of one size.
class TileArea : public QWidget
{
public:
    explicit TileArea(std::function<void()> layOut)
        : m_layOut(std::move(layOut))
    { }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        m_layOut();
    }

private:
    std::function<void()> m_layOut;
};

} // namespace

OverviewPage::OverviewPage(QTabWidget *tabs, BoardSession *session, Clock clock,
                           LocaleSource locale)
    : QObject(tabs)
    , m_session(session)
    , m_clock(std::move(clock))
    , m_locale(std::move(locale))
    , m_silenceTimer(new QTimer(this))
    , m_repaintTimer(new QTimer(this))
{
    m_repaintTimer->setSingleShot(true);
    m_repaintTimer->setInterval(RepaintMs);
    connect(m_repaintTimer, &QTimer::timeout, this, &OverviewPage::showReplies);
    buildPage(tabs);
    connect(session, &BoardSession::packReply, this, &OverviewPage::packReply);
    connect(session, &BoardSession::packLinkChanged, this, &OverviewPage::packLinkChanged);
    connect(session, &BoardSession::cycleDone, this, &OverviewPage::cycleDone);
    // The status line speaks for the pack in focus; this page's cycle line for every pack.
    connect(session, &BoardSession::pollUnanswered, this, [this](int address) {
        if (!m_missed.contains(address))
            m_missed.append(address);
    });
    connect(session, &BoardSession::scanProgress, this, &OverviewPage::scanProgress);
    connect(session, &BoardSession::scanFinished, this, &OverviewPage::scanFinished);
    connect(session, &BoardSession::pollingStarted, this, &OverviewPage::showLineState);
    connect(session, &BoardSession::closed, this, &OverviewPage::showLineState);
    connect(m_silenceTimer, &QTimer::timeout, this, &OverviewPage::checkSilence);
    m_silenceTimer->start(SilenceCheckMs);
    showLineState();
    showBank();
    showCycle();
}

OverviewPage::~OverviewPage() = default;

QLocale OverviewPage::numberLocale() const
{
    // The decimal sign of the language, and no group separator: cell voltages read "3200 mV" as
    // on the main page.
    QLocale locale = m_locale();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

void OverviewPage::buildPage(QTabWidget *tabs)
{
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("tab_overview"));
    m_page->installEventFilter(this);
    auto *page = new QVBoxLayout(m_page);
    page->setContentsMargins(6, 6, 6, 6);
    page->setSpacing(6);

    // The scan of a range of addresses, and the cycle's line beside it.
    auto *scanRow = new QHBoxLayout;
    m_scanFirst = new QSpinBox;
    m_scanFirst->setObjectName(QStringLiteral("overview_scan_first"));
    m_scanLast = new QSpinBox;
    m_scanLast->setObjectName(QStringLiteral("overview_scan_last"));
    for (QSpinBox *box : { m_scanFirst, m_scanLast })
        box->setRange(0, 99);
    m_scanFirst->setValue(1);
    m_scanLast->setValue(16);
    m_scan = new QPushButton;
    m_scan->setObjectName(QStringLiteral("overview_scan"));
    m_scanStop = new QPushButton;
    m_scanStop->setObjectName(QStringLiteral("overview_scan_stop"));
    m_scanProgress = new QProgressBar;
    m_scanProgress->setObjectName(QStringLiteral("overview_scan_progress"));
    m_scanProgress->setRange(0, 1);
    m_scanProgress->setValue(0);
    m_scanProgress->setFixedWidth(160);
    m_scanProgress->setFormat(QStringLiteral("%v / %m"));
    m_scanProgress->setTextVisible(false); // until a scan runs
    m_scanState = new QLabel;
    m_scanState->setObjectName(QStringLiteral("overview_scan_state"));
    m_cycle = new QLabel;
    m_cycle->setObjectName(QStringLiteral("overview_cycle"));
    m_cycle->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *from = new QLabel;
    from->setObjectName(QStringLiteral("overview_scan_from"));
    auto *to = new QLabel;
    to->setObjectName(QStringLiteral("overview_scan_to"));
    scanRow->addWidget(from);
    scanRow->addWidget(m_scanFirst);
    scanRow->addWidget(to);
    scanRow->addWidget(m_scanLast);
    scanRow->addWidget(m_scan);
    scanRow->addWidget(m_scanStop);
    scanRow->addWidget(m_scanProgress);
    scanRow->addWidget(m_scanState);
    scanRow->addWidget(m_cycle, 1);
    page->addLayout(scanRow);

    m_bank = new QLabel;
    m_bank->setObjectName(QStringLiteral("overview_bank"));
    m_bank->setTextInteractionFlags(Qt::TextSelectableByMouse);
    page->addWidget(m_bank);

    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("overview_scroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tileArea = new TileArea([this] { layOutTiles(); });
    m_tileArea->setObjectName(QStringLiteral("overview_tiles"));
    m_scroll->setWidget(m_tileArea);
    page->addWidget(m_scroll, 1);

    tabs->addTab(m_page, QIcon(QStringLiteral(":/asset/assert/packs.png")), QString());
    // These lines change with every reply or cycle: they keep their place without laying the
    // page out again.
    LabelHolder::wrap(m_bank);
    LabelHolder::wrap(m_cycle);
    LabelHolder::wrap(m_scanState);

    connect(m_scan, &QPushButton::clicked, this, &OverviewPage::startScan);
    connect(m_scanStop, &QPushButton::clicked, m_session, &BoardSession::stopScan);
    retranslate();
}

void OverviewPage::retranslate()
{
    if (QTabWidget *tabs = qobject_cast<QTabWidget *>(parent()))
        tabs->setTabText(tabs->indexOf(m_page), QCoreApplication::translate("MainWindow", "总览"));
    m_page->findChild<QLabel *>(QStringLiteral("overview_scan_from"))
        ->setText(QCoreApplication::translate("MainWindow", "扫描地址"));
    m_page->findChild<QLabel *>(QStringLiteral("overview_scan_to"))
        ->setText(QCoreApplication::translate("MainWindow", "至"));
    m_scan->setText(QCoreApplication::translate("MainWindow", "扫描"));
    m_scanStop->setText(QCoreApplication::translate("MainWindow", "停止扫描"));
    const QLocale locale = numberLocale();
    for (PackTile *tile : qAsConst(m_tiles))
        tile->setLocale(locale);
    showScanState();
    showBank();
    showCycle();
}

void OverviewPage::setPacks(const QVector<int> &addresses)
{
    QVector<int> order;
    for (int address : addresses) {
        if (!order.contains(address))
            order.append(address);
    }
    for (auto it = m_tiles.begin(); it != m_tiles.end();) {
        if (order.contains(it.key())) {
            ++it;
            continue;
        }
        m_answered.removeAll(it.value());
        delete it.value();
        m_states.remove(it.key());
        it = m_tiles.erase(it);
    }
    m_order = order;
    for (int address : qAsConst(m_order)) {
        if (!m_tiles.contains(address))
            addTile(address);
    }
    layOutTiles();
    showBank();
}

PackTile *OverviewPage::addTile(int address)
{
    auto *tile = new PackTile(address, m_tileArea);
    tile->setLocale(numberLocale());
    tile->setFocused(address == m_focus);
    const BoardSession::PackLink link = m_session->packLink(address);
    tile->setLink(link.timeouts, link.roundTripMs);
    connect(tile, &PackTile::clicked, this, &OverviewPage::focusRequested);
    connect(tile, &PackTile::stepRequested, this, &OverviewPage::stepFrom);
    m_tiles.insert(address, tile);
    m_states.insert(address, PackState());
    tile->show();
    return tile;
}

void OverviewPage::layOutTiles()
{
    if (m_order.isEmpty()) {
        m_tileArea->setMinimumHeight(0);
        return;
    }
    const int width = m_tileArea->width();
    const int columns = std::max(1, (width + TileSpacing) / (TileMinWidth + TileSpacing));
    m_columns = columns;
    const int tileWidth = std::max(TileMinWidth, (width - (columns - 1) * TileSpacing) / columns);
    const int tileHeight = m_tiles.value(m_order.first())->sizeHint().height();
    for (int i = 0; i < m_order.size(); ++i) {
        const int row = i / columns;
        const int column = i % columns;
        m_tiles.value(m_order.at(i))
            ->setGeometry(column * (tileWidth + TileSpacing), row * (tileHeight + TileSpacing),
                          tileWidth, tileHeight);
    }
    const int rows = (int(m_order.size()) + columns - 1) / columns;
    m_tileArea->setMinimumHeight(rows * tileHeight + (rows - 1) * TileSpacing);
    // Tab goes from tile to tile in poll order, after the scan's controls.
    QWidget *before = m_scanProgress;
    for (int address : qAsConst(m_order)) {
        QWidget::setTabOrder(before, m_tiles.value(address));
        before = m_tiles.value(address);
    }
}

void OverviewPage::stepFrom(int address, Qt::Key key)
{
    const int from = m_order.indexOf(address);
    if (from < 0)
        return;
    const int last = int(m_order.size()) - 1;
    int to = from;
    switch (key) {
    case Qt::Key_Left:
        to = from - 1;
        break;
    case Qt::Key_Right:
        to = from + 1;
        break;
    case Qt::Key_Up:
        to = from - m_columns;
        break;
    case Qt::Key_Down:
        // Down from a tile above a gap in the last row goes to the last tile.
        to = from + m_columns > last && from / m_columns < last / m_columns ? last
                                                                            : from + m_columns;
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = last;
        break;
    default:
        return;
    }
    if (to < 0 || to > last || to == from)
        return;
    PackTile *tile = m_tiles.value(m_order.at(to));
    tile->setFocus(Qt::TabFocusReason);
    m_scroll->ensureWidgetVisible(tile, 0, 0);
}

void OverviewPage::setFocusPack(int address)
{
    if (PackTile *old = m_tiles.value(m_focus))
        old->setFocused(false);
    m_focus = address;
    if (PackTile *tile = m_tiles.value(address))
        tile->setFocused(true);
}

void OverviewPage::packReply(int address, const RealTimeReply &values, const cell &record)
{
    // With one pack on the line its replies are the pack in focus, whatever address they carry,
    // as they always were.
    if (!m_session->isCycling())
        address = m_session->address();
    PackTile *tile = m_tiles.value(address);
    if (!tile) {
        if (address < 0 || address > 99)
            return;
        m_order.append(address);
        tile = addTile(address);
        layOutTiles();
    }
    PackState &state = m_states[address];
    state.lastReplyMs = m_clock();
    state.timeoutsAtReply = m_session->packLink(address).timeouts;
    state.silent = false;
    tile->setSilence(-1);
    tile->setPack(PackSummary::summarize(address, record, values.cellsInSeries));
    tile->setBatteryNumber(values.batteryNumber);
    if (!m_answered.contains(tile))
        m_answered.append(tile);
    if (!m_repaintTimer->isActive())
        m_repaintTimer->start();
}

void OverviewPage::showReplies()
{
    m_repaintTimer->stop();
    for (PackTile *tile : qAsConst(m_answered))
        tile->update();
    m_answered.clear();
    showBank();
}

void OverviewPage::packLinkChanged(int address)
{
    PackTile *tile = m_tiles.value(address);
    if (!tile)
        return;
    const BoardSession::PackLink link = m_session->packLink(address);
    tile->setLink(link.timeouts, link.roundTripMs);
    // A time-out since the last reply greys the pack at once.
    PackState &state = m_states[address];
    const qint64 now = m_clock();
    const bool silent = isSilent(address, state, now);
    if (silent != state.silent || silent) {
        state.silent = silent;
        tile->setSilence(silent ? int(std::min<qint64>(now - state.lastReplyMs, INT_MAX)) : -1);
        showBank();
    }
}

bool OverviewPage::isSilent(int address, const PackState &state, qint64 now) const
{
    const PackTile *tile = m_tiles.value(address);
    if (!tile || !tile->hasData())
        return false;
    if (m_session->packLink(address).timeouts > state.timeoutsAtReply)
        return true;
    // A pack is asked once a period, or once a cycle when the cycle is longer.
    const qint64 interval = std::max(m_session->period(), m_lastCycleMs);
    return now - state.lastReplyMs > SilentPeriods * interval;
}

void OverviewPage::checkSilence()
{
    const qint64 now = m_clock();
    bool changed = false;
    for (auto it = m_states.begin(); it != m_states.end(); ++it) {
        PackState &state = it.value();
        const bool silent = isSilent(it.key(), state, now);
        if (silent)
            m_tiles.value(it.key())->setSilence(
                int(std::min<qint64>(now - state.lastReplyMs, INT_MAX)));
        else if (state.silent)
            m_tiles.value(it.key())->setSilence(-1);
        changed |= silent != state.silent;
        state.silent = silent;
    }
    if (changed)
        showBank();
}

bool OverviewPage::eventFilter(QObject *watched, QEvent *event)
{
    // Brought to the front: the bank line as it stands now, in the first paint.
    if (watched == m_page && event->type() == QEvent::Show && m_bankBehind)
        showBank();
    return QObject::eventFilter(watched, event);
}

void OverviewPage::showBank()
{
    // Behind another page the line waits to be shown (a window not shown yet keeps it current).
    const QWidget *window = m_page->window();
    m_bankBehind = window->isVisible() && !m_page->isVisible();
    if (m_bankBehind)
        return;
    QVector<PackSummary::Pack> answering;
    for (int address : qAsConst(m_order)) {
        const PackTile *tile = m_tiles.value(address);
        if (tile->hasData() && !tile->isGreyed())
            answering.append(tile->pack());
    }
    QString text;
    if (answering.isEmpty()) {
        text = m_order.isEmpty()
            ? QCoreApplication::translate("MainWindow", "电池组：尚无电池包")
            : QCoreApplication::translate("MainWindow", "电池组：没有电池包在应答");
    } else {
        const QLocale l = numberLocale();
        const PackSummary::Bank bank = PackSummary::bank(answering);
        text = QCoreApplication::translate(
                   "MainWindow",
                   "电池组（%1/%2 个电池包在应答）：电流 %3 A · 功率 %4 W · 平均 SOC %5 %")
                   .arg(bank.packs)
                   .arg(m_order.size())
                   .arg(l.toString(bank.currentMa / 1000.0, 'f', 2))
                   .arg(l.toString(bank.powerW, 'f', 0))
                   .arg(l.toString(bank.averageSoc, 'f', 1));
        if (bank.lowestCell > 0)
            text += QStringLiteral(" · ")
                + QCoreApplication::translate("MainWindow", "最低电芯 %1 mV（电池包 %2 #%3）")
                      .arg(l.toString(bank.lowestMv))
                      .arg(bank.lowestPack, 2, 10, QLatin1Char('0'))
                      .arg(bank.lowestCell);
    }
    if (!m_bankNote.isEmpty())
        text += QStringLiteral(" · ") + m_bankNote;
    if (m_bank->text() != text)
        m_bank->setText(text);
}

void OverviewPage::setBankNote(const QString &note)
{
    if (note == m_bankNote)
        return;
    m_bankNote = note;
    showBank();
}
