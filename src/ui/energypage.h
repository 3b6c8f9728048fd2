#pragma once

#include "energymeter.h"
#include "packanalyses.h"

#include <QLocale>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>

class EnergyBooks;
class OverviewPage;
class PackAnalyses;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;
class QWidget;
class Ui_MainWindow;

namespace QtCharts {
class QBarCategoryAxis;
class QBarSet;
class QChartView;
class QValueAxis;
} // namespace QtCharts

// What went in and out of the packs and the bank, as the window shows it: today's energy on the
// main page (the pack in focus), on each overview tile and on the bank line, and a page of its
// own with daily bars of the last 30 days per pack or for the bank, the totals since the books
// began and the equivalent cycles beside the board's own count. A recording opened on the page
// is analysed by the same meter and shown in place of the live books.
//
// Replies only feed the owner of the analyses; this reads it when a page that shows the books is
// brought up, and on its news only while one is shown, a few times a second at most. It keeps
// the books in the user's data folder across runs.
class EnergyPage : public QObject
{
    Q_OBJECT

public:
    using FocusSource = std::function<int()>; // the pack in focus
    using CyclesSource = std::function<int(int address)>; // the board's own count; -1: unknown
    using LocaleSource = std::function<QLocale()>;
    using FolderSource = std::function<QString()>;

    // The days the page draws.
    static constexpr int DaysShown = 30;
    // Pages are brought up to date at most this often while they are shown.
    static constexpr int RefreshMs = 300;

    // tabs: the window's pages, which the energy page joins; the main page is the form's.
    EnergyPage(Ui_MainWindow *ui, PackAnalyses *analyses, OverviewPage *overview, FocusSource focus,
               CyclesSource cycles, LocaleSource locale, FolderSource recordingsFolder);
    ~EnergyPage() override;

    EnergyBooks *books() const { return m_books; }
    // The adapter of the line just opened: the packs' books are that adapter's.
    void setAdapter(const QString &identity);
    // The texts in the current language.
    void retranslate();
    // Reads the owner now for whatever is shown.
    void refresh();

    // Opens a recording (a file dialog without a path) and shows its books; false when it could
    // not be read, with the reason on the page.
    bool openRecording(const QString &path = QString());
    void showLive();
    bool showsRecording() const { return !m_recordingFile.isEmpty(); }

    // "1.23" kWh in the locale, with as many decimals as small amounts need.
    static QString kwhText(double kwh, const QLocale &locale);

private:
    void changed(int address);
    bool anyShown() const;
    void refreshMainPage();
    void refreshOverview();
    void refreshPage();
    void fillChoices(const QList<int> &addresses);
    void say(const QString &text, bool problem);
    // The books chosen on the page: a pack's, or the bank's over every pack.
    struct Books
    {
        EnergyMeter::Totals total;
        QDate since;
        QVector<EnergyMeter::Day> days; // oldest first
        double cycles = -1;
        int boardCycles = -1;
        bool known = false;
    };
    Books chosenBooks() const;
    static Books bankOf(const QList<const EnergyMeter *> &meters);

    PackAnalyses *m_analyses;
    OverviewPage *m_overview;
    FocusSource m_focus;
    CyclesSource m_cycles;
    LocaleSource m_locale;
    FolderSource m_recordingsFolder;
    EnergyBooks *m_books;
    QTimer *m_timer;

    QTabWidget *m_tabs;
    QWidget *m_mainPage; // the form's real-time page
    QWidget *m_page = nullptr; // tab_energy
    QLabel *m_today = nullptr; // energy_today, on the main page
    QLabel *m_whichLabel = nullptr;
    QComboBox *m_which = nullptr; // energy_pack: the bank, then each pack
    QtCharts::QChartView *m_chart = nullptr; // energy_chart
    QtCharts::QBarSet *m_in = nullptr;
    QtCharts::QBarSet *m_out = nullptr;
    QtCharts::QBarCategoryAxis *m_dayAxis = nullptr;
    QtCharts::QValueAxis *m_kwhAxis = nullptr;
    QLabel *m_totals = nullptr; // energy_totals
    QLabel *m_cyclesLine = nullptr; // energy_cycles
    QLabel *m_note = nullptr; // energy_note: the recording shown, a file refused
    QPushButton *m_open = nullptr; // energy_open
    QPushButton *m_live = nullptr; // energy_live

    QString m_problem; // the last problem with the books' files, said on the page
    QMap<int, PackAnalysis> m_recording; // the analyses of a recording opened
    QString m_recordingFile;
};
