#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>

namespace vex {

// Every contact the program sees, one line each, in a plain-text file beside
// the settings file, so a disputed time can be traced afterwards. The file
// holds the day of its last line; on the first contact of a new day it moves
// aside as "<name>-<yyyy-MM-dd>.<suffix>" (the day it holds) and a new one is
// begun. Bounded, so a long season can't fill the disk: a day's file takes
// lines up to kMaxFileBytes (then one line says the rest is left out), and
// of the days moved aside the newest kKeepDays are kept while they take no
// more than kKeepBytes together. Each line is flushed as it is written.
class ContactLog
{
public:
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
    static constexpr int kKeepDays = 120;
    static constexpr qint64 kKeepBytes = 128 * 1024 * 1024;

    using Now = std::function<QDateTime()>;
    explicit ContactLog(QString filePath, Now now = &QDateTime::currentDateTime);

    const QString &filePath() const { return m_filePath; }
    // Where the file of a day moved aside goes.
    QString dayFilePath(QDate day) const;

    // Appends one line; a file that can't be written loses the line silently,
    // timing goes on.
    void append(const QString &entry);

private:
    void moveAside(QDate day);
    void prune();

    QString m_filePath;
    Now m_now;
    QDate m_fullDay; // the day whose file is full and says so
};

} // namespace vex
