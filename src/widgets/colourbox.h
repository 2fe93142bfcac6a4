#pragma once

#include <QColor>
#include <QComboBox>

namespace vex {

// A drop-down box that shows one colour as a swatch, without a name. Opening
// it (click, Alt+Down, F4) asks for a colour instead of listing any: the
// owner answers popupRequested, usually with the system's colour dialog.
class ColourBox : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(QColor colour READ colour WRITE setColour NOTIFY colourChanged)

public:
    explicit ColourBox(QWidget *parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);

    void showPopup() override;

Q_SIGNALS:
    void colourChanged(const QColor &colour);
    void popupRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour{Qt::black};
};

} // namespace vex
