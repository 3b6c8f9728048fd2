#include "loggerrun.h"

#include "bankstate.h"
#include "datalog.h"
#include "devicewatcher.h"
#include "energybooks.h"
#include "eventfile.h"
#include "mqttpublisher.h"
#include "packanalyses.h"
#include "packstate.h"
#include "portlist.h"

#include <QDir>
#include <QTimer>

#include <algorithm>
#include <utility>

LoggerRun::LoggerRun(const LoggerOptions &options, MqttPublisher *mqtt, std::FILE *out,
                     QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_session(new BoardSession(this))
    , m_analyses(new PackAnalyses(PackAnalyses::Clock(), this))
    , m_books(new EnergyBooks(m_analyses, this))
    , m_watcher(new DeviceWatcher(this))
    , m_mqtt(mqtt)
    , m_out(out)
    , m_lookTimer(new QTimer(this))
    , m_recordingRetry(new QTimer(this))
    , m_rescanTimer(new QTimer(this))
{
    m_line.port = options.port;
    m_line.baud = options.baud;
    m_line.address = options.addresses.value(0, 1);
    m_line.periodMs = options.periodMs;
    // With a scan, the packs are the boards it finds.
    pollPacks(options.scan.isEmpty() ? options.addresses : QVector<int>());

    m_analyses->setAlerts({ options.alertSpreadMv, options.alertLowSocPercent });
    // --once prints one state per pack and nothing else.
    if (!options.once)
        connect(m_analyses, &PackAnalyses::eventChanged, this,
                [this](const PackEvent &event) { m_events.append(event); });

    m_books->setFolder(stateFolder(options));
    connect(m_books, &EnergyBooks::refused, this,
            [](int address, const QString &path, const QString &why, const QString &bad) {
                say(QStringLiteral("pack %1: refused the energy books %2: %3; kept as %4, new "
                                   "books from now")
                        .arg(address)
                        .arg(QDir::toNativeSeparators(path), why, QDir::toNativeSeparators(bad)));
            });
    connect(m_books, &EnergyBooks::saveFailed, this, [](const QString &path, const QString &why) {
        say(QStringLiteral("cannot keep the energy books in %1: %2")
                .arg(QDir::toNativeSeparators(path), why));
    });
    // The design capacity, for the equivalent cycles.
    connect(m_session, &BoardSession::parameterBlock, this,
            [this](const QVector<ParameterBlock::Field> &fields) {
                if (m_blockOf < 0)
                    return;
                m_analyses->parameters(m_blockOf, fields);
                const auto it = m_packs.find(m_blockOf);
                if (it != m_packs.end())
                    it->blockRead = true;
                m_blockOf = -1;
                askForBlock();
            });
    connect(m_session, &BoardSession::packReply, this, &LoggerRun::packReply);
    connect(m_session, &BoardSession::pollUnanswered, this, &LoggerRun::pollUnanswered);
    connect(m_session, &BoardSession::scanFinished, this, &LoggerRun::scanFinished);
    connect(m_session, &BoardSession::closed, this, &LoggerRun::lineClosed);
    connect(m_session, &BoardSession::reconnectWaitChanged, this, [this](bool waiting) {
        if (!waiting)
            checkLine(); // found, or given up: then this run looks on by itself
    });
    connect(m_session, &BoardSession::opened, this, [this] {
        m_identity = m_session->connectedIdentity();
        m_books->setAdapter(m_identity);
        m_blockOf = -1;
        m_openFailureSaid = false;
        if (m_lineLost)
            say(QStringLiteral("%1 is back; polling again").arg(m_session->portName()));
        m_lineLost = false;
    });
    connect(m_session, &BoardSession::openFailed, this,
            [this](const QString &port, const QString &reason) {
                if (!m_openFailureSaid)
                    say(QStringLiteral("cannot open %1: %2").arg(port, reason));
                m_openFailureSaid = true;
            });
    connect(m_session, &BoardSession::portFailed, this,
            [](const QString &reason) { say(QStringLiteral("the line failed: %1").arg(reason)); });
    connect(m_watcher, &DeviceWatcher::deviceArrived, m_session, &BoardSession::deviceArrived);
    connect(m_watcher, &DeviceWatcher::deviceRemoved, m_session, &BoardSession::deviceRemoved);

    m_lookTimer->setInterval(LookForLineMs);
    connect(m_lookTimer, &QTimer::timeout, this, &LoggerRun::lookForLine);
    m_recordingRetry->setSingleShot(true);
    m_recordingRetry->setInterval(RecordingRetryMs);
    connect(m_recordingRetry, &QTimer::timeout, this,
            [this] { m_recordings.start(m_options.csvDir, DataLog::csvHeader()); });
    m_rescanTimer->setSingleShot(true);
    m_rescanTimer->setInterval(RescanMs);
    connect(m_rescanTimer, &QTimer::timeout, this, [this] {
        if (!m_stopping && !m_scanDone && m_session->isOpen() && !m_session->isScanning())
            startScan();
    });
}

LoggerRun::~LoggerRun() = default;

void LoggerRun::say(const QString &line)
{
    std::fprintf(stderr, "arvex-logger: %s\n", qPrintable(line));
    std::fflush(stderr);
}

void LoggerRun::pollPacks(const QVector<int> &addresses)
{
    m_packs.clear();
    for (int address : addresses)
        m_packs.insert(address, Pack());
    m_line.address = addresses.value(0, 1);
    m_session->setAddress(m_line.address);
    m_session->setAddresses(addresses.size() > 1 ? addresses : QVector<int>());
}

QString LoggerRun::gapText(qint64 seconds)
{
    seconds = std::max<qint64>(0, seconds);
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 60 * 60)
        return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    if (seconds < 24 * 60 * 60)
        return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds / 60 % 60);
    return QStringLiteral("%1 d %2 h").arg(seconds / 86400).arg(seconds / 3600 % 24);
}

void LoggerRun::startPolling()
{
    // The boards are looked for, if asked to, until a scan has found some: a scan cut short by
    // the line going away runs again when it is back.
    if (m_options.scan.isEmpty() || m_scanDone)
        return m_session->startPolling();
    startScan();
}

void LoggerRun::startScan()
{
    m_rescanTimer->stop();
    if (!m_scanSaid) {
        say(QStringLiteral("looking for boards at addresses %1 to %2")
                .arg(m_options.scan.first())
                .arg(m_options.scan.last()));
        m_scanSaid = true;
    }
    m_session->startScan(m_options.scan.first(), m_options.scan.last(), 2);
}

void LoggerRun::scanFinished(const QVector<int> &found, bool stopped)
{
    // Stopped: the line closed under it; it runs again when the line is back.
    if (m_stopping || stopped)
        return;
    if (found.isEmpty()) {
        if (m_options.once) {
            say(QStringLiteral("no board answered at addresses %1 to %2")
                    .arg(m_options.scan.first())
                    .arg(m_options.scan.last()));
            return finish(1);
        }
        // Unattended, the boards may be switched on later: nothing is polled until one answers.
        if (!m_noBoardSaid) {
            say(QStringLiteral("no board answered at addresses %1 to %2; nothing is polled, "
                               "looking again every %3 s")
                    .arg(m_options.scan.first())
                    .arg(m_options.scan.last())
                    .arg(RescanMs / 1000));
            m_noBoardSaid = true;
        }
        m_rescanTimer->start();
        return;
    }
    m_scanDone = true;
    QStringList list;
    for (int address : found)
        list << QString::number(address);
    say(QStringLiteral("found boards at %1").arg(list.join(QLatin1Char(','))));
    pollPacks(found);
    m_session->startPolling();
}

void LoggerRun::start()
{
    if (!m_options.csvDir.isEmpty())
        m_recordings.start(m_options.csvDir, DataLog::csvHeader());
    m_session->setReconnect(!m_options.once);
    if (m_session->open(m_line)) {
        startPolling();
        return;
    }
    if (m_options.once)
        return finish(1);
    say(QStringLiteral("waiting for %1").arg(m_line.port));
    m_lookTimer->start();
}

void LoggerRun::stop()
{
    // Asked again while the end waits for the broker: it waits no longer.
    if (m_stopping && m_mqtt)
        m_mqtt->stopWaiting();
    finish(0);
}

void LoggerRun::finish(int exitCode)
{
    if (m_stopping)
        return;
    m_stopping = true;
    m_lookTimer->stop();
    m_recordingRetry->stop();
    m_rescanTimer->stop();
    m_session->setReconnect(false);
    m_session->close();
    // What is still on ends here, said, kept and published before the files close and the
    // publisher says goodbye.
    m_analyses->stop();
    reportEvents();
    m_eventFiles.close();
    m_recordings.stop();
    m_books->saveAll();
    // --once succeeds only with its states at the broker, not merely handed to the publisher.
    QString why;
    if (m_mqtt && m_options.once && exitCode == 0 && !m_mqtt->waitDelivered(OnceDeliveryMs, &why)) {
        say(QStringLiteral("MQTT: the broker did not acknowledge the state within %1 s: %2")
                .arg(OnceDeliveryMs / 1000)
                .arg(why));
        exitCode = 1;
    }
    if (m_mqtt)
        m_mqtt->finish(); // every pack and the logger "offline"
    std::fflush(m_out);
    emit finished(exitCode);
}

void LoggerRun::packReply(int address, const RealTimeReply &values, const AFE &record)
{
    auto it = m_packs.find(address);
    if (it == m_packs.end() || m_stopping)
        return; // not a pack of ours (a stray reply)
    Pack &pack = *it;
    m_analyses->reply(address, values, record);
    pack.misses = 0;
    pack.notSent = 0;
    const QDateTime now = QDateTime::currentDateTime();
    if (pack.saidSilent) {
        if (pack.lastReply.isValid())
            say(QStringLiteral("pack %1 answers again after %2 without a reply")
                    .arg(address)
                    .arg(gapText(pack.lastReply.secsTo(now))));
        else
            say(QStringLiteral("pack %1 answers now").arg(address));
        pack.saidSilent = false;
    }
    pack.lastReply = now;
    pack.record = record;
    pack.cells = PackState::presentCells(record, values);
    pack.cycles = values.cycleCount;
    if (!m_options.once) {
        if (m_blockOf == address && ++m_blockWait > MissesBeforeOffline)
            m_blockOf = -1; // the block did not come: the next pack's turn, this one's again later
        if (m_blockOf < 0)
            askForBlock();
    }
    if (m_options.once && pack.done)
        return;
    ++pack.seq;
    QJsonObject state = PackState::build(record, values, pack.seq, now);
    PackState::addRoundTrip(&state, m_session->packLink(address).roundTripMs);
    m_analyses->pack(address).addToState(&state);
    if (m_options.json || m_options.once)
        print(state);
    writeCsv(address, now, record);
    if (m_mqtt) {
        if (!pack.online && pack.seq > 1)
            m_mqtt->setPackOnline(address, true);
        m_mqtt->publishState(address, state);
    }
    pack.online = true;
    publishBank(now);
    reportEvents();
    if (m_options.once) {
        pack.done = true;
        finishOnceIfDone();
    }
}

QString LoggerRun::stateFolder(const LoggerOptions &options)
{
    if (!options.stateDir.isEmpty())
        return options.stateDir;
    // systemd's StateDirectory= (several are separated by ':'; ours is the first).
    return qEnvironmentVariable("STATE_DIRECTORY").section(QLatin1Char(':'), 0, 0);
}

void LoggerRun::askForBlock()
{
    if (m_stopping || !m_session->isOpen() || m_session->isScanning())
        return;
    for (auto it = m_packs.begin(); it != m_packs.end(); ++it) {
        if (it->blockRead || it->blockTries >= BlockTries || !it->online)
            continue;
        ++it->blockTries;
        m_blockOf = it.key();
        m_blockWait = 0;
        m_session->queueReadBack(it.key());
        return;
    }
}

void LoggerRun::publishBank(const QDateTime &now)
{
    if (!m_mqtt)
        return;
    if (m_lastBank.isValid() && m_lastBank.msecsTo(now) < m_options.periodMs)
        return;
    m_lastBank = now;
    QVector<BankState::Member> members;
    for (auto it = m_packs.cbegin(); it != m_packs.cend(); ++it) {
        BankState::Member m;
        m.pack = PackSummary::summarize(it.key(), it->record, it->cells);
        m.answering = it->online && it->lastReply.isValid();
        const PackAnalysis &analysis = m_analyses->pack(it.key());
        m.designAh = analysis.energy.designCapacityAh();
        m.energy = &analysis.energy;
        members.append(m);
    }
    m_mqtt->publishBank(BankState::build(members, now));
}

PackMetrics::Bank LoggerRun::metrics() const
{
    PackMetrics::Bank bank;
    QList<int> addresses = m_packs.keys();
    std::sort(addresses.begin(), addresses.end());
    const qint64 now = m_analyses->now();
    for (int address : qAsConst(addresses)) {
        const Pack &pack = *m_packs.constFind(address);
        const BoardSession::PackLink link = m_session->packLink(address);
        PackMetrics::Pack m;
        m.address = address;
        m.up = pack.online;
        m.hasReply = pack.lastReply.isValid();
        m.record = pack.record;
        m.cells = pack.cells;
        m.cycles = pack.cycles;
        const qint64 last = m_analyses->pack(address).lastReplyMs;
        if (last >= 0)
            m.lastReplyAgeSeconds = std::max<qint64>(0, now - last) / 1000.0;
        m.replies = link.replies;
        m.timeouts = link.timeouts;
        m.crcErrors = link.crcErrors;
        const EnergyMeter &energy = m_analyses->pack(address).energy;
        if (energy.since().isValid()) {
            m.chargedJoules = energy.total().chargedWs;
            m.dischargedJoules = energy.total().dischargedWs;
        }
        const EventJournal &events = m_analyses->pack(address).events;
        m.eventsOngoing = events.ongoing().size();
        for (const QString &key : EventNames::keys())
            m.eventsStarted.emplace_back(key.toStdString(), events.started().value(key));
        bank.packs.push_back(m);
    }
    if (m_session->isCycling() && m_session->lastCycleMs() >= 0)
        bank.cycleSeconds = m_session->lastCycleMs() / 1000.0;
    return bank;
}

void LoggerRun::writeCsv(int address, const QDateTime &when, const AFE &afe)
{
    if (!m_recordings.isRunning())
        return;
    char line[DataLog::MaxCsvLine];
    const int length = DataLog::formatCsvLine(DataLog::toRow(afe, when), line);
    if (m_recordings.append(address, when, QByteArray::fromRawData(line, length))) {
        if (m_recordingProblemSaid) {
            say(QStringLiteral("CSV recording goes on in %1")
                    .arg(QDir::toNativeSeparators(m_recordings.path())));
            m_recordingProblemSaid = false;
        }
        return;
    }
    const QString where = QDir::toNativeSeparators(m_recordings.path());
    if (m_options.once) {
        say(QStringLiteral("CSV recording failed: %1: %2").arg(where, m_recordings.englishError()));
        m_recordingFailed = true;
        return;
    }
    // Unattended, a full disk or a removed folder must not end the recording for good. Said once
    // until a line is recorded again.
    if (!m_recordingProblemSaid) {
        say(QStringLiteral("CSV recording stopped: %1: %2; trying again every %3 s")
                .arg(where, m_recordings.englishError())
                .arg(RecordingRetryMs / 1000));
        m_recordingProblemSaid = true;
    }
    m_recordingRetry->start();
}

void LoggerRun::pollUnanswered(int address, BoardSession::Unanswered why)
{
    auto it = m_packs.find(address);
    if (it == m_packs.end() || m_stopping)
        return;
    Pack &pack = *it;
    m_analyses->unanswered(address);
    reportEvents(); // a lost link goes out while the pack is still said to be online
    ++pack.misses;
    pack.notSent = why == BoardSession::Unanswered::NotSent ? pack.notSent + 1 : 0;
    if (pack.misses < MissesBeforeOffline)
        return;
    if (m_options.once && !pack.done) {
        say(pack.notSent >= pack.misses
                ? QStringLiteral("pack %1: the line never went quiet for %2 polls")
                      .arg(address)
                      .arg(pack.misses)
                : QStringLiteral("pack %1 did not answer %2 polls").arg(address).arg(pack.misses));
        pack.done = true;
        finishOnceIfDone();
        return;
    }
    if (pack.online)
        setOffline(address, pack);
    saySilent(address, pack);
}

void LoggerRun::reportEvents()
{
    if (m_events.isEmpty())
        return;
    const QVector<PackEvent> events = std::exchange(m_events, {});
    for (const PackEvent &event : events) {
        // Kept first: what was said or printed is in the file, whenever the program is killed.
        keepEvent(event);
        // Protections and the user's alerts are said; the link has lines of its own ("stopped
        // answering", "answers again"). Alarms and the MOSFETs a protection switches off go to
        // the JSON, the file and MQTT only: a temperature that hovers at an alarm point would
        // fill the journal.
        const bool said = event.kind == PackEvent::Protection || event.kind == PackEvent::Spread
            || event.kind == PackEvent::LowSoc;
        if (said) {
            QString line = QStringLiteral("pack %1: %2")
                               .arg(event.address, 2, 10, QLatin1Char('0'))
                               .arg(EventNames::describe(event, EventNames::Language::English));
            const qint64 seconds = event.durationMs(event.startMs) / 1000;
            if (event.endMs < 0)
                line += QStringLiteral(", started");
            else if (event.endUnknown)
                line += QStringLiteral(", still on when watching stopped after %1")
                            .arg(gapText(seconds));
            else
                line += QStringLiteral(", ended after %1").arg(gapText(seconds));
            say(line);
        }
        QJsonObject json = EventNames::toJson(event);
        // Home Assistant's event entity fires by this key.
        json.insert(QStringLiteral("event_type"), event.key);
        if (m_options.json)
            print(QJsonObject{ { QStringLiteral("event"), json } });
        if (m_mqtt)
            m_mqtt->publishEvent(event.address, json);
    }
}

void LoggerRun::print(const QJsonObject &object)
{
    const QByteArray line = PackState::toLine(object) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), m_out);
    std::fflush(m_out);
}

void LoggerRun::keepEvent(const PackEvent &event)
{
    if (m_options.csvDir.isEmpty())
        return;
    m_eventFiles.setFolder(m_options.csvDir);
    QString error;
    if (m_eventFiles.append(event, nullptr, &error)) {
        if (m_eventFileProblemSaid.remove(event.address))
            say(QStringLiteral("pack %1: events are kept again in %2")
                    .arg(event.address)
                    .arg(m_eventFiles.path(event.address)));
        return;
    }
    if (!m_eventFileProblemSaid.contains(event.address)) {
        say(QStringLiteral("pack %1: cannot keep events in %2: %3; polling goes on")
                .arg(event.address)
                .arg(m_eventFiles.path(event.address), error));
        m_eventFileProblemSaid.insert(event.address);
    }
}

void LoggerRun::setOffline(int address, Pack &pack)
{
    pack.online = false;
    if (m_mqtt)
        m_mqtt->setPackOnline(address, false);
}

void LoggerRun::saySilent(int address, Pack &pack)
{
    if (pack.saidSilent)
        return;
    pack.saidSilent = true;
    if (pack.lastReply.isValid())
        say(QStringLiteral("pack %1 stopped answering; last reply at %2")
                .arg(address)
                .arg(pack.lastReply.toString(Qt::ISODate)));
    else
        say(QStringLiteral("pack %1 does not answer").arg(address));
}

void LoggerRun::finishOnceIfDone()
{
    bool allAnswered = true;
    for (const Pack &pack : qAsConst(m_packs)) {
        if (!pack.done)
            return;
        allAnswered = allAnswered && pack.seq > 0;
    }
    finish(allAnswered && !m_recordingFailed ? 0 : 1);
}

void LoggerRun::lineClosed(BoardSession::CloseReason reason)
{
    if (m_stopping)
        return;
    // Nothing is watched while the line is away: what was on ends with an unknown end, and what
    // is on when it is back starts anew.
    m_analyses->stop();
    reportEvents();
    for (auto it = m_packs.begin(); it != m_packs.end(); ++it) {
        it->misses = 0;
        it->notSent = 0;
        if (it->online)
            setOffline(it.key(), *it);
    }
    if (m_options.once)
        return finish(1);
    if (reason != BoardSession::CloseReason::User && !m_lineLost) {
        m_lineLost = true;
        say(QStringLiteral("%1 went away; waiting for it").arg(m_session->portName()));
    }
    // The session says whether it waits for the adapter only after it has closed the line.
    QTimer::singleShot(0, this, &LoggerRun::checkLine);
}

void LoggerRun::checkLine()
{
    if (m_stopping || m_session->isOpen() || m_session->isWaitingToReconnect())
        m_lookTimer->stop();
    else if (!m_lookTimer->isActive())
        m_lookTimer->start();
}

void LoggerRun::lookForLine()
{
    if (m_stopping || m_session->isOpen() || m_session->isWaitingToReconnect())
        return m_lookTimer->stop();
    // The adapter may come back under another name (ttyUSB1 for ttyUSB0).
    BoardSession::LineSettings line = m_line;
    if (!m_identity.isEmpty()) {
        const QList<PortInfo> ports = PortList::availablePorts();
        for (const PortInfo &port : ports) {
            if (PortList::identity(port) == m_identity) {
                line.port = port.name;
                break;
            }
        }
    }
    if (!m_session->open(line))
        return;
    m_lookTimer->stop();
    startPolling();
}
