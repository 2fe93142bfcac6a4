#pragma once

#include <QRect>
#include <QSize>

#include <array>

namespace vex {

// The spectators' display repeats the main window's time display at the size
// of a whole screen. The horizontal extent of the main window's Bevel1 maps
// onto the screen's width; heights follow from the text sizes and what is left
// for the two rows of digits. Everything here is arithmetic on numbers, so the
// window only applies the result, and only when it is placed or resized.

inline constexpr int kDesignedNameLabelPointSize = 14; // the main window's driver-name label
inline constexpr int kDesignedDpi = 96;

// Nearest whole number, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
int RoundHalfEven(double value);

// Pixel height of a font of the given point size on a screen of the given
// logical resolution, rounded as the system's font mapping does.
int FontPixelHeight(int pointSize, int dpi);

// Scale of the display: its client width over the width of Bevel1.
double DisplayScale(int clientWidth);

// A rectangle of the main window's display area, on the display: horizontally
// from Bevel1's left edge, both axes scaled by s.
QRect MapFromMain(const QRect &mainRect, double s);

struct MonitorLayout
{
    int labelPointSize = 0;   // label panels and title
    int labelPixels = 0;      // font height of the label panels in pixels
    int labelPanelHeight = 0; // both label panels
    int titleHeight = 0;
    int digitHeight = 0;      // D
    int runningTop = 0;
    int bestTop = 0;
    int labelPanel1Top = 0;
    int labelPanel2Top = 0;
    int thickness = 0;          // segment thickness of all twelve digits
    int separatorPointSize = 0;
    int separatorPixels = 0;
    // Bounds of the digits and separators, in the order of kDesignedDisplay.
    std::array<QRect, 16> elements{};
};

// The display's layout for a client area of the given size, scale s (from the
// last placement) and screen resolution.
MonitorLayout LayoutDisplay(QSize client, double s, int dpi = kDesignedDpi);

// The screen the display goes on: the wanted one when it exists, else screen 0;
// -1 when there is no screen at all.
int DisplayScreenIndex(int wanted, int screenCount);

} // namespace vex
