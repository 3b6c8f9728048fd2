// A bank of four packs on one line, as a user meets it: the window scans the simulated bus
// (paced at 9600 baud), each pack's values reach its own tile, a pack that drops out goes grey
// while the others go on, and a write after a click on a tile reaches that board only.
#include "boardfixture.h"
#include "packtile.h"
#include "sentreply.h"
#include "startoptions.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {
constexpr int BankWaitMs = 20000; // a cycle over four packs takes about a second at 9600 baud
}

class TestBank : public QObject, public BoardFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void scanFillsTheTilesEachWithItsOwnPack();
    void statusSpeaksForThePackInFocus();

private:
    PackTile *tile(int address) const
    {
        return window->findChild<PackTile *>(
            QStringLiteral("overview_pack_%1").arg(address, 2, 10, QLatin1Char('0')));
    }

    void command(const QByteArray &text)
    {
        QFile pipe(dir->filePath(QStringLiteral("control")));
        QVERIFY(pipe.open(QIODevice::WriteOnly));
        pipe.write(text + '\n');
    }
};

void TestBank::scanFillsTheTilesEachWithItsOwnPack()
{
    QVERIFY(connectTo({ "--address", "1-4", "--line-rate", "9600", "--control",
                        dir->filePath(QStringLiteral("control")) }));
    child<QSpinBox>("overview_scan_first")->setValue(1);
    child<QSpinBox>("overview_scan_last")->setValue(8);
    child<QPushButton>("overview_scan")->click();
    BoardSession *session = window->boardSession();
    QTRY_COMPARE_WITH_TIMEOUT(session->addresses(), (QVector<int>{ 1, 2, 3, 4 }), BankWaitMs);
    QVERIFY(!tile(5));

    // Each tile shows what its own board sent, and only that.
    for (int address = 1; address <= 4; ++address) {
        QTRY_VERIFY_WITH_TIMEOUT(tile(address) && tile(address)->hasData(), BankWaitMs);
        const int shown = tile(address)->pack().voltageMv;
        QList<int> sent;
        for (const SentReply &reply : sentReplies(boardLog(), address))
            sent << reply.packMv;
        QVERIFY2(sent.contains(shown), qPrintable(QStringLiteral("pack %1").arg(address)));
    }

    // Pack 2 drops out: its tile goes grey, the others keep answering.
    command("absent 2");
    QTRY_VERIFY_WITH_TIMEOUT(tile(2)->isGreyed(), BankWaitMs);
    const int replies = session->packLink(4).replies;
    QTRY_VERIFY_WITH_TIMEOUT(session->packLink(4).replies >= replies + 2, BankWaitMs);
    QVERIFY(!tile(1)->isGreyed() && !tile(3)->isGreyed() && !tile(4)->isGreyed());

    // A click on pack 3 brings it into focus; a write from the parameter page goes to board 3.
    QTest::mouseClick(tile(3), Qt::LeftButton);
    QCOMPARE(child<QSpinBox>("DeviceID")->value(), 3);
    QCOMPARE(session->address(), 3);
    child<QLineEdit>("conf_lv")->setText(QStringLiteral("2800"));
    child<QPushButton>("conf_lv_btn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(boardLog().contains(": code 06 = 2800: stored"), BankWaitMs);
    QByteArrayList stored;
    for (const QByteArray &line : boardLog().split('\n')) {
        if (line.contains(": code 06 = "))
            stored << line.mid(line.indexOf("# board "));
    }
    QCOMPARE(stored, QByteArrayList{ "# board 3: code 06 = 2800: stored" });
    // Confirmed by board 3's own read-back.
    QTRY_VERIFY_WITH_TIMEOUT(!session->isWritePending(QStringLiteral("conf_lv")), BankWaitMs);
    QCOMPARE(child<QLineEdit>("conf_lv")->text(), QStringLiteral("2800"));
    QVERIFY(boxes->entries().isEmpty());
}

void TestBank::statusSpeaksForThePackInFocus()
{
    // Three boards, board 2 off the bus; the window polls 1 to 3 with 2 in focus.
    QVERIFY(startBoard({ "--address", "1-3", "--absent", "2", "--control",
                         dir->filePath(QStringLiteral("control")) }));
    window = std::make_unique<MainWindow>();
    StartOptions start;
    start.port = link;
    start.address = 2;
    start.packs = QVector<int>{ 1, 2, 3 };
    start.period = PeriodMs;
    start.connect = true;
    window->applyStartOptions(start);
    BoardSession *session = window->boardSession();
    QVERIFY(session->isOpen());
    QCOMPARE(session->address(), 2);
    auto *status = child<QLabel>("statu_send");
    auto *cycle = child<QLabel>("overview_cycle");

    // Packs 1 and 3 answer around it every cycle; the text stays with pack 2's time-outs, and
    // the cycle line names pack 2 for the rest of the bus.
    QSignalSpy cycles(session, &BoardSession::cycleDone);
    QStringList seen;
    connect(session, &BoardSession::cycleDone, this, [&] { seen << status->text(); });
    QTRY_VERIFY_WITH_TIMEOUT(cycles.size() >= 3, BankWaitMs);
    QVERIFY(session->packLink(1).replies >= 2 && session->packLink(3).replies >= 2);
    QStringList said = seen;
    said.removeDuplicates();
    QCOMPARE(said, QStringList{ QStringLiteral("Timeout!") });
    QVERIFY2(cycle->text().endsWith(QStringLiteral("无数据：02")), qPrintable(cycle->text()));

    // The keyboard brings pack 1 into focus: its replies speak, pack 2's time-outs no longer.
    child<QTabWidget>("tab_widget")->setCurrentWidget(child<QWidget>("tab_overview"));
    tile(1)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tile(1), Qt::Key_Space);
    QCOMPARE(session->address(), 1);
    const int after = cycles.size();
    QTRY_VERIFY_WITH_TIMEOUT(cycles.size() >= after + 3, BankWaitMs);
    said = seen.mid(after + 1); // the cycle under way at the key may end before pack 1's turn
    said.removeDuplicates();
    QCOMPARE(said, QStringList{ QStringLiteral("Fine ") });
    QVERIFY(session->packLink(2).timeouts >= 3);
    QVERIFY(boxes->entries().isEmpty());
}

QTEST_MAIN(TestBank)
#include "tst_bank.moc"
