// Proves that the leak check can fail: this slot loses 4 KiB of its own memory while a window
// exists, so Qt's own allocations are made as well. Under the sanitizers the run must end with a
// report of exactly that block; a suppression broad enough to hide it would let every test leak.
#include <QWidget>
#include <QtTest>

class TestLeakCheck : public QObject
{
    Q_OBJECT

private slots:
    void leaksOwnMemory()
    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        static char *volatile lost = nullptr;
        lost = new char[4096];
        lost[0] = 1;
        lost = nullptr;
    }
};

QTEST_MAIN(TestLeakCheck)
#include "tst_leakcheck.moc"
