#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

class QTimer;

// An on/off toggle drawn by hand: a pill-shaped track, a round slider that glides to the other end
// when the state changes, and a caption on the free part of the track. It takes no styling from
// style sheets; its size comes from the layout. It takes the keyboard focus (Tab), shows it with a
// ring around the track, and Space toggles it.
class SwitchButton : public QWidget
{
    Q_OBJECT

public:
    explicit SwitchButton(QWidget *parent = nullptr);
    ~SwitchButton() override;

    int space() const { return m_space; }
    int radius() const { return m_radius; }
    bool checked() const { return m_checked; }
    bool showText() const { return m_showText; }
    bool showCircel() const { return m_showCircle; }
    bool animation() const { return m_animation; }
    QColor bgColorOn() const { return m_bgColorOn; }
    QColor bgColorOff() const { return m_bgColorOff; }
    QColor sliderColorOn() const { return m_sliderColorOn; }
    QColor sliderColorOff() const { return m_sliderColorOff; }
    QColor textColor() const { return m_textColor; }
    QString textOn() const { return m_textOn; }
    QString textOff() const { return m_textOff; }
    int step() const { return m_step; }
    int startX() const { return m_startX; }
    int endX() const { return m_endX; }

    // Programmatic toggle: stores the state, announces it even when it did not change, and slides
    // the slider as a press would.
    void SetActive(bool checked);

    // Where the slider rests in the current state, and where the caption is drawn: on the free
    // part of the track, clear of the resting slider.
    QRect sliderRestRect() const;
    QRect captionRect() const;
    // The caption's font: the widget's own, made smaller where the caption would not fit.
    QFont captionFont() const;

signals:
    void statusChanged(bool checked);

private slots:
    void updateValue();

public slots:
    void setSpace(int space);
    void setRadius(int radius);
    // Changes the state silently: no signal, no slide; colours and caption follow at the next
    // paint.
    void setChecked(bool checked);
    void setShowText(bool show);
    void setShowCircle(bool show);
    void setAnimation(bool ok);
    void setBgColorOn(const QColor &color);
    void setBgColorOff(const QColor &color);
    void setSliderColorOn(const QColor &color);
    void setSliderColorOff(const QColor &color);
    void setTextColor(const QColor &color);
    void setTextOn(const QString &text);
    void setTextOff(const QString &text);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    // Space toggles the switch as a press does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void toggle();
    void moveSlider();
    void drawFocusMark(QPainter *painter);
    void drawBackGround(QPainter *painter);
    void drawSlider(QPainter *painter);

    int m_space;
    int m_radius;
    bool m_checked;
    bool m_showText;
    bool m_showCircle;
    bool m_animation;
    QColor m_bgColorOn;
    QColor m_bgColorOff;
    QColor m_sliderColorOn;
    QColor m_sliderColorOff;
    QColor m_textColor;
    QString m_textOn;
    QString m_textOff;
    QTimer *m_timer;
    int m_step;
    int m_startX;
    int m_endX;
};
