#pragma once

#include "live/livesnapshot.h"
#include "publish/namestyle.h"
#include "publish/uploadresult.h"

#include <QByteArray>
#include <QList>

#include <array>

namespace vex {

// What is published, as bits of one number in the settings.
enum PublishContent : int {
    ContentPage = 1,       // index.html, which reads results.json
    ContentJson = 2,       // results.json
    ContentProtocol = 4,   // protokoll.txt
    ContentSeason = 8,     // season.html while a season is open
    ContentAll = 15,
};

// One state of the event as it goes up, taken on the race's thread; the
// files are made from it on the upload thread.
struct PublishSnapshot
{
    LiveResultsPtr results;
    LiveCourse course;
    // The season's standings with names in each style, by NameStyle; empty:
    // no season open (or no page in that style).
    std::array<QByteArray, 3> seasonPages;
};

// The files for one upload, every name in them as style says. results.json
// goes before the page, so a first-time reader's page finds it.
QList<PublishFile> publishFiles(const PublishSnapshot &snapshot, int content, NameStyle style);

// The page that stands on the web space: the live page's look, all classes
// one below the other, reading results.json beside it every 30 seconds. It
// holds no results itself, so it goes up again only when the title changes.
QByteArray staticResultsPage(const QString &title);

} // namespace vex
