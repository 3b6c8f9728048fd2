#pragma once

#include "packsummary.h"

#include <QLocale>
#include <QStringList>
#include <QWidget>

// One pack on the overview: its address, the state of charge as a bar, the pack voltage, the
// current with its direction, the lowest and highest cell with their numbers and difference, the
// warmest sensor, a lamp (red: a protection is active, amber: an alarm) and the link's health.
// A pack that stopped answering keeps its last values, greyed, with the time since its last
// reply. The tile paints itself from the figures it holds, so a reply costs one repaint of one
// tile, and nothing at all while the overview is not shown.
//
// Tab and the arrow keys reach it (a ring shows the keyboard's place); Enter or Space chooses it
// as a click does.
class PackTile : public QWidget
{
    Q_OBJECT

public:
    PackTile(int address, QWidget *parent);

    int address() const { return m_pack.address; }
    bool hasData() const { return m_hasData; }
    bool isGreyed() const { return m_silentMs >= 0; }
    const PackSummary::Pack &pack() const { return m_pack; }

    // A reply's figures; shown at the next repaint, which the owner asks for (update()) when it
    // chooses to.
    void setPack(const PackSummary::Pack &pack);
    // The battery number the pack's replies state; named in the title where it is not the
    // address the pack is polled at. -1: not known.
    void setBatteryNumber(int number) { m_batteryNumber = number; }
    // The link's figures: its time-outs and the last round trip (-1: none yet).
    void setLink(int timeouts, int roundTripMs);
    // silentMs >= 0 greys the tile with the time since the last reply; -1: the pack answers.
    void setSilence(int silentMs);
    // The cell named as wearing out (1-based), marked in the tile's corner; 0: none.
    void setWeakCell(int cell);
    int weakCell() const { return m_weakCell; }
    // The pack whose replies the other pages show.
    void setFocused(bool focused);
    bool isFocused() const { return m_focused; }
    // The ring that shows the keyboard is on the tile.
    bool showsKeyboardRing() const { return m_ring; }
    void setLocale(const QLocale &locale);
    // A short text at the right of the link's line (today's energy); empty: none. Shown at the
    // next repaint.
    void setFooter(const QString &text);
    QString footer() const { return m_footer; }

    // The lines the tile shows, top to bottom: title, voltage, state of charge, current, cells,
    // difference and temperature, link.
    QStringList lines() const;

    QSize sizeHint() const override;

signals:
    // Clicked, or Enter or Space pressed on it.
    void clicked(int address);
    // An arrow key, Home or End pressed on it: the overview moves the keyboard to another tile.
    void stepRequested(int address, Qt::Key key);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    PackSummary::Pack m_pack;
    bool m_hasData = false;
    int m_timeouts = 0;
    int m_roundTripMs = -1;
    int m_batteryNumber = -1;
    int m_silentMs = -1;
    int m_weakCell = 0;
    bool m_focused = false;
    bool m_ring = false; // the keyboard is here, reached by the keyboard
    QLocale m_locale;
    QString m_footer;
};
