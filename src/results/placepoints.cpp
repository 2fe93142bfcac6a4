#include "results/placepoints.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace vex {

namespace {
// A table longer than any class is a typing slip rather than a table.
constexpr qsizetype kMaxPlaces = 1000;
constexpr int kMaxPoints = 1'000'000;
} // namespace

PlacePoints PlacePoints::defaults()
{
    return {{50, 45, 40, 36, 32, 29, 26, 24, 22, 20, 18, 16, 14, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}};
}

int PlacePoints::forPlace(int place) const
{
    return place >= 1 && place <= points.size() ? points.at(place - 1) : 0;
}

std::optional<PlacePoints> PlacePoints::parse(const QString &text)
{
    static const QRegularExpression separators(u"[\\s,;]+"_s);
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > kMaxPlaces)
        return std::nullopt;
    PlacePoints table;
    table.points.reserve(parts.size());
    for (const QString &part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok, 10);
        if (!ok || value < 0 || value > kMaxPoints || part.startsWith(u'+'))
            return std::nullopt;
        table.points.append(value);
    }
    return table;
}

QString PlacePoints::toText() const
{
    QStringList parts;
    parts.reserve(points.size());
    for (const int p : points)
        parts.append(QString::number(p));
    return parts.join(u", "_s);
}

} // namespace vex
