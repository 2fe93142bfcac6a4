#pragma once

#include "results/regulation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>

#include <optional>

namespace vex {

// What a protocol file says of its event beyond the rows: the regulation it
// was scored by and the start orders its classes were given. It stands after
// the file's end-of-file mark (Ctrl+Z), where every reader of rows stops:
// this program's, the season's and those of earlier versions alike, so
// nothing in it is ever taken for a row or a class. It is written only when
// there is something to say, so a file of the classic regulation without a
// start order stays as it always was.
//
// The form: the mark, CR LF, the line "[Veranstaltung]", then "key=value"
// lines (CR LF, Windows-1252):
//   Wertungslaeufe=3, Gezaehlt=2, Gleichstand=geteilt|Einzellauf,
//   Strafgrenze=10 (0: none), and per class "Klasse <n>.Startfolge=3 1 2",
//   n counting the file's class headings from 1, the numbers the rows of
//   that class as they stand in the file (its title row is row 0).
// Keys this version does not know are passed over, so a later version can
// add its own.
struct EventSection
{
    // The regulation the file was scored by; none: the file doesn't say.
    std::optional<Regulation> regulation;
    // Block index (from 0) -> the block's rows (from 1) in start order.
    QMap<int, QList<int>> startOrders;

    bool isEmpty() const { return !regulation && startOrders.isEmpty(); }
    bool operator==(const EventSection &) const = default;
};

inline constexpr char kEndOfFileMark = '\x1A';

// The bytes to append to the rows: nothing for an empty section.
QByteArray formatEventSection(const EventSection &section);
// The section from the bytes after the end-of-file mark; what can't be
// read is left out.
EventSection parseEventSection(QByteArrayView afterMark);

} // namespace vex
