// The cost of recording and of the trends page: what a reply adds for the trend ring and the
// recording write (in the core, and in the real window with recording on against off), one
// redraw of the trends page over 288,000 samples per series, and opening a recording of
// 300,000 rows into the trends. Runs offscreen unless a platform is given.
#include "crc.h"
#include "csvreader.h"
#include "datalog.h"
#include "filedialogs.h"
#include "mainwindow.h"
#include "messages.h"
#include "recording.h"
#include "switchbutton.h"
#include "trendbuffer.h"
#include "trendview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtMath>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int DaySamples = 288000; // 24 hours at the fastest poll
constexpr int RecordingRows = 300000;

std::unique_ptr<QTemporaryDir> scratch;

QByteArray hex(qint64 value, int width)
{
    return QByteArray::number(quint32(value), 16).toUpper().right(width).rightJustified(width, '0');
}

// A pack at step i of a slow charge and discharge cycle with a little noise, as a reply and as
// a record.
cell packAt(int i)
{
    const double phase = 2 * M_PI * i / 40000.0;
    cell r;
    r.id = 1;
    r.cadc = int(30000 * std::sin(phase)) + (i * 7919) % 300;
    r.soc = 50 + int(45 * -std::cos(phase));
    r.soh = 99;
    r.totalv = 52000 + int(2500 * -std::cos(phase)) + (i * 31) % 40;
    for (int k = 0; k < 25; ++k)
        r.cell[k] = k < 16 ? r.totalv / 16 + (k * 13 + i) % 20 : 0;
    r.maxv = r.totalv / 16 + 19;
    r.minv = r.totalv / 16;
    r.avgv = r.totalv / 16 + 9;
    for (int t = 0; t < 6; ++t)
        r.ts[t] = 2500 + 300 * t + int(800 * std::sin(phase + t));
    return r;
}

QByteArray replyFrame(const cell &r)
{
    QByteArray block;
    for (int k = 0; k < 25; ++k)
        block += hex(r.cell[k], 4);
    for (int t = 0; t < 6; ++t)
        block += hex(r.ts[t] + 4000, 4);
    block += "00211" + hex(r.cadc, 8) + hex(0, 24) + hex(12, 4) + hex(1, 4);
    for (int v : { r.totalv, r.avgv, r.maxv, r.minv, 19, 1, r.maxv })
        block += hex(v, 4);
    block += hex(r.soc, 2) + hex(16, 2) + hex(100, 2) + hex(0, 4) + hex(99, 4);
    const QByteArray span = ":Y+01+51+" + block;
    const uint16_t crc =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(span.constData()), span.size());
    return span + '+' + hex(crc, 4) + '~';
}

double median(std::vector<qint64> &ns)
{
    if (ns.empty())
        return 0;
    std::sort(ns.begin(), ns.end());
    return double(ns[ns.size() / 2]) / 1000;
}

// The core's part of a reply: a trend sample into the ring, and the new log row formatted and
// written to the recording (one write to the operating system).
void BM_ReplyTrendAndRecording(benchmark::State &state)
{
    TrendBuffer ring;
    DataLog log;
    Recording recording;
    recording.start(scratch->filePath("core"), QDateTime::currentDateTime(), 1,
                    DataLog::csvHeader());
    std::vector<qint64> ns;
    QElapsedTimer clock;
    int i = 0;
    for (auto _ : state) {
        const cell r = packAt(i++);
        state.PauseTiming();
        log.append(r, QDateTime::currentDateTime()); // the table's row, there before recording
        state.ResumeTiming();
        clock.start();
        ring.append(TrendBuffer::fromRecord(r, QDateTime::currentMSecsSinceEpoch()));
        recording.append(log.csvLine(log.count() - 1));
        ns.push_back(clock.nsecsElapsed());
    }
    state.counters["median_us"] = median(ns);
    state.counters["rows_on_disk"] = recording.rows();
}
BENCHMARK(BM_ReplyTrendAndRecording)->Iterations(20000)->Unit(benchmark::kMicrosecond);

// One window for the window benchmarks.
struct Window
{
    Messages::Recorder boxes;
    MainWindow window;
    QTabWidget *tabs = nullptr;

    Window()
    {
        window.setFixedSize(1360, 768);
        window.show();
        tabs = window.findChild<QTabWidget *>(QStringLiteral("tab_widget"));
        QCoreApplication::processEvents();
    }
    template<typename T>
    T *child(const char *name)
    {
        return window.findChild<T *>(QLatin1String(name));
    }
};
std::unique_ptr<Window> win;
std::unique_ptr<Window> second; // logs without recording

// A reply in two windows logging side by side, one recording and one not, taking turns reply by
// reply so that both meet the same machine: the difference of their medians is what recording
// and the trend ring add to the whole reply (the log page shown, as in bench_window).
void BM_WindowReplyRecording(benchmark::State &state)
{
    Window &other = *second;
    for (Window *w : { win.get(), &other }) {
        w->tabs->setCurrentWidget(w->child<QWidget>("tab_5"));
        w->child<QPushButton>("data_clean")->click();
        w->child<SwitchButton>("data_record")->SetActive(w == win.get());
        w->child<QPushButton>("btn_log")->click(); // a new file in the recording window
    }
    QCoreApplication::processEvents();
    std::vector<QByteArray> frames;
    for (int i = 0; i < 64; ++i)
        frames.push_back(replyFrame(packAt(i * 97)));
    std::vector<qint64> on, off;
    QElapsedTimer clock;
    int i = 0;
    for (auto _ : state) {
        const QByteArray &frame = frames[std::size_t(i++ % 64)];
        clock.start();
        emit win->window.dataReceived(frame);
        on.push_back(clock.nsecsElapsed());
        state.PauseTiming();
        QCoreApplication::processEvents();
        clock.start();
        emit other.window.dataReceived(frame);
        off.push_back(clock.nsecsElapsed());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    for (Window *w : { win.get(), &other })
        w->child<QPushButton>("btn_log")->click();
    state.counters["recording_median_us"] = median(on);
    state.counters["not_recording_median_us"] = median(off);
    state.counters["added_us"] = median(on) - median(off);
}
BENCHMARK(BM_WindowReplyRecording)->Iterations(3000)->Repetitions(3)->Unit(benchmark::kMicrosecond);

// A day at the fastest poll, made once.
TrendBuffer &daySamples()
{
    static TrendBuffer day;
    if (day.isEmpty()) {
        const qint64 start = QDateTime::currentMSecsSinceEpoch() - qint64(DaySamples) * 300;
        for (int i = 0; i < DaySamples; ++i)
            day.append(TrendBuffer::fromRecord(packAt(i), start + qint64(i) * 300));
    }
    return day;
}

// The core's part of a redraw: every channel of a day cut down to 300 buckets.
void BM_DecimateDay(benchmark::State &state)
{
    const TrendBuffer &day = daySamples();
    std::vector<TrendBuffer::Point> points;
    for (auto _ : state) {
        for (int c = 0; c < TrendBuffer::ChannelCount; ++c) {
            day.decimate(TrendBuffer::Channel(c), day.firstTime(), day.lastTime(), 300, &points);
            benchmark::DoNotOptimize(points.data());
        }
    }
}
BENCHMARK(BM_DecimateDay)->Unit(benchmark::kMillisecond);

// A day of samples drawn on the trends page: cutting every series down to the pixel columns,
// handing the points to the charts and painting the page, for the three views.
void BM_TrendsRedraw(benchmark::State &state)
{
    TrendBuffer &day = daySamples();
    auto *view = win->child<TrendView>("trend_view");
    win->tabs->setCurrentWidget(win->child<QWidget>("tab_trend"));
    view->setBuffer(&day);
    view->setSpan(TrendView::Span(state.range(0)));
    QCoreApplication::processEvents();
    std::vector<qint64> ns;
    QElapsedTimer clock;
    int i = DaySamples;
    for (auto _ : state) {
        // As when live: a new sample, so the window and every bucket move.
        state.PauseTiming();
        day.append(TrendBuffer::fromRecord(packAt(i), day.lastTime() + 300));
        ++i;
        state.ResumeTiming();
        clock.start();
        view->refresh();
        // What the charts left to the event loop (their layout, the scene's updates), then
        // the page painted.
        QCoreApplication::sendPostedEvents();
        view->repaint();
        ns.push_back(clock.nsecsElapsed());
    }
    state.counters["median_ms"] = median(ns) / 1000;
    state.counters["samples"] = day.size();
    win->child<QPushButton>("trend_live")->click();
    view->setBuffer(nullptr);
    win->tabs->setCurrentIndex(0);
}
BENCHMARK(BM_TrendsRedraw)
    ->Arg(int(TrendView::Span::Everything))
    ->Arg(int(TrendView::Span::Hour))
    ->Arg(int(TrendView::Span::FiveMinutes))
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);

// Opening a recording of 300,000 rows from the trends page, up to the charts drawn.
void BM_OpenRecording(benchmark::State &state)
{
    const QString path = scratch->filePath("long.csv");
    if (!QFile::exists(path)) {
        DataLog log;
        const QDateTime start = QDateTime::currentDateTime().addSecs(-RecordingRows * 3 / 10);
        for (int i = 0; i < RecordingRows; ++i)
            log.append(packAt(i), start.addMSecs(qint64(i) * 300));
        log.writeCsv(path);
    }
    FileDialogs::Answerer answer(path);
    win->tabs->setCurrentWidget(win->child<QWidget>("tab_trend"));
    QCoreApplication::processEvents();
    for (auto _ : state) {
        win->child<QPushButton>("trend_open")->click();
        QCoreApplication::processEvents();
    }
    state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["rows"] = RecordingRows;
    win->child<QPushButton>("trend_live")->click();
    win->tabs->setCurrentIndex(0);
}
BENCHMARK(BM_OpenRecording)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Settings and recordings in a temporary folder, not the user's.
    scratch = std::make_unique<QTemporaryDir>();
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       scratch->filePath("settings"));
    QSettings().setValue("recordings/folder", scratch->filePath("recordings"));
    initResources();
    QFile style(QStringLiteral(":/assert/style.qss"));
    if (style.open(QFile::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(style.readAll()));

    win = std::make_unique<Window>();
    second = std::make_unique<Window>();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    second.reset();
    win.reset();
    scratch.reset();
    return 0;
}
