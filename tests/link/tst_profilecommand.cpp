// The headless profile options against the simulated board: what each exit code means, what
// goes out on the line, and what the audit file records.
#include "commandcodes.h"
#include "frame.h"
#include "profilecommand.h"
#include "sessionfixture.h"

#include <QtTest>

class TestProfileCommand : public QObject, public SessionFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void saveCheckApply();
    void refusedFileSendsNothing();
    void contradictionsSendNothing();
    void rowTheBoardKeeps();
    void stopHalfWay();
    void eachBoardPrintedAsItEnds_data();
    void eachBoardPrintedAsItEnds();

private:
    struct Run
    {
        int code;
        QString out, err;
    };
    Run run(ProfileJob::Kind kind, const QString &file, const QVector<int> &addresses = { 1 })
    {
        Run r{ 0, {}, {} };
        QTextStream out(&r.out), err(&r.err);
        r.code = runProfileCommand(session.get(), kind, file, addresses, out, err, audit());
        return r;
    }
    QString audit() const { return dir->filePath("apply-log.csv"); }
    QStringList auditLines() const
    {
        QFile f(audit());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n')
                                           : QStringList();
    }
    int writesSeen() const { return boardLog().count(" RX :W+"); }
    // Writes a row on the board behind the tool's back, as another tool would.
    void changeOnBoard(const char *prefix, uint16_t value)
    {
        const int before = boardLog().count(": stored");
        session->queueWrite(Frame::withAddress(prefix, 1), value);
        QTRY_VERIFY_WITH_TIMEOUT(boardLog().count(": stored") > before, WaitMs);
    }
};

void TestProfileCommand::saveCheckApply()
{
    QVERIFY(connectTo({ "--static" }));
    const QString file = dir->filePath("board.json");
    Run saved = run(ProfileJob::Kind::Save, file);
    QCOMPARE(saved.code, 0);
    QVERIFY2(saved.err.isEmpty(), qPrintable(saved.err));
    QCOMPARE(run(ProfileJob::Kind::Check, file).code, 0);

    changeOnBoard(":W++06+", 2600); // under-voltage, mV
    changeOnBoard(":W++0C+", 100); // charge high temperature: 60 degrees + 40
    const Run check = run(ProfileJob::Kind::Check, file);
    QCOMPARE(check.code, 3);
    QVERIFY2(check.out.count("板子") == 2, qPrintable(check.out));
    QVERIFY2(check.out.contains("conf_lv：板子 2600") && check.out.contains("conf_chght：板子 60"),
             qPrintable(check.out));

    const int writes = writesSeen();
    const Run apply = run(ProfileJob::Kind::Apply, file);
    QCOMPARE(apply.code, 0);
    QCOMPARE(writesSeen(), writes + 2); // the two rows that differ, nothing else
    QCOMPARE(apply.out.count("已确认"), 2);
    QCOMPARE(run(ProfileJob::Kind::Check, file).code, 0);

    const QStringList lines = auditLines();
    QCOMPARE(lines.at(0), QString("time,port,address,key,old value,new value,confirmed,result"));
    QCOMPARE(lines.size(), 4); // two rows and the end of the last line
    QVERIFY2(lines.at(1).contains(",1,conf_lv,2600,") && lines.at(1).endsWith(",yes,confirmed"),
             qPrintable(lines.at(1)));
    QVERIFY(lines.at(1).contains(link));

    // Several boards: one file each; a board that does not answer fails the run.
    const Run many = run(ProfileJob::Kind::Save, file, { 1, 7 });
    QCOMPARE(many.code, 1);
    QVERIFY(QFile::exists(profileFileFor(file, 1)));
    QVERIFY(!QFile::exists(profileFileFor(file, 7)));
    QVERIFY2(many.out.contains("地址 7：板子没有回应"), qPrintable(many.out));
    QCOMPARE(profileFileFor("/a/b.json", 3), QString("/a/b-pack03.json"));
}

void TestProfileCommand::refusedFileSendsNothing()
{
    QVERIFY(connectTo({ "--static" }));
    const QString file = dir->filePath("bad.json");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(R"({"format":"arvex-profile","version":1,"rows":{
        "conf_lv":{"value":2600,"unit":"mV"},"conf_hv":{"value":9000,"unit":"mV"}}})");
    f.close();
    const int writes = writesSeen();
    const Run apply = run(ProfileJob::Kind::Apply, file);
    QCOMPARE(apply.code, 2);
    QCOMPARE(apply.err.count('\n'), 1);
    QVERIFY2(apply.err.contains("conf_hv：值 9000 超出范围 [1500 - 5000]"), qPrintable(apply.err));
    QCOMPARE(writesSeen(), writes);
    QVERIFY(!QFile::exists(audit()));
}

void TestProfileCommand::contradictionsSendNothing()
{
    // The board's factory thresholds: under-voltage trip 2500 mV, release 2900 mV.
    QVERIFY(connectTo({ "--static" }));
    const auto fileWith = [this](const QByteArray &rows) {
        const QString file = dir->filePath("pairs.json");
        QFile f(file);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(R"({"format":"arvex-profile","version":1,"rows":{)" + rows + "}}");
        return file;
    };
    const int writes = writesSeen();

    // Values that contradict each other: the file is refused as it is read.
    Run apply = run(ProfileJob::Kind::Apply,
                    fileWith(R"("conf_lv":{"value":2700},"conf_lvre":{"value":2000})"));
    QCOMPARE(apply.code, 2);
    QCOMPARE(apply.err.count('\n'), 1);
    QVERIFY2(apply.err.contains("欠压恢复阈值 2000 mV")
                 && apply.err.contains("欠压保护阈值 2700 mV"),
             qPrintable(apply.err));
    QVERIFY(!QFile::exists(audit()));

    // A value that contradicts what the board keeps: refused for the board once it is read, with
    // nothing written to it, another row of the file included.
    apply = run(ProfileJob::Kind::Apply,
                fileWith(R"("conf_lvre":{"value":2000},"conf_hv":{"value":3700})"));
    QCOMPARE(apply.code, 2);
    QVERIFY2(apply.out.startsWith("地址 1：未写入") && apply.out.contains("欠压恢复阈值 2000 mV")
                 && apply.out.contains("欠压保护阈值 2500 mV"),
             qPrintable(apply.out));
    QCOMPARE(writesSeen(), writes);
    const QStringList lines = auditLines();
    QVERIFY(lines.filter(",1,conf_lvre,,2000,no,contradicts").size() == 1);
    QVERIFY(lines.filter(",1,conf_hv,,3700,no,contradicts").size() == 1);

    // A file of an earlier version: the rows no page shows are named and left out; the rest is
    // applied.
    apply = run(ProfileJob::Kind::Apply,
                fileWith(R"("conf_short":{"value":0},"conf_lvre":{"value":2950})"));
    QCOMPARE(apply.code, 0);
    QVERIFY2(apply.err.contains("conf_short："), qPrintable(apply.err));
    QCOMPARE(writesSeen(), writes + 1);
}

void TestProfileCommand::rowTheBoardKeeps()
{
    // The board takes under-voltage writes and keeps its own value: not confirmed, exit 1.
    QVERIFY(connectTo({ "--static", "--keep", ":W++06+" }));
    const QString file = dir->filePath("board.json");
    QCOMPARE(run(ProfileJob::Kind::Save, file).code, 0);
    changeOnBoard(":W++09+", 3700); // over-voltage: taken
    ParameterProfile::ReadResult read = ParameterProfile::readFile(file);
    QVERIFY(read.ok);
    read.profile.values["conf_lv"] = read.profile.values.value("conf_lv") + 100;
    QCOMPARE(ParameterProfile::writeFile(file, read.profile), QString());

    const Run apply = run(ProfileJob::Kind::Apply, file);
    QCOMPARE(apply.code, 1);
    QVERIFY2(apply.out.contains("板子未采用") && apply.out.contains("已确认"),
             qPrintable(apply.out));
    const QStringList lines = auditLines();
    QVERIFY(lines.filter(",conf_lv,").value(0).endsWith(",no,kept"));
    QVERIFY(lines.filter(",conf_hv,").value(0).endsWith(",yes,confirmed"));
}

void TestProfileCommand::stopHalfWay()
{
    QVERIFY(connectTo({ "--static" }));
    const QString file = dir->filePath("board.json");
    QCOMPARE(run(ProfileJob::Kind::Save, file).code, 0);
    ParameterProfile::Profile profile = ParameterProfile::readFile(file).profile;
    profile.values["conf_lv"] += 100;
    profile.values["conf_hv"] += 100;
    const int rows = profile.values.size();

    // Stopped as the first write leaves: the second is taken back, never sent, and the read-back
    // already queued judges the one on the line. The board not begun is recorded row by row.
    ProfileJob job(session.get());
    job.setAuditFile(audit(), link);
    QSignalSpy finished(&job, &ProfileJob::finished);
    const int writes = writesSeen();
    auto stopAtWrite =
        connect(session.get(), &BoardSession::frameSent, &job, [&job](const QByteArray &frame) {
            if (frame.startsWith(":W+") && !job.isStopping())
                job.stop();
        });
    QVERIFY(job.start(ProfileJob::Kind::Apply, profile, { 1, 2 }));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    disconnect(stopAtWrite);
    QCOMPARE(job.results().size(), 2);
    const ProfileJob::AddressResult first = job.results().at(0);
    QCOMPARE(first.status, ProfileJob::Status::NotConfirmed);
    QCOMPARE(first.writes.size(), 2);
    QCOMPARE(first.writes.at(0).outcome, ProfileJob::RowOutcome::Confirmed);
    QCOMPARE(first.writes.at(1).outcome, ProfileJob::RowOutcome::NotSent);
    QCOMPARE(ProfileJob::describe(first), QString("地址 1：写入 1 项，0 项未确认，1 项未发送"));
    QCOMPARE(job.results().at(1).status, ProfileJob::Status::Stopped);
    const int polls = requestsSeen();
    QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() >= polls + 2, WaitMs);
    QCOMPARE(writesSeen(), writes + 1);
    QStringList lines = auditLines();
    QVERIFY(lines.filter(",1,conf_lv,").value(0).endsWith(",yes,confirmed"));
    QVERIFY(lines.filter(",1,conf_hv,").value(0).endsWith(",no,not sent"));
    const QStringList notBegun = lines.filter(QRegularExpression(",2,[^,]+,,-?\\d+,no,not sent$"));
    QCOMPARE(notBegun.size(), rows);
    QVERIFY(notBegun.filter(QString(",2,conf_lv,,%1,").arg(profile.values["conf_lv"])).size() == 1);

    // Asked twice, the stop does not wait for the read-back: the write sent stays unconfirmed.
    profile.values["conf_lv"] += 100;
    profile.values["conf_hv"] += 100;
    QFile::remove(audit());
    QSignalSpy again(&job, &ProfileJob::finished);
    stopAtWrite =
        connect(session.get(), &BoardSession::frameSent, &job, [&job](const QByteArray &frame) {
            if (frame.startsWith(":W+")) {
                job.stop();
                job.stop();
            }
        });
    QVERIFY(job.start(ProfileJob::Kind::Apply, profile, { 1 }));
    QVERIFY(again.wait(WaitMs));
    disconnect(stopAtWrite);
    QCOMPARE(job.results().at(0).writes.at(0).outcome, ProfileJob::RowOutcome::Unconfirmed);
    QCOMPARE(job.results().at(0).writes.at(1).outcome, ProfileJob::RowOutcome::NotSent);
    lines = auditLines();
    QVERIFY(lines.filter(",1,conf_lv,").value(0).endsWith(",no,unconfirmed"));

    // Stopped between two boards: the next is not begun.
    ProfileJob between(session.get());
    connect(&between, &ProfileJob::addressDone, &between, [&between] { between.stop(); });
    QSignalSpy done(&between, &ProfileJob::finished);
    QVERIFY(between.start(ProfileJob::Kind::Check, profile, { 1, 2, 3 }));
    QVERIFY(done.wait(WaitMs));
    QCOMPARE(between.results().size(), 3);
    QCOMPARE(between.results().at(0).status, ProfileJob::Status::Differs);
    QCOMPARE(between.results().at(1).status, ProfileJob::Status::Stopped);
    QCOMPARE(between.results().at(2).status, ProfileJob::Status::Stopped);
}

void TestProfileCommand::eachBoardPrintedAsItEnds_data()
{
    QTest::addColumn<QVector<int>>("polled");
    QTest::newRow("one pack polled") << QVector<int>{};
    QTest::newRow("a bank polled") << QVector<int>{ 1, 7 };
}

void TestProfileCommand::eachBoardPrintedAsItEnds()
{
    // Board 7 is not on the line. Its result is printed before board 1 is written, and the
    // audit names each of its rows as not answered. It is given up with the read-back asked of
    // it: asked as often as any read-back is, not again and again for each of the job's tries.
    QFETCH(QVector<int>, polled);
    QVERIFY(connectTo({ "--static" }));
    session->setAddresses(polled);
    const QString file = dir->filePath("board.json");
    QCOMPARE(run(ProfileJob::Kind::Save, file).code, 0);
    ParameterProfile::Profile profile = ParameterProfile::readFile(file).profile;
    profile.values["conf_lv"] += 100;
    QCOMPARE(ParameterProfile::writeFile(file, profile), QString());

    QString printed, errors;
    QTextStream out(&printed), err(&errors);
    QString printedAtFirstWrite;
    int blockRequestsTo7 = 0;
    connect(session.get(), &BoardSession::frameSent, session.get(), [&](const QByteArray &frame) {
        if (frame.startsWith(":W+") && printedAtFirstWrite.isEmpty())
            printedAtFirstWrite = printed + QLatin1Char('.');
        if (frame == Frame::readRequest(7, Cmd::ReadParameters))
            ++blockRequestsTo7;
    });
    const int code = runProfileCommand(session.get(), ProfileJob::Kind::Apply, file, { 7, 1 }, out,
                                       err, audit());
    QCOMPARE(code, 1);
    QVERIFY2(printedAtFirstWrite.startsWith("地址 7：板子没有回应，未写入\n"),
             qPrintable(printedAtFirstWrite));
    QVERIFY2(printed.contains("地址 1：1 项已写入并确认"), qPrintable(printed));
    QCOMPARE(blockRequestsTo7, WriteConfirm::MaxRetries + 1);

    const QStringList lines = auditLines();
    const QStringList silent = lines.filter(QRegularExpression(",7,[^,]+,,-?\\d+,no,no reply$"));
    QCOMPARE(silent.size(), profile.values.size());
    QCOMPARE(lines.filter(QRegularExpression("^[^,]+,[^,]+,1,")).size(), 1);
    QVERIFY(lines.filter(",1,conf_lv,").value(0).endsWith(",yes,confirmed"));
}

QTEST_GUILESS_MAIN(TestProfileCommand)
#include "tst_profilecommand.moc"
