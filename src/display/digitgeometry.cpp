#include "display/digitgeometry.h"

namespace vex {

namespace {

QPolygon horizontalSegment(int w, int t, int s, int y0)
{
    return QPolygon({QPoint(s + t, y0 + t), QPoint(2 * t + s, y0), QPoint(w - 2 * t - s, y0),
                     QPoint(w - t - s, y0 + t), QPoint(w - 2 * t - s, y0 + 2 * t),
                     QPoint(2 * t + s, y0 + 2 * t)});
}

QPolygon verticalSegment(int m, int t, int s, int x0, int y0)
{
    return QPolygon({QPoint(x0, y0 + 2 * t + s), QPoint(x0 + t, y0 + t + s), QPoint(x0 + 2 * t, y0 + 2 * t + s),
                     QPoint(x0 + 2 * t, y0 + m - t - s), QPoint(x0 + t, y0 + m - s),
                     QPoint(x0, y0 + m - t - s)});
}

} // namespace

QList<QPolygon> DigitShapes(int width, int height, int thickness, int separation)
{
    // Coordinates run to the last pixel, not one past it.
    const int w = width - 1;
    const int h = height - 1;
    const int t = thickness;
    const int s = separation;
    const int m = h / 2;

    const int leftX = 0;
    const int rightX = w - 2 * t;
    const int upperY = 0;
    const int lowerY = m - t;

    QList<QPolygon> shapes;
    shapes.reserve(kSegmentShapeCount);
    shapes << horizontalSegment(w, t, s, 0) << horizontalSegment(w, t, s, m - t)
           << horizontalSegment(w, t, s, h - 2 * t);
    shapes << verticalSegment(m, t, s, leftX, upperY) << verticalSegment(m, t, s, rightX, upperY)
           << verticalSegment(m, t, s, leftX, lowerY) << verticalSegment(m, t, s, rightX, lowerY);
    shapes << QPolygon({QPoint(w, h), QPoint(w - 2 * t + s, h), QPoint(w, h - 2 * t + s)});
    return shapes;
}

} // namespace vex
