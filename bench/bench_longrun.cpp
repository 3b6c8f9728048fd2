// A long unattended run, compressed in time: the real window (offscreen, log page shown, logging
// on) takes N real-time replies through its receive path, one after another, with the event loop
// run between them. Then every reply must have given exactly one logged row, the exported CSV
// file must hold one line per row and read back to the same values, the recording made while
// logging must be the same file byte for byte, and the resident memory must have grown by about
// what the log stores per row. Prints the figures; exits 1 on a lost,
// extra or differing row.
//   bench_longrun [replies]   (1,000,000 by default; run from a release build)
#include "datalog.h"
#include "filedialogs.h"
#include "isolatedsettings.h"
#include "logcolumns.h"
#include "mainwindow.h"
#include "messages.h"
#include "replies.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr int EventLoopEvery = 16; // replies between two runs of the event loop

long residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) : 0;
}

int fail(const char *what, long row)
{
    std::fprintf(stderr, "bench_longrun: %s (row %ld)\n", what, row);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    const int replies = argc > 1 ? std::max(1, atoi(argv[1])) : 1000000;
    QApplication app(argc, argv);
    IsolatedSettings settings; // the recording goes to a temporary folder
    Messages::Recorder boxes; // a machine without serial ports gets a box at start

    MainWindow window;
    window.setFixedSize(1360, 768);
    window.show();
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tab_widget"));
    tabs->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tab_5")));
    window.findChild<QPushButton *>(QStringLiteral("btn_log"))->click();
    auto *log = qobject_cast<DataLog *>(
        window.findChild<QTableView *>(QStringLiteral("data_view"))->model());
    QCoreApplication::processEvents();

    // A first reply settles what the window allocates once (column widths, fonts, the chart).
    emit window.dataReceived(BenchReplies::reply(0));
    QCoreApplication::processEvents();
    const long firstRows = log->count();
    const long rssBefore = residentBytes();
    const std::size_t storageBefore = log->storageBytes();

    QElapsedTimer clock;
    clock.start();
    for (int step = 1; step < replies; ++step) {
        emit window.dataReceived(BenchReplies::reply(step));
        if (step % EventLoopEvery == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    window.findChild<QPushButton *>(QStringLiteral("btn_log"))->click(); // the recording ends
    const double seconds = clock.elapsed() / 1000.0;
    const long rssAfter = residentBytes();
    const long rows = log->count();
    std::printf("replies: %d in %.1f s (%.0f per second)\n", replies, seconds,
                (replies - 1) / seconds);
    std::printf("logged rows: %ld (lost: %ld)\n", rows, long(replies) - rows);
    if (firstRows != 1 || rows != replies)
        return fail("a reply did not give exactly one row", rows);

    const long grown = rssAfter - rssBefore;
    const double storagePerRow = double(log->storageBytes() - storageBefore) / (rows - 1);
    std::printf("resident memory: %.1f MiB before, %.1f MiB after: %.1f bytes a row "
                "(the log stores %.1f bytes a row)\n",
                rssBefore / 1048576.0, rssAfter / 1048576.0, double(grown) / (rows - 1),
                storagePerRow);

    // Exported through the window, as a user does, and read back line by line.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("longrun.csv"));
    {
        FileDialogs::Answerer answer(path);
        window.findChild<QPushButton *>(QStringLiteral("data_export"))->click();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail("the export was not written", 0);
    file.readLine(); // the header
    long line = 0;
    while (!file.atEnd()) {
        const QByteArray text = file.readLine();
        if (line >= rows)
            return fail("the file holds more lines than rows", line);
        const QList<QByteArray> fields = text.trimmed().split(',');
        if (fields.size() != LogColumns::Count)
            return fail("a line has the wrong number of fields", line);
        for (int c = 0; c < LogColumns::Count; ++c) {
            const QByteArray field = fields[c].mid(1, fields[c].size() - 2); // unquoted
            if (QString::fromUtf8(field) != log->text(int(line), c))
                return fail("a field differs from the table", line);
        }
        if (fields[LogColumns::FirstCell].mid(1).chopped(1).toInt()
            != BenchReplies::cell1(int(line)))
            return fail("cell 1 differs from the reply", line);
        ++line;
    }
    std::printf("exported: %ld lines after the header, %.1f MiB, every field equal to its row\n",
                line, file.size() / 1048576.0);
    if (line != rows)
        return fail("the file holds fewer lines than rows", line);

    // The recording, written row by row while logging, is the export's twin.
    // The packs' events files live beside the recordings.
    const QStringList recordings = QDir(settings.recordings()).entryList({ "arvex-*.csv" });
    if (recordings.size() != 1)
        return fail("not exactly one recording", recordings.size());
    QFile recording(settings.recordings() + '/' + recordings.first());
    if (!recording.open(QIODevice::ReadOnly))
        return fail("the recording cannot be read", 0);
    file.seek(0);
    constexpr qint64 Chunk = 1 << 20;
    while (!file.atEnd() || !recording.atEnd()) {
        if (file.read(Chunk) != recording.read(Chunk))
            return fail("the recording differs from the export near byte", long(file.pos()));
    }
    std::printf("recording: %s, %.1f MiB, the same bytes as the export\n",
                qPrintable(recordings.first()), recording.size() / 1048576.0);
    return 0;
}
