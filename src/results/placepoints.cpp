#include "results/placepoints.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// More points than any table of a rule book gives; a larger figure is a typing
// error, and sums of them must stay far from overflowing.
constexpr int kMaxPointsPerPlace = 100000;
// Places a table may name; no class has more drivers.
constexpr qsizetype kMaxPlaces = 1000;

} // namespace

PlacePoints PlacePoints::defaults()
{
    return {{50, 45, 40, 36, 32, 29, 26, 24, 22, 20, 18, 16, 14, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}};
}

int PlacePoints::forPlace(int place) const
{
    if (place <= 0 || place > points.size())
        return 0;
    return points.at(place - 1);
}

std::optional<PlacePoints> PlacePoints::parse(const QString &text)
{
    static const QRegularExpression separators(u"[\\s,;]+"_s);
    const QStringList pieces = text.split(separators, Qt::SkipEmptyParts);
    if (pieces.isEmpty() || pieces.size() > kMaxPlaces)
        return std::nullopt;
    PlacePoints table;
    table.points.reserve(pieces.size());
    for (const QString &piece : pieces) {
        // Digits only: a sign, a decimal point or a letter is no number of points.
        for (const QChar c : piece) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
        }
        bool ok = false;
        const int value = piece.toInt(&ok);
        if (!ok || value > kMaxPointsPerPlace)
            return std::nullopt;
        table.points.append(value);
    }
    return table;
}

QString PlacePoints::toText() const
{
    QStringList texts;
    texts.reserve(points.size());
    for (const int p : points)
        texts.append(QString::number(p));
    return texts.join(u", "_s);
}

} // namespace vex
