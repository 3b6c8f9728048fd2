// Cost of one real-time reply in the real window, logging on: from ParseMsg to the last widget
// (the handler alone) with the main, details, log or overview page in front, after 1,200 and
// 300,000 logged rows; the same reply with the event loop run until idle, its painting included,
// with the area it painted and the widgets that painted it; a page brought to the front after ten
// minutes of replies; and the window's memory per logged row. Runs offscreen unless a platform is
// given (offscreen, the window's backing store is painted for real).
#include "datalog.h"
#include "drainevents.h"
#include "mainwindow.h"
#include "messages.h"
#include "replies.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPaintEvent>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <map>
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
        log->showNewRows(); // the window's log shows its new rows after the reply
        view->scrollToBottom();
        QCoreApplication::processEvents();
    }
};

std::unique_ptr<Bench> bench;
std::map<QString, QString> paintBreakdowns; // by page and rows: the widgets that painted

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

// The pages a reply may find in front: the main page, the details, the log and the overview.
const char *const Pages[] = { "maininfo", "tab_3", "tab_5", "tab_overview" };
const char *const PageNames[] = { "main", "details", "log", "overview" };
constexpr int PageCount = 4;

void showPage(int page)
{
    bench->tabs->setCurrentWidget(bench->window.findChild<QWidget *>(QLatin1String(Pages[page])));
    drainEvents();
}

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

// The handler alone, with each page in front, after 1,200 and 300,000 logged rows.
void BM_WindowReply(benchmark::State &state)
{
    const int page = int(state.range(0));
    state.SetLabel(PageNames[page]);
    bench->fillTo(int(state.range(1)));
    showPage(page);
    timeReplies(state);
}
// A fixed number of replies: what the event loop does between them (painting) is not timed, and
// would otherwise be run for as many replies as fit the benchmark's time.
BENCHMARK(BM_WindowReply)
    ->ArgsProduct({ { 0, 1, 2, 3 }, { 1200, 300000 } })
    ->Iterations(1000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Counts what is painted: for every paint event in the program, the area of its region, summed
// per widget, so a figure comes with the widgets that make it; and the pixels of the window
// painted, each counted once however many widgets painted it.
class PaintMeter : public QObject
{
public:
    struct Widget
    {
        qint64 events = 0;
        qint64 pixels = 0;
    };

    PaintMeter() { qApp->installEventFilter(this); }
    ~PaintMeter() override { qApp->removeEventFilter(this); }

    // Ends a reply: its window pixels are counted.
    void endReply()
    {
        for (const QRect &r : m_reply)
            m_windowPixels += qint64(r.width()) * r.height();
        m_reply = QRegion();
    }
    qint64 windowPixels() const { return m_windowPixels; }
    qint64 pixels() const
    {
        qint64 sum = 0;
        for (const auto &entry : m_widgets)
            sum += entry.second.pixels;
        return sum;
    }
    // The widgets that painted, most pixels first, at most lines of them.
    QString breakdown(int replies, int lines) const
    {
        std::vector<std::pair<QString, Widget>> sorted(m_widgets.cbegin(), m_widgets.cend());
        std::sort(sorted.begin(), sorted.end(),
                  [](const auto &a, const auto &b) { return a.second.pixels > b.second.pixels; });
        QString text;
        for (const auto &[name, w] : sorted) {
            if (lines-- == 0)
                break;
            text += QStringLiteral("  %1 px/reply %2 paints/reply  %3\n")
                        .arg(double(w.pixels) / replies, 9, 'f', 0)
                        .arg(double(w.events) / replies, 5, 'f', 2)
                        .arg(name);
        }
        return text;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            qint64 area = 0;
            for (const QRect &r : static_cast<QPaintEvent *>(event)->region())
                area += qint64(r.width()) * r.height();
            const auto *widget = static_cast<QWidget *>(watched);
            m_reply += static_cast<QPaintEvent *>(event)->region().translated(
                widget->mapTo(widget->window(), QPoint()));
            QString name = QString::fromLatin1(widget->metaObject()->className());
            // A viewport or a header has no name of its own: its view's name says what it is.
            const QWidget *named = widget;
            while (named && named->objectName().isEmpty())
                named = named->parentWidget();
            if (named)
                name += QLatin1Char(' ') + named->objectName();
            Widget &w = m_widgets[name];
            ++w.events;
            w.pixels += area;
        }
        return false;
    }

private:
    std::map<QString, Widget> m_widgets;
    QRegion m_reply;
    qint64 m_windowPixels = 0;
};

// The reply as the user sees it: from ParseMsg until the event loop is idle again, the page in
// front painted with the new reply; and the area the reply painted: the window's pixels, and the
// sum over the widgets that painted them, with the widgets that painted most (printed on standard
// error at the end).
void BM_WindowReplyPainted(benchmark::State &state)
{
    const int page = int(state.range(0));
    state.SetLabel(PageNames[page]);
    bench->fillTo(int(state.range(1)));
    showPage(page);
    PaintMeter meter;
    std::vector<qint64> times;
    times.reserve(1 << 16);
    QElapsedTimer clock;
    int i = 0;
    for (auto _ : state) {
        clock.start();
        emit bench->window.dataReceived(bench->frames[std::size_t(i++ % Variants)]);
        drainEvents();
        times.push_back(clock.nsecsElapsed());
        meter.endReply();
    }
    std::sort(times.begin(), times.end());
    const double replies = std::max<std::size_t>(1, times.size());
    state.counters["median_ms"] = times.empty() ? 0.0 : double(times[times.size() / 2]) / 1e6;
    state.counters["window_px"] = double(meter.windowPixels()) / replies;
    state.counters["widgets_px"] = double(meter.pixels()) / replies;
    state.counters["rows_at_end"] = bench->log->count();
    // The benchmark is run several times per argument; the widgets of the last run are printed
    // at the end.
    paintBreakdowns[QStringLiteral("%1 page after %2 logged rows")
                        .arg(QLatin1String(PageNames[page]))
                        .arg(state.range(1))] = meter.breakdown(int(replies), 8);
}
BENCHMARK(BM_WindowReplyPainted)
    ->ArgsProduct({ { 0, 1, 2, 3 }, { 1200, 300000 } })
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A page brought to the front after ten minutes of replies at the fastest poll (2,000 replies)
// while the log page was shown: from the switch until the page is painted with the latest reply.
void BM_PageSwitch(benchmark::State &state)
{
    constexpr int Replies = 2000;
    const int page = int(state.range(0));
    state.SetLabel(PageNames[page]);
    bench->fillTo(1200);
    std::vector<qint64> times;
    QElapsedTimer clock;
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        showPage(2);
        for (int n = 0; n < Replies; ++n) {
            emit bench->window.dataReceived(bench->frames[std::size_t(i++ % Variants)]);
            if (n % 64 == 0)
                QCoreApplication::processEvents();
        }
        drainEvents();
        state.ResumeTiming();
        clock.start();
        showPage(page);
        times.push_back(clock.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times.empty() ? 0.0 : double(times[times.size() / 2]) / 1e6;
}
BENCHMARK(BM_PageSwitch)->DenseRange(0, 3)->Iterations(5)->Unit(benchmark::kMillisecond);

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
    for (const auto &[what, text] : paintBreakdowns)
        fprintf(stderr, "Painted per reply, %s (pixels summed over widgets):\n%s", qPrintable(what),
                qPrintable(text));
    bench.reset();
    return 0;
}
