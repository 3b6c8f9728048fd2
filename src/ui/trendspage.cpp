// The trends page: every real-time reply into the live trend, the span buttons, and recordings
// opened from disk into the same charts.
#include "trendspage.h"

#include "csvreader.h"
#include "filedialogs.h"
#include "logcolumns.h"
#include "messages.h"
#include "telemetry.h"
#include "trendbuffer.h"
#include "trendview.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

QString TrendsPage::describe(const CsvReader::Error &error, const QString &path)
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

TrendsPage::TrendsPage(Ui_MainWindow *ui, FolderSource recordingsFolder, LocaleSource locale)
    : m_view(ui->trend_view)
    , m_fiveMinutes(ui->trend_5min)
    , m_hour(ui->trend_hour)
    , m_everything(ui->trend_all)
    , m_live(ui->trend_live)
    , m_source(ui->trend_source)
    , m_recordingsFolder(std::move(recordingsFolder))
    , m_locale(std::move(locale))
{
    m_liveTrend = liveTrend(m_livePack);
    m_view->setBuffer(m_liveTrend);
    m_view->setSpan(TrendView::Span::FiveMinutes);
    connect(m_view, &TrendView::spanChanged, this, &TrendsPage::showSpan);
    // The source line shortens the file's name to the room it gets.
    m_source->installEventFilter(this);
    showSpan();
    showSource();
}

TrendsPage::~TrendsPage()
{
    // The view outlives the page (the form owns it): it must not keep a buffer that goes now.
    m_view->setBuffer(nullptr);
}

void TrendsPage::setClock(AnchoredClock::Source monotonicMs)
{
    m_clock = AnchoredClock(std::move(monotonicMs));
}

TrendBuffer *TrendsPage::liveTrend(int pack)
{
    std::unique_ptr<TrendBuffer> &trend = m_liveTrends[pack];
    if (!trend) {
        trend = std::make_unique<TrendBuffer>();
        // The source line names the pack once there is more than one.
        if (m_liveTrends.size() == 2)
            showSource();
    }
    return trend.get();
}

void TrendsPage::addRecord(const cell &record)
{
    addRecord(m_livePack, record);
}

void TrendsPage::addRecord(int pack, const cell &record)
{
    TrendBuffer *trend = pack == m_livePack ? m_liveTrend : liveTrend(pack);
    trend->append(TrendBuffer::fromRecord(record, m_clock.now()));
    if (m_view->buffer() == trend)
        m_view->samplesAdded();
}

void TrendsPage::namePack(int pack)
{
    if (pack == m_livePack)
        return;
    if (!m_liveTrends.count(pack)) {
        m_liveTrends[pack] = std::move(m_liveTrends[m_livePack]);
        m_liveTrends.erase(m_livePack);
        m_livePack = pack;
        showSource();
        return;
    }
    showPack(pack);
}

void TrendsPage::showPack(int pack)
{
    if (pack == m_livePack)
        return;
    const bool live = m_view->buffer() == m_liveTrend;
    // A trend that never got a sample is the new pack's: nothing to keep apart.
    if (m_liveTrend->isEmpty() && !m_liveTrends.count(pack))
        m_liveTrends[pack] = std::move(m_liveTrends[m_livePack]);
    if (!m_liveTrends[m_livePack])
        m_liveTrends.erase(m_livePack);
    m_livePack = pack;
    m_liveTrend = liveTrend(pack);
    if (live)
        m_view->setBuffer(m_liveTrend);
    showSource();
}

void TrendsPage::retranslate()
{
    m_view->retranslate();
    showSource();
}

void TrendsPage::showFiveMinutes()
{
    m_view->setSpan(TrendView::Span::FiveMinutes);
    showSpan();
}

void TrendsPage::showHour()
{
    m_view->setSpan(TrendView::Span::Hour);
    showSpan();
}

void TrendsPage::showEverything()
{
    m_view->setSpan(TrendView::Span::Everything);
    showSpan();
}

void TrendsPage::openRecording()
{
    QWidget *window = m_view->window();
    const QString path = FileDialogs::getRecordingFileName(window, m_recordingsFolder());
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
        Messages::warning(window, QCoreApplication::translate("MainWindow", "打开失败"),
                          describe(reader.error(), path) + QLatin1Char('\n')
                              + QCoreApplication::translate("MainWindow", "未载入任何数据。"));
        return;
    }

    m_openedTrend = std::move(loaded);
    m_openedFile = path;
    m_view->setBuffer(m_openedTrend.get());
    m_view->setSpan(TrendView::Span::Everything);
    showSpan();
    showSource();
    emit recordingOpened(path);

    // What was left out, once, over the rows that are shown.
    const QLocale locale = m_locale(); // numbers grouped as the chosen language writes them
    QStringList notes;
    if (reader.cutOffLine() > 0)
        notes << QCoreApplication::translate("MainWindow", "最后一行（第 %1 行）不完整，已略去。")
                     .arg(reader.cutOffLine());
    if (rowsRead > m_openedTrend->size())
        notes << QCoreApplication::translate(
                     "MainWindow", "文件共有 %1 行，超过上限 %2 行：只载入了最新的 %2 行。")
                     .arg(locale.toString(rowsRead), locale.toString(m_openedTrend->capacity()));
    if (!notes.isEmpty())
        Messages::warning(
            window, QCoreApplication::translate("MainWindow", "记录未完整载入"),
            QCoreApplication::translate("MainWindow", "已从 %1 载入 %2 行。")
                    .arg(QDir::toNativeSeparators(path), locale.toString(m_openedTrend->size()))
                + QLatin1Char('\n') + notes.join(QLatin1Char('\n')));
}

void TrendsPage::showLive()
{
    m_view->setBuffer(m_liveTrend);
    m_openedTrend.reset();
    m_openedFile.clear();
    showSource();
}

bool TrendsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_source && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        showSource();
    return QObject::eventFilter(watched, event);
}

void TrendsPage::showSpan()
{
    const TrendView::Span span = m_view->span();
    m_fiveMinutes->setChecked(span == TrendView::Span::FiveMinutes);
    m_hour->setChecked(span == TrendView::Span::Hour);
    m_everything->setChecked(span == TrendView::Span::Everything);
}

void TrendsPage::showSource()
{
    m_live->setEnabled(m_openedTrend != nullptr);
    if (!m_openedTrend) {
        QString text = QCoreApplication::translate("MainWindow", "本次运行的实时数据");
        // With several packs on the line, which one.
        if (m_liveTrends.size() > 1)
            text = QCoreApplication::translate("MainWindow", "本次运行的实时数据：电池包 %1")
                       .arg(m_livePack, 2, 10, QLatin1Char('0'));
        m_source->setText(text);
        m_source->setToolTip(QString());
        return;
    }
    const QLocale locale = m_locale(); // numbers grouped as the chosen language writes them
    // The file's name goes in last: it is the part that gives way when the line is too long.
    const QString name = QStringLiteral("\x1F");
    QString text = QCoreApplication::translate("MainWindow", "%1  ·  %2 行")
                       .arg(name, locale.toString(m_openedTrend->size()));
    if (!m_openedTrend->isEmpty()) {
        const QDateTime first = QDateTime::fromMSecsSinceEpoch(m_openedTrend->firstTime());
        const QDateTime last = QDateTime::fromMSecsSinceEpoch(m_openedTrend->lastTime());
        const QString day = QStringLiteral("yyyy-MM-dd ");
        const QString time = QStringLiteral("HH:mm:ss");
        text += QStringLiteral("  ·  %1 – %2")
                    .arg(first.toString(day + time),
                         last.toString(first.date() == last.date() ? time : day + time));
    }
    QString shown = QFileInfo(m_openedFile).fileName();
    const int room = m_source->contentsRect().width()
        - m_source->fontMetrics().horizontalAdvance(QString(text).remove(name)) - 4;
    if (m_source->isVisible())
        shown = m_source->fontMetrics().elidedText(shown, Qt::ElideMiddle, std::max(room, 0));
    m_source->setText(text.replace(name, shown));
    m_source->setToolTip(QDir::toNativeSeparators(m_openedFile));
}
