#include "app/livebinding.h"

#include "app/livecodedialog.h"
#include "live/lanaddress.h"
#include "live/liveserver.h"
#include "race/race.h"

#include <QCheckBox>
#include <QEvent>
#include <QMouseEvent>
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
    m_address->installEventFilter(this);
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
    if (!s.Live) {
        setUrl({});
        showText({}, false);
    } else if (m_server && m_server->isRunning()) {
        showStarted(m_server->port());
    } else if (s.LivePort == m_failedPort) {
        setUrl({});
        showText(m_failure, true); // the station tries a failed port only when it is chosen anew
    } else {
        setUrl({});
        showText(u"Live-Seite startet …"_s, false);
    }
}

void LiveBinding::showStarted(quint16 port)
{
    const QString host = lanAddress();
    if (host.isEmpty()) {
        setUrl({});
        showText(u"Live-Seite an Port %1 – kein Netzwerk gefunden"_s.arg(port), false);
        return;
    }
    // An IPv6 address goes into brackets, as in any URL.
    setUrl(u"http://%1:%2/"_s.arg(host.contains(u':') ? u'[' + host + u']' : host).arg(port));
    showText(u"Live: "_s + m_url, false);
    m_address->setToolTip(u"Diese Adresse im Browser eines Handys oder Laptops im selben Netz öffnen; "
                          u"ein Klick zeigt sie als QR-Code"_s);
    m_address->setCursor(Qt::PointingHandCursor);
}

void LiveBinding::setUrl(const QString &url)
{
    m_url = url;
    if (url.isEmpty())
        m_address->unsetCursor();
    const QString code = m_race.settings().LiveCode ? url : QString();
    if (code == m_displayCode)
        return;
    m_displayCode = code;
    Q_EMIT displayCodeChanged(code);
}

bool LiveBinding::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_address && event->type() == QEvent::MouseButtonRelease && !m_url.isEmpty()
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && !m_address->hasSelectedText()) {
        LiveCodeDialog(m_race, m_url, m_address->window()).exec();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void LiveBinding::showFailure(const QString &message)
{
    setUrl({});
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
