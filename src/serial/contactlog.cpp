#include "serial/contactlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace vex {

ContactLog::ContactLog(QString filePath, Now now)
    : m_filePath(std::move(filePath))
    , m_now(std::move(now))
{
}

void ContactLog::append(const QString &entry)
{
    const QDateTime now = m_now();
    const QFileInfo info(m_filePath);
    // Yesterday's contacts make way on the first contact of a new day.
    const bool newDay = info.exists() && info.lastModified().date() != now.date();
    // The settings folder may not exist before the settings were first saved.
    QDir().mkpath(info.path());
    QFile file(m_filePath);
    if (!file.open(newDay ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::WriteOnly | QIODevice::Append))
        return;
    const QString line = now.toString(u"yyyy-MM-dd hh:mm:ss.zzz"_s) + u'\t' + entry + u'\n';
    file.write(line.toUtf8());
    file.flush();
    // The date test above goes by the modification time; pin it to the
    // clock the log is written by, so both agree.
    file.setFileTime(now, QFileDevice::FileModificationTime);
}

} // namespace vex
