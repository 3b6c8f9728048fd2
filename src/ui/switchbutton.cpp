#include "switchbutton.h"

#include <QDebug>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <algorithm>

SwitchButton::SwitchButton(QWidget *parent)
    : QWidget(parent)
    , m_space(2)
    , m_radius(5)
    , m_checked(false)
    , m_showText(true)
    , m_showCircle(false)
    , m_animation(true)
    , m_bgColorOn(5, 235, 2)
    , m_bgColorOff(105, 105, 105)
    , m_sliderColorOn(255, 255, 255)
    , m_sliderColorOff(255, 255, 255)
    , m_textColor(255, 255, 255)
    , m_textOn(QStringLiteral("STOP"))
    , m_textOff(QStringLiteral("RUN"))
    , m_timer(new QTimer(this))
    , m_step(0)
    , m_startX(0)
    , m_endX(0)
{
    m_timer->setInterval(30);
    connect(m_timer, &QTimer::timeout, this, &SwitchButton::updateValue);
    // Reached by Tab like any button; a click focuses it too.
    setFocusPolicy(Qt::StrongFocus);
}

// The animation timer is a child and goes with the widget.
SwitchButton::~SwitchButton() = default;

void SwitchButton::SetActive(bool checked)
{
    m_checked = checked;
    emit statusChanged(m_checked);
    moveSlider();
}

void SwitchButton::mousePressEvent(QMouseEvent *)
{
    toggle();
}

void SwitchButton::keyPressEvent(QKeyEvent *event)
{
    // A held key would toggle the port on and off at the keyboard's repeat rate.
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        toggle();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SwitchButton::toggle()
{
    m_checked = !m_checked;
    emit statusChanged(m_checked);
    moveSlider();
}

void SwitchButton::moveSlider()
{
    // A tenth of the width per tick; at least one pixel, so a very narrow switch still arrives.
    m_step = std::max(1, width() / 10);
    m_endX = m_checked ? width() - height() : 0;
    if (m_animation) {
        m_timer->start();
    } else {
        m_startX = m_endX;
        update();
    }
}

void SwitchButton::updateValue()
{
    // The last step may overshoot the end by less than one step; the next tick snaps it back.
    if (m_checked) {
        if (m_startX < m_endX) {
            m_startX += m_step;
        } else {
            m_startX = m_endX;
            m_timer->stop();
        }
    } else {
        if (m_startX > m_endX) {
            m_startX -= m_step;
        } else {
            m_startX = m_endX;
            m_timer->stop();
        }
    }
    update();
}

void SwitchButton::mouseMoveEvent(QMouseEvent *event)
{
    qDebug() << event;
}

void SwitchButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawBackGround(&painter);
    drawSlider(&painter);
    if (hasFocus())
        drawFocusMark(&painter);
}

QRect SwitchButton::sliderRestRect() const
{
    const int side = std::min(width(), height());
    const int diameter = side - 2 * m_space;
    const int x = m_checked ? m_space + width() - height() : m_space;
    return QRect(x, m_space, diameter, diameter);
}

QRect SwitchButton::captionRect() const
{
    // From a quarter of the rounded end into the track up to a small gap before the slider.
    const int side = std::min(width(), height());
    const int end = side / 4;
    const int gap = 2;
    const QRect slider = sliderRestRect();
    if (m_checked)
        return QRect(QPoint(end, 0), QPoint(slider.left() - gap - 1, height() - 1));
    return QRect(QPoint(slider.right() + gap + 1, 0), QPoint(width() - end - 1, height() - 1));
}

QFont SwitchButton::captionFont() const
{
    QFont font = this->font();
    const QString &text = m_checked ? m_textOn : m_textOff;
    const int room = captionRect().width();
    // Smaller by half points down to 6 pt; a caption too long even then is elided when drawn.
    for (qreal size = font.pointSizeF(); size > 6 && room > 0; size -= 0.5) {
        if (QFontMetrics(font).horizontalAdvance(text) <= room)
            break;
        font.setPointSizeF(size - 0.5);
    }
    return font;
}

void SwitchButton::drawBackGround(QPainter *painter)
{
    painter->save();
    painter->setPen(Qt::NoPen);

    // The enabled switch is the pale one; a disabled switch shows its colour as stored.
    QColor bgColor = m_checked ? m_bgColorOn : m_bgColorOff;
    if (isEnabled())
        bgColor.setAlpha(60);
    painter->setBrush(bgColor);

    const int w = width();
    const int h = height();
    const int side = std::min(w, h);

    QPainterPath path;
    path.addEllipse(QRectF(0, 0, side, side));
    QPainterPath right;
    right.addEllipse(QRectF(w - side, 0, side, side));
    QPainterPath middle;
    middle.addRect(QRectF(side / 2, 0, w - side, h));
    path = path.united(right).united(middle);
    painter->drawPath(path);

    // The caption sits on the side away from the slider, where the slider rests: centred in the
    // free part of the track, never under the slider, whatever the caption's length.
    const QRect room = captionRect();
    const QFont font = captionFont();
    painter->setFont(font);
    painter->setPen(m_textColor);
    const QString text = QFontMetrics(font).elidedText(m_checked ? m_textOn : m_textOff,
                                                       Qt::ElideRight, room.width());
    painter->drawText(room, Qt::AlignCenter, text);

    painter->restore();
}

void SwitchButton::drawFocusMark(QPainter *painter)
{
    // A ring just inside the track's outline, in the blue of the focused check box.
    painter->save();
    const qreal pen = 2;
    painter->setPen(QPen(QColor(64, 164, 255), pen));
    painter->setBrush(Qt::NoBrush);
    const qreal side = std::min(width(), height());
    const QRectF track = QRectF(rect()).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
    painter->drawRoundedRect(track, (side - pen) / 2, (side - pen) / 2);
    painter->restore();
}

void SwitchButton::drawSlider(QPainter *painter)
{
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_checked ? m_sliderColorOn : m_sliderColorOff);
    const int side = std::min(width(), height());
    const int diameter = side - 2 * m_space;
    painter->drawEllipse(QRect(m_space + m_startX, m_space, diameter, diameter));
    painter->restore();
}

void SwitchButton::setSpace(int space)
{
    if (m_space != space) {
        m_space = space;
        update();
    }
}

void SwitchButton::setRadius(int radius)
{
    if (m_radius != radius) {
        m_radius = radius;
        update();
    }
}

void SwitchButton::setChecked(bool checked)
{
    if (m_checked != checked) {
        m_checked = checked;
        update();
    }
}

void SwitchButton::setShowText(bool show)
{
    if (m_showText != show) {
        m_showText = show;
        update();
    }
}

void SwitchButton::setShowCircle(bool show)
{
    if (m_showCircle != show) {
        m_showCircle = show;
        update();
    }
}

void SwitchButton::setAnimation(bool ok)
{
    if (m_animation != ok) {
        m_animation = ok;
        update();
    }
}

void SwitchButton::setBgColorOn(const QColor &color)
{
    if (m_bgColorOn != color) {
        m_bgColorOn = color;
        update();
    }
}

void SwitchButton::setBgColorOff(const QColor &color)
{
    if (m_bgColorOff != color) {
        m_bgColorOff = color;
        update();
    }
}

void SwitchButton::setSliderColorOn(const QColor &color)
{
    if (m_sliderColorOn != color) {
        m_sliderColorOn = color;
        update();
    }
}

void SwitchButton::setSliderColorOff(const QColor &color)
{
    if (m_sliderColorOff != color) {
        m_sliderColorOff = color;
        update();
    }
}

void SwitchButton::setTextColor(const QColor &color)
{
    if (m_textColor != color) {
        m_textColor = color;
        update();
    }
}

void SwitchButton::setTextOn(const QString &text)
{
    if (m_textOn != text) {
        m_textOn = text;
        update();
    }
}

void SwitchButton::setTextOff(const QString &text)
{
    if (m_textOff != text) {
        m_textOff = text;
        update();
    }
}
