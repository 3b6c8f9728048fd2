#pragma once

#include "eventfile.h"
#include "eventjournal.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class EventsModel;
class PackAnalyses;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTimer;
class QWidget;

// The events page: what went wrong on which pack, where and for how long, newest first, with
// filters by pack, kind and ongoing only; its tab counts what is ongoing. It takes every change
// the owner of the analyses reports and appends it to that pack's events file in the recordings
// folder; at start it shows the last events those files hold, and an events file can be opened
// in place of the live list. Below the list: the desktop notifications switch and the two alerts
// the user sets.
//
// A page behind others only keeps its model up to date; the view catches up when it is shown.
class EventsPage : public QObject
{
    Q_OBJECT

public:
    using FolderSource = std::function<QString()>; // the recordings folder
    using Clock = std::function<qint64()>; // epoch milliseconds

    // Events shown at start from the packs' files.
    static constexpr int LoadedAtStart = 1000;

    EventsPage(QTabWidget *tabs, PackAnalyses *analyses, FolderSource recordingsFolder,
               Clock now = Clock());
    ~EventsPage() override;

    QWidget *page() const { return m_page; }
    QTableView *table() const { return m_table; }
    EventsModel *liveModel() const { return m_live; }
    // The model the table shows: the live one, or an opened file's.
    EventsModel *shownModel() const;
    bool showsFile() const { return m_opened != nullptr; }
    // What the page says of the files: one refused, one that cannot be written.
    QString note() const;
    QString source() const;

    // The settings below the list.
    bool notificationsOn() const;
    void setNotificationsOn(bool on);
    EventJournal::Alerts alerts() const;
    // Shown and applied to every pack's journal.
    void setAlerts(const EventJournal::Alerts &alerts);

    void retranslate();
    // Shows the last LoadedAtStart events of the packs' files in the recordings folder.
    void loadRecent();
    // The open button: asks for an events file and shows it in place of the live list.
    void openFile();
    // Shows the events of a file; false (said on the page, nothing changed) when it is refused.
    bool openFile(const QString &path);
    void showLive();
    // Shows the live event of this id, selected, whatever filter hid it; false if it is gone.
    bool select(qint64 id);
    // The changes taken since the last reply was handled go to their files, and the tab counts
    // them; done by itself after the reply, and by the window as it closes.
    void catchUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPage(QTabWidget *tabs);
    void take(const PackEvent &change);
    void write(const PackEvent &change);
    void follow(bool shown);
    void fillPackFilter();
    void applyFilter();
    void showTabText();
    void showSource();
    void sayOnce(const QString &key, const QString &text);
    void setShownModel(EventsModel *model);
    void sizeColumns();

    PackAnalyses *m_analyses;
    FolderSource m_recordingsFolder;
    Clock m_now;
    QTabWidget *m_tabs;

    QWidget *m_page = nullptr;
    QComboBox *m_pack = nullptr; // events_pack
    QComboBox *m_kind = nullptr; // events_kind
    QCheckBox *m_ongoingOnly = nullptr; // events_ongoing
    QPushButton *m_open = nullptr; // events_open
    QPushButton *m_liveButton = nullptr; // events_live
    QLabel *m_source = nullptr; // events_source
    QLabel *m_note = nullptr; // events_note
    QTableView *m_table = nullptr; // events_table
    QCheckBox *m_notify = nullptr; // events_notify
    QLabel *m_spreadLabel = nullptr;
    QSpinBox *m_spread = nullptr; // events_spread
    QLabel *m_lowSocLabel = nullptr;
    QSpinBox *m_lowSoc = nullptr; // events_lowsoc
    QTimer *m_tick = nullptr; // the durations of what is ongoing, while shown
    // A change is written and counted once the reply that made it has been handled (the
    // reply's handler pays for neither), in one go for changes that came together.
    QTimer *m_catchUp = nullptr;
    QVector<PackEvent> m_unwritten;

    EventsModel *m_live = nullptr;
    std::unique_ptr<EventsModel> m_opened;
    QString m_openedFile;
    bool m_shown = false;
    bool m_sized = false; // the columns were sized in the font the page is shown in
    qint64 m_selected = 0; // the live event selected when the page went behind
    int m_tabCount = -1; // the ongoing count the tab shows

    // Each pack's file in the folder they were opened in.
    EventFiles m_files;
    // What the page says, each problem once, by what it is about.
    QMap<QString, QString> m_problems;
    QString m_loaded; // what loading at start found
};
