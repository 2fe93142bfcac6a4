#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

namespace vex {

// The files of the backup folder. All but the marker and the lock start with
// "Sicherung" and end in ".txt", so the ordinary open command lists them
// together, in order of time when sorted by name:
//
//   Sicherung.txt                        the newest state, written after every
//                                        change of the results
//   Sicherung-2026-12-07-Stand-0001.txt  the day's states, numbered from 0001
//                                        upwards; only the last 20 of a day
//                                        are kept
//   Sicherung-2026-12-07-10-15.txt       a backup set aside at start-up when
//                                        the operator did not take it back;
//                                        "-2", "-3" ... when the name is taken
//   Sicherung.offen                      there while Sicherung.txt holds
//                                        results that were neither saved nor
//                                        cleared since
//   Sicherung.sperre                     the lock of the running program
//                                        copy that owns the folder
namespace backupnames {

inline constexpr int kHistoryKept = 20;

QString current();
QString marker();
QString lock();
QString history(QDate day, int number);
// A wildcard pattern matching every history file of the day.
QString historyPattern(QDate day);
// The number of a history file of the given day, -1 for any other name.
int historyNumber(QStringView fileName, QDate day);
// The name for setting a backup aside; attempt 1 has no counter, attempt n
// ends in "-n".
QString aside(const QDateTime &now, int attempt);
// Leftovers of writes cut off by a crash start with this.
QString unfinishedPrefix();

} // namespace backupnames
} // namespace vex
