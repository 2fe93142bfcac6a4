#include "serial/raceboard.h"

#include "race/race.h"
#include "serial/boardlines.h"
#include "serial/bytestream.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The place column holds "1", "1." or nothing.
int rankOf(const QString &cell)
{
    QString digits;
    for (const QChar c : cell.trimmed()) {
        if (!c.isDigit())
            break;
        digits += c;
    }
    return digits.toInt();
}

QString shownNumber(const Race &race)
{
    return (race.settings().TafelZeigt & BoardStartNumber) ? race.entry().startNumber : QString();
}

} // namespace

RaceBoard::RaceBoard(Race &race, Timers &timers, ByteDevice &device, const ContactClock &clock, QObject *parent)
    : QObject(parent)
    , m_race(race)
    , m_lastState(race.runController().state())
{
    m_stream = std::make_unique<ByteStream>(device, clock, timers, u"Anzeigetafel"_s, false);
    connect(m_stream.get(), &ByteStream::stateChanged, this, &RaceBoard::stateChanged);
    connect(m_stream.get(), &ByteStream::message, this, &RaceBoard::message);
    connect(&race, &Race::runningTime, this, &RaceBoard::showRunningTime);
    connect(&race, &Race::runControlsChanged, this, &RaceBoard::followRunState);
}

RaceBoard::~RaceBoard() = default;

void RaceBoard::open()
{
    const Settings &s = m_race.settings();
    m_stream->open(s.TafelPort, s.TafelBaud);
}

void RaceBoard::close()
{
    m_stream->close();
}

void RaceBoard::showRunningTime(qint32 ms)
{
    const int shows = m_race.settings().TafelZeigt;
    switch (m_race.runController().state()) {
    case RunState::Running: {
        // The race ticks every 10 ms; the board's line takes most of a
        // tenth of a second at 2400 baud.
        const qint64 tenth = ms / 100;
        if (!(shows & BoardRunningTime) || tenth == m_lastTenth)
            return;
        m_lastTenth = tenth;
        m_stream->send(boardRunningLine(shownNumber(m_race), ms));
        break;
    }
    case RunState::Stopped:
        if (shows & BoardFinishTime)
            m_stream->send(boardFinishLine(shownNumber(m_race), ms, 0));
        break;
    default:
        break;
    }
}

void RaceBoard::followRunState()
{
    const RunState state = m_race.runController().state();
    const RunState before = std::exchange(m_lastState, state);
    if (state == before)
        return;
    m_lastTenth = -1;
    if (before == RunState::Running && state == RunState::Ready)
        m_stream->send(boardBlankLine());
    else if (state == RunState::Entered)
        // The run is written and ranked once the entry has returned.
        QMetaObject::invokeMethod(this, &RaceBoard::showEntered, Qt::QueuedConnection);
}

void RaceBoard::showEntered()
{
    if (m_race.runController().state() != RunState::Entered || !(m_race.settings().TafelZeigt & BoardFinishTime))
        return;
    const RaceEntry &entry = m_race.entry();
    const ResultPage &page = m_race.results().page(entry.page);
    const int row = entry.row != 0 ? page.rowOfId(entry.row) : -1;
    const int rank = row >= 1 ? rankOf(page.cell(row, ColPlace)) : 0;
    const qint64 ms = qint64(m_race.runController().runTimeMs()) + qint64(entry.penaltySeconds) * 1000;
    m_stream->send(boardFinishLine(shownNumber(m_race), ms, rank));
}

} // namespace vex
