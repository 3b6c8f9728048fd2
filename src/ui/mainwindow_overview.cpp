// The window's overview page: the packs on the line, which one the other pages show, and every
// pack's replies into the log and the trends.
#include "mainwindow.h"

#include "boardsession.h"
#include "healthpage.h"
#include "logpage.h"
#include "overviewpage.h"
#include "packanalyses.h"
#include "packtile.h"
#include "realtimepage.h"
#include "trendspage.h"
#include "ui_mainwindow.h"

#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>

void MainWindow::initAnalyses()
{
    // Fed from the session whatever page is shown.
    analyses = new PackAnalyses(PackAnalyses::Clock(), this);
    connect(session, &BoardSession::packReply, analyses, &PackAnalyses::reply);
    connect(session, &BoardSession::pollUnanswered, analyses,
            [this](int address) { analyses->unanswered(address); });
    // A read-back is the focus pack's.
    connect(session, &BoardSession::parameterBlock, analyses,
            [this](const QVector<ParameterBlock::Field> &fields) {
                analyses->parameters(session->address(), fields);
            });
    // A tile marks a pack with a cell named as wearing out.
    connect(analyses, &PackAnalyses::changed, this, [this](int address) {
        if (PackTile *tile = overviewPage ? overviewPage->tile(address) : nullptr)
            tile->setWeakCell(analyses->pack(address).health.weakCell());
    });
}

void MainWindow::initOverviewPage()
{
    overviewPage = new OverviewPage(
        ui->tab_widget, session, [this] { return clock(); }, [this] { return languageLocale(); });
    connect(overviewPage, &OverviewPage::focusRequested, this, &MainWindow::focusPack);
    connect(overviewPage, &OverviewPage::packsFound, this, &MainWindow::takeFoundPacks);
    healthPage = new HealthPage(
        ui->tab_widget, analyses, [this] { return session->address(); },
        [this] { return recordingsFolder(); }, [this] { return languageLocale(); });
    connect(session, &BoardSession::packReply, this, &MainWindow::takePackReply);
    overviewPage->setPacks(session->addresses());
    overviewPage->setFocusPack(session->address());
    // With one pack on the line, its tile is the address the box names.
    connect(ui->DeviceID, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int address) {
        // The battery number it states: known from its last reply, or not until its next.
        const auto last = lastReplies.constFind(address);
        focusNumber = last != lastReplies.constEnd() ? last->values.batteryNumber : -1;
        showFocusPack();
        if (session->isCycling())
            return;
        overviewPage->setPacks({ address });
        overviewPage->setFocusPack(address);
    });

    // The pages that show and write one pack name it in the corner of the tabs; the box that
    // names it too is locked while the line is open.
    focusLabel = new QLabel(ui->tab_widget);
    focusLabel->setObjectName(QStringLiteral("focus_pack"));
    ui->tab_widget->setCornerWidget(focusLabel, Qt::TopRightCorner);
    connect(ui->tab_widget, &QTabWidget::currentChanged, this, &MainWindow::showFocusPack);
    connect(session, &BoardSession::realTimeRecord, this, [this](const RealTimeReply &values) {
        if (values.batteryNumber != focusNumber) {
            focusNumber = values.batteryNumber;
            showFocusPack();
        }
    });
    showFocusPack();
}

void MainWindow::showFocusPack()
{
    const QWidget *page = ui->tab_widget->currentWidget();
    const bool shown = page == ui->maininfo || page == ui->tab_3 || page == ui->tab_2;
    if (shown) {
        const int address = ui->DeviceID->value();
        const QString pack = QStringLiteral("%1").arg(address, 2, 10, QLatin1Char('0'));
        // The battery number the pack states, where it is not its address, as its tile has it.
        const QString text = focusNumber >= 0 && focusNumber != address
            ? tr("电池包 %1 · 编号 %2").arg(pack).arg(focusNumber)
            : tr("电池包 %1").arg(pack);
        if (focusLabel->text() != text)
            focusLabel->setText(text);
        focusLabel->setToolTip(tr("这些页面显示并写入的电池包。在总览页选择其他电池包。"));
    }
    if (focusLabel->isVisibleTo(ui->tab_widget) != shown)
        focusLabel->setVisible(shown);
}

void MainWindow::showPolledPacks()
{
    const QVector<int> packs = session->addresses();
    overviewPage->setPacks(packs);
    // An address typed into the box that is not polled would leave the pages empty: the focus
    // goes to the first pack polled.
    if (!packs.contains(session->address()))
        focusPack(packs.first());
    overviewPage->setFocusPack(session->address());
    if (session->isCycling())
        trendsPage->showPack(session->address());
}

void MainWindow::takePackReply(int address, const RealTimeReply &values, const AFE &record)
{
    // Every pack's rows go to the log, each row carrying its pack's address, and to its own
    // trend. The pack in focus is logged by showRealTimeReply, before the main page's chart
    // clamps its record; with one pack on the line every reply is the one in focus.
    if (!session->isCycling())
        return;
    if (address != session->address()) {
        logPage->addRecord(record);
        trendsPage->addRecord(address, record);
    }
    PackReply &last = lastReplies[address];
    last.values = values;
    last.record = record;
    last.at = clock();
}

void MainWindow::focusPack(int address)
{
    const bool changed = address != session->address();
    ui->DeviceID->setValue(address);
    session->setAddress(address);
    overviewPage->setFocusPack(address);
    if (!changed)
        return;
    trendsPage->showPack(address);
    healthPage->followFocus();
    // The main page shows the pack's last reply at once (dimmed if it is old), not the values of
    // the pack before it until the next cycle comes round.
    const auto last = lastReplies.constFind(address);
    if (last != lastReplies.constEnd()) {
        focusRecord = last->record;
        realTimePage->showRecord(last->values, focusRecord, last->at);
        watchLiveData();
    }
}

void MainWindow::pollPacks(const QVector<int> &packs)
{
    const int focus = ui->DeviceID->value();
    if (packs.size() < 2) {
        // The address alone, polled by the tick as it always was; the box names it.
        const int address = packs.isEmpty() ? focus : packs.first();
        session->setAddresses({});
        overviewPage->setPacks({ address });
        focusPack(address);
        lastReplies.clear();
        return;
    }
    // The trend of the one pack polled so far is the focus's.
    if (!session->isCycling())
        trendsPage->namePack(session->address());
    session->setAddresses(packs);
    overviewPage->setPacks(packs);
    // The focus stays where it is if that pack is among them.
    focusPack(packs.contains(focus) ? focus : packs.first());
    for (auto it = lastReplies.begin(); it != lastReplies.end();) {
        if (packs.contains(it.key()))
            ++it;
        else
            it = lastReplies.erase(it);
    }
}

void MainWindow::takeFoundPacks(const QVector<int> &found)
{
    pollPacks(found);
    // The port box is locked on the line's port while it is open.
    if (const PortInfo *port = chosenPort())
        rememberPacks(*port, found);
}
