// Profiles against the simulated board, as a user works with them: save what the board holds,
// change two rows, open the file beside the board, apply only what differs and see it confirmed
// and recorded; a file with a value out of range is refused before anything is sent; an apply to a
// bank asks first, gives up the boards that do not answer and counts the boards on its bar.
#include "boardfixture.h"
#include "filedialogs.h"
#include "parameterprofile.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class TestProfiles : public QObject, public BoardFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void saveChangeOpenApply();
    void outOfRangeFileSendsNothing();
    void applyToBoardThatNeverAnswers();
    void contradictingFileSendsNothing();
    void applyToABankWithTwoBoardsMissing();

private:
    QString fileWith(const QByteArray &rows)
    {
        const QString file = dir->filePath("profile.json");
        QFile f(file);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(R"({"format":"arvex-profile","version":1,"rows":{)" + rows + "}}");
        return file;
    }
    int writesSeen() const { return boardLog().count(" RX :W+"); }
    QTableWidget *table() const { return child<QTableWidget>("profile_table"); }
    // The keys of the table's rows whose mark column reads text (a page's name above its rows
    // has none).
    QStringList marked(const QString &text) const
    {
        QStringList keys;
        for (int i = 0; i < table()->rowCount(); ++i) {
            if (table()->item(i, 5) && table()->item(i, 5)->text() == text)
                keys << table()->item(i, 0)->data(Qt::UserRole).toString();
        }
        return keys;
    }
    // The keys of the rows shown, and of all rows.
    QStringList rows(bool shownOnly) const
    {
        QStringList keys;
        for (int i = 0; i < table()->rowCount(); ++i) {
            const QString key = table()->item(i, 0)->data(Qt::UserRole).toString();
            if (!key.isEmpty() && !(shownOnly && table()->isRowHidden(i)))
                keys << key;
        }
        return keys;
    }
    int unknownRows() const
    {
        return table()->findItems(QStringLiteral("未知"), Qt::MatchExactly).size();
    }
    void writeRow(const char *field, const char *value)
    {
        child<QLineEdit>(field)->setText(value);
        child<QPushButton>((QByteArray(field) + "_btn").constData())->click();
        QTRY_VERIFY_WITH_TIMEOUT(child<QLineEdit>(field)->toolTip().startsWith("已确认"), WaitMs);
    }
};

void TestProfiles::saveChangeOpenApply()
{
    QVERIFY(connectTo({ "--static" }));
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("statu_send")->text(), QStringLiteral("Fine "), WaitMs);
    // A typed value is not the board's: the file holds what the board holds.
    child<QLineEdit>("conf_hv")->setText("4000");
    const QString file = dir->filePath("pack.json");
    FileDialogs::Answerer answer(file);
    child<QPushButton>("profile_save")->click();
    QTRY_COMPARE_WITH_TIMEOUT(boxes->entries().size(), 1, WaitMs);
    QVERIFY2(boxes->entries().at(0).text.startsWith("已保存地址 1 的 35 项参数到"),
             qPrintable(boxes->entries().at(0).text));
    const ParameterProfile::ReadResult saved = ParameterProfile::readFile(file);
    QVERIFY(saved.ok);
    QVERIFY(saved.profile.values.value("conf_hv") != 4000);

    writeRow("conf_lv", "2600");
    writeRow("conf_chght", "60");
    child<QPushButton>("profile_open")->click();
    auto *dialog = child<QDialog>("profile_dialog");
    QVERIFY(dialog->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(unknownRows(), 0, WaitMs);
    QCOMPARE(rows(false).size(), saved.profile.values.size());
    QCOMPARE(marked("≠ 不同"), QStringList({ "conf_lv", "conf_chght" }));
    // Only what differs is shown, as the pages order it.
    QCOMPARE(rows(true), QStringList({ "conf_lv", "conf_chght" }));

    // Asked first, naming the rows and the pack; "No" sends nothing.
    const int writes = writesSeen();
    boxes->setAnswer(false);
    child<QPushButton>("profile_apply")->click();
    QCOMPARE(boxes->entries().size(), 2);
    QCOMPARE(boxes->entries().at(1).kind, Messages::Kind::Question);
    QCOMPARE(boxes->entries().at(1).text,
             QStringLiteral("将与文件不同的 2 项参数写入地址 1 的电池包？"));
    QVERIFY(child<QPushButton>("profile_apply")->isEnabled());
    boxes->setAnswer(true);
    child<QPushButton>("profile_apply")->click();
    auto *results = child<QListWidget>("profile_results");
    QTRY_COMPARE_WITH_TIMEOUT(results->count(), 1, 2 * WaitMs);
    QCOMPARE(results->item(0)->text(), QStringLiteral("地址 1：2 项已写入并确认"));
    QCOMPARE(writesSeen(), writes + 2); // only the rows that differed
    QCOMPARE(marked("已确认"), QStringList({ "conf_lv", "conf_chght" }));
    QVERIFY(marked("≠ 不同").isEmpty());
    // The rows written stay in view with what became of them.
    QCOMPARE(rows(true), QStringList({ "conf_lv", "conf_chght" }));
    QTRY_COMPARE_WITH_TIMEOUT(child<QProgressBar>("profile_progress")->text(),
                              QStringLiteral("1 块板子：1 块已确认"), WaitMs);

    QFile audit(settings->recordings() + "/apply-log.csv");
    QVERIFY(audit.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = audit.readAll().split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines.at(1).contains(",1,conf_lv,2600,2500,yes,confirmed"), lines.at(1).constData());
    QCOMPARE(boxes->entries().size(), 3);
}

void TestProfiles::outOfRangeFileSendsNothing()
{
    QVERIFY(connectTo({ "--static" }));
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("statu_send")->text(), QStringLiteral("Fine "), WaitMs);
    const QString file =
        fileWith(R"("conf_lv":{"value":2600,"unit":"mV"},"conf_chgc":{"value":501,"unit":"A"})");
    const int writes = writesSeen();
    FileDialogs::Answerer answer(file);
    child<QPushButton>("profile_open")->click();
    QCOMPARE(boxes->entries().size(), 1);
    QCOMPARE(boxes->entries().at(0).text, QStringLiteral("conf_chgc：值 501 超出范围 [1 - 500]。"));
    QVERIFY(!child<QDialog>("profile_dialog")->isVisible());
    // A few polls later still nothing written.
    const int polls = requestsSeen();
    QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() >= polls + 2, WaitMs);
    QCOMPARE(writesSeen(), writes);
}

void TestProfiles::applyToBoardThatNeverAnswers()
{
    // "Apply to…" a board not on the line: nothing can be written, and the audit still names
    // each row of the file for it.
    QVERIFY(connectTo({ "--static" }));
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("statu_send")->text(), QStringLiteral("Fine "), WaitMs);
    const QString file =
        fileWith(R"("conf_lv":{"value":2600,"unit":"mV"},"conf_hv":{"value":3600,"unit":"mV"})");
    FileDialogs::Answerer answer(file);
    child<QPushButton>("profile_open")->click();
    QVERIFY(child<QDialog>("profile_dialog")->isVisible());
    child<QLineEdit>("profile_addresses")->setText("7");
    const int writes = writesSeen();
    child<QPushButton>("profile_apply_to")->click();
    auto *results = child<QListWidget>("profile_results");
    QTRY_COMPARE_WITH_TIMEOUT(results->count(), 1, 6 * WaitMs);
    QCOMPARE(results->item(0)->text(), QStringLiteral("地址 7：板子没有回应，未写入"));
    QCOMPARE(writesSeen(), writes);

    QFile audit(settings->recordings() + "/apply-log.csv");
    QVERIFY(audit.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = audit.readAll().split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines.at(1).endsWith(",7,conf_lv,,2600,no,no reply"), lines.at(1).constData());
    QVERIFY2(lines.at(2).endsWith(",7,conf_hv,,3600,no,no reply"), lines.at(2).constData());
}

void TestProfiles::contradictingFileSendsNothing()
{
    // The board's factory thresholds: under-voltage trip 2500 mV, release 2900 mV.
    QVERIFY(connectTo({ "--static" }));
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("statu_send")->text(), QStringLiteral("Fine "), WaitMs);
    auto *dialog = child<QDialog>("profile_dialog");
    const int writes = writesSeen();

    // Values that contradict each other: refused as the file is opened, one box naming both.
    {
        FileDialogs::Answerer answer(
            fileWith(R"("conf_lv":{"value":2700},"conf_lvre":{"value":2000})"));
        child<QPushButton>("profile_open")->click();
    }
    QCOMPARE(boxes->entries().size(), 1);
    QVERIFY2(
        boxes->entries().at(0).text.contains("欠压恢复阈值 2000 mV 不高于欠压保护阈值 2700 mV"),
        qPrintable(boxes->entries().at(0).text));
    QVERIFY(!dialog->isVisible());
    boxes->clear();

    // A release under the trip the board keeps, the board not read yet: the file opens, and the
    // read-back it asks for refuses it.
    const QString release = fileWith(R"("conf_lvre":{"value":2000},"conf_chgc":{"value":120})");
    {
        FileDialogs::Answerer answer(release);
        child<QPushButton>("profile_open")->click();
    }
    QTRY_COMPARE_WITH_TIMEOUT(boxes->entries().size(), 1, WaitMs);
    QVERIFY2(
        boxes->entries().at(0).text.contains("欠压恢复阈值 2000 mV 不高于欠压保护阈值 2500 mV"),
        qPrintable(boxes->entries().at(0).text));
    QVERIFY(!dialog->isVisible());
    boxes->clear();

    // Opened again, now that the board's values are known: refused at once.
    {
        FileDialogs::Answerer answer(release);
        child<QPushButton>("profile_open")->click();
    }
    QCOMPARE(boxes->entries().size(), 1);
    QVERIFY(!dialog->isVisible());
    boxes->clear();

    // A file that agrees with the board when opened; the board's trip is then raised over the
    // file's release. The apply reads the board and refuses it whole, the other row too.
    {
        FileDialogs::Answerer answer(
            fileWith(R"("conf_lvre":{"value":2600},"conf_chgc":{"value":120})"));
        child<QPushButton>("profile_open")->click();
    }
    QVERIFY(dialog->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(unknownRows(), 0, WaitMs);
    writeRow("conf_lv", "2700");
    const int before = writesSeen();
    child<QPushButton>("profile_apply")->click();
    auto *results = child<QListWidget>("profile_results");
    QTRY_COMPARE_WITH_TIMEOUT(results->count(), 1, 2 * WaitMs);
    QVERIFY2(results->item(0)->text().startsWith("地址 1：未写入"),
             qPrintable(results->item(0)->text()));
    // The question the apply asks first, answered yes, then the refusal.
    QTRY_COMPARE_WITH_TIMEOUT(boxes->entries().size(), 2, WaitMs);
    QCOMPARE(boxes->entries().at(0).kind, Messages::Kind::Question);
    QVERIFY2(
        boxes->entries().at(1).text.contains("欠压恢复阈值 2600 mV 不高于欠压保护阈值 2700 mV"),
        qPrintable(boxes->entries().at(1).text));
    QCOMPARE(writesSeen(), before);
    dialog->hide();
    boxes->clear();

    // A file of an earlier version opens without the rows no page shows, and says so.
    {
        FileDialogs::Answerer answer(
            fileWith(R"("conf_lvre":{"value":2950},"conf_getmod":{"value":1})"));
        child<QPushButton>("profile_open")->click();
    }
    QVERIFY(dialog->isVisible());
    QCOMPARE(rows(false), QStringList{ "conf_lvre" });
    QCOMPARE(boxes->entries().size(), 1);
    QCOMPARE(boxes->entries().at(0).kind, Messages::Kind::Information);
    QVERIFY2(boxes->entries().at(0).text.contains("conf_getmod"),
             qPrintable(boxes->entries().at(0).text));

    // A few polls later nothing written but the page's own write.
    const int polls = requestsSeen();
    QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() >= polls + 2, WaitMs);
    QCOMPARE(writesSeen(), writes + 1);
}

void TestProfiles::applyToABankWithTwoBoardsMissing()
{
    // Four packs polled, two of them not on the line. Each missing board is given up with the
    // read-back asked of it, recorded as not answering, and counted as such on the bar.
    QVERIFY(connectTo({ "--static", "--address", "1-2" }));
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("statu_send")->text(), QStringLiteral("Fine "), WaitMs);
    window->boardSession()->setAddresses({ 1, 2, 3, 4 });
    const QString file =
        fileWith(R"("conf_lv":{"value":2600,"unit":"mV"},"conf_hv":{"value":3600,"unit":"mV"})");
    FileDialogs::Answerer answer(file);
    child<QPushButton>("profile_open")->click();
    QCOMPARE(child<QLineEdit>("profile_addresses")->text(), QStringLiteral("1-4"));
    QTRY_COMPARE_WITH_TIMEOUT(unknownRows(), 0, WaitMs);

    const int writes = writesSeen();
    boxes->setAnswer(false);
    child<QPushButton>("profile_apply_to")->click();
    QCOMPARE(boxes->entries().size(), 1);
    QCOMPARE(
        boxes->entries().at(0).text,
        QStringLiteral("先逐个读回 4 个电池包（地址 1-4），再向每个写入与文件不同的参数（每个最多 "
                       "2 项）？\n地址 1 的电池包目前有 2 项与文件不同。"));
    boxes->setAnswer(true);
    child<QPushButton>("profile_apply_to")->click();
    auto *results = child<QListWidget>("profile_results");
    QTRY_COMPARE_WITH_TIMEOUT(results->count(), 4, 4 * WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(child<QPushButton>("profile_stop")->isEnabled(), false, WaitMs);
    QCOMPARE(writesSeen(), writes + 4); // two rows to each board that answered
    QCOMPARE(results->item(2)->text(), QStringLiteral("地址 3：板子没有回应，未写入"));
    QCOMPARE(child<QProgressBar>("profile_progress")->text(),
             QStringLiteral("4 块板子：2 块已确认，2 块没有回应"));
    // Asked as often as any read-back is, not once more per guard time.
    for (const char *request : { " RX :Y+03+52=?~", " RX :Y+04+52=?~" })
        QCOMPARE(boardLog().count(request), 4);

    QFile audit(settings->recordings() + "/apply-log.csv");
    QVERIFY(audit.open(QIODevice::ReadOnly));
    const QString lines = QString::fromUtf8(audit.readAll());
    for (int address : { 3, 4 }) {
        for (const char *row : { "conf_lv,,2600", "conf_hv,,3600" }) {
            const QString line = QStringLiteral(",%1,%2,no,no reply\n").arg(address).arg(row);
            QVERIFY2(lines.contains(line), qPrintable(lines));
        }
    }
}

QTEST_MAIN(TestProfiles)
#include "tst_profiles.moc"
