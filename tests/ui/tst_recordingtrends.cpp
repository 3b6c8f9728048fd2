// The trends page in the window: the live trend fed by every reply, and recordings of the log
// opened into the charts.
#include "crc.h"
#include "datalog.h"
#include "filedialogs.h"
#include "isolatedsettings.h"
#include "mainwindow.h"
#include "messages.h"
#include "namedchild.h"
#include "recording.h"
#include "requestscheduler.h"
#include "switchbutton.h"
#include "trendbuffer.h"
#include "trendview.h"

#include <QDir>
#include <QFileDialog>
#include <QGraphicsPathItem>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtTest>

#include <cmath>
#include <memory>

QT_CHARTS_USE_NAMESPACE

namespace {

QByteArray hex(quint32 value, int width)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(width, '0');
}

// A real-time reply of board 01: pack voltage in mV, current in mA, state of charge.
QByteArray reply(int packMv, qint32 currentMa, int soc)
{
    QByteArray block;
    for (int k = 0; k < 25; ++k)
        block += hex(3300 + k, 4);
    for (int t = 0; t < 6; ++t)
        block += hex(6500 + 100 * t, 4); // 25.00 degC and up
    block += "00011" + hex(quint32(currentMa), 8) + hex(0, 24) + hex(12, 4) + hex(0, 4);
    block += hex(packMv, 4) + hex(3312, 4) + hex(3324, 4) + hex(3300, 4) + hex(0, 12);
    block += hex(soc, 2) + hex(16, 2) + hex(100, 2) + hex(0, 8);
    const QByteArray span = ":Y+01+51+" + block;
    const uint16_t crc =
        CRC::CRC16(reinterpret_cast<const unsigned char *>(span.constData()), span.size());
    return span + '+' + hex(crc, 4) + '~';
}

} // namespace

class TestRecordingTrends : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void liveTrendIsDrawnOnlyWhileShown();
    void liveTrendIsStampedByTheMonotonicClock();
    void openedRecordingFillsTheTrends();
    void chartsZoomPanHoverAndSwitchSeries();
    void linesBreakWhereNoSampleCame();
    void openDialogShowsWholeRecordingNames();

private:
    template<typename T>
    T *child(const char *name)
    {
        return namedChild<T>(window.get(), name);
    }
    void send(int packMv = 52000, qint32 currentMa = -1500, int soc = 87)
    {
        emit window->dataReceived(reply(packMv, currentMa, soc));
    }
    void setLogging(bool on)
    {
        if ((child<QPushButton>("btn_log")->text() == QStringLiteral("STOP")) != on)
            child<QPushButton>("btn_log")->click();
    }
    QStringList recordings() const
    {
        return QDir(settings->recordings()).entryList({ "*.csv" }, QDir::Files, QDir::Name);
    }
    DataLog *log() { return qobject_cast<DataLog *>(child<QTableView>("data_view")->model()); }
    TrendView *trends() { return child<TrendView>("trend_view"); }
    QLineSeries *series(const char *chart, int index)
    {
        return qobject_cast<QLineSeries *>(child<QChartView>(chart)->chart()->series().at(index));
    }
    // A series as drawn: its lines, each a list of points in the series' values (ms, value).
    // The lines are paths in the plot area, in the series' colour.
    QVector<QVector<QPointF>> drawn(const char *chart, int index)
    {
        QChart *c = child<QChartView>(chart)->chart();
        QLineSeries *s = series(chart, index);
        for (QGraphicsItem *item : c->childItems()) {
            if (!(item->flags() & QGraphicsItem::ItemClipsChildrenToShape))
                continue;
            for (QGraphicsItem *child : item->childItems()) {
                auto *line = dynamic_cast<QGraphicsPathItem *>(child);
                if (!line || line->pen().color() != s->pen().color() || !line->isVisible())
                    continue;
                QVector<QVector<QPointF>> lines;
                const QPainterPath &path = line->path();
                for (int e = 0; e < path.elementCount(); ++e) {
                    const QPainterPath::Element element = path.elementAt(e);
                    if (element.isMoveTo())
                        lines.append(QVector<QPointF>());
                    lines.last() << c->mapToValue(line->mapToItem(c, QPointF(element)), s);
                }
                return lines;
            }
        }
        return {};
    }
    QVector<QPointF> drawnPoints(const char *chart, int index)
    {
        QVector<QPointF> all;
        for (const QVector<QPointF> &line : drawn(chart, index))
            all += line;
        return all;
    }
    // The value of the first point drawn, to a millionth.
    double firstValue(const char *chart, int index)
    {
        const QVector<QPointF> points = drawnPoints(chart, index);
        return points.isEmpty() ? qQNaN() : std::round(points.first().y() * 1e6) / 1e6;
    }
    void showTrendsPage()
    {
        child<QTabWidget>("tab_widget")->setCurrentWidget(child<QWidget>("tab_trend"));
        QCoreApplication::processEvents(); // laid out: the charts know their plot areas
    }

    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<Messages::Recorder> boxes;
    std::unique_ptr<MainWindow> window;
};

void TestRecordingTrends::initTestCase()
{
    qunsetenv("ARVEX_EXTRA_PORTS");
    settings = std::make_unique<IsolatedSettings>();
    boxes = std::make_unique<Messages::Recorder>();
    window = std::make_unique<MainWindow>();
    window->show();
}

void TestRecordingTrends::init()
{
    setLogging(false);
    child<QPushButton>("data_clean")->click();
    QDir(settings->recordings()).removeRecursively();
    if (!child<SwitchButton>("data_record")->checked())
        child<SwitchButton>("data_record")->SetActive(true);
    boxes->clear();
}

void TestRecordingTrends::cleanupTestCase()
{
    window.reset();
    boxes.reset();
    settings.reset();
}

void TestRecordingTrends::liveTrendIsDrawnOnlyWhileShown()
{
    // Replies feed the trend whether or not they are logged; the charts draw them only on screen.
    QVERIFY(child<QPushButton>("trend_5min")->isChecked());
    showTrendsPage();
    child<QTabWidget>("tab_widget")->setCurrentIndex(0);
    const int before = drawnPoints("trend_chart_power", 0).size();
    send(51000);
    send(51500);
    QCOMPARE(drawnPoints("trend_chart_power", 0).size(), before);
    showTrendsPage();
    const QVector<QPointF> voltage = drawnPoints("trend_chart_power", 0);
    QVERIFY(voltage.size() > before);
    // The lowest voltage so far is drawn, whichever pixel column it shares.
    QVERIFY(std::any_of(voltage.begin(), voltage.end(),
                        [](const QPointF &p) { return qAbs(p.y() - 51.0) < 1e-6; }));
    QCOMPARE(trends()->buffer()->sampleAt(trends()->buffer()->size() - 1).values[0], 51500);
    QCOMPARE(firstValue("trend_chart_power", 1), -1.5);
    QCOMPARE(firstValue("trend_chart_soc", 0), 87.0);
    QCOMPARE(firstValue("trend_chart_cells", 0), 3324.0);
    QCOMPARE(firstValue("trend_chart_temperatures", 5), 25.0); // the environment
    QCOMPARE(log()->count(), 0);
    child<QTabWidget>("tab_widget")->setCurrentIndex(0);
}

void TestRecordingTrends::liveTrendIsStampedByTheMonotonicClock()
{
    // Replies half a second apart on the window's clock are half a second apart in the trend,
    // whatever the wall clock does meanwhile.
    qint64 now = 1000;
    window->setClock([&now] { return now; });
    const TrendBuffer *live = trends()->buffer();
    for (int i = 0; i < 3; ++i) {
        send();
        now += 500;
    }
    window->setClock(RequestScheduler::steadyClock());
    QCOMPARE(live->timeAt(live->size() - 1) - live->timeAt(live->size() - 2), qint64(500));
    QCOMPARE(live->timeAt(live->size() - 2) - live->timeAt(live->size() - 3), qint64(500));
    // Anchored to the wall clock when the clock was set.
    QVERIFY(qAbs(live->timeAt(live->size() - 3) - QDateTime::currentMSecsSinceEpoch()) < 60000);
}

void TestRecordingTrends::openedRecordingFillsTheTrends()
{
    // A recording of three rows, opened from the trends page.
    setLogging(true);
    send(50000, 2000, 40);
    send(50100, 2000, 41);
    send(50200, 2000, 42);
    setLogging(false);
    const QString recorded = settings->recordings() + '/' + recordings().value(0);
    showTrendsPage();

    FileDialogs::Answerer answer(recorded);
    child<QPushButton>("trend_open")->click();
    QCOMPARE(answer.questions().size(), 1);
    QCOMPARE(answer.questions().at(0).kind, FileDialogs::Kind::Open);
    QCOMPARE(answer.questions().at(0).dir, settings->recordings());
    QVERIFY(boxes->entries().isEmpty());
    QCOMPARE(trends()->buffer()->size(), 3);
    QCOMPARE(trends()->span(), TrendView::Span::Everything);
    QVERIFY(child<QPushButton>("trend_all")->isChecked());
    QVERIFY(child<QPushButton>("trend_live")->isEnabled());
    const QString source = child<QLabel>("trend_source")->text();
    QVERIFY2(source.startsWith(QFileInfo(recorded).fileName()) && source.contains("3 行"),
             qPrintable(source));
    // Rows taken within one pixel column show as their lowest and highest value.
    QVector<QPointF> soc = drawnPoints("trend_chart_soc", 0);
    QVERIFY(soc.size() >= 2);
    QCOMPARE(firstValue("trend_chart_soc", 0), 40.0);
    QVERIFY(qAbs(soc.last().y() - 42.0) < 1e-6);
    QCOMPARE(firstValue("trend_chart_power", 0), 50.0);

    // A broken file: one message naming its line, and the charts keep the recording.
    QTemporaryDir dir;
    // A copy of the recording with more bytes at its end.
    const auto copyWith = [&](const char *name, const QByteArray &end) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        QFile source(recorded);
        if (source.open(QIODevice::ReadOnly) && file.open(QIODevice::WriteOnly))
            file.write(source.readAll() + end);
        return path;
    };
    const QString broken = copyWith("broken.csv", "\"2026-12-07\",\"10:00:00.000\",\"1\"\n");
    answer.setAnswer(broken);
    child<QPushButton>("trend_open")->click();
    QCOMPARE(boxes->entries().size(), 1);
    QCOMPARE(boxes->entries().at(0).title, QStringLiteral("打开失败"));
    QVERIFY2(boxes->entries().at(0).text.contains(QStringLiteral("第 5 行")),
             qPrintable(boxes->entries().at(0).text));
    QCOMPARE(trends()->buffer()->size(), 3);
    QCOMPARE(firstValue("trend_chart_soc", 0), 40.0);

    // A recording whose last line was cut short (a full disk): its whole rows are shown, and one
    // message says what was left out.
    boxes->clear();
    const QString cut = copyWith("cut.csv", "\"2026-12-07\",\"10:00:0");
    answer.setAnswer(cut);
    child<QPushButton>("trend_open")->click();
    QCOMPARE(trends()->buffer()->size(), 3);
    QVERIFY(child<QLabel>("trend_source")->text().startsWith("cut.csv"));
    QCOMPARE(boxes->entries().size(), 1);
    QCOMPARE(boxes->entries().at(0).title, QStringLiteral("记录未完整载入"));
    const QString note = boxes->entries().at(0).text;
    QVERIFY2(note.contains(QDir::toNativeSeparators(cut)) && note.contains(QStringLiteral("3 行"))
                 && note.contains(QStringLiteral("第 5 行")),
             qPrintable(note));

    // Back to the live data.
    child<QPushButton>("trend_live")->click();
    QVERIFY(!child<QPushButton>("trend_live")->isEnabled());
    QVERIFY(trends()->buffer()->size() > 3);
    child<QTabWidget>("tab_widget")->setCurrentIndex(0);
}

void TestRecordingTrends::chartsZoomPanHoverAndSwitchSeries()
{
    // A long recording: far more samples than pixel columns.
    constexpr int Rows = 4000;
    DataLog big;
    cell record;
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - 86400000;
    for (int i = 0; i < Rows; ++i) {
        record.totalv = 50000 + (i * 7919) % 4000;
        record.soc = i / 40;
        big.append(record, QDateTime::fromMSecsSinceEpoch(start + i * 300, Qt::UTC));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("big.csv");
    QVERIFY(big.writeCsv(path));
    showTrendsPage();
    FileDialogs::Answerer answer(path);
    child<QPushButton>("trend_open")->click();
    QCOMPARE(trends()->buffer()->size(), Rows);

    auto *view = child<QChartView>("trend_chart_power");
    QLineSeries *voltage = series("trend_chart_power", 0);
    const qreal columns = view->chart()->plotArea().width();
    QVERIFY(columns > 100);
    const int points = drawnPoints("trend_chart_power", 0).size();
    QVERIFY2(points > 100 && points <= 2 * columns + 2, qPrintable(QString::number(points)));

    // The wheel zooms in around the pointer and frees the view from its button.
    const qint64 span = trends()->windowTo() - trends()->windowFrom();
    const QPoint middle = view->mapFromScene(view->chart()->plotArea().center());
    QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->viewport(), &wheel);
    QCOMPARE(trends()->span(), TrendView::Span::Free);
    QVERIFY(!child<QPushButton>("trend_all")->isChecked());
    const qint64 zoomed = trends()->windowTo() - trends()->windowFrom();
    QVERIFY(qAbs(zoomed - qint64(span * 0.8)) < 1000);

    // Dragging to the right shows earlier samples.
    const qint64 from = trends()->windowFrom();
    const QPoint windowAt = window->pos();
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, middle);
    QMouseEvent drag(QEvent::MouseMove, middle + QPoint(100, 0),
                     view->viewport()->mapToGlobal(middle + QPoint(100, 0)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &drag);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, middle + QPoint(100, 0));
    QVERIFY(trends()->windowFrom() < from);
    QCOMPARE(trends()->windowTo() - trends()->windowFrom(), zoomed);
    QCOMPARE(window->pos(), windowAt); // unlike the cell chart, this drag does not move the window

    // Hovering shows the values of the nearest sample in every chart.
    trends()->hoverAt(trends()->buffer()->timeAt(1000));
    QStringList shown;
    for (QGraphicsItem *item : view->scene()->items()) {
        if (auto *text = dynamic_cast<QGraphicsSimpleTextItem *>(item); text && text->isVisible())
            shown << text->text();
    }
    const QString volts = QString::number((50000 + (1000 * 7919) % 4000) / 1000.0, 'f', 2);
    QVERIFY2(shown.join('|').contains(volts + " V"), qPrintable(shown.join('|')));

    // A click on a legend entry switches its series off and on.
    const auto clickLegendEntry = [view](const QString &name) {
        for (QGraphicsItem *item : view->scene()->items()) {
            auto *label = dynamic_cast<QGraphicsTextItem *>(item);
            if (!label || label->toPlainText() != name)
                continue;
            const QPoint at = view->mapFromScene(label->sceneBoundingRect().center());
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            return true;
        }
        return false;
    };
    const qint64 before = trends()->windowFrom();
    QVERIFY(clickLegendEntry(voltage->name()));
    QVERIFY(!voltage->isVisible());
    QVERIFY(view->chart()->legend()->markers(voltage).at(0)->isVisible());
    QVERIFY(clickLegendEntry(voltage->name()));
    QVERIFY(voltage->isVisible());
    QCOMPARE(trends()->windowFrom(), before); // not taken for a drag

    // The last five minutes, up to the next round ten seconds.
    child<QPushButton>("trend_5min")->click();
    QCOMPARE(trends()->windowTo() - trends()->windowFrom(), qint64(5 * 60 * 1000));
    const qint64 ahead = trends()->windowTo() - trends()->buffer()->lastTime();
    QVERIFY2(ahead >= 0 && ahead < 10000, qPrintable(QString::number(ahead)));
    QCOMPARE(QDateTime::fromMSecsSinceEpoch(trends()->windowTo()).time().second() % 10, 0);
    child<QPushButton>("trend_live")->click();
    child<QTabWidget>("tab_widget")->setCurrentIndex(0);
}

void TestRecordingTrends::linesBreakWhereNoSampleCame()
{
    // A recording with the port closed for a minute, and a single reply between two long
    // silences: three lines and a dot, not one line across.
    DataLog log;
    cell record;
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - 3600000;
    qint64 t = start;
    QVector<qint64> lineStarts{ t };
    for (int i = 0; i < 300; ++i) {
        if (i == 100 || i == 200 || i == 201) {
            t += 60000;
            lineStarts << t;
        }
        record.soc = 20 + i % 50;
        log.append(record, QDateTime::fromMSecsSinceEpoch(t, Qt::UTC));
        t += 500;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("gaps.csv");
    QVERIFY(log.writeCsv(path));
    showTrendsPage();
    FileDialogs::Answerer answer(path);
    child<QPushButton>("trend_open")->click();
    QCOMPARE(trends()->buffer()->size(), 300);

    const QVector<QVector<QPointF>> lines = drawn("trend_chart_soc", 0);
    QCOMPARE(lines.size(), 4);
    for (int i = 0; i < lines.size(); ++i) {
        // Each line begins with the first sample after its gap (to a pixel's worth of time).
        const qint64 pixel = (trends()->windowTo() - trends()->windowFrom()) / 300;
        QVERIFY2(qAbs(qint64(lines[i].first().x()) - lineStarts[i]) < pixel,
                 qPrintable(QString::number(qint64(lines[i].first().x()) - lineStarts[i])));
        if (i + 1 < lines.size())
            QVERIFY(lines[i].last().x() < lineStarts[i + 1] - 30000);
    }
    QCOMPARE(lines[2].size(), 2); // the single sample, drawn as a dot
    child<QPushButton>("trend_live")->click();
    child<QTabWidget>("tab_widget")->setCurrentIndex(0);
}

void TestRecordingTrends::openDialogShowsWholeRecordingNames()
{
    // The dialog of "打开记录" as it opens (Qt's own: offscreen has no other), on a folder with a
    // recording: its whole name and its date are in view. The offscreen screen is 800 pixels
    // wide, and the dialog keeps within it: the font here is of a desktop's size.
    const QFont before = QApplication::font();
    const auto restore = qScopeGuard([before] { QApplication::setFont(before); });
    QFont font = before;
    font.setPixelSize(11);
    QApplication::setFont(font);
    QTemporaryDir dir;
    const QString name = Recording::fileName(QDateTime(QDate(2026, 12, 7), QTime(14, 30, 5)), 1);
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const auto dialog =
        FileDialogs::prepare(FileDialogs::Kind::Open, window.get(), QStringLiteral("打开记录"),
                             dir.path(), QStringLiteral("CSV Files (*.csv)"));
    dialog->show();
    auto *list = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    QVERIFY(list && list->isVisible());
    QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 1);
    const QModelIndex shown = list->model()->index(0, 0, list->rootIndex());
    QCOMPARE(shown.data().toString(), name);

    const QFontMetrics metrics(list->font());
    const int icon = list->style()->pixelMetric(QStyle::PM_SmallIconSize);
    const QRect nameCell = list->visualRect(shown);
    QVERIFY2(nameCell.width() >= icon + metrics.horizontalAdvance(name),
             qPrintable(QString::number(nameCell.width())));
    const QModelIndex date = shown.siblingAtColumn(3);
    const QRect dateCell = list->visualRect(date);
    QVERIFY2(dateCell.width() >= metrics.horizontalAdvance(date.data().toString()),
             qPrintable(date.data().toString()));
    QVERIFY2(dateCell.right() < list->viewport()->width(),
             qPrintable(
                 QStringLiteral("%1 of %2").arg(dateCell.right()).arg(list->viewport()->width())));
    dialog->close();
}

QTEST_MAIN(TestRecordingTrends)
#include "tst_recordingtrends.moc"
