#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMainWindow>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QtCharts/QChartGlobal>

class DataLog;
class QLabel;
class QLineEdit;
class QSerialPort;
class QTimer;
class Ui_MainWindow;

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

signals:
    void dataReceived(const QByteArray &data);

public slots:
    void findFreePorts();

private slots:
    void restoreLineEditStyle(QLineEdit *lineEdit);
    void updateTime();
    void langChange(int index);
    void on_pushButton_about_clicked();
    void on_win_close_clicked();
    void on_win_mini_clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void InitUI();
    void InitChart();
    void InitSlot();

    Ui_MainWindow *ui;
    QSerialPort *serialPort;
    QString currentConnectedPortName;
    QByteArray msgdata;
    QTimer *requestTimer = nullptr;
    QTimer *timeoutTimer = nullptr;
    QTimer *timers = nullptr;
    QDateTime lastReceiveTime;
    int idleTimeThreshold;
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
};
