// The frame console window: what its buttons and filter do to the rows, the saved file, and its
// link to a session, held only while it is shown.
#include "filedialogs.h"
#include "frameconsole.h"
#include "messages.h"
#include "namedchild.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using FV = BoardSession::FrameVerdict;

// The rows of the view, one string each: code, verdict and text, as shown.
QStringList rows(const FrameConsole &console)
{
    const QAbstractItemModel *model = namedChild<QTableView>(&console, "frame_view")->model();
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c : { FrameLog::CodeColumn, FrameLog::VerdictColumn, FrameLog::TextColumn })
            cells << model->index(r, c).data().toString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

// A poll of each kind: a good real-time reply, a parameter read that timed out, a busy line.
void feed(FrameConsole *console)
{
    console->frameSent(":Y+01+51=?~");
    console->frameChecked(":Y+01+51+0c+12~", FV::Good);
    console->frameSent(":Y+01+52=?~");
    console->replyTimeout();
    console->busBusy();
}
} // namespace

class TestFrameConsole : public QObject
{
    Q_OBJECT

private slots:
    void init() { QStandardPaths::setTestModeEnabled(true); }
    void pauseClearAndFilter();
    void saveWritesTheRowsShown();
    void listensOnlyWhileShown();
    void everyPackOnABus();
};

void TestFrameConsole::pauseClearAndFilter()
{
    FrameConsole console;
    const QDateTime t0(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
    console.setClock([&t0] { return t0; });
    auto *counts = namedChild<QLabel>(&console, "frame_counts");
    auto *pause = namedChild<QPushButton>(&console, "frame_pause");

    feed(&console);
    QCOMPARE(rows(console),
             QStringList({ "51||:Y+01+51=?~", "51|CRC 正确|:Y+01+51+0c+12~", "52||:Y+01+52=?~",
                           "52|超时|地址 1 没有应答", "|总线忙|线路不空闲，帧等到下一个周期" }));
    QCOMPARE(namedChild<QTableView>(&console, "frame_view")
                 ->model()
                 ->index(0, FrameLog::TimeColumn)
                 .data()
                 .toString(),
             QStringLiteral("09:00:00.000"));
    QCOMPARE(counts->text(), QStringLiteral("共 5 条，显示 5 条"));

    // Paused, nothing is taken; a row marks where the capture stopped.
    pause->click();
    QVERIFY(console.isPaused());
    QCOMPARE(pause->text(), QStringLiteral("继续"));
    feed(&console);
    console.sendFailed(BoardSession::SendFailure::PortClosed);
    QCOMPARE(console.log().count(), 6);
    QCOMPARE(rows(console).last(), QStringLiteral("|暂停|记录已暂停：继续之前的帧没有记录"));
    pause->click();
    QCOMPARE(pause->text(), QStringLiteral("暂停"));
    console.sendFailed(BoardSession::SendFailure::PartialWrite);
    QCOMPARE(rows(console).last(), QStringLiteral("|未发出|只写出了一部分"));

    // The filter chooses rows at once, also for what comes later; a text that is no list of
    // codes is marked and leaves the rows as they were.
    auto *filter = namedChild<QLineEdit>(&console, "frame_filter");
    filter->setText(QStringLiteral("52"));
    QCOMPARE(rows(console),
             QStringList({ "52||:Y+01+52=?~", "52|超时|地址 1 没有应答",
                           "|总线忙|线路不空闲，帧等到下一个周期",
                           "|暂停|记录已暂停：继续之前的帧没有记录", "|未发出|只写出了一部分" }));
    console.frameSent(":Y+01+51=?~");
    QCOMPARE(rows(console).size(), 5);
    QCOMPARE(counts->text(), QStringLiteral("共 8 条，显示 5 条"));
    filter->setText(QStringLiteral("52-"));
    QVERIFY(!filter->styleSheet().isEmpty());
    QCOMPARE(rows(console).size(), 5);
    filter->clear();
    QVERIFY(filter->styleSheet().isEmpty());
    QCOMPARE(rows(console).size(), 8);

    namedChild<QPushButton>(&console, "frame_clear")->click();
    QCOMPARE(rows(console), QStringList());
    QCOMPARE(counts->text(), QStringLiteral("共 0 条，显示 0 条"));
    console.frameSent(":Y+01+51=?~");
    QCOMPARE(rows(console).size(), 1);
}

void TestFrameConsole::saveWritesTheRowsShown()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FrameConsole console;
    QDateTime now(QDate(2026, 12, 7), QTime(14, 30, 5));
    console.setClock([&now] { return now; });
    const QString recordings = dir.filePath(QStringLiteral("recordings"));
    console.setRecordingsFolder([recordings] { return recordings; });
    feed(&console);
    namedChild<QLineEdit>(&console, "frame_filter")->setText(QStringLiteral("51"));

    // The first capture is suggested beside the recordings (the folder made if need be), under
    // a name of its time; cancelled, nothing is written.
    FileDialogs::Answerer answer{ QString() };
    Messages::Recorder boxes;
    namedChild<QPushButton>(&console, "frame_save")->click();
    QCOMPARE(answer.questions().size(), 1);
    QCOMPARE(answer.questions()[0].dir, recordings + QStringLiteral("/frames-20261207-143005.txt"));
    QCOMPARE(QDir(recordings).entryList(QDir::Files), QStringList());
    QVERIFY(namedChild<QLabel>(&console, "frame_saved")->text().isEmpty());

    const QString path = dir.filePath(QStringLiteral("capture.txt"));
    answer.setAnswer(path);
    namedChild<QPushButton>(&console, "frame_save")->click();
    QCOMPARE(answer.questions().size(), 2);
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    QCOMPARE(text, console.log().text());
    QCOMPARE(text.count('\n'), 1 + 1 + 3); // filter line, captions, two 51 frames and the busy line
    QVERIFY(namedChild<QLabel>(&console, "frame_saved")->text().contains(QStringLiteral("3")));
    QVERIFY(boxes.entries().isEmpty());
    // The next one beside the last, under the time of its own.
    now = now.addSecs(3600);
    answer.setAnswer(QString());
    namedChild<QPushButton>(&console, "frame_save")->click();
    QCOMPARE(answer.questions().last().dir,
             dir.filePath(QStringLiteral("frames-20261207-153005.txt")));

    // A file that cannot be written is said so, never passed off as saved.
    answer.setAnswer(dir.filePath(QStringLiteral("missing/capture.txt")));
    namedChild<QPushButton>(&console, "frame_save")->click();
    QCOMPARE(boxes.entries().size(), 1);
    QCOMPARE(boxes.entries()[0].kind, Messages::Kind::Warning);
    QVERIFY(boxes.entries()[0].text.contains(QStringLiteral("missing")));
}

void TestFrameConsole::listensOnlyWhileShown()
{
    auto session = std::make_unique<BoardSession>();
    FrameConsole console;
    console.attach(session.get());
    // A write on a closed line is refused with sendFailed; a block handed to the check gives
    // frameChecked: both without a port.
    const auto refusedWrite = [&session] { session->queueWrite(":W+01+00+", 5); };
    const QByteArray block = ":Y+01+51+0a+77e4~";

    refusedWrite();
    QCOMPARE(console.log().count(), 0); // closed, it costs nothing and takes nothing

    console.show();
    QVERIFY(console.isListening());
    refusedWrite();
    session->checkFrame(block);
    emit session->pollUnanswered(6, BoardSession::Unanswered::NoReply);
    QCOMPARE(rows(console),
             QStringList({ "|未发出|端口未打开", "51|CRC 错误|:Y+01+51+0a+77e4~",
                           "|超时|地址 6 没有应答" }));

    // Closed again, it lets go, and its log says where the gap begins.
    console.hide();
    QVERIFY(!console.isListening());
    refusedWrite();
    QCOMPARE(console.log().count(), 4);
    QCOMPARE(console.log().at(3).verdict, FrameLog::Verdict::Stopped);

    // A session that goes away leaves a console that shows nothing more, and no dangling link.
    console.show();
    session.reset();
    console.hide();
    console.show();
    QVERIFY(!console.isListening());
    QCOMPARE(console.log().count(), 4); // the gap is marked once
}

void TestFrameConsole::everyPackOnABus()
{
    // A cycle over three packs: each pack's time-out is listed with its address, however the
    // poll went unanswered, and the filter chooses packs as it chooses codes.
    using U = BoardSession::Unanswered;
    FrameConsole console;
    console.frameSent(":Y+02+51=?~");
    console.frameChecked(":Y+02+51+0c+12~", FV::Good);
    console.frameSent(":Y+03+51=?~");
    console.pollUnanswered(3, U::NoReply);
    console.replyTimeout(); // pack 3 is also the one in focus
    console.frameSent(":Y+04+51=?~");
    console.pollUnanswered(4, U::CutShort);
    console.pollUnanswered(2, U::NotSent);
    const QStringList all{ "51||:Y+02+51=?~",
                           "51|CRC 正确|:Y+02+51+0c+12~",
                           "51||:Y+03+51=?~",
                           "51|超时|地址 3 没有应答",
                           "51||:Y+04+51=?~",
                           "51|超时|地址 4 的应答不完整",
                           "|总线忙|线路忙，地址 2 的请求未发出" };
    QCOMPARE(rows(console), all);

    auto *filter = namedChild<QLineEdit>(&console, "frame_filter");
    filter->setText(QStringLiteral("addr 2,4"));
    QCOMPARE(rows(console), QStringList({ all[0], all[1], all[4], all[5], all[6] }));
    filter->setText(QStringLiteral("addr 3-"));
    QVERIFY(!filter->styleSheet().isEmpty());
    QCOMPARE(rows(console).size(), 5);
    filter->setText(QStringLiteral("51 addr 3"));
    QCOMPARE(rows(console), QStringList({ all[2], all[3] }));

    // The rows name packs in the language of the moment.
    QTranslator english;
    QVERIFY(english.load(QStringLiteral("KORVA_Lang.qm"), QCoreApplication::applicationDirPath()));
    QCoreApplication::installTranslator(&english);
    QCOMPARE(rows(console).at(1), QStringLiteral("51|Time-out|No answer from address 3"));
    QCoreApplication::removeTranslator(&english);
}

QTEST_MAIN(TestFrameConsole)
#include "tst_frameconsole.moc"
