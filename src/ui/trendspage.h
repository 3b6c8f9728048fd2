#pragma once

#include "anchoredclock.h"
#include "csvreader.h"

#include <QLocale>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QLabel;
class QPushButton;
class TrendBuffer;
class TrendView;
class Ui_MainWindow;
struct cell;

// The trends page: every real-time reply of this run in the live trend, the span buttons, and a
// recording opened from disk into the same charts in place of the live data, with the line that
// says which is shown. The page's buttons reach the window's slots by name; the window hands
// them on. The page knows nothing of the serial line.
class TrendsPage : public QObject
{
    Q_OBJECT

public:
    // Where the open dialog starts, and the locale the numbers of the page's texts are written in
    // (the chosen language's); both are asked each time they are needed.
    using FolderSource = std::function<QString()>;
    using LocaleSource = std::function<QLocale()>;

    // Its owner destroys the page before the form's widgets.
    TrendsPage(Ui_MainWindow *ui, FolderSource recordingsFolder, LocaleSource locale);
    ~TrendsPage() override;

    // Stamps the live trend's samples from this monotonic clock, anchored to the wall clock now.
    void setClock(AnchoredClock::Source monotonicMs);
    // The wall-clock time (ms since 1970 UTC) of the moment agoMs before now, as the live trend
    // would stamp it: other views tell the time of a reply so that it agrees with the trend.
    qint64 wallTimeAgo(qint64 agoMs) const { return m_clock.now() - agoMs; }

    // A real-time reply, logged or not, of the pack shown or of the pack given. Each pack has a
    // live trend of its own.
    void addRecord(const cell &record);
    void addRecord(int pack, const cell &record);
    // Shows the live trend of this pack (the one in focus).
    void showPack(int pack);
    // The live trend shown is this pack's (one pack was polled, under whichever address), unless
    // the pack has a trend of its own, which is then shown.
    void namePack(int pack);
    int pack() const { return m_livePack; }
    // The texts in the current language.
    void retranslate();
    // Why a recording could not be read, naming the line, in the current language.
    static QString describe(const CsvReader::Error &error, const QString &path);

    // The span buttons, the open button and the button back to the live data.
    void showFiveMinutes();
    void showHour();
    void showEverything();
    void openRecording();
    void showLive();

signals:
    // A recording was opened from disk and is shown (other views analyse the same file).
    void recordingOpened(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showSpan();
    void showSource();
    TrendBuffer *liveTrend(int pack);

    TrendView *m_view;
    QPushButton *m_fiveMinutes;
    QPushButton *m_hour;
    QPushButton *m_everything;
    QPushButton *m_live;
    QLabel *m_source;
    FolderSource m_recordingsFolder;
    LocaleSource m_locale;

    // Every reply of this run, per pack; the pack shown.
    std::map<int, std::unique_ptr<TrendBuffer>> m_liveTrends;
    int m_livePack = 0;
    TrendBuffer *m_liveTrend = nullptr;
    // Stamped from a monotonic clock: setting the computer's clock back would otherwise pile the
    // samples that follow onto the newest moment (the buffer never lets time run back).
    AnchoredClock m_clock;
    std::unique_ptr<TrendBuffer> m_openedTrend; // a recording opened from disk, shown instead
    QString m_openedFile;
};
