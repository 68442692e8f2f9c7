#pragma once

#include "common/QtPrinting.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkDatagram>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

// A player's socket: a real UDP socket on 127.0.0.1 that keeps every datagram it hears.
class UdpPeer
{
public:
    UdpPeer(QString name, quint16 port, quint16 serverPort = 7200)
        : m_name(std::move(name)), m_serverPort(serverPort)
    {
        m_bound = m_socket.bind(QHostAddress::LocalHost, port);
        QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QByteArray d = m_socket.receiveDatagram().data();
                got << QString::fromUtf8(d);
            }
        });
    }
    bool Bound() const { return m_bound; }
    QString Name() const { return m_name; }
    QString Port() const { return QString::number(m_socket.localPort()); }
    void Send(const QString &text)
    {
        m_socket.writeDatagram(text.toUtf8(), QHostAddress::LocalHost, m_serverPort);
    }
    // The first n datagrams heard (waiting up to the timeout); fewer when they do not come.
    QStringList Take(int n, int timeoutMs = 5000)
    {
        (void)QTest::qWaitFor([&] { return got.size() >= n; }, timeoutMs);
        const QStringList out = got.mid(0, n);
        got = got.mid(n);
        return out;
    }
    // The first datagram that starts with the prefix; earlier ones are dropped. "" on time-out.
    QString WaitFor(const QString &prefix, int timeoutMs = 5000)
    {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                while (!got.isEmpty()) {
                    const QString d = got.takeFirst();
                    if (d.startsWith(prefix)) {
                        found = d;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }
    // Everything heard within a short quiet spell.
    QStringList Drain(int quietMs = 300)
    {
        QTest::qWait(quietMs);
        QStringList out = got;
        got.clear();
        return out;
    }

    QStringList got;

private:
    QString m_name;
    quint16 m_serverPort;
    QUdpSocket m_socket;
    bool m_bound = false;
};

// How the server is started; by default a copy of the built program with no arguments, offscreen.
struct Launch {
    QStringList arguments;
    // A program to run where it is instead of the copy.
    QString program;
    // Changes to the environment the program sees.
    std::function<void(QProcessEnvironment &)> environment;
};

// The real QuilloryServer, copied with its settings files into a folder of its own and run offscreen.
class ServerProcess
{
public:
    ~ServerProcess() { Stop(); }

    // Settings: name -> value, written as the program's .dat files. False (with *why) when the
    // program is missing or does not answer STATUS on UDP 7200 in time.
    bool Start(const QMap<QString, QString> &settings, QString *why, int readyTimeoutMs = 20000,
               const Launch &launch = {})
    {
        const QString bin = qEnvironmentVariable("QUILLORY_BIN_DIR") + "/QuilloryServer";
        if (!QFile::exists(bin)) {
            *why = "no program at " + bin;
            return false;
        }
        const QString program = launch.program.isEmpty() ? m_dir.filePath("QuilloryServer") : launch.program;
        if (launch.program.isEmpty()) {
            QFile::remove(program);
            if (!QFile::copy(bin, program)) {
                *why = "could not copy " + bin;
                return false;
            }
        }
        for (auto it = settings.begin(); it != settings.end(); ++it) {
            QFile f(m_dir.filePath(it.key() + ".dat"));
            f.open(QIODevice::WriteOnly | QIODevice::Truncate);
            f.write((it.value() + "\r\n").toUtf8());
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CACHE_HOME", m_dir.filePath("cache")); // link graphs of archives
        if (launch.environment)
            launch.environment(env);
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(m_dir.path());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, launch.arguments);
        if (!m_process.waitForStarted(5000)) {
            *why = "could not start: " + m_process.errorString();
            return false;
        }
        UdpPeer probe("", 0);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < readyTimeoutMs) {
            probe.Send("STATUS SERVER=probe;PORT=" + probe.Port() + ";");
            if (!probe.Take(1, 250).isEmpty())
                return true;
            if (m_process.state() != QProcess::Running) {
                *why = "the program ended early";
                return false;
            }
        }
        *why = "no STATUS answer from UDP 7200";
        return false;
    }
    void Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    qint64 Pid() const { return m_process.processId(); }
    void Signal(int signal) { ::kill(pid_t(m_process.processId()), signal); }
    // True when the program ended by itself (not by a signal's default action) within the time.
    bool EndsCleanly(int timeoutMs, int *exitCode)
    {
        // It may have ended already, while the test waited for datagrams.
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs))
            return false;
        *exitCode = m_process.exitCode();
        return m_process.exitStatus() == QProcess::NormalExit;
    }
    QString Folder() const { return m_dir.path(); }
    // Everything the program printed on standard output so far.
    QString Output()
    {
        m_output += QString::fromUtf8(m_process.readAllStandardOutput());
        return m_output;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_output;
};

// GET over HTTP; returns the body, with *status the HTTP status (0 when no answer).
inline QByteArray HttpGet(const QString &url, int *status, int timeoutMs = 10000)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = manager.get(request);
    (void)QTest::qWaitFor([&] { return reply->isFinished(); }, timeoutMs);
    *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return body;
}
