#include "serial/contactlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

ContactLog::ContactLog(QString filePath, Now now)
    : m_filePath(std::move(filePath))
    , m_now(std::move(now))
{
}

QString ContactLog::dayFilePath(QDate day) const
{
    const QFileInfo info(m_filePath);
    return info.dir().filePath(u"%1-%2.%3"_s.arg(info.completeBaseName(), day.toString(u"yyyy-MM-dd"_s),
                                                 info.suffix()));
}

void ContactLog::append(const QString &entry)
{
    const QDateTime now = m_now();
    const QFileInfo info(m_filePath);
    // Yesterday's contacts move aside on the first contact of a new day.
    if (info.exists() && info.lastModified().date() != now.date())
        moveAside(info.lastModified().date());
    // The settings folder may not exist before the settings were first saved.
    QDir().mkpath(info.path());
    QFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QString line = now.toString(u"yyyy-MM-dd hh:mm:ss.zzz"_s) + u'\t' + entry + u'\n';
    if (file.size() + line.size() > kMaxFileBytes) {
        // A contact that chatters all day fills no disk; the file says where
        // it stopped.
        if (m_fullDay == now.date())
            return;
        m_fullDay = now.date();
        line = now.toString(u"yyyy-MM-dd hh:mm:ss.zzz"_s) + u"\tlog full: further lines of this day left out\n"_s;
    }
    file.write(line.toUtf8());
    file.flush();
    // The date test above goes by the modification time; pin it to the
    // clock the log is written by, so both agree.
    file.setFileTime(now, QFileDevice::FileModificationTime);
}

void ContactLog::moveAside(QDate day)
{
    const QString first = dayFilePath(day);
    const QString suffix = u'.' + QFileInfo(m_filePath).suffix();
    QString target = first;
    // A day met again (the clock was put back) keeps both files.
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = first.chopped(suffix.size()) + u"-%1"_s.arg(n) + suffix;
    if (!QFile::rename(m_filePath, target))
        QFile::remove(m_filePath); // begun anew rather than grown without end
    m_fullDay = {};
    prune();
}

void ContactLog::prune()
{
    const QFileInfo info(m_filePath);
    const QString pattern = info.completeBaseName() + u"-[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*."_s + info.suffix();
    // The names sort by their day, the newest last.
    QFileInfoList days = info.dir().entryInfoList({pattern}, QDir::Files, QDir::Name);
    qint64 bytes = 0;
    int kept = 0;
    for (auto it = days.crbegin(); it != days.crend(); ++it) {
        bytes += it->size();
        if (++kept > kKeepDays || bytes > kKeepBytes)
            QFile::remove(it->filePath());
    }
}

} // namespace vex
