#pragma once

#include "packsummary.h"

#include <QCoreApplication>
#include <QHash>
#include <QLocale>
#include <QObject>
#include <QVector>

#include <functional>

class BoardSession;
class PackTile;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTabWidget;
class QTimer;
class QWidget;
struct RealTimeReply;
struct cell;

// The overview of the packs on the line: a tile per pack polled, the bank line over the packs
// that answer, the line that says when a cycle over the packs does not fit the period, and the
// scan of a range of addresses with its progress and its stop. The page adds its own tab after
// the form's. It listens to the session's reports of the packs itself; what the packs found and
// the tile clicked mean for the rest of the window is the window's to decide (its signals).
//
// A reply updates its own tile and the bank line; nothing else is rebuilt.
class OverviewPage : public QObject
{
    Q_OBJECT

public:
    // The window's clock (milliseconds), which the silence of a pack is measured on, and the
    // locale the numbers are written in.
    using Clock = std::function<qint64()>;
    using LocaleSource = std::function<QLocale()>;

    // A silent pack is greyed after this many poll periods (or cycles, when a cycle is longer).
    static constexpr int SilentPeriods = 3;

    OverviewPage(QTabWidget *tabs, BoardSession *session, Clock clock, LocaleSource locale);
    ~OverviewPage() override;

    // The packs polled, in this order: a tile each. Tiles of packs that stay keep their values.
    void setPacks(const QVector<int> &addresses);
    QVector<int> packs() const { return m_order; }
    // The pack whose replies the other pages show: its tile is marked.
    void setFocusPack(int address);
    PackTile *tile(int address) const { return m_tiles.value(address); }
    // The texts in the language just chosen.
    void retranslate();
    // A few words the bank line ends with (the bank's energy today); empty: none.
    void setBankNote(const QString &note);
    // Greys the packs that stopped answering and tells for how long; runs every second.
    void checkSilence();
    // Repaints the tiles of the packs that answered since the last time, and the bank line.
    // Replies come faster than the eye follows (16 packs: up to 30 a second): the page shows
    // them at most every RepaintMs.
    void showReplies();
    static constexpr int RepaintMs = 250;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // A tile was clicked.
    void focusRequested(int address);
    // A scan ended with packs found; they are to be polled.
    void packsFound(const QVector<int> &addresses);

private:
    struct PackState
    {
        qint64 lastReplyMs = 0; // on the clock
        int timeoutsAtReply = 0; // the link's time-outs when the last reply came
        bool silent = false;
    };

    QLocale numberLocale() const;
    void buildPage(QTabWidget *tabs);
    bool m_bankBehind = false; // the bank line waits for the page to be shown
    PackTile *addTile(int address);
    void layOutTiles();
    // Moves the keyboard from a tile to the one left, right, above or below it, or to the first
    // or last.
    void stepFrom(int address, Qt::Key key);
    void packReply(int address, const RealTimeReply &values, const cell &record);
    void packLinkChanged(int address);
    void cycleDone(int cycleMs, bool overrun);
    void scanProgress(int done, int total);
    void scanFinished(const QVector<int> &found, bool stopped);
    void startScan();
    void showLineState();
    // Whether a pack is to be greyed now, and since when it is silent.
    bool isSilent(int address, const PackState &state, qint64 now) const;
    void showBank();
    void showCycle();
    void showScanState();

    BoardSession *m_session;
    Clock m_clock;
    LocaleSource m_locale;

    QWidget *m_page = nullptr; // tab_overview
    QLabel *m_bank = nullptr; // overview_bank
    QLabel *m_cycle = nullptr; // overview_cycle
    QSpinBox *m_scanFirst = nullptr;
    QSpinBox *m_scanLast = nullptr;
    QPushButton *m_scan = nullptr;
    QPushButton *m_scanStop = nullptr;
    QProgressBar *m_scanProgress = nullptr;
    QLabel *m_scanState = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_tileArea = nullptr; // overview_tiles

    QVector<int> m_order; // the tiles' addresses, in poll order
    int m_columns = 1; // tiles side by side
    QHash<int, PackTile *> m_tiles;
    QHash<int, PackState> m_states;
    int m_focus = -1;
    int m_lastCycleMs = -1;
    bool m_overrun = false;
    QVector<int> m_missed; // packs whose poll brought no data in the cycle under way
    QVector<int> m_missedLastCycle; // and in the last whole cycle, ascending
    // What the scan line says, kept to be said again in another language.
    enum class ScanNews { None, Running, Found, NoneFound, Stopped } m_scanNews = ScanNews::None;
    QVector<int> m_found;
    QTimer *m_silenceTimer;
    QTimer *m_repaintTimer;
    QVector<PackTile *> m_answered; // since the last repaint
    QString m_bankNote;
};
