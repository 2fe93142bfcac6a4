#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace vex {

// The two marks a result cell may hold instead of a time: "-" is the total of
// a driver disqualified here, "DIS" comes from files (and is the place of a
// disqualified driver).
inline constexpr QStringView kDisqualifiedMark = u"-";
inline constexpr QStringView kDisMark = u"DIS";

// What a run's time cell or a total holds, read once for every reader of the
// pages: the totals, the ranking, the backup and the exports.
struct RunCell
{
    enum Kind {
        Nothing,      // blank
        Time,         // a time text; ms is its value
        Disqualified, // exactly "-"
        Dis,          // exactly "DIS"
        Other,        // any other text: no time, yet no mark either
    };
    Kind kind = Nothing;
    qint32 ms = 0;

    // Nothing or a mark: such a total takes no place, such a cell is no time
    // to pad for a spreadsheet.
    bool isNoTime() const { return kind == Nothing || kind == Disqualified || kind == Dis; }
};

RunCell readRunCell(const QString &text);

} // namespace vex
