// The events page: events from the owner's news, newest first, an end updating its row; filters;
// the tab's count of what is ongoing; a page behind that catches up when shown; the packs' files
// written with each change, read back at start, and opened in place of the live list.
#include "datalog.h"
#include "drainevents.h"
#include "eventfile.h"
#include "eventsmodel.h"
#include "eventspage.h"
#include "filedialogs.h"
#include "packanalyses.h"
#include "telemetry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int Cells = 16;
const qint64 T0 = 1796700000000; // a day in 2026, in epoch milliseconds

// A quiet reply; protection: the board's protection code, cell 7 at highMv.
cell reply(int protection = 0, int highMv = 3400)
{
    cell r;
    r.sys_statu = protection;
    for (int k = 0; k < Cells; ++k)
        r.cell[k] = k == 6 ? highMv : 3300;
    return r;
}

PackEvent made(qint64 id, int address, PackEvent::Kind kind, qint64 start, qint64 end = -1)
{
    PackEvent e;
    e.id = id;
    e.address = address;
    e.kind = kind;
    e.code = kind == PackEvent::Protection ? 5 : 0;
    e.key = EventNames::key(kind, e.code);
    e.startMs = start;
    e.endMs = end;
    return e;
}

} // namespace

class TestEventsPage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        now = T0;
        QVERIFY(folder.isValid());
        recordings = folder.filePath(QStringLiteral("recordings-%1").arg(++run));
        tabs = std::make_unique<QTabWidget>();
        other = new QWidget;
        tabs->addTab(other, QStringLiteral("other"));
        analyses = std::make_unique<PackAnalyses>([this] { return now; });
        page = new EventsPage(tabs.get(), analyses.get(), [this] { return recordings; });
        tabs->resize(1200, 600);
        tabs->show();
    }
    void cleanup()
    {
        tabs.reset();
        analyses.reset();
    }

    void protectionFromRepliesStartsAndEndsItsRow();
    void behindTheModelKeepsUpAndTheViewFollowsOnShow();
    void filtersByPackKindAndOngoing();
    void loadsTheNewestFromTheFolderAndSaysWhatItRefused();
    void opensAnEventsFileAndGoesBackToLive();
    void aFolderThatCannotBeWrittenIsSaidOnce();
    void selectingAnEventClearsAFilterThatHidesIt();

private:
    void feed(const cell &record)
    {
        RealTimeReply values;
        values.cellsInSeries = Cells;
        values.chargeMos = 1;
        values.dischargeMos = 1;
        now += 1000;
        analyses->reply(1, values, record);
        drainEvents(); // as after a reply in the window
    }
    void tell(const PackEvent &change)
    {
        emit analyses->eventChanged(change);
        drainEvents();
    }
    QString tabText() const { return tabs->tabText(tabs->indexOf(page->page())); }
    QStringList row(int r) const
    {
        QStringList texts;
        const QAbstractItemModel *model = page->table()->model();
        for (int c = 0; c < EventsModel::ColumnCount; ++c)
            texts << model->index(r, c).data().toString();
        return texts;
    }

    QTemporaryDir folder;
    QString recordings;
    int run = 0;
    qint64 now = 0;
    std::unique_ptr<QTabWidget> tabs;
    QWidget *other = nullptr;
    std::unique_ptr<PackAnalyses> analyses;
    EventsPage *page = nullptr;
};

void TestEventsPage::protectionFromRepliesStartsAndEndsItsRow()
{
    QCOMPARE(tabs->indexOf(page->page()), 1);
    tabs->setCurrentWidget(page->page());
    QCOMPARE(tabText(), QStringLiteral("事件"));
    feed(reply());
    feed(reply(5, 3651)); // cell over-voltage on cell 7
    QCOMPARE(page->table()->model()->rowCount(), 1);
    QStringList texts = row(0);
    QCOMPARE(texts.at(EventsModel::End), QStringLiteral("进行中"));
    QCOMPARE(texts.at(EventsModel::Pack), QStringLiteral("01"));
    QVERIFY2(texts.at(EventsModel::Where).contains(QLatin1Char('7')), qPrintable(texts.join('|')));
    QVERIFY2(texts.at(EventsModel::Value).contains(QStringLiteral("3,651")),
             qPrintable(texts.join('|')));
    QCOMPARE(tabText(), QStringLiteral("事件 (1)"));
    page->table()->selectRow(0);

    feed(reply(5, 3670)); // worse while it lasts
    feed(reply(0, 3400));
    QCOMPARE(page->table()->model()->rowCount(), 1);
    texts = row(0);
    QCOMPARE(texts.at(EventsModel::End),
             QDateTime::fromMSecsSinceEpoch(T0 + 4000).toString("yyyy-MM-dd HH:mm:ss"));
    QCOMPARE(texts.at(EventsModel::Duration), QStringLiteral("0:00:02"));
    QVERIFY2(texts.at(EventsModel::Value).contains(QStringLiteral("3,670")),
             qPrintable(texts.join('|')));
    QCOMPARE(tabText(), QStringLiteral("事件"));
    QCOMPARE(page->table()->currentIndex().row(), 0); // the selection stayed on it

    // A lost link comes on top: newest first.
    for (int i = 0; i < EventJournal::LinkMisses; ++i) {
        now += 1000;
        analyses->unanswered(1);
        drainEvents();
    }
    QCOMPARE(page->table()->model()->rowCount(), 2);
    QCOMPARE(page->liveModel()->event(0).kind, PackEvent::Link);
    QCOMPARE(page->liveModel()->event(1).kind, PackEvent::Protection);
    QCOMPARE(tabText(), QStringLiteral("事件 (1)"));

    // Each change went to the pack's file as it came; the link still goes on there.
    const EventFile::ReadBack back =
        EventFile::read(QDir(recordings).filePath(QStringLiteral("events-pack01.csv")));
    QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
    QCOMPARE(back.events.size(), 2);
    QCOMPARE(back.events.at(0).where, 7);
    QCOMPARE(back.events.at(0).worst, 3670);
    QCOMPARE(back.events.at(0).endMs, T0 + 4000);
    QCOMPARE(back.events.at(1).kind, PackEvent::Link);
    // Written without an end: read back as one whose end nobody saw.
    QVERIFY(back.events.at(1).endUnknown);

    // Watching stops: what goes on ends, said as such.
    analyses->stop();
    // The window closing: no loop runs again, what ended is written all the same.
    page->catchUp();
    const EventFile::ReadBack closed =
        EventFile::read(QDir(recordings).filePath(QStringLiteral("events-pack01.csv")));
    QCOMPARE(closed.events.size(), 2);
    QVERIFY(closed.events.at(1).endUnknown && closed.events.at(1).endMs > 0);
    QCOMPARE(tabText(), QStringLiteral("事件"));
    QVERIFY(row(0).at(EventsModel::End).endsWith(QStringLiteral(" ?")));
}

void TestEventsPage::behindTheModelKeepsUpAndTheViewFollowsOnShow()
{
    QTableView *table = page->table();
    tell(made(1, 1, PackEvent::Alarm, T0));
    // Behind: the tab counts, the view was told nothing.
    QCOMPARE(tabText(), QStringLiteral("事件 (1)"));
    QCOMPARE(table->model()->rowCount(), 0);
    QSignalSpy resets(table->model(), &QAbstractItemModel::modelReset);
    tell(made(1, 1, PackEvent::Alarm, T0, T0 + 5000));
    tell(made(2, 2, PackEvent::Link, T0 + 1000));
    QCOMPARE(resets.count(), 0);
    QCOMPARE(tabText(), QStringLiteral("事件 (1)"));

    tabs->setCurrentWidget(page->page());
    QCOMPARE(resets.count(), 1); // once for everything missed
    QCOMPARE(table->model()->rowCount(), 2);
    QCOMPARE(page->liveModel()->event(0).id, qint64(2));
    QCOMPARE(page->liveModel()->event(1).endMs, T0 + 5000);
    // A pack seen while behind is in the filter.
    QCOMPARE(page->page()->findChild<QComboBox *>("events_pack")->count(), 3);

    // Shown: a change is one row, not a reset.
    table->selectRow(1);
    QSignalSpy inserted(table->model(), &QAbstractItemModel::rowsInserted);
    tell(made(3, 1, PackEvent::Protection, T0 + 2000));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(resets.count(), 1);
    QCOMPARE(page->liveModel()->event(table->currentIndex().row()).id, qint64(1));

    // Behind again, and the selected event changes meanwhile: still selected when back.
    tabs->setCurrentWidget(other);
    tell(made(4, 2, PackEvent::Alarm, T0 + 3000));
    tabs->setCurrentWidget(page->page());
    QCOMPARE(table->model()->rowCount(), 4);
    QCOMPARE(page->liveModel()->event(table->currentIndex().row()).id, qint64(1));
}

void TestEventsPage::filtersByPackKindAndOngoing()
{
    tabs->setCurrentWidget(page->page());
    tell(made(1, 1, PackEvent::Protection, T0));
    tell(made(2, 2, PackEvent::Alarm, T0 + 1000));
    tell(made(3, 2, PackEvent::Protection, T0 + 2000));
    tell(made(1, 1, PackEvent::Protection, T0, T0 + 3000));
    // A link event is dated at its first unanswered poll: it goes below a later start.
    tell(made(4, 1, PackEvent::Link, T0 + 1500));

    auto *pack = page->page()->findChild<QComboBox *>("events_pack");
    auto *kind = page->page()->findChild<QComboBox *>("events_kind");
    auto *ongoing = page->page()->findChild<QCheckBox *>("events_ongoing");
    auto ids = [this] {
        QList<qint64> list;
        const EventsModel *model = page->shownModel();
        for (int r = 0; r < model->rowCount(); ++r)
            list << model->event(r).id;
        return list;
    };
    QCOMPARE(ids(), (QList<qint64>{ 3, 4, 2, 1 }));
    QCOMPARE(pack->count(), 3);
    pack->setCurrentIndex(pack->findData(2));
    QCOMPARE(ids(), (QList<qint64>{ 3, 2 }));
    kind->setCurrentIndex(kind->findData(int(PackEvent::Protection)));
    QCOMPARE(ids(), (QList<qint64>{ 3 }));
    pack->setCurrentIndex(0);
    QCOMPARE(ids(), (QList<qint64>{ 3, 1 }));
    ongoing->setChecked(true);
    QCOMPARE(ids(), (QList<qint64>{ 3 }));
    // Under a filter, an event that ends leaves it and one that starts joins it.
    tell(made(3, 2, PackEvent::Protection, T0 + 2000, T0 + 4000));
    tell(made(5, 3, PackEvent::Protection, T0 + 5000));
    tell(made(6, 3, PackEvent::Alarm, T0 + 6000));
    QCOMPARE(ids(), (QList<qint64>{ 5 }));
    QCOMPARE(pack->count(), 4);
    ongoing->setChecked(false);
    kind->setCurrentIndex(0);
    QCOMPARE(ids(), (QList<qint64>{ 6, 5, 3, 4, 2, 1 }));

    // The filters, the buttons and the table are reached with Tab, in the order they stand.
    tabs->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(tabs.get()));
    pack->setFocus();
    QWidget *expected[] = { kind, ongoing, page->page()->findChild<QPushButton *>("events_open"),
                            page->table() };
    for (QWidget *next : expected) {
        if (!next->isEnabled())
            continue;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QTest::keyClick(page->table(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), page->page()->findChild<QCheckBox *>("events_notify"));
}

void TestEventsPage::loadsTheNewestFromTheFolderAndSaysWhatItRefused()
{
    QVERIFY(QDir().mkpath(recordings));
    {
        // Pack 1 with more events than are shown at start, pack 2 with one still ongoing.
        EventFile one(recordings, 1);
        QVERIFY(one.isOpen());
        for (int i = 0; i < EventsPage::LoadedAtStart + 50; ++i) {
            const qint64 start = T0 + i * 10000;
            QVERIFY(one.append(made(i + 1, 1, PackEvent::Alarm, start)));
            QVERIFY(one.append(made(i + 1, 1, PackEvent::Alarm, start, start + 2000)));
        }
        EventFile two(recordings, 2);
        QVERIFY(two.append(made(7, 2, PackEvent::Protection, T0 + 5)));
    }
    QFile bad(QDir(recordings).filePath(QStringLiteral("events-pack03.csv")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("time,cell1,cell2\n1,2,3\n");
    bad.close();

    page->loadRecent();
    const EventsModel *model = page->liveModel();
    QCOMPARE(model->eventCount(), EventsPage::LoadedAtStart);
    QVERIFY(page->note().contains(QStringLiteral("events-pack03.csv")));
    QVERIFY(page->page()->findChild<QLabel *>("events_note")->isVisibleTo(page->page()));
    tabs->setCurrentWidget(page->page());
    // The newest first; pack 2's ongoing event is older than the thousand kept.
    QCOMPARE(model->event(0).startMs, T0 + (EventsPage::LoadedAtStart + 49) * 10000);
    QCOMPARE(model->event(model->rowCount() - 1).startMs, T0 + 50 * 10000);
    // Read back, nothing is ongoing now: the tab counts only what the owner reports.
    QCOMPARE(tabText(), QStringLiteral("事件"));
    // Live events join those read.
    tell(made(1, 1, PackEvent::Link, T0 + 99999999));
    QCOMPARE(model->rowCount(), EventsPage::LoadedAtStart + 1);
    QCOMPARE(model->event(0).id, qint64(1));
    QCOMPARE(tabText(), QStringLiteral("事件 (1)"));
}

void TestEventsPage::opensAnEventsFileAndGoesBackToLive()
{
    tabs->setCurrentWidget(page->page());
    tell(made(1, 1, PackEvent::Link, T0));
    const QString path = folder.filePath(QStringLiteral("elsewhere.csv"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(EventFile::header().trimmed() + '\n');
        file.write(EventFile::line(made(1, 4, PackEvent::Protection, T0 - 9000)));
        file.write(EventFile::line(made(1, 4, PackEvent::Protection, T0 - 9000, T0 - 8000)));
        file.write(EventFile::line(made(2, 5, PackEvent::Alarm, T0 - 7000)));
    }
    auto *live = page->page()->findChild<QPushButton *>("events_live");
    FileDialogs::Answerer answer(path);
    page->openFile();
    QVERIFY2(page->showsFile(), qPrintable(page->note()));
    QVERIFY(live->isEnabled());
    QCOMPARE(page->table()->model()->rowCount(), 2);
    QCOMPARE(page->shownModel()->event(0).address, 5);
    QVERIFY(page->source().contains(QStringLiteral("elsewhere.csv")));
    // The file's packs in the filter; live events go on in the background.
    QCOMPARE(page->page()->findChild<QComboBox *>("events_pack")->itemData(1).toInt(), 4);
    tell(made(2, 1, PackEvent::Alarm, T0 + 1000));
    QCOMPARE(page->table()->model()->rowCount(), 2);
    QCOMPARE(tabText(), QStringLiteral("事件 (2)"));

    // A recording is not an events file: said on the page, what is shown stays.
    const QString recording = folder.filePath(QStringLiteral("pack01.csv"));
    {
        QFile file(recording);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(DataLog::csvHeader());
    }
    answer.setAnswer(recording);
    page->openFile();
    QVERIFY(page->note().contains(QStringLiteral("pack01.csv")));
    QVERIFY(page->source().contains(QStringLiteral("elsewhere.csv")));
    QCOMPARE(page->table()->model()->rowCount(), 2);

    live->click();
    QVERIFY(!page->showsFile());
    QVERIFY(!live->isEnabled());
    QCOMPARE(page->table()->model()->rowCount(), 2);
    QCOMPARE(page->shownModel()->event(0).id, qint64(2));
}

void TestEventsPage::aFolderThatCannotBeWrittenIsSaidOnce()
{
    // A file stands where the folder should be.
    QFile blocker(recordings);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    tell(made(1, 1, PackEvent::Link, T0));
    const QString said = page->note();
    QVERIFY2(said.contains(QDir::toNativeSeparators(recordings)), qPrintable(said));
    tell(made(1, 1, PackEvent::Link, T0, T0 + 1000));
    tell(made(2, 1, PackEvent::Link, T0 + 2000));
    QCOMPARE(page->note(), said);
    // The events are shown all the same.
    tabs->setCurrentWidget(page->page());
    QCOMPARE(page->table()->model()->rowCount(), 2);
}

void TestEventsPage::selectingAnEventClearsAFilterThatHidesIt()
{
    tell(made(1, 1, PackEvent::Protection, T0));
    tell(made(2, 2, PackEvent::Link, T0 + 1000));
    tabs->setCurrentWidget(page->page());
    auto *pack = page->page()->findChild<QComboBox *>("events_pack");
    pack->setCurrentIndex(pack->findData(2));
    QCOMPARE(page->table()->model()->rowCount(), 1);
    QVERIFY(page->select(1));
    QCOMPARE(pack->currentIndex(), 0);
    QCOMPARE(page->shownModel()->event(page->table()->currentIndex().row()).id, qint64(1));
    QVERIFY(!page->select(99));
}

QTEST_MAIN(TestEventsPage)
#include "tst_eventspage.moc"
