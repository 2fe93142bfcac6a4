#pragma once

#include <QTcpServer>

namespace vex {

// A listening socket that keeps at most so many connections open at once;
// one more is answered "503" with a German line and closed, so a phone too
// many learns why instead of waiting.
class LimitedTcpServer : public QTcpServer
{
    Q_OBJECT
public:
    explicit LimitedTcpServer(int maxConnections, QObject *parent = nullptr);

    int openConnections() const { return m_open; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    int m_max;
    int m_open = 0;
};

} // namespace vex
