// Values that stop coming: the board falls silent, answers again, and the port is switched off.
// The main page dims what it shows and says since when nothing came; the next reply lights it up.
#include "boardfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <csignal>

class TestStale : public QObject, public BoardFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void silentBoardDimsTheValuesUntilItAnswers();
};

void TestStale::silentBoardDimsTheValuesUntilItAnswers()
{
    QVERIFY(connectTo({}));
    auto *stale = child<QLabel>("data_stale");
    auto *cell1 = child<QLineEdit>("data_cell1");
    auto dimmed = [&] {
        return stale->isVisibleTo(window.get()) && cell1->graphicsEffect() != nullptr;
    };
    QTRY_VERIFY_WITH_TIMEOUT(!cell1->text().isEmpty(), WaitMs);
    QVERIFY(!dimmed());
    const auto boardPid = sim->process().processId();

    // Stopped: after three polls without a reply.
    ::kill(boardPid, SIGSTOP);
    QTRY_VERIFY_WITH_TIMEOUT(dimmed(), WaitMs);
    QVERIFY2(QRegularExpression(QStringLiteral("^自 \\d\\d:\\d\\d:\\d\\d 起无数据$"))
                 .match(stale->text())
                 .hasMatch(),
             qPrintable(stale->text()));
    ::kill(boardPid, SIGCONT);
    QTRY_VERIFY_WITH_TIMEOUT(!stale->isVisibleTo(window.get()), WaitMs);
    QVERIFY(cell1->graphicsEffect() == nullptr);

    // Switched off: at once.
    child<SwitchButton>("openCom")->SetActive(false);
    QVERIFY(dimmed());
}

QTEST_MAIN(TestStale)
#include "tst_stale.moc"
