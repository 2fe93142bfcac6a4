#include "app/livebinding.h"

#include "live/lanaddress.h"
#include "live/liveserver.h"
#include "race/race.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace vex {

LiveBinding::LiveBinding(Race &race, LiveServer &server, QStatusBar &bar)
    : QObject(&bar)
    , m_race(race)
    , m_server(&server)
{
    m_switch = new QCheckBox(u"Live-Seite"_s, &bar);
    m_switch->setObjectName(u"cbLive"_s);
    m_switch->setToolTip(u"Die Ergebnisse als Webseite für Handys und Laptops im selben Netz"_s);
    m_port = new QSpinBox(&bar);
    m_port->setObjectName(u"seLivePort"_s);
    m_port->setRange(1, 65535);
    m_port->setPrefix(u"Port "_s);
    m_port->setToolTip(u"Port der Live-Seite"_s);
    m_address = new QLabel(&bar);
    m_address->setObjectName(u"lbl_Live"_s);
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The address (or why there is none) left of the switch: its text comes
    // and goes, and the switch must stay where the operator clicked it.
    bar.addPermanentWidget(m_address);
    bar.addPermanentWidget(m_switch);
    bar.addPermanentWidget(m_port);

    connect(m_switch, &QCheckBox::toggled, this, &LiveBinding::sendChoice);
    connect(m_port, &QSpinBox::editingFinished, this, &LiveBinding::sendChoice);
    connect(&race, &Race::settingsChanged, this, &LiveBinding::followSettings);
    connect(&server, &LiveServer::started, this, &LiveBinding::showStarted);
    connect(&server, &LiveServer::failed, this, &LiveBinding::showFailure);
    followSettings();
}

void LiveBinding::sendChoice()
{
    m_race.setLivePage(m_switch->isChecked(), m_port->value());
}

void LiveBinding::followSettings()
{
    const Settings &s = m_race.settings();
    {
        const QSignalBlocker quietSwitch(m_switch);
        const QSignalBlocker quietPort(m_port);
        m_switch->setChecked(s.Live);
        m_port->setValue(s.LivePort);
    }
    if (!s.Live)
        showText({}, false);
    else if (m_server && m_server->isRunning())
        showStarted(m_server->port());
    else if (s.LivePort == m_failedPort)
        showText(m_failure, true); // the station tries a failed port only when it is chosen anew
    else
        showText(u"Live-Seite startet …"_s, false);
}

void LiveBinding::showStarted(quint16 port)
{
    const QString host = lanAddress();
    if (host.isEmpty()) {
        showText(u"Live-Seite an Port %1 – kein Netzwerk gefunden"_s.arg(port), false);
        return;
    }
    showText(u"Live: http://%1:%2/"_s.arg(host).arg(port), false);
    m_address->setToolTip(u"Diese Adresse im Browser eines Handys oder Laptops im selben Netz öffnen"_s);
}

void LiveBinding::showFailure(const QString &message)
{
    m_failedPort = m_race.settings().LivePort;
    m_failure = message;
    showText(message, true);
}

void LiveBinding::showText(const QString &text, bool failure)
{
    m_address->setText(text);
    m_address->setToolTip(failure ? text : QString());
    m_address->setStyleSheet(failure ? u"color: #b3261e; font-weight: bold;"_s : QString());
}

} // namespace vex
