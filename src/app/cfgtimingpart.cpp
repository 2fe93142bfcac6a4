#include "app/cfgtimingpart.h"

#include "serial/boardlines.h"
#include "settings/settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

const int kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

template <typename W>
W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QComboBox *baudBox(QWidget *parent, const QString &name)
{
    auto *box = named(new QComboBox(parent), name);
    for (const int rate : kBaudRates)
        box->addItem(QString::number(rate), rate);
    return box;
}

QComboBox *portBox(QWidget *parent, const QString &name)
{
    auto *box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->lineEdit()->setPlaceholderText(u"kein Anschluss"_s);
    box->setMinimumContentsLength(24);
    box->setToolTip(u"COM-Nummer (z. B. COM3) oder unter Linux ein Gerätepfad, z. B. /dev/serial/by-id/…"_s);
    return box;
}

void choose(QComboBox *box, int rate)
{
    const int at = box->findData(rate);
    if (at >= 0) {
        box->setCurrentIndex(at);
    } else {
        // A rate set by hand outside the list is kept as it is.
        box->addItem(QString::number(rate), rate);
        box->setCurrentIndex(box->count() - 1);
    }
}

} // namespace

TimingDevicesPart::TimingDevicesPart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"Zeitmessung"_s);
    auto *source = named(new QGroupBox(u" Start und Ziel "_s, this), u"GroupQuelle"_s);
    rbLichtschranken = named(new QRadioButton(u"Lichtschranken am Port (Seite „Allgemein“)"_s, source),
                             u"rbLichtschranken"_s);
    rbZeitmessgeraet = named(new QRadioButton(u"Zeitmessgerät (RS-232)"_s, source), u"rbZeitmessgeraet"_s);
    auto *group = new QButtonGroup(this);
    group->addButton(rbLichtschranken);
    group->addButton(rbZeitmessgeraet);
    cbTimerPort = portBox(source, u"cbTimerPort"_s);
    cbTimerBaud = baudBox(source, u"cbTimerBaud"_s);
    auto *s = new QFormLayout(source);
    s->addRow(rbLichtschranken);
    s->addRow(rbZeitmessgeraet);
    s->addRow(u"Anschluss:"_s, cbTimerPort);
    s->addRow(u"Baudrate:"_s, cbTimerBaud);
    auto *hint = new QLabel(u"Das Gerät sendet jede Zeit als Zeile (8N1), z. B. „0001 c0 15:43:49,8863 00“: "
                            u"c0 startet, c1 stoppt den Lauf; die Zeit des Geräts wird eingetragen."_s,
                            source);
    hint->setWordWrap(true);
    s->addRow(hint);

    auto *board = named(new QGroupBox(u" Anzeigetafel "_s, this), u"GroupTafel"_s);
    cbTafelPort = portBox(board, u"cbTafelPort"_s);
    cbTafelBaud = baudBox(board, u"cbTafelBaud"_s);
    chkTafelLaufzeit = named(new QCheckBox(u"laufende Zeit"_s, board), u"chkTafelLaufzeit"_s);
    chkTafelZielzeit = named(new QCheckBox(u"Zielzeit mit Platz"_s, board), u"chkTafelZielzeit"_s);
    chkTafelStartnummer = named(new QCheckBox(u"Startnummer"_s, board), u"chkTafelStartnummer"_s);
    auto *b = new QFormLayout(board);
    b->addRow(u"Anschluss:"_s, cbTafelPort);
    b->addRow(u"Baudrate:"_s, cbTafelBaud);
    b->addRow(u"Zeigt:"_s, chkTafelLaufzeit);
    b->addRow(QString(), chkTafelZielzeit);
    b->addRow(QString(), chkTafelStartnummer);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(board);
    layout->addStretch(1);
    connect(rbZeitmessgeraet, &QRadioButton::toggled, this, &TimingDevicesPart::followSource);
}

void TimingDevicesPart::setPorts(const QList<int> &ports)
{
    QStringList entries;
    for (const int port : ports)
        entries.append(u"COM%1"_s.arg(port));
#ifndef Q_OS_WIN
    // Names that stay the same whichever USB socket the adapter is in.
    const QDir byId(u"/dev/serial/by-id"_s);
    for (const QString &name : byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        entries.append(byId.filePath(name));
#endif
    for (QComboBox *box : {cbTimerPort, cbTafelPort}) {
        const QString typed = box->currentText();
        box->clear();
        box->addItem(QString());
        box->addItems(entries);
        box->setEditText(typed);
    }
}

void TimingDevicesPart::load(const Settings &settings)
{
    (settings.Quelle == 1 ? rbZeitmessgeraet : rbLichtschranken)->setChecked(true);
    cbTimerPort->setEditText(settings.TimerPort);
    choose(cbTimerBaud, settings.TimerBaud);
    cbTafelPort->setEditText(settings.TafelPort);
    choose(cbTafelBaud, settings.TafelBaud);
    chkTafelLaufzeit->setChecked(settings.TafelZeigt & BoardRunningTime);
    chkTafelZielzeit->setChecked(settings.TafelZeigt & BoardFinishTime);
    chkTafelStartnummer->setChecked(settings.TafelZeigt & BoardStartNumber);
    followSource();
}

void TimingDevicesPart::read(Settings &settings) const
{
    settings.Quelle = rbZeitmessgeraet->isChecked() ? 1 : 0;
    settings.TimerPort = cbTimerPort->currentText().trimmed();
    settings.TimerBaud = cbTimerBaud->currentData().toInt();
    settings.TafelPort = cbTafelPort->currentText().trimmed();
    settings.TafelBaud = cbTafelBaud->currentData().toInt();
    settings.TafelZeigt = (chkTafelLaufzeit->isChecked() ? BoardRunningTime : 0)
        | (chkTafelZielzeit->isChecked() ? BoardFinishTime : 0)
        | (chkTafelStartnummer->isChecked() ? BoardStartNumber : 0);
}

void TimingDevicesPart::followSource()
{
    const bool timer = rbZeitmessgeraet->isChecked();
    cbTimerPort->setEnabled(timer);
    cbTimerBaud->setEnabled(timer);
}

} // namespace vex
