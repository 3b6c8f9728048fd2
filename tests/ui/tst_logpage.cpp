// The log page on the bare form, without the window: recording each logging run to a file per
// pack that is the export of its rows, and failures that stop recording but not logging.
#include "datalog.h"
#include "isolatedsettings.h"
#include "logpage.h"
#include "messages.h"
#include "switchbutton.h"
#include "telemetry.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QList<QByteArray> lines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> all = f.readAll().split('\n');
    all.removeLast(); // after the last line end
    return all;
}

} // namespace

class TestLogPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void oneFilePerLoggingRunHoldingTheTablesRows();
    void severalPacksGoToAFileEach();
    void failureStopsRecordingOnceAndLoggingGoesOn_data();
    void failureStopsRecordingOnceAndLoggingGoesOn();

private:
    // A record whose pack voltage tells the rows apart.
    void send(int packMv = 52000, int address = 7)
    {
        cell record;
        record.id = address;
        record.totalv = packMv;
        record.cadc = -1500;
        page->addRecord(record);
    }
    void setLogging(bool on)
    {
        if (page->isLogging() != on)
            page->switchLogging();
    }
    QStringList recordings() const
    {
        return QDir(settings->recordings()).entryList({ "*.csv" }, QDir::Files, QDir::Name);
    }
    DataLog *log() { return qobject_cast<DataLog *>(ui.data_view->model()); }

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<Messages::Recorder> boxes;
    Ui_MainWindow ui;
    std::unique_ptr<QMainWindow> host;
    LogPage *page = nullptr;
};

void TestLogPage::initTestCase()
{
    settings = std::make_unique<IsolatedSettings>();
    boxes = std::make_unique<Messages::Recorder>();
}

void TestLogPage::init()
{
    host = std::make_unique<QMainWindow>();
    ui.setupUi(host.get());
    page = new LogPage(
        &ui, host.get(), [] { return 7; },
        [] { return QLocale(QLocale::Chinese, QLocale::China); });
    ui.tab_widget->setCurrentWidget(ui.tab_5); // the page under test is the one in front
    host->show();
    QDir(settings->recordings()).removeRecursively();
    boxes->clear();
}

void TestLogPage::cleanup()
{
    host.reset(); // and the page with it
    page = nullptr;
}

void TestLogPage::oneFilePerLoggingRunHoldingTheTablesRows()
{
    QLabel *state = ui.data_record_file;
    QVERIFY2(state->text().contains(QDir::toNativeSeparators(settings->recordings())),
             qPrintable(state->text()));

    // A run without rows (no board answering) leaves no file; the file is made with the first
    // row, and every row is on disk before the next reply comes.
    setLogging(true);
    QCOMPARE(ui.btn_log->text(), QStringLiteral("STOP"));
    QVERIFY(recordings().isEmpty());
    setLogging(false);
    setLogging(true);
    QVERIFY(recordings().isEmpty());
    QString first;
    for (int i = 1; i <= 3; ++i) {
        send(52000 + i);
        QCOMPARE(recordings().size(), 1);
        first = settings->recordings() + '/' + recordings().at(0);
        QCOMPARE(lines(first).size(), 1 + i);
    }
    QTRY_COMPARE(ui.data_total_line->text(), QStringLiteral("3"));
    // Named after the pack the rows come from.
    QVERIFY2(QRegularExpression("^arvex-\\d{8}-\\d{6}-pack07\\.csv$")
                 .match(recordings().at(0))
                 .hasMatch(),
             qPrintable(recordings().at(0)));
    setLogging(false);
    QCOMPARE(ui.btn_log->text(), QStringLiteral("RUN"));
    QVERIFY2(state->text().contains(QFileInfo(first).fileName()) && state->text().contains("3 行"),
             qPrintable(state->text()));
    send(); // logging off: neither table nor file
    QTRY_COMPARE(ui.data_total_line->text(), QStringLiteral("3"));

    // A second run starts a second file; the table keeps all rows, each file those of its run.
    setLogging(true);
    send(53000);
    send(53001);
    setLogging(false);
    QStringList files = recordings();
    QCOMPARE(files.size(), 2);
    files.removeAll(QFileInfo(first).fileName());
    const QString second = settings->recordings() + '/' + files.value(0);
    QTemporaryDir dir;
    const QString exported = dir.filePath("export.csv");
    QVERIFY(log()->writeCsv(exported));
    const QList<QByteArray> table = lines(exported);
    QCOMPARE(table.size(), 1 + 5);
    QCOMPARE(lines(first), table.mid(0, 4));
    QCOMPARE(lines(second), table.mid(0, 1) + table.mid(4));

    // With the switch off a run records nothing.
    ui.data_record->SetActive(false);
    setLogging(true);
    send();
    setLogging(false);
    QCOMPARE(recordings().size(), 2);
    QCOMPARE(log()->count(), 6);
    QVERIFY(boxes->entries().isEmpty());
}

void TestLogPage::severalPacksGoToAFileEach()
{
    setLogging(true);
    send(52001, 2);
    send(52002, 7);
    send(52003, 2);
    QStringList files = recordings();
    QCOMPARE(files.size(), 2);
    QVERIFY2(files.at(0).endsWith("-pack02.csv") && files.at(1).endsWith("-pack07.csv"),
             qPrintable(files.join(' ')));
    const QList<QByteArray> pack2 = lines(settings->recordings() + '/' + files.at(0));
    const QList<QByteArray> pack7 = lines(settings->recordings() + '/' + files.at(1));
    QCOMPARE(pack2.size(), 3);
    QCOMPARE(pack7.size(), 2);
    QVERIFY(pack2.at(1).contains(",\"2\",") && pack2.at(2).contains(",\"2\","));
    QVERIFY(pack7.at(1).contains(",\"7\","));
    // The line counts the rows of both files and names their folder.
    ui.data_record_file->resize(2000, ui.data_record_file->height());
    setLogging(false);
    const QString text = ui.data_record_file->text();
    QVERIFY2(text.contains("2 个文件") && text.contains("3 行")
                 && text.contains(QDir::toNativeSeparators(settings->recordings())),
             qPrintable(text));
}

void TestLogPage::failureStopsRecordingOnceAndLoggingGoesOn_data()
{
    QTest::addColumn<bool>("atStart"); // the folder takes no file / is removed while recording
    QTest::newRow("folder without write permission") << true;
    QTest::newRow("folder removed while recording") << false;
}

void TestLogPage::failureStopsRecordingOnceAndLoggingGoesOn()
{
    QFETCH(bool, atStart);
    QString folder = settings->recordings();
    QVERIFY(QDir().mkpath(folder));
    if (atStart) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        // root writes anywhere but in /proc.
        if (QFileInfo(folder).isWritable()) {
            folder = QStringLiteral("/proc/arvex-recordings");
            QSettings().setValue("recordings/folder", folder);
        }
    }
    setLogging(true);
    QCoreApplication::processEvents();
    QVERIFY(boxes->entries().isEmpty()); // no file is tried before the first row
    send();
    if (!atStart) {
        QCOMPARE(recordings().size(), 1);
        QVERIFY(QDir(folder).removeRecursively());
    }
    for (int i = 0; i < 3; ++i)
        send();
    // The box waits for the reply being handled: its event loop must not run inside it.
    QVERIFY(boxes->entries().isEmpty());
    QCoreApplication::processEvents();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSettings().setValue("recordings/folder", settings->recordings());

    QCOMPARE(boxes->entries().size(), 1);
    const Messages::Recorder::Entry &box = boxes->entries().at(0);
    QCOMPARE(box.kind, Messages::Kind::Warning);
    QCOMPARE(box.title, QStringLiteral("记录已停止"));
    QVERIFY2(box.text.contains(QDir::toNativeSeparators(folder)), qPrintable(box.text));
    QCOMPARE(log()->count(), 4);
    QCOMPARE(ui.btn_log->text(), QStringLiteral("STOP"));
    QVERIFY(ui.data_record_file->text().startsWith(QStringLiteral("记录已停止")));
}

QTEST_MAIN(TestLogPage)
#include "tst_logpage.moc"
