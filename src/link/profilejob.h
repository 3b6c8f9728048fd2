#pragma once

#include "parameterprofile.h"
#include "thresholdpairs.h"
#include "writeconfirm.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVector>

class BoardSession;
class QTimer;

// Saves, checks or applies a profile on the boards of a line, one address after the other. Each
// address is read back first; a check compares, a save hands on what the board holds, and an
// apply writes only the rows that differ (none, where they would contradict the board's
// thresholds they leave as they are), reads back and takes each row as confirmed only when
// the board shows the value sent. Every apply appends what it did to the audit file, a line for
// each row of each board it could not write too. Stopping half-way takes back the writes not yet
// on the line and lets the read-back judge those that went out.
//
// It runs on an open, polling session and shows nothing: presenters follow its signals.
class ProfileJob : public QObject
{
    Q_OBJECT

public:
    enum class Kind { Save, Check, Apply };
    Q_ENUM(Kind)

    enum class RowOutcome {
        Confirmed, // the read-back shows the value sent
        Kept, // the read-back shows another value
        Unconfirmed, // sent; no read-back of this board judged it
        NotSent, // stopped before it went out
    };

    struct RowResult
    {
        QString key;
        int before = 0; // the board's value before the write
        int wanted = 0; // the file's value
        RowOutcome outcome = RowOutcome::Unconfirmed;
        QString board; // Confirmed, Kept: what the board shows
    };

    enum class Status {
        Matches, // check or apply: the board already holds the file's values
        Differs, // check: rows differ
        Read, // save: the board's values are in `board`
        Applied, // every row written was confirmed
        NotConfirmed, // a row written was not confirmed
        NoReply, // the board sent no parameter block
        Stopped, // stopped before this board was done
        LineClosed, // the line closed or refused a frame
        // apply: the file's values contradict the board's it leaves as they are; nothing was
        // written to this board
        Contradicts,
    };
    Q_ENUM(Status)

    struct AddressResult
    {
        int address = 0;
        Status status = Status::Stopped;
        QHash<QString, int> board; // what the board held before anything was written
        QVector<ParameterProfile::Comparison> comparison;
        QVector<RowResult> writes;
        QVector<ThresholdPairs::Contradiction> contradictions; // Contradicts: the pairs
    };

    // A board is taken as not answering when the session gives up the read-back asked of it
    // (after its own retries). Should no verdict come (another read-back on the line took over
    // its retries), the job asks again after a guard time, up to this many times.
    static constexpr int ReadTries = WriteConfirm::MaxRetries + 1;
    // Periods of room each write gets beyond the frames before it.
    static constexpr int SlackTurns = 8;
    // How long a stop waits for the read-back of writes already on the line.
    static constexpr int StopGraceMs = 10000;

    explicit ProfileJob(BoardSession *session, QObject *parent = nullptr);
    ~ProfileJob() override;

    // Where an apply appends its lines, and the port named in them. Empty: no audit file.
    void setAuditFile(const QString &path, const QString &port);
    // Starts on the addresses in order; false when a job is running, there is nothing to do or
    // the line is not open.
    bool start(Kind kind, const ParameterProfile::Profile &profile, const QVector<int> &addresses);
    // Ends the job after what is on the line: writes not yet sent are taken back, those sent are
    // judged by the read-back already asked for (at most StopGraceMs), the boards not begun are
    // not begun, and finished(true) follows. Asked again while that runs, it stops at once and
    // the rows sent stay unconfirmed.
    void stop();
    bool isStopping() const { return m_running && m_stopRequested; }
    bool isRunning() const { return m_running; }
    Kind kind() const { return m_kind; }
    const QVector<AddressResult> &results() const { return m_results; }
    // Why the audit file could not be written; empty while it could.
    QString auditError() const { return m_auditError; }

    // A result in a line of words, in the chosen language.
    static QString describe(const AddressResult &result);
    static QString describe(RowOutcome outcome);
    // The boards of a job counted by what became of them, in the chosen language: "4 boards: 2
    // confirmed, 2 no reply"; "2 of 4 boards: …" while total is more than the results.
    static QString tally(const QVector<AddressResult> &results, int total);

signals:
    // done of total addresses are finished; the one under way is `address`.
    void progress(int done, int total, int address);
    void addressDone(const ProfileJob::AddressResult &result);
    void finished(bool stopped);

private:
    void beginAddress();
    void askForBlock();
    void blockArrived(const QVector<ParameterBlock::Field> &fields);
    void verdictsArrived(const QVector<WriteConfirm::Verdict> &verdicts);
    void frameSent(const QByteArray &frame);
    void readBackFailed();
    void timedOut();
    void writeDifferences();
    void finishAddress(Status status);
    void finishAll(bool stopped);
    // Takes back the writes still waiting in the send queue; they were not sent.
    void takeBackQueued();
    void appendAudit(const AddressResult &result);

    enum class Phase { Idle, Reading, Confirming };

    BoardSession *m_session;
    QTimer *m_timer;
    Kind m_kind = Kind::Check;
    ParameterProfile::Profile m_profile;
    QVector<int> m_addresses;
    int m_index = 0;
    Phase m_phase = Phase::Idle;
    int m_tries = 0;
    bool m_running = false;
    bool m_stopRequested = false;
    int m_askedAddress = -1; // the board the last read-back sent went to
    int m_lastBlockAddress = -1; // the board the last block came from
    AddressResult m_current;
    // The writes under way: their frames until they go out, and the keys not yet judged.
    QHash<QString, QByteArray> m_queuedFrames;
    QSet<QString> m_awaited;
    QVector<AddressResult> m_results;
    QString m_auditPath;
    QString m_auditPort;
    QString m_auditError;
};

Q_DECLARE_METATYPE(ProfileJob::AddressResult)
