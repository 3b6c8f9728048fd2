// CPU cost of the window while it polls the simulated board: the real MainWindow (offscreen) with
// a real serial port on the board's pseudo-terminal, polling at the fastest period (300 ms). Prints
// the process's CPU time as a share of one core, how many replies were handled and how often the
// link lamps were repainted.
//   bench_polling [seconds] [packs] [baud]   (60 s, 1 pack by default; run from a release build)
// With several packs the simulator serves a bus of them paced at baud (115200 by default), the
// window polls them all as fast as the wire allows and shows the overview.
#include "boardsession.h"
#include "mainwindow.h"
#include "switchbutton.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QProcess>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {
// Counts the paint events of the link lamps: each one repaints the lamp and what lies beneath it.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    const int packs = argc > 2 ? std::max(1, std::min(99, atoi(argv[2]))) : 1;
    const int baud = argc > 3 ? std::max(1200, atoi(argv[3])) : 115200;

    QTemporaryDir dir;
    const QString link = dir.filePath("ttyARVEX");
    QProcess board;
    QStringList boardArgs{ "--link", link, "--seed", "1" };
    if (packs > 1)
        boardArgs << "--address" << QStringLiteral("1-%1").arg(packs) << "--line-rate"
                  << QString::number(baud);
    board.start(QStringLiteral(ARVEX_BOARD_SIM), boardArgs);
    if (!board.waitForStarted() || !board.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_polling: the simulated board did not start\n");
        return 1;
    }
    qputenv("ARVEX_EXTRA_PORTS", QFile::encodeName(link));

    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    auto *ports = window.findChild<QComboBox *>("portName");
    ports->setCurrentIndex(ports->findText(link + " (virtual)"));
    window.findChild<QSpinBox *>("spinBox")->setValue(300);
    window.findChild<SwitchButton *>("openCom")->SetActive(true);
    if (packs > 1) {
        QVector<int> addresses;
        for (int a = 1; a <= packs; ++a)
            addresses << a;
        window.boardSession()->setAddresses(addresses);
        auto *tabs = window.findChild<QTabWidget *>();
        tabs->setCurrentWidget(window.findChild<QWidget *>("tab_overview"));
    }

    PaintCounter lampPaints;
    int replies = 0;
    QObject::connect(window.boardSession(), &BoardSession::frameReceived,
                     [&replies] { ++replies; });

    // Measured after the first second, once the window is shown and the link settled.
    double cpuStart = 0;
    QElapsedTimer wall;
    QTimer::singleShot(1000, [&] {
        replies = 0;
        // Installed last, so that it sees each paint event before the window's own filters.
        for (const char *lamp : { "statu_tx_mask", "statu_rx_mask", "statu_rxerr_mask" })
            window.findChild<QLabel *>(lamp)->installEventFilter(&lampPaints);
        cpuStart = cpuSeconds();
        wall.start();
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    });
    app.exec();

    const double cpu = cpuSeconds() - cpuStart;
    const double elapsed = wall.elapsed() / 1000.0;
    std::printf("polling %d pack(s) every 300 ms for %.1f s: %d replies, status \"%s\"\n", packs,
                elapsed, replies, qPrintable(window.findChild<QLabel *>("statu_send")->text()));
    std::printf("link lamps (TX, RX, error) painted %.1f times a second\n",
                lampPaints.paints / elapsed);
    if (packs > 1)
        std::printf("last cycle %d ms at %d baud\n", window.boardSession()->lastCycleMs(), baud);
    std::printf("CPU %.3f s = %.2f %% of one core (target <= %d %%)\n", cpu, 100.0 * cpu / elapsed,
                packs > 1 ? 2 : 1);
    board.terminate();
    board.waitForFinished();
    return 0;
}
