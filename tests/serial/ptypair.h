#pragma once

// A pseudo-terminal pair standing in for a serial device: the program opens
// the terminal side by its path, the test plays the device on the other.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class PtyPair
{
public:
    PtyPair()
    {
        int terminal = -1;
        char name[256] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&m_device, &terminal, name, &raw, nullptr) == 0) {
            m_path = QString::fromLocal8Bit(name);
            // The program opens its own side; this one only kept it set up.
            ::close(terminal);
            ::fcntl(m_device, F_SETFL, ::fcntl(m_device, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair() { unplug(); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool ok() const { return m_device >= 0; }
    const QString &path() const { return m_path; }

    bool send(const QByteArray &bytes)
    {
        return m_device >= 0 && ::write(m_device, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // What the program sent, waiting up to timeoutMs for the first byte.
    QByteArray receive(int timeoutMs = 0)
    {
        QByteArray bytes;
        pollfd fd{m_device, POLLIN, 0};
        if (m_device < 0 || ::poll(&fd, 1, timeoutMs) <= 0)
            return bytes;
        char buffer[1024];
        for (ssize_t n; (n = ::read(m_device, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, n);
        return bytes;
    }
    // The device goes away: its terminal hangs up.
    void unplug()
    {
        if (m_device >= 0)
            ::close(m_device);
        m_device = -1;
    }

private:
    int m_device = -1;
    QString m_path;
};
