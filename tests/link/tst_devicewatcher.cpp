// The hot-plug watcher on the extra port paths, the way the simulated board's pseudo-terminal
// comes and goes.
#include "devicewatcher.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int Interval = 20; // ms between comparisons

// Lets several comparisons pass, so a late or repeated signal would show up.
bool settle()
{
    QTimer timer;
    timer.setSingleShot(true);
    QSignalSpy done(&timer, &QTimer::timeout);
    timer.start(8 * Interval);
    return done.wait(10000);
}

bool touch(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

// The watcher's signals in the order they came.
struct Log : QStringList
{
    explicit Log(DeviceWatcher &w)
    {
        QObject::connect(&w, &DeviceWatcher::deviceArrived, [this] { append("arrived"); });
        QObject::connect(&w, &DeviceWatcher::deviceRemoved, [this] { append("removed"); });
    }
};
} // namespace

class TestDeviceWatcher : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { qunsetenv("ARVEX_EXTRA_PORTS"); }

    void extraPaths_data()
    {
        QTest::addColumn<QStringList>("before"); // files present when the watcher starts
        QTest::addColumn<QStringList>("after"); // files present after one change
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one appears")
            << QStringList() << QStringList{ "a" } << QStringList{ "arrived" };
        QTest::newRow("both appear at once")
            << QStringList() << QStringList{ "a", "b" } << QStringList{ "arrived" };
        QTest::newRow("one goes") << QStringList{ "a", "b" } << QStringList{ "b" }
                                  << QStringList{ "removed" };
        QTest::newRow("one replaces the other")
            << QStringList{ "a" } << QStringList{ "b" } << QStringList{ "removed", "arrived" };
        QTest::newRow("nothing changes")
            << QStringList{ "a" } << QStringList{ "a" } << QStringList();
    }
    void extraPaths()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // Blanks and empty entries as a hand-written setting may have them.
        qputenv("ARVEX_EXTRA_PORTS",
                (" " + dir.filePath("a") + " ::" + dir.filePath("b") + ":").toLocal8Bit());
        for (const QString &name : before)
            QVERIFY(touch(dir.filePath(name)));

        DeviceWatcher watcher(nullptr, DeviceWatcher::Backend::Polling);
        watcher.setPollInterval(Interval);
        Log log(watcher);
        QVERIFY(settle());
        QCOMPARE(log, QStringList()); // what exists at start is not news

        for (const QString &name : { QStringLiteral("a"), QStringLiteral("b") }) {
            if (after.contains(name))
                QVERIFY(touch(dir.filePath(name)));
            else
                QFile::remove(dir.filePath(name));
        }
        QTRY_COMPARE_WITH_TIMEOUT(log.size(), expected.size(), 10000);
        QVERIFY(settle());
        QCOMPARE(log, expected);
    }

    void linkWithoutTarget()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString target = dir.filePath("pts"), link = dir.filePath("board");
        QVERIFY(touch(target));
        qputenv("ARVEX_EXTRA_PORTS", link.toLocal8Bit());
        DeviceWatcher watcher(nullptr, DeviceWatcher::Backend::Polling);
        watcher.setPollInterval(Interval);
        Log log(watcher);

        QVERIFY(QFile::link(target, link));
        QTRY_COMPARE_WITH_TIMEOUT(log, QStringList{ "arrived" }, 10000);
        QVERIFY(QFile::remove(target)); // the link stays, dangling
        QTRY_COMPARE_WITH_TIMEOUT(log, (QStringList{ "arrived", "removed" }), 10000);
        QVERIFY(touch(target)); // the board restarted behind the same link
        QTRY_COMPARE_WITH_TIMEOUT(log, (QStringList{ "arrived", "removed", "arrived" }), 10000);
    }

    void autoWithoutUdevDaemon()
    {
        if (QFileInfo::exists("/run/udev/control"))
            QSKIP("the udev daemon runs here");
        DeviceWatcher watcher;
        QVERIFY(!watcher.usesUdev());
    }
};

QTEST_GUILESS_MAIN(TestDeviceWatcher)
#include "tst_devicewatcher.moc"
