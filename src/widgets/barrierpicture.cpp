#include "widgets/barrierpicture.h"

#include <QMouseEvent>
#include <QPainter>

#include <array>

namespace vex {

TBarrierPicture::TBarrierPicture(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(kSide, kSide);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
}

void TBarrierPicture::setImageIndex(int index)
{
    if (index < 0 || index >= kImageCount || index == m_index)
        return;
    m_index = index;
    update();
}

QSize TBarrierPicture::sizeHint() const
{
    return {kSide, kSide};
}

void TBarrierPicture::paintImage(QPainter &painter, const QRectF &box, int index)
{
    struct Look {
        QColor disc;
        QColor rim;
    };
    static const std::array<Look, kImageCount> looks{{
        {QColor(220, 0, 0), QColor(140, 0, 0)},
        {QColor(0, 170, 0), QColor(0, 100, 0)},
        {QColor(150, 150, 150), QColor(100, 100, 100)},
    }};
    if (index < 0 || index >= kImageCount)
        return;
    const Look &look = looks.at(std::size_t(index));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(box.width(), box.height());
    const QRectF square(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    const qreal rimWidth = side / 16;
    painter.setPen(QPen(look.rim, rimWidth));
    painter.setBrush(look.disc);
    painter.drawEllipse(square.adjusted(rimWidth, rimWidth, -rimWidth, -rimWidth));

    // Bar across the way: blocked; bar along the way: open, like a barrier arm.
    const qreal barLong = side * 0.625;
    const qreal barShort = side * 0.1875;
    QRectF bar;
    if (index == Locked)
        bar = QRectF(0, 0, barLong, barShort);
    else if (index == Free)
        bar = QRectF(0, 0, barShort, barLong);
    if (!bar.isNull()) {
        bar.moveCenter(square.center());
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRect(bar);
    }
    painter.restore();
}

QImage TBarrierPicture::image(int index)
{
    QImage img(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter painter(&img);
    paintImage(painter, QRectF(0, 0, kSide, kSide), index);
    return img;
}

QList<QPixmap> TBarrierPicture::imageList()
{
    QList<QPixmap> list;
    for (int i = 0; i < kImageCount; ++i)
        list << QPixmap::fromImage(image(i));
    return list;
}

void TBarrierPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintImage(painter, QRectF(rect()), m_index);
}

void TBarrierPicture::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TBarrierPicture::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click && isEnabled())
        Q_EMIT clicked();
}

} // namespace vex
