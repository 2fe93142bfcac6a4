#pragma once

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QWidget>

class QPainter;

namespace vex {

// The 32 x 32 indicator of one light barrier: a red sign while the barrier
// is locked, a green one while it is free, a grey one while the start
// barrier is out of play. The picture only shows an image and reports
// clicks; the window keeps the lock flag and chooses the image.
class TBarrierPicture : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int imageIndex READ imageIndex WRITE setImageIndex)
public:
    enum Image : int { Locked = 0, Free = 1, OutOfPlay = 2 };
    static constexpr int kImageCount = 3;
    static constexpr int kSide = 32;

    explicit TBarrierPicture(QWidget *parent = nullptr);

    int imageIndex() const { return m_index; }
    // Indexes outside 0...2 are ignored.
    void setImageIndex(int index);

    QSize sizeHint() const override;

    // The three images in index order, each 32 x 32 with a transparent
    // surround; also usable as window icons.
    static QList<QPixmap> imageList();
    static QImage image(int index);
    // Draws image `index` into `box`, at any size.
    static void paintImage(QPainter &painter, const QRectF &box, int index);

Q_SIGNALS:
    // A left click while the picture is enabled.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_index = Locked;
    bool m_pressed = false;
};

} // namespace vex
