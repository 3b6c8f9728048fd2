#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class DataLog;
class QLabel;
class QLineEdit;
class QLocale;
class QPushButton;
class QTableView;
class QDateTime;
class QTimer;
class PackRecordings;
class SwitchButton;
class Ui_MainWindow;
struct cell;

// The log page: the table of logged real-time records, the logging switch, emptying, export to
// CSV and the recording of each logging run to a file of its own, with the lines that tell the
// row count, the last export and the file being recorded. It is given the form's widgets and
// never talks to the board: the window hands it each real-time record.
class LogPage : public QObject
{
    // The page's texts are the window's and are translated with them.
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    // window: the parent of the page's boxes and dialogs. packAddress names the pack in a
    // recording's file name; locale groups the numbers of the page's lines as the chosen
    // language writes them.
    LogPage(Ui_MainWindow *ui, QWidget *window, std::function<int()> packAddress,
            std::function<QLocale()> locale);
    ~LogPage() override;

    // One real-time record, as received: a row while logging is on; the row count either way.
    void addRecord(const cell &record);
    // Adds the record to the table of view (a log's view) while logging is on; the rows after
    // it, or 0 when nothing was added. Rows of data_view are recorded too.
    int addRow(QTableView *view, const cell *record);
    // Writes view's log to filePath; a failure is told in a box and the file is not counted.
    void exportTo(QTableView *view, const QString &filePath);

    // The buttons of the page.
    void switchLogging(); // btn_log
    void clear(); // data_clean
    void exportLog(); // data_export: asks where to
    void changeRecordingsFolder(); // data_record_change
    void openRecordingsFolder(); // data_record_folder

    // After the form's texts changed language.
    void retranslate();

    bool isLogging() const { return isAddingDataToTable; }
    // The folder of the last export (remembered by the window); empty: none yet.
    QString exportFolder() const { return m_exportFolder; }
    void setExportFolder(const QString &folder) { m_exportFolder = folder; }

    // The folder recordings go to: the one chosen last, or Documents/Arvex.
    static QString recordingsFolder();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A new file for a new logging run, when the switch is on; a failure is reported once.
    void startRecording();
    void stopRecording();
    void recordSwitchChanged(bool on);
    // Writes a logged row of data_view's log, logged at when, to its pack's file.
    void recordRow(int row, const QDateTime &when);
    void reportRecordingFailure();
    // The rows logged since the table last took some, and the row count.
    void showNewRows();
    static bool isFollowing(const QTableView *view);
    static void fitNewRows(QTableView *view, bool first, bool following);
    // The file being recorded (or why not) under the log buttons.
    void showRecordingState();
    // The export's line beside the log buttons: how many rows went where.
    void showExportState();

    QWidget *m_window;
    QWidget *m_page = nullptr; // tab_5
    std::function<int()> m_packAddress;
    std::function<QLocale()> m_locale;

    QTableView *m_view; // data_view
    QPushButton *m_logButton; // btn_log
    QLineEdit *m_total; // data_total_line
    SwitchButton *m_recordSwitch; // data_record
    QLabel *m_recordState; // data_record_file
    QLabel *m_exportState = nullptr; // data_export_state, made here

    DataLog *dataLog; // the model of data_view
    bool isAddingDataToTable = false; // logging is off at start

    QString m_exportFolder; // of the last export; empty: the recordings folder
    QString exportedFile; // the last export, for its line
    int exportedRows = -1; // rows written by the last export; -1: none this run

    std::unique_ptr<PackRecordings> recording; // one file per pack
    QTimer *recordingStateTimer; // the file's rows and size, after the reply
    QTimer *m_newRowsTimer; // the table's new rows, after the reply
    QString recordingProblem; // why the last recording stopped; empty when it did not fail
    bool recordingPending = false; // a logging run whose file is made with its first row
};
