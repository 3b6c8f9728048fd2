// The window's trends page: every real-time reply into the live trend, the view buttons, and
// recordings opened from disk into the same charts.
#include "mainwindow.h"

#include "anchoredclock.h"
#include "boardsession.h"
#include "csvreader.h"
#include "filedialogs.h"
#include "logcolumns.h"
#include "messages.h"
#include "trendbuffer.h"
#include "trendview.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>

namespace {

// Why a file could not be opened, naming the line.
QString describe(const CsvReader::Error &error, const QString &path)
{
    const QString file = QDir::toNativeSeparators(path);
    const auto field = [&](const char *what) {
        return QCoreApplication::translate(
                   "MainWindow", "%1 的第 %2 行无法读取：第 %3 列（“%4”）中的“%5”不是%6。")
            .arg(file)
            .arg(error.line)
            .arg(error.column + 1)
            .arg(error.caption, error.field, QCoreApplication::translate("MainWindow", what));
    };
    switch (error.problem) {
    case CsvReader::Problem::CannotOpen:
        return QCoreApplication::translate("MainWindow", "无法打开 %1：\n%2")
            .arg(file, error.detail);
    case CsvReader::Problem::NotALog:
        return QCoreApplication::translate("MainWindow", "%1 不是本程序的记录：第 %2 行不是表头。")
            .arg(file)
            .arg(error.line);
    case CsvReader::Problem::Truncated:
        return QCoreApplication::translate("MainWindow", "%1 的第 %2 行不完整。")
            .arg(file)
            .arg(error.line);
    case CsvReader::Problem::ColumnCount:
        return QCoreApplication::translate("MainWindow", "%1 的第 %2 行有 %3 列，应为 %4 列。")
            .arg(file)
            .arg(error.line)
            .arg(error.detail)
            .arg(LogColumns::Count);
    case CsvReader::Problem::NotADate:
        return field(QT_TRANSLATE_NOOP("MainWindow", "有效日期"));
    case CsvReader::Problem::NotATime:
        return field(QT_TRANSLATE_NOOP("MainWindow", "有效时间"));
    case CsvReader::Problem::NotANumber:
        return field(QT_TRANSLATE_NOOP("MainWindow", "数字"));
    case CsvReader::Problem::OutOfRange:
        return field(QT_TRANSLATE_NOOP("MainWindow", "此列可容纳的数字"));
    case CsvReader::Problem::None:
        break;
    }
    return QString();
}

} // namespace

void MainWindow::initTrendsPage()
{
    liveTrend = std::make_unique<TrendBuffer>();
    // Stamped from a monotonic clock: setting the computer's clock back would otherwise pile the
    // samples that follow onto the newest moment (the buffer never lets time run back).
    trendClock = std::make_unique<AnchoredClock>();
    ui->trend_view->setBuffer(liveTrend.get());
    ui->trend_view->setSpan(TrendView::Span::FiveMinutes);
    connect(ui->trend_view, &TrendView::spanChanged, this, &MainWindow::showTrendSpan);
    showTrendSpan();
    showTrendSource();
}

void MainWindow::feedTrends()
{
    liveTrend->append(TrendBuffer::fromRecord(session->afe, trendClock->now()));
    if (ui->trend_view->buffer() == liveTrend.get())
        ui->trend_view->samplesAdded();
}

void MainWindow::showTrendSpan()
{
    const TrendView::Span span = ui->trend_view->span();
    ui->trend_5min->setChecked(span == TrendView::Span::FiveMinutes);
    ui->trend_hour->setChecked(span == TrendView::Span::Hour);
    ui->trend_all->setChecked(span == TrendView::Span::Everything);
}

void MainWindow::showTrendSource()
{
    ui->trend_live->setEnabled(openedTrend != nullptr);
    if (!openedTrend) {
        ui->trend_source->setText(tr("本次运行的实时数据"));
        ui->trend_source->setToolTip(QString());
        return;
    }
    const QLocale locale = languageLocale(); // numbers grouped as the chosen language writes them
    // The file's name goes in last: it is the part that gives way when the line is too long.
    const QString name = QStringLiteral("\x1F");
    QString text = tr("%1  ·  %2 行").arg(name, locale.toString(openedTrend->size()));
    if (!openedTrend->isEmpty()) {
        const QDateTime first = QDateTime::fromMSecsSinceEpoch(openedTrend->firstTime());
        const QDateTime last = QDateTime::fromMSecsSinceEpoch(openedTrend->lastTime());
        const QString day = QStringLiteral("yyyy-MM-dd ");
        const QString time = QStringLiteral("HH:mm:ss");
        text += QStringLiteral("  ·  %1 – %2")
                    .arg(first.toString(day + time),
                         last.toString(first.date() == last.date() ? time : day + time));
    }
    QLabel *label = ui->trend_source;
    QString shown = QFileInfo(openedTrendFile).fileName();
    const int room = label->contentsRect().width()
        - label->fontMetrics().horizontalAdvance(QString(text).remove(name)) - 4;
    if (label->isVisible())
        shown = label->fontMetrics().elidedText(shown, Qt::ElideMiddle, std::max(room, 0));
    label->setText(text.replace(name, shown));
    label->setToolTip(QDir::toNativeSeparators(openedTrendFile));
}

void MainWindow::retranslateTrendsPage()
{
    ui->trend_view->retranslate();
    showTrendSource();
}

void MainWindow::on_trend_5min_clicked()
{
    ui->trend_view->setSpan(TrendView::Span::FiveMinutes);
    showTrendSpan();
}

void MainWindow::on_trend_hour_clicked()
{
    ui->trend_view->setSpan(TrendView::Span::Hour);
    showTrendSpan();
}

void MainWindow::on_trend_all_clicked()
{
    ui->trend_view->setSpan(TrendView::Span::Everything);
    showTrendSpan();
}

void MainWindow::on_trend_open_clicked()
{
    const QString path = FileDialogs::getOpenFileName(this, tr("打开记录"), recordingsFolder(),
                                                      tr("CSV Files (*.csv)"));
    if (path.isEmpty())
        return;

    // Read into a buffer of its own: what is shown changes only when the whole file was read.
    // The buffer holds what the file can hold, up to a limit; of a longer file, the newest rows.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CsvReader reader;
    std::unique_ptr<TrendBuffer> loaded;
    qint64 rowsRead = 0;
    if (reader.open(path))
        loaded = TrendBuffer::load(&reader, TrendBuffer::MaxFileRows, &rowsRead);
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        Messages::warning(this, tr("打开失败"),
                          describe(reader.error(), path) + QLatin1Char('\n')
                              + tr("未载入任何数据。"));
        return;
    }

    openedTrend = std::move(loaded);
    openedTrendFile = path;
    ui->trend_view->setBuffer(openedTrend.get());
    ui->trend_view->setSpan(TrendView::Span::Everything);
    showTrendSpan();
    showTrendSource();

    // What was left out, once, over the rows that are shown.
    const QLocale locale = languageLocale(); // numbers grouped as the chosen language writes them
    QStringList notes;
    if (reader.cutOffLine() > 0)
        notes << tr("最后一行（第 %1 行）不完整，已略去。").arg(reader.cutOffLine());
    if (rowsRead > openedTrend->size())
        notes << tr("文件共有 %1 行，超过上限 %2 行：只载入了最新的 %2 行。")
                     .arg(locale.toString(rowsRead), locale.toString(openedTrend->capacity()));
    if (!notes.isEmpty())
        Messages::warning(
            this, tr("记录未完整载入"),
            tr("已从 %1 载入 %2 行。")
                    .arg(QDir::toNativeSeparators(path), locale.toString(openedTrend->size()))
                + QLatin1Char('\n') + notes.join(QLatin1Char('\n')));
}

void MainWindow::on_trend_live_clicked()
{
    ui->trend_view->setBuffer(liveTrend.get());
    openedTrend.reset();
    openedTrendFile.clear();
    showTrendSource();
}
