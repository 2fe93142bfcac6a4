#pragma once

#include "results/teamranking.h"

#include <QHash>
#include <QList>
#include <QString>

namespace vex {

// A driver of the season: name and club as the lists spell them, and the
// birth year where a list gives one (0 where none does). The club counts as
// on the event day (teamKey): a list that writes "MSC TALHEIM" names the
// same driver as one that writes "MSC Talheim".
struct DriverKey
{
    QString name;
    QString club;
    int birthYear = 0;

    friend bool operator==(const DriverKey &a, const DriverKey &b)
    {
        return a.name == b.name && a.birthYear == b.birthYear && teamKey(a.club) == teamKey(b.club);
    }
};

inline size_t qHash(const DriverKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.name, teamKey(key.club), key.birthYear);
}

// A text reduced to what tells two spellings of one name apart: lower case,
// umlauts and ß spelled out ("Müller" and "Mueller" alike), blanks, hyphens
// and dots left out.
QString foldedForMatching(const QString &text);

// Two keys may name one person when their folded names and clubs are the
// same and their birth years don't contradict each other. Equal keys are one
// person anyway.
bool mayBeSameDriver(const DriverKey &a, const DriverKey &b);

// A merge the operator confirmed: every result of `from` counts for `into`.
struct DriverMerge
{
    DriverKey from;
    DriverKey into;
};

// Two spellings the operator said are different people; never offered again.
struct DriverPair
{
    DriverKey a;
    DriverKey b;
};

// A question for the operator: are these one driver? `into` is the spelling
// kept, the one with more starts (the earlier one when even).
struct MergeProposal
{
    DriverKey from;
    DriverKey into;
};

// The keys after the confirmed merges: a key merged away maps to the key it
// went into, following chains; a chain that comes back to its start stops.
class DriverMerges
{
public:
    explicit DriverMerges(const QList<DriverMerge> &merges = {});
    DriverKey resolve(const DriverKey &key) const;

private:
    QHash<DriverKey, DriverKey> m_into;
};

// The proposals among the drivers of a season (keys already resolved),
// given in the order first seen with their number of starts. Pairs declined
// before are left out. Nothing is merged here.
QList<MergeProposal> mergeProposals(const QList<std::pair<DriverKey, int>> &driversWithStarts,
                                    const QList<DriverPair> &declined);

// "Max Müller (MSC Nord, 2013)"
QString driverLabel(const DriverKey &key);

} // namespace vex
