// Cost of one real-time reply in the real window: from ParseMsg to the last widget, with the log
// page shown and logging on, after 0, 100,000 and 300,000 logged rows; and the window's memory
// per logged row. Runs offscreen unless a platform is given.
#include "datalog.h"
#include "mainwindow.h"
#include "messages.h"
#include "replies.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int Variants = 64;

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// One window for every benchmark, shown on the log page with logging on.
struct Bench
{
    Messages::Recorder boxes; // a machine without serial ports gets a box at start
    MainWindow window;
    QTabWidget *tabs = nullptr;
    QWidget *logPage = nullptr;
    QTableView *view = nullptr;
    DataLog *log = nullptr;
    std::vector<QByteArray> frames;

    Bench()
    {
        window.setFixedSize(1360, 768);
        window.show();
        tabs = window.findChild<QTabWidget *>(QStringLiteral("tab_widget"));
        logPage = window.findChild<QWidget *>(QStringLiteral("tab_5"));
        tabs->setCurrentWidget(logPage);
        window.findChild<QPushButton *>(QStringLiteral("btn_log"))->click();
        view = window.findChild<QTableView *>(QStringLiteral("data_view"));
        log = qobject_cast<DataLog *>(view->model());
        for (int i = 0; i < Variants; ++i)
            frames.push_back(BenchReplies::reply(i));
        QCoreApplication::processEvents();
    }

    // Logs rows as replies would (through the window's model, with the view attached), without
    // the cost of as many replies.
    void fillTo(int rows)
    {
        log->clear();
        cell record;
        record.cell[0] = 3300;
        QDateTime when = QDateTime::currentDateTime();
        for (int i = 0; i < rows; ++i)
            log->append(record, when.addMSecs(300 * i));
        view->scrollToBottom();
        QCoreApplication::processEvents();
    }
};

std::unique_ptr<Bench> bench;

// Heap growth of the window over 300,000 logged rows: the log and whatever the view keeps per
// row. Run first, before other runs have left the view's per-row storage allocated.
void BM_WindowMemoryPerRow(benchmark::State &state)
{
    constexpr int Rows = 300000;
    double perRow = 0;
    for (auto _ : state) {
        bench->fillTo(0);
        malloc_trim(0);
        const std::size_t before = heapInUse();
        bench->fillTo(Rows);
        perRow = double(heapInUse() - before) / Rows;
    }
    state.counters["bytes_per_row"] = perRow;
}
BENCHMARK(BM_WindowMemoryPerRow)->Iterations(1)->Unit(benchmark::kMillisecond);

// Times each reply from ParseMsg to the last widget. What a reply leaves to the event loop
// (layout, painting) runs between the timed replies. The mean carries the odd slow reply (the
// first row fits the columns, the row numbers gain a digit); the median is the usual reply.
void timeReplies(benchmark::State &state)
{
    std::vector<qint64> times;
    times.reserve(1 << 16);
    QElapsedTimer clock;
    int i = 0;
    for (auto _ : state) {
        clock.start();
        emit bench->window.dataReceived(bench->frames[std::size_t(i++ % Variants)]);
        times.push_back(clock.nsecsElapsed());
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    std::sort(times.begin(), times.end());
    const auto at = [&times](std::size_t n, std::size_t of) {
        return times.empty() ? 0.0 : double(times[times.size() * n / of]) / 1000;
    };
    state.counters["median_us"] = at(1, 2);
    state.counters["p90_us"] = at(9, 10);
    state.counters["rows_at_end"] = bench->log->count();
}

// The log page shown, after 0, 100,000 and 300,000 rows.
void BM_WindowReply(benchmark::State &state)
{
    bench->fillTo(int(state.range(0)));
    timeReplies(state);
}
BENCHMARK(BM_WindowReply)
    ->Arg(0)
    ->Arg(100000)
    ->Arg(300000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The main page shown, the page a user mostly looks at: the chart and the lamps are visible.
void BM_WindowReplyMainPage(benchmark::State &state)
{
    bench->fillTo(0);
    bench->tabs->setCurrentIndex(0);
    QCoreApplication::processEvents();
    timeReplies(state);
    bench->tabs->setCurrentWidget(bench->logPage);
    QCoreApplication::processEvents();
}
BENCHMARK(BM_WindowReplyMainPage)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The reply and the event processing it causes: the log page repainted with the new row.
void BM_WindowReplyAndRepaint(benchmark::State &state)
{
    bench->fillTo(int(state.range(0)));
    int i = 0;
    for (auto _ : state) {
        emit bench->window.dataReceived(bench->frames[std::size_t(i++ % Variants)]);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_WindowReplyAndRepaint)
    ->Arg(0)
    ->Arg(300000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Logging records to disk: into a temporary folder, not the user's documents.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir scratch;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.filePath("settings"));
    QSettings().setValue("recordings/folder", scratch.filePath("recordings"));
    initResources();
    QFile style(QStringLiteral(":/assert/style.qss"));
    if (style.open(QFile::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(style.readAll()));

    bench = std::make_unique<Bench>();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    bench.reset();
    return 0;
}
