#pragma once

#include "boardsession.h"
#include "eventfile.h"
#include "eventjournal.h"
#include "loggeroptions.h"
#include "packmetrics.h"
#include "recording.h"

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QSet>

#include <cstdio>
#include <memory>

class DeviceWatcher;
class EnergyBooks;
class MqttPublisher;
class PackAnalyses;
class QTimer;

// One run of the logger: a board session on the line, every real-time reply printed as JSON,
// recorded to its pack's CSV file and published, and the line watched without a time limit: a
// removed adapter is waited for however long it stays away. It shows nothing and asks nothing;
// what goes wrong is said in one line on standard error. Each event of the packs' journals (a
// protection, an alarm, a lost link, an alert) is printed, kept beside the recordings and
// published as it starts and ends.
class LoggerRun : public QObject
{
    Q_OBJECT

public:
    // How many polls in a row a pack may leave unanswered before it counts as gone.
    static constexpr int MissesBeforeOffline = 3;
    // How often the line is looked for once the session has stopped waiting for it.
    static constexpr int LookForLineMs = 1000;
    // How long a recording that could not write waits before it tries a new file.
    static constexpr int RecordingRetryMs = 60 * 1000;
    // How long --once waits for the broker to acknowledge what it published.
    static constexpr int OnceDeliveryMs = 10 * 1000;
    // How often a scan that found no board is run again.
    static constexpr int RescanMs = 60 * 1000;

    // A gap between replies as said on standard error: "42 s", "5 min 12 s", "3 h 2 min".
    static QString gapText(qint64 seconds);

    // mqtt: where states are published, or nullptr. out: standard output (JSON lines).
    LoggerRun(const LoggerOptions &options, MqttPublisher *mqtt, std::FILE *out,
              QObject *parent = nullptr);
    ~LoggerRun() override;

    // Opens the line and polls. A line that cannot be opened is looked for until it can (with
    // --once: the run ends with 1).
    void start();
    // Ends the run: the line and the files closed, the packs said to be offline; finished(0).
    void stop();

    BoardSession *session() const { return m_session; }
    // The packs as the metrics endpoint serves them, as they stand now.
    PackMetrics::Bank metrics() const;

signals:
    // The run is over; exitCode is the program's.
    void finished(int exitCode);

private:
    struct Pack
    {
        qint64 seq = 0; // replies so far
        int misses = 0; // polls in a row without a reply
        int notSent = 0; // of those, the last ones in a row that could not go out
        bool online = false; // answered since the line opened, and not given up
        bool done = false; // --once: answered or given up
        bool saidSilent = false; // "does not answer" was said, and not yet "answers again"
        QDateTime lastReply; // invalid until it answered
        // The last reply's figures, for a scrape of the metrics (kept only, never worked on).
        AFE record;
        int cells = 0;
        int cycles = 0;
        // Its parameter block (the design capacity): asked for this many times, or read.
        int blockTries = 0;
        bool blockRead = false;
    };

    void packReply(int address, const RealTimeReply &values, const AFE &record);
    void pollUnanswered(int address, BoardSession::Unanswered why);
    void lineClosed(BoardSession::CloseReason reason);
    void checkLine();
    void lookForLine();
    void setOffline(int address, Pack &pack);
    void saySilent(int address, Pack &pack);
    void writeCsv(int address, const QDateTime &when, const AFE &record);
    void finishOnceIfDone();
    // The bank's state, at most once a polling period.
    void publishBank(const QDateTime &now);
    // The events the journals reported since the last call: said, printed, kept and published.
    // Called once the reply or miss that caused them has been handled, so a pack's state goes
    // out ahead of its events and its events ahead of its availability going offline.
    void reportEvents();
    void keepEvent(const PackEvent &event);
    // One JSON object on its own line of the output (--json, --once).
    void print(const QJsonObject &object);
    // How often a pack is asked for its parameter block before it is left without.
    static constexpr int BlockTries = 3;
    // Asks the next pack whose parameter block is not read yet, one at a time.
    void askForBlock();
    static QString stateFolder(const LoggerOptions &options);
    void finish(int exitCode);
    static void say(const QString &line);

    LoggerOptions m_options;
    BoardSession::LineSettings m_line;
    BoardSession *m_session;
    PackAnalyses *m_analyses; // every pack's books, journal and health, fed from its replies
    EnergyBooks *m_books; // the energy books kept across restarts
    int m_blockOf = -1; // the pack whose parameter block is on its way
    int m_blockWait = 0; // replies of that pack since it was asked
    QDateTime m_lastBank; // when the bank's state was last published
    DeviceWatcher *m_watcher;
    MqttPublisher *m_mqtt;
    std::FILE *m_out;
    PackRecordings m_recordings;
    QVector<PackEvent> m_events; // reported by the journals, not yet handled
    // Each pack's events file in the recordings folder while CSV recording is on; made at the
    // pack's first event. A file that cannot be opened or written is said once and tried again
    // at the pack's next event.
    EventFiles m_eventFiles;
    QSet<int> m_eventFileProblemSaid;
    QTimer *m_lookTimer;
    QTimer *m_recordingRetry;
    // The packs polled and looked after: their state, their requests.
    void pollPacks(const QVector<int> &addresses);
    void startPolling();
    void scanFinished(const QVector<int> &found, bool stopped);
    void startScan();
    // The scan asked for found boards; until it has, every start of polling scans (again), and a
    // scan that found nothing is run again every RescanMs.
    bool m_scanDone = false;
    bool m_scanSaid = false;
    bool m_noBoardSaid = false;
    QTimer *m_rescanTimer;
    bool m_recordingFailed = false; // --once: a reply could not be recorded
    bool m_recordingProblemSaid = false;
    QHash<int, Pack> m_packs;
    QString m_identity; // the adapter of the last open, to find it under another name
    bool m_stopping = false;
    bool m_lineLost = false; // the line went away; said once until it is back
    bool m_openFailureSaid = false;
};
