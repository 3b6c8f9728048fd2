#pragma once

#include "boardsession.h"
#include "messages.h"
#include "portlist.h"
#include "requestscheduler.h"

#include <QByteArray>
#include <QHash>
#include <QMainWindow>
#include <QMap>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QTime>

#include <memory>
#include <optional>

class DeviceWatcher;
class FrameConsole;
class LogPage;
class QLabel;
class QLineEdit;
class QLocale;
class QTableView;
class OverviewPage;
class DesktopNotifier;
class EnergyPage;
class EventsPage;
class QSettings;
class PackAnalyses;
class ParameterPage;
class ProfilePanel;
class QTimer;
class RealTimePage;
class TrendsPage;
class HealthPage;
class Ui_MainWindow;
struct StartOptions;
struct cell;

// Registers the compiled-in pictures and style sheet (repeated calls do nothing more).
void initResources();

// The one window of the program. It presents a board session (the serial line) and builds the
// pages; its slots read widgets and call the session or a page, or take what the session reports
// and write it to widgets. The window has no system frame; the form's top bar stands in for a
// title bar.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Flashes a lamp: onPixmap now, offPixmap after interval milliseconds (the main page's).
    void setupStatusSwitcher(QLabel *label, const QPixmap &onPixmap, const QPixmap &offPixmap,
                             int interval);
    void SwitchLight(QLabel *label, const QPixmap &offPixmap);

    // The time base of the reply watch, the idle test and the live trend, in milliseconds; tests
    // set their own. The trend's stamps go on from the wall clock's time when it is set.
    void setClock(RequestScheduler::Clock clock);
    // The serial line the window presents.
    BoardSession *boardSession() const { return session; }

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
    // Log page: slots (mainwindow_log.cpp), each handing on to the page.
    int addRowToTableWidget(QTableView *tableWidget, cell *bafe);
    void exportToCSV(QTableView *tableWidget, const QString &filePath);
    void on_data_export_clicked();
    void on_data_clean_clicked();
    void on_btn_log_clicked();
    void on_data_record_change_clicked();
    void on_data_record_folder_clicked();
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
    void InitSlot();

    bool initSerialPort();
    // The port name or path of the entry chosen in the port list.
    QString chosenPortName() const;
    // Now on the session's clock, in milliseconds.
    qint64 clock() const { return session->clock()(); }
    // The locale of the chosen language, for the numbers in every text.
    QLocale languageLocale() const;
    // The green opened text with the port's settings.
    void showOpenedText();
    // The red closed text; while waiting for the adapter to return, it says so.
    void showClosedText();

    // The session's reports (mainwindow_link.cpp).
    void connectSession();
    void initReconnect();
    // Polling began (also when the line came back by itself), or the line closed.
    void linkPolling();
    void linkClosed(BoardSession::CloseReason reason);
    // Sets the switch to what the line did, without asking the line to do it.
    void showSwitch(bool on);
    void showSendFailure(BoardSession::SendFailure failure);
    // "Fine " or "CRC Error!" for a frame checked.
    void showFrameVerdict(BoardSession::FrameVerdict verdict);
    // A box asked for from a serial or timer handler, shown once the handler has returned.
    void showLater(Messages::Kind kind, const QString &title, const QString &text);

    // Settings (mainwindow_settings.cpp).
    bool selectPort(const QString &nameOrPath);
    // The entry chosen in the port list, or none.
    const PortInfo *chosenPort() const;
    // The packs a line on port polls: those given at start until a port is opened, else those
    // remembered for the port; empty: the address alone.
    QVector<int> packsFor(const PortInfo *port) const;
    // Remembers the packs polled on port in place of what it had; one pack is no list.
    void rememberPacks(const PortInfo &port, const QVector<int> &packs);
    // While the line is closed the overview and the poll list show what the chosen port polls.
    void followChosenPort();

    // A decoded real-time reply or parameter block into the pages.
    void showRealTimeReply(const RealTimeReply &values);

    // Real-time page: functions (mainwindow_realtime.cpp).
    // Zooms the voltage axis of the cell chart; wheel events elsewhere are left to others.
    void wheelEvent(QWheelEvent *event) override;
    void initRealTimePage();
    // The main page's watch of the live values: the port opened, closed, a poll tick.
    void liveDataOpened();
    void liveDataClosed();
    void watchLiveData();

    // Log page: functions (mainwindow_log.cpp).
    // The folder recordings go to: the one chosen last, or Documents/Arvex.
    QString recordingsFolder() const;

    // Overview page: functions (mainwindow_overview.cpp).
    void initAnalyses();
    void initOverviewPage();
    // Energy page and today's energy on the main page and the tiles (mainwindow_energy.cpp).
    void initEnergyPage();
    // Makes a pack the one the other pages show: the address box, the session's focus, the main
    // page with the pack's last reply, the trends.
    void focusPack(int address);
    // The line began polling: the overview shows the packs polled and the focus.
    void showPolledPacks();
    // Polls these packs (found by a scan or remembered); one or none: the address alone.
    void pollPacks(const QVector<int> &packs);
    // A scan found these packs on the line: polled, and remembered for its port.
    void takeFoundPacks(const QVector<int> &found);
    // A reply of any pack polled: the log, the trends, the pack's last reply.
    void takePackReply(int address, const RealTimeReply &values, const AFE &record);
    // Names the pack in focus over the pages that show it.
    void showFocusPack();

    // Events page, desktop notifications and their settings (mainwindow_events.cpp).
    void initEventsPage();
    // A notification was clicked: the window in front, on the page, with the event selected.
    void showEventOf(qint64 eventId);
    void loadEventSettings(const QSettings &settings);
    void saveEventSettings(QSettings &settings) const;

    // Keyboard and controls: functions (mainwindow_controls.cpp).
    // Enter applies a parameter row, Tab passes over fields nobody types in, the period box and
    // the port box say what they take and hold, Qt's own texts follow the language.
    void initControls();
    // The whole entry chosen in the port list, which the box may be too narrow to show.
    void showPortToolTip();
    // Tells the user a typed period outside the box's range was not taken.
    void refusePeriod(int typed);
    // Opens the frame console (and builds it the first time).
    void showFrameConsole();

    Ui_MainWindow *ui;
    BoardSession *session = nullptr; // the serial line
    bool followingSession = false; // the switch is being set to what the line did
    DeviceWatcher *deviceWatcher = nullptr;
    QTimer *timers = nullptr;
    QList<PortInfo> listedPorts; // what the port list was last built from
    // The port the start options named, remembered or given; the only one a start may open.
    QString startPort;
    // The packs found on each port: by the adapter's identity, or by the name or path an
    // earlier version remembered its one list with.
    QMap<QString, QVector<int>> portPacks;
    // Given on the command line: polled on the first port opened, in place of its list.
    std::optional<QVector<int>> startPacks;
    // The window is being built, the port list rebuilt, or the line waits for its adapter: what
    // is polled stays.
    bool holdPolledPacks = true;
    // The lamp pictures of the main page: off, on (green), alarm (amber) and error (red).
    QPixmap lampOff;
    QPixmap lampOn;
    QPixmap lampAlarm;
    QPixmap lampError;
    QPoint m_dragPosition;

    // Real-time page: members.
    RealTimePage *realTimePage = nullptr; // the fields, lamps, chart and stale watch

    // Log page: the log table, logging, export and recording.
    LogPage *logPage = nullptr;

    // Trends page: members.
    // Destroyed before the form's widgets, which it uses up to its end.
    std::unique_ptr<TrendsPage> trendsPage;

    // Parameter pages: members.
    ParameterPage *parameterPage = nullptr;
    ProfilePanel *profilePanel = nullptr;

    // Overview page: members.
    OverviewPage *overviewPage = nullptr;
    // Every pack's books, journal and health, fed from the session whatever page is shown.
    PackAnalyses *analyses = nullptr;
    EnergyPage *energyPage = nullptr; // the energy books on the pages that show them
    HealthPage *healthPage = nullptr; // which cell is wearing out, from analyses
    EventsPage *eventsPage = nullptr; // what went wrong where, and the packs' events files
    DesktopNotifier *notifier = nullptr; // tells the desktop while the window is not in front
    // A pack's last reply as the main page shows it when the pack comes into focus, until the
    // pack's next reply (the page keeps the record it shows).
    cell focusRecord;
    // Each pack's last reply, shown at once when the pack comes into focus.
    struct PackReply
    {
        RealTimeReply values;
        cell record;
        qint64 at = 0; // on the window's clock
    };
    QHash<int, PackReply> lastReplies;
    QLabel *focusLabel = nullptr; // focus_pack: the pack in focus, beside the tabs
    int focusNumber = -1; // the battery number the pack in focus states; -1: not known

    // Frame console: members.
    FrameConsole *frameConsole = nullptr; // built at the first click of debugdig
};
