// The race's answers to a false contact and a mistaken entry: one slip must
// not cost a driver his run, and nothing a correction replaces is lost.
#include "race/race.h"

#include "timing/timetext.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// A stop this soon after the start is a key's or a contact's bounce, never a
// run: no kart gets through a course in 30 ms.
constexpr qint32 kBounceMs = 30;

} // namespace

bool Race::stopTooEarly(quint32 tick, qint64 micros)
{
    if (!m_run->controls().stopEnabled || m_run->state() != RunState::Running)
        return false;
    const qint32 ms = m_run->elapsedAtMs(tick, micros);
    if (ms < kBounceMs) {
        Q_EMIT correctionLogged(u"Stopp nach %1 ms ignoriert: Prellen"_s.arg(ms));
        return true;
    }
    const qint64 minimumMs = qint64(m_settings.MinLauf) * 1000;
    if (minimumMs <= 0 || ms >= minimumMs)
        return false;
    Q_EMIT correctionLogged(u"Stopp nach %1 ignoriert: kürzer als die Mindestlaufzeit von %2 s"_s
                                .arg(MsToText(ms))
                                .arg(m_settings.MinLauf));
    return true;
}

void Race::resumeRun()
{
    const qint32 stoppedAt = m_run->runTimeMs();
    if (!m_run->resume())
        return;
    Q_EMIT correctionLogged(u"Weiterlaufen: Stopp bei %1 zurückgenommen, die Zeit läuft ab dem Start weiter"_s
                                .arg(MsToText(stoppedAt)));
}

// ---------------------------------------------------------------- undo and redo

// The entry of the run that the run controller still holds: taking it back
// makes that run wait to be entered again, redoing it enters it again.
bool Race::isPendingEntry(const CommandScope &scope) const
{
    return scope.runToken != 0 && scope.runToken == m_runToken;
}

// A run being timed, or one stopped and waiting, belongs to the driver of
// the entry: a step that chose another driver would hand the run to him.
// Only the entry of that very run may go back and forth around it.
bool Race::stepAllowed(bool undo) const
{
    const ResultCommand *command = undo ? m_results.nextUndo() : m_results.nextRedo();
    if (!command)
        return false;
    switch (m_run->state()) {
    case RunState::Ready:
        return true;
    case RunState::Entered:
        return true;
    case RunState::Running:
        return false;
    case RunState::Stopped:
        return !undo && isPendingEntry(command->scope()) && command->scope().runTimeMs == m_run->runTimeMs();
    }
    return false;
}

void Race::undo()
{
    if (!stepAllowed(true)) {
        if (m_results.nextUndo())
            Q_EMIT stepReported(u"Rückgängig ist erst möglich, wenn der Lauf eingetragen oder abgebrochen ist."_s);
        return;
    }
    m_results.undo();
}

void Race::redo()
{
    if (!stepAllowed(false)) {
        if (m_results.nextRedo())
            Q_EMIT stepReported(u"Wiederholen ist erst möglich, wenn der Lauf eingetragen oder abgebrochen ist."_s);
        return;
    }
    m_results.redo();
}

// After a step the operator is where the change was made: its class in
// front, its driver and run chosen. The entry of the run still held by the
// run controller takes the run state with it.
void Race::followStep(const CommandScope &scope, bool undone)
{
    const QString text = undone ? m_results.nextRedo()->text() : m_results.nextUndo()->text();
    // A change of the regulation was about every page: the class stays.
    if (scope.page >= 0 && scope.page != m_entry.page)
        chooseClass(scope.page);
    const ResultPage &p = *activePage();
    const int row = p.rowOfId(scope.row);
    if (scope.firstOfOrder && !undone && !m_walkRows.isEmpty()) {
        chooseDriver(0);
    } else if (row >= 1) {
        const int position = int(m_walkRows.indexOf(scope.row));
        if (position >= 0)
            m_entry.position = position;
        takeDriverFromRow(row);
    } else if (undone && isPendingEntry(scope)) {
        // The entry made the row: its driver is up again as he was typed.
        m_entry.row = 0;
        m_entry.startNumber = scope.startNumber;
        m_entry.name = scope.name;
        m_entry.club = scope.club;
    }
    if (scope.run >= 0)
        m_entry.run = scope.run;
    if (isPendingEntry(scope)) {
        if (undone && m_run->reopenEntered())
            m_entry.penaltySeconds = scope.penaltySeconds;
        else if (!undone && m_run->state() == RunState::Stopped)
            m_run->enter();
    }
    publishEntry();
    Q_EMIT correctionLogged((undone ? u"Rückgängig: "_s : u"Wiederholt: "_s) + text);
    Q_EMIT stepReported((undone ? u"Rückgängig: "_s : u"Wiederholt: "_s) + text);
}

} // namespace vex
