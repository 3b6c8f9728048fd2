// The window as a user drives it, with a real serial port on the simulated board's
// pseudo-terminal: open, poll, the link states, a board that goes away, the pages.
#include "boardfixture.h"
#include "csvreader.h"
#include "datalog.h"
#include "devicewatcher.h"
#include "frame.h"
#include "startoptions.h"
#include "telemetry.h"

#include <QCheckBox>
#include <QDir>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

class TestE2e : public QObject, public BoardFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void opensPollsAndLocksTheTopBar();
    void splitRepliesAreHandedOnOnce();
    void boardThatQuitsClosesThePort();
    void writtenParameterReadsBack();
    void liveValuesAndAProtectionReachTheMainPage();
    void boardThatReturnsIsReconnected_data();
    void boardThatReturnsIsReconnected();
    void portHeldByAnotherIsExplained();
    void recordingReadsBackAsTheTable();
};

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

void TestE2e::splitRepliesAreHandedOnOnce()
{
    QVERIFY(connectTo({ "--static", "--split" }));
    QSignalSpy blocks(window->boardSession(), &BoardSession::frameReceived);
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
    QSignalSpy blocks(window->boardSession(), &BoardSession::frameReceived);
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

void TestE2e::boardThatReturnsIsReconnected_data()
{
    QTest::addColumn<bool>("reconnect");
    QTest::addColumn<bool>("cancelWhileWaiting"); // the switch turned off before it returns
    QTest::newRow("reconnect") << true << false;
    QTest::newRow("no reconnect") << false << false;
    QTest::newRow("switched off while waiting") << true << true;
}

void TestE2e::boardThatReturnsIsReconnected()
{
    QFETCH(bool, reconnect);
    QFETCH(bool, cancelWhileWaiting);
    sim = std::make_unique<Sim>();
    QVERIFY(sim->start({ "--link", link, "--static" }));
    // Started as from the command line: port, period, reconnect and --connect.
    window = std::make_unique<MainWindow>();
    StartOptions options;
    options.port = link;
    options.period = PeriodMs;
    options.reconnect = reconnect;
    options.connect = true;
    window->applyStartOptions(options);
    auto *openCom = child<SwitchButton>("openCom");
    auto *status = child<QLabel>("statu_send");
    auto *state = child<QLabel>("statu_opencom");
    QVERIFY(openCom->checked());
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Fine "), WaitMs);

    // The board goes away with the port open, long enough for the device watcher to see it gone,
    // as with an adapter pulled out and plugged in again.
    auto *watcher = window->findChild<DeviceWatcher *>();
    QVERIFY(watcher);
    watcher->setPollInterval(50); // its looks, not the test, set the pace
    QSignalSpy removed(watcher, &DeviceWatcher::deviceRemoved);
    QSignalSpy arrived(watcher, &DeviceWatcher::deviceArrived);
    QVERIFY(sim->stop());
    QTRY_VERIFY_WITH_TIMEOUT(!openCom->checked(), WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!removed.isEmpty(), WaitMs);
    const QString closed = link + QStringLiteral(" CLOSED");
    QCOMPARE(state->styleSheet(), QStringLiteral("QLabel { color : red; }"));
    if (reconnect) // the red text says it waits
        QVERIFY2(state->text().startsWith(closed + QStringLiteral(", ")),
                 qPrintable(state->text()));
    else
        QCOMPARE(state->text(), closed);
    if (cancelWhileWaiting) {
        child<QCheckBox>("reconnect")->setChecked(false);
        QCOMPARE(state->text(), closed);
    }

    // It comes back on the same path.
    status->setText(QStringLiteral("-"));
    sim = std::make_unique<Sim>();
    QVERIFY(sim->start({ "--link", link, "--static" }));
    if (reconnect && !cancelWhileWaiting) {
        QTRY_VERIFY_WITH_TIMEOUT(openCom->checked(), WaitMs);
        QCOMPARE(state->text(), link + QStringLiteral(" OPENED, 9600, 8, NONE, 1, OFF"));
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Fine "), WaitMs);
        QCOMPARE(child<QSpinBox>("spinBox")->value(), PeriodMs);
    } else {
        // Its arrival was announced and handled, which is when a wait would have opened it.
        QTRY_VERIFY_WITH_TIMEOUT(!arrived.isEmpty(), WaitMs);
        QVERIFY(child<QComboBox>("portName")->findText(link + QStringLiteral(" (virtual)")) >= 0);
        QVERIFY(!openCom->checked());
        QCOMPARE(state->text(), closed);
        QCOMPARE(status->text(), QStringLiteral("-"));
    }
    // No box but the one about an empty port list while the board was away.
    for (const Messages::Recorder::Entry &box : boxes->entries())
        QCOMPARE(box.text, QStringLiteral("No free serial port found"));
}

void TestE2e::portHeldByAnotherIsExplained()
{
    sim = std::make_unique<Sim>();
    QVERIFY(sim->start({ "--link", link, "--static" }));
    QSerialPort other(link);
    QVERIFY(other.open(QIODevice::ReadWrite));
    window = std::make_unique<MainWindow>();
    auto *ports = child<QComboBox>("portName");
    ports->setCurrentIndex(ports->findText(link + QStringLiteral(" (virtual)")));
    child<SwitchButton>("openCom")->SetActive(true);

    QVERIFY(!child<SwitchButton>("openCom")->checked());
    QTRY_COMPARE(boxes->entries().size(), 1);
    const Messages::Recorder::Entry box = boxes->entries().first();
    QCOMPARE(box.title, QStringLiteral("Tip"));
    QVERIFY2(box.text.startsWith(QStringLiteral("Failed to open serial port\n\n") + link
                                 + QStringLiteral(": ")),
             qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral("minicom")), qPrintable(box.text));
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
