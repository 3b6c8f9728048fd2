#pragma once

// The built simulated board as a child process, for tests that talk to it over its
// pseudo-terminal. The program's path comes from the build as ARVEX_BOARD_SIM.
#include <QProcess>
#include <QString>
#include <QStringList>

class Sim
{
public:
    static constexpr int StartTimeoutMs = 5000;

    ~Sim() { stop(); }

    // Starts the board and waits for the device path it prints first.
    bool start(const QStringList &args)
    {
        m_process.setProgram(QStringLiteral(ARVEX_BOARD_SIM));
        // A fixed seed unless the test names one, so every run sees the same pack.
        m_process.setArguments(args.contains("--seed") ? args
                                                       : args + QStringList{ "--seed", "1" });
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(StartTimeoutMs))
            return false;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(StartTimeoutMs))
                return false;
        }
        m_path = QString::fromLocal8Bit(m_process.readLine().trimmed());
        return !m_path.isEmpty();
    }

    // Stops it with SIGTERM, like a user's Ctrl+C; true when it ended cleanly.
    bool stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return true;
        m_process.terminate();
        if (m_process.waitForFinished(StartTimeoutMs))
            return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
        m_process.kill();
        m_process.waitForFinished();
        return false;
    }

    QString path() const { return m_path; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_path;
};
