#include "lampflasher.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <memory>

namespace {
constexpr qint64 Never = std::numeric_limits<qint64>::max();

qint64 keyOf(const QLabel *label)
{
    return label->pixmap(Qt::ReturnByValue).cacheKey();
}
} // namespace

LampFlasher::LampFlasher(QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
    , m_nextFrame(std::numeric_limits<qint64>::min())
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &LampFlasher::tick);
    auto steady = std::make_shared<QElapsedTimer>();
    steady->start();
    m_clock = [steady] { return steady->elapsed(); };
}

LampFlasher::~LampFlasher() = default;

void LampFlasher::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

qint64 LampFlasher::now() const
{
    return m_clock();
}

void LampFlasher::flash(QLabel *label, const QPixmap &onPixmap, const QPixmap &offPixmap,
                        int interval)
{
    if (!label)
        return;
    const qint64 t = now();
    Lamp &lamp = lampOf(label);
    fallBack(lamp, t); // what fell back before this flash stays behind it
    setPicture(lamp, onPixmap);
    const qint64 at = t + interval;
    const auto later = std::upper_bound(
        lamp.fallBacks.begin(), lamp.fallBacks.end(), at,
        [](qint64 time, const QPair<qint64, QPixmap> &f) { return time < f.first; });
    lamp.fallBacks.insert(later, qMakePair(at, offPixmap));
    settle(t);
}

void LampFlasher::show(QLabel *label, const QPixmap &pixmap)
{
    if (!label)
        return;
    const qint64 t = now();
    Lamp &lamp = lampOf(label);
    fallBack(lamp, t);
    setPicture(lamp, pixmap);
    settle(t);
}

LampFlasher::Lamp &LampFlasher::lampOf(QLabel *label)
{
    Lamp &lamp = m_lamps[label];
    if (lamp.label != label) { // a new lamp, or another label made where a deleted one was
        lamp.label = label;
        lamp.fallBacks.clear();
        lamp.shown = keyOf(label);
        label->installEventFilter(this);
    }
    return lamp;
}

void LampFlasher::setPicture(Lamp &lamp, const QPixmap &pixmap)
{
    QLabel *label = lamp.label;
    if (keyOf(label) == pixmap.cacheKey())
        return;
    // A label asks to be repainted for every picture it is given; the frame asks once for all of
    // them. The flag is the one setUpdatesEnabled(false) sets, cleared without the repaint that
    // setUpdatesEnabled(true) would ask for.
    const bool quiet = !label->testAttribute(Qt::WA_UpdatesDisabled);
    if (quiet)
        label->setAttribute(Qt::WA_UpdatesDisabled, true);
    label->setPixmap(pixmap);
    if (quiet)
        label->setAttribute(Qt::WA_UpdatesDisabled, false);
}

void LampFlasher::fallBack(Lamp &lamp, qint64 now)
{
    while (!lamp.fallBacks.isEmpty() && lamp.fallBacks.first().first <= now) {
        setPicture(lamp, lamp.fallBacks.first().second);
        lamp.fallBacks.removeFirst();
    }
}

qint64 LampFlasher::due() const
{
    return m_timer->isActive() ? m_armedFor : -1;
}

void LampFlasher::tick()
{
    settle(now());
}

void LampFlasher::settle(qint64 t)
{
    if (t >= m_nextFrame) {
        bool repainted = false;
        for (auto it = m_lamps.begin(); it != m_lamps.end();) {
            if (!it->label) {
                it = m_lamps.erase(it);
                continue;
            }
            fallBack(*it, t);
            const qint64 key = keyOf(it->label);
            if (key != it->shown) {
                it->shown = key;
                it->label->update();
                repainted = true;
            }
            ++it;
        }
        if (repainted)
            m_nextFrame = t + FrameMs;
    }
    arm(t);
}

void LampFlasher::arm(qint64 t)
{
    // The next frame for a lamp that changed since it was painted; otherwise the first fall-back,
    // or the end of the frame it comes due in.
    qint64 next = Never;
    for (const Lamp &lamp : qAsConst(m_lamps)) {
        if (!lamp.label)
            continue;
        if (keyOf(lamp.label) != lamp.shown)
            next = std::min(next, m_nextFrame);
        if (!lamp.fallBacks.isEmpty())
            next = std::min(next, std::max(lamp.fallBacks.first().first, m_nextFrame));
    }
    if (next == Never) {
        m_timer->stop();
        return;
    }
    if (m_timer->isActive() && m_armedFor == next)
        return;
    m_armedFor = next;
    m_timer->start(
        int(std::min<qint64>(std::max<qint64>(0, next - t), std::numeric_limits<int>::max())));
}

bool LampFlasher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        auto *label = qobject_cast<QLabel *>(watched);
        const auto it = m_lamps.find(label);
        if (label && it != m_lamps.end() && it->label == label) {
            it->shown = keyOf(label);
            return paint(label);
        }
    }
    return QObject::eventFilter(watched, event);
}

bool LampFlasher::paint(QLabel *label)
{
    // A lamp's label scales its picture down anew each time the picture changes, which a
    // flashing lamp's does all the time. The few pictures are scaled once, as the label would
    // scale them, and drawn as they are.
    const QPixmap picture = label->pixmap(Qt::ReturnByValue);
    if (picture.isNull() || !label->hasScaledContents() || !label->isEnabled())
        return false; // the label paints itself
    const QRect area = label->contentsRect();
    const qreal ratio = label->devicePixelRatioF();
    const QSize size = area.size() * ratio;
    QPixmap &scaled =
        m_scaled[qMakePair(picture.cacheKey(), (qint64(size.width()) << 32) | size.height())];
    if (scaled.size() != size) {
        scaled = QPixmap::fromImage(
            picture.toImage().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        scaled.setDevicePixelRatio(ratio);
    }
    QPainter painter(label);
    painter.drawPixmap(area.topLeft(), scaled);
    return true;
}
