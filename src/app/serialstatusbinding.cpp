#include "app/serialstatusbinding.h"

#include "serial/bytestream.h"
#include "serial/raceboard.h"
#include "serial/racebarriers.h"
#include "serial/racetimer.h"

#include <QLabel>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace vex {

SerialStatusBinding::SerialStatusBinding(RaceBarriers &barriers, QStatusBar &bar)
    : QObject(&bar)
{
    m_timer.stream = &barriers.timer().stream();
    m_board.stream = &barriers.board().stream();
    m_timer.label = new QLabel(&bar);
    m_timer.label->setObjectName(u"lbl_Zeitmessgeraet"_s);
    m_board.label = new QLabel(&bar);
    m_board.label->setObjectName(u"lbl_Anzeigetafel"_s);
    bar.addPermanentWidget(m_timer.label);
    bar.addPermanentWidget(m_board.label);

    connect(&barriers.timer(), &RaceTimer::stateChanged, this, [this] {
        m_timer.message.clear();
        show(m_timer);
    });
    connect(&barriers.timer(), &RaceTimer::message, this, [this](const QString &text) {
        m_timer.message = text;
        show(m_timer);
    });
    connect(&barriers.board(), &RaceBoard::stateChanged, this, [this] {
        m_board.message.clear();
        show(m_board);
    });
    connect(&barriers.board(), &RaceBoard::message, this, [this](const QString &text) {
        m_board.message = text;
        show(m_board);
    });
    show(m_timer);
    show(m_board);
}

void SerialStatusBinding::show(Panel &panel)
{
    const ByteStream::State state = panel.stream->state();
    panel.label->setVisible(state != ByteStream::State::Off);
    // Short, beside the status bar's own panels; the port and the whole
    // message in the tooltip. A message about the device names it already.
    QString text = panel.stream->shortStateText();
    QString tip = panel.stream->stateText();
    if (!panel.message.isEmpty()) {
        text = panel.label->fontMetrics().elidedText(panel.message, Qt::ElideRight, 280);
        tip = panel.message + u'\n' + tip;
    }
    panel.label->setText(text);
    panel.label->setToolTip(tip);
    const bool trouble = state == ByteStream::State::Lost || state == ByteStream::State::Refused;
    panel.label->setStyleSheet(trouble ? u"color: #b00000;"_s : QString());
}

} // namespace vex
