#include "backup/backupnames.h"

#include "timing/timetext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex::backupnames {

namespace {

QString historyPrefix(QDate day)
{
    return u"Sicherung-"_s + day.toString(u"yyyy-MM-dd"_s) + u"-Stand-"_s;
}

} // namespace

QString current()
{
    return u"Sicherung.txt"_s;
}

QString marker()
{
    return u"Sicherung.offen"_s;
}

QString lock()
{
    return u"Sicherung.sperre"_s;
}

QString history(QDate day, int number)
{
    return historyPrefix(day) + u"%1.txt"_s.arg(number, 4, 10, QChar(u'0'));
}

QString historyPattern(QDate day)
{
    return historyPrefix(day) + u"*.txt"_s;
}

int historyNumber(QStringView fileName, QDate day)
{
    const QString prefix = historyPrefix(day);
    if (!fileName.startsWith(prefix) || !fileName.endsWith(u".txt"))
        return -1;
    const QStringView digits = fileName.sliced(prefix.size(), fileName.size() - prefix.size() - 4);
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return -1;
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok && number > 0 ? number : -1;
}

QString aside(const QDateTime &now, int attempt)
{
    const QString counter = attempt > 1 ? u"-%1"_s.arg(attempt) : QString();
    return u"Sicherung-"_s + FileDateStamp(now) + counter + u".txt"_s;
}

QString unfinishedPrefix()
{
    // QSaveFile writes beside the target under the target's name and a dot.
    return current() + u'.';
}

} // namespace vex::backupnames
