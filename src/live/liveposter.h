#pragma once

#include <QString>

class QPainter;
class QRectF;

namespace vex {

// The sheet posted at the course: the event's title, the live page's
// address in type large enough to read from a few steps away, and its QR
// code filling most of the rest. Laid out in proportion to `page`, so print
// and preview look the same.
void paintLivePoster(QPainter &painter, const QRectF &page, const QString &title, const QString &subtitle,
                     const QString &address);

} // namespace vex
