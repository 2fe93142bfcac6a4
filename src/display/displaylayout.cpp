#include "display/displaylayout.h"

#include "display/designedlayout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vex {

int RoundHalfEven(double value)
{
    // remainder() rounds the quotient to the nearest integer, ties to even,
    // whatever the floating-point rounding mode is.
    return int(value - std::remainder(value, 1.0));
}

int FontPixelHeight(int pointSize, int dpi)
{
    return int(std::lround(double(pointSize) * dpi / 72.0));
}

double DisplayScale(int clientWidth)
{
    return double(clientWidth) / kDesignedBevel1.width();
}

QRect MapFromMain(const QRect &mainRect, double s)
{
    const int l = kDesignedBevel1.left();
    // Edges, not corner and size: a rectangle's right and bottom edges lie
    // just outside it, as left + width and top + height.
    const int left = RoundHalfEven((mainRect.left() - l) * s);
    const int right = RoundHalfEven((mainRect.left() + mainRect.width() - l) * s);
    const int top = RoundHalfEven(mainRect.top() * s);
    const int bottom = RoundHalfEven((mainRect.top() + mainRect.height()) * s);
    return QRect(left, top, right - left, bottom - top);
}

MonitorLayout LayoutDisplay(QSize client, double s, int dpi)
{
    MonitorLayout m;
    const int h = client.height();
    m.labelPointSize = RoundHalfEven(kDesignedNameLabelPointSize * s);
    m.labelPixels = FontPixelHeight(m.labelPointSize, dpi);
    m.labelPanelHeight = std::abs(m.labelPixels);
    m.titleHeight = std::abs(RoundHalfEven(m.labelPixels * 1.15));
    // A window too low for its texts gets no digits rather than inverted ones.
    m.digitHeight = std::max(0, (h - m.labelPanelHeight - m.titleHeight - 2 * m.labelPanelHeight) / 2);
    m.thickness = RoundHalfEven(kDesignedThickness * s);
    m.runningTop = m.titleHeight + m.labelPanelHeight;
    m.bestTop = h - m.digitHeight - m.labelPanelHeight / 2;
    m.labelPanel1Top = m.titleHeight;
    m.labelPanel2Top = m.bestTop - m.labelPanelHeight;
    m.separatorPointSize = RoundHalfEven(kSeparatorPointSize * s);
    m.separatorPixels = FontPixelHeight(m.separatorPointSize, dpi);

    for (std::size_t i = 0; i < kDesignedDisplay.size(); ++i) {
        const DesignedElement &e = kDesignedDisplay[i];
        QRect r = MapFromMain(e.rect, s);
        const bool running = e.rect.top() < kDesignedBevel1.top();
        const bool digit = e.name.startsWith(u"Digit");
        r.moveTop(running ? m.runningTop : m.bestTop);
        if (digit)
            r.setHeight(m.digitHeight);
        m.elements[i] = r;
    }
    return m;
}

int DisplayScreenIndex(int wanted, int screenCount)
{
    if (screenCount <= 0)
        return -1;
    return (wanted >= 0 && wanted < screenCount) ? wanted : 0;
}

} // namespace vex
