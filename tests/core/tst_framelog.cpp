// The frame console's log: how frames read, the filter by code and address, the events told once,
// the bounded ring and the saved text.
#include "framelog.h"

#include "frame.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QDateTime When(QDate(2026, 3, 9), QTime(7, 5, 3, 42), Qt::OffsetFromUTC, 8 * 3600);

using V = FrameLog::Verdict;

// A log of one of each kind of entry, a millisecond apart.
void fillSample(FrameLog *log)
{
    QDateTime t = When;
    const auto next = [&t] { return t = t.addMSecs(1); };
    log->sent(":Y+01+51=?~", next());
    log->received(":Y+01+51+0c+1234+abcd~", V::CrcGood, next());
    log->sent(":Y+01+52=?~", next());
    log->event(V::Timeout, next());
    log->sent(":W+01+4f+02+5a+1b2c~", next());
    log->sent(":W+01+1F+02+5a+1b2c~", next());
    log->received(":Y+01+52+00+ffff~", V::CrcBad, next());
    log->event(V::BusBusy, next());
}

// A bus: a pack that answers (3), one that does not (10, told by the cycle and again as the pack
// in focus), one that answers under another battery number (5 answers as 7), a poll of 3 held
// back by a busy line (told for the line and for the pack), a write to 3, a port that closed.
void fillBus(FrameLog *log)
{
    log->sent(":Y+03+51=?~", When);
    log->received(":Y+03+51+0c+1234+abcd~", V::CrcGood, When);
    log->sent(":Y+0A+51=?~", When);
    log->event(V::Timeout, When, nullptr, 10);
    log->event(V::Timeout, When);
    log->sent(":Y+05+51=?~", When);
    log->received(":Y+07+51+0c+1234+abcd~", V::CrcGood, When);
    log->event(V::BusBusy, When, nullptr, 3);
    log->event(V::BusBusy, When);
    log->sent(":W+03+06+03+9ba+3f8b~", When);
    log->event(V::NotSent, When, "端口未打开");
}

// Each shown entry as "code/address", "-" for none.
QStringList shownEntries(const FrameLog &log)
{
    QStringList out;
    for (int i = 0; i < log.shownCount(); ++i) {
        const FrameLog::Entry &e = log.shown(i);
        out << (e.code < 0 ? QStringLiteral("-") : FrameLog::codeText(e.code)) + '/'
                + (e.address < 0 ? QStringLiteral("-") : QString::number(e.address));
    }
    return out;
}

QStringList shownCodes(const FrameLog &log)
{
    QStringList codes;
    for (int i = 0; i < log.shownCount(); ++i) {
        const FrameLog::Entry &e = log.shown(i);
        codes << (e.code < 0 ? QStringLiteral("-") : FrameLog::codeText(e.code));
    }
    return codes;
}
} // namespace

class TestFrameLog : public QObject
{
    Q_OBJECT

private slots:
    void framesRead_data();
    void framesRead();
    void filterByCode_data();
    void filterByCode();
    void filterByAddress_data();
    void filterByAddress();
    void lineEventsToldOnce_data();
    void lineEventsToldOnce();
    void ringKeepsTheNewestAndTellsViews();
    void savedText();
    void saveReplacesOnlyWhenWhole();
};

void TestFrameLog::framesRead_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("address");

    QTest::newRow("read request") << QByteArray(":Y+01+51=?~") << 0x51
                                  << "3A 59 2B 30 31 2B 35 31 3D 3F 7E"
                                  << ":Y+01+51=?~" << 1;
    QTest::newRow("lower-case write code")
        << QByteArray(":W+0A+4f+02+5a+c3~") << 0x4F
        << "3A 57 2B 30 41 2B 34 66 2B 30 32 2B 35 61 2B 63 33 7E"
        << ":W+0A+4f+02+5a+c3~" << 10;
    QTest::newRow("noise before the start")
        << QByteArray("\r\n\xff:Y+63+52+1~") << 0x52 << "0D 0A FF 3A 59 2B 36 33 2B 35 32 2B 31 7E"
        << "\\x0D\\x0A\\xFF:Y+63+52+1~" << 99;
    QTest::newRow("backslash is escaped, so text never passes for an escape")
        << QByteArray(":Y+01+\\x") << -1 << "3A 59 2B 30 31 2B 5C 78"
        << ":Y+01+\\x5Cx" << 1;
    QTest::newRow("no start") << QByteArray("Y+01+51+00~") << -1
                              << "59 2B 30 31 2B 35 31 2B 30 30 7E"
                              << "Y+01+51+00~" << -1;
    QTest::newRow("cut off in the code") << QByteArray(":Y+01+5") << -1 << "3A 59 2B 30 31 2B 35"
                                         << ":Y+01+5" << 1;
    QTest::newRow("code not hex") << QByteArray(":Y+01+G1~") << -1 << "3A 59 2B 30 31 2B 47 31 7E"
                                  << ":Y+01+G1~" << 1;
    QTest::newRow("empty") << QByteArray() << -1 << ""
                           << "" << -1;
}

void TestFrameLog::framesRead()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, code);
    QFETCH(QString, hex);
    QFETCH(QString, text);
    QFETCH(int, address);
    QCOMPARE(FrameLog::codeOf(frame), code);
    QCOMPARE(FrameLog::addressOf(frame), address);
    QCOMPARE(FrameLog::hexText(frame), hex);
    QCOMPARE(FrameLog::frameText(frame), text);

    FrameLog log;
    log.received(frame, V::CrcGood, When);
    QCOMPARE(log.at(0).code, code);
    QCOMPARE(FrameLog::entryText(log.at(0)), text);
    // The wall-clock time of the moment, in its own zone.
    QCOMPARE(FrameLog::timeText(log.at(0).localMs), QStringLiteral("07:05:03.042"));
}

void TestFrameLog::filterByCode_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("shown");

    const QStringList all{ "51", "51", "52", "52", "4F", "1F", "52", "-" };
    QTest::newRow("none") << "" << true << all;
    QTest::newRow("blank is none") << "  " << true << all;
    // A time-out is about the read that went unanswered; a busy line concerns every command.
    QTest::newRow("one code") << "52" << true << QStringList{ "52", "52", "52", "-" };
    QTest::newRow("either case, one digit") << "4f 1" << true << QStringList{ "4F", "-" };
    QTest::newRow("list and range") << "51, 00-1f" << true << QStringList{ "51", "51", "1F", "-" };
    QTest::newRow("range backwards") << "50-1F" << true << QStringList{ "4F", "1F", "-" };
    QTest::newRow("not hex") << "5x" << false << all;
    QTest::newRow("three digits") << "051" << false << all;
    QTest::newRow("open range") << "10-" << false << all;
}

void TestFrameLog::filterByCode()
{
    QFETCH(QString, filter);
    QFETCH(bool, accepted);
    QFETCH(QStringList, shown);

    FrameLog log;
    fillSample(&log);
    QCOMPARE(log.setFilter(filter), accepted);
    QCOMPARE(shownCodes(log), shown);

    // A filter chosen first applies to what comes later, and a refused one changes nothing.
    FrameLog later;
    QVERIFY(later.setFilter(QStringLiteral("4F")));
    QCOMPARE(later.setFilter(filter), accepted);
    fillSample(&later);
    QCOMPARE(shownCodes(later), accepted ? shown : (QStringList{ "4F", "-" }));
}

void TestFrameLog::filterByAddress_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("shown");

    const QStringList all{ "51/3", "51/3", "51/10", "51/10", "51/5", "51/7", "-/3", "06/3", "-/-" };
    QTest::newRow("none") << "" << true << all;
    // The line's own events stay; a reply shows with the read it answers, and under the
    // battery number it carries.
    QTest::newRow("one") << "addr 3" << true << QStringList{ "51/3", "51/3", "-/3", "06/3", "-/-" };
    QTest::newRow("time-out") << "addr 10" << true << QStringList{ "51/10", "51/10", "-/-" };
    QTest::newRow("asked") << "addr 5" << true << QStringList{ "51/5", "51/7", "-/-" };
    QTest::newRow("carried") << "ADDR 7" << true << QStringList{ "51/7", "-/-" };
    QTest::newRow("list with blanks")
        << "addr 5, 9-10" << true << QStringList{ "51/10", "51/10", "51/5", "51/7", "-/-" };
    QTest::newRow("codes first") << "51 addr 3" << true
                                 << QStringList{ "51/3", "51/3", "-/3", "-/-" };
    QTest::newRow("codes after") << "addr 3 06" << true << QStringList{ "-/3", "06/3", "-/-" };
    QTest::newRow("no list") << "addr" << false << all;
    QTest::newRow("codes, no list") << "51 addr" << false << all;
    QTest::newRow("beyond 99") << "addr 100" << false << all;
    QTest::newRow("range backwards") << "addr 5-3" << false << all;
    QTest::newRow("twice") << "addr 3 addr 4" << false << all;
    QTest::newRow("not a number") << "addr 3x" << false << all;
    QTest::newRow("hex address") << "addr 0A" << false << all;
}

void TestFrameLog::filterByAddress()
{
    QFETCH(QString, filter);
    QFETCH(bool, accepted);
    QFETCH(QStringList, shown);

    FrameLog log;
    fillBus(&log);
    QCOMPARE(log.setFilter(filter), accepted);
    QCOMPARE(shownEntries(log), shown);
    QCOMPARE(FrameLog::isFilter(filter), accepted);
    if (accepted)
        QCOMPARE(log.filter(), filter.simplified());

    // A filter chosen first applies to what comes later.
    FrameLog later;
    QCOMPARE(later.setFilter(filter), accepted);
    fillBus(&later);
    QCOMPARE(shownEntries(later), shown);
}

void TestFrameLog::lineEventsToldOnce_data()
{
    // Y3: a read sent to pack 3; T: a time-out of the reply watch, T3: one that names pack 3;
    // B: a busy line, B3: a poll of pack 3 a busy line held back.
    QTest::addColumn<QString>("told");
    QTest::addColumn<QString>("rows");

    QTest::newRow("a watch repeats") << "Y1 T T T1 T"
                                     << "Y1 T1/51";
    QTest::newRow("the cycle, then the focus") << "Y3 T3 T"
                                               << "Y3 T3/51";
    QTest::newRow("each read its own") << "Y1 T Y1 T1"
                                       << "Y1 T1/51 Y1 T1/51";
    QTest::newRow("before any read") << "T4 T"
                                     << "T4/-";
    QTest::newRow("another pack after the read's") << "Y3 T T1"
                                                   << "Y3 T3/51";
    QTest::newRow("a pack not seen asked") << "Y3 T5 T"
                                           << "Y3 T5/- T3/51";
    QTest::newRow("busy for the line, then the pack") << "B B2"
                                                      << "B-";
    QTest::newRow("busy for the pack, then the line") << "B2 B"
                                                      << "B2";
    QTest::newRow("busy tick after tick") << "B B B2 B B2"
                                          << "B- B- B-";
    QTest::newRow("busy for two packs") << "B2 B3"
                                        << "B2 B3";
    QTest::newRow("a frame between") << "B Y1 B2"
                                     << "B- Y1 B2";
}

void TestFrameLog::lineEventsToldOnce()
{
    QFETCH(QString, told);
    QFETCH(QString, rows);
    FrameLog log;
    for (const QString &t : told.split(' ')) {
        const int address = t.size() > 1 ? t.mid(1).toInt() : -1;
        if (t[0] == 'Y')
            log.sent(":Y+" + Frame::addressDigits(address) + "+51=?~", When);
        else
            log.event(t[0] == 'T' ? V::Timeout : V::BusBusy, When, nullptr, address);
    }
    QStringList shown;
    for (int i = 0; i < log.count(); ++i) {
        const FrameLog::Entry &e = log.at(i);
        const QString address = e.address < 0 ? QStringLiteral("-") : QString::number(e.address);
        if (e.direction == FrameLog::Direction::Sent)
            shown << 'Y' + address;
        else if (e.verdict == V::Timeout)
            shown << 'T' + address + '/'
                    + (e.code < 0 ? QStringLiteral("-") : FrameLog::codeText(e.code));
        else
            shown << 'B' + address;
    }
    QCOMPARE(shown.join(' '), rows);
}

void TestFrameLog::ringKeepsTheNewestAndTellsViews()
{
    // A view learns of each append through Change alone; it must end with the rows the log
    // shows, whatever drops and filters came in between.
    QRandomGenerator random(20);
    FrameLog log(50);
    QVector<qint64> view; // what a view holds: the times of the shown rows
    qint64 appended = 0;
    const QStringList filters{ "", "51", "", "52 00-10" };
    for (int round = 0; round < filters.size(); ++round) {
        QVERIFY(log.setFilter(filters[round]));
        view.clear();
        for (int i = 0; i < log.shownCount(); ++i)
            view << log.shown(i).localMs;
        for (int i = 0; i < 120; ++i) {
            const int code = int(random.bounded(0x60));
            const QByteArray frame = ":Y+01+" + FrameLog::codeText(code).toLatin1() + "=?~";
            const FrameLog::Change change = random.bounded(8) == 0
                ? log.event(V::BusBusy, When.addMSecs(appended))
                : log.sent(frame, When.addMSecs(appended));
            ++appended;
            view.remove(0, change.droppedShown);
            if (change.shown)
                view << log.at(log.count() - 1).localMs;
        }
        // Full, the log drops its oldest tenth at once.
        QVERIFY(log.count() > 45 && log.count() <= 50);
        QCOMPARE(log.dropped(), appended - log.count());
        QVector<qint64> expected;
        for (int i = 0; i < log.count(); ++i) {
            if (log.passes(log.at(i)))
                expected << log.at(i).localMs;
        }
        QCOMPARE(view, expected);
        // The newest are kept, in order.
        QCOMPARE(log.at(0).localMs,
                 When.addMSecs(appended - log.count()).toMSecsSinceEpoch() + 8 * 3600000);
    }

    log.clear();
    QCOMPARE(log.count(), 0);
    QCOMPARE(log.shownCount(), 0);
    QCOMPARE(log.dropped(), 0);
    QCOMPARE(log.filter(), QStringLiteral("52 00-10")); // the filter stays
}

void TestFrameLog::savedText()
{
    FrameLog log(8);
    fillSample(&log);
    log.event(V::NotSent, When.addSecs(1), "端口未打开"); // the first read request drops
    QVERIFY(log.setFilter(QStringLiteral("51 4f")));
    const QString expected =
        QStringLiteral("# 更早的 1 条已丢弃\n"
                       "# 筛选：51 4f\n"
                       "时间\t方向\t代码\t校验\t内容\t十六进制\n"
                       "2026-03-09 07:05:03.044\t接收\t51\tCRC 正确\t:Y+01+51+0c+1234+abcd~\t"
                       "3A 59 2B 30 31 2B 35 31 2B 30 63 2B 31 32 33 34 2B 61 62 63 64 7E\n"
                       "2026-03-09 07:05:03.047\t发送\t4F\t\t:W+01+4f+02+5a+1b2c~\t"
                       "3A 57 2B 30 31 2B 34 66 2B 30 32 2B 35 61 2B 31 62 32 63 7E\n"
                       "2026-03-09 07:05:03.050\t事件\t\t总线忙\t线路不空闲，帧等到下一个周期\t\n"
                       "2026-03-09 07:05:04.042\t事件\t\t未发出\t端口未打开\t\n");
    QCOMPARE(QString::fromUtf8(log.text()), expected);

    // Without drops or a filter the text is the captions and every entry. The reply watch
    // repeats its time-out until the next frame goes out: one line per unanswered read.
    FrameLog small;
    small.event(V::Timeout, When);
    small.event(V::Timeout, When);
    small.sent(":Y+02+52=?~", When);
    for (int i = 0; i < 3; ++i)
        small.event(V::Timeout, When.addMSecs(70 * i));
    QCOMPARE(QString::fromUtf8(small.text()),
             QStringLiteral("时间\t方向\t代码\t校验\t内容\t十六进制\n"
                            "2026-03-09 07:05:03.042\t事件\t\t超时\t读请求没有得到应答\t\n"
                            "2026-03-09 07:05:03.042\t发送\t52\t\t:Y+02+52=?~\t"
                            "3A 59 2B 30 32 2B 35 32 3D 3F 7E\n"
                            "2026-03-09 07:05:03.042\t事件\t52\t超时\t"
                            "地址 2 没有应答\t\n"));
}

void TestFrameLog::saveReplacesOnlyWhenWhole()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FrameLog log;
    fillSample(&log);
    const QString path = dir.filePath(QStringLiteral("line.txt"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old capture\n");
    old.close();

    QString error;
    QVERIFY(log.save(path, &error));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), log.text());

    // A file that cannot be made is reported, not passed off as saved.
    QVERIFY(!log.save(dir.filePath(QStringLiteral("missing/line.txt")), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestFrameLog)
#include "tst_framelog.moc"
