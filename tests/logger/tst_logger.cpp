// arvex-logger as a program against the simulated board: what it prints matches what the board
// sent (read from the board's own log, decoded here without the tool's decoder), the CSV files
// hold every reply and are closed on SIGTERM, a line that goes away is waited for, and refused
// options exit with 2.
#include "boardline.h"
#include "sentreply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace {

QList<QJsonObject> jsonLines(const QByteArray &out)
{
    QList<QJsonObject> objects;
    for (const QByteArray &line : out.split('\n')) {
        if (!line.isEmpty())
            objects << QJsonDocument::fromJson(line).object();
    }
    return objects;
}

} // namespace

class TestLogger : public QObject, public BoardLine
{
    Q_OBJECT

private slots:
    void init()
    {
        setUpLine();
        printed.clear();
    }
    void cleanup()
    {
        if (logger.state() != QProcess::NotRunning) {
            logger.kill();
            logger.waitForFinished();
        }
        tearDownLine();
    }

    void refusedOptionsExitWith2();
    void onceMatchesWhatTheBoardSent();
    void dischargeIsNegativeAlsoAsAMagnitude();
    void onceGivesUpAfterThreeUnansweredPolls_data();
    void onceGivesUpAfterThreeUnansweredPolls();
    void boardNumberedOtherThanItsAddress();
    void lateBoardsOnOneBus();
    void jsonAndCsvUntilSigterm();
    void lineThatGoesAwayIsWaitedFor();
    void portAbsentAtStartIsWaitedFor();
    void scanPollsTheBoardsFound();
    void profileSavedCheckedAndApplied();
    void journalNamesThePackAndTheGap_data();
    void journalNamesThePackAndTheGap();
    void scanCutShortByTheLineRunsAgain();
    void scanThatFindsNothingKeepsLooking();
    void onceFailsWhenNothingCouldBeRecorded();
    void energyBooksMatchTheBoard();

private:
    void startLogger(const QStringList &args)
    {
        logger.setProgram(QStringLiteral(ARVEX_LOGGER));
        logger.setArguments(args);
        logger.start();
        QVERIFY(logger.waitForStarted(WaitMs));
    }
    // Waits until the logger has printed count JSON lines in all.
    bool waitForLines(int count, int ms = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        while (printed.count('\n') < count && timer.elapsed() < ms) {
            logger.waitForReadyRead(100);
            printed += logger.readAllStandardOutput();
        }
        return printed.count('\n') >= count;
    }
    int finish()
    {
        if (!logger.waitForFinished(WaitMs))
            return -1;
        printed += logger.readAllStandardOutput();
        return logger.exitStatus() == QProcess::NormalExit ? logger.exitCode() : -1;
    }

    // Waits until the logger has said text on standard error; everything said is kept in said.
    bool waitForSaid(const char *text, int ms = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!said.contains(text) && timer.elapsed() < ms) {
            logger.waitForReadyRead(100);
            said += logger.readAllStandardError();
        }
        return said.contains(text);
    }
    bool control(const QByteArray &command)
    {
        QFile pipe(dir->filePath("control"));
        return pipe.open(QIODevice::WriteOnly) && pipe.write(command + '\n') > 0;
    }

    QProcess logger;
    QByteArray printed;
    QByteArray said;
};

void TestLogger::refusedOptionsExitWith2()
{
    const QString open = dir->filePath("open.pw");
    QFile pw(open);
    QVERIFY(pw.open(QIODevice::WriteOnly));
    pw.write("secret\n");
    pw.close();
    QVERIFY(QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));

    const struct
    {
        QStringList args;
        const char *says;
    } cases[] = {
        { { "--port", link, "--period", "100" }, "--period '100'" },
        { { "--port", link, "--mqtt", "mqtt://host:99999" }, "--mqtt" },
        { { "--port", link, "--mqtt", "mqtt://127.0.0.1", "--mqtt-password-file", open },
          "chmod 600" },
        { { "--port", link, "--save-profile", "a.json", "--check-profile", "a.json" },
          "exclude each other" },
        { { "--port", link, "--scan", "7-3" }, "--scan" },
    };
    for (const auto &c : cases) {
        logger.setProcessChannelMode(QProcess::SeparateChannels);
        startLogger(c.args);
        QCOMPARE(finish(), 2);
        const QByteArray err = logger.readAllStandardError();
        QVERIFY2(err.contains(c.says) && err.count('\n') == 1, err.constData());
    }
}

void TestLogger::onceMatchesWhatTheBoardSent()
{
    QVERIFY(startBoard({ "--signed-current", "--profile", "discharge", "--cells", "13" }));
    startLogger({ "--port", link, "--once" });
    QCOMPARE(finish(), 0);
    const QList<QJsonObject> states = jsonLines(printed);
    QCOMPARE(states.size(), 1);
    const QJsonObject s = states.first();
    const SentReply sent = lastSentReply(boardLog());
    QCOMPARE(sent.cellCount, 13);

    QVERIFY2(sent.currentMa < 0, "the board discharges");
    QCOMPARE(s["current"].toDouble(), sent.currentMa / 1000.0);
    QCOMPARE(s["voltage"].toDouble(), sent.packMv / 1000.0);
    QCOMPARE(s["soc"].toInt(), sent.soc);
    QCOMPARE(s["cycles"].toInt(), sent.cycles);
    QCOMPARE(s["job"].toObject()["active"].toArray(), QJsonArray{ "discharging" });
    const QJsonArray cells = s["cells"].toArray();
    QCOMPARE(cells.size(), 13);
    for (int i = 0; i < 13; ++i)
        QCOMPARE(cells.at(i).toInt(), sent.cells.at(i));
    const QJsonArray temps = s["temperatures"].toArray();
    QCOMPARE(temps.size(), 6);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(qRound(temps.at(i).toDouble() * 10), qRound(sent.tempsCenti.at(i) / 10.0));
    QCOMPARE(s["seq"].toInt(), 1);
    QCOMPARE(s["address"].toInt(), 1);
}

void TestLogger::dischargeIsNegativeAlsoAsAMagnitude()
{
    // The board sends the discharge current without its sign; the job code says discharging.
    QVERIFY(startBoard({ "--profile", "discharge" }));
    startLogger({ "--port", link, "--once" });
    QCOMPARE(finish(), 0);
    QList<QJsonObject> states = jsonLines(printed);
    QCOMPARE(states.size(), 1);
    const SentReply sent = lastSentReply(boardLog());
    QVERIFY2(sent.job == 2 && sent.currentMa > 0, "sent as a magnitude while discharging");
    QCOMPARE(states.first()["current"].toDouble(), -sent.currentMa / 1000.0);
    QVERIFY(states.first()["power"].toDouble() < 0);

    printed.clear();
    startLogger({ "--port", link, "--json", "--period", "300" });
    QVERIFY(waitForLines(2));
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 0);
    states = jsonLines(printed);
    for (const QJsonObject &s : qAsConst(states))
        QVERIFY(s["current"].toDouble() < 0 && s["power"].toDouble() < 0);
}

void TestLogger::onceGivesUpAfterThreeUnansweredPolls_data()
{
    QTest::addColumn<QStringList>("board");
    QTest::addColumn<QByteArray>("says");
    QTest::newRow("silent board") << QStringList{ "--drop", "1" }
                                  << QByteArray("pack 1 did not answer 3 polls");
    // Never 20 ms without a byte: no poll can go out, and each one that could not is a miss.
    QTest::newRow("chattering line") << QStringList{ "--chatter" }
                                     << QByteArray("pack 1: the line never went quiet for 3 polls");
}

void TestLogger::onceGivesUpAfterThreeUnansweredPolls()
{
    QFETCH(QStringList, board);
    QFETCH(QByteArray, says);
    QVERIFY(startBoard(board));
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    startLogger({ "--port", link, "--once", "--period", "300" });
    QCOMPARE(finish(), 1);
    QVERIFY(printed.isEmpty());
    const QByteArray err = logger.readAllStandardError();
    QVERIFY2(err.contains(says), err.constData());
}

void TestLogger::boardNumberedOtherThanItsAddress()
{
    // Battery number 7 written to the board at address 1: it answers at 1 and states 7.
    QVERIFY(startBoard({ "--battery-number", "7" }));
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    startLogger({ "--port", link, "--once", "--period", "300" });
    QCOMPARE(finish(), 0);
    QList<QJsonObject> states = jsonLines(printed);
    QCOMPARE(states.size(), 1);
    QCOMPARE(states.first()["address"].toInt(), 1);
    QCOMPARE(states.first()["battery_number"].toInt(), 7);

    printed.clear();
    startLogger({ "--port", link, "--scan", "1-3", "--once", "--period", "300" });
    QCOMPARE(finish(), 0);
    QVERIFY(logger.readAllStandardError().contains("found boards at 1\n"));
    states = jsonLines(printed);
    QCOMPARE(states.size(), 1);
    QCOMPARE(states.first()["address"].toInt(), 1);
    QCOMPARE(states.first()["battery_number"].toInt(), 7);
}

void TestLogger::lateBoardsOnOneBus()
{
    // Both answer 100 ms after the request, past the 70 ms watch: each is heard out in the
    // guard after it, and each reply is logged as its own pack's.
    QVERIFY(startBoard({ "--address", "1,2", "--delay", "100" }));
    startLogger({ "--port", link, "--address", "1,2", "--json", "--period", "300" });
    QElapsedTimer timer;
    timer.start();
    QSet<int> seen;
    while (seen.size() < 2 && timer.elapsed() < 10000) {
        QVERIFY(waitForLines(printed.count('\n') + 1, int(10000 - timer.elapsed())));
        for (const QJsonObject &state : jsonLines(printed)) {
            QCOMPARE(state["battery_number"].toInt(), state["address"].toInt());
            seen.insert(state["address"].toInt());
        }
    }
    QCOMPARE(seen, (QSet<int>{ 1, 2 }));
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 0);
}

void TestLogger::jsonAndCsvUntilSigterm()
{
    QVERIFY(startBoard({}));
    const QString csv = dir->filePath("csv");
    startLogger({ "--port", link, "--json", "--period", "300", "--csv", csv, "--lang", "en" });
    QVERIFY(waitForLines(3));
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 0);

    const QList<QJsonObject> states = jsonLines(printed);
    for (int i = 0; i < states.size(); ++i)
        QCOMPARE(states.at(i)["seq"].toInt(), i + 1);
    const QStringList files = QDir(csv).entryList({ "*.csv" }, QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY2(files.first().endsWith("-pack01.csv"), qPrintable(files.first()));
    QFile file(csv + '/' + files.first());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.endsWith('\n'));
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast();
    QVERIFY2(lines.first().startsWith("\"Date\",\"Time\",\"Pack\""), lines.first().constData());
    // Every reply printed is recorded, in the same order, with the same pack voltage.
    QCOMPARE(lines.size() - 1, states.size());
    for (int i = 0; i < states.size(); ++i) {
        const QByteArray volts =
            '"' + QByteArray::number(states.at(i)["voltage"].toDouble(), 'f', 2) + '"';
        QCOMPARE(lines.at(i + 1).split(',').at(11), volts);
    }
}

void TestLogger::lineThatGoesAwayIsWaitedFor()
{
    QVERIFY(startBoard({}));
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    startLogger({ "--port", link, "--json", "--period", "300" });
    QVERIFY(waitForLines(2));
    // The adapter is pulled out (the link goes with the board), then plugged in again.
    QVERIFY(sim->stop());
    QTest::qWait(1500);
    const int before = printed.count('\n');
    QVERIFY(startBoard({}));
    QVERIFY(waitForLines(before + 2));
    ::kill(pid_t(logger.processId()), SIGINT);
    QCOMPARE(finish(), 0);
    const QByteArray err = logger.readAllStandardError();
    QVERIFY2(err.contains("went away") && err.contains("polling again"), err.constData());
    // One count for the whole run: the replies after the return go on from the ones before.
    const QList<QJsonObject> states = jsonLines(printed);
    for (int i = 0; i < states.size(); ++i)
        QCOMPARE(states.at(i)["seq"].toInt(), i + 1);
}

void TestLogger::portAbsentAtStartIsWaitedFor()
{
    // A service may start before its adapter is plugged in.
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    startLogger({ "--port", link, "--json", "--period", "300" });
    QTest::qWait(1200);
    QCOMPARE(logger.state(), QProcess::Running);
    QVERIFY(startBoard({}));
    QVERIFY(waitForLines(2));
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 0);
    const QByteArray err = logger.readAllStandardError();
    QVERIFY2(err.count("cannot open") == 1 && err.contains("waiting for"), err.constData());
}

void TestLogger::scanPollsTheBoardsFound()
{
    QVERIFY(startBoard({ "--address", "2,5" }));
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    startLogger({ "--port", link, "--scan", "1-8", "--once", "--period", "300" });
    QCOMPARE(finish(), 0);
    QVERIFY(logger.readAllStandardError().contains("found boards at 2,5"));
    QList<int> addresses;
    for (const QJsonObject &state : jsonLines(printed))
        addresses << state["address"].toInt();
    std::sort(addresses.begin(), addresses.end());
    QCOMPARE(addresses, (QList<int>{ 2, 5 }));
}

void TestLogger::profileSavedCheckedAndApplied()
{
    QVERIFY(startBoard({ "--static" }));
    const QString file = dir->filePath("board.json");
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    const QStringList line{ "--port", link, "--period", "300", "--lang", "en" };
    startLogger(line + QStringList{ "--save-profile", file });
    QCOMPARE(finish(), 0);
    startLogger(line + QStringList{ "--check-profile", file });
    QCOMPARE(finish(), 0);

    // One row changed in the file: the check lists it, the apply writes it and records it.
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QJsonObject profile = QJsonDocument::fromJson(f.readAll()).object();
    f.close();
    QJsonObject rows = profile["rows"].toObject();
    QJsonObject row = rows["conf_lv"].toObject();
    row["value"] = row["value"].toInt() + 100;
    rows["conf_lv"] = row;
    profile["rows"] = rows;
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QJsonDocument(profile).toJson());
    f.close();
    startLogger(line + QStringList{ "--check-profile", file });
    QCOMPARE(finish(), 3);
    QVERIFY2(printed.contains("conf_lv") || logger.readAllStandardError().contains("conf_lv"),
             printed.constData());
    const QString csv = dir->filePath("csv");
    QVERIFY(QDir().mkpath(csv));
    startLogger(line + QStringList{ "--apply-profile", file, "--csv", csv });
    QCOMPARE(finish(), 0);
    QFile audit(csv + "/apply-log.csv");
    QVERIFY(audit.open(QIODevice::ReadOnly));
    QVERIFY(audit.readAll().contains("conf_lv"));
    startLogger(line + QStringList{ "--check-profile", file });
    QCOMPARE(finish(), 0);
}

void TestLogger::journalNamesThePackAndTheGap_data()
{
    QTest::addColumn<bool>("verbose");
    QTest::newRow("quiet") << false;
    QTest::newRow("verbose") << true;
}

// Left running for months, the journal holds one line when a pack goes silent and one when it is
// back, not a line per poll; the line's diagnostics only when asked for.
void TestLogger::journalNamesThePackAndTheGap()
{
    QFETCH(bool, verbose);
    said.clear();
    QVERIFY(startBoard({ "--address", "1,2", "--control", dir->filePath("control") }));
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    QStringList args{ "--port", link, "--address", "1,2", "--json", "--period", "300" };
    if (verbose)
        args << "--verbose";
    startLogger(args);
    QVERIFY(waitForLines(4));
    QVERIFY(control("absent 1"));
    QVERIFY2(waitForSaid("pack 1 stopped answering; last reply at "), said.constData());
    QVERIFY(control("present 1"));
    QVERIFY2(waitForSaid("pack 1 answers again after "), said.constData());
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 0);
    said += logger.readAllStandardError();
    QCOMPARE(said.count("stopped answering"), 1);
    QCOMPARE(said.count("answers again"), 1);
    QVERIFY2(!said.contains("pack 2"), said.constData());
    QCOMPARE(said.contains("timeout"), verbose);
}

void TestLogger::scanCutShortByTheLineRunsAgain()
{
    // The board is the last the scan asks: the line goes away while the scan is under way.
    QVERIFY(startBoard({ "--address", "8" }));
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    startLogger({ "--port", link, "--scan", "1-8", "--json", "--period", "300" });
    QVERIFY(waitForSaid("looking for boards"));
    QVERIFY(sim->stop());
    QVERIFY(startBoard({ "--address", "8" }));
    QVERIFY2(waitForLines(2, 20000), said.constData());
    for (const QJsonObject &state : jsonLines(printed))
        QCOMPARE(state["address"].toInt(), 8);
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 0);
    said += logger.readAllStandardError();
    QVERIFY2(said.contains("found boards at 8"), said.constData());
}

void TestLogger::scanThatFindsNothingKeepsLooking()
{
    said.clear();
    QVERIFY(startBoard({ "--address", "9" }));
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    startLogger({ "--port", link, "--scan", "1-3", "--json", "--period", "300" });
    QVERIFY2(waitForSaid("nothing is polled, looking again every 60 s"), said.constData());
    // It goes on (a service would otherwise restart and stop for good), polling nobody.
    QVERIFY(!logger.waitForFinished(500));
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 0);
    QVERIFY(printed.isEmpty());
}

void TestLogger::onceFailsWhenNothingCouldBeRecorded()
{
    QVERIFY(startBoard({}));
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    // The default language of the files is Chinese; what is said on standard error is English.
    startLogger({ "--port", link, "--once", "--csv", "/proc/nope" });
    QCOMPARE(finish(), 1);
    const QByteArray err = logger.readAllStandardError();
    QVERIFY2(err.contains("CSV recording failed: /proc/nope") && err.contains("cannot create"),
             err.constData());
    for (char c : err)
        QVERIFY2(uchar(c) < 0x80, err.constData());
    QCOMPARE(jsonLines(printed).size(), 1);
}

namespace {

// Each pack's states in order.
QMap<int, QList<QJsonObject>> statesByPack(const QByteArray &printed)
{
    QMap<int, QList<QJsonObject>> packs;
    for (const QJsonObject &o : jsonLines(printed))
        packs[o.value("address").toInt()].append(o);
    return packs;
}

double seconds(const QJsonObject &from, const QJsonObject &to)
{
    const auto at = [](const QJsonObject &o) {
        return QDateTime::fromString(o.value("time").toString(), Qt::ISODateWithMs);
    };
    return at(from).msecsTo(at(to)) / 1000.0;
}

double booked(const QJsonObject &state, const char *key)
{
    return state.value("energy").toObject().value("total").toObject().value(key).toDouble();
}

} // namespace

// At a fixed current the books are current x time, as the board's own books; a pack that is
// away adds nothing for that time; a restart continues from the file and a damaged file is
// set aside while polling goes on.
void TestLogger::energyBooksMatchTheBoard()
{
    QVERIFY(startBoard({ "--address", "1,2", "--static", "--profile", "100:100000", "--control",
                         dir->filePath("control") }));
    const QString state = dir->filePath("state");
    logger.setProcessChannelMode(QProcess::SeparateChannels);
    const QStringList args{ "--port",   link,  "--address", "1,2", "--json",
                            "--period", "300", "--state",   state };
    startLogger(args);
    QVERIFY(waitForLines(16));
    QVERIFY(control("absent 2"));
    QVERIFY2(waitForSaid("pack 2 stopped answering"), said.constData());
    QTest::qWait(2000); // away for a while longer
    QVERIFY(control("present 2"));
    QVERIFY2(waitForSaid("pack 2 answers again after "), said.constData());
    const int before = printed.count('\n');
    QVERIFY(waitForLines(before + 10));
    QVERIFY(control("books 1"));
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 0);

    const auto packs = statesByPack(printed);
    const QJsonObject first = packs[1].first();
    const QJsonObject last = packs[1].last();
    const double amps = last.value("current").toDouble();
    const double volts = last.value("voltage").toDouble();
    const double span = seconds(first, last);
    QVERIFY(amps > 99 && span > 5);
    QVERIFY2(qAbs(booked(last, "charged_ah") / (amps * span / 3600) - 1) < 0.005,
             qPrintable(QString::number(booked(last, "charged_ah"))));
    QVERIFY(qAbs(booked(last, "charged_kwh") / (volts * amps * span / 3.6e6) - 1) < 0.005);
    QCOMPARE(booked(last, "discharged_ah"), 0.0);

    // The board's books: its current over the time it booked, the same rate.
    QTRY_VERIFY_WITH_TIMEOUT(boardLog().contains("board 1 books: "), WaitMs);
    const QByteArray log = boardLog();
    const QList<QByteArray> words =
        log.mid(log.indexOf("board 1 books: ")).split('\n').first().split(' ');
    // "board 1 books: charged A Ah W Wh, discharged A Ah W Wh in S s"
    const double boardAh = words.value(4).toDouble();
    const double boardSeconds = words.value(14).toDouble();
    QVERIFY2(boardSeconds > span, log.constData());
    const double loggerRate = booked(last, "charged_ah") / span;
    QVERIFY(qAbs(loggerRate / (boardAh / boardSeconds) - 1) < 0.005);

    // Pack 2 was away: the longest interval between its states adds nothing.
    const QList<QJsonObject> &two = packs[2];
    double away = 0;
    for (int i = 1; i < two.size(); ++i)
        away = qMax(away, seconds(two[i - 1], two[i]));
    QVERIFY(away > 2);
    const double present = seconds(two.first(), two.last()) - away;
    QVERIFY2(qAbs(booked(two.last(), "charged_ah")
                      / (two.last().value("current").toDouble() * present / 3600)
                  - 1)
                 < 0.005,
             qPrintable(QString::number(booked(two.last(), "charged_ah"))));
    QVERIFY(two.last().value("energy").toObject().value("without_data_s").toInt() >= 2);

    // Another run continues pack 1's books; pack 2's file is damaged: refused, kept, and the
    // pack is polled as ever.
    const QStringList files = QDir(state).entryList({ "energy-*-pack02.json" });
    QCOMPARE(files.size(), 1);
    QFile damaged(QDir(state).filePath(files.first()));
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("{\"format\":\"arvex-energy-books\",\"vers");
    damaged.close();
    printed.clear();
    said.clear();
    // As the service runs it: the folder from systemd's StateDirectory.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("STATE_DIRECTORY", state);
    logger.setProcessEnvironment(environment);
    startLogger(args.mid(0, args.indexOf("--state")));
    QVERIFY2(waitForSaid("pack 2: refused the energy books"), said.constData());
    QVERIFY(said.contains("not JSON"));
    QVERIFY(QFile::exists(damaged.fileName() + ".bad"));
    QVERIFY(waitForLines(8));
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 0);
    logger.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    const auto again = statesByPack(printed);
    QVERIFY(again[2].size() >= 2);
    QVERIFY(booked(again[1].first(), "charged_ah") >= booked(last, "charged_ah"));
    QCOMPARE(again[1].first().value("energy").toObject().value("since"),
             last.value("energy").toObject().value("since"));
    QVERIFY(booked(again[2].last(), "charged_ah") < booked(two.last(), "charged_ah"));
}

QTEST_GUILESS_MAIN(TestLogger)
#include "tst_logger.moc"
