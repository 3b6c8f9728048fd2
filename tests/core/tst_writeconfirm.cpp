// Following writes until the board shows what it holds: which block judges a write, retries of a
// read-back that got no valid reply, deadlines, and what the block shows for a value sent.
#include "parametertable.h"
#include "writeconfirm.h"

#include <QtTest>

namespace {

// Steps of a scenario, one per string:
//   "queue FIELD EXPECTED [DEADLINE]"  a write for FIELD, its frame "W FIELD EXPECTED"
//   "send FIELD EXPECTED"              that write goes out
//   "send read"                        a read-back request goes out
//   "idle"                             a poll tick finds the line idle
//   "block FIELD=TEXT ..."             a valid parameter block arrives
//   "expire MS"                        the clock reads MS
//   "close"                            the port closes
// Each step logs what it produced: "FIELD outcome [board]", "retry", "failed".
QStringList run(const QStringList &steps)
{
    WriteConfirm confirm;
    QStringList log;
    const auto note = [&log](const QVector<WriteConfirm::Verdict> &verdicts) {
        static const char *const names[] = { "confirmed", "kept", "unconfirmed",
                                             "not confirmable" };
        for (const WriteConfirm::Verdict &v : verdicts)
            log << (v.field + ' ' + names[int(v.outcome)] + ' ' + v.board).trimmed();
    };
    const auto writeFrame = [](const QString &field, const QString &expected) {
        return ("W " + field + ' ' + expected).toLatin1().prepend(":W+01+");
    };
    for (const QString &step : steps) {
        const QStringList w = step.split(' ');
        if (w[0] == "queue")
            confirm.queued(w[1], w[2].toInt(), writeFrame(w[1], w[2]),
                           w.size() > 3 ? w[3].toLongLong() : 1000000);
        else if (step == "send read")
            note(confirm.transmitted(":Y+01+52=?~"));
        else if (w[0] == "send")
            note(confirm.transmitted(writeFrame(w[1], w[2])));
        else if (w[0] == "idle") {
            const WriteConfirm::Tick tick = confirm.lineIdle();
            if (tick.retry)
                log << "retry";
            if (tick.failed)
                log << "failed";
            note(tick.verdicts);
        } else if (w[0] == "block") {
            QHash<QString, QString> shown;
            for (const QString &pair : w.mid(1))
                shown.insert(pair.section('=', 0, 0), pair.section('=', 1));
            note(confirm.blockArrived(shown));
        } else if (w[0] == "expire")
            note(confirm.expire(w[1].toLongLong()));
        else if (w[0] == "close")
            note(confirm.abandon());
        else
            qFatal("unknown step %s", qPrintable(step));
    }
    return log;
}

} // namespace

class TestWriteConfirm : public QObject
{
    Q_OBJECT

private slots:
    void scenarios_data();
    void scenarios();
    void shownAsTheFieldShowsIt();
    void framesToldApart();
};

void TestWriteConfirm::scenarios_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("log");
    const QStringList written = { "queue conf_lv 3000", "send conf_lv 3000", "send read" };

    QTest::newRow("confirmed") << written + QStringList{ "block conf_lv=3000 conf_hv=4200" }
                               << QStringList{ "conf_lv confirmed 3000" };
    QTest::newRow("board kept its value")
        << written + QStringList{ "block conf_lv=2800" } << QStringList{ "conf_lv kept 2800" };
    QTest::newRow("block without the field")
        << written + QStringList{ "block conf_hv=4200" } << QStringList{ "conf_lv unconfirmed" };
    // A block asked for before the write went out shows the old value: it judges nothing.
    QTest::newRow("block asked for before the write")
        << QStringList{ "queue conf_lv 3000", "send read", "send conf_lv 3000",
                        "block conf_lv=2800", "send read", "block conf_lv=3000" }
        << QStringList{ "conf_lv confirmed 3000" };
    QTest::newRow("write still queued at the block")
        << QStringList{ "queue conf_lv 3000", "send read", "block conf_lv=2800" } << QStringList{};
    // Tried once and retried three times; the fourth failure gives up.
    QTest::newRow("read-back fails four times")
        << written
            + QStringList{ "idle", "send read", "idle", "send read", "idle", "send read", "idle" }
        << QStringList{ "retry", "retry", "retry", "failed", "conf_lv unconfirmed" };
    QTest::newRow("a retry answered")
        << written + QStringList{ "idle", "send read", "idle", "send read", "block conf_lv=3000" }
        << QStringList{ "retry", "retry", "conf_lv confirmed 3000" };
    // An answer ends the run of failures: the next read-back has all its retries again.
    QTest::newRow("failures counted in a row")
        << QStringList{ "send read", "idle",      "send read", "idle",      "send read",
                        "idle",      "send read", "block",     "send read", "idle" }
        << QStringList{ "retry", "retry", "retry", "retry" };
    QTest::newRow("idle with nothing asked") << QStringList{ "idle", "idle" } << QStringList{};
    QTest::newRow("a field the block does not carry")
        << QStringList{ "queue conf_reset 7", "send conf_reset 7", "send read", "block" }
        << QStringList{ "conf_reset not confirmable" };
    QTest::newRow("deadline") << QStringList{
        "queue conf_lv 3000 1000", "send conf_lv 3000", "expire 999", "send read", "expire 1000",
        "block conf_lv=3000"
    } << QStringList{ "conf_lv unconfirmed" };
    // Typed again before the first reached the board: only the newer value is judged.
    QTest::newRow("newer write for the same field")
        << QStringList{ "queue conf_lv 3000", "queue conf_lv 3100", "send conf_lv 3000",
                        "send conf_lv 3100",  "send read",          "block conf_lv=3100" }
        << QStringList{ "conf_lv confirmed 3100" };
    QTest::newRow("several writes, one read-back")
        << QStringList{ "queue conf_lv 3000", "queue conf_hv 4200",
                        "send conf_lv 3000",  "send conf_hv 4200",
                        "send read",          "block conf_lv=3000 conf_hv=3650" }
        << QStringList{ "conf_lv confirmed 3000", "conf_hv kept 3650" };
    QTest::newRow("port closed") << QStringList{ "queue conf_lv 3000", "send conf_lv 3000",
                                                 "queue conf_hv 4200", "close",
                                                 "send read",          "block conf_lv=3000" }
                                 << QStringList{ "conf_lv unconfirmed", "conf_hv unconfirmed" };
}

void TestWriteConfirm::scenarios()
{
    QFETCH(QStringList, steps);
    QTEST(run(steps), "log");
}

void TestWriteConfirm::shownAsTheFieldShowsIt()
{
    // What a read-back shows in the field while the board holds what was sent for a typed value.
    const struct
    {
        const char *field;
        const char *typed;
        int shown;
    } cases[] = {
        { "conf_lv", "3000", 3000 },
        { "conf_chglt", "-20", -20 }, // sent as degrees + 40
        { "conf_dsglt_alert", "-40", -40 },
        { "conf_cax", "-5", -5 }, // sent in two's complement, shown signed
        { "conf_cax", "100", 100 },
        { "conf_totalcell", "3.9", 3 }, // the whole number sent
    };
    for (const auto &c : cases) {
        const ParameterTable::Row *row = ParameterTable::findByLineEdit(QLatin1String(c.field));
        QVERIFY(row);
        const ParameterTable::Check check =
            ParameterTable::checkInput(QLatin1String(c.typed), *row, QLocale::c());
        QCOMPARE(check.outcome, ParameterTable::Check::Accepted);
        QVERIFY2(WriteConfirm::shownValue(*row, check.value) == c.shown, c.field);
    }
    for (const char *field : { "conf_lv", "conf_dnum", "conf_cax", "conf_dsglt_alert" })
        QVERIFY2(WriteConfirm::carriedByBlock(QLatin1String(field)), field);
    for (const char *field :
         { "conf_reset", "conf_initafe", "conf_initsoc", "conf_blemac", "sw_buzzer" })
        QVERIFY2(!WriteConfirm::carriedByBlock(QLatin1String(field)), field);
}

void TestWriteConfirm::framesToldApart()
{
    QVERIFY(WriteConfirm::isBlockRequest(":Y+0A+52=?~"));
    QVERIFY(!WriteConfirm::isBlockRequest(":Y+01+51=?~"));
    QVERIFY(!WriteConfirm::isBlockRequest(":W+01+52+02+5a+0000~"));
    QVERIFY(WriteConfirm::isWrite(":W+01+06+03+bb8+1c2e~"));
    QVERIFY(!WriteConfirm::isWrite(":Y+01+52=?~"));
}

QTEST_MAIN(TestWriteConfirm)
#include "tst_writeconfirm.moc"
