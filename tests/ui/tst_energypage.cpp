// The energy books in the window: today's energy on the main page, the tiles and the bank line,
// the energy page's bars and totals, a recording's books as the meter computes them, and a
// damaged file of books said on the page while the window goes on.
#include "datalog.h"
#include "energybooks.h"
#include "energypage.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "packtile.h"

#include <QComboBox>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtTest>

#include <memory>

using namespace QtCharts;

namespace {

cell record(int address, int totalMv, int currentMa, int job)
{
    cell r;
    r.id = address;
    r.totalv = totalMv;
    r.cadc = currentMa;
    r.job_statu = job;
    r.cell[0] = 3300;
    return r;
}

} // namespace

class TestEnergyPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void todayOnTheMainPageTilesAndBank();
    void recordingShowsItsOwnBooks();
    void damagedBooksAreSaidOnThePage();

private:
    template<typename T>
    T *child(const char *name)
    {
        return namedChild<T>(window.get(), name);
    }
    void send(int address, const cell &r)
    {
        BoardSession *session = window->boardSession();
        RealTimeReply values;
        values.cycleCount = 7;
        values.texts = { { "data_dsgceal", QStringLiteral("7") } };
        session->afe = r;
        emit session->realTimeRecord(values);
        emit session->packReply(address, values, session->afe);
    }
    void show(const char *page)
    {
        auto *tabs = child<QTabWidget>("tab_widget");
        tabs->setCurrentWidget(child<QWidget>(page));
    }

    QTemporaryDir config;
    std::unique_ptr<Messages::Recorder> recorder;
    std::unique_ptr<MainWindow> window;
};

void TestEnergyPage::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(config.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    qunsetenv("ARVEX_EXTRA_PORTS");
    recorder = std::make_unique<Messages::Recorder>();
}

void TestEnergyPage::init()
{
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
    window = std::make_unique<MainWindow>();
}

void TestEnergyPage::cleanup()
{
    window.reset();
    QVERIFY(recorder->entries().isEmpty()); // nothing here asks or warns with a box
}

void TestEnergyPage::todayOnTheMainPageTilesAndBank()
{
    auto *tabs = child<QTabWidget>("tab_widget");
    // Its own page, before the log.
    QCOMPARE(tabs->indexOf(child<QWidget>("tab_energy")) + 1,
             tabs->indexOf(child<QWidget>("tab_5")));
    show("maininfo");
    send(1, record(1, 52000, 20000, 1));
    QTest::qWait(20);
    send(1, record(1, 52000, 20000, 1));
    QTRY_VERIFY(child<QLabel>("energy_today")->text().contains("kWh"));

    show("tab_overview");
    QTRY_VERIFY(window->findChild<PackTile *>("overview_pack_01")->footer().contains("kWh"));
    QVERIFY(child<QLabel>("overview_bank")->text().contains("kWh"));

    show("tab_energy");
    auto *which = child<QComboBox>("energy_pack");
    QCOMPARE(which->count(), 2); // the bank, the pack
    which->setCurrentIndex(1);
    auto *chart = child<QChartView>("energy_chart");
    const auto *days =
        qobject_cast<QBarCategoryAxis *>(chart->chart()->axes(Qt::Horizontal).first());
    QCOMPARE(days->count(), EnergyPage::DaysShown);
    QVERIFY(child<QLabel>("energy_totals")->text().contains("kWh"));
    // Without a parameter block the capacity is unknown; the board's own count beside it.
    QVERIFY(child<QLabel>("energy_cycles")->text().contains("7"));
}

void TestEnergyPage::recordingShowsItsOwnBooks()
{
    // Two packs, one reply a second for a minute: pack 1 charging 36 A, pack 2 discharging 18 A
    // sent as its magnitude.
    QTemporaryDir dir;
    const QString path = dir.filePath("recording.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(DataLog::csvHeader());
    const QDateTime start(QDate(2026, 11, 3), QTime(10, 0));
    char line[DataLog::MaxCsvLine];
    for (int s = 0; s <= 60; ++s) {
        for (const cell &r : { record(1, 50000, 36000, 1), record(2, 50000, 18000, 2) }) {
            const int n = DataLog::formatCsvLine(DataLog::toRow(r, start.addSecs(s)), line);
            file.write(line, n);
        }
    }
    file.close();

    show("tab_energy");
    auto *page = window->findChild<EnergyPage *>();
    QVERIFY(page);
    QVERIFY(page->openRecording(path));
    auto *which = child<QComboBox>("energy_pack");
    QCOMPARE(which->count(), 3);
    which->setCurrentIndex(0); // the bank: in 0.6 Ah, out 0.3 Ah
    const QString totals = child<QLabel>("energy_totals")->text();
    QVERIFY2(totals.contains("0.60 Ah") && totals.contains("0.30 Ah"), qPrintable(totals));
    // The bars end on the recording's day with its energy: 30 Wh in, 15 Wh out.
    auto *chart = child<QChartView>("energy_chart");
    const auto sets = qobject_cast<QBarSeries *>(chart->chart()->series().first())->barSets();
    QCOMPARE(sets.at(0)->at(EnergyPage::DaysShown - 1), 0.03);
    QCOMPARE(sets.at(1)->at(EnergyPage::DaysShown - 1), 0.015);
    QVERIFY(child<QLabel>("energy_note")->text().contains("recording.csv"));

    page->showLive();
    QCOMPARE(child<QComboBox>("energy_pack")->count(), 1);
}

void TestEnergyPage::damagedBooksAreSaidOnThePage()
{
    window.reset();
    const QString folder =
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("energy");
    QVERIFY(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(EnergyBooks::fileName(QString(), 1));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{ not books");
    file.close();

    window = std::make_unique<MainWindow>();
    show("maininfo");
    send(1, record(1, 52000, 20000, 1));
    // Said on the page and beside today's energy, no box; the file kept aside; replies go on.
    QVERIFY(QFile::exists(path + ".bad"));
    QVERIFY(child<QLabel>("energy_note")->text().contains(".bad"));
    QVERIFY(child<QLabel>("energy_today")->toolTip().contains(".bad"));
    send(1, record(1, 52000, 20000, 1));
    QTRY_VERIFY(child<QLabel>("energy_today")->text().contains("kWh"));
    // At the end of the run the new books are kept.
    window.reset();
    QString why;
    QJsonObject books;
    QVERIFY2(EnergyBooks::read(path, QString(), 1, &books, &why), qPrintable(why));
}

QTEST_MAIN(TestEnergyPage)
#include "tst_energypage.moc"
