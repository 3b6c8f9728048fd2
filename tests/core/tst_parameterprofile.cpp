// Profiles of a board's settings: the file refused whole at its first fault, kept exactly through
// a save and a read, and compared row by row with what a board holds.
#include "addresslist.h"
#include "parameterprofile.h"
#include "thresholdpairs.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray fileWith(const QByteArray &rows, const QByteArray &extra = QByteArray())
{
    return "{\"format\":\"arvex-profile\",\"version\":1," + extra + "\"rows\":{" + rows + "}}";
}

} // namespace

class TestParameterProfile : public QObject
{
    Q_OBJECT

private slots:
    void rowsAreSettingsOnly();
    void earlierFiles_data();
    void earlierFiles();
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void roundTrip();
    void compareWithBoard();
    void addressLists();
};

void TestParameterProfile::rowsAreSettingsOnly()
{
    // Never the board's address, the debug switch or a device command: applied to many boards,
    // they would give every board one address or restart it. Nor a row of the hidden Debug page:
    // no page shows it for the user to write.
    for (const char *key : { "conf_dnum", "conf_debug", "conf_reset", "conf_initafe", "conf_short",
                             "conf_shorttime", "conf_getmod", "conf_cax" })
        QVERIFY2(!ParameterProfile::findRow(key), key);
    QCOMPARE(ParameterProfile::rows().size(), 35);
    QCOMPARE(ParameterProfile::findRow("conf_lv")->unit, "mV");

    // What a board holds is saved without them.
    QHash<QString, int> board = ParameterProfile::boardValues(ParameterBlock::decode("01", {}));
    QVERIFY(!board.contains("conf_short") && !board.contains("conf_cax"));
    board.insert("conf_short", 500);
    board.insert("conf_getmod", 1);
    const QByteArray saved = ParameterProfile::toJson(ParameterProfile::fromBoard(board, 1));
    for (const char *key : { "conf_short", "conf_getmod" })
        QVERIFY2(!saved.contains(key), key);
}

void TestParameterProfile::earlierFiles_data()
{
    // Files as an earlier version wrote them, with the rows no page shows: they open without
    // those rows, which are named so the user can be told.
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QStringList>("ignored");
    QTest::addColumn<QStringList>("kept");
    const QByteArray lv = "\"conf_lv\":{\"value\":2800,\"unit\":\"mV\"}";
    QTest::newRow("all four") << QByteArray(lv
                                            + ",\"conf_short\":{\"value\":500,\"unit\":\"\"},"
                                              "\"conf_shorttime\":{\"value\":250,\"unit\":\"\"},"
                                              "\"conf_getmod\":{\"value\":1,\"unit\":\"\"},"
                                              "\"conf_cax\":{\"value\":-3,\"unit\":\"\"}")
                              << QStringList{ "conf_cax", "conf_getmod", "conf_short",
                                              "conf_shorttime" }
                              << QStringList{ "conf_lv" };
    // Never read, so never judged: a value the row would refuse does not refuse the file.
    QTest::newRow("out of range, ignored")
        << QByteArray(lv + ",\"conf_getmod\":{\"value\":70000}") << QStringList{ "conf_getmod" }
        << QStringList{ "conf_lv" };
    QTest::newRow("none") << lv << QStringList() << QStringList{ "conf_lv" };
}

void TestParameterProfile::earlierFiles()
{
    QFETCH(QByteArray, rows);
    QFETCH(QStringList, ignored);
    QFETCH(QStringList, kept);
    const ParameterProfile::ReadResult result = ParameterProfile::read(fileWith(rows));
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.ignored, ignored);
    QCOMPARE(result.profile.values.keys(), kept);
}

void TestParameterProfile::badFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QByteArray lv = "\"conf_lv\":{\"value\":2800,\"unit\":\"mV\"}";
    QTest::newRow("not json") << QByteArray("{\"format\":") << "不是有效的 JSON";
    QTest::newRow("array") << QByteArray("[1]") << "应为一个 JSON 对象";
    QTest::newRow("no format") << QByteArray("{\"version\":1,\"rows\":{" + lv + "}}") << "format：";
    QTest::newRow("other format") << QByteArray("{\"format\":\"x\",\"version\":1,\"rows\":{" + lv
                                                + "}}")
                                  << "format：";
    QTest::newRow("version 2") << QByteArray(
        "{\"format\":\"arvex-profile\",\"version\":2,\"rows\":{" + lv + "}}")
                               << "version：不支持的版本 2";
    QTest::newRow("version text") << QByteArray(
        "{\"format\":\"arvex-profile\",\"version\":\"1\",\"rows\":{" + lv + "}}")
                                  << "version：";
    QTest::newRow("unknown top key") << fileWith(lv, "\"colour\":1,") << "colour：未知的键";
    QTest::newRow("note not text") << fileWith(lv, "\"note\":5,") << "note：";
    QTest::newRow("rows missing") << QByteArray("{\"format\":\"arvex-profile\",\"version\":1}")
                                  << "rows：";
    QTest::newRow("rows empty") << fileWith("") << "rows：文件中没有任何参数";
    QTest::newRow("unknown row") << fileWith("\"conf_xx\":{\"value\":1}") << "conf_xx：";
    QTest::newRow("address row") << fileWith("\"conf_dnum\":{\"value\":1}") << "conf_dnum：";
    QTest::newRow("bare number") << fileWith("\"conf_lv\":2800") << "conf_lv：";
    QTest::newRow("unknown row key")
        << fileWith("\"conf_lv\":{\"value\":2800,\"min\":1}") << "conf_lv.min：未知的键";
    QTest::newRow("fraction") << fileWith("\"conf_lv\":{\"value\":2800.5}")
                              << "conf_lv：值必须是整数";
    QTest::newRow("text value") << fileWith("\"conf_lv\":{\"value\":\"2800\"}")
                                << "conf_lv：值必须是整数";
    QTest::newRow("no value") << fileWith("\"conf_lv\":{\"unit\":\"mV\"}") << "conf_lv：";
    QTest::newRow("above range") << fileWith(lv + ",\"conf_hv\":{\"value\":5001}")
                                 << "conf_hv：值 5001 超出范围 [1500 - 5000]";
    QTest::newRow("below range, offset row")
        << fileWith("\"conf_chglt\":{\"value\":-21}") << "conf_chglt：值 -21 超出范围 [-20 - 10]";
    QTest::newRow("huge") << fileWith("\"conf_lv\":{\"value\":1e300}") << "conf_lv：值";
    QTest::newRow("other unit") << fileWith("\"conf_lv\":{\"value\":2800,\"unit\":\"V\"}")
                                << "conf_lv：单位应为 \"mV\"，文件中为 \"V\"";
    // The reader would keep one of the two values silently.
    QTest::newRow("row twice") << fileWith(lv + "," + lv) << "conf_lv：这个键出现了两次";
    QTest::newRow("row twice, escaped")
        << fileWith(lv + ",\"conf_\\u006cv\":{\"value\":3000}") << "conf_lv：这个键出现了两次";
    QTest::newRow("top key twice")
        << fileWith(lv, "\"note\":\"a\",\"note\":\"b\",") << "note：这个键出现了两次";
    QTest::newRow("nested deep") << fileWith(lv, "\"note\":[[[[[[[[[1]]]]]]]]],") << "嵌套过深";
    QByteArray nul = fileWith(lv + ",\"conf_" + QByteArray(8, '\0') + "\":{\"value\":1}");
    QTest::newRow("NUL in a key") << nul << "不是有效的 JSON（第";
    QByteArray big = fileWith(lv, "\"note\":\"" + QByteArray(1024 * 1024, 'a') + "\",");
    QTest::newRow("over 1 MiB") << big << "文件大于 1 MiB";
    QTest::newRow("only rows no page shows")
        << fileWith("\"conf_short\":{\"value\":500}") << "rows：文件中没有任何参数";
    // Values that contradict each other: one message names the pair.
    QTest::newRow("release on the wrong side")
        << fileWith("\"conf_lv\":{\"value\":2700},\"conf_lvre\":{\"value\":2000}")
        << "conf_lvre：欠压恢复阈值 2000 mV 不高于欠压保护阈值 2700 mV";
    QTest::newRow("over-voltage under under-voltage")
        << fileWith("\"conf_lv\":{\"value\":3000},\"conf_hv\":{\"value\":2900}")
        << "conf_hv：过压保护阈值 2900 mV 不高于欠压保护阈值 3000 mV";
}

void TestParameterProfile::badFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const ParameterProfile::ReadResult result = ParameterProfile::read(bytes);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(error), qPrintable(result.error));
    QVERIFY(result.profile.values.isEmpty()); // nothing of a refused file is kept
}

void TestParameterProfile::roundTrip()
{
    ParameterProfile::Profile profile;
    profile.saved = QDateTime(QDate(2026, 12, 8), QTime(10, 15, 30, 123), Qt::OffsetFromUTC, 3600);
    profile.tool = "arvex 1.09";
    profile.address = 7;
    profile.note = "Linie 2 – 电池组 \"A\"";
    // Every row at both of its bounds, the offset and signed rows among them; a paired
    // threshold stays on its side of its partner (the lower row at its minimum, the upper one at
    // its maximum), or the file would be refused.
    QMap<QString, int> paired;
    for (const ThresholdPairs::Pair &pair : ThresholdPairs::pairs()) {
        const bool above = pair.side == ThresholdPairs::Side::Above;
        const ParameterTable::Row *upper = ParameterProfile::findRow(above ? pair.row : pair.other);
        const ParameterTable::Row *lower = ParameterProfile::findRow(above ? pair.other : pair.row);
        paired.insert(upper->lineEdit, upper->max);
        paired.insert(lower->lineEdit, lower->min);
    }
    for (bool high : { false, true }) {
        for (const ParameterTable::Row *row : ParameterProfile::rows())
            profile.values.insert(row->lineEdit,
                                  paired.value(row->lineEdit, high ? row->max : row->min));

        QTemporaryDir dir;
        const QString path = dir.filePath("profile.json");
        QCOMPARE(ParameterProfile::writeFile(path, profile), QString());
        const ParameterProfile::ReadResult back = ParameterProfile::readFile(path);
        QVERIFY2(back.ok, qPrintable(back.error));
        QCOMPARE(back.profile.values, profile.values);
        QCOMPARE(back.profile.saved, profile.saved);
        QCOMPARE(back.profile.note, profile.note);
        QCOMPARE(back.profile.address, 7);
        QCOMPARE(back.profile.tool, profile.tool);
        // The page's unit is written beside each value.
        const QJsonObject rows =
            QJsonDocument::fromJson(ParameterProfile::toJson(profile)).object()["rows"].toObject();
        QCOMPARE(rows["conf_chght"].toObject()["unit"].toString(), QString("℃"));
    }
    // A folder that cannot be written says why; the old file is left as it was.
    QVERIFY(!ParameterProfile::writeFile("/nonexistent/profile.json", profile).isEmpty());
    QVERIFY(!ParameterProfile::readFile("/nonexistent/profile.json").ok);
}

void TestParameterProfile::compareWithBoard()
{
    ParameterProfile::Profile profile;
    profile.values = {
        { "conf_lv", 2800 }, { "conf_hv", 4200 }, { "conf_chght", 55 }, { "conf_vpgine", 3 }
    };
    QHash<QString, int> board = {
        { "conf_lv", 2800 }, { "conf_hv", 4250 }, { "conf_vpgine", 3 }, { "conf_chgc", 100 }
    };
    const QVector<ParameterProfile::Comparison> rows = ParameterProfile::compare(profile, board);
    // The profile's rows only, in the table's order; a row the board has not reported differs.
    QStringList keys;
    for (const auto &c : rows)
        keys << c.key + (c.differs() ? "*" : "");
    QCOMPARE(keys, QStringList({ "conf_lv", "conf_hv*", "conf_chght*", "conf_vpgine" }));
    QVERIFY(!rows.at(2).known);
    QCOMPARE(ParameterProfile::differences(rows), 2);

    // A board's block: the profile's rows only, values as the page shows them. A value out of
    // its row's range is not saved (the file would be refused).
    QVector<ParameterBlock::Field> block = ParameterBlock::decode("03", {});
    const QHash<QString, int> values = ParameterProfile::boardValues(block);
    QCOMPARE(values.size(), ParameterProfile::rows().size());
    QCOMPARE(values.value("conf_chght"), -40); // an empty block reads 0 + the shown offset
    QStringList skipped;
    const ParameterProfile::Profile saved = ParameterProfile::fromBoard(values, 3, &skipped);
    QVERIFY(skipped.contains("conf_lv")); // 0 mV: below 1500
    QVERIFY(!saved.values.contains("conf_lv"));
    QCOMPARE(saved.values.value("conf_vpgine", -1), 0);
    QCOMPARE(saved.values.size() + skipped.size(), values.size());

    // The second guard: what goes out, and nothing outside the row's range.
    uint16_t wire = 0;
    QVERIFY(ParameterProfile::wireValue(*ParameterProfile::findRow("conf_chglt"), -20, &wire));
    QCOMPARE(wire, uint16_t(20));
    QVERIFY(ParameterProfile::wireValue(*ParameterTable::findByLineEdit("conf_cax"), -5, &wire));
    QCOMPARE(wire, uint16_t(0xFFFB));
    QVERIFY(!ParameterProfile::wireValue(*ParameterProfile::findRow("conf_lv"), 1000, &wire));
}

void TestParameterProfile::addressLists()
{
    const QVector<int> list = AddressList::parse(" 1, 3 ,5-8,3");
    QCOMPARE(list, QVector<int>({ 1, 3, 5, 6, 7, 8 }));
    QCOMPARE(AddressList::format(list), QString("1,3,5-8"));
    QCOMPARE(AddressList::format({ 2, 3, 9 }), QString("2,3,9"));
    QCOMPARE(AddressList::parse("0-99").size(), 100);
    for (const char *bad : { "", "1,,2", "8-5", "100", "1-100", "a", "-3", "1.5", "1;2" }) {
        QString error;
        QVERIFY2(AddressList::parse(bad, &error).isEmpty(), bad);
        QVERIFY2(!error.isEmpty(), bad);
    }
}

QTEST_GUILESS_MAIN(TestParameterProfile)
#include "tst_parameterprofile.moc"
