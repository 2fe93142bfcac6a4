#pragma once

#include "display/digitgeometry.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPolygon>
#include <QWidget>

#include <array>

namespace vex {

// One decimal digit drawn as seven segments and a decimal-point triangle.
// Every setter returns early when nothing changes, so the time display can set
// all digits on every clock tick and only the digits that changed repaint.
class TDigit : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Value READ value WRITE setValue)
    Q_PROPERTY(int ValueBinary READ valueBinary WRITE setValueBinary)
    Q_PROPERTY(QColor ColorOn READ colorOn WRITE setColorOn)
    Q_PROPERTY(QColor ColorOff READ colorOff WRITE setColorOff)
    Q_PROPERTY(QColor Color READ color WRITE setColor)
    Q_PROPERTY(int Thickness READ thickness WRITE setThickness)
    Q_PROPERTY(int Separation READ separation WRITE setSeparation)

public:
    explicit TDigit(QWidget *parent = nullptr);

    int value() const { return m_value; }
    // A value outside 0..9 shows as 0 and is reported through OnOverflow.
    // The new digit is on the screen when this returns.
    void setValue(int value);

    quint8 valueBinary() const { return m_valueBinary; }
    // Any pattern of segment bits; repaints at once when it changes.
    void setValueBinary(int bits);

    QColor colorOn() const { return m_colorOn; }
    void setColorOn(const QColor &colour);
    QColor colorOff() const { return m_colorOff; }
    void setColorOff(const QColor &colour);
    // Background, and the outline of every segment.
    QColor color() const { return m_color; }
    void setColor(const QColor &colour);

    int thickness() const { return m_thickness; }
    // Ignored when the segments would not fit the current size.
    void setThickness(int thickness);
    int separation() const { return m_separation; }
    void setSeparation(int separation);

    // Paint events handled so far, for measuring what the display costs.
    int paintCount() const { return m_paintCount; }
    void resetPaintCount() { m_paintCount = 0; }

Q_SIGNALS:
    void OnOverflow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QList<QPolygon> &shapes();
    // The picture is kept as an image, with the pixels each shape owns once
    // the background and the outlines are painted over it; the colours follow
    // from them. A new value recolours only the pixels of
    // the shapes that changed instead of painting polygons again.
    void ensureOwners();
    void colourFace(quint8 shapesToColour);
    void invalidateFace() { m_faceValid = false; }


    int m_value = 0;
    quint8 m_valueBinary = 125;
    QColor m_colorOn{255, 255, 0};
    QColor m_colorOff{0, 0, 0};
    QColor m_color{0, 0, 0};
    int m_thickness = 2;
    int m_separation = 1;
    int m_paintCount = 0;

    // The shapes change only with size, thickness or separation; a running
    // clock repaints with the same ones a hundred times a second.
    QList<QPolygon> m_shapes;
    QSize m_shapesSize;
    int m_shapesThickness = -1;
    int m_shapesSeparation = -1;

    // A shape's pixels as runs along the rows, in device pixels.
    struct Run
    {
        int y;
        int x;
        int length;
    };
    QImage m_face;
    std::array<QList<Run>, kSegmentShapeCount> m_runs;
    QList<QRect> m_ownerBounds; // device-pixel bounds of each shape's pixels
    QSize m_ownersSize;
    qreal m_ownersRatio = 0;
    int m_ownersThickness = -1;
    int m_ownersSeparation = -1;
    bool m_faceValid = false;
};

} // namespace vex
