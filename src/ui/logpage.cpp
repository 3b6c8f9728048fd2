// The log page. While logging is on, every logged row also goes to a CSV file on disk as it is
// logged, one file per pack and logging run (and a new one at midnight), so a crash or a killed
// program loses nothing.
#include "logpage.h"

#include "datalog.h"
#include "filedialogs.h"
#include "labelholder.h"
#include "messages.h"
#include "recording.h"
#include "switchbutton.h"
#include "ui_mainwindow.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace {
const char *const FolderKey = "recordings/folder";
} // namespace

LogPage::LogPage(Ui_MainWindow *ui, QWidget *window, std::function<int()> packAddress,
                 std::function<QLocale()> locale)
    : QObject(window)
    , m_window(window)
    , m_packAddress(std::move(packAddress))
    , m_locale(std::move(locale))
    , m_view(ui->data_view)
    , m_logButton(ui->btn_log)
    , m_total(ui->data_total_line)
    , m_recordSwitch(ui->data_record)
    , m_recordState(ui->data_record_file)
    , dataLog(new DataLog(this))
    , recording(std::make_unique<PackRecordings>())
    , recordingStateTimer(new QTimer(this))
    , m_newRowsTimer(new QTimer(this))
{
    m_view->setModel(dataLog);
    m_view->resizeColumnsToContents();
    // Every row is logged and recorded as it comes; the table is shown the new ones by
    // showNewRows.
    dataLog->setHeld(true);
    m_newRowsTimer->setSingleShot(true);
    m_newRowsTimer->setInterval(0);
    connect(m_newRowsTimer, &QTimer::timeout, this, &LogPage::showNewRows);
    m_page = ui->tab_5;
    m_page->installEventFilter(this);

    // Beside the log buttons: where the last export went.
    m_exportState = new QLabel(ui->tab_5);
    m_exportState->setObjectName(QStringLiteral("data_export_state"));
    m_exportState->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ui->horizontalLayout_10->insertWidget(ui->horizontalLayout_10->indexOf(ui->data_clean) + 1,
                                          m_exportState);

    recordingStateTimer->setSingleShot(true);
    recordingStateTimer->setInterval(0);
    connect(recordingStateTimer, &QTimer::timeout, this, &LogPage::showRecordingState);
    // The line's rows and size change with every logged row; the page is not laid out for them.
    LabelHolder::wrap(m_recordState);
    // It shortens the path to the room it gets.
    m_recordState->installEventFilter(this);
    // A small switch without a caption: the label beside it says what it does. On at start.
    m_recordSwitch->setTextOn(QString());
    m_recordSwitch->setTextOff(QString());
    m_recordSwitch->setAnimation(false);
    m_recordSwitch->SetActive(true);
    m_recordSwitch->setAnimation(true);
    connect(m_recordSwitch, &SwitchButton::statusChanged, this, &LogPage::recordSwitchChanged);
    showRecordingState();
}

LogPage::~LogPage() = default;

void LogPage::addRecord(const cell &record)
{
    addRow(m_view, &record);
}

int LogPage::addRow(QTableView *view, const cell *record)
{
    if (!view || !record || !isAddingDataToTable)
        return 0;
    auto *log = qobject_cast<DataLog *>(view->model());
    if (!log)
        return 0;
    const QDateTime now = QDateTime::currentDateTime();
    if (log != dataLog) {
        // A log of another view takes its row at once.
        const bool following = isFollowing(view);
        log->append(*record, now);
        fitNewRows(view, log->count() == 1, following);
        return log->count();
    }
    log->append(*record, now);
    recordRow(log->count() - 1, now);
    // The table takes its new rows after the reply while its page is in front, and all of them
    // at once when the page is shown; a window not shown yet takes each at once.
    if (!m_window->isVisible())
        showNewRows();
    else if (m_view->isVisible() && !m_newRowsTimer->isActive())
        m_newRowsTimer->start();
    return log->count();
}

bool LogPage::isFollowing(const QTableView *view)
{
    // The view follows the newest row only while it shows the end of the log: a user reading
    // older rows is not pulled away from them by every reply.
    const QScrollBar *bar = view->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void LogPage::fitNewRows(QTableView *view, bool first, bool following)
{
    // The columns were fitted to their captions; the first row shows how wide the values are
    // (the date and the time would be cut off).
    if (first)
        view->resizeColumnsToContents();
    if (following)
        view->scrollToBottom();
}

void LogPage::showNewRows()
{
    m_newRowsTimer->stop();
    if (dataLog->newRows() > 0) {
        const bool following = isFollowing(m_view);
        const bool first = dataLog->rowCount() == 0;
        dataLog->showNewRows();
        fitNewRows(m_view, first, following);
    }
    const QString total = QString::number(dataLog->count());
    if (m_total->text() != total)
        m_total->setText(total);
}

void LogPage::switchLogging()
{
    // The caption names what the next click does; switching off keeps the rows.
    isAddingDataToTable = !isAddingDataToTable;
    m_logButton->setText(isAddingDataToTable ? tr("STOP") : tr("RUN"));
    // Each logging run is recorded to a file of its own.
    if (isAddingDataToTable)
        startRecording();
    else
        stopRecording();
}

void LogPage::clear()
{
    dataLog->clear();
    showNewRows();
}

void LogPage::exportLog()
{
    // Where the last export went, else beside the recordings.
    QString folder = m_exportFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = recordingsFolder();
        QDir().mkpath(folder);
    }
    QString fileName = FileDialogs::getSaveFileName(m_window, tr("Save CSV"), folder,
                                                    tr("CSV Files (*.csv)"), QStringLiteral("csv"));
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        fileName += QLatin1String(".csv");
    exportTo(m_view, fileName);
}

void LogPage::exportTo(QTableView *view, const QString &filePath)
{
    const auto *log = qobject_cast<const DataLog *>(view ? view->model() : nullptr);
    if (!log)
        return;
    // A log that did not reach the disk must not pass for saved.
    QString error;
    if (!log->writeCsv(filePath, &error)) {
        Messages::warning(m_window, tr("Export failed"),
                          tr("The log could not be written to %1:\n%2")
                              .arg(QDir::toNativeSeparators(filePath), error));
        return;
    }
    const QFileInfo written(filePath);
    m_exportFolder = written.absolutePath();
    exportedFile = written.absoluteFilePath();
    exportedRows = log->count();
    showExportState();
}

void LogPage::showExportState()
{
    if (exportedRows < 0)
        return;
    const QString file = QDir::toNativeSeparators(exportedFile);
    m_exportState->setText(tr("已导出 %1 行到 %2").arg(m_locale().toString(exportedRows), file));
    m_exportState->setToolTip(file);
}

void LogPage::retranslate()
{
    dataLog->retranslate();
    // Captions change width with the language; keep every column header readable.
    m_view->resizeColumnsToContents();
    showRecordingState();
    showExportState();
}

bool LogPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_recordState
        && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        showRecordingState();
    // The page brought to the front shows the rows logged behind it in its first paint.
    if (watched == m_page && event->type() == QEvent::Show)
        showNewRows();
    return QObject::eventFilter(watched, event);
}

QString LogPage::recordingsFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    const QString folder =
        QSettings()
            .value(QLatin1String(FolderKey), documents + QStringLiteral("/Arvex"))
            .toString();
    return QDir::cleanPath(folder);
}

void LogPage::startRecording()
{
    recording->stop();
    recordingProblem.clear();
    // The files are made with the run's first row: a run without rows (no board answering) leaves
    // no empty file behind.
    recordingPending = m_recordSwitch->checked();
    showRecordingState();
}

void LogPage::stopRecording()
{
    recordingPending = false;
    recording->stop();
    showRecordingState();
}

void LogPage::recordRow(int row, const QDateTime &when)
{
    if (recordingPending) {
        recordingPending = false;
        recording->start(recordingsFolder(), DataLog::csvHeader());
    }
    if (!recording->isRunning())
        return;
    // Each pack's rows go to its own file, named by the address the row carries.
    const int address = dataLog->row(row).values[0];
    if (!recording->append(address, when, dataLog->csvLine(row))) {
        reportRecordingFailure();
        showRecordingState();
    } else if (m_recordState->isVisible() && !recordingStateTimer->isActive()) {
        // The growing row count and size are shown once the reply has been handled (laying out
        // the line costs more than writing the row), and only while the line is on screen: it
        // is brought up to date when it is shown.
        recordingStateTimer->start();
    }
}

void LogPage::reportRecordingFailure()
{
    // The recording has stopped already, so the rows that arrive while the box is open neither
    // try again nor ask for another box; the table goes on logging them. The box waits for the
    // reply being handled to finish.
    recordingProblem = recording->errorString();
    const QString text = tr("记录无法写入 %1：\n%2\n\n记录到文件已停止。表格仍在继续记录，"
                            "请导出表格以保存这些行。")
                             .arg(QDir::toNativeSeparators(recording->path()), recordingProblem);
    QWidget *window = m_window;
    QTimer::singleShot(0, this,
                       [window, text] { Messages::warning(window, tr("记录已停止"), text); });
}

void LogPage::recordSwitchChanged(bool on)
{
    if (on && isAddingDataToTable)
        startRecording();
    else if (!on)
        stopRecording();
    showRecordingState();
}

void LogPage::showRecordingState()
{
    recordingStateTimer->stop();
    const QLocale locale = m_locale(); // numbers grouped as the chosen language writes them
    const QString file = QDir::toNativeSeparators(recording->path());
    const QString rows = locale.toString(recording->rows());
    const QString size = locale.formattedDataSize(recording->bytes(), 1);
    // The path goes in last: it is the part that gives way when the line is too long.
    const QString path = QStringLiteral("\x1F");
    QString text;
    QString shownPath = file;
    // Several packs: several files side by side; the line names their folder.
    const int files = recording->files();
    if (files > 1)
        shownPath = QDir::toNativeSeparators(QFileInfo(recording->path()).absolutePath());
    const QString count = locale.toString(files);
    if (recording->isActive() && files > 1) {
        text = tr("正在记录 %1 个文件到 %2  ·  %3 行  ·  %4").arg(count, path, rows, size);
    } else if (recording->isActive()) {
        text = tr("正在记录到 %1  ·  %2 行  ·  %3").arg(path, rows, size);
    } else if (!recordingProblem.isEmpty()) {
        text = tr("记录已停止：%1").arg(recordingProblem);
    } else if (!m_recordSwitch->checked()) {
        text = tr("记录到文件已关闭：记录的行只保存在表格中");
    } else if (recordingPending) {
        text = tr("第一行到达时开始记录到 %1").arg(path);
        shownPath = QDir::toNativeSeparators(recordingsFolder());
    } else if (!file.isEmpty() && files > 1) {
        text = tr("已记录 %1 个文件到 %2  ·  %3 行  ·  %4").arg(count, path, rows, size);
    } else if (!file.isEmpty()) {
        text = tr("已记录到 %1  ·  %2 行  ·  %3").arg(path, rows, size);
    } else {
        text = tr("记录的行将同时写入 %1").arg(path);
        shownPath = QDir::toNativeSeparators(recordingsFolder());
    }
    QLabel *label = m_recordState;
    const int room = label->contentsRect().width()
        - label->fontMetrics().horizontalAdvance(QString(text).remove(path)) - 4;
    if (label->isVisible() && room > 0)
        shownPath = label->fontMetrics().elidedText(shownPath, Qt::ElideMiddle, room);
    text.replace(path, shownPath);
    if (label->text() != text)
        label->setText(text);
    const QString tip = recording->path().isEmpty() ? QString() : file;
    if (label->toolTip() != tip)
        label->setToolTip(tip);
}

void LogPage::changeRecordingsFolder()
{
    const QString folder =
        FileDialogs::getExistingDirectory(m_window, tr("记录文件夹"), recordingsFolder());
    if (folder.isEmpty())
        return;
    // The file being recorded stays where it is; the next logging run uses the new folder.
    QSettings().setValue(QLatin1String(FolderKey), QDir::cleanPath(folder));
    showRecordingState();
}

void LogPage::openRecordingsFolder()
{
    const QString folder = recordingsFolder();
    if (!QDir().mkpath(folder) || !QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        Messages::warning(m_window, tr("记录文件夹"),
                          tr("无法打开文件夹 %1。").arg(QDir::toNativeSeparators(folder)));
}
