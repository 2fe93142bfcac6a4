#include "live/liveqr.h"

#include <QPainter>

#include <qrencode.h>

namespace vex {

namespace {

// Light modules around the code, as readers expect.
constexpr int kQuietZone = 4;

} // namespace

QrCode encodeQr(const QByteArray &text)
{
    QrCode out;
    if (text.isEmpty())
        return out;
    // 8-bit mode: an address in any case of letters stays as it is.
    QRcode *code = QRcode_encodeData(int(text.size()), reinterpret_cast<const unsigned char *>(text.constData()), 0,
                                     QR_ECLEVEL_M);
    if (!code)
        return out;
    out.size = code->width;
    out.dark.resize(std::size_t(code->width) * std::size_t(code->width));
    for (std::size_t i = 0; i < out.dark.size(); ++i)
        out.dark[i] = (code->data[i] & 1) != 0;
    QRcode_free(code);
    return out;
}

QImage qrImage(const QrCode &code, int scale)
{
    const int side = (code.size + 2 * kQuietZone) * scale;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter p(&image);
    paintQr(p, QRectF(0, 0, side, side), code);
    return image;
}

void paintQr(QPainter &painter, const QRectF &area, const QrCode &code)
{
    if (code.isEmpty())
        return;
    const qreal side = std::min(area.width(), area.height());
    const qreal module = side / (code.size + 2 * kQuietZone);
    const QPointF origin(area.center().x() - side / 2, area.center().y() - side / 2);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.fillRect(QRectF(origin, QSizeF(side, side)), Qt::white);
    // A row's run of dark modules in one rectangle; without antialiasing,
    // rectangles that share an edge leave no hair line of light between them.
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x) {
            if (!code.at(x, y))
                continue;
            int run = x;
            while (run + 1 < code.size && code.at(run + 1, y))
                ++run;
            painter.fillRect(QRectF(origin.x() + (x + kQuietZone) * module, origin.y() + (y + kQuietZone) * module,
                                    (run - x + 1) * module, module),
                             Qt::black);
            x = run;
        }
    }
    painter.restore();
}

} // namespace vex
