// The overview of several packs in the window: each reply reaches its own tile and only that
// one, the bank line's figures, a silent pack greyed, a click on a tile making its pack the one
// the other pages show, and a scan's packs becoming the poll list.
#include "drainevents.h"
#include "infront.h"
#include "logpage.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "overviewpage.h"
#include "packtile.h"
#include "startoptions.h"
#include "trendbuffer.h"
#include "trendview.h"

#include <QComboBox>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// A pack's reply as the session hands it on.
struct Reply
{
    RealTimeReply values;
    cell record;
};

Reply reply(int address, int totalMv, int currentMa, int soc, std::initializer_list<int> cells,
            int job = 1, int series = -1)
{
    Reply r;
    r.values =
        decodeRealTime(QByteArray::number(address).rightJustified(2, '0'), QByteArray(), &r.record);
    r.values.cellsInSeries = series < 0 ? int(cells.size()) : series;
    r.record.id = address;
    r.record.totalv = totalMv;
    r.record.cadc = currentMa;
    r.record.soc = soc;
    r.record.job_statu = job;
    int i = 0;
    for (int mv : cells)
        r.record.cell[i++] = mv;
    for (int &t : r.record.ts)
        t = 2500;
    return r;
}

// Counts the paints of each widget watched.
class PaintCounter : public QObject
{
public:
    QHash<QObject *, int> paints;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        return false;
    }
};

} // namespace

class TestOverviewPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void oneAddressIsOneTileAfterTheTabs();
    void scanFoundPacksBecomeThePollList();
    void repliesReachTheirOwnTileOnly();
    void bankLineAddsUpTheAnsweringPacks();
    void silentPackIsGreyedUntilItAnswers();
    void clickOnATileSetsTheFocus();
    void keyboardReachesAndChoosesTiles();
    void pagesNameThePackInFocus();
    void tabsShowWhereTheKeyboardIs();
    void cycleLineNamesPacksWithoutData();
    void sixteenTilesFitWithoutScrolling();

private:
    template<typename T>
    T *child(const char *name)
    {
        return namedChild<T>(window.get(), name);
    }
    PackTile *tile(int address)
    {
        return window->findChild<PackTile *>(
            QStringLiteral("overview_pack_%1").arg(address, 2, 10, QLatin1Char('0')));
    }
    // As the session hands a reply on: the pack in focus (every reply, with one pack) to the
    // pages as its record, then each to the overview and the log.
    void send(const Reply &r)
    {
        BoardSession *session = window->boardSession();
        const int address = r.record.id;
        if (!session->isCycling() || address == session->address()) {
            session->afe = r.record;
            emit session->realTimeRecord(r.values);
            emit session->packReply(address, r.values, session->afe);
            return;
        }
        emit session->packReply(address, r.values, r.record);
    }
    void scanFinds(const QVector<int> &packs)
    {
        emit window->boardSession()->scanFinished(packs, false);
    }

    QTemporaryDir config;
    std::unique_ptr<Messages::Recorder> recorder;
    std::unique_ptr<MainWindow> window;
    qint64 now = 0;
};

void TestOverviewPage::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(config.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    qunsetenv("ARVEX_EXTRA_PORTS");
    recorder = std::make_unique<Messages::Recorder>();
    // As the program runs: its style sheet sets the type, and so the room the tiles take.
    initResources();
    QFile style(QStringLiteral(":/assert/style.qss"));
    QVERIFY(style.open(QFile::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
}

void TestOverviewPage::init()
{
    now = 0;
    window = std::make_unique<MainWindow>();
    window->setClock([this] { return now; });
}

void TestOverviewPage::cleanup()
{
    window.reset();
}

void TestOverviewPage::oneAddressIsOneTileAfterTheTabs()
{
    auto *tabs = child<QTabWidget>("tab_widget");
    // After the trends, before the cells' health.
    const int overview = tabs->indexOf(child<QWidget>("tab_overview"));
    QCOMPARE(overview, tabs->indexOf(child<QWidget>("health_page")) - 1);
    QCOMPARE(overview, tabs->indexOf(child<QWidget>("tab_trend")) + 1);
    QVERIFY(!tabs->tabText(overview).isEmpty());
    QCOMPARE(window->findChildren<PackTile *>().size(), 1);
    QVERIFY(tile(1));
    // The scan needs an open line.
    QVERIFY(!child<QPushButton>("overview_scan")->isEnabled());
    QVERIFY(!child<QPushButton>("overview_scan_stop")->isEnabled());

    // With one pack its replies are the pack's whatever address they carry, as ever; the log
    // gets each once.
    child<QPushButton>("btn_log")->click();
    Reply r = reply(7, 52000, 1000, 50, { 3300, 3310 });
    send(r);
    QVERIFY(tile(1)->hasData());
    QVERIFY(!tile(7));
    QCOMPARE(child<QTableView>("data_view")->model()->rowCount(), 1);
    // The one tile follows the address box.
    child<QSpinBox>("DeviceID")->setValue(4);
    QCOMPARE(window->findChildren<PackTile *>().size(), 1);
    QVERIFY(tile(4));
}

void TestOverviewPage::scanFoundPacksBecomeThePollList()
{
    child<QSpinBox>("DeviceID")->setValue(9);
    scanFinds({ 2, 5, 9 });
    BoardSession *session = window->boardSession();
    QCOMPARE(session->addresses(), QVector<int>({ 2, 5, 9 }));
    QCOMPARE(window->findChildren<PackTile *>().size(), 3);
    // The focus stays on a pack found.
    QCOMPARE(session->address(), 9);

    // A focus not found moves to the first pack found; a scan that was stopped or found
    // nothing leaves the list.
    scanFinds({ 3, 4 });
    QCOMPARE(session->address(), 3);
    QCOMPARE(child<QSpinBox>("DeviceID")->value(), 3);
    emit session->scanFinished({ 6 }, true);
    scanFinds({});
    QCOMPARE(session->addresses(), QVector<int>({ 3, 4 }));
    QVERIFY(!child<QLabel>("overview_scan_state")->text().isEmpty());

    // Given at the start, the list is polled.
    auto second = std::make_unique<MainWindow>();
    StartOptions options;
    options.packs = QVector<int>{ 4, 8 };
    second->applyStartOptions(options);
    QCOMPARE(second->boardSession()->addresses(), QVector<int>({ 4, 8 }));
    QCOMPARE(second->boardSession()->address(), 4);
    QCOMPARE(second->findChildren<PackTile *>().size(), 2);
}

void TestOverviewPage::repliesReachTheirOwnTileOnly()
{
    scanFinds({ 1, 2, 3, 4 });
    child<QPushButton>("btn_log")->click();
    auto *tabs = child<QTabWidget>("tab_widget");
    tabs->setCurrentWidget(child<QWidget>("tab_overview"));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    drainEvents();

    PaintCounter counter;
    for (int address = 1; address <= 4; ++address)
        tile(address)->installEventFilter(&counter);
    const int lcd = child<QLCDNumber>("cadc")->intValue();
    send(reply(2, 51234, -4200, 61, { 3301, 3299, 3320 }, 2));
    drainEvents();

    QVERIFY(tile(2)->hasData());
    QCOMPARE(tile(2)->pack().voltageMv, 51234);
    QCOMPARE(tile(2)->pack().lowestCell, 2);
    QCOMPARE(tile(2)->pack().highestCell, 3);
    for (int other : { 1, 3, 4 })
        QVERIFY(!tile(other)->hasData());
    // Only its tile is painted again, a moment later with whatever else came meanwhile.
    QCOMPARE(counter.paints.value(tile(2)), 0);
    QTRY_COMPARE(counter.paints.value(tile(2)), 1);
    drainEvents();
    for (int other : { 1, 3, 4 })
        QCOMPARE(counter.paints.value(tile(other)), 0);
    // Every pack's rows go to the log once, with its address; the main page shows only the
    // pack in focus.
    send(reply(3, 50000, 0, 40, { 3200 }));
    QCOMPARE(inFront(child<QLCDNumber>("cadc"))->intValue(), lcd);
    send(reply(1, 50000, 1234, 40, { 3200 }));
    QTRY_COMPARE(inFront(child<QLCDNumber>("cadc"))->intValue(), 1234);
    QAbstractItemModel *log = inFront(child<QTableView>("data_view"))->model();
    QCOMPARE(log->rowCount(), 3);
    QCOMPARE(log->index(0, 2).data().toInt(), 2);
    QCOMPARE(log->index(1, 2).data().toInt(), 3);
    QCOMPARE(log->index(2, 2).data().toInt(), 1);

    // A board given another battery number keeps the tile of its address, which names it.
    Reply numbered = reply(4, 50000, 0, 40, { 3200 });
    numbered.values.batteryNumber = 9;
    send(numbered);
    QCOMPARE(tile(4)->lines().first(), QStringLiteral("电池包 04 · 编号 9"));
    QCOMPARE(tile(2)->lines().first(), QStringLiteral("电池包 02"));
}

void TestOverviewPage::bankLineAddsUpTheAnsweringPacks()
{
    scanFinds({ 1, 2, 3 });
    auto *bank = child<QLabel>("overview_bank");
    QCOMPARE(bank->text(), QStringLiteral("电池组：没有电池包在应答"));
    // 52 V at 10 A, 51 V at 5 A discharging (sent as its magnitude): 5 A, 265 W. Pack 2 does
    // not say how many cells it has: those up to the last nonzero count.
    send(reply(1, 52000, 10000, 80, { 3300, 3250, 3310 }));
    send(reply(2, 51000, 5000, 61, { 3260, 3200, 3290, 0 }, 2, 0));
    window->findChild<OverviewPage *>()->showReplies();
    QCOMPARE(bank->text(),
             QStringLiteral("电池组（2/3 个电池包在应答）：电流 5.00 A · 功率 265 W · 平均 SOC "
                            "70.5 % · 最低电芯 3200 mV（电池包 02 #2）"));
    QCOMPARE(tile(2)->lines().at(3), QStringLiteral("放电 5.00 A"));
    QCOMPARE(tile(2)->lines().at(4), QStringLiteral("最低 3200 mV #2   最高 3290 mV #3"));
}

void TestOverviewPage::silentPackIsGreyedUntilItAnswers()
{
    scanFinds({ 1, 2 });
    auto *overview = window->findChild<OverviewPage *>();
    const int period = window->boardSession()->period();
    send(reply(1, 52000, 0, 80, { 3300 }));
    send(reply(2, 52000, 1000, 60, { 3280 }));
    now = 3 * period;
    overview->checkSilence();
    QVERIFY(!tile(1)->isGreyed());

    now = 3 * period + 1;
    send(reply(2, 52000, 1000, 60, { 3280 }));
    overview->checkSilence();
    QVERIFY(tile(1)->isGreyed());
    QVERIFY(!tile(2)->isGreyed());
    QVERIFY2(tile(1)->lines().last().startsWith(QStringLiteral("%1 s 无应答").arg(now / 1000)),
             qPrintable(tile(1)->lines().last()));
    // Its last values stay, out of the bank's figures.
    QCOMPARE(tile(1)->pack().soc, 80);
    QVERIFY(child<QLabel>("overview_bank")->text().contains(QStringLiteral("1/2")));

    send(reply(1, 52000, 0, 81, { 3300 }));
    QVERIFY(!tile(1)->isGreyed());
    overview->showReplies();
    QVERIFY(child<QLabel>("overview_bank")->text().contains(QStringLiteral("2/2")));

    // A cycle longer than the period asks each pack once a cycle: silence is judged on that,
    // and the line says the cycle does not fit.
    auto *cycle = child<QLabel>("overview_cycle");
    const int cycleMs = 4 * period;
    emit window->boardSession()->cycleDone(cycleMs, true);
    QVERIFY(cycle->text().contains(QString::number(cycleMs)));
    QVERIFY(cycle->styleSheet().contains(QStringLiteral("#ffb300")));
    const qint64 answered = now;
    now = answered + 3 * cycleMs;
    overview->checkSilence();
    QVERIFY(!tile(1)->isGreyed());
    now = answered + 3 * cycleMs + 1;
    overview->checkSilence();
    QVERIFY(tile(1)->isGreyed());
    emit window->boardSession()->cycleDone(period / 2, false);
    QVERIFY(cycle->styleSheet().isEmpty());
    QVERIFY(cycle->text().contains(QString::number(period / 2)));
}

void TestOverviewPage::clickOnATileSetsTheFocus()
{
    scanFinds({ 1, 2, 3 });
    send(reply(3, 50000, -1500, 40, { 3200 }, 2));
    send(reply(2, 51000, 2500, 70, { 3300 }));
    QTest::mouseClick(tile(3), Qt::LeftButton);
    QCOMPARE(child<QSpinBox>("DeviceID")->value(), 3);
    QCOMPARE(window->boardSession()->address(), 3);
    // The main page shows that pack's last reply at once, the trends page the pack's own trend.
    QCOMPARE(child<QLCDNumber>("cadc")->intValue(), -1500);
    QCOMPARE(window->currentStartOptions().address, 3);
    const TrendBuffer *trend = child<TrendView>("trend_view")->buffer();
    QCOMPARE(trend->size(), 1);
    QCOMPARE(trend->valueAt(TrendBuffer::PackVoltage, 0), 50000);
    QCOMPARE(child<QLabel>("trend_source")->text(),
             QStringLiteral("本次运行的实时数据：电池包 03"));
    // Its next replies reach the main page and its trend; the others' only their trends.
    send(reply(3, 50100, -1400, 40, { 3200 }, 2));
    send(reply(2, 51100, 2500, 70, { 3300 }));
    QCOMPARE(child<QLCDNumber>("cadc")->intValue(), -1400);
    QCOMPARE(trend->size(), 2);
    QCOMPARE(trend->valueAt(TrendBuffer::PackVoltage, 1), 50100);
}

void TestOverviewPage::keyboardReachesAndChoosesTiles()
{
    // Tiles made in another order than the poll list's: Tab still goes in poll order.
    scanFinds({ 5, 2 });
    scanFinds({ 2, 5, 9, 1, 3, 4, 6, 7 });
    auto *tabs = child<QTabWidget>("tab_widget");
    tabs->setCurrentWidget(child<QWidget>("tab_overview"));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    drainEvents();

    // From the tabs, Tab passes the scan's controls and reaches the first tile.
    tabs->tabBar()->setFocus(Qt::TabFocusReason);
    QStringList passed;
    for (int i = 0; i < 10 && !qobject_cast<PackTile *>(QApplication::focusWidget()); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        passed << QApplication::focusWidget()->objectName();
    }
    QVERIFY2(QApplication::focusWidget() == tile(2), qPrintable(passed.join(QLatin1Char(' '))));
    QVERIFY(tile(2)->showsKeyboardRing());
    QVector<int> order{ 2 };
    for (int i = 1; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << qobject_cast<PackTile *>(QApplication::focusWidget())->address();
    }
    QCOMPARE(order, (QVector<int>{ 2, 5, 9, 1, 3, 4, 6, 7 }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // and on out of the tiles
    QVERIFY(!qobject_cast<PackTile *>(QApplication::focusWidget()));

    // The arrows go by the tiles' places: four side by side in this window.
    const auto focused = [] { return qobject_cast<PackTile *>(QApplication::focusWidget()); };
    const int inFocus = window->boardSession()->address();
    tile(2)->setFocus(Qt::TabFocusReason);
    const struct
    {
        Qt::Key key;
        int address;
    } steps[] = {
        { Qt::Key_Right, 5 }, { Qt::Key_Down, 4 }, { Qt::Key_Right, 6 }, { Qt::Key_Down, 6 },
        { Qt::Key_Up, 9 },    { Qt::Key_Left, 5 }, { Qt::Key_End, 7 },   { Qt::Key_Right, 7 },
        { Qt::Key_Home, 2 },  { Qt::Key_Left, 2 }, { Qt::Key_Up, 2 },
    };
    QCOMPARE(window->findChild<OverviewPage *>()->tile(1)->y(), tile(2)->y());
    QVERIFY(tile(3)->y() > tile(2)->y());
    for (const auto &step : steps) {
        QTest::keyClick(focused(), step.key);
        QVERIFY2(focused() && focused()->address() == step.address,
                 qPrintable(QStringLiteral("key %1").arg(step.key, 0, 16)));
        QVERIFY(focused()->showsKeyboardRing());
    }
    QCOMPARE(window->boardSession()->address(), inFocus); // moving chooses nothing

    // Enter or Space chooses the pack, as a click does; the Pack box follows.
    tile(3)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tile(3), Qt::Key_Return);
    QCOMPARE(window->boardSession()->address(), 3);
    QCOMPARE(child<QSpinBox>("DeviceID")->value(), 3);
    QVERIFY(tile(3)->isFocused() && !tile(2)->isFocused());
    QTest::keyClick(tile(3), Qt::Key_Right);
    QTest::keyClick(focused(), Qt::Key_Space);
    QCOMPARE(window->boardSession()->address(), 4);
    QTest::keyClick(focused(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(window->boardSession()->address(), 4);

    // A click chooses and takes the keyboard without the ring; a key brings it back.
    QTest::mouseClick(tile(6), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), tile(6));
    QCOMPARE(window->boardSession()->address(), 6);
    QVERIFY(!tile(6)->showsKeyboardRing());
    QTest::keyClick(tile(6), Qt::Key_Left);
    QCOMPARE(focused(), tile(4));
    QVERIFY(tile(4)->showsKeyboardRing());
}

void TestOverviewPage::pagesNameThePackInFocus()
{
    auto *tabs = child<QTabWidget>("tab_widget");
    auto *name = child<QLabel>("focus_pack");
    QCOMPARE(tabs->cornerWidget(Qt::TopRightCorner), name);
    QCOMPARE(name->text(), QStringLiteral("电池包 01"));
    child<QSpinBox>("DeviceID")->setValue(12);
    QCOMPARE(name->text(), QStringLiteral("电池包 12"));

    // On a bus it follows the focus, names a battery number that is not the address, and
    // shows over the pages of one pack only: the main page, the details, the parameters.
    scanFinds({ 2, 3 });
    Reply numbered = reply(3, 50000, 0, 40, { 3200 });
    numbered.values.batteryNumber = 7;
    send(numbered);
    QCOMPARE(name->text(), QStringLiteral("电池包 02"));
    QTest::mouseClick(tile(3), Qt::LeftButton);
    QCOMPARE(name->text(), QStringLiteral("电池包 03 · 编号 7"));
    QTest::mouseClick(tile(2), Qt::LeftButton);
    QCOMPARE(name->text(), QStringLiteral("电池包 02"));
    const QStringList named{ "maininfo", "tab_3", "tab_2" };
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QCOMPARE(name->isVisibleTo(tabs), named.contains(tabs->widget(i)->objectName()));
    }

    // In the language chosen.
    tabs->setCurrentWidget(child<QWidget>("tab_2"));
    child<QComboBox>("lang")->setCurrentIndex(2);
    QCOMPARE(name->text(), QStringLiteral("Pack 02"));
    QVERIFY(!name->toolTip().isEmpty());
    child<QComboBox>("lang")->setCurrentIndex(0);
}

void TestOverviewPage::tabsShowWhereTheKeyboardIs()
{
    // The chosen tab looks otherwise while the tabs have the keyboard, on the main tabs and on
    // the parameter pages' own.
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto *tabs = child<QTabWidget>("tab_widget");
    tabs->setCurrentWidget(child<QWidget>("tab_2"));
    for (QTabWidget *widget : { tabs, child<QTabWidget>("tabWidget") }) {
        QTabBar *bar = widget->tabBar();
        child<QSpinBox>("spinBox")->setFocus(Qt::TabFocusReason);
        drainEvents();
        const QImage without = bar->grab().toImage();
        bar->setFocus(Qt::TabFocusReason);
        drainEvents();
        QVERIFY(bar->hasFocus());
        const QImage with = bar->grab().toImage();
        QCOMPARE(with.size(), without.size()); // no tab moves
        QVERIFY(with != without);
        // Left and right go from tab to tab with the keyboard.
        const int index = widget->currentIndex();
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(widget->currentIndex(), index + 1);
        QTest::keyClick(bar, Qt::Key_Left);
        QCOMPARE(widget->currentIndex(), index);
    }
}

void TestOverviewPage::cycleLineNamesPacksWithoutData()
{
    // The status line speaks for the pack in focus; the cycle line for every pack, each cycle.
    scanFinds({ 1, 2, 3, 4, 5, 6, 7 });
    BoardSession *session = window->boardSession();
    auto *cycle = child<QLabel>("overview_cycle");
    using U = BoardSession::Unanswered;
    emit session->pollUnanswered(3, U::NoReply);
    emit session->pollUnanswered(2, U::BadReply);
    emit session->pollUnanswered(3, U::NoReply);
    emit session->cycleDone(200, false);
    QVERIFY2(cycle->text().endsWith(QStringLiteral(" · 无数据：02, 03")),
             qPrintable(cycle->text()));
    QVERIFY(cycle->styleSheet().contains(QStringLiteral("#ffb300")));
    for (int address : { 7, 6, 5, 4, 1 })
        emit session->pollUnanswered(address, U::NotSent);
    emit session->cycleDone(200, false);
    QVERIFY2(cycle->text().endsWith(QStringLiteral(" · 无数据：01, 04, 05, 06, …")),
             qPrintable(cycle->text()));
    // A cycle in which every pack answered says nothing more.
    emit session->cycleDone(200, false);
    QCOMPARE(cycle->text(), QStringLiteral("一轮 200 ms（周期 %1 ms）").arg(session->period()));
    QVERIFY(cycle->styleSheet().isEmpty());
}

void TestOverviewPage::sixteenTilesFitWithoutScrolling()
{
    QVector<int> packs;
    for (int address = 1; address <= 16; ++address)
        packs << address;
    scanFinds(packs);
    // Pack 6 stopped answering a while ago; pack 11 has a protection active, pack 3 an alarm.
    for (int address : QVector<int>{ 6 } + packs) {
        if (address != 6)
            now = 12000;
        else if (now > 0)
            continue;
        Reply r = reply(address, 52000 + 10 * address, 1000 * (address - 8), 50 + address,
                        { 3300, 3290 + address, 3310 }, address < 8 ? 2 : 1);
        r.record.sys_statu = address == 11 ? 7 : 0;
        r.record.alrt_statu = address == 3 ? 2 : 0;
        send(r);
    }
    window->findChild<OverviewPage *>()->showReplies();
    window->findChild<OverviewPage *>()->checkSilence();
    QVERIFY(tile(6)->isGreyed());
    QVERIFY(!tile(7)->isGreyed());
    child<QTabWidget>("tab_widget")->setCurrentWidget(child<QWidget>("tab_overview"));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    drainEvents();
    // A picture of the page for those who want one.
    const QString picture = qEnvironmentVariable("ARVEX_OVERVIEW_PICTURE");
    if (!picture.isEmpty())
        QVERIFY(window->grab().save(picture));
    auto *scroll = child<QScrollArea>("overview_scroll");
    QVERIFY(!scroll->verticalScrollBar()->isVisible());
    const QRect area = scroll->viewport()->rect();
    for (int address : packs) {
        const QRect place(tile(address)->mapTo(scroll->viewport(), QPoint()),
                          tile(address)->size());
        QVERIFY2(area.contains(place), qPrintable(QString::number(address)));
        QVERIFY(tile(address)->width() >= 300);
    }
}

QTEST_MAIN(TestOverviewPage)
#include "tst_overviewpage.moc"
