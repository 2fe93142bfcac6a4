#include "app/barriertestwindow.h"

#include "race/race.h"
#include "serial/modemstatus.h"
#include "serial/bytestream.h"
#include "serial/racebarriers.h"
#include "serial/racetimer.h"
#include "timing/timetext.h"

#include <QAction>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// A long test shows its newest contacts.
constexpr int kShownContacts = 500;

// Seconds to the millisecond, with the comma of the time texts.
QString secondsText(qint64 us)
{
    const qint64 ms = us / 1000;
    return u"%1,%2 s"_s.arg(ms / 1000).arg(ms % 1000, 3, 10, QChar(u'0'));
}

QString contactText(const BarrierTest::Contact &c)
{
    const QString now = c.on ? u"Ein"_s : u"Aus"_s;
    return c.edges == 1 ? now : u"%1 Flanken, jetzt %2"_s.arg(c.edges).arg(now);
}

} // namespace

BarrierTestWindow::BarrierTestWindow(BarrierTest &test, QWidget *parent, RaceTimer *timer)
    : QDialog(parent)
    , m_test(test)
{
    setObjectName(u"BarrierTestWindow"_s);
    setWindowTitle(u"Lichtschranken-Test"_s);
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);
    m_port = new QLabel(this);
    m_port->setObjectName(u"lbl_Port"_s);
    layout->addWidget(m_port);

    auto *lamps = new QGridLayout;
    const QString names[2] = {u"Start (CTS, Pins 7+8)"_s, u"Ziel (DCD, Pins 1+4)"_s};
    for (int k = 0; k < 2; ++k) {
        auto *name = new QLabel(names[k], this);
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        m_lamps[k] = new QLabel(this);
        m_lamps[k]->setObjectName(k == 0 ? u"lampStart"_s : u"lampZiel"_s);
        m_lamps[k]->setFixedSize(32, 32);
        m_levels[k] = new QLabel(this);
        m_counts[k] = new QLabel(this);
        m_counts[k]->setObjectName(k == 0 ? u"lbl_CountStart"_s : u"lbl_CountZiel"_s);
        lamps->addWidget(m_lamps[k], 0, 3 * k, 2, 1);
        lamps->addWidget(name, 0, 3 * k + 1);
        lamps->addWidget(m_levels[k], 1, 3 * k + 1);
        lamps->addWidget(m_counts[k], 0, 3 * k + 2, 2, 1);
    }
    lamps->setColumnStretch(2, 1);
    lamps->setColumnStretch(5, 1);
    layout->addLayout(lamps);

    m_contacts = new QTableWidget(0, 5, this);
    m_contacts->setObjectName(u"tbl_Kontakte"_s);
    m_contacts->setHorizontalHeaderLabels(
        {u"Nr."_s, u"Lichtschranke"_s, u"Kontakt"_s, u"seit vorigem"_s, u"im Lauf"_s});
    m_contacts->verticalHeader()->hide();
    m_contacts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_contacts->setSelectionMode(QAbstractItemView::NoSelection);
    m_contacts->horizontalHeader()->setStretchLastSection(true);
    m_contacts->setColumnWidth(0, 50);
    m_contacts->setColumnWidth(1, 110);
    m_contacts->setColumnWidth(2, 140);
    m_contacts->setColumnWidth(3, 110);
    layout->addWidget(m_contacts, 1);

    if (timer && timer->stream().state() != ByteStream::State::Off) {
        auto *group = new QGroupBox(timer->stream().stateText(), this);
        group->setObjectName(u"GroupZeitmessgeraet"_s);
        auto *box = new QVBoxLayout(group);
        m_timerLines = new QTableWidget(0, 4, group);
        m_timerLines->setObjectName(u"tbl_Zeitmessgeraet"_s);
        m_timerLines->setHorizontalHeaderLabels({u"PC-Zeit"_s, u"Zeile"_s, u"Bedeutung"_s, u"im Lauf"_s});
        m_timerLines->verticalHeader()->hide();
        m_timerLines->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_timerLines->setSelectionMode(QAbstractItemView::NoSelection);
        m_timerLines->horizontalHeader()->setStretchLastSection(true);
        m_timerLines->setColumnWidth(0, 90);
        m_timerLines->setColumnWidth(1, 220);
        m_timerLines->setColumnWidth(2, 260);
        box->addWidget(m_timerLines);
        layout->addWidget(group, 2);
        m_timerLines->setWordWrap(false);
        m_timerLines->setColumnWidth(1, 200);
        m_timerLines->setColumnWidth(2, 360);
        connect(&timer->impulses(), &TimerImpulses::lineHandled, this, &BarrierTestWindow::addTimerLine);
    }

    auto *run = new QHBoxLayout;
    m_runButton = new QPushButton(u"Test-Lauf"_s, this);
    m_runButton->setObjectName(u"bTestLauf"_s);
    m_runButton->setToolTip(u"Misst vom nächsten Start- bis zum nächsten Zielkontakt, ohne ein Ergebnis zu ändern"_s);
    m_run = new QLabel(this);
    m_run->setObjectName(u"lbl_TestLauf"_s);
    QFont big = m_run->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    m_run->setFont(big);
    run->addWidget(m_runButton);
    run->addWidget(m_run, 1);
    layout->addLayout(run);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(u"Schließen"_s);
    layout->addWidget(buttons);
    resize(m_timerLines ? QSize(920, 640) : QSize(720, 520));

    m_runClock = new QTimer(this);
    m_runClock->setInterval(50);
    connect(m_runClock, &QTimer::timeout, this, &BarrierTestWindow::showRun);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_runButton, &QPushButton::clicked, &m_test, &BarrierTest::startTestRun);
    connect(&m_test, &BarrierTest::linesChanged, this, &BarrierTestWindow::showLines);
    connect(&m_test, &BarrierTest::contactSeen, this, &BarrierTestWindow::addContact);
    connect(&m_test, &BarrierTest::runChanged, this, &BarrierTestWindow::showRun);
    connect(&m_test, &BarrierTest::portChanged, this, &BarrierTestWindow::showPort);

    m_test.begin();
    showPort();
    showLines(m_test.lines());
    for (int k = 0; k < 2; ++k)
        m_counts[k]->setText(u"Kontakte: 0"_s);
    showRun();
}

BarrierTestWindow::~BarrierTestWindow()
{
    m_test.end();
}

void BarrierTestWindow::done(int result)
{
    m_test.end();
    QDialog::done(result);
}

void BarrierTestWindow::showPort()
{
    const bool open = m_test.portOpen();
    m_port->setText(open ? u"Anschluss COM%1 – die Kontakte wirken während des Tests auf keinen Lauf."_s.arg(
                               m_test.portNumber())
                    : m_timerLines
                        ? u"Start und Ziel kommen vom Zeitmessgerät (unten); seine Zeilen wirken während des Tests auf keinen Lauf."_s
                        : u"Kein Anschluss offen – in den Einstellungen (F2) den Anschluss der Lichtschranken wählen."_s);
    m_runButton->setEnabled(open);
}

void BarrierTestWindow::showLines(quint32 lines)
{
    const bool open = m_test.portOpen();
    const quint32 bits[2] = {MsCtsOn, MsRlsdOn};
    for (int k = 0; k < 2; ++k) {
        const bool on = open && (lines & bits[k]);
        m_lamps[k]->setStyleSheet(u"border: 2px solid #404040; border-radius: 16px; background: %1;"_s.arg(
            !open ? u"#c0c0c0"_s : on ? u"#20d020"_s : u"#305030"_s));
        m_levels[k]->setText(!open ? u"–"_s : on ? u"Ein"_s : u"Aus"_s);
    }
}

void BarrierTestWindow::addContact(const BarrierTest::Contact &contact)
{
    const int k = contact.line == ContactLine::Cts ? 0 : contact.line == ContactLine::Rlsd ? 1 : -1;
    if (k >= 0)
        m_counts[k]->setText(u"Kontakte: %1"_s.arg(m_test.count(contact.line)));
    if (m_contacts->rowCount() == kShownContacts)
        m_contacts->removeRow(kShownContacts - 1);
    // The newest on top.
    m_contacts->insertRow(0);
    const int number = m_test.count(ContactLine::Cts) + m_test.count(ContactLine::Dsr) + m_test.count(ContactLine::Rlsd);
    const QStringList cells{QString::number(number), BarrierTest::lineText(contact.line), contactText(contact),
                            contact.sincePreviousUs < 0 ? u"–"_s : secondsText(contact.sincePreviousUs),
                            contact.inRun};
    for (int c = 0; c < cells.size(); ++c)
        m_contacts->setItem(0, c, new QTableWidgetItem(cells[c]));
}

void BarrierTestWindow::addTimerLine(const TimerImpulse &impulse)
{
    if (m_timerLines->rowCount() == kShownContacts)
        m_timerLines->removeRow(kShownContacts - 1);
    m_timerLines->insertRow(0);
    const TimerDecode &d = impulse.decoded;
    QString meaning = d.ok ? timerLineMeaning(d.line) : u"nicht lesbar: "_s + d.error;
    if (impulse.handTime)
        meaning += u" (Handzeit)"_s;
    const QStringList cells{QTime::currentTime().toString(u"hh:mm:ss.zzz"_s), QString::fromLatin1(impulse.text), meaning,
                            timerOutcomeText(impulse.outcome)};
    for (int c = 0; c < cells.size(); ++c)
        m_timerLines->setItem(0, c, new QTableWidgetItem(cells[c]));
}

void BarrierTestWindow::showRun()
{
    switch (m_test.runPhase()) {
    case BarrierTest::RunPhase::Off:
        m_run->setText(u"Noch kein Test-Lauf"_s);
        break;
    case BarrierTest::RunPhase::WaitingForStart:
        m_run->setText(u"Test-Lauf: wartet auf den Startkontakt …"_s);
        break;
    case BarrierTest::RunPhase::Running: {
        const qint64 us = SteadyContactClock().now().micros - m_test.runStart().micros;
        m_run->setText(u"Test-Lauf läuft: %1"_s.arg(MsToText(qint32(us / 1000))));
        break;
    }
    case BarrierTest::RunPhase::Done:
        m_run->setText(u"Test-Lauf: %1 (%2)"_s.arg(MsToText(m_test.runTimeMs()),
                                                   secondsText(qint64(m_test.runTimeMs()) * 1000)));
        break;
    }
    if (m_test.runPhase() == BarrierTest::RunPhase::Running)
        m_runClock->start();
    else
        m_runClock->stop();
}

void bindBarrierTest(QAction *item, Race &race, RaceBarriers &barriers, QWidget *parent)
{
    if (!item)
        return;
    // Not while a run is timed: its contacts must act.
    auto follow = [item, &race] { item->setEnabled(race.runController().state() != RunState::Running); };
    QObject::connect(&race, &Race::runControlsChanged, item, follow);
    follow();
    QObject::connect(item, &QAction::triggered, parent, [&barriers, parent] {
        auto *window = new BarrierTestWindow(barriers.barrierTest(), parent, &barriers.timer());
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    });
}

} // namespace vex
