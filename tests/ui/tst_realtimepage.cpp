// The real-time page of the window: a reply through ParseMsg into the fields, the lamps, the cell
// chart and the log, the log buttons with export, and the wheel zoom of the chart; the main
// page's watch of the live values on its own.
#include "boardsession.h"
#include "crc.h"
#include "datalog.h"
#include "drainevents.h"
#include "filedialogs.h"
#include "infront.h"
#include "isolatedsettings.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "parametertable.h"
#include "realtimepage.h"
#include "statuslamps.h"
#include "telemetry.h"
#include "ui_mainwindow.h"
#include "unreported.h"
#include "widgettable.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPaintEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>
#include <QtTest/qtestspontaneevent.h>
#include <QtTest>

#include <memory>

QT_CHARTS_USE_NAMESPACE

namespace {

// A real-time reply as the board sends it.
struct Reply
{
    QByteArray address = "0A";
    int cells[25];
    int temps[6] = { 2500, 2600, 3500, 3600, 3700, 3800 }; // 0.01 degC
    int protection = 0, alarm = 0, job = 0, balancing = 0;
    quint32 current = 1500; // mA, as sent
    int avgv = 3300, maxv = 3325, minv = 3275, soc = 87;

    Reply()
    {
        for (int k = 0; k < 25; ++k)
            cells[k] = 3300 + k;
    }
};

QByteArray hex(quint32 value, int width)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(width, '0');
}

// The frame, field by field from the left, with its CRC.
QByteArray frame(const Reply &r)
{
    QByteArray block;
    for (int cell : r.cells)
        block += hex(cell, 4);
    for (int t : r.temps)
        block += hex(t + 4000, 4);
    block += hex(r.protection, 1) + hex(r.alarm, 1) + hex(r.job, 1) + "11"; // MOS C = 1, D = 1
    block += hex(r.current, 8) + hex(7, 8) + hex(8, 8) + hex(9, 8); // NEWCC, CHGVV, DSGVV
    block += hex(12, 4) + hex(r.balancing, 4) + hex(52000, 4) + hex(r.avgv, 4) + hex(r.maxv, 4)
        + hex(r.minv, 4) + hex(50, 4) + hex(1, 4) + hex(3325, 4);
    block += hex(r.soc, 2) + hex(16, 2) + hex(100, 2) + hex(5, 4) + hex(99, 4);
    const QByteArray span = ":Y+" + r.address + "+51+" + block;
    const uint16_t crc =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(span.constData()), span.size());
    return span + '+' + hex(crc, 4) + '~';
}

// Every region of the window that is painted, in the window's coordinates, by widget.
class PaintLog : public QObject
{
public:
    explicit PaintLog(QWidget *window)
        : m_window(window)
    {
        qApp->installEventFilter(this);
    }
    ~PaintLog() override { qApp->removeEventFilter(this); }

    QRegion all() const
    {
        QRegion sum;
        for (const auto &paint : m_paints)
            sum += paint.second;
        return sum;
    }
    // The area widget painted, counting each paint.
    qint64 area(const QWidget *widget) const
    {
        qint64 sum = 0;
        for (const auto &paint : m_paints) {
            if (paint.first == widget)
                for (const QRect &r : paint.second.translated(-widget->mapTo(m_window, QPoint())))
                    sum += qint64(r.width()) * r.height();
        }
        return sum;
    }
    QString paintersIn(const QRegion &region) const
    {
        QStringList names;
        for (const auto &paint : m_paints) {
            if (paint.first && paint.second.intersects(region))
                names << paint.first->metaObject()->className() + QLatin1Char(' ')
                        + paint.first->objectName();
        }
        names.removeDuplicates();
        return names.join(QStringLiteral(", "));
    }
    void clear() { m_paints.clear(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->window() == m_window)
                m_paints.append({ widget,
                                  static_cast<QPaintEvent *>(event)->region().translated(
                                      widget->mapTo(m_window, QPoint())) });
        }
        return false;
    }

private:
    QWidget *m_window;
    QVector<QPair<QPointer<QWidget>, QRegion>> m_paints;
};

QImage picture(const char *name)
{
    return QPixmap(QStringLiteral(":/asset/assert/") + QLatin1String(name)).toImage();
}

} // namespace

class TestRealTimePage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void widgetLookUpAndNamedSlots();
    void replyFillsTheFields();
    void lampsFollowTheStatusValues();
    void chartClampsAndSplitsByBalancing();
    void logSwitchAndRows();
    void viewFollowsTheNewestRowUnlessScrolledUp();
    void pagesBehindCatchUpWhenShown();
    void replyOnTheLogPagePaintsOnlyWhatChanged();
    void replyOnTheMainPageLeavesItsCaptions();
    void exportLog_data();
    void exportLog();
    void exportGoesToTheLastFolder();
    void wheelZoomsTheVoltageAxis();
    void valuesGoStaleAndComeBack();
    void unusedLampsAndRowsSayWhy();

private:
    // The window is shown: a widget is read or used with its page in front, and the page in
    // front shows a reply once the event loop has run.
    template<typename T>
    T *child(const char *name)
    {
        return inFront(namedChild<T>(window.get(), name));
    }
    QString text(const char *field) { return child<QLineEdit>(field)->text(); }
    void send(const Reply &reply)
    {
        emit window->dataReceived(frame(reply));
        drainEvents();
    }
    QAbstractItemModel *log() { return child<QTableView>("data_view")->model(); }
    void setLogging(bool on)
    {
        if ((child<QPushButton>("btn_log")->text() == QStringLiteral("STOP")) != on)
            child<QPushButton>("btn_log")->click();
    }

    std::unique_ptr<IsolatedSettings> settings; // logging records to a temporary folder
    std::unique_ptr<Messages::Recorder> boxes;
    std::unique_ptr<MainWindow> window;
};

void TestRealTimePage::initTestCase()
{
    qunsetenv("ARVEX_EXTRA_PORTS");
    settings = std::make_unique<IsolatedSettings>();
    boxes = std::make_unique<Messages::Recorder>();
    window = std::make_unique<MainWindow>();
    window->show(); // laid out, so the log view has a height to scroll in
    boxes->clear();
}

void TestRealTimePage::cleanupTestCase()
{
    window.reset();
    boxes.reset();
    settings.reset();
}

void TestRealTimePage::widgetLookUpAndNamedSlots()
{
    WidgetTable<QLineEdit> fields;
    for (const char *name : { "data_cell1", "data_cell99", "p_lv_mask" /* a label */ })
        fields.add(window.get(), name);
    QCOMPARE(fields["data_cell1"], child<QLineEdit>("data_cell1"));
    QCOMPARE(fields["data_cell99"], nullptr);
    QCOMPARE(fields.missing(), QStringList({ "data_cell99", "p_lv_mask" }));

    // Other parts of the program call these by name.
    for (const char *slot : { "jobSet", "alertSet", "sysSet", "infoSet", "BlanceSet" })
        QVERIFY2(QMetaObject::invokeMethod(window.get(), slot, Q_ARG(int, 5)), slot);
    QCOMPARE(child<QLabel>("blance_label")->text(), QStringLiteral("Cell#1 #3 "));
    setLogging(false);
    int rows = -1;
    QVERIFY(QMetaObject::invokeMethod(window.get(), "addRowToTableWidget", Q_RETURN_ARG(int, rows),
                                      Q_ARG(QTableView *, child<QTableView>("data_view")),
                                      Q_ARG(cell *, &window->boardSession()->afe)));
    QCOMPARE(rows, 0); // logging is off
    QVERIFY(QMetaObject::invokeMethod(window.get(), "exportToCSV", Q_ARG(QTableView *, nullptr),
                                      Q_ARG(QString, QStringLiteral("/dev/null"))));
}

void TestRealTimePage::replyFillsTheFields()
{
    Reply r;
    r.current = 0xFFFFFF9C; // a discharge of 100 mA
    r.cells[24] = 1;
    send(r);
    const QList<QPair<const char *, const char *>> expected = {
        { "data_num", "0A" },     { "data_denum", "10" },  { "data_cell1", "3300" },
        { "data_cell25", "1" },   { "ets", "25.00" },      { "ts1", "35.00" },
        { "data_ts1", "35.00" },  { "data_cadc", "-100" }, { "data_mcadc", "-100" },
        { "data_maxv2", "3325" }, { "data_statu", "0" },   { "data_len", "1" },
    };
    for (const auto &field : expected)
        QCOMPARE(text(field.first), QString::fromLatin1(field.second));
    QCOMPARE(child<QLCDNumber>("cadc")->intValue(), -100);
    QCOMPARE(child<QProgressBar>("soc")->value(), 87);
    QCOMPARE(child<QLabel>("statu_send")->text(), QStringLiteral("Fine "));

    // Values the displays cannot hold as they are do not leave the old ones standing.
    QSignalSpy overflow(child<QLCDNumber>("cadc"), &QLCDNumber::overflow);
    r.current = quint32(-123456);
    r.soc = 200;
    send(r);
    QCOMPARE(overflow.count(), 0);
    QCOMPARE(child<QLCDNumber>("cadc")->intValue(), -123456);
    QCOMPARE(child<QProgressBar>("soc")->value(), 100);
    QCOMPARE(text("data_soc"), QStringLiteral("200"));

    // A reply that fails its check changes nothing.
    QByteArray broken = frame(Reply());
    broken[10] = broken[10] == '0' ? '1' : '0';
    emit window->dataReceived(broken);
    QCOMPARE(text("data_cell25"), QStringLiteral("1"));
}

void TestRealTimePage::lampsFollowTheStatusValues()
{
    // One red protection lamp, one amber alarm lamp and one green job lamp at most; codes outside
    // the tables (last row) leave the lamps of the reply before.
    const struct
    {
        int protection, alarm, job, balancing;
        const char *red, *amber, *jobLamp, *balanceText;
    } rows[] = {
        { 0, 0, 0, 0, "", "", "job_static_mask", "NULL" },
        { 11, 0xA, 1, 0x0005, "p_short_mask", "alsert_dsght_mask", "job_chg_mask", "Cell#1 #3 " },
        { 5, 0x3, 2, 0x8001, "p_hv_mask", "alert_chght_mask", "job_dsg_mask", "Cell#1 #16 " },
        { 15, 0x1, 7, 0xFFFF, "p_hv_mask", "", "job_dsg_mask",
          "Cell#1 #2 #3 #4 #5 #6 #7 #8 #9 #10 #11 #12 #13 #14 #15 #16 " },
    };
    const QImage grey = picture("NO.png"), green = picture("Pas.png");
    for (const auto &row : rows) {
        Reply r;
        r.protection = row.protection;
        r.alarm = row.alarm;
        r.job = row.job;
        r.balancing = row.balancing;
        send(r);
        auto check = [&](std::initializer_list<const char *> lamps, const char *marked,
                         const QImage &mark, const QImage &others) {
            for (const char *lamp : lamps) {
                const QImage shown = child<QLabel>(lamp)->pixmap(Qt::ReturnByValue).toImage();
                QVERIFY2(shown == (qstrcmp(marked, lamp) == 0 ? mark : others), lamp);
            }
        };
        check({ "p_chghc_mask", "p_chght_mask", "p_chglt_mask", "p_dsght_mask", "p_dsglt_mask",
                "p_dsghc1_mask", "p_dsghc2_mask", "p_lv_mask", "p_hv_mask", "p_ahv_mask",
                "p_alv_mask", "p_pcbht_mask", "p_vex_mask", "p_short_mask" },
              row.red, picture("Err.png"), green);
        check({ "alert_chght_mask", "alsert_chglt_mask", "alsert_dsght_mask", "alsert_dsglt_mask" },
              row.amber, picture("Warning.png"), green);
        check({ "job_static_mask", "job_chg_mask", "job_dsg_mask" }, row.jobLamp, green, grey);
        check({ "statu_unp_mask", "statu_unconf_mask" }, "", grey, green);
        check({ "alsert_dsglt_mask_6" }, "", green, grey); // never driven
        check({ "blance_fun_mask" }, "", green, row.balancing ? green : grey);
        QCOMPARE(child<QLabel>("blance_label")->text(), QString::fromLatin1(row.balanceText));
    }
}

void TestRealTimePage::chartClampsAndSplitsByBalancing()
{
    setLogging(true);
    Reply r;
    r.cells[0] = 499;
    r.cells[1] = 500;
    r.cells[2] = 5000;
    r.cells[3] = 5001;
    r.balancing = 1 << 2; // cell 3
    send(r);

    auto *series =
        qobject_cast<QStackedBarSeries *>(child<QChartView>("cell")->chart()->series().value(0));
    QBarSet *balancing = series->barSets().at(0); // drawn dark green
    QBarSet *idle = series->barSets().at(1);
    QCOMPARE(balancing->color(), QColor(14, 120, 53));
    QCOMPARE(balancing->count(), 16);
    QCOMPARE(idle->count(), 16);
    const qreal expectBalancing[4] = { 0, 0, 5000, 0 };
    const qreal expectIdle[4] = { 0, 500, 0, 0 };
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(balancing->at(i), expectBalancing[i]);
        QCOMPARE(idle->at(i), expectIdle[i]);
    }
    QCOMPARE(idle->at(15), qreal(3315));
    QCOMPARE(window->boardSession()->afe.cell[0], 0);
    QCOMPARE(window->boardSession()->afe.cell[3], 0);
    // The fields and the log keep what was received.
    QCOMPARE(text("data_cell1"), QStringLiteral("499"));
    QCOMPARE(log()->index(log()->rowCount() - 1, 18).data().toString(), QStringLiteral("499"));

    // The value labels stand over the drawn bars only.
    QStringList labels;
    const QList<QGraphicsItem *> items = child<QChartView>("cell")->scene()->items();
    for (const QGraphicsItem *item : items) {
        if (auto *label = dynamic_cast<const QGraphicsSimpleTextItem *>(item))
            labels += label->isVisible() ? label->text() : QString();
    }
    labels.removeAll(QString());
    QCOMPARE(labels.size(), 14);
    QVERIFY(labels.contains(QStringLiteral("5000")) && labels.contains(QStringLiteral("500")));
}

void TestRealTimePage::logSwitchAndRows()
{
    auto *button = child<QPushButton>("btn_log");
    auto *total = child<QLineEdit>("data_total_line");
    setLogging(false);
    child<QPushButton>("data_clean")->click();
    QCOMPARE(total->text(), QStringLiteral("0"));
    send(Reply());
    QCOMPARE(log()->rowCount(), 0);

    button->click();
    QCOMPARE(button->text(), QStringLiteral("STOP"));
    Reply r;
    r.current = 0xFFFFFF9C;
    send(r);
    QCOMPARE(total->text(), QStringLiteral("1"));
    QCOMPARE(log()->index(0, 2).data().toString(), QStringLiteral("10")); // address 0A
    QCOMPARE(log()->index(0, 10).data().toString(), QStringLiteral("-0.10")); // A

    // A language switch gives the button its form caption back; logging goes on.
    child<QComboBox>("lang")->setCurrentIndex(1);
    child<QComboBox>("lang")->setCurrentIndex(0);
    QCOMPARE(button->text(), QStringLiteral("RUN"));
    send(Reply());
    QCOMPARE(log()->rowCount(), 2);
    button->click();
    QCOMPARE(button->text(), QStringLiteral("RUN"));
    send(Reply());
    QCOMPARE(log()->rowCount(), 2); // switching off keeps the rows

    // The row numbers keep their room as they gain a digit.
    QHeaderView *rows = child<QTableView>("data_view")->verticalHeader();
    button->click();
    while (log()->rowCount() < 9)
        send(Reply());
    const int oneDigit = rows->sizeHint().width();
    send(Reply());
    QVERIFY(oneDigit > 0);
    QVERIFY(rows->sizeHint().width() > oneDigit);

    child<QPushButton>("data_clean")->click();
    QCOMPARE(log()->rowCount(), 0);
    QCOMPARE(total->text(), QStringLiteral("0"));
    QCOMPARE(button->text(), QStringLiteral("STOP")); // emptying leaves logging on
}

void TestRealTimePage::viewFollowsTheNewestRowUnlessScrolledUp()
{
    child<QTabWidget>("tab_widget")->setCurrentWidget(child<QWidget>("tab_5"));
    setLogging(true);
    QScrollBar *bar = child<QTableView>("data_view")->verticalScrollBar();
    for (int i = 0; i < 60; ++i)
        send(Reply());
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(bar->maximum() / 2);
    const int reading = bar->value();
    send(Reply());
    QCOMPARE(bar->value(), reading);

    bar->setValue(bar->maximum());
    send(Reply());
    QCOMPARE(bar->value(), bar->maximum());
    child<QTabWidget>("tab_widget")->setCurrentIndex(0);
}

void TestRealTimePage::pagesBehindCatchUpWhenShown()
{
    // Read without bringing their pages up: what a page behind another holds.
    const auto behind = [this](const char *name) {
        return namedChild<QLineEdit>(window.get(), name);
    };
    auto *tabs = namedChild<QTabWidget>(window.get(), "tab_widget");
    auto *logView = namedChild<QTableView>(window.get(), "data_view");
    setLogging(true);
    Reply first;
    first.cells[0] = 3111;
    tabs->setCurrentWidget(namedChild<QWidget>(window.get(), "tab_3"));
    send(first);
    tabs->setCurrentWidget(namedChild<QWidget>(window.get(), "tab_overview"));
    drainEvents();
    auto *log = qobject_cast<DataLog *>(logView->model());
    const int shown = log->rowCount();
    const int rows = log->count();

    // The replies are logged and recorded as they come; the pages behind do nothing for them.
    Reply last;
    for (int i = 0; i < 50; ++i) {
        last.cells[0] = 3200 + i; // data_cell1, the chart's first bar and the log's cell 1
        last.current = 1000 + i; // the current display
        last.balancing = i % 2 ? 0x0001 : 0;
        send(last);
    }
    QCOMPARE(behind("data_cell1")->text(), QStringLiteral("3111"));
    QCOMPARE(log->rowCount(), shown);
    QCOMPARE(log->count(), rows + 50);

    // Each page shows the last reply as it comes to the front, before anything is painted.
    tabs->setCurrentWidget(namedChild<QWidget>(window.get(), "tab_3"));
    QCOMPARE(behind("data_cell1")->text(), QStringLiteral("3249"));
    tabs->setCurrentWidget(namedChild<QWidget>(window.get(), "maininfo"));
    QCOMPARE(namedChild<QLCDNumber>(window.get(), "cadc")->intValue(), 1049);
    QCOMPARE(namedChild<QLabel>(window.get(), "blance_label")->text(), QStringLiteral("Cell#1 "));
    auto *series = qobject_cast<QStackedBarSeries *>(
        namedChild<QChartView>(window.get(), "cell")->chart()->series().value(0));
    QCOMPARE(series->barSets().at(0)->at(0), qreal(3249)); // balancing
    QCOMPARE(series->barSets().at(1)->at(0), qreal(0));
    tabs->setCurrentWidget(namedChild<QWidget>(window.get(), "tab_5"));
    QCOMPARE(logView->model()->rowCount(), rows + 50);
    QCOMPARE(logView->model()->index(rows + 49, 18).data().toString(), QStringLiteral("3249"));
    QCOMPARE(behind("data_total_line")->text(), QString::number(rows + 50));
    QScrollBar *bar = logView->verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum()); // still at the newest row
    tabs->setCurrentIndex(0);
}

void TestRealTimePage::replyOnTheLogPagePaintsOnlyWhatChanged()
{
    // As the program runs: with its style sheet, which gives every widget a background.
    QFile style(QStringLiteral(":/assert/style.qss"));
    QVERIFY(style.open(QFile::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
    auto *view = child<QTableView>("data_view");
    child<QTabWidget>("tab_widget")->setCurrentWidget(child<QWidget>("tab_5"));
    setLogging(true);
    child<QPushButton>("data_clean")->click();
    for (int i = 0; i < 40; ++i)
        send(Reply());
    drainEvents();

    // Where a reply may paint: the table (its new row, its scroll bars), the row count and the
    // line that tells the file's rows and size. Not the page around them, nor the window. The
    // clock in the top bar ticks by itself, also while the replies are handled.
    const auto inWindow = [this](QWidget *widget) {
        return QRegion(QRect(widget->mapTo(window.get(), QPoint()), widget->size()));
    };
    const QRegion allowed = inWindow(view) + inWindow(child<QLineEdit>("data_total_line"))
        + inWindow(child<QLabel>("data_record_file")) + inWindow(child<QLabel>("times"));
    const qint64 viewportArea = qint64(view->viewport()->width()) * view->viewport()->height();
    const auto screen = [this] { return window->screen()->grabWindow(window->winId()).toImage(); };
    const auto rendered = [this](const QImage &like) {
        return window->grab().toImage().convertToFormat(like.format());
    };

    PaintLog paints(window.get());
    for (int i = 0; i < 3; ++i) {
        send(Reply());
        drainEvents();
    }
    const QRegion outside = paints.all() - allowed;
    QVERIFY2(outside.isEmpty(), qPrintable(paints.paintersIn(outside)));
    // Scrolling moves the rows drawn before; a reply paints about its own row.
    QVERIFY2(paints.area(view->viewport()) < viewportArea / 4,
             qPrintable(QString::number(paints.area(view->viewport()))));
    QVERIFY(paints.area(view->verticalHeader()->viewport())
            < qint64(view->verticalHeader()->viewport()->height()) * view->verticalHeader()->width()
                / 4);
    // What was painted piece by piece is what the whole window looks like.
    QImage shown = screen();
    QCOMPARE(shown, rendered(shown));

    // Scrolled back, a new row is below what is shown: only the scroll bar changes.
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    drainEvents();
    paints.clear();
    send(Reply());
    drainEvents();
    QCOMPARE(paints.area(view->viewport()), 0);
    // Emptied and filled again, and back at the newest row.
    child<QPushButton>("data_clean")->click();
    send(Reply());
    drainEvents();
    shown = screen();
    QCOMPARE(shown, rendered(shown));
    for (int i = 0; i < 30; ++i)
        send(Reply());
    drainEvents();
    shown = screen();
    QCOMPARE(shown, rendered(shown));

    qApp->setStyleSheet(QString());
    child<QTabWidget>("tab_widget")->setCurrentIndex(0);
}

void TestRealTimePage::replyOnTheMainPageLeavesItsCaptions()
{
    QFile style(QStringLiteral(":/assert/style.qss"));
    QVERIFY(style.open(QFile::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
    child<QTabWidget>("tab_widget")->setCurrentIndex(0);
    auto *balance = child<QLabel>("blance_label");
    Reply reply;
    send(reply);
    drainEvents();

    // Values and the balancing list change, each within its line: the captions, the group boxes'
    // titles and the tab bar are not painted again (a layout pass of the page would repaint them
    // all).
    PaintLog paints(window.get());
    for (int word : { 0x0001, 0x0004, 0x0010, 0 }) {
        reply.balancing = word;
        reply.current += 250;
        reply.soc -= 1;
        send(reply);
        drainEvents();
    }
    for (const char *caption : { "p_lv", "data_maxv_lable", "statu_unp", "blance_fun_lable" })
        QVERIFY2(paints.area(child<QLabel>(caption)) == 0, caption);
    QCOMPARE(paints.area(child<QWidget>("qt_tabwidget_tabbar")), 0);
    QVERIFY(paints.area(balance) > 0);
    const auto screen = [this] { return window->screen()->grabWindow(window->winId()).toImage(); };
    QImage shown = screen();
    QCOMPARE(shown, window->grab().toImage().convertToFormat(shown.format()));

    // A list that needs more lines gets them, and is shown whole.
    const int oneLine = balance->height();
    reply.balancing = 0xFFFF;
    send(reply);
    drainEvents();
    QVERIFY2(balance->height() > oneLine, qPrintable(QString::number(balance->height())));
    QCOMPARE(balance->height(), balance->heightForWidth(balance->width()));
    shown = screen();
    QCOMPARE(shown, window->grab().toImage().convertToFormat(shown.format()));
    reply.balancing = 0;
    send(reply);
    drainEvents();
    QCOMPARE(balance->height(), oneLine);

    qApp->setStyleSheet(QString());
}

void TestRealTimePage::exportLog_data()
{
    QTest::addColumn<QString>("path"); // as typed; empty: the dialog is cancelled
    QTest::addColumn<QString>("written"); // the file written; empty: none
    QTest::addColumn<QString>("failure"); // empty: written

    static QTemporaryDir dir, lockedDir;
    QFile::setPermissions(lockedDir.path(), QFile::ReadOwner | QFile::ExeOwner);
    // root writes anywhere but in /proc.
    const QString locked =
        QFileInfo(lockedDir.path()).isWritable() ? QStringLiteral("/proc") : lockedDir.path();
    QTest::newRow("cancelled") << QString() << QString() << QString();
    QTest::newRow("typed without .csv")
        << dir.filePath("log") << dir.filePath("log.csv") << QString();
    QTest::newRow("typed with .CSV")
        << dir.filePath("LOG.CSV") << dir.filePath("LOG.CSV") << QString();
    QTest::newRow("folder without write permission")
        << locked + QStringLiteral("/log.csv") << QString() << QStringLiteral("?");
    // A full disk: a name with its suffix that leads to the device that is always full.
    const QString full = dir.filePath("full.csv");
    if (QFile::link(QStringLiteral("/dev/full"), full))
        QTest::newRow("full disk")
            << full << QString() << QStringLiteral("No space left on device");
}

void TestRealTimePage::exportLog()
{
    QFETCH(QString, path);
    QFETCH(QString, written);
    QFETCH(QString, failure);
    setLogging(true);
    child<QPushButton>("data_clean")->click();
    send(Reply());
    send(Reply());
    boxes->clear();
    auto *state = child<QLabel>("data_export_state");
    const QString stateBefore = state->text();

    FileDialogs::Answerer answer(path);
    child<QPushButton>("data_export")->click();
    QCOMPARE(answer.questions().size(), 1);
    QCOMPARE(answer.questions().at(0).parent, window.get());
    QCOMPARE(answer.questions().at(0).caption, QStringLiteral("Save CSV"));
    QVERIFY(QFileInfo(answer.questions().at(0).dir).isDir());
    QCOMPARE(answer.questions().at(0).filter, QStringLiteral("CSV Files (*.csv)"));
    QCOMPARE(log()->rowCount(), 2); // the table is never changed by an export

    if (failure.isEmpty()) {
        QVERIFY(boxes->entries().isEmpty());
        if (written.isEmpty()) {
            QCOMPARE(state->text(), stateBefore); // nothing asked, nothing written
            return;
        }
        QCOMPARE(state->text(),
                 QStringLiteral("已导出 2 行到 ") + QDir::toNativeSeparators(written));
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        file.remove();
        QVERIFY(!QFile::exists(path)); // only the name with its suffix
        QCOMPARE(lines.size(), 4); // header, two rows, nothing after the last line end
        QVERIFY(lines.at(0).startsWith("\"日期\",\"时间\",\"Pack\","));
        QVERIFY(lines.at(2).contains(",\"10\",") && lines.at(2).endsWith(",\"3324\""));
        return;
    }
    // A file that did not reach the disk is named, with the reason, and not reported as written.
    QCOMPARE(state->text(), stateBefore);
    QCOMPARE(boxes->entries().size(), 1);
    const Messages::Recorder::Entry &box = boxes->entries().at(0);
    QCOMPARE(box.kind, Messages::Kind::Warning);
    QCOMPARE(box.title, QStringLiteral("Export failed"));
    QVERIFY2(box.text.contains(path), qPrintable(box.text));
    QVERIFY2(box.text.section(path, 1).trimmed().size() > 1, qPrintable(box.text));
    if (failure != QLatin1String("?"))
        QVERIFY2(box.text.contains(failure), qPrintable(box.text));
}

void TestRealTimePage::exportGoesToTheLastFolder()
{
    // A first run exports beside the recordings; later ones, and later runs, where the last
    // export went.
    QTemporaryDir dir;
    const QString folder = QDir::cleanPath(dir.filePath("exports"));
    QVERIFY(QDir().mkpath(folder));
    MainWindow first;
    FileDialogs::Answerer answer{ QString() };
    namedChild<QPushButton>(&first, "data_export")->click();
    QCOMPARE(answer.questions().last().dir, QDir::cleanPath(settings->recordings()));

    // The count in the grouping of the chosen language.
    auto *log = qobject_cast<DataLog *>(namedChild<QTableView>(&first, "data_view")->model());
    for (int i = 0; i < 1234; ++i)
        log->append(first.boardSession()->afe, QDateTime::currentDateTime());
    answer.setAnswer(folder + "/rows");
    namedChild<QPushButton>(&first, "data_export")->click();
    const QString file = QDir::toNativeSeparators(folder + "/rows.csv");
    auto *state = namedChild<QLabel>(&first, "data_export_state");
    QCOMPARE(state->text(), QStringLiteral("已导出 1,234 行到 ") + file);
    namedChild<QComboBox>(&first, "lang")->setCurrentIndex(2);
    QVERIFY2(state->text().contains("1.234 ") && state->text().contains(file),
             qPrintable(state->text()));
    namedChild<QComboBox>(&first, "lang")->setCurrentIndex(0);

    answer.setAnswer(QString());
    namedChild<QPushButton>(&first, "data_export")->click();
    QCOMPARE(answer.questions().last().dir, folder);
    first.saveSettings();
    MainWindow second;
    second.loadSettings();
    namedChild<QPushButton>(&second, "data_export")->click();
    QCOMPARE(answer.questions().last().dir, folder);
    QSettings().remove("export");
    QSettings().remove("language");
}

void TestRealTimePage::wheelZoomsTheVoltageAxis()
{
    auto *view = child<QChartView>("cell");
    auto *y = qobject_cast<QValueAxis *>(view->chart()->axes(Qt::Vertical).value(0));
    // As the platform delivers it: an ignored wheel event goes on to the parents only when it
    // comes from the user.
    auto wheel = [](QWidget *target, QPoint at, int delta) {
        QWheelEvent event(QPointF(at), QPointF(target->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&event);
        qApp->notify(target, &event);
        return event.isAccepted();
    };
    const QPoint middle = view->viewport()->rect().center();

    // Before the board has told an average voltage every step is refused.
    window->boardSession()->afe.avgv = 0;
    y->setRange(2000, 4500);
    wheel(view->viewport(), middle, 120);
    QCOMPARE(y->min(), 2000.0);

    // Centre 3300 mV, spread 50 mV: one step in from 2500 gives 2250, one out 2750.
    Reply r;
    send(r);
    wheel(view->viewport(), middle, 120);
    QCOMPARE(y->min(), 2175.0);
    QCOMPARE(y->max(), 4425.0);
    y->setRange(2000, 4500);
    wheel(view->viewport(), middle, -120);
    QCOMPARE(y->min(), 1925.0);
    QCOMPARE(y->max(), 4675.0);

    // A zoom to [3001.6, 3498.4] keeps 3001 and 3498, which the next reply shows.
    r.avgv = 3250;
    send(r);
    y->setRange(2974, 3526);
    wheel(view->viewport(), middle, 120);
    QCOMPARE(y->min(), 3001.6);
    QCOMPARE(y->max(), 3498.4);
    send(r);
    QCOMPARE(y->min(), 3001.0);
    QCOMPARE(y->max(), 3498.0);

    // Outside the chart the wheel is not the chart's.
    QVERIFY(!wheel(child<QLabel>("logo_title"), QPoint(2, 2), 120));
    QCOMPARE(y->min(), 3001.0);
}

void TestRealTimePage::valuesGoStaleAndComeBack()
{
    // The page on a bare form, told by hand what the line does: poll ticks 500 ms apart on a
    // clock whose reading r is the time of day Noon + r.
    QMainWindow host;
    Ui_MainWindow form;
    form.setupUi(&host);
    const qint64 noon = QDateTime(QDate(2026, 1, 2), QTime(12, 0)).toMSecsSinceEpoch();
    RealTimePage page(&form, &host, [noon](qint64 reading) { return noon + reading; });
    cell record;
    const RealTimeReply values = decodeRealTime("0A", QByteArray(), &record);

    const QWidget *live[] = { form.data_cell1, form.data_mcadc, form.cadc, form.soc,
                              namedChild<QLabel>(&host, StatusLamps::job(0).first().lamp) };
    auto *label = namedChild<QLabel>(&host, "data_stale");
    const auto *series = qobject_cast<QStackedBarSeries *>(form.cell->chart()->series().first());
    // What the page shows: "" while the values are live, else the stale text; every live value
    // dimmed with it.
    auto shown = [&]() -> QString {
        const bool visible = label->isVisibleTo(&host);
        for (const QWidget *widget : live) {
            if ((widget->graphicsEffect() != nullptr) != visible)
                return widget->objectName() + " does not match the label";
        }
        if ((series->opacity() < 1) != visible)
            return "chart does not match the label";
        return visible ? label->text() : QString();
    };
    const auto since = [](const char *time) {
        return QStringLiteral("自 %1 起无数据").arg(QLatin1String(time));
    };

    page.opened(500, 0);
    for (qint64 at : { 500, 1000 })
        page.watch(at);
    QCOMPARE(shown(), QString());
    page.watch(1500); // three periods since the line opened, and never a record
    QCOMPARE(shown(), QStringLiteral("尚无数据"));
    page.showRecord(values, record, 1600);
    QCOMPARE(shown(), QString());
    // Three periods from the last record, not from the last tick.
    for (qint64 at : { 2000, 2500, 3000 }) {
        page.watch(at);
        QCOMPARE(shown(), QString());
    }
    page.watch(4600);
    QCOMPARE(shown(), since("12:00:01"));
    page.watch(9000); // nothing rebuilt while stale
    QCOMPARE(shown(), since("12:00:01"));
    page.showRecord(values, record, 61000);
    QCOMPARE(shown(), QString());
    page.showRecord(values, record, 62000); // another while live changes nothing
    QCOMPARE(shown(), QString());
    // Closing the line: at once.
    page.closed();
    QCOMPARE(shown(), since("12:01:02"));
    page.watch(99000); // a tick after the close (it is not watched)
    QCOMPARE(shown(), since("12:01:02"));

    // A language change keeps the text, in the new language's words.
    QTranslator english;
    QVERIFY(english.load(QCoreApplication::applicationDirPath() + "/KORVA_Lang.qm"));
    QCoreApplication::installTranslator(&english);
    page.retranslate();
    const QString translated = label->text();
    QCoreApplication::removeTranslator(&english);
    page.retranslate();
    QCOMPARE(translated, QStringLiteral("No data since 12:01:02"));
    QCOMPARE(shown(), since("12:01:02"));

    // Opened again, the old values stay stale until the board answers.
    page.opened(1000, 100000);
    page.watch(101000);
    QCOMPARE(shown(), since("12:01:02"));
    page.showRecord(values, record, 101500);
    QCOMPARE(shown(), QString());
    page.watch(104400);
    QCOMPARE(shown(), QString());
    page.watch(104500);
    QCOMPARE(shown(), since("12:01:41"));
}

void TestRealTimePage::unusedLampsAndRowsSayWhy()
{
    // The alarm lamps no status value drives, and the alarm rows the board neither reports nor
    // takes, say so in a tool tip on each of their widgets; the others do not.
    QSet<QString> unreported, unused;
    for (const char *lamp : StatusLamps::unreportedAlarms())
        unreported << QLatin1String(lamp);
    for (const char *field : ParameterTable::unusedRows())
        unused << QLatin1String(field);
    const auto lamps = child<QGroupBox>("alert_lable")
                           ->findChildren<QLabel *>(QRegularExpression(QStringLiteral("_mask")));
    QCOMPARE(lamps.size(), 9);
    const auto fields = child<QWidget>("tab_7")->findChildren<QLineEdit *>();
    QCOMPARE(fields.size(), 14);
    const auto check = [&](const QString &lampText, const QString &rowText) {
        int dead = 0;
        for (const QLabel *lamp : lamps) {
            QString caption = lamp->objectName();
            caption.replace(QLatin1String("_mask"), QLatin1String("_lable"));
            const bool says = unreported.contains(lamp->objectName());
            dead += says;
            for (const QString &name : { lamp->objectName(), caption })
                QVERIFY2((child<QWidget>(qPrintable(name))->toolTip() == lampText) == says,
                         qPrintable(name));
        }
        QCOMPARE(dead, 5);
        dead = 0;
        for (const QLineEdit *field : fields) {
            const QString name = field->objectName();
            const bool says = unused.contains(name);
            dead += says;
            // The form greys out exactly these rows.
            QVERIFY2(field->testAttribute(Qt::WA_ForceDisabled) == says, qPrintable(name));
            for (const QString &widget : { name, name + "_lable", name + "_btn" })
                QVERIFY2((child<QWidget>(qPrintable(widget))->toolTip() == rowText) == says,
                         qPrintable(widget));
        }
        QCOMPARE(dead, 10);
    };

    check(QStringLiteral("这块板子不报告此报警，指示灯一直是灰色。"),
          QStringLiteral("这块板子不使用此阈值：既不读出，也不写入。"));
    auto *lang = child<QComboBox>("lang");
    const auto chinese = qScopeGuard([lang] { lang->setCurrentIndex(0); });
    lang->setCurrentIndex(1);
    check(
        QStringLiteral("This board does not report this alarm; the lamp stays grey."),
        QStringLiteral("This board does not use this threshold: it is neither read nor written."));
    lang->setCurrentIndex(2);
    check(
        QStringLiteral("Diese Platine meldet diesen Alarm nicht; die Lampe bleibt grau."),
        QStringLiteral("Diese Platine verwendet diese Schwelle nicht: sie wird weder gelesen noch "
                       "geschrieben."));
    QCOMPARE(Unreported::lampText(), child<QLabel>("alsert_dsglt_mask_5")->toolTip());
}

QTEST_MAIN(TestRealTimePage)
#include "tst_realtimepage.moc"
