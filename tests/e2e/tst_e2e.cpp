// The window as a user drives it, with a real serial port on the simulated board's
// pseudo-terminal: open, poll, the link states, a board that goes away, the pages.
#include "csvreader.h"
#include "datalog.h"
#include "frame.h"
#include "isolatedsettings.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "simprocess.h"
#include "switchbutton.h"
#include "telemetry.h"

#include <QComboBox>
#include <QFile>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>
#include <memory>

namespace {
constexpr int WaitMs = 5000;
constexpr int PeriodMs = 300; // the fastest poll, so the cases run quickly

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}
} // namespace

class TestE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensPollsAndLocksTheTopBar();
    void lineFaultsShowTheirState_data();
    void lineFaultsShowTheirState();
    void splitRepliesAreHandedOnOnce();
    void boardThatQuitsClosesThePort();
    void writtenParameterReadsBack();
    void liveValuesAndAProtectionReachTheMainPage();
    void recordingReadsBackAsTheTable();

private:
    // Starts the board with these options and switches the port on in a new window.
    bool connectTo(const QStringList &boardOptions);
    int requestsSeen() const;

    template<typename T>
    T *child(const char *name) const
    {
        return namedChild<T>(window.get(), name);
    }

    std::unique_ptr<IsolatedSettings> settings; // logging records to a temporary folder
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Sim> sim;
    std::unique_ptr<Messages::Recorder> boxes;
    std::unique_ptr<MainWindow> window;
    QString link;
};

void TestE2e::initTestCase()
{
    settings = std::make_unique<IsolatedSettings>();
}

void TestE2e::init()
{
    dir = std::make_unique<QTemporaryDir>();
    link = dir->filePath(QStringLiteral("ttyARVEX"));
    qputenv("ARVEX_EXTRA_PORTS", QFile::encodeName(link));
    boxes = std::make_unique<Messages::Recorder>();
}

void TestE2e::cleanup()
{
    window.reset();
    sim.reset();
    boxes.reset();
    dir.reset();
}

bool TestE2e::connectTo(const QStringList &boardOptions)
{
    sim = std::make_unique<Sim>();
    if (!sim->start(QStringList{ "--link", link, "--log", dir->filePath("board.log") }
                    + boardOptions))
        return false;
    window = std::make_unique<MainWindow>();
    auto *ports = child<QComboBox>("portName");
    const int entry = ports->findText(link + QStringLiteral(" (virtual)"));
    if (entry < 0)
        return false;
    ports->setCurrentIndex(entry);
    child<QSpinBox>("spinBox")->setValue(PeriodMs);
    child<SwitchButton>("openCom")->SetActive(true);
    return child<SwitchButton>("openCom")->checked();
}

int TestE2e::requestsSeen() const
{
    QFile log(dir->filePath("board.log"));
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return log.readAll().count(" RX :Y+01+51=?~");
}

void TestE2e::opensPollsAndLocksTheTopBar()
{
    QElapsedTimer sinceOpen;
    sinceOpen.start();
    QVERIFY(connectTo({ "--static" }));
    auto *state = child<QLabel>("statu_opencom");
    QCOMPARE(state->text(), link + QStringLiteral(" OPENED, 9600, 8, NONE, 1, OFF"));
    QCOMPARE(state->styleSheet(), QStringLiteral("QLabel { color : green; }"));
    for (const char *name : { "portName", "bard", "DeviceID", "spinBox" })
        QVERIFY2(!child<QWidget>(name)->isEnabled(), name);

    // The first request goes out one period after the open, and its reply reads "Fine ".
    auto *status = child<QLabel>("statu_send");
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Fine "), WaitMs);
    QVERIFY2(sinceOpen.elapsed() >= PeriodMs - 20,
             qPrintable(QString::number(sinceOpen.elapsed())));
    QCOMPARE(status->styleSheet(), QStringLiteral("QLabel { color : green; }"));
    QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() >= 3, WaitMs);

    // Switched off: closed text, the top bar unlocked, no more requests.
    child<SwitchButton>("openCom")->SetActive(false);
    QCOMPARE(state->text(), link + QStringLiteral(" CLOSED"));
    QCOMPARE(state->styleSheet(), QStringLiteral("QLabel { color : red; }"));
    for (const char *name : { "portName", "bard", "DeviceID", "spinBox" })
        QVERIFY2(child<QWidget>(name)->isEnabled(), name);
    QVERIFY(boxes->entries().isEmpty());
}

void TestE2e::lineFaultsShowTheirState_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("polled"); // requests keep going out
    QTest::newRow("spoiled CRC") << QStringList{ "--bad-crc", "1" } << "CRC Error!"
                                 << "QLabel { color : red; }" << true;
    QTest::newRow("no answer") << QStringList{ "--drop", "1" } << "Timeout!"
                               << "QLabel { color : red; }" << true;
    QTest::newRow("late answer") << QStringList{ "--delay", "100" } << "Timeout!"
                                 << "QLabel { color : red; }" << true;
    // A line that is never quiet for 20 ms is never written to.
    QTest::newRow("chatter") << QStringList{ "--chatter" } << "Bus busy!"
                             << "QLabel { color : yellow; }" << false;
}

void TestE2e::lineFaultsShowTheirState()
{
    QFETCH(QStringList, options);
    QFETCH(QString, text);
    QVERIFY(connectTo(QStringList{ "--static" } + options));
    auto *status = child<QLabel>("statu_send");
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), text, WaitMs);
    QTEST(status->styleSheet(), "style");
    // Polling goes on: no retries, no disconnect, no box.
    QFETCH(bool, polled);
    if (polled) {
        const int before = requestsSeen();
        QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() >= before + 2, WaitMs);
    } else {
        QTest::qWait(3 * PeriodMs); // three ticks, none of which may send
        QCOMPARE(requestsSeen(), 0);
        QCOMPARE(status->text(), text);
    }
    QVERIFY(child<SwitchButton>("openCom")->checked());
    QVERIFY(boxes->entries().isEmpty());
}

void TestE2e::splitRepliesAreHandedOnOnce()
{
    QVERIFY(connectTo({ "--static", "--split" }));
    QSignalSpy blocks(window.get(), &MainWindow::dataReceived);
    QTRY_VERIFY_WITH_TIMEOUT(blocks.count() >= 3, WaitMs);
    for (const QList<QVariant> &block : qAsConst(blocks))
        QVERIFY(Frame::checkReply(block.first().toByteArray()).crcMatches);
    QCOMPARE(child<QLabel>("statu_send")->text(), QStringLiteral("Fine "));
}

void TestE2e::boardThatQuitsClosesThePort()
{
    QVERIFY(connectTo({ "--static" }));
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("statu_send")->text(), QStringLiteral("Fine "), WaitMs);

    // The board goes away with the port open: the device node and its link vanish.
    QVERIFY(sim->stop());
    auto *state = child<QLabel>("statu_opencom");
    QTRY_VERIFY_WITH_TIMEOUT(!child<SwitchButton>("openCom")->checked(), WaitMs);
    QCOMPARE(state->text(), link + QStringLiteral(" CLOSED"));
    QCOMPARE(state->styleSheet(), QStringLiteral("QLabel { color : red; }"));
    QVERIFY(child<QWidget>("portName")->isEnabled());
    QCOMPARE(child<QComboBox>("portName")->findText(link + QStringLiteral(" (virtual)")), -1);
    // A vanished device closes like an unplugged adapter: no box but the one about an empty
    // port list, and none twice.
    QSet<QString> seen;
    for (const Messages::Recorder::Entry &box : boxes->entries()) {
        QVERIFY2(!seen.contains(box.text), qPrintable(box.text));
        seen.insert(box.text);
    }
    QVERIFY(seen.isEmpty() || seen == QSet<QString>{ QStringLiteral("No free serial port found") });

    // And nothing spins once the line is gone. The watcher's own notice of the removal comes
    // within its one-second look and rebuilds the list once more; the quiet starts after it.
    QTest::qWait(1500);
    const double cpuBefore = processCpuSeconds();
    QTest::qWait(2000); // the span over which the CPU time is measured
    const double cpuSeconds = processCpuSeconds() - cpuBefore;
    qInfo("CPU over 2 s after the board quit: %.3f s", cpuSeconds);
    QVERIFY2(cpuSeconds < 0.5, qPrintable(QString::number(cpuSeconds)));
}

void TestE2e::writtenParameterReadsBack()
{
    QVERIFY(connectTo({ "--static" }));
    auto *field = child<QLineEdit>("conf_lv");
    auto *lamp = child<QLabel>("statu_read");

    // Typed and applied, then read back: the field shows what the board now holds.
    field->setText(QStringLiteral("3000"));
    child<QPushButton>("conf_lv_btn")->click();
    field->clear();
    child<QPushButton>("conf_read")->click();
    QTRY_COMPARE_WITH_TIMEOUT(field->text(), QStringLiteral("3000"), WaitMs);
    QCOMPARE(lamp->pixmap(Qt::ReturnByValue).toImage(),
             QPixmap(":/asset/assert/Pas.png").toImage());

    // Out of range: the field turns yellow, a warning, and nothing goes to the board.
    QFile log(dir->filePath("board.log"));
    const auto writes = [&log] {
        log.open(QIODevice::ReadOnly);
        const int n = log.readAll().count(" RX :W+");
        log.close();
        return n;
    };
    QCOMPARE(writes(), 1);
    field->setText(QStringLiteral("5000"));
    child<QPushButton>("conf_lv_btn")->click();
    QCOMPARE(boxes->entries().size(), 1);
    QCOMPARE(boxes->entries().first().kind, Messages::Kind::Warning);
    const int seen = requestsSeen();
    QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() >= seen + 2, WaitMs);
    QCOMPARE(writes(), 1);
}

void TestE2e::liveValuesAndAProtectionReachTheMainPage()
{
    QVERIFY(connectTo({ "--soc", "60", "--profile", "charge" }));
    QSignalSpy blocks(window.get(), &MainWindow::dataReceived);
    QTRY_VERIFY_WITH_TIMEOUT(blocks.count() >= 3, WaitMs);

    // The widgets show the last reply, decoded here on its own; the pack is charging at 60 %.
    const auto lastReply = [&blocks] {
        const Frame::ReplyCheck check = Frame::checkReply(blocks.last().first().toByteArray());
        cell record;
        decodeRealTime(check.addressText(), check.dataBlock(), &record);
        return record;
    };
    const cell record = lastReply();
    QCOMPARE(record.soc, 60);
    QVERIFY(record.cadc > 0);
    QCOMPARE(child<QProgressBar>("soc")->value(), record.soc);
    QCOMPARE(child<QLCDNumber>("cadc")->intValue(), record.cadc);
    QCOMPARE(child<QLineEdit>("data_cadc")->text(), QString::number(record.cadc));
    QCOMPARE(child<QLineEdit>("data_cell1")->text(), QString::number(record.cell[0]));
    QCOMPARE(child<QLineEdit>("data_cell16")->text(), QString::number(record.cell[15]));
    const QImage green = QPixmap(":/asset/assert/Pas.png").toImage();
    const QImage red = QPixmap(":/asset/assert/Err.png").toImage();
    const auto picture = [this](const char *lamp) {
        return child<QLabel>(lamp)->pixmap(Qt::ReturnByValue).toImage();
    };
    QCOMPARE(picture("job_chg_mask"), green);

    // The over-voltage threshold lowered below the charging cells: the board trips and the
    // lamp turns red.
    QVERIFY(picture("p_hv_mask") != red);
    child<QLineEdit>("conf_hv")->setText(QStringLiteral("3000"));
    child<QPushButton>("conf_hv_btn")->click();
    QTRY_COMPARE_WITH_TIMEOUT(picture("p_hv_mask"), red, 3 * WaitMs);
    QVERIFY(boxes->entries().isEmpty());
}

void TestE2e::recordingReadsBackAsTheTable()
{
    // Logging a moving pack: the file on disk reads back as the rows of the table.
    QVERIFY(connectTo({ "--speed", "60" }));
    child<QPushButton>("btn_log")->click();
    auto *log = qobject_cast<DataLog *>(child<QTableView>("data_view")->model());
    QTRY_VERIFY_WITH_TIMEOUT(log->count() >= 5, 4 * WaitMs);
    child<QPushButton>("btn_log")->click();
    const QStringList files = QDir(settings->recordings()).entryList({ "*-pack01.csv" });
    QCOMPARE(files.size(), 1);

    CsvReader reader;
    QVERIFY(reader.open(settings->recordings() + '/' + files.at(0)));
    int rows = 0;
    QVERIFY(reader.readRows([&](const DataLog::Row &row, qint64) {
        char line[DataLog::MaxCsvLine];
        QCOMPARE(QByteArray(line, DataLog::formatCsvLine(row, line)), log->csvLine(rows));
        ++rows;
    }));
    QCOMPARE(rows, log->count());
    QVERIFY(boxes->entries().isEmpty());
}

QTEST_MAIN(TestE2e)
#include "tst_e2e.moc"
