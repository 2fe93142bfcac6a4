#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace vex {

// Every contact the program sees, one line each, in a plain-text file beside
// the settings file, so a disputed time can be traced afterwards. The file is
// started anew on the first contact of each day and flushed after every line.
class ContactLog
{
public:
    using Now = std::function<QDateTime()>;
    explicit ContactLog(QString filePath, Now now = &QDateTime::currentDateTime);

    const QString &filePath() const { return m_filePath; }

    // Appends one line; a file that can't be written loses the line silently,
    // timing goes on.
    void append(const QString &entry);

private:
    QString m_filePath;
    Now m_now;
};

} // namespace vex
