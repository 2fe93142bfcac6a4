#pragma once

// A race with the outside world faked: the tick counter and the timers.

#include "../timing/faketicks.h"
#include "../support/loadpages.h"
#include "../timing/faketimers.h"
#include "race/race.h"

#include <QFile>
#include <QStringList>
#include <QTest>

// Start number, name, club, TR, StS, Lauf 1, StS, Lauf 2, StS, Gesamt, Platz.
inline QStringList driver(const QString &stNr, const QString &name, const QString &club = {},
                          const QString &run1 = {}, const QString &pen1 = {}, const QString &run2 = {},
                          const QString &pen2 = {}, const QString &total = {}, const QString &place = {})
{
    return {stNr, name, club, {}, {}, run1, pen1, run2, pen2, total, place};
}

// The bytes of a file, empty when it can't be read.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

struct RaceFixture
{
    FakeTicks ticks;
    FakeTimers timers;
    vex::RaceResults results;
    vex::Race race{results, ticks, timers};
    vex::RaceFiles files{race};

    // Classes put onto the pages as a loaded start list puts them, the first
    // class chosen.
    void load(const QList<QList<QStringList>> &classes, const QStringList &names)
    {
        loadPages(files, classes, names);
        race.chooseClass(0);
    }

    template <typename Change>
    void changeSettings(Change change)
    {
        vex::Settings s = race.settings();
        change(s);
        race.applySettings(s);
    }

    // Start and stop with the ticks of the two events.
    void drive(int ms)
    {
        race.start(5000);
        race.stop(5000 + quint32(ms));
    }
    void driveAndEnter(int ms)
    {
        drive(ms);
        race.enter();
    }

    const vex::ResultPage *page(int k = -1) const { return race.competition().page(k < 0 ? race.entry().page : k); }
    QString cell(int row, int column) const { return page()->cell(row, column); }
    int rowOf(const QString &startNumber) const
    {
        for (int r = 1; r < page()->rows(); ++r) {
            if (page()->cell(r, vex::ColStNr) == startNumber)
                return r;
        }
        return -1;
    }
    QString cellOf(const QString &startNumber, int column) const { return cell(rowOf(startNumber), column); }
    vex::RowId idOf(const QString &startNumber) const { return page()->rowId(rowOf(startNumber)); }
};
