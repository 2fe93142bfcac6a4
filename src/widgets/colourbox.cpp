#include "widgets/colourbox.h"

#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace vex {

ColourBox::ColourBox(QWidget *parent)
    : QComboBox(parent)
{
    // One empty entry gives the box its usual height and lets it be opened.
    addItem(QString());
}

void ColourBox::setColour(const QColor &colour)
{
    if (!colour.isValid() || colour == m_colour)
        return;
    m_colour = colour;
    update();
    Q_EMIT colourChanged(m_colour);
}

void ColourBox::showPopup()
{
    Q_EMIT popupRequested();
}

void ColourBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QRect swatch = field.adjusted(2, 2, -2, -2);
    painter.fillRect(swatch, isEnabled() ? m_colour : palette().color(QPalette::Disabled, QPalette::Button));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

} // namespace vex
