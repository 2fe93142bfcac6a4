#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QCheckBox;
class QLabel;
class QSpinBox;
class QStatusBar;

namespace vex {

class LiveServer;
class Race;

// The live page's switch and port at the right of the status bar, and the
// address a phone types while the page is on. The race's settings say
// whether it is on; the switch and the port only send them there, and the
// station's server follows them, from the start of the program on. A click
// on the address shows its QR code.
class LiveBinding : public QObject
{
    Q_OBJECT
public:
    LiveBinding(Race &race, LiveServer &server, QStatusBar &bar);

Q_SIGNALS:
    // The address for the spectators' display's code; empty: no code.
    void displayCodeChanged(const QString &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUrl(const QString &url);
    void followSettings();
    void sendChoice();
    void showStarted(quint16 port);
    void showFailure(const QString &message);
    void showText(const QString &text, bool failure);

    Race &m_race;
    QPointer<LiveServer> m_server;
    QCheckBox *m_switch = nullptr;
    QSpinBox *m_port = nullptr;
    QLabel *m_address = nullptr;
    int m_failedPort = 0; // the port the page last failed to listen on
    QString m_failure;
    QString m_url;         // the page's address while it is served
    QString m_displayCode; // as last told to the display
};

} // namespace vex
