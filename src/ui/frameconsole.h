#pragma once

#include "boardsession.h"
#include "framelog.h"

#include <QDateTime>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class FrameLogModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The frame console: a window of its own that shows what goes over the line, frame by frame,
// for diagnosing a board and for a capture to hand on. It presents the session's signals a second
// time, beside the main window, and only while it is shown: closed, it is not connected and costs
// nothing. Pause stops taking entries (a line in the log marks the gap), clear empties it, the
// filter (codes, pack addresses) chooses the rows shown and "save" writes them to a text file.
class FrameConsole : public QWidget
{
    Q_OBJECT

public:
    explicit FrameConsole(QWidget *parent = nullptr);
    ~FrameConsole() override;

    // The session whose line is shown; connected while the console is shown.
    void attach(BoardSession *session);
    bool isListening() const { return !m_connections.isEmpty(); }

    const FrameLog &log() const { return m_log; }
    bool isPaused() const { return m_paused; }
    // The time entries are stamped with; tests set their own.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    // Where the window keeps its recordings: a capture is suggested there, as
    // frames-<date>-<time>.txt, until one has been saved elsewhere. Without it, in Documents.
    void setRecordingsFolder(std::function<QString()> folder)
    {
        m_recordingsFolder = std::move(folder);
    }

public slots:
    void frameSent(const QByteArray &frame);
    void frameChecked(const QByteArray &frame, BoardSession::FrameVerdict verdict);
    void replyTimeout();
    // Any pack's poll that brought nothing, on a bus too: its time-out, or the busy line that held
    // it back, with its address.
    void pollUnanswered(int address, BoardSession::Unanswered why);
    void busBusy();
    void sendFailed(BoardSession::SendFailure failure);

    void setPaused(bool paused);
    void clear();
    // Takes the filter from its field; a text that is no filter is marked and the filter before it
    // stays.
    void applyFilter();
    // Asks for a file and writes the rows shown to it.
    void save();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QDateTime now() const;
    void listen(bool on);
    // Widths for the columns of short texts, in the current font and language.
    void sizeColumns();
    void take(const FrameLog::Change &change);
    void retranslate();
    void showCounts();

    FrameLog m_log;
    FrameLogModel *m_model = nullptr;
    QPointer<BoardSession> m_session;
    QList<QMetaObject::Connection> m_connections;
    std::function<QDateTime()> m_clock;
    std::function<QString()> m_recordingsFolder;
    bool m_paused = false;
    bool m_sized = false;
    QString m_saveFolder; // where the last capture of this run went
    QString m_savedFile; // the last capture written, and how many entries it held
    int m_savedRows = -1;

    QTableView *m_view = nullptr;
    QPushButton *m_pause = nullptr;
    QPushButton *m_clear = nullptr;
    QPushButton *m_save = nullptr;
    QLabel *m_filterLabel = nullptr;
    QLineEdit *m_filter = nullptr;
    QLabel *m_counts = nullptr;
    QLabel *m_saved = nullptr;
};
