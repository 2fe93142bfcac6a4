#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>

#include <vector>

class QPainter;

namespace vex {

// A QR code's modules, row by row, dark or light. Empty when the text can't
// be encoded (it is longer than any code holds).
struct QrCode
{
    int size = 0;
    std::vector<bool> dark;

    bool isEmpty() const { return size == 0; }
    bool at(int x, int y) const { return dark[std::size_t(y * size + x)]; }
};

// The code of a short text such as the live page's address; the middle of
// the four error-correction levels, so a phone reads it from across a
// paddock or off a crumpled sheet.
QrCode encodeQr(const QByteArray &text);

// The code in black on white with its quiet zone of four modules, each
// module `scale` pixels.
QImage qrImage(const QrCode &code, int scale);

// The code with its quiet zone, as large as fits into `area` and centred
// in it: for a window and for paper alike.
void paintQr(QPainter &painter, const QRectF &area, const QrCode &code);

} // namespace vex
