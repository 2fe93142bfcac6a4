#pragma once

#include <QComboBox>
#include <QImage>

class QPainter;

namespace vex {

// The contact logic of the light barriers ("Ein", "Aus"), shown with a picture
// of a closed and of an open switch beside each entry.
class AlgComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit AlgComboBox(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

inline constexpr QSize kSwitchPictureSize{41, 16};
inline constexpr int kSwitchPictureLeft = 22;

// A switch between two terminals, 41 x 16 pixels on a transparent ground:
// closed (the lever lies on the right terminal) or open (the lever stands up).
QImage SwitchPicture(bool closed);

// One entry of the list: the background, the text 1 pixel in from the corner
// (black, or grey when disabled) and, when enabled, the entry's switch picture
// 22 pixels right of the left edge. Entry 0 is the closed switch.
void PaintAlgEntry(QPainter &painter, const QRect &rect, int index, const QString &text, bool enabled,
                   const QColor &background);

} // namespace vex
