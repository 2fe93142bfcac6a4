#pragma once

// A file server on 127.0.0.1 started by the test (loopback_server.py): FTP,
// FTPS, SFTP or WebDAV over https. Never a system daemon.

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

class LoopbackServer
{
public:
    // kind: "ftp", "ftps", "sftp" or "dav"; state keeps keys and
    // certificates, so a restarted server shows the same ones.
    LoopbackServer(QString kind, QString root, QString state)
        : m_kind(std::move(kind))
        , m_root(std::move(root))
        , m_state(std::move(state))
    {
    }
    ~LoopbackServer() { stop(); }

    // Empty when it listens; else why not. skipped: the package is missing.
    QString start(int delayMs = 0)
    {
        m_skipped = false;
        QDir().mkpath(m_root);
        QStringList args{QStringLiteral("-W"), QStringLiteral("ignore"), QStringLiteral(VEX_SERVER_SCRIPT), m_kind, QStringLiteral("--root"), m_root,
                         QStringLiteral("--state"), m_state, QStringLiteral("--port"), QString::number(port), QStringLiteral("--delay"),
                         QString::number(delayMs)};
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(VEX_PYTHON), args);
        if (!m_process.waitForStarted(5000)) {
            // No python3 here (under Wine: the host's can't be started).
            m_skipped = true;
            return QStringLiteral("python3 fehlt");
        }
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(30000)) {
                m_process.waitForFinished(1000);
                m_skipped = m_process.exitCode() == 77;
                return m_skipped ? QStringLiteral("Serverpaket für ") + m_kind + QStringLiteral(" fehlt") : QStringLiteral("Server startet nicht");
            }
        }
        const QStringList ready = QString::fromUtf8(m_process.readLine()).trimmed().split(u' ');
        if (ready.value(0) != u"READY")
            return QStringLiteral("Server meldet sich nicht");
        port = ready.value(1).toInt();
        fingerprint = ready.value(2);
        return {};
    }
    bool skipped() const { return m_skipped; }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    QString caFile() const { return m_state + QStringLiteral("/ca.pem"); }

    int port = 0; // 0 before the first start: any free one
    QString fingerprint;

private:
    QString m_kind;
    QString m_root;
    QString m_state;
    QProcess m_process;
    bool m_skipped = false;
};
