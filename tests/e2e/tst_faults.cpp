// The window against a misbehaving line and board: each fault, and combinations of them, then
// the fault ends. Whatever happened, the window comes back to "Fine " within three polls, never
// shows the same box twice, and does not spin.
#include "boardfixture.h"
#include "frame.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QtTest>

#include <csignal>

// How a fault ends: the board is told to stop its line faults, or the test does something.
enum class Recovery {
    ClearFaults, // SIGUSR1: the board answers cleanly from then on
    Garbage, // SIGUSR2: a megabyte of random bytes, then a clean line
    StopAndContinue, // the board process stopped until the tool reports time-outs, then resumed
    Restart, // the board quits half-way through a reply; started again, switched on again
    Toggle, // the port switched off and on 20 times while replies arrive
    Languages, // every language in turn while polling
};
Q_DECLARE_METATYPE(Recovery)

class TestFaults : public QObject, public BoardFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void faultMatrix_data();
    void faultMatrix();
};

void TestFaults::faultMatrix_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("during"); // the status text while the fault lasts (empty: any)
    QTest::addColumn<Recovery>("recovery");
    // Whether the line only drops, delays, cuts or pads the board's frames: then every frame
    // the window takes from it passes its check.
    QTest::addColumn<bool>("intact");
    const QString crc = QStringLiteral("CRC Error!");
    const QString timeout = QStringLiteral("Timeout!");
    const QString fine = QStringLiteral("Fine ");
    const auto clear = Recovery::ClearFaults;
    QTest::newRow("spoiled CRC") << QStringList{ "--bad-crc", "1" } << crc << clear << false;
    QTest::newRow("no answer") << QStringList{ "--drop", "1" } << timeout << clear << true;
    QTest::newRow("late answer") << QStringList{ "--delay", "100" } << timeout << clear << true;
    // A line that is never quiet for 20 ms is never written to.
    QTest::newRow("chatter") << QStringList{ "--chatter" } << "Bus busy!" << clear << true;
    QTest::newRow("split") << QStringList{ "--split" } << fine << clear << true;
    QTest::newRow("noise") << QStringList{ "--noise" } << fine << clear << true;
    // An end mark with no frame begun is noise too, also in front of a reply cut in pieces.
    QTest::newRow("stray ~ + split")
        << QStringList{ "--stray-tilde", "--split" } << fine << clear << true;
    QTest::newRow("drop + split") << QStringList{ "--drop", "0.5", "--split" } << QString() << clear
                                  << true;
    QTest::newRow("noise + bad CRC")
        << QStringList{ "--noise", "--bad-crc", "1" } << crc << clear << false;
    QTest::newRow("late + split") << QStringList{ "--delay", "100", "--split" } << timeout << clear
                                  << true;
    // A well-formed frame of a code the tool does not know is a good line, but shows nothing.
    QTest::newRow("unknown code") << QStringList{ "--unknown-code" } << fine << clear << true;
    QTest::newRow("1 MB of random bytes")
        << QStringList() << QString() << Recovery::Garbage << false;
    // The replies queued while the board was stopped arrive together, whole or in pieces.
    QTest::newRow("board stops answering")
        << QStringList() << fine << Recovery::StopAndContinue << true;
    QTest::newRow("board stops, split replies")
        << QStringList{ "--split" } << fine << Recovery::StopAndContinue << true;
    QTest::newRow("board quits mid-reply")
        << QStringList{ "--quit-mid-reply", "2" } << QString() << Recovery::Restart << false;
    QTest::newRow("switched off and on") << QStringList() << fine << Recovery::Toggle << false;
    QTest::newRow("languages switched") << QStringList() << fine << Recovery::Languages << true;
}

void TestFaults::faultMatrix()
{
    QFETCH(QStringList, options);
    QFETCH(QString, during);
    QFETCH(Recovery, recovery);
    QFETCH(bool, intact);
    QVERIFY(connectTo(QStringList{ "--static" } + options));
    int spoiled = 0; // frames that failed their check, all through the case
    QObject watch;
    connect(window->boardSession(), &BoardSession::frameReceived, &watch,
            [&](const QByteArray &frame) { spoiled += !Frame::checkReply(frame).crcMatches; });
    auto *status = child<QLabel>("statu_send");
    auto *openCom = child<SwitchButton>("openCom");
    child<QPushButton>("btn_log")->click(); // logging on: every reply shown is a row
    const auto rows = [this] { return child<QLineEdit>("data_total_line")->text().toInt(); };
    if (!during.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), during, WaitMs);
    const auto boardPid = sim->process().processId();

    switch (recovery) {
    case Recovery::ClearFaults: {
        if (options.contains("--chatter")) {
            // Three ticks, none of which may send. A board process kept off the CPU for over
            // 20 ms by a loaded machine leaves a real quiet gap, which may let one through.
            QTest::qWait(3 * PeriodMs);
            QVERIFY2(requestsSeen() <= 1, qPrintable(QString::number(requestsSeen())));
        } else {
            const int seen = requestsSeen();
            QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() >= seen + 2, WaitMs); // polling goes on
        }
        if (options.contains("--unknown-code"))
            QCOMPARE(rows(), 0);
        ::kill(boardPid, SIGUSR1);
        QTRY_VERIFY_WITH_TIMEOUT(boardLog().contains("line faults cleared"), WaitMs);
        break;
    }
    case Recovery::Garbage:
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Fine "), WaitMs);
        ::kill(boardPid, SIGUSR2);
        QTRY_VERIFY_WITH_TIMEOUT(boardLog().contains("1048576 random bytes thrown"), 6 * WaitMs);
        break;
    case Recovery::StopAndContinue: {
        ::kill(boardPid, SIGSTOP);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Timeout!"), WaitMs);
        QTest::qWait(3 * PeriodMs); // requests pile up unread
        const int seen = requestsSeen();
        ::kill(boardPid, SIGCONT);
        // The board reads what piled up in one go and answers all of it at once.
        QTRY_VERIFY_WITH_TIMEOUT(requestsSeen() > seen, WaitMs);
        break;
    }
    case Recovery::Restart:
        QTRY_VERIFY_WITH_TIMEOUT(!openCom->checked(), WaitMs);
        QCOMPARE(child<QLabel>("statu_opencom")->text(), link + QStringLiteral(" CLOSED"));
        QVERIFY(sim->process().waitForFinished(WaitMs));
        sim = std::make_unique<Sim>();
        QVERIFY(sim->start({ "--link", link, "--log", dir->filePath("board.log"), "--static" }));
        {
            // As a user does: open the list, which reads the ports again, and pick the board.
            auto *ports = child<QComboBox>("portName");
            const QString entry = link + QStringLiteral(" (virtual)");
            QTest::mouseClick(ports, Qt::LeftButton);
            ports->hidePopup();
            QVERIFY(ports->findText(entry) >= 0);
            ports->setCurrentIndex(ports->findText(entry));
        }
        openCom->SetActive(true);
        QVERIFY(openCom->checked());
        break;
    case Recovery::Toggle:
        for (int i = 0; i < 20; ++i) {
            openCom->SetActive(false);
            QTest::qWait(i % 3);
            openCom->SetActive(true);
            QVERIFY(openCom->checked());
            QTest::qWait((i * 37) % 120); // some closes land in the middle of a reply
        }
        break;
    case Recovery::Languages:
        for (int language : { 1, 2, 0, 2, 1, 0 }) {
            child<QComboBox>("lang")->setCurrentIndex(language);
            QTest::qWait(PeriodMs / 2);
        }
        break;
    }

    // Once the fault has ended, a good reply reads "Fine " within three polls.
    const int seenAtEnd = requestsSeen();
    int seenAtFine = -1;
    const int rowsAtEnd = rows();
    QObject guard;
    connect(window->boardSession(), &BoardSession::frameReceived, &guard,
            [&](const QByteArray &block) {
                const Frame::ReplyCheck check = Frame::checkReply(block);
                if (seenAtFine < 0 && check.crcMatches && check.code == 0x51)
                    seenAtFine = requestsSeen();
            });
    QTRY_VERIFY_WITH_TIMEOUT(seenAtFine >= 0, WaitMs);
    QVERIFY2(seenAtFine - seenAtEnd <= 3, qPrintable(QString::number(seenAtFine - seenAtEnd)));
    QCOMPARE(status->text(), QStringLiteral("Fine "));
    QCOMPARE(status->styleSheet(), QStringLiteral("QLabel { color : green; }"));
    QVERIFY(openCom->checked());
    QTRY_VERIFY_WITH_TIMEOUT(rows() > rowsAtEnd, WaitMs);
    if (intact)
        QCOMPARE(spoiled, 0);

    // No box twice, and none at all where only the line misbehaved.
    QSet<QString> seen;
    for (const Messages::Recorder::Entry &box : boxes->entries()) {
        const QString key = box.title + '\n' + box.text;
        QVERIFY2(!seen.contains(key), qPrintable(box.text));
        seen.insert(key);
    }
    if (recovery != Recovery::Restart)
        QVERIFY2(seen.isEmpty(), qPrintable(seen.values().join(", ")));

    // Polling a clean line costs little: nothing spins.
    const double cpuBefore = processCpuSeconds();
    QTest::qWait(1000);
    const double cpuSeconds = processCpuSeconds() - cpuBefore;
    QVERIFY2(cpuSeconds < 0.5, qPrintable(QString::number(cpuSeconds)));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
