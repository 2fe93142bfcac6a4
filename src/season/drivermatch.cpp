#include "season/drivermatch.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace vex {

QString foldedForMatching(const QString &text)
{
    QString out;
    out.reserve(text.size() + 4);
    for (const QChar c : text.toLower()) {
        switch (c.unicode()) {
        case u'ä': out.append(u"ae"); break;
        case u'ö': out.append(u"oe"); break;
        case u'ü': out.append(u"ue"); break;
        case u'ß': out.append(u"ss"); break;
        case u'-':
        case u'.':
            break;
        default:
            if (!c.isSpace())
                out.append(c);
            break;
        }
    }
    return out;
}

bool mayBeSameDriver(const DriverKey &a, const DriverKey &b)
{
    if (a.birthYear && b.birthYear && a.birthYear != b.birthYear)
        return false;
    return foldedForMatching(a.name) == foldedForMatching(b.name)
        && foldedForMatching(a.club) == foldedForMatching(b.club);
}

DriverMerges::DriverMerges(const QList<DriverMerge> &merges)
{
    for (const DriverMerge &m : merges) {
        if (!(m.from == m.into))
            m_into.insert(m.from, m.into);
    }
}

DriverKey DriverMerges::resolve(const DriverKey &key) const
{
    DriverKey current = key;
    // Each step follows one confirmed merge; more steps than merges means a cycle.
    for (qsizetype steps = 0; steps <= m_into.size(); ++steps) {
        const auto it = m_into.constFind(current);
        if (it == m_into.cend() || *it == key)
            return current;
        current = *it;
    }
    return current;
}

namespace {

bool isDeclined(const DriverKey &a, const DriverKey &b, const QList<DriverPair> &declined)
{
    for (const DriverPair &p : declined) {
        if ((p.a == a && p.b == b) || (p.a == b && p.b == a))
            return true;
    }
    return false;
}

} // namespace

QList<MergeProposal> mergeProposals(const QList<std::pair<DriverKey, int>> &driversWithStarts,
                                    const QList<DriverPair> &declined)
{
    // Only drivers whose folded name and club agree can be the same; grouping
    // by them keeps a season of thousands of drivers from comparing all pairs.
    QHash<QString, QList<qsizetype>> groups;
    QList<QString> order;
    for (qsizetype i = 0; i < driversWithStarts.size(); ++i) {
        const DriverKey &k = driversWithStarts.at(i).first;
        const QString folded = foldedForMatching(k.name) + u'\t' + foldedForMatching(k.club);
        auto it = groups.find(folded);
        if (it == groups.end()) {
            order.append(folded);
            it = groups.insert(folded, {});
        }
        it->append(i);
    }
    QList<MergeProposal> proposals;
    for (const QString &folded : std::as_const(order)) {
        const QList<qsizetype> &members = groups.value(folded);
        for (qsizetype x = 0; x < members.size(); ++x) {
            for (qsizetype y = x + 1; y < members.size(); ++y) {
                const auto &[a, startsA] = driversWithStarts.at(members.at(x));
                const auto &[b, startsB] = driversWithStarts.at(members.at(y));
                if (a == b || !mayBeSameDriver(a, b) || isDeclined(a, b, declined))
                    continue;
                if (startsB > startsA)
                    proposals.append({a, b});
                else
                    proposals.append({b, a});
            }
        }
    }
    return proposals;
}

QString driverLabel(const DriverKey &key)
{
    QString details = key.club;
    if (key.birthYear)
        details += (details.isEmpty() ? QString() : u", "_s) + QString::number(key.birthYear);
    return details.isEmpty() ? key.name : key.name + u" ("_s + details + u')';
}

} // namespace vex
