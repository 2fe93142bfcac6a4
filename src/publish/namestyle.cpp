#include "publish/namestyle.h"

#include "live/livesnapshot.h"
#include "results/resultpage.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

QString publicName(const QString &name, NameStyle style)
{
    if (style == NameStyle::Full)
        return name;
    if (style == NameStyle::StartNumberOnly)
        return {};
    static const QRegularExpression birthYear(u"\\(\\s*\\d{4}\\s*\\)"_s);
    QString text = name;
    text.remove(birthYear);
    text = text.simplified();
    QString first;
    QString last;
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0) {
        last = text.left(comma).trimmed();
        first = text.mid(comma + 1).trimmed();
    } else {
        const qsizetype space = text.lastIndexOf(u' ');
        if (space < 0)
            return text; // one word: a first name alone gives nothing more away
        first = text.left(space);
        last = text.mid(space + 1);
    }
    // The initial is the surname's first letter, past quotes and brackets.
    const auto letter = std::find_if(last.cbegin(), last.cend(), [](QChar c) { return c.isLetterOrNumber(); });
    if (letter == last.cend())
        return first;
    const QString initial = QString(*letter) + u'.';
    return first.isEmpty() ? initial : first + u' ' + initial;
}

void applyNameStyle(LiveResults &results, LiveCourse &course, NameStyle style)
{
    if (style == NameStyle::Full)
        return;
    for (LiveClass &cls : results.classes) {
        for (qsizetype r = 1; r < cls.rows.size(); ++r) {
            QStringList &row = cls.rows[r];
            if (row.size() <= ColName)
                continue;
            const QString was = row.at(ColName);
            const QString label = QString(row.at(ColStNr) + u' ' + was).trimmed();
            row[ColName] = publicName(was, style);
            if (!was.isEmpty() && cls.bestDriver == label)
                cls.bestDriver = QString(row.at(ColStNr) + u' ' + row.at(ColName)).trimmed();
        }
    }
    course.name = publicName(course.name, style);
}

} // namespace vex
