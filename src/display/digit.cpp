#include "display/digit.h"

#include "display/digitgeometry.h"

#include <QPainter>
#include <QPaintEvent>

namespace vex {

TDigit::TDigit(QWidget *parent)
    : QWidget(parent)
{
    // The digit covers its whole rectangle; nothing behind it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(16, 32);
}

void TDigit::setValue(int value)
{
    if (value == m_value)
        return;
    const bool overflow = value < 0 || value > 9;
    m_value = overflow ? 0 : value;
    if (overflow)
        Q_EMIT OnOverflow();
    // An overflow on a digit already showing 0 changes nothing on the screen.
    const quint8 bits = SegmentsOfDigit(m_value);
    if (bits == m_valueBinary)
        return;
    m_valueBinary = bits;
    repaint();
}

void TDigit::setValueBinary(int bits)
{
    const quint8 b = quint8(bits);
    if (b == m_valueBinary)
        return;
    m_valueBinary = b;
    repaint();
}

void TDigit::setColorOn(const QColor &colour)
{
    if (colour == m_colorOn)
        return;
    m_colorOn = colour;
    repaint();
}

void TDigit::setColorOff(const QColor &colour)
{
    if (colour == m_colorOff)
        return;
    m_colorOff = colour;
    repaint();
}

void TDigit::setColor(const QColor &colour)
{
    if (colour == m_color)
        return;
    m_color = colour;
    update();
}

void TDigit::setThickness(int thickness)
{
    if (thickness == m_thickness || thickness > width() / 2 || thickness > height() / 2)
        return;
    m_thickness = thickness;
    update();
}

void TDigit::setSeparation(int separation)
{
    if (separation == m_separation)
        return;
    m_separation = separation;
    update();
}

const QList<QPolygon> &TDigit::shapes()
{
    if (m_shapesSize != size() || m_shapesThickness != m_thickness || m_shapesSeparation != m_separation) {
        m_shapes = DigitShapes(width(), height(), m_thickness, m_separation);
        m_shapesSize = size();
        m_shapesThickness = m_thickness;
        m_shapesSeparation = m_separation;
    }
    return m_shapes;
}

void TDigit::paintEvent(QPaintEvent *event)
{
    ++m_paintCount;
    QPainter p(this);
    p.fillRect(event->rect(), m_color);
    // The outline in the background colour keeps neighbouring segments apart.
    p.setPen(QPen(m_color, 0));
    const QList<QPolygon> &segs = shapes();
    for (int bit = 0; bit < segs.size(); ++bit) {
        p.setBrush((m_valueBinary >> bit) & 1 ? m_colorOn : m_colorOff);
        p.drawPolygon(segs.at(bit));
    }
}

} // namespace vex
