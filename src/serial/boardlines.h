#pragma once

#include <QByteArray>
#include <QString>

namespace vex {

// What the display board shows; the settings keep the sum.
enum BoardShows : int {
    BoardRunningTime = 1, // the running time while a run is timed
    BoardFinishTime = 2,  // the time of the last run, with its rank once entered
    BoardStartNumber = 4, // the driver's start number beside the time
};
inline constexpr int kBoardShowsAll = BoardRunningTime | BoardFinishTime | BoardStartNumber;

// The lines of the board's input, each ended by CR: a start number in three
// places (blank when not shown), the fourth place a point for a running
// time and a blank for a finish, four blanks, then the time as
// HH:MM:SS.zht with leading zeros blanked, and for a finish the rank in two
// places. A running time shows tenths, a finish hundredths (as recorded).
QByteArray boardRunningLine(const QString &startNumber, qint64 ms);
// rank 0: none (yet).
QByteArray boardFinishLine(const QString &startNumber, qint64 ms, int rank);
// Every place blank: the board goes dark.
QByteArray boardBlankLine();

} // namespace vex
