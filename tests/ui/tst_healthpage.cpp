// The cell health page: a hidden page takes nothing from the replies and is brought up to date
// when shown, a shown one follows them a few times a second, and a recording opened from disk is
// judged the same way in place of the live figures.
#include "datalog.h"
#include "filedialogs.h"
#include "healthpage.h"
#include "healthview.h"
#include "messages.h"
#include "packanalyses.h"
#include "telemetry.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int Cells = 16;

// A reply of a pack on a load pulsing between 40 A and 10 A, cell 7 at 2.5 times the others'
// resistance.
cell pulse(int i)
{
    cell r;
    const int ma = i % 2 ? -40000 : -10000;
    r.cadc = ma;
    r.job_statu = 2;
    for (int k = 0; k < Cells; ++k)
        r.cell[k] = 3300 + int(std::lround(ma * (k == 6 ? 0.75 : 0.3) / 1000.0));
    return r;
}

} // namespace

class TestHealthPage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        now = 0;
        tabs = std::make_unique<QTabWidget>();
        other = new QWidget;
        tabs->addTab(other, QStringLiteral("other"));
        analyses = std::make_unique<PackAnalyses>([this] { return now; });
        page = new HealthPage(
            tabs.get(), analyses.get(), [] { return 1; }, [this] { return folder.path(); },
            [] { return QLocale::c(); });
        tabs->resize(1000, 600);
        tabs->show();
    }
    void cleanup()
    {
        tabs.reset();
        analyses.reset();
    }

    void followsTheRepliesOnlyWhileShown();
    void recordingJudgedAtTheDesk();

private:
    void feed(int replies, int from = 0)
    {
        RealTimeReply values;
        values.cellsInSeries = Cells;
        for (int i = from; i < from + replies; ++i) {
            now += 1000;
            analyses->reply(1, values, pulse(i));
        }
    }

    QTemporaryDir folder;
    qint64 now = 0;
    std::unique_ptr<QTabWidget> tabs;
    QWidget *other = nullptr;
    std::unique_ptr<PackAnalyses> analyses;
    HealthPage *page = nullptr;
};

void TestHealthPage::followsTheRepliesOnlyWhileShown()
{
    HealthView *view = page->view();
    QCOMPARE(view->message(), QStringLiteral("电流阶跃尚不足"));
    feed(20);
    QCOMPARE(view->result().cells, 0); // hidden: untouched
    tabs->setCurrentWidget(page->page());
    QCOMPARE(view->result().weakCell, 7);
    QVERIFY(view->message().isEmpty());
    QVERIFY(page->summary().contains(QStringLiteral("电芯 7")));
    QVERIFY(page->source().endsWith(QStringLiteral("01")));

    // Shown: the replies reach it within the repaint interval, not one by one.
    const qint64 steps = view->result().steps;
    feed(4, 20);
    QCOMPARE(view->result().steps, steps);
    QTRY_COMPARE_WITH_TIMEOUT(view->result().steps, steps + 4, 5 * HealthPage::RepaintMs);
    // Hidden again: nothing until it is shown.
    tabs->setCurrentWidget(other);
    feed(4, 24);
    QCOMPARE(view->result().steps, steps + 4);
    tabs->setCurrentWidget(page->page());
    QCOMPARE(view->result().steps, steps + 8);
}

void TestHealthPage::recordingJudgedAtTheDesk()
{
    tabs->setCurrentWidget(page->page());
    // A recording of a pack with a weak cell 7.
    const QString path = folder.filePath("pack01.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(DataLog::csvHeader());
    char line[DataLog::MaxCsvLine];
    const QDateTime start(QDate(2026, 12, 8), QTime(9, 0));
    for (int i = 0; i < 30; ++i) {
        cell r = pulse(i);
        r.id = 1;
        file.write(line, DataLog::formatCsvLine(DataLog::toRow(r, start.addSecs(i)), line));
    }
    file.close();

    Messages::Recorder boxes;
    FileDialogs::Answerer answer(path);
    page->openRecording();
    QVERIFY(boxes.entries().isEmpty());
    QVERIFY(page->showsRecording());
    QCOMPARE(page->view()->result().weakCell, 7);
    QVERIFY(page->source().contains(QStringLiteral("pack01.csv")));
    QVERIFY(page->page()->findChild<QPushButton *>("health_live")->isEnabled());
    // Live replies do not replace it (the first steps teach the period).
    feed(10);
    page->refresh();
    QCOMPARE(page->view()->result().steps, qint64(27));

    // Back to the live pack.
    page->showLive();
    QCOMPARE(page->view()->result().steps, analyses->pack(1).health.result().steps);
    QVERIFY(!page->page()->findChild<QPushButton *>("health_live")->isEnabled());

    // A file that is not a log: said, and what was shown stays.
    QFile bad(folder.filePath("bad.csv"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not,a,log\n");
    bad.close();
    answer.setAnswer(bad.fileName());
    page->openRecording();
    QCOMPARE(boxes.entries().size(), 1);
    QVERIFY(boxes.entries().first().text.contains(QStringLiteral("bad.csv")));
    QVERIFY(!page->showsRecording());
}

QTEST_MAIN(TestHealthPage)
#include "tst_healthpage.moc"
