#pragma once

#include "portlist.h"
#include "requestscheduler.h"
#include "widgettable.h"
#include "writeconfirm.h"

#include <QByteArray>
#include <QMainWindow>
#include <QPixmap>
#include <QPoint>
#include <QSerialPort>
#include <QString>
#include <QTime>
#include <QtCharts/QChartGlobal>

#include <memory>

class BarLabels;
class DataLog;
class DeviceWatcher;
class QLabel;
class QLineEdit;
class QLocale;
class QTableView;
class QTimer;
class Recording;
class TrendsPage;
class Ui_MainWindow;
class WriteMarks;
struct StartOptions;
struct cell;
namespace Frame {
struct ReplyCheck;
}
namespace StatusLamps {
struct LampPicture;
}

QT_CHARTS_BEGIN_NAMESPACE
class QBarSet;
class QChart;
class QStackedBarSeries;
class QValueAxis;
QT_CHARTS_END_NAMESPACE

// Registers the compiled-in pictures and style sheet (repeated calls do nothing more).
void initResources();

// The one window of the program. It owns the form, the serial port, the timers and the chart, and
// its slots carry the behaviour: they read widgets, call the logic units and write the results
// back. The window has no system frame; the form's top bar stands in for a title bar.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Flashes a lamp: onPixmap now, offPixmap after interval milliseconds. Flashes of the same
    // lamp do not cancel each other; each one falls back on its own.
    void setupStatusSwitcher(QLabel *label, const QPixmap &onPixmap, const QPixmap &offPixmap,
                             int interval);
    void SwitchLight(QLabel *label, const QPixmap &offPixmap);

    // The time base of the reply watch, the idle test and the live trend, in milliseconds; tests
    // set their own. The trend's stamps go on from the wall clock's time when it is set.
    void setClock(RequestScheduler::Clock clock);

    // Remembered settings and start values (mainwindow_settings.cpp). The window never reads or
    // writes the settings by itself: the program calls these, so tests build windows freely.
    void loadSettings();
    void saveSettings() const;
    // Takes what is set in options in place of the window's own values; a port that is not
    // present is not selected. connect opens the port named by these or earlier options (the
    // command line's, else the remembered one) if it is present, and otherwise says on standard
    // error why it does not.
    void applyStartOptions(const StartOptions &options);
    // What the window would remember now.
    StartOptions currentStartOptions() const;

signals:
    void dataReceived(const QByteArray &data);

public slots:
    bool writeData(const QByteArray &data);
    void recvMsg();
    void findFreePorts();
    void handleError(QSerialPort::SerialPortError error);
    // Parameter pages: public slots (mainwindow_parameters.cpp).
    // Queues one write frame for the prefix target (":W+" address "+" code "+") and the value;
    // with the port closed it tells the user and queues nothing.
    void SendData(uint16_t data, QByteArray target);
    // Whether the field holds a number within [min, max]; marks the field and tells the user.
    bool CheckINPUT(QLineEdit *lin, int max, int min);
    void handleButtonClicked(const QByteArray &initialStr, QLineEdit *lineEdit,
                             int checkInputArgmax, int checkInputArgmin, uint16_t offset);
    void handleButtonRequestClicked(const QByteArray &initialStr, uint16_t key);

private slots:
    void sendRequest();
    void RequestTimeout();
    void SendTaskRun();
    void SendTaskStop();
    void ParseMsg(QByteArray data);
    void openComChanged(bool on);
    void serialDeviceArrived();
    void serialDeviceRemoved();
    void restoreLineEditStyle(QLineEdit *lineEdit);
    void updateTime();
    void langChange(int index);
    void on_pushButton_about_clicked();
    void on_win_close_clicked();
    void on_win_mini_clicked();
    // Real-time page: slots (mainwindow_realtime.cpp).
    void jobSet(int code);
    void alertSet(int code);
    void sysSet(int code);
    void infoSet(int code);
    void BlanceSet(int word);
    int addRowToTableWidget(QTableView *tableWidget, cell *bafe);
    void exportToCSV(QTableView *tableWidget, const QString &filePath);
    void on_data_export_clicked();
    void on_data_clean_clicked();
    void on_btn_log_clicked();
    // Recording: slots (mainwindow_recording.cpp).
    void on_data_record_change_clicked();
    void on_data_record_folder_clicked();
    void recordSwitchChanged(bool on);
    // Trends page: slots, handed to trendsPage.
    void on_trend_5min_clicked();
    void on_trend_hour_clicked();
    void on_trend_all_clicked();
    void on_trend_open_clicked();
    void on_trend_live_clicked();

    // Parameter pages: slots (mainwindow_parameters.cpp).
    // The form's buttons reach these by name; each row's data is in the parameter table.
    void on_conf_read_clicked();
    void on_conf_chgc_btn_clicked();
    void on_conf_chgct_btn_clicked();
    void on_conf_dsgc1_btn_clicked();
    void on_conf_dsgc2_btn_clicked();
    void on_conf_dsgc1t_btn_clicked();
    void on_conf_dsgc2t_btn_clicked();
    void on_conf_lv_btn_clicked();
    void on_conf_lvre_btn_clicked();
    void on_conf_lvt_btn_clicked();
    void on_conf_hv_btn_clicked();
    void on_conf_hvre_btn_clicked();
    void on_conf_hvt_btn_clicked();
    void on_conf_chght_btn_clicked();
    void on_conf_chghtre_btn_clicked();
    void on_conf_chglt_btn_clicked();
    void on_conf_chgltre_btn_clicked();
    void on_conf_dsght_btn_clicked();
    void on_conf_dsghtre_btn_clicked();
    void on_conf_dsglt_btn_clicked();
    void on_conf_dsgltre_btn_clicked();
    void on_conf_blancev_btn_clicked();
    void on_conf_blancevx_btn_clicked();
    void on_conf_vxp_btn_clicked();
    void on_conf_totalcell_btn_clicked();
    void on_conf_design_btn_clicked();
    void on_conf_rs_btn_clicked();
    void on_conf_short_btn_clicked();
    void on_conf_shorttime_btn_clicked();
    void on_conf_dnum_btn_clicked();
    void on_conf_cax_btn_clicked();
    void on_conf_chght_alert_btn_clicked();
    void on_conf_chglt_alert_btn_clicked();
    void on_conf_vpgine_btn_clicked();
    void on_conf_dsght_alert_btn_clicked();
    void on_conf_dsglt_alert_btn_clicked();
    void on_conf_getmod_btn_clicked();
    void on_conf_initsoc_btn_clicked();
    void on_conf_initafe_btn_clicked();
    void on_conf_reset_btn_clicked();
    void on_conf_debug_btn_clicked();
    void on_conf_avlp_btn_2_clicked();
    void on_conf_avlpre_btn_2_clicked();
    void on_conf_avhp_btn_2_clicked();
    void on_conf_avhpre_btn_2_clicked();
    void on_btn_init_para_clicked();
    void on_btn_init_soc_clicked();
    void on_btn_reset_clicked();
    void on_btn_mes_clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void InitUI();
    void InitChart();
    void InitSlot();

    bool initSerialPort();
    // The port name or path of the entry chosen in the port list.
    QString chosenPortName() const;
    bool isBusIdle() const;
    // Whether the named port (a name from the system's list or a path) is still present.
    bool portIsPresent(const QString &name) const;
    void setStatusText(QLabel *label, const char *styleSheet, const QString &text);
    // The locale of the chosen language, for the numbers in every text.
    QLocale languageLocale() const;
    // The green opened text with the port's settings.
    void showOpenedText();
    // The red closed text; while waiting for the adapter to return, it says so.
    void showClosedText();

    // Reconnect (mainwindow_link.cpp): waiting for the removed adapter to come back.
    void initReconnect();
    bool isWaitingToReconnect() const { return !reconnectIdentity.isEmpty(); }
    void startReconnectWait();
    void stopReconnectWait();
    // Opens the port again if the device waited for is there; arrived: a device just came.
    void tryReconnect(bool arrived);
    void reconnectToggled(bool on);

    // Settings (mainwindow_settings.cpp).
    bool selectPort(const QString &nameOrPath);

    // The branches of ParseMsg, one per reply code, given a reply whose CRC matched.
    void showRealTimeReply(const Frame::ReplyCheck &reply);
    void showParameterReply(const Frame::ReplyCheck &reply);

    // Real-time page: functions (mainwindow_realtime.cpp).
    // Zooms the voltage axis of the cell chart; wheel events elsewhere are left to others.
    void wheelEvent(QWheelEvent *event) override;
    void initRealTimePage();
    void refreshChart();
    void refreshLamps();
    void setLamp(const char *lamp, const char *picture);
    void setLamps(const QVector<StatusLamps::LampPicture> &pictures);
    // Live values: they go stale when no valid real-time reply has come for three poll periods,
    // and at once when the port closes; the next valid reply brings them back.
    void liveDataOpened();
    void liveDataClosed();
    void watchLiveData(); // at each poll tick
    void setLiveDataStale(bool stale);
    void placeStaleLabel();
    void showStaleText();
    // The export's line beside the log buttons: how many rows went where.
    void showExportState();

    // Recording: functions (mainwindow_recording.cpp).
    void initRecording();
    // The folder recordings go to: the one chosen last, or Documents/Arvex.
    QString recordingsFolder() const;
    // A new file for a new logging run, when the switch is on; a failure is reported once.
    void startRecording();
    void stopRecording();
    // Writes a logged row of data_view's log to the file being recorded.
    void recordRow(int row);
    void reportRecordingFailure();
    // The file being recorded (or why not) under the log buttons.
    void showRecordingState();

    // Keyboard and controls: functions (mainwindow_controls.cpp).
    // Enter applies a parameter row, Tab passes over fields nobody types in, the period box and
    // the port box say what they take and hold, Qt's own texts follow the language.
    void initControls();
    // The whole entry chosen in the port list, which the box may be too narrow to show.
    void showPortToolTip();
    // Tells the user a typed period outside the box's range was not taken.
    void refusePeriod(int typed);

    // Parameter pages: functions (mainwindow_parameters.cpp).
    void resolveParameterPages();
    void writeParameterRow(const char *slot);
    void sendDeviceCommand(const char *slot);
    // Queues a write frame unless the port is closed (then the user is told); the frame queued.
    QByteArray queueWrite(uint16_t data, const QByteArray &target);
    // Asks the board for its parameter block; the request takes the place of a poll.
    void queueReadBack();
    // Follows a queued write of a row until a read-back shows what the board holds.
    void followWrite(QLineEdit *lineEdit, const QByteArray &frame, uint16_t value, int framesAhead);
    // The poll tick's part: before it sends, a read-back gone unanswered is retried or given up
    // (true: given up, to be reported) and late writes are given up; after it, what went out is
    // noted.
    bool followWritesBeforeTick(bool lineIdle);
    void followWritesAfterSending(const QByteArray &frame);
    // The port closed: writes under way will not be judged.
    void abandonWrites();
    void showWriteVerdicts(const QVector<WriteConfirm::Verdict> &verdicts);
    void showReadBackFailed();
    // Under the parameter pages, beside the read lamp: what became of the last read or write.
    void showParameterState(const QString &text, bool failure);

    Ui_MainWindow *ui;
    QSerialPort *serialPort;
    DeviceWatcher *deviceWatcher = nullptr;
    QString currentConnectedPortName;
    QByteArray msgdata;
    QTimer *requestTimer = nullptr;
    QTimer *timeoutTimer = nullptr;
    QTimer *timers = nullptr;
    RequestScheduler::Clock clock;
    qint64 lastReceiveTime = 0; // on clock, ms
    int idleTimeThreshold;
    bool stoppingPort = false; // SendTaskStop is closing the port
    QList<PortInfo> listedPorts; // what the port list was last built from
    // The port the start options named, remembered or given; the only one a start may open.
    QString startPort;
    QString connectedIdentity; // the device of the last successful open (PortList::identity)
    QString reconnectIdentity; // the device waited for; empty when not waiting
    QTime reconnectUntil; // when the wait ends, for the text
    QTimer *reconnectDeadline = nullptr;
    QTimer *reconnectRetry = nullptr;
    bool reconnectAttempt = false; // the wait, not the user, is switching the port on
    bool reconnectSeen = false; // the device waited for was there at the last look
    // The lamp pictures, loaded once: off, on (green), alarm (amber) and error (red).
    QPixmap lampOff;
    QPixmap lampOn;
    QPixmap lampAlarm;
    QPixmap lampError;
    QPoint m_dragPosition;
    bool isAddingDataToTable;
    DataLog *dataLog; // the model of the log table data_view

    QtCharts::QChart *chart = nullptr;
    QtCharts::QStackedBarSeries *series = nullptr;
    QtCharts::QValueAxis *axisY = nullptr;
    QtCharts::QBarSet *mainSet = nullptr;
    QtCharts::QBarSet *specialSet = nullptr;
    int maxmark = 4500;
    int minmark = 2000;

    // Real-time page: members.
    WidgetTable<QLineEdit> realTimeFields; // every line edit a real-time reply writes
    WidgetTable<QLabel> statusLampLabels; // every lamp of the status lamp refresh
    BarLabels *barLabels = nullptr; // the values over the bars of the cell chart
    QLabel *staleLabel = nullptr; // "no data since" on the main page
    bool liveDataStale = false;
    bool liveDataSeen = false; // a valid real-time reply has come this run
    qint64 liveDataSince = 0; // on clock: the last valid real-time reply, or the port's opening
    qint64 liveDataLastReply = 0; // on clock
    qint64 liveDataStaleAfter = 0; // ms without a valid reply before the values go stale
    QTime liveDataLastReplyTime; // its time of day, for the text
    QLabel *exportState = nullptr;
    QString exportFolder; // of the last export; empty: the recordings folder
    QString exportedFile; // the last export, for its line
    int exportedRows = -1; // rows written by the last export; -1: none this run

    // Recording: members.
    std::unique_ptr<Recording> recording;
    QTimer *recordingStateTimer = nullptr; // the file's rows and size, after the reply
    QString recordingProblem; // why the last recording stopped; empty when it did not fail
    bool recordingPending = false; // a logging run whose file is made with its first row

    // Trends page: members.
    // Destroyed before the form's widgets, which it uses up to its end.
    std::unique_ptr<TrendsPage> trendsPage;

    // Parameter pages: members.
    // Resolved once from the form: the line edit of each parameter row (in the table's order)
    // and the line edit or switch of each field of the parameter block (in the decoder's order).
    QVector<QLineEdit *> parameterRowEdits;
    QVector<QWidget *> parameterBlockWidgets;
    WriteConfirm writeConfirm; // writes under way and the read-backs that judge them
    WriteMarks *writeMarks = nullptr;
    QLabel *parameterState = nullptr; // conf_read_state
    QLineEdit *failedWriteField = nullptr; // the last row the board did not take, and its line
    QString failedWriteLine;
    // The next block answers the one-key read (or a factory reset): it shows the board's values
    // even in fields holding typed values. A read-back after a write leaves those alone.
    bool readBackShowsAll = false;
};
