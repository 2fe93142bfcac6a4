#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace vex {

// The trail of every change of the results: each command done, taken back or
// redone leaves one line with its date and time in a file of its own day
// beside the backup ("Korrekturen-2026-05-17.txt"). Files of earlier days are
// kept, so a disputed time of a two-day event can still be traced; a day's
// file stops growing at a bound, with one line that says so, so a runaway
// can't fill the disk. UTF-8 with CR LF line ends, for any editor.
class CorrectionJournal
{
public:
    static constexpr qint64 kMaxDayBytes = 8 * 1024 * 1024;

    // now: the clock the lines are stamped with; null: the system's.
    explicit CorrectionJournal(QString folder, std::function<QDateTime()> now = {});

    // Appends the line to today's file. A journal that can't be written
    // stays silent: the results and their backup never wait for it.
    void append(const QString &line);

    QString pathFor(const QDate &day) const;

private:
    QString m_folder;
    std::function<QDateTime()> m_now;
    QDate m_fullOn; // the day whose file was found full
};

} // namespace vex
