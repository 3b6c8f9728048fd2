#pragma once

#include <QHash>
#include <QObject>
#include <QPair>
#include <QPixmap>
#include <QPointer>
#include <QVector>

#include <functional>

class QLabel;
class QTimer;

// The lamps that flash (a frame sent or received, a time-out, a read): each flash shows its
// picture at once and falls back to another after its own interval; flashes of the same lamp do
// not cancel each other.
//
// A busy line flashes a lamp every few milliseconds, and a label repaints itself (and the window
// beneath it) for each picture it is given. Here the label takes each picture at once, so that
// what it holds is always the lamp's state, but the screen follows once per display frame: a lamp
// is repainted at most once a frame, and not at all when it ends the frame as it was painted. A
// lamp quiet for a frame is repainted at once. Fall-backs are applied in time order with the
// flashes; those that come due while a frame is not over are applied at its end.
class LampFlasher : public QObject
{
    Q_OBJECT

public:
    // A display frame, in milliseconds (about 60 a second).
    static constexpr int FrameMs = 16;
    // Milliseconds on a steady clock.
    using Clock = std::function<qint64()>;

    explicit LampFlasher(QObject *parent = nullptr);
    ~LampFlasher() override;

    // Tests set the time; by default it is a steady clock started with the flasher.
    void setClock(Clock clock);

    // Shows onPixmap now and offPixmap after interval milliseconds. No label: nothing.
    void flash(QLabel *label, const QPixmap &onPixmap, const QPixmap &offPixmap, int interval);
    // Shows pixmap now; the label's flashes still to fall back keep their times.
    void show(QLabel *label, const QPixmap &pixmap);

    // When, on the clock, the flasher next has work (a fall-back, or a frame's end with a lamp
    // still to repaint); -1 when it has none. Its own timer then calls tick(), which does what
    // is due at the clock's time and nothing else: a test that sets the clock may call it too.
    qint64 due() const;
    void tick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Lamp
    {
        QPointer<QLabel> label;
        QVector<QPair<qint64, QPixmap>> fallBacks; // when, to what; in time order
        qint64 shown = 0; // the picture the screen shows or has been asked to show (cache key)
    };
    Lamp &lampOf(QLabel *label);
    void setPicture(Lamp &lamp, const QPixmap &pixmap);
    void fallBack(Lamp &lamp, qint64 now);
    void settle(qint64 now);
    void arm(qint64 now);
    bool paint(QLabel *label);
    qint64 now() const;

    QHash<QLabel *, Lamp> m_lamps;
    QTimer *m_timer = nullptr; // the end of the frame, or the next fall-back
    qint64 m_nextFrame; // lamps may be repainted again from then on
    qint64 m_armedFor = 0;
    Clock m_clock;
    // The pictures as the labels draw them, by the picture's cache key and the size drawn.
    QHash<QPair<qint64, qint64>, QPixmap> m_scaled;
};
