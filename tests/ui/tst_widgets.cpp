#include "drainevents.h"
#include "lampflasher.h"
#include "messages.h"
#include "nchartview.h"
#include "switchbutton.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

QTimer *animationTimer(SwitchButton &sw)
{
    return sw.findChild<QTimer *>();
}

// One animation tick, as the 30 ms timer would deliver it.
void tick(SwitchButton &sw)
{
    QVERIFY(QMetaObject::invokeMethod(&sw, "updateValue"));
}

void press(QWidget *target, Qt::MouseButton button, QPoint pos)
{
    QMouseEvent event(QEvent::MouseButtonPress, pos, target->mapToGlobal(pos), button, button,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

void moveHeld(QWidget *target, Qt::MouseButtons held, QPoint pos)
{
    QMouseEvent event(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// The clock times at which a label was painted, and the picture it painted last.
class PaintTimes : public QObject
{
public:
    PaintTimes(QLabel *label, const qint64 &clock)
        : m_clock(clock)
    {
        label->installEventFilter(this);
    }
    QVector<qint64> times;
    qint64 lastPicture = 0; // its cache key

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            times.append(m_clock);
            lastPicture = static_cast<QLabel *>(watched)->pixmap(Qt::ReturnByValue).cacheKey();
        }
        return false;
    }

private:
    const qint64 &m_clock;
};

QPixmap filled(Qt::GlobalColor colour)
{
    QPixmap pixmap(40, 40);
    pixmap.fill(colour);
    return pixmap;
}

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void switchPressSlidesInSteps();
    void switchSlidesBack();
    void switchProgrammaticToggles();
    void switchWithoutAnimationJumps();
    void switchNarrowWidthStillArrives();
    void switchTrackAlphaFollowsEnabled();
    void switchCaptionBesideTheSlider_data();
    void switchCaptionBesideTheSlider();
    void chartViewDragsTopLevelWithLeftButtonOnly();
    void messagesRecorderRecordsAndRestores();
    void messagesIdenticalBoxIsNotStacked();
    void lampRepaintsAtMostOncePerFrame();
};

void TestWidgets::switchPressSlidesInSteps()
{
    SwitchButton sw;
    sw.resize(80, 30);
    QSignalSpy spy(&sw, &SwitchButton::statusChanged);
    QVERIFY(!sw.checked());
    QCOMPARE(animationTimer(sw)->interval(), 30);

    press(&sw, Qt::LeftButton, QPoint(10, 10));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QVERIFY(sw.checked());
    QCOMPARE(sw.step(), 8);
    QCOMPARE(sw.endX(), 50);
    QVERIFY(animationTimer(sw)->isActive());

    // 0, 8, ..., 48, then one step past the end, then it settles at the end.
    const int expected[] = { 8, 16, 24, 32, 40, 48, 56, 50 };
    for (int x : expected) {
        tick(sw);
        QCOMPARE(sw.startX(), x);
    }
    QVERIFY(!animationTimer(sw)->isActive());

    // Any button toggles.
    press(&sw, Qt::RightButton, QPoint(10, 10));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);

    // So does Space, once per stroke: a held key's repeats do not flip it back and forth.
    QTest::keyClick(&sw, Qt::Key_Space);
    QCOMPARE(spy.count(), 3);
    QVERIFY(sw.checked());
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QCoreApplication::sendEvent(&sw, &repeat);
    QCOMPARE(spy.count(), 3);
    QVERIFY(sw.focusPolicy() & Qt::TabFocus);
}

void TestWidgets::switchSlidesBack()
{
    SwitchButton sw;
    sw.resize(80, 30);
    sw.setAnimation(false);
    sw.SetActive(true);
    QCOMPARE(sw.startX(), 50);
    sw.setAnimation(true);

    sw.SetActive(false);
    QCOMPARE(sw.endX(), 0);
    const int expected[] = { 42, 34, 26, 18, 10, 2, -6, 0 };
    for (int x : expected) {
        tick(sw);
        QCOMPARE(sw.startX(), x);
    }
    QVERIFY(!animationTimer(sw)->isActive());
}

void TestWidgets::switchProgrammaticToggles()
{
    SwitchButton sw;
    sw.resize(80, 30);
    QSignalSpy spy(&sw, &SwitchButton::statusChanged);

    // setChecked changes the state silently and leaves the slider where it is.
    sw.setChecked(true);
    QVERIFY(sw.checked());
    QCOMPARE(spy.count(), 0);
    QCOMPARE(sw.startX(), 0);
    QVERIFY(!animationTimer(sw)->isActive());

    // SetActive announces the state even when it did not change, and slides.
    sw.SetActive(true);
    sw.SetActive(true);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(1).at(0).toBool(), true);
    QVERIFY(sw.checked());
    QCOMPARE(sw.endX(), 50);
    QVERIFY(animationTimer(sw)->isActive());
    // The slide runs on the real timer and stops at the end.
    QTRY_COMPARE_WITH_TIMEOUT(sw.startX(), 50, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!animationTimer(sw)->isActive(), 5000);
}

void TestWidgets::switchWithoutAnimationJumps()
{
    SwitchButton sw;
    sw.resize(80, 30);
    sw.setAnimation(false);
    press(&sw, Qt::LeftButton, QPoint(5, 5));
    QCOMPARE(sw.startX(), 50);
    QVERIFY(!animationTimer(sw)->isActive());
    press(&sw, Qt::LeftButton, QPoint(5, 5));
    QCOMPARE(sw.startX(), 0);
}

void TestWidgets::switchNarrowWidthStillArrives()
{
    // Below ten pixels a tenth of the width is 0; the slide must still end.
    SwitchButton sw;
    sw.resize(8, 3);
    sw.SetActive(true);
    QVERIFY(sw.step() > 0);
    for (int i = 0; i < 20 && animationTimer(sw)->isActive(); ++i)
        tick(sw);
    QVERIFY(!animationTimer(sw)->isActive());
    QCOMPARE(sw.startX(), 5);
}

void TestWidgets::switchTrackAlphaFollowsEnabled()
{
    // A point of the track's right end, clear of the caption and of the slider (at the left).
    const QPoint probe(76, 15);
    SwitchButton sw;
    sw.resize(80, 30);

    QImage enabled(sw.size(), QImage::Format_ARGB32);
    enabled.fill(Qt::transparent);
    sw.render(&enabled, QPoint(), QRegion(), QWidget::DrawChildren);
    QCOMPARE(qAlpha(enabled.pixel(probe)), 60);

    sw.setEnabled(false);
    QImage disabled(sw.size(), QImage::Format_ARGB32);
    disabled.fill(Qt::transparent);
    sw.render(&disabled, QPoint(), QRegion(), QWidget::DrawChildren);
    QCOMPARE(QColor::fromRgba(disabled.pixel(probe)), QColor(105, 105, 105));
}

void TestWidgets::switchCaptionBesideTheSlider_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("on");
    QTest::addColumn<QString>("caption");
    // The port switch of the top bar, the form's narrowest switch, and captions longer than the
    // free part of the track.
    for (const QSize size : { QSize(100, 36), QSize(80, 30), QSize(80, 24) }) {
        for (const char *caption : { "STOP", "RUN", "STOPPEN", "Verbinden" }) {
            for (bool on : { true, false }) {
                const QByteArray name = QByteArray::number(size.width()) + 'x'
                    + QByteArray::number(size.height()) + ' ' + caption + (on ? " on" : " off");
                QTest::newRow(name.constData()) << size << on << QString::fromLatin1(caption);
            }
        }
    }
}

void TestWidgets::switchCaptionBesideTheSlider()
{
    QFETCH(QSize, size);
    QFETCH(bool, on);
    QFETCH(QString, caption);
    SwitchButton sw;
    sw.resize(size);
    QFont font = sw.font();
    font.setPointSize(12); // the application's style sheet sets 12 pt
    sw.setFont(font);
    sw.setAnimation(false);
    sw.setTextOn(caption);
    sw.setTextOff(caption);
    // The caption in pure red, the slider invisible: every red pixel is the caption's.
    sw.setTextColor(Qt::red);
    sw.setSliderColorOn(Qt::transparent);
    sw.setSliderColorOff(Qt::transparent);
    sw.SetActive(on);

    QImage image(sw.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    sw.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QRect drawn;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 100 && c.green() < 80 && c.blue() < 80)
                drawn |= QRect(x, y, 1, 1);
        }
    }
    // Where the slider rests: inset by its space, a circle as high as the track, at either end.
    const int side = qMin(size.width(), size.height());
    const int diameter = side - 2 * sw.space();
    const QRect slider(on ? size.width() - side + sw.space() : sw.space(), sw.space(), diameter,
                       diameter);
    QVERIFY(!drawn.isEmpty());
    QVERIFY2(!drawn.intersects(slider),
             qPrintable(QStringLiteral("caption %1,%2 %3x%4")
                            .arg(drawn.x())
                            .arg(drawn.y())
                            .arg(drawn.width())
                            .arg(drawn.height())));
    QVERIFY(QRect(QPoint(), size).contains(drawn));
}

void TestWidgets::chartViewDragsTopLevelWithLeftButtonOnly()
{
    QWidget window;
    window.move(100, 100);
    auto *view = new NChartView(&window);
    view->setGeometry(10, 10, 200, 150);
    QCOMPARE(view->dragMode(), QGraphicsView::NoDrag);
    QWidget *viewport = view->viewport();

    press(viewport, Qt::LeftButton, QPoint(20, 20));
    moveHeld(viewport, Qt::LeftButton, QPoint(50, 35));
    QCOMPARE(window.pos(), QPoint(130, 115));

    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(50, 35), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);

    press(viewport, Qt::RightButton, QPoint(20, 20));
    moveHeld(viewport, Qt::RightButton, QPoint(80, 80));
    QCOMPARE(window.pos(), QPoint(130, 115));

    // A move without a button held does nothing either.
    moveHeld(viewport, Qt::NoButton, QPoint(90, 90));
    QCOMPARE(window.pos(), QPoint(130, 115));
}

void TestWidgets::messagesRecorderRecordsAndRestores()
{
    int outerCalls = 0;
    Messages::setPresenter([&outerCalls](QWidget *, Messages::Kind, const QString &,
                                         const QString &) { ++outerCalls; });
    {
        Messages::Recorder recorder;
        Messages::warning(nullptr, QStringLiteral("Warning"), QStringLiteral("a"));
        Messages::critical(nullptr, QStringLiteral("Error"), QStringLiteral("b"));
        Messages::about(nullptr, QStringLiteral("About"), QStringLiteral("<b>c"));
        QCOMPARE(recorder.entries().size(), 3);
        QCOMPARE(recorder.entries().at(0).kind, Messages::Kind::Warning);
        QCOMPARE(recorder.entries().at(1).kind, Messages::Kind::Critical);
        QCOMPARE(recorder.entries().at(1).title, QStringLiteral("Error"));
        QCOMPARE(recorder.entries().at(2).kind, Messages::Kind::About);
        QCOMPARE(recorder.entries().at(2).text, QStringLiteral("<b>c"));
        QCOMPARE(outerCalls, 0);
    }
    Messages::information(nullptr, QStringLiteral("t"), QStringLiteral("x"));
    QCOMPARE(outerCalls, 1);
    Messages::setPresenter({});
}

void TestWidgets::messagesIdenticalBoxIsNotStacked()
{
    // A box's nested event loop may ask for the same box again (a timer firing while it is
    // open); the same box must not pile up, a different one may.
    QStringList shown;
    Messages::setPresenter(
        [&shown](QWidget *, Messages::Kind, const QString &title, const QString &text) {
            shown.append(title + QLatin1Char('/') + text);
            if (shown.size() == 1) {
                Messages::warning(nullptr, QStringLiteral("Warning"), QStringLiteral("same"));
                Messages::critical(nullptr, QStringLiteral("Warning"), QStringLiteral("same"));
                Messages::warning(nullptr, QStringLiteral("Warning"), QStringLiteral("other"));
            }
        });
    Messages::warning(nullptr, QStringLiteral("Warning"), QStringLiteral("same"));
    QCOMPARE(shown,
             QStringList({ QStringLiteral("Warning/same"), QStringLiteral("Warning/same"),
                           QStringLiteral("Warning/other") }));
    // Once closed, the same box can be shown again.
    Messages::warning(nullptr, QStringLiteral("Warning"), QStringLiteral("same"));
    QCOMPARE(shown.size(), 4);
    Messages::setPresenter({});
}

void TestWidgets::lampRepaintsAtMostOncePerFrame()
{
    QWidget host;
    auto *lamp = new QLabel(&host);
    lamp->setGeometry(0, 0, 20, 20);
    lamp->setScaledContents(true);
    const QPixmap on = filled(Qt::green), off = filled(Qt::gray);
    lamp->setPixmap(off);
    host.show();

    qint64 now = 1000;
    LampFlasher flasher;
    flasher.setClock([&now] { return now; });
    flasher.show(lamp, off);
    drainEvents();
    PaintTimes paints(lamp, now); // after the flasher's filter, so it sees each paint first
    const auto holds = [lamp](const QPixmap &pixmap) {
        return lamp->pixmap(Qt::ReturnByValue).cacheKey() == pixmap.cacheKey();
    };
    // The clock a millisecond at a time up to `until`, with the flasher's work when it is due
    // and a flash at each time in `flashes` (after the work due then, as a timer and a reply
    // that come due together are taken).
    const auto run = [&](qint64 until, const QVector<qint64> &flashes, int interval) {
        for (; now <= until; ++now) {
            if (flasher.due() >= 0 && flasher.due() <= now)
                flasher.tick();
            if (flashes.contains(now)) {
                flasher.flash(lamp, on, off, interval);
                QVERIFY(holds(on)); // the label holds each flash at once
            }
            drainEvents();
        }
    };

    // A quiet lamp is repainted at once; a change within the frame waits for its end.
    flasher.show(lamp, on);
    run(1000, {}, 0);
    QCOMPARE(paints.times, QVector<qint64>({ 1000 }));
    now = 1005;
    flasher.show(lamp, off);
    QVERIFY(holds(off));
    run(1030, {}, 0);
    QCOMPARE(paints.times, QVector<qint64>({ 1000, 1016 }));
    // Off and on again within a frame: the frame ends as it was painted, and nothing is.
    run(1040, { 1040 }, 100);
    now = 1045;
    flasher.show(lamp, off);
    run(1139, { 1050 }, 100);
    QCOMPARE(paints.times, QVector<qint64>({ 1000, 1016, 1040 }));
    // The first of the two flashes falls back at its own time, the second 100 ms after itself.
    run(1200, {}, 0);
    QCOMPARE(paints.times, QVector<qint64>({ 1000, 1016, 1040, 1140 }));
    QVERIFY(holds(off));
    run(1400, { 1300 }, 50);
    QCOMPARE(paints.times.mid(4), QVector<qint64>({ 1300, 1350 }));

    // A burst every 5 ms for half a second, each falling back 102 ms later, so that the lamp
    // goes off and on again every few milliseconds from the first fall-back to the last burst:
    // at most one repaint a frame, where each burst used to cost two. The lamp goes off for good
    // with the fall-back of the burst a hundred milliseconds before the last.
    paints.times.clear();
    QVector<qint64> bursts;
    for (qint64 at = 2000; at < 2500; at += 5)
        bursts.append(at);
    run(2700, bursts, 102);
    QVERIFY(holds(off));
    QVERIFY2(paints.times.size() >= 4, qPrintable(QString::number(paints.times.size())));
    QVERIFY2(paints.times.size() <= 500 / LampFlasher::FrameMs + 1,
             qPrintable(QString::number(paints.times.size())));
    for (int i = 1; i < paints.times.size(); ++i)
        QVERIFY2(paints.times[i] - paints.times[i - 1] >= LampFlasher::FrameMs,
                 qPrintable(QString::number(paints.times[i])));
    QVERIFY(paints.times.last() <= 2497 + LampFlasher::FrameMs);
    QCOMPARE(paints.lastPicture, off.cacheKey());
    QCOMPARE(flasher.due(), -1);

    // A lamp that is gone is forgotten, and so is a flash of no lamp.
    delete lamp;
    flasher.flash(nullptr, on, off, 10);
    run(2800, {}, 0);
    QCOMPARE(flasher.due(), -1);
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
