// The window as a user drives it, with a real serial port on the simulated board's
// pseudo-terminal: open, poll, the link states, a board that goes away, the pages.
#include "boardfixture.h"
#include "frame.h"
#include "telemetry.h"

#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
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

QTEST_MAIN(TestE2e)
#include "tst_e2e.moc"
