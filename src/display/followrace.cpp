#include "display/followrace.h"

#include "display/formmonitor2.h"
#include "display/wincolor.h"
#include "race/race.h"
#include "settings/settings.h"

namespace vex {

DisplayColours DisplayColoursOf(const Settings &s)
{
    DisplayColours c;
    c.text = fromWinColor(s.ColorText);
    c.zeit = fromWinColor(s.ColorZeit);
    c.bzeit = fromWinColor(s.ColorBZeit);
    c.fon = fromWinColor(s.ColorFon);
    return c;
}

void FollowRace(TFormMonitor2 &display, const Race &race)
{
    TFormMonitor2 *d = &display;
    const Race *r = &race;

    auto showBest = [d, r] {
        d->setBestDriver(r->bestDriverLabel());
        d->showBestTime(r->bestTimeMs());
    };
    // Colours and a fresh running row: at start, after an abort or the next
    // driver, and when the settings bring new colours.
    auto resetColours = [d, r, showBest] {
        d->setColours(DisplayColoursOf(r->settings()));
        showBest();
    };
    auto showSettings = [d, r, resetColours] {
        const Settings &s = r->settings();
        d->setTitle(s.Title);
        // A setting changed during a run (the automatic entry) must not
        // clear the running time: colours only when they change.
        if (!(DisplayColoursOf(s) == d->timeDisplay().colours()))
            resetColours();
        if (s.Monitor != d->monitor())
            d->setMonitor(s.Monitor);
    };
    auto showEntry = [d, r] { d->setStartNumber(r->entry().shownNumber); };

    QObject::connect(r, &Race::runningTime, d, &TFormMonitor2::showRunningTime);
    QObject::connect(r, &Race::bestTimeChanged, d, showBest);
    QObject::connect(r, &Race::displayReset, d, resetColours);
    QObject::connect(r, &Race::settingsChanged, d, showSettings);
    QObject::connect(r, &Race::entryChanged, d, showEntry);

    d->setTitle(r->settings().Title);
    d->setMonitor(r->settings().Monitor);
    resetColours();
    showEntry();
}

} // namespace vex
