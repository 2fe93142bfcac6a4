#pragma once

#include <QRect>
#include <QStringView>

#include <array>

namespace vex {

// The time display as designed on the main window, in pixels relative to the
// top-left corner of the window's upper band. The second window scales this
// picture to its screen, so the numbers are its model too.
inline constexpr int kDisplayAreaWidth = 400;
inline constexpr QRect kDesignedBevel1{30, 165, 343, 1}; // the line between the rows; its extent maps onto a screen
inline constexpr int kDesignedThickness = 5;
inline constexpr int kDesignedSeparation = 1;
inline constexpr int kSeparatorPixelSize = 64; // bold Times New Roman, 48 points at 96 dpi
inline constexpr int kSeparatorPointSize = 48;

struct DesignedElement
{
    QStringView name;
    QRect rect;
};

inline constexpr std::array<DesignedElement, 16> kDesignedDisplay = {{
    {u"Digit3", {33, 52, 45, 98}},
    {u"Digit4", {81, 52, 45, 98}},
    {u"LabMin", {125, 60, 29, 78}},
    {u"Digit5", {153, 52, 45, 98}},
    {u"Digit6", {201, 52, 45, 98}},
    {u"LabSec", {249, 89, 25, 81}},
    {u"Digit7", {273, 52, 45, 98}},
    {u"Digit8", {321, 52, 45, 98}},
    {u"Digit3a", {33, 198, 45, 78}},
    {u"Digit4a", {81, 198, 45, 78}},
    {u"LabMin2", {125, 198, 29, 78}},
    {u"Digit5a", {153, 198, 45, 78}},
    {u"Digit6a", {201, 198, 45, 78}},
    {u"LabSec2", {249, 219, 25, 81}},
    {u"Digit7a", {273, 198, 45, 78}},
    {u"Digit8a", {321, 198, 45, 78}},
}};

// The designed rectangle of a display element by its name; a null rectangle
// for a name that is not part of the display.
inline QRect DesignedGeometry(QStringView name)
{
    for (const DesignedElement &e : kDesignedDisplay) {
        if (e.name == name)
            return e.rect;
    }
    return {};
}

} // namespace vex
