// The start values from the command line and from the remembered settings, and the program's
// answer to a command line it refuses.
#include "commandline.h"
#include "startoptions.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(CommandLine::Action)

namespace {

// The fields that are set, in one line.
QString describe(const StartOptions &o)
{
    QStringList parts;
    if (o.language)
        parts << QStringLiteral("lang=%1").arg(*o.language);
    if (o.port)
        parts << QStringLiteral("port=") + *o.port;
    if (o.baud)
        parts << QStringLiteral("baud=%1").arg(*o.baud);
    if (o.address)
        parts << QStringLiteral("address=%1").arg(*o.address);
    if (o.packs)
        parts << QStringLiteral("packs=") + StartLimits::packListText(*o.packs);
    if (o.portPacks) {
        for (auto it = o.portPacks->cbegin(); it != o.portPacks->cend(); ++it)
            parts << it.key() + QLatin1Char('=') + StartLimits::packListText(it.value());
    }
    if (o.period)
        parts << QStringLiteral("period=%1").arg(*o.period);
    if (o.reconnect)
        parts << QStringLiteral("reconnect=%1").arg(int(*o.reconnect));
    if (o.position)
        parts << QStringLiteral("position=%1,%2").arg(o.position->x()).arg(o.position->y());
    if (o.connect)
        parts << QStringLiteral("connect");
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestStartOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void settingsFirstStartAndRoundTrip();
    void damagedSettingsCostOnlyTheirValue();
    void programAnswersBeforeAnyWindow_data();
    void programAnswersBeforeAnyWindow();

private:
    QTemporaryDir dir;
};

void TestStartOptions::initTestCase()
{
    QVERIFY(dir.isValid());
}

void TestStartOptions::commandLine_data()
{
    using Action = CommandLine::Action;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("options"); // Run: the options; Refuse: part of the message

    QTest::newRow("nothing") << QStringList() << Action::Run << "";
    QTest::newRow("every option")
        << QStringList{ "--port",   "/dev/ttyUSB0", "--baud", "115200", "--address", "0",
                        "--period", "9999",         "--lang", "de",     "--connect", "--reconnect" }
        << Action::Run
        << "lang=2 port=/dev/ttyUSB0 baud=115200 address=0 packs= period=9999 reconnect=1 connect";
    QTest::newRow("other ends of the ranges")
        << QStringList{ "--baud=9600", "--address=99", "--period=300", "--lang=zh" } << Action::Run
        << "lang=0 baud=9600 address=99 packs= period=300";
    // One address polls that pack alone ("packs=" empty), a list those packs with the first
    // shown; either stands in for the list remembered for the port.
    QTest::newRow("address list") << QStringList{ "--address", "1,3,5-8" } << Action::Run
                                  << "address=1 packs=1,3,5-8";
    QTest::newRow("address list in the order given")
        << QStringList{ "--address=12, 4 ,9" } << Action::Run << "address=12 packs=12,4,9";
    QTest::newRow("address range")
        << QStringList{ "--address", "0-99" } << Action::Run << "address=0 packs=0-99";
    QTest::newRow("address given twice in a list")
        << QStringList{ "--address", "4,4" } << Action::Run << "address=4 packs=";
    QTest::newRow("one dash, English")
        << QStringList{ "-port", "ttyUSB1", "-lang", "en" } << Action::Run << "lang=1 port=ttyUSB1";
    QTest::newRow("help") << QStringList{ "--help" } << Action::Help << "";
    QTest::newRow("-h") << QStringList{ "-h" } << Action::Help << "";
    QTest::newRow("version") << QStringList{ "--version" } << Action::Version << "";

    QTest::newRow("baud not in the list")
        << QStringList{ "--baud", "14400" } << Action::Refuse << "'14400'";
    QTest::newRow("baud not a number")
        << QStringList{ "--baud", "fast" } << Action::Refuse << "'fast'";
    QTest::newRow("address above")
        << QStringList{ "--address", "100" } << Action::Refuse << "'100'";
    QTest::newRow("address below") << QStringList{ "--address", "-1" } << Action::Refuse << "'-1'";
    QTest::newRow("address in hex")
        << QStringList{ "--address", "0x10" } << Action::Refuse << "'0x10'";
    QTest::newRow("address list with a gap")
        << QStringList{ "--address", "1,,3" } << Action::Refuse << "'1,,3'";
    QTest::newRow("address range reversed")
        << QStringList{ "--address", "8-5" } << Action::Refuse << "'8-5'";
    QTest::newRow("address range too far")
        << QStringList{ "--address", "90-100" } << Action::Refuse << "'90-100'";
    QTest::newRow("address empty") << QStringList{ "--address", "" } << Action::Refuse << "''";
    QTest::newRow("period below") << QStringList{ "--period", "299" } << Action::Refuse << "'299'";
    QTest::newRow("period above") << QStringList{ "--period", "10000" } << Action::Refuse
                                  << "'10000'";
    QTest::newRow("language") << QStringList{ "--lang", "fr" } << Action::Refuse << "'fr'";
    QTest::newRow("empty port") << QStringList{ "--port", " " } << Action::Refuse << "--port";
    QTest::newRow("missing value") << QStringList{ "--period" } << Action::Refuse << "--period";
    QTest::newRow("unknown option") << QStringList{ "--speed", "2" } << Action::Refuse << "speed";
    QTest::newRow("stray argument") << QStringList{ "ttyUSB0" } << Action::Refuse << "ttyUSB0";
}

void TestStartOptions::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, options);
    const CommandLine::Result result =
        CommandLine::parse(QStringList{ QStringLiteral("arvex") } + arguments);
    QCOMPARE(result.action, action);
    if (action == CommandLine::Action::Run)
        QCOMPARE(describe(result.options), options);
    if (action == CommandLine::Action::Refuse)
        QVERIFY2(result.message.contains(options), qPrintable(result.message));
}

void TestStartOptions::settingsFirstStartAndRoundTrip()
{
    const QString file = dir.filePath(QStringLiteral("roundtrip.conf"));
    {
        QSettings empty(file, QSettings::IniFormat);
        QCOMPARE(describe(Settings::read(empty)), QString()); // a first start changes nothing
    }
    StartOptions options;
    options.language = 2;
    options.port = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    options.baud = 38400;
    options.address = 12;
    options.packs = QVector<int>{ 12, 3, 0, 99 };
    options.period = 750;
    options.reconnect = false;
    options.position = QPoint(-20, 40);
    options.connect = true;
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("recordings/folder"), QStringLiteral("/tmp/kept"));
        Settings::write(settings, options);
    }
    QSettings settings(file, QSettings::IniFormat);
    options.connect = false; // a start never connects by itself
    QCOMPARE(describe(Settings::read(settings)), describe(options));
    QCOMPARE(settings.value(QStringLiteral("recordings/folder")).toString(),
             QStringLiteral("/tmp/kept"));

    // An empty list forgets the remembered one; the rest stays.
    StartOptions single;
    single.packs = QVector<int>();
    Settings::write(settings, single);
    options.packs.reset();
    QCOMPARE(describe(Settings::read(settings)), describe(options));

    // Each port its own list, by its adapter's identity or by a name; the lists written replace
    // those there were, and one pack is no list.
    StartOptions lists;
    lists.portPacks = QMap<QString, QVector<int>>{
        { QStringLiteral("usb:0403:6001:A50285BI"), { 1, 2, 3, 4, 5, 6, 7, 8 } },
        { QStringLiteral("/dev/ttyS0"), { 9, 2 } },
    };
    Settings::write(settings, lists);
    options.portPacks = lists.portPacks;
    QCOMPARE(describe(Settings::read(settings)), describe(options));
    lists.portPacks = QMap<QString, QVector<int>>{
        { QStringLiteral("/dev/ttyS0"), { 3, 4 } },
        { QStringLiteral("/dev/ttyS1"), { 5 } },
    };
    Settings::write(settings, lists);
    options.portPacks = QMap<QString, QVector<int>>{ { QStringLiteral("/dev/ttyS0"), { 3, 4 } } };
    QCOMPARE(describe(Settings::read(settings)), describe(options));
    lists.portPacks = QMap<QString, QVector<int>>();
    Settings::write(settings, lists);
    options.portPacks.reset();
    QCOMPARE(describe(Settings::read(settings)), describe(options));
}

void TestStartOptions::damagedSettingsCostOnlyTheirValue()
{
    const QString file = dir.filePath(QStringLiteral("damaged.conf"));
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::WriteOnly));
    raw.write("language=fr\n"
              "[link]\nport=ttyUSB0\nbaud=14400\naddress=abc\nperiod=50\nreconnect=maybe\n"
              "packs=1,2,100\n[window]\nposition=left\n");
    raw.close();
    QSettings settings(file, QSettings::IniFormat);
    QCOMPARE(describe(Settings::read(settings)), QStringLiteral("port=ttyUSB0"));

    // A list of packs is taken whole or not at all; typed without quotes it is still read.
    const struct
    {
        const char *text;
        const char *read;
    } lists[] = {
        { "packs=1,2,5", "packs=1,2,5" },
        { "packs=\" 7 , 3\"", "packs=7,3" },
        { "packs=4", "" }, // one pack is the address alone
        { "packs=1,1", "" },
        { "packs=1,,2", "" },
        { "packs=1,-2", "" },
        { "packs=1,2x", "" },
        { "packs=", "" },
        { "packs=1-4", "packs=1-4" },
        // Per port: an entry without its port or with a damaged list is skipped; a port named
        // twice keeps its first list.
        { "portPacks\\size=4\nportPacks\\1\\port=/dev/ttyS0\nportPacks\\1\\packs=1,2\n"
          "portPacks\\2\\packs=3,4\nportPacks\\3\\port=ttyUSB0\nportPacks\\3\\packs=3,x\n"
          "portPacks\\4\\port=/dev/ttyS0\nportPacks\\4\\packs=7,8",
          "/dev/ttyS0=1,2" },
        { "portPacks\\size=1\nportPacks\\1\\port=usb:0403:6001:A5\nportPacks\\1\\packs=1,3,5-8",
          "usb:0403:6001:A5=1,3,5-8" },
    };
    for (const auto &list : lists) {
        QVERIFY(raw.open(QIODevice::WriteOnly | QIODevice::Truncate));
        raw.write(QByteArray("[link]\n") + list.text + '\n');
        raw.close();
        QSettings listed(file, QSettings::IniFormat);
        QCOMPARE(describe(Settings::read(listed)), QString::fromLatin1(list.read));
    }
}

void TestStartOptions::programAnswersBeforeAnyWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // part of standard output
    QTest::addColumn<QString>("err"); // part of standard error
    QTest::newRow("version") << QStringList{ "--version" } << 0 << "arvex " ARVEX_VERSION << "";
    QTest::newRow("help") << QStringList{ "--help" } << 0 << "--reconnect"
                          << "";
    QTest::newRow("baud") << QStringList{ "--baud", "14400" } << 2 << ""
                          << "arvex: --baud '14400' is not one of the rates";
    QTest::newRow("period") << QStringList{ "--connect", "--period", "100" } << 2 << ""
                            << "--period '100'";
    QTest::newRow("unknown") << QStringList{ "--bogus" } << 2 << ""
                             << "'bogus'";
}

void TestStartOptions::programAnswersBeforeAnyWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString config = dir.filePath(QStringLiteral("config-") + QTest::currentDataTag());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ARVEX_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(30000));
    const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
    QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
    if (exitCode != 0)
        QVERIFY(stdOut.isEmpty());
    // It ended before its window: nothing remembered.
    QVERIFY(!QDir(config).exists());
}

QTEST_GUILESS_MAIN(TestStartOptions)
#include "tst_startoptions.moc"
