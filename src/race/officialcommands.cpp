// What the officials of the day add to the results besides the timed runs:
// a time from the stopwatch when a barrier failed, a run disqualified, who
// is a girl and who a boy, and the event's date.
#include "race/raceresults.h"

#include "results/recording.h"
#include "results/rowtotal.h"
#include "results/runcell.h"
#include "timing/timetext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QString cellOrEmpty(const QString &text)
{
    return isBlankCell(text) ? u"leer"_s : text.trimmed();
}

QString runWithPenalty(const QString &time, const QString &penalty)
{
    if (isBlankCell(time))
        return u"leer"_s;
    return isBlankCell(penalty) ? time.trimmed() : u"%1 StS %2"_s.arg(time.trimmed(), penalty.trimmed());
}

std::optional<qint32> readHandTime(const QString &text)
{
    QString t = text.trimmed();
    t.replace(u'.', u',');
    if (!isTimeText(t))
        return std::nullopt;
    return TextToMs(t);
}

// Blank for none, or whole seconds as the penalty field takes them.
bool isPenaltyText(const QString &text)
{
    return text.size() <= 4 && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

} // namespace

void RaceResults::setEventDate(QDate date)
{
    if (date == m_competition->eventDate())
        return;
    m_competition->setEventDate(date);
    Q_EMIT eventChanged();
}

void RaceResults::setEventPlace(const QString &place)
{
    if (place == m_competition->eventPlace())
        return;
    m_competition->setEventPlace(place);
    Q_EMIT eventChanged();
}

QString RaceResults::reRunQuestion(RowId rowId, int run) const
{
    const int k = pageOfRow(rowId);
    const QString who = k >= 0 ? driverLabel(page(k), page(k).rowOfId(rowId)) : QString();
    const QString what = who.isEmpty() ? runName(run) : runName(run) + u" von "_s + who;
    return what + u" wiederholen lassen? Rückgängig (Strg+Z) holt die Zeit zurück."_s;
}

RaceResults::HandTimePlan RaceResults::planHandTime(RowId rowId, int run, const QString &timeText,
                                                    const QString &penaltyText, int minRunSeconds) const
{
    HandTimePlan plan;
    const int k = pageOfRow(rowId);
    if (k < 0)
        return plan;
    const ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    if (run < 0 || run > p.shownRuns()) {
        plan.text = u"%1 wird in dieser Klasse nicht gefahren."_s.arg(runName(run));
        return plan;
    }
    const std::optional<qint32> ms = readHandTime(timeText);
    if (!ms) {
        plan.text = u"„%1“ ist keine Zeit; bitte als m:ss,hh oder ss,hh eingeben, z. B. 1:05,37 oder 45,12."_s.arg(
            timeText.trimmed());
        return plan;
    }
    if (*ms <= 0 || *ms < qint64(minRunSeconds) * 1000) {
        plan.text = minRunSeconds > 0
            ? u"%1 ist kürzer als die Mindestlaufzeit von %2 s."_s.arg(MsToText(*ms)).arg(minRunSeconds)
            : u"Eine Laufzeit von %1 gibt es nicht."_s.arg(MsToText(*ms));
        return plan;
    }
    const QString penalty = penaltyText.trimmed();
    if (!isPenaltyText(penalty)) {
        plan.text = u"„%1“ sind keine Strafsekunden; bitte eine ganze Zahl eingeben."_s.arg(penalty);
        return plan;
    }
    plan.ok = true;
    plan.ms = *ms;
    plan.penaltySeconds = penaltyValue(penalty);
    const QString before = p.cell(row, timeColumn(run));
    if (!isBlankCell(before)) {
        plan.text = u"%1 von %2 hat schon %3. Durch die Handzeit %4 ersetzen?"_s.arg(
            runName(run), driverLabel(p, row), runWithPenalty(before, p.cell(row, penaltyColumn(run))),
            runWithPenalty(MsToText(*ms), QString::number(plan.penaltySeconds)));
    }
    return plan;
}

void RaceResults::enterHandTime(RowId rowId, int run, qint32 ms, int penaltySeconds)
{
    const int k = pageOfRow(rowId);
    if (k < 0 || ms <= 0 || ms >= kHourMs)
        return;
    const ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    const QString line = u"Handzeit: %1 von %2: %3 (vorher %4)"_s.arg(
        runName(run), driverLabel(p, row), runWithPenalty(MsToText(ms), QString::number(penaltySeconds)),
        runWithPenalty(p.cell(row, timeColumn(run)), p.cell(row, penaltyColumn(run))));
    CommandScope scope;
    scope.run = run;
    perform(k, scope, line, [&](ResultPage &page) {
        const int r = page.rowOfId(rowId);
        RunEntry e;
        e.startNumber = page.cell(r, ColStNr);
        e.name = page.cell(r, ColName);
        e.club = page.cell(r, ColClub);
        e.run = run;
        e.runTimeMs = ms;
        e.penaltySeconds = penaltySeconds;
        if (r < 1 || enterRunIntoRow(page, r, e) != r)
            return RowId(0);
        RowMarks marks = page.marks(r);
        marks.setHandTime(run, true);
        page.setMarks(r, marks);
        return rowId;
    });
}

void RaceResults::setRunDisqualified(RowId rowId, int run, bool disqualified)
{
    const int k = pageOfRow(rowId);
    if (k < 0 || run < 0)
        return;
    const ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    if (run > p.shownRuns() || p.marks(row).isDisqualifiedRun(run) == disqualified)
        return;
    const QString time = p.cell(row, timeColumn(run));
    const QString kept = p.marks(row).keptTimes.at(std::size_t(run));
    const QString line = disqualified
        ? u"%1 von %2 disqualifiziert (vorher %3)"_s.arg(runName(run), driverLabel(p, row), cellOrEmpty(time))
        : u"Disqualifikation von %1 von %2 aufgehoben: %3"_s.arg(runName(run), driverLabel(p, row),
                                                               cellOrEmpty(kept));
    CommandScope scope;
    scope.run = run;
    perform(k, scope, line, [&](ResultPage &page) {
        const int r = page.rowOfId(rowId);
        RowMarks marks = page.marks(r);
        const bool hand = marks.isHandTime(run);
        page.setCell(r, timeColumn(run), disqualified ? kDisMark.toString() : kept);
        // The cell's new text ended the run's marks; the command sets its own.
        marks.setDisqualifiedRun(run, disqualified, time);
        marks.setHandTime(run, hand);
        page.setMarks(r, marks);
        applyRowTotalRule(page, r);
        return rowId;
    });
}

void RaceResults::setGender(RowId rowId, Gender gender)
{
    const int k = pageOfRow(rowId);
    if (k < 0)
        return;
    const ResultPage &p = page(k);
    const int row = p.rowOfId(rowId);
    if (p.gender(row) == gender)
        return;
    const auto shown = [](Gender g) { return g == Gender::None ? u"keine Angabe"_s : genderText(g); };
    const QString line = u"%1: m/w auf „%2“ gesetzt (vorher „%3“)"_s.arg(driverLabel(p, row), shown(gender),
                                                                           shown(p.gender(row)));
    perform(
        k, {}, line,
        [&](ResultPage &page) {
            const int r = page.rowOfId(rowId);
            RowMarks marks = page.marks(r);
            marks.gender = gender;
            page.setMarks(r, marks);
            return rowId;
        },
        false);
}

} // namespace vex
