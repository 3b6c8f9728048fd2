// arvex-logger's profile options as a program against a simulated bus: a signal during an apply
// to many boards ends it with every row accounted for in the audit and on standard output, and
// an apply is paced by the line, not by the poll period.
#include "boardline.h"
#include "parameterprofile.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <csignal>

class TestLoggerProfiles : public QObject, public BoardLine
{
    Q_OBJECT

private slots:
    void init() { setUpLine(); }
    void cleanup()
    {
        if (logger.state() != QProcess::NotRunning) {
            logger.kill();
            logger.waitForFinished();
        }
        tearDownLine();
    }

    void sigtermDuringApplyToEightBoards();
    void applyIsPacedByTheLine();

private:
    void startLogger(const QStringList &args)
    {
        logger.setProgram(QStringLiteral(ARVEX_LOGGER));
        logger.setArguments(args);
        logger.setProcessChannelMode(QProcess::SeparateChannels);
        logger.start();
        QVERIFY(logger.waitForStarted(WaitMs));
    }
    int finish(int ms = 3 * WaitMs)
    {
        if (!logger.waitForFinished(ms))
            return -1;
        return logger.exitStatus() == QProcess::NormalExit ? logger.exitCode() : -1;
    }
    // Saves board 1's settings and changes `rows` of them in the file.
    QString changedProfile(int rows)
    {
        const QString file = dir->filePath("board.json");
        startLogger({ "--port", link, "--period", "300", "--save-profile", file });
        if (finish() != 0)
            return QString();
        ParameterProfile::ReadResult read = ParameterProfile::readFile(file);
        int changed = 0;
        for (const char *key : { "conf_lv", "conf_hv", "conf_chght", "conf_lvre", "conf_hvre" }) {
            if (changed++ < rows)
                read.profile.values[key] += read.profile.values.value(key) > 1000 ? -10 : 1;
        }
        return read.ok && ParameterProfile::writeFile(file, read.profile).isEmpty() ? file
                                                                                    : QString();
    }
    // The writes the board received: "address:key", by the code each write carries.
    QSet<QString> writesReceived() const
    {
        QHash<QString, QString> keyOfCode;
        for (const ParameterTable::Row *row : ParameterProfile::rows())
            keyOfCode.insert(QString::fromLatin1(row->prefix).mid(4, 2).toUpper(),
                             QString::fromLatin1(row->lineEdit));
        QSet<QString> writes;
        static const QRegularExpression write(
            QStringLiteral(" RX :W\\+([0-9A-F]{2})\\+(\\w{2})\\+"));
        auto it = write.globalMatch(QString::fromLatin1(boardLog()));
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            writes << QStringLiteral("%1:%2")
                          .arg(m.captured(1).toInt(nullptr, 16))
                          .arg(keyOfCode.value(m.captured(2).toUpper()));
        }
        return writes;
    }

    QProcess logger;
};

void TestLoggerProfiles::sigtermDuringApplyToEightBoards()
{
    QVERIFY(startBoard({ "--address", "1-8", "--static" }));
    const QString file = changedProfile(3);
    QVERIFY(!file.isEmpty());
    const QString csv = dir->filePath("csv");
    QVERIFY(QDir().mkpath(csv));
    startLogger({ "--port", link, "--period", "300", "--lang", "en", "--address", "1-8",
                  "--apply-profile", file, "--csv", csv });
    // Stopped while the second board is being written.
    QElapsedTimer waited;
    waited.start();
    while (!boardLog().contains(" RX :W+02+") && waited.elapsed() < 6 * WaitMs)
        QTest::qWait(10);
    QVERIFY2(boardLog().contains(" RX :W+02+"), "board 2 was never written");
    ::kill(pid_t(logger.processId()), SIGTERM);
    QCOMPARE(finish(), 1);

    // One result per board, the stopped ones included.
    const QString out = QString::fromUtf8(logger.readAllStandardOutput());
    for (int address = 1; address <= 8; ++address) {
        QVERIFY2(out.contains(QRegularExpression(QStringLiteral("^Address %1: ").arg(address),
                                                 QRegularExpression::MultilineOption)),
                 qPrintable(out));
    }
    QVERIFY2(out.contains("Address 8: stopped; nothing written"), qPrintable(out));

    // The audit names every write the boards received as sent, and no other; every board
    // has lines.
    QFile audit(csv + "/apply-log.csv");
    QVERIFY(audit.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(audit.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.takeFirst(),
             QString("time,port,address,key,old value,new value,confirmed,result"));
    QSet<QString> sent, boards;
    for (const QString &line : qAsConst(lines)) {
        const QStringList f = line.split(',');
        QCOMPARE(f.size(), 8);
        boards << f.at(2);
        if (f.at(7) != QLatin1String("not sent"))
            sent << f.at(2) + ':' + f.at(3);
    }
    QCOMPARE(boards.size(), 8);
    const QSet<QString> received = writesReceived();
    QVERIFY(received.contains("1:conf_lv"));
    QCOMPARE(sent, received);
}

void TestLoggerProfiles::applyIsPacedByTheLine()
{
    // Queued writes and read-backs go out as fast as the line allows, whatever the poll period:
    // five rows at a period of 5 s are applied well within one period. This depends on the
    // session's pacing of queued frames; with one frame per period it takes half a minute.
    QVERIFY(startBoard({ "--static" }));
    const QString file = changedProfile(5);
    QVERIFY(!file.isEmpty());
    QElapsedTimer took;
    took.start();
    startLogger(
        { "--port", link, "--period", "5s", "--apply-profile", file, "--csv", dir->path() });
    const int code = finish(5000);
    const qint64 ms = took.elapsed();
    QVERIFY2(code == 0, qPrintable(QStringLiteral("exit %1 after %2 ms").arg(code).arg(ms)));
    QVERIFY2(ms < 5000, qPrintable(QStringLiteral("%1 ms").arg(ms)));
    QFile audit(dir->filePath("apply-log.csv"));
    QVERIFY(audit.open(QIODevice::ReadOnly));
    QCOMPARE(audit.readAll().count(",yes,confirmed\n"), 5);
}

QTEST_GUILESS_MAIN(TestLoggerProfiles)
#include "tst_loggerprofiles.moc"
