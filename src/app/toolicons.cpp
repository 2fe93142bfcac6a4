#include "app/toolicons.h"

#include <QPainter>
#include <QPainterPath>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

void drawLetterTile(QPainter &p, int s, const QColor &colour, const QString &letter)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(s * 0.12, s * 0.12, s * 0.76, s * 0.76), s * 0.12, s * 0.12);
    QFont f(u"Arial"_s);
    f.setBold(true);
    f.setPixelSize(int(s * 0.5));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, letter);
}

void drawPage(QPainter &p, int s)
{
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(s * 0.25, s * 0.1, s * 0.5, s * 0.65));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(s * 0.32, s * (0.22 + 0.1 * i)), QPointF(s * 0.68, s * (0.22 + 0.1 * i)));
}

void drawTv(QPainter &p, int s, bool on)
{
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(60, 60, 60));
    p.drawRoundedRect(QRectF(s * 0.1, s * 0.2, s * 0.8, s * 0.55), 3, 3);
    p.setBrush(on ? QColor(80, 200, 255) : QColor(30, 30, 30));
    p.drawRect(QRectF(s * 0.18, s * 0.27, s * 0.64, s * 0.41));
    p.drawLine(QPointF(s * 0.35, s * 0.88), QPointF(s * 0.5, s * 0.75));
    p.drawLine(QPointF(s * 0.65, s * 0.88), QPointF(s * 0.5, s * 0.75));
    if (!on) {
        p.setPen(QPen(QColor(220, 0, 0), 2.5));
        p.drawLine(QPointF(s * 0.2, s * 0.25), QPointF(s * 0.8, s * 0.7));
    }
}

} // namespace

QIcon toolIcon(ToolGlyph glyph, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const int s = size;
    switch (glyph) {
    case ToolGlyph::Open:
        p.setPen(QPen(QColor(140, 100, 0), 1.5));
        p.setBrush(QColor(250, 200, 60));
        p.drawRect(QRectF(s * 0.1, s * 0.3, s * 0.8, s * 0.5));
        p.drawRect(QRectF(s * 0.1, s * 0.22, s * 0.3, s * 0.1));
        break;
    case ToolGlyph::Save:
        p.setPen(QPen(QColor(20, 40, 100), 1.5));
        p.setBrush(QColor(60, 100, 200));
        p.drawRect(QRectF(s * 0.15, s * 0.15, s * 0.7, s * 0.7));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.28, s * 0.15, s * 0.44, s * 0.25));
        p.drawRect(QRectF(s * 0.25, s * 0.55, s * 0.5, s * 0.3));
        break;
    case ToolGlyph::Print:
        drawPage(p, s);
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.setBrush(QColor(170, 170, 170));
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.5, s * 0.8, s * 0.32), 3, 3);
        break;
    case ToolGlyph::Excel:
        drawLetterTile(p, s, QColor(30, 120, 60), u"X"_s);
        break;
    case ToolGlyph::Word:
        drawLetterTile(p, s, QColor(40, 80, 170), u"W"_s);
        break;
    case ToolGlyph::Web: {
        p.setPen(QPen(QColor(0, 70, 140), 1.5));
        p.setBrush(QColor(120, 190, 255));
        const QRectF r(s * 0.15, s * 0.15, s * 0.7, s * 0.7);
        p.drawEllipse(r);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(s * 0.35, s * 0.15, s * 0.3, s * 0.7));
        p.drawLine(QPointF(s * 0.15, s * 0.5), QPointF(s * 0.85, s * 0.5));
        break;
    }
    case ToolGlyph::Clear:
        drawPage(p, s);
        p.setPen(QPen(QColor(210, 0, 0), 3));
        p.drawLine(QPointF(s * 0.25, s * 0.25), QPointF(s * 0.75, s * 0.8));
        p.drawLine(QPointF(s * 0.75, s * 0.25), QPointF(s * 0.25, s * 0.8));
        break;
    case ToolGlyph::Rank:
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(230, 190, 40));
        p.drawRect(QRectF(s * 0.38, s * 0.25, s * 0.24, s * 0.6));
        p.setBrush(QColor(190, 190, 200));
        p.drawRect(QRectF(s * 0.12, s * 0.42, s * 0.26, s * 0.43));
        p.setBrush(QColor(200, 130, 70));
        p.drawRect(QRectF(s * 0.62, s * 0.55, s * 0.26, s * 0.3));
        break;
    case ToolGlyph::TvOff:
        drawTv(p, s, false);
        break;
    case ToolGlyph::TvOn:
        drawTv(p, s, true);
        break;
    case ToolGlyph::Help:
        drawLetterTile(p, s, QColor(0, 120, 180), u"?"_s);
        break;
    case ToolGlyph::Settings:
        drawLetterTile(p, s, QColor(90, 90, 90), u"\u2699"_s);
        break;
    case ToolGlyph::Info:
        drawLetterTile(p, s, QColor(0, 140, 120), u"i"_s);
        break;
    }
    p.end();
    return QIcon(pm);
}

} // namespace vex
