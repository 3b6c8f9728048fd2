#pragma once

#include "packanalyses.h"

#include <QLocale>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class HealthView;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;
class QWidget;

// The health page: which cell of the pack in focus is wearing out (HealthView's bars), with a
// line of figures beside it (steps, the median, the cell spread at rest and under load, the cell
// lowest most often while discharging), and a recording opened from disk judged the same way in
// place of the live figures. The page reads the window's analyses when it is shown and, while
// shown, at most every RepaintMs after they changed; a hidden page costs a reply nothing.
class HealthPage : public QObject
{
    Q_OBJECT

public:
    using FocusSource = std::function<int()>; // the address of the pack in focus
    using FolderSource = std::function<QString()>; // where the open dialog starts
    using LocaleSource = std::function<QLocale()>; // the chosen language's numbers

    static constexpr int RepaintMs = 300;

    HealthPage(QTabWidget *tabs, const PackAnalyses *analyses, FocusSource focus,
               FolderSource recordingsFolder, LocaleSource locale);
    ~HealthPage() override;

    QWidget *page() const { return m_page; }
    HealthView *view() const { return m_view; }
    // The figures line under the chart, and the line that says what is shown.
    QString summary() const;
    QString source() const;
    bool showsRecording() const { return m_opened != nullptr; }

    // The texts in the language just chosen.
    void retranslate();
    // The open button: a recording read and analysed, shown instead of the live figures.
    void openRecording();
    // Back to the pack in focus.
    void showLive();
    // Brings what is shown up to date.
    void refresh();
    // Another pack is in focus: shown at once where the page is shown.
    void followFocus();

private:
    void buildPage(QTabWidget *tabs);
    bool isShown() const;
    void analysesChanged(int address);
    void show(const CellHealth::Result &result);

    const PackAnalyses *m_analyses;
    FocusSource m_focus;
    FolderSource m_recordingsFolder;
    LocaleSource m_locale;

    QWidget *m_page = nullptr;
    HealthView *m_view = nullptr;
    QLabel *m_source = nullptr;
    QLabel *m_summary = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_live = nullptr;
    QTimer *m_repaint = nullptr;

    // A recording opened from disk: its packs' analyses, and the one shown.
    std::unique_ptr<QMap<int, PackAnalysis>> m_opened;
    int m_openedPack = 0;
    QString m_openedFile;
    qint64 m_openedRows = 0;
};
