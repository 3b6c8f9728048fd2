#pragma once

// A real mosquitto broker for tests: its own configuration, password file and database in a
// temporary folder, listening on a free port of 127.0.0.1; and mosquitto_sub as a subscriber that
// records every message with its retained flag.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QVector>

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

class Broker
{
public:
    static constexpr char User[] = "logger";
    static constexpr char Password[] = "s3cret pass";

    ~Broker() { stop(); }

    bool start(const QString &cert = QString(), const QString &key = QString())
    {
        return prepare(cert, key) && launch();
    }

    // Takes a port and writes the configuration (TLS when certificate and key are given).
    bool prepare(const QString &cert = QString(), const QString &key = QString())
    {
        if (!m_dir.isValid())
            return false;
        if (m_port == 0) {
            // mosquitto cannot listen on port 0: take a free port and let go of it.
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost, 0))
                return false;
            m_port = probe.serverPort();
        }
        const QString passwords = m_dir.filePath("passwords");
        if (QProcess::execute("mosquitto_passwd", { "-c", "-b", passwords, User, Password }) != 0)
            return false;
        QFile::setPermissions(passwords, QFile::ReadOwner | QFile::WriteOwner);
        QFile conf(m_dir.filePath("mosquitto.conf"));
        if (!conf.open(QIODevice::WriteOnly))
            return false;
        // Only with root's rights does mosquitto change user; then it stays the one running tests.
        const passwd *me = getpwuid(geteuid());
        QByteArray text = "listener " + QByteArray::number(m_port) + " 127.0.0.1\n"
            + "allow_anonymous false\n" + "password_file " + passwords.toUtf8() + "\n" + "user "
            + QByteArray(me ? me->pw_name : "mosquitto")
            + "\n"
            // The subscriber's session outlives a restart, so nothing sent meanwhile is missed.
            + "persistence true\npersistence_location " + m_dir.path().toUtf8() + "/\n"
            + "log_dest file " + m_dir.filePath("broker.log").toUtf8()
            + "\nlog_type error\nlog_type warning\nlog_type notice\n" + "log_type information\n";
        if (!cert.isEmpty())
            text += "certfile " + cert.toUtf8() + "\nkeyfile " + key.toUtf8() + "\n";
        conf.write(text);
        return true;
    }

    // Starts the broker and returns once it takes connections. The wait runs no event loop, so
    // a publisher in the test cannot connect before the test's next step.
    bool launch()
    {
        m_process.setProgram("/usr/sbin/mosquitto");
        m_process.setArguments({ "-c", m_dir.filePath("mosquitto.conf") });
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        // Listening once a connection is taken.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000 && m_process.state() == QProcess::Running) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(200))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    // Freezes the broker: it takes nothing and acknowledges nothing, the connection stays up.
    void pause() { ::kill(pid_t(m_process.processId()), SIGSTOP); }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process.processId()), SIGCONT);
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }

    // What the broker logged so far.
    QByteArray log()
    {
        QFile file(m_dir.filePath("broker.log"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    quint16 port() const { return m_port; }
    QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(m_port); }
    QString dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    quint16 m_port = 0;
    QProcess m_process;
};

struct Received
{
    bool retained;
    QString topic;
    QByteArray payload;
};

class Subscriber
{
public:
    ~Subscriber() { stop(); }

    // Keeps what arrived so far.
    void stop()
    {
        take();
        m_process.kill();
        m_process.waitForFinished();
    }

    // Subscribes to topics with QoS 1 under a lasting session (it reconnects after a restart of
    // the broker and gets what came meanwhile); true once the broker confirmed the subscription.
    bool start(const Broker &broker, const QStringList &topics, const QString &id)
    {
        QStringList args{ "-h", "127.0.0.1",  "-p", QString::number(broker.port()),
                          "-u", Broker::User, "-P", Broker::Password,
                          "-q", "1",          "-c", "-i",
                          id,   "-d",         "-F", "MSG %r %t %p" };
        for (const QString &t : topics)
            args << "-t" << t;
        // Line by line: a pipe would otherwise hold the output back.
        m_process.start("stdbuf", QStringList{ "-oL", "mosquitto_sub" } + args);
        if (!m_process.waitForStarted(5000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            m_process.waitForReadyRead(100);
            take();
            if (m_debug.contains("SUBACK"))
                return true;
        }
        return false;
    }

    // Every message so far, in arrival order.
    const QVector<Received> &messages()
    {
        take();
        return m_messages;
    }

    QVector<Received> on(const QString &topic)
    {
        QVector<Received> out;
        for (const Received &r : messages())
            if (r.topic == topic)
                out.append(r);
        return out;
    }

private:
    void take()
    {
        m_buffer += m_process.readAll();
        int end;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            if (!line.startsWith("MSG ")) {
                m_debug += line + '\n';
                continue;
            }
            const int topicEnd = line.indexOf(' ', 6);
            m_messages.append({ line.at(4) == '1', QString::fromUtf8(line.mid(6, topicEnd - 6)),
                                topicEnd < 0 ? QByteArray() : line.mid(topicEnd + 1) });
        }
    }

    QProcess m_process;
    QByteArray m_buffer;
    QByteArray m_debug;
    QVector<Received> m_messages;
};
