#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace vex {

// Points per place of a class's result: points[0] for place 1, ...; places past the table get 0.
struct PlacePoints {
    QList<int> points;
    static PlacePoints defaults(); // 50,45,40,36,32,29,26,24,22,20,18,16,14,12,11,10,9,8,7,6,5,4,3,2,1
    int forPlace(int place) const; // place <= 0 or past the table: 0
    static std::optional<PlacePoints> parse(const QString &text); // "50, 45, 40" (commas/blanks/semicolons); nullopt for junk or negatives
    QString toText() const; // "50, 45, 40, ..."
};

} // namespace vex
