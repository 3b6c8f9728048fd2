// Desktop notifications against a real notification service: a private session bus of our own
// (dbus-daemon), a virtual display (Xvfb) and dunst on it. The notification reaches the service
// with the pack, the event and the cell; a click (dunst's own action command) brings the window
// forward on the event's row; no bus, or a bus without the service, says nothing and waits for
// nothing.
#include "desktopnotifier.h"
#include "eventsmodel.h"
#include "eventspage.h"
#include "isolatedsettings.h"
#include "mainwindow.h"
#include "messages.h"
#include "packanalyses.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");

// A bus of our own: nothing on it starts by itself, anyone may own any name.
const char BusConfig[] = "<busconfig>\n"
                         "  <type>session</type>\n"
                         "  <listen>unix:dir=%1</listen>\n"
                         "  <auth>EXTERNAL</auth>\n"
                         "  <policy context=\"default\">\n"
                         "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                         "    <allow eavesdrop=\"true\"/>\n"
                         "    <allow own=\"*\"/>\n"
                         "  </policy>\n"
                         "</busconfig>\n";

PackEvent overVoltage(qint64 id, int address)
{
    PackEvent e;
    e.id = id;
    e.address = address;
    e.kind = PackEvent::Protection;
    e.code = 5;
    e.key = EventNames::key(e.kind, e.code);
    e.startMs = QDateTime::currentMSecsSinceEpoch();
    e.place = PackEvent::Cell;
    e.where = 7;
    e.valueStart = e.worst = 3651;
    return e;
}

// Ends a process it started, by its own id, and waits for it.
void end(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

class TestDesktopNotifier : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void noBusSaysNothing();
    void aBusWithoutTheServiceSaysNothing();
    void theServiceShowsItAndAClickBringsTheWindowOnTheEvent();

private:
    QString dunstctl(const QStringList &arguments);
    bool startService();

    QTemporaryDir dir;
    QString busAddress;
    QProcess bus;
    QProcess display;
    QProcess dunst;
    QString displayName;
    bool tools = false;
};

void TestDesktopNotifier::initTestCase()
{
    QVERIFY(dir.isValid());
    for (const char *tool : { "dbus-daemon", "Xvfb", "dunst", "dunstctl" }) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return; // the tests that need them say so
    }
    tools = true;

    QFile config(dir.filePath(QStringLiteral("bus.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QByteArray(BusConfig).replace("%1", QFile::encodeName(dir.path())));
    config.close();
    bus.start(QStringLiteral("dbus-daemon"),
              { QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1") });
    QVERIFY(bus.waitForStarted());
    while (!bus.canReadLine() && bus.waitForReadyRead(10000)) { }
    busAddress = QString::fromUtf8(bus.readLine()).trimmed();
    QVERIFY2(busAddress.startsWith(QStringLiteral("unix:")), qPrintable(busAddress));

    // The virtual display says its number once it takes clients.
    display.start(QStringLiteral("Xvfb"),
                  { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("640x480x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp") });
    QVERIFY(display.waitForStarted());
    while (!display.canReadLine() && display.waitForReadyRead(20000)) { }
    displayName = QLatin1Char(':') + QString::fromUtf8(display.readLine()).trimmed();
}

void TestDesktopNotifier::cleanupTestCase()
{
    end(dunst);
    end(display);
    end(bus);
}

bool TestDesktopNotifier::startService()
{
    QFile config(dir.filePath(QStringLiteral("dunstrc")));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), displayName);
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    dunst.setProcessEnvironment(env);
    // Ready when it owns the service's name.
    QDBusConnection watching = QDBusConnection::connectToBus(busAddress, QStringLiteral("watcher"));
    bool owned = false;
    {
        QDBusServiceWatcher watcher(Service, watching, QDBusServiceWatcher::WatchForRegistration);
        QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
        dunst.start(QStringLiteral("dunst"), { QStringLiteral("-config"), config.fileName() });
        owned = dunst.waitForStarted()
            && (watching.interface()->isServiceRegistered(Service) || registered.wait(20000));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
    return owned;
}

QString TestDesktopNotifier::dunstctl(const QStringList &arguments)
{
    QProcess ctl;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    ctl.setProcessEnvironment(env);
    ctl.start(QStringLiteral("dunstctl"), arguments);
    ctl.waitForFinished(10000);
    return QString::fromUtf8(ctl.readAllStandardOutput());
}

void TestDesktopNotifier::noBusSaysNothing()
{
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([&] {
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("XDG_RUNTIME_DIR", runtime);
    });

    // No address and no bus in the runtime folder: the library is not asked to start one.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    QCOMPARE(DesktopNotifier::sessionBusAddress(), QString());
    {
        DesktopNotifier notifier;
        QSignalSpy checked(&notifier, &DesktopNotifier::busChecked);
        QSignalSpy shown(&notifier, &DesktopNotifier::shown);
        notifier.notify(overVoltage(1, 3));
        QCOMPARE(checked.count(), 1);
        QCOMPARE(checked.at(0).at(0).toBool(), false);
        notifier.notify(overVoltage(2, 3));
        QCOMPARE(checked.count(), 1); // not tried again
        QCOMPARE(shown.count(), 0);
    }

    // An address where no bus listens: tried once, off the window's thread.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            QFile::encodeName(QStringLiteral("unix:path=") + dir.filePath("nobody")));
    DesktopNotifier notifier;
    QSignalSpy checked(&notifier, &DesktopNotifier::busChecked);
    QSignalSpy shown(&notifier, &DesktopNotifier::shown);
    notifier.notify(overVoltage(1, 3));
    QVERIFY(checked.wait(10000));
    QCOMPARE(checked.at(0).at(0).toBool(), false);
    QCOMPARE(shown.count(), 0);

    // Switched off: nothing at all is tried.
    DesktopNotifier off;
    off.setEnabled(false);
    QSignalSpy offChecked(&off, &DesktopNotifier::busChecked);
    off.notify(overVoltage(1, 3));
    QCOMPARE(offChecked.count(), 0);
}

void TestDesktopNotifier::aBusWithoutTheServiceSaysNothing()
{
    if (!tools)
        QSKIP("dbus-daemon, Xvfb and dunst are not installed (scripts/install-deps.sh installs "
              "them)");
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const auto restore = qScopeGuard([&] { qputenv("DBUS_SESSION_BUS_ADDRESS", address); });
    qputenv("DBUS_SESSION_BUS_ADDRESS", busAddress.toUtf8());

    DesktopNotifier notifier;
    QSignalSpy checked(&notifier, &DesktopNotifier::busChecked);
    QSignalSpy shown(&notifier, &DesktopNotifier::shown);
    notifier.notify(overVoltage(1, 3));
    // Nothing waited for the bus.
    QCOMPARE(checked.count(), 0);
    QVERIFY(checked.wait(10000));
    QCOMPARE(checked.at(0).at(0).toBool(), true);

    // The service comes later: the refused first one is not shown then, the next one is.
    QVERIFY(startService());
    notifier.notify(overVoltage(2, 4));
    QVERIFY(shown.wait(10000));
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).toLongLong(), qint64(2));
    dunstctl({ QStringLiteral("close-all") });
}

void TestDesktopNotifier::theServiceShowsItAndAClickBringsTheWindowOnTheEvent()
{
    if (!tools)
        QSKIP("dbus-daemon, Xvfb and dunst are not installed (scripts/install-deps.sh installs "
              "them)");
    if (dunst.state() != QProcess::Running)
        QVERIFY(startService());
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const auto restore = qScopeGuard([&] { qputenv("DBUS_SESSION_BUS_ADDRESS", address); });
    qputenv("DBUS_SESSION_BUS_ADDRESS", busAddress.toUtf8());

    IsolatedSettings settings;
    Messages::Recorder boxes;
    MainWindow window;
    auto *analyses = window.findChild<PackAnalyses *>();
    auto *notifier = window.findChild<DesktopNotifier *>();
    auto *page = window.findChild<QWidget *>(QStringLiteral("events_page"));
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tab_widget"));
    auto *table = page->findChild<QTableView *>(QStringLiteral("events_table"));
    QVERIFY(analyses && notifier && page && tabs && table);
    QSignalSpy shown(notifier, &DesktopNotifier::shown);

    // Nobody at the window (not even shown): the desktop is told, once per event.
    const PackEvent first = overVoltage(41, 3);
    emit analyses->eventChanged(first);
    emit analyses->eventChanged(first);
    QVERIFY(shown.wait(10000));
    QCOMPARE(shown.at(0).at(0).toLongLong(), qint64(41));
    QVERIFY(dunstctl({ QStringLiteral("count"), QStringLiteral("displayed") }).contains('1'));

    // A click: the window in front, on the events page, the event's row selected.
    dunstctl({ QStringLiteral("action"), QStringLiteral("0") });
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible() && tabs->currentWidget() == page, 10000);
    QVERIFY(table->currentIndex().isValid());
    const auto *model = qobject_cast<const EventsModel *>(table->model());
    QCOMPARE(model->event(table->currentIndex().row()).id, qint64(41));

    // At the window: not told. Minimised: told. The service answers in order, so the event
    // told last being shown first proves the other was never sent.
    QTRY_VERIFY_WITH_TIMEOUT(window.isActiveWindow(), 10000);
    emit analyses->eventChanged(overVoltage(42, 8));
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    emit analyses->eventChanged(overVoltage(43, 5));
    QVERIFY(shown.wait(10000));
    QCOMPARE(shown.count(), 2);
    QCOMPARE(shown.at(1).at(0).toLongLong(), qint64(43));
    // An end tells nothing; a link lost is told; the switch off tells nothing.
    PackEvent ended = overVoltage(43, 5);
    ended.endMs = ended.startMs + 1000;
    emit analyses->eventChanged(ended);
    page->findChild<QCheckBox *>(QStringLiteral("events_notify"))->setChecked(false);
    emit analyses->eventChanged(overVoltage(44, 6));
    page->findChild<QCheckBox *>(QStringLiteral("events_notify"))->setChecked(true);
    PackEvent lost;
    lost.id = 45;
    lost.address = 7;
    lost.kind = PackEvent::Link;
    lost.key = EventNames::key(PackEvent::Link, 0);
    lost.startMs = ended.endMs;
    emit analyses->eventChanged(lost);
    QVERIFY(shown.wait(10000));
    QCOMPARE(shown.count(), 3);
    QCOMPARE(shown.at(2).at(0).toLongLong(), qint64(45));

    // What the service took names the pack, the event and where, in the window's language.
    dunstctl({ QStringLiteral("close-all") });
    QStringList summaries;
    const QJsonArray history =
        QJsonDocument::fromJson(dunstctl({ QStringLiteral("history") }).toUtf8())
            .object()
            .value(QStringLiteral("data"))
            .toArray()
            .at(0)
            .toArray();
    for (const QJsonValue &n : history)
        summaries << n.toObject().value("summary").toObject().value("data").toString();
    QCOMPARE(summaries.count(DesktopNotifier::summary(first)), 1);
    QVERIFY(!summaries.contains(DesktopNotifier::summary(overVoltage(42, 8))));
    QVERIFY(!summaries.contains(DesktopNotifier::summary(overVoltage(44, 6))));
    QVERIFY2(DesktopNotifier::summary(first).contains(QStringLiteral("3："))
                 && DesktopNotifier::summary(first).contains(QStringLiteral("7"))
                 && DesktopNotifier::summary(first).contains(QStringLiteral("3,651 mV")),
             qPrintable(DesktopNotifier::summary(first)));
}

QTEST_MAIN(TestDesktopNotifier)
#include "tst_desktopnotifier.moc"
