// Parameter writes against the simulated board, as a user makes them: what the row shows once
// the board has taken a value, kept its own or could not be read back, and that a write is not
// taken for a request the board failed to answer.
#include "boardfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const char Neutral[] = "QLineEdit { border: none; border-bottom: 2px solid white; }";
const char Kept[] = "QLineEdit { color: #ff5050; border: none; border-bottom: 2px solid #ff5050; }";
const char Unconfirmed[] =
    "QLineEdit { font-style: italic; border: none; border-bottom: 2px dashed #f0a000; }";

} // namespace

class TestWrites : public QObject, public BoardFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void writeConfirmedWithoutATimeout();
    void writeTheBoardKeeps();
    void readBackThatFailsIsReported();

private:
    QImage lamp(const char *name) const
    {
        return child<QLabel>(name)->pixmap(Qt::ReturnByValue).toImage();
    }
    int blockRequestsSeen() const { return boardLog().count(" RX :Y+01+52=?~"); }
    // The words of a field's mark: its tool tip's first line, above the field's range.
    static QString markOf(const QLineEdit *field)
    {
        return field->toolTip().section(QLatin1Char('\n'), 0, 0);
    }
};

void TestWrites::writeConfirmedWithoutATimeout()
{
    QVERIFY(connectTo({ "--static" }));
    auto *status = child<QLabel>("statu_send");
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Fine "), WaitMs);

    // Two rows in a row, a temperature among them: compared in degrees as the field shows them.
    auto *voltage = child<QLineEdit>("conf_lv");
    auto *temperature = child<QLineEdit>("conf_chght");
    voltage->setText(QStringLiteral("3000"));
    child<QPushButton>("conf_lv_btn")->click();
    temperature->setText(QStringLiteral("45.5"));
    child<QPushButton>("conf_chght_btn")->click();
    QCOMPARE(voltage->styleSheet(), QLatin1String(Unconfirmed));
    QTRY_COMPARE_WITH_TIMEOUT(markOf(temperature), QStringLiteral("已确认：板子保存了 45"), WaitMs);
    QCOMPARE(temperature->text(), QStringLiteral("45"));
    QCOMPARE(markOf(voltage), QStringLiteral("已确认：板子保存了 3000"));
    for (QLineEdit *edit : { voltage, temperature })
        QCOMPARE(edit->styleSheet(), QLatin1String(Neutral));
    QVERIFY(boardLog().contains("code 06 = 3000: stored"));

    // The writes went out unanswered, as writes do, and the window shows no missing reply.
    const int polls = requestsSeen();
    QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() >= polls + 2, WaitMs);
    QCOMPARE(status->text(), QStringLiteral("Fine "));
    QVERIFY(lamp("statu_rxerr_mask") != QPixmap(":/asset/assert/Err.png").toImage());
    // The confirmed mark is short; the field's range stays.
    QTRY_COMPARE_WITH_TIMEOUT(voltage->toolTip(), QStringLiteral("范围：1500 至 3200 mV"), WaitMs);
    QVERIFY(boxes->entries().isEmpty());
}

void TestWrites::writeTheBoardKeeps()
{
    // The board takes under-voltage writes and keeps its 2500 mV.
    QVERIFY(connectTo({ "--static", "--keep", ":W++06+" }));
    auto *field = child<QLineEdit>("conf_lv");
    field->setText(QStringLiteral("3000"));
    child<QPushButton>("conf_lv_btn")->click();
    QTRY_COMPARE_WITH_TIMEOUT(field->styleSheet(), QLatin1String(Kept), WaitMs);
    QCOMPARE(field->text(), QStringLiteral("2500"));
    QCOMPARE(markOf(field), QStringLiteral("板子保留了 2500，未采用发送的 3000"));
    QVERIFY2(child<QLabel>("conf_read_state")->text().endsWith(markOf(field)),
             qPrintable(child<QLabel>("conf_read_state")->text()));
    QVERIFY(boardLog().contains("code 06 = 3000: kept the old value"));

    // Still red with its value at the next read-back; typed anew, the look of a typed value.
    child<QPushButton>("conf_read")->click();
    const int asked = blockRequestsSeen();
    QTRY_VERIFY_WITH_TIMEOUT(blockRequestsSeen() > asked, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(lamp("statu_read"), QPixmap(":/asset/assert/Pas.png").toImage(),
                              WaitMs);
    QCOMPARE(field->styleSheet(), QLatin1String(Kept));
    QTest::keyClicks(field, "1");
    QCOMPARE(field->styleSheet(), QLatin1String(Unconfirmed));
    QVERIFY(boxes->entries().isEmpty());
}

void TestWrites::readBackThatFailsIsReported()
{
    // A board that never sends its parameter block: the read-back after a write is tried four
    // times in all, then the lamp turns red, the line beside it says why and the row says its
    // value is not confirmed.
    QVERIFY(connectTo({ "--static", "--drop-block" }));
    auto *field = child<QLineEdit>("conf_hv");
    field->setText(QStringLiteral("3600"));
    child<QPushButton>("conf_hv_btn")->click();
    auto *state = child<QLabel>("conf_read_state");
    QTRY_VERIFY_WITH_TIMEOUT(state->text().startsWith(QStringLiteral("读回失败")), 4 * WaitMs);
    QCOMPARE(state->text(), QStringLiteral("读回失败：4 次请求均未得到有效回复"));
    QCOMPARE(lamp("statu_read"), QPixmap(":/asset/assert/Err.png").toImage());
    QCOMPARE(blockRequestsSeen(), 4);
    QCOMPARE(field->text(), QStringLiteral("3600"));
    QCOMPARE(field->styleSheet(), QLatin1String(Unconfirmed));
    QVERIFY2(field->toolTip().startsWith(QStringLiteral("未确认")), qPrintable(field->toolTip()));
    QVERIFY(boardLog().contains("code 09 = 3600: stored"));

    // Given up: polling goes on, and no more read-backs are sent.
    const int polls = requestsSeen();
    QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() >= polls + 3, WaitMs);
    QCOMPARE(blockRequestsSeen(), 4);
    QCOMPARE(lamp("statu_read"), QPixmap(":/asset/assert/Err.png").toImage());
    QVERIFY(boxes->entries().isEmpty());
}

QTEST_MAIN(TestWrites)
#include "tst_writes.moc"
