#include "display/digit.h"

#include "display/digitgeometry.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>

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
    setValueBinary(SegmentsOfDigit(m_value));
}

void TDigit::setValueBinary(int bits)
{
    const quint8 b = quint8(bits);
    if (b == m_valueBinary)
        return;
    const quint8 changed = b ^ m_valueBinary;
    m_valueBinary = b;
    if (!m_faceValid) {
        repaint();
        return;
    }
    // Only the shapes that change are coloured and shown again: on a digit
    // the size of a screen a clock tick then touches a small part of it.
    ensureOwners();
    if (!m_faceValid) { // the geometry changed since the last painting
        repaint();
        return;
    }
    colourFace(changed);
    QRect dirty;
    for (int bit = 0; bit < m_ownerBounds.size(); ++bit) {
        if ((changed >> bit) & 1)
            dirty |= m_ownerBounds.at(bit);
    }
    const qreal ratio = m_face.devicePixelRatio();
    const QRect logical(QPoint(int(dirty.left() / ratio), int(dirty.top() / ratio)),
                        QPoint(int((dirty.right() + 1) / ratio), int((dirty.bottom() + 1) / ratio)));
    repaint(logical & rect());
}

void TDigit::setColorOn(const QColor &colour)
{
    if (colour == m_colorOn)
        return;
    m_colorOn = colour;
    invalidateFace();
    repaint();
}

void TDigit::setColorOff(const QColor &colour)
{
    if (colour == m_colorOff)
        return;
    m_colorOff = colour;
    invalidateFace();
    repaint();
}

void TDigit::setColor(const QColor &colour)
{
    if (colour == m_color)
        return;
    m_color = colour;
    invalidateFace();
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

void TDigit::ensureOwners()
{
    const qreal ratio = devicePixelRatioF();
    if (m_ownersSize == size() && m_ownersRatio == ratio && m_ownersThickness == m_thickness
        && m_ownersSeparation == m_separation)
        return;
    m_ownersSize = size();
    m_ownersRatio = ratio;
    m_ownersThickness = m_thickness;
    m_ownersSeparation = m_separation;
    m_faceValid = false;

    // Paint the shapes as the picture is painted, in owner numbers instead
    // of colours: each fill in its number, each outline in 0, later shapes
    // over earlier ones.
    const QSize device = (QSizeF(size()) * ratio).toSize();
    QImage owners(device, QImage::Format_RGB32);
    owners.setDevicePixelRatio(ratio);
    owners.fill(QColor(0, 0, 0));
    {
        QPainter p(&owners);
        p.setPen(QPen(QColor(0, 0, 0), 0));
        const QList<QPolygon> &segs = shapes();
        for (int k = 0; k < segs.size(); ++k) {
            p.setBrush(QColor(k + 1, 0, 0));
            p.drawPolygon(segs.at(k));
        }
    }
    m_ownerBounds = QList<QRect>(kSegmentShapeCount);
    for (QList<Run> &runs : m_runs)
        runs.clear();
    for (int y = 0; y < device.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(owners.constScanLine(y));
        int x = 0;
        while (x < device.width()) {
            const int owner = qRed(line[x]);
            int end = x + 1;
            while (end < device.width() && qRed(line[end]) == owner)
                ++end;
            if (owner > 0 && owner <= kSegmentShapeCount) {
                m_runs[std::size_t(owner - 1)].append(Run{y, x, end - x});
                m_ownerBounds[owner - 1] |= QRect(x, y, end - x, 1);
            }
            x = end;
        }
    }
    m_face = QImage(device, QImage::Format_RGB32);
    m_face.setDevicePixelRatio(ratio);
}

void TDigit::colourFace(quint8 shapesToColour)
{
    if (shapesToColour == 0xFF)
        m_face.fill(m_color);
    const QRgb on = m_colorOn.rgb();
    const QRgb off = m_colorOff.rgb();
    for (int k = 0; k < kSegmentShapeCount; ++k) {
        if (!((shapesToColour >> k) & 1))
            continue;
        const QRgb colour = ((m_valueBinary >> k) & 1) ? on : off;
        for (const Run &run : std::as_const(m_runs[std::size_t(k)])) {
            auto *line = reinterpret_cast<QRgb *>(m_face.scanLine(run.y));
            std::fill_n(line + run.x, run.length, colour);
        }
    }
}

void TDigit::paintEvent(QPaintEvent *event)
{
    ++m_paintCount;
    ensureOwners();
    if (!m_faceValid) {
        colourFace(0xFF);
        m_faceValid = true;
    }
    QPainter p(this);
    const QRect dirty = event->rect();
    p.drawImage(dirty, m_face, QRectF(QPointF(dirty.topLeft()) * m_face.devicePixelRatio(),
                                      QSizeF(dirty.size()) * m_face.devicePixelRatio()));
}

} // namespace vex
