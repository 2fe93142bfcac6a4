#include "live/liveposter.h"

#include "live/liveqr.h"

#include <QFontMetricsF>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The largest pixel size up to `most` at which text fits into width.
QFont fitted(QFont font, const QString &text, qreal width, qreal most)
{
    font.setPixelSize(std::max(1, int(most)));
    const qreal wide = QFontMetricsF(font).horizontalAdvance(text);
    if (wide > width)
        font.setPixelSize(std::max(1, int(most * width / wide)));
    return font;
}

} // namespace

void paintLivePoster(QPainter &painter, const QRectF &page, const QString &title, const QString &subtitle,
                     const QString &address)
{
    painter.save();
    painter.fillRect(page, Qt::white);
    painter.setPen(Qt::black);
    const qreal margin = page.width() * 0.08;
    const QRectF inner = page.adjusted(margin, margin, -margin, -margin);
    qreal y = inner.top();
    auto line = [&](const QString &text, QFont font, qreal height) {
        painter.setFont(font);
        painter.drawText(QRectF(inner.left(), y, inner.width(), height), Qt::AlignCenter, text);
        y += height;
    };
    QFont font(u"Liberation Sans"_s);
    font.setBold(true);
    const qreal titleSize = inner.width() / 14;
    line(title, fitted(font, title, inner.width(), titleSize), titleSize * 1.5);
    if (!subtitle.isEmpty()) {
        font.setBold(false);
        line(subtitle, fitted(font, subtitle, inner.width(), titleSize * 0.6), titleSize);
    }
    y += titleSize * 0.5;
    font.setBold(false);
    line(u"Live-Ergebnisse im Browser:"_s, fitted(font, u"Live-Ergebnisse im Browser:"_s, inner.width(), titleSize * 0.6),
         titleSize);
    font.setBold(true);
    const QFont big = fitted(font, address, inner.width(), inner.width() / 9);
    line(address, big, big.pixelSize() * 1.6);
    y += titleSize * 0.5;
    // The code takes what is left, up to the full width.
    const qreal side = std::min(inner.width(), inner.bottom() - y);
    if (side > 0)
        paintQr(painter, QRectF(inner.center().x() - side / 2, y, side, side), encodeQr(address.toUtf8()));
    painter.restore();
}

} // namespace vex
