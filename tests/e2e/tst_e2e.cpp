// The window as a user drives it, with a real serial port on the simulated board's
// pseudo-terminal: the link's states as the window shows them, a board that goes away and comes
// back, a reply reaching the widgets and a write reaching the board, the pages.
#include "boardfixture.h"
#include "csvreader.h"
#include "datalog.h"
#include "frame.h"
#include "startoptions.h"
#include "telemetry.h"

#include <QDir>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

class TestE2e : public QObject, public BoardFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void writtenParameterReadsBack();
    void liveValuesAndAProtectionReachTheMainPage();
    void boardThatReturnsIsFollowed();
    void languageSwitchedWhilePolling();
    void recordingReadsBackAsTheTable();
};

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

    // Out of range: the field turns yellow, a warning, and nothing goes to the board. The box
    // stays open for two polls, as a user reads it, and polling goes on under it.
    const auto writes = [this] { return boardLog().count(" RX :W+"); };
    QCOMPARE(writes(), 1);
    boxes->setNestedLoop(2 * PeriodMs);
    QSignalSpy sent(window->boardSession(), &BoardSession::frameSent);
    field->setText(QStringLiteral("5000"));
    child<QPushButton>("conf_lv_btn")->click();
    QCOMPARE(boxes->entries().size(), 1);
    QCOMPARE(boxes->entries().first().kind, Messages::Kind::Warning);
    QVERIFY(!sent.isEmpty());
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

void TestE2e::boardThatReturnsIsFollowed()
{
    // A box shown meanwhile (an empty port list's, on a machine without serial ports) holds the
    // window in its nested event loop for two polls, as a real one does while the user reads it.
    boxes->setNestedLoop(2 * PeriodMs);
    QVERIFY(startBoard({ "--static" }));
    // Started as from the command line: port, period, reconnect and --connect.
    window = std::make_unique<MainWindow>();
    StartOptions options;
    options.port = link;
    options.period = PeriodMs;
    options.reconnect = true;
    options.connect = true;
    window->applyStartOptions(options);
    auto *openCom = child<SwitchButton>("openCom");
    auto *status = child<QLabel>("statu_send");
    auto *state = child<QLabel>("statu_opencom");
    auto *ports = child<QComboBox>("portName");
    const QString entry = link + QStringLiteral(" (virtual)");
    QVERIFY(openCom->checked());
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Fine "), WaitMs);
    QCOMPARE(status->styleSheet(), QStringLiteral("QLabel { color : green; }"));

    // The board goes away with the port open: switched off, the red text says it waits, the top
    // bar is free again and the list no longer offers the device.
    QVERIFY(sim->stop());
    QTRY_VERIFY_WITH_TIMEOUT(!openCom->checked(), WaitMs);
    QVERIFY2(state->text().startsWith(link + QStringLiteral(" CLOSED, ")),
             qPrintable(state->text()));
    QCOMPARE(state->styleSheet(), QStringLiteral("QLabel { color : red; }"));
    for (const char *name : { "portName", "bard", "DeviceID", "spinBox" })
        QVERIFY2(child<QWidget>(name)->isEnabled(), name);
    QCOMPARE(ports->findText(entry), -1);

    // It comes back on the same path: the switch, the list and the texts follow the line.
    status->setText(QStringLiteral("-"));
    QVERIFY(startBoard({ "--static" }));
    QTRY_VERIFY_WITH_TIMEOUT(openCom->checked(), WaitMs);
    QCOMPARE(state->text(), link + QStringLiteral(" OPENED, 9600, 8, NONE, 1, OFF"));
    QCOMPARE(state->styleSheet(), QStringLiteral("QLabel { color : green; }"));
    QCOMPARE(ports->currentText(), entry);
    for (const char *name : { "portName", "bard", "DeviceID", "spinBox" })
        QVERIFY2(!child<QWidget>(name)->isEnabled(), name);
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Fine "), WaitMs);
    QCOMPARE(child<QSpinBox>("spinBox")->value(), PeriodMs);
    // No box but the one about an empty port list while the board was away.
    for (const Messages::Recorder::Entry &box : boxes->entries())
        QCOMPARE(box.text, QStringLiteral("No free serial port found"));
    QVERIFY(boxes->entries().size() <= 1);
}

void TestE2e::languageSwitchedWhilePolling()
{
    // A change of language writes the form's texts anew while replies arrive: the link's text
    // comes back with the next good reply, and nothing is told.
    QVERIFY(connectTo({ "--static" }));
    auto *status = child<QLabel>("statu_send");
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Fine "), WaitMs);
    for (int language : { 1, 2, 0, 2, 1, 0 }) {
        child<QComboBox>("lang")->setCurrentIndex(language);
        QTest::qWait(PeriodMs / 2);
    }
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Fine "), WaitMs);
    QCOMPARE(status->styleSheet(), QStringLiteral("QLabel { color : green; }"));
    QVERIFY(child<SwitchButton>("openCom")->checked());
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
