#include "results/rowmarks.h"

using namespace Qt::StringLiterals;

namespace vex {

Gender readGender(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.compare(u"m", Qt::CaseInsensitive) == 0 || t.compare(u"männlich", Qt::CaseInsensitive) == 0)
        return Gender::Boy;
    if (t.compare(u"w", Qt::CaseInsensitive) == 0 || t.compare(u"weiblich", Qt::CaseInsensitive) == 0)
        return Gender::Girl;
    return Gender::None;
}

QString genderText(Gender gender)
{
    switch (gender) {
    case Gender::Boy: return u"m"_s;
    case Gender::Girl: return u"w"_s;
    case Gender::None: break;
    }
    return {};
}

bool isGenderTitle(QStringView title)
{
    const QStringView t = title.trimmed();
    return t.compare(u"m/w", Qt::CaseInsensitive) == 0 || t.compare(u"w/m", Qt::CaseInsensitive) == 0
        || t.compare(u"Geschlecht", Qt::CaseInsensitive) == 0;
}

void RowMarks::setHandTime(int run, bool on)
{
    if (run < 0 || run > kMaxScoringRuns)
        return;
    if (on)
        handTimes |= quint8(1u << run);
    else
        handTimes &= quint8(~(1u << run));
}

void RowMarks::setDisqualifiedRun(int run, bool on, const QString &keptTime)
{
    if (run < 0 || run > kMaxScoringRuns)
        return;
    if (on) {
        disqualifiedRuns |= quint8(1u << run);
        keptTimes[std::size_t(run)] = keptTime;
    } else {
        disqualifiedRuns &= quint8(~(1u << run));
        keptTimes[std::size_t(run)].clear();
    }
}

void RowMarks::forgetRun(int run)
{
    setHandTime(run, false);
    setDisqualifiedRun(run, false);
}

} // namespace vex
