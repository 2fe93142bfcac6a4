#pragma once

#include <QList>
#include <QString>

#include <utility>

namespace vex {

class Competition;

// What the officials add to an event beyond its cells, as key=value lines of
// the protocol's event section: the event's date ("Datum=2026-06-14") and
// place ("Ort=Talheim"), and per row of class block n (from 1, as the file
// holds them) and row r of that block (the title row 0, as written) whether
// the driver is a girl or a boy ("Klasse 2.Zeile 5.mw=w"), the runs whose
// times came from a stopwatch ("Klasse 2.Zeile 5.Handzeit=1,3") and each
// disqualified run with the time its "DIS" replaced ("Klasse 2.Zeile 5.Lauf
// 2 DIS=45,12"). Nothing for an event without any of it.
using EventKeys = QList<std::pair<QString, QString>>;
EventKeys eventMarkKeys(const Competition &competition);

// Takes one such line back into the competition whose blocks were just
// loaded; false for a key that is none of these (it belongs to someone
// else). A key naming a class or row the file hasn't, or a value that can't
// be read, is passed over.
bool applyEventMarkKey(Competition &competition, const QString &key, const QString &value);

} // namespace vex
