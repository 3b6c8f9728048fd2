// Thresholds that contradict each other: which pairs are judged, on which side each row must lie,
// which values take part (a change, the board's, or none), and the words that name a pair.
#include "parameterprofile.h"
#include "thresholdpairs.h"

#include <QtTest>

namespace {

using Values = QHash<QString, int>;
using Changes = QMap<QString, int>;

// A board with its factory thresholds (a 16-cell pack: pack values in 10 mV).
Values factoryBoard()
{
    return {
        { "conf_lv", 2500 },     { "conf_lvre", 2900 },     { "conf_hv", 3650 },
        { "conf_hvre", 3400 },   { "conf_avlp_2", 4000 },   { "conf_avlpre_2", 4640 },
        { "conf_avhp_2", 5840 }, { "conf_avhpre_2", 5440 }, { "conf_chght", 55 },
        { "conf_chghtre", 50 },  { "conf_chglt", 0 },       { "conf_chgltre", 5 },
        { "conf_dsght", 65 },    { "conf_dsghtre", 60 },    { "conf_dsglt", -20 },
        { "conf_dsgltre", -10 },
    };
}

// "row=value<>other=value" for each contradiction, in the order found.
QStringList found(const Values &board, const QMap<QString, int> &changes)
{
    QStringList out;
    for (const ThresholdPairs::Contradiction &c : ThresholdPairs::check(board, changes))
        out << QStringLiteral("%1=%2<>%3=%4")
                   .arg(QLatin1String(c.pair->row))
                   .arg(c.row)
                   .arg(QLatin1String(c.pair->other))
                   .arg(c.other);
    return out;
}

} // namespace

class TestThresholdPairs : public QObject
{
    Q_OBJECT

private slots:
    void pairsAreWritableRows();
    void check_data();
    void check();
    void words();
};

void TestThresholdPairs::pairsAreWritableRows()
{
    // Every row of a pair is a setting a page shows and a profile holds; no pair twice.
    QSet<QString> seen;
    for (const ThresholdPairs::Pair &pair : ThresholdPairs::pairs()) {
        QVERIFY2(ParameterProfile::findRow(pair.row), pair.row);
        QVERIFY2(ParameterProfile::findRow(pair.other), pair.other);
        QVERIFY(!seen.contains(QString(pair.row) + pair.other));
        seen.insert(QString(pair.row) + pair.other);
    }
    QCOMPARE(ThresholdPairs::pairs().size(), 10);
    // The factory values are on the right side of every pair.
    QMap<QString, int> all;
    const Values board = factoryBoard();
    for (auto it = board.begin(); it != board.end(); ++it)
        all.insert(it.key(), it.value());
    QCOMPARE(found({}, all), QStringList());
}

void TestThresholdPairs::check_data()
{
    QTest::addColumn<Values>("board");
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<QStringList>("expected");
    const Values factory = factoryBoard();
    using M = Changes;

    // Releases: above the trip for under-voltage and under-temperature, below it for over-.
    QTest::newRow("cell under-voltage release below trip")
        << factory << M{ { "conf_lvre", 2000 } } << QStringList{ "conf_lvre=2000<>conf_lv=2500" };
    QTest::newRow("release equal to trip: no margin")
        << factory << M{ { "conf_lvre", 2500 } } << QStringList{ "conf_lvre=2500<>conf_lv=2500" };
    QTest::newRow("release one above trip")
        << factory << M{ { "conf_lvre", 2501 } } << QStringList();
    QTest::newRow("trip raised over its release")
        << factory << M{ { "conf_lv", 3000 } } << QStringList{ "conf_lvre=2900<>conf_lv=3000" };
    QTest::newRow("cell over-voltage release above trip")
        << factory << M{ { "conf_hvre", 3700 } } << QStringList{ "conf_hvre=3700<>conf_hv=3650" };
    QTest::newRow("pack under-voltage") << factory << M{ { "conf_avlpre_2", 3900 } }
                                        << QStringList{ "conf_avlpre_2=3900<>conf_avlp_2=4000" };
    QTest::newRow("pack over-voltage") << factory << M{ { "conf_avhpre_2", 5840 } }
                                       << QStringList{ "conf_avhpre_2=5840<>conf_avhp_2=5840" };
    QTest::newRow("charge over-temperature") << factory << M{ { "conf_chghtre", 60 } }
                                             << QStringList{ "conf_chghtre=60<>conf_chght=55" };
    QTest::newRow("charge under-temperature")
        << factory << M{ { "conf_chgltre", -5 } } << QStringList{ "conf_chgltre=-5<>conf_chglt=0" };
    QTest::newRow("discharge over-temperature")
        << factory << M{ { "conf_dsght", 60 } } << QStringList{ "conf_dsghtre=60<>conf_dsght=60" };
    QTest::newRow("discharge under-temperature, below zero")
        << factory << M{ { "conf_dsglt", -5 } } << QStringList{ "conf_dsgltre=-10<>conf_dsglt=-5" };

    // Over-voltage trip above under-voltage trip; one change can break two pairs.
    QTest::newRow("over-voltage trip under the under-voltage trip")
        << factory << M{ { "conf_hv", 2400 } }
        << QStringList{ "conf_hvre=3400<>conf_hv=2400", "conf_hv=2400<>conf_lv=2500" };
    QTest::newRow("pack over-voltage trip under the under-voltage trip")
        << factory << M{ { "conf_avhp_2", 3000 }, { "conf_avhpre_2", 2900 } }
        << QStringList{ "conf_avhp_2=3000<>conf_avlp_2=4000" };

    // Which values take part.
    QTest::newRow("other row never read: not judged")
        << Values{} << M{ { "conf_lvre", 2000 } } << QStringList();
    QTest::newRow("both rows changed, board unknown")
        << Values{} << M{ { "conf_lv", 2700 }, { "conf_lvre", 2000 } }
        << QStringList{ "conf_lvre=2000<>conf_lv=2700" };
    QTest::newRow("the change wins over the board's value")
        << factory << M{ { "conf_lv", 2000 }, { "conf_lvre", 2100 } } << QStringList();
    Values broken = factory;
    broken["conf_lvre"] = 2000;
    QTest::newRow("a pair the changes leave alone is not theirs")
        << broken << M{ { "conf_hv", 3700 }, { "conf_chgc", 100 } } << QStringList();
    QTest::newRow("a change that sets a broken pair right")
        << broken << M{ { "conf_lvre", 2900 } } << QStringList();
    QTest::newRow("no changes") << broken << M{} << QStringList();
}

void TestThresholdPairs::check()
{
    QFETCH(Values, board);
    QFETCH(Changes, changes);
    QFETCH(QStringList, expected);
    QCOMPARE(found(board, changes), expected);
}

void TestThresholdPairs::words()
{
    // Both rows by their captions, both values with their units, and what would happen.
    const auto first = [](const Values &board, const QMap<QString, int> &changes) {
        return ThresholdPairs::describe(ThresholdPairs::check(board, changes));
    };
    QCOMPARE(first({ { "conf_lv", 2700 } }, { { "conf_lvre", 2000 } }),
             QStringLiteral(
                 "欠压恢复阈值 2000 mV 不高于欠压保护阈值 2700 mV：保护一触发就会立即解除。"));
    QCOMPARE(first({ { "conf_chght", 55 } }, { { "conf_chghtre", 60 } }),
             QStringLiteral(
                 "充电高温恢复阈值 60 ℃ 不低于充电高温保护阈值 55 ℃：保护一触发就会立即解除。"));
    QCOMPARE(first({ { "conf_avlp_2", 4000 } }, { { "conf_avhp_2", 3000 } }),
             QStringLiteral("总过压保护阈值 3000 × 10 mV 不高于总欠压保护阈值 4000 × 10 mV："
                            "任何电压都会触发其中一个保护。"));
    // Several: one line each.
    QCOMPARE(first(factoryBoard(), { { "conf_hv", 2400 } }).count('\n'), 1);
}

QTEST_GUILESS_MAIN(TestThresholdPairs)
#include "tst_thresholdpairs.moc"
