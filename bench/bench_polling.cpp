// CPU cost of the window while it polls the simulated board: the real MainWindow (offscreen) with
// a real serial port on the board's pseudo-terminal, polling at the fastest period (300 ms). Prints
// the process's CPU time as a share of one core, and how many replies were handled.
//   bench_polling [seconds]   (60 by default; run from a release build)
#include "boardsession.h"
#include "mainwindow.h"
#include "switchbutton.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {
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

    QTemporaryDir dir;
    const QString link = dir.filePath("ttyARVEX");
    QProcess board;
    board.start(QStringLiteral(ARVEX_BOARD_SIM), { "--link", link, "--seed", "1" });
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

    int replies = 0;
    QObject::connect(window.boardSession(), &BoardSession::frameReceived,
                     [&replies] { ++replies; });

    // Measured after the first second, once the window is shown and the link settled.
    double cpuStart = 0;
    QElapsedTimer wall;
    QTimer::singleShot(1000, [&] {
        replies = 0;
        cpuStart = cpuSeconds();
        wall.start();
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    });
    app.exec();

    const double cpu = cpuSeconds() - cpuStart;
    const double elapsed = wall.elapsed() / 1000.0;
    std::printf("polling every 300 ms for %.1f s: %d replies, status \"%s\"\n", elapsed, replies,
                qPrintable(window.findChild<QLabel *>("statu_send")->text()));
    std::printf("CPU %.3f s = %.2f %% of one core (target <= 1 %%)\n", cpu, 100.0 * cpu / elapsed);
    board.terminate();
    board.waitForFinished();
    return 0;
}
