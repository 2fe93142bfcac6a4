#pragma once

#include <QList>
#include <QPolygon>

#include <array>

namespace vex {

// Segment bits of a seven-segment pattern; the shapes of DigitShapes come in
// this order, bit 0 first.
enum SegmentBit : quint8 {
    SegTop = 0x01,
    SegMiddle = 0x02,
    SegBottom = 0x04,
    SegUpperLeft = 0x08,
    SegUpperRight = 0x10,
    SegLowerLeft = 0x20,
    SegLowerRight = 0x40,
    SegDecimalPoint = 0x80,
};

inline constexpr int kSegmentShapeCount = 8;

// Segment patterns of the digits 0 to 9; none lights the decimal point.
inline constexpr std::array<quint8, 10> kDigitSegments = {125, 80, 55, 87, 90, 79, 111, 81, 127, 95};

// The pattern of a digit 0..9; any other value shows as 0.
constexpr quint8 SegmentsOfDigit(int value)
{
    return (value >= 0 && value <= 9) ? kDigitSegments[std::size_t(value)] : kDigitSegments[0];
}

// The eight shapes of a digit of the given size: three horizontal hexagons
// (top, middle, bottom), four vertical ones (upper left, upper right, lower
// left, lower right) and the decimal-point triangle, in segment-bit order.
// thickness is half the width of a segment's body, separation the gap between
// neighbouring segments.
QList<QPolygon> DigitShapes(int width, int height, int thickness, int separation);

} // namespace vex
