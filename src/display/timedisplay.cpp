#include "display/timedisplay.h"

#include "display/digit.h"
#include "display/digitpanel.h"

#include <QLabel>

namespace vex {

void SetLabelTextColour(QLabel *label, const QColor &colour)
{
    if (!label || label->palette().color(QPalette::WindowText) == colour)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

TimeDisplay::TimeDisplay(QObject *parent)
    : QObject(parent)
{
}

void TimeDisplay::addPanel(DigitPanel *panel)
{
    if (!panel || m_panels.contains(panel))
        return;
    m_panels.append(panel);
    connect(panel, &QObject::destroyed, this, [this, panel] { m_panels.removeAll(panel); });
}

void TimeDisplay::removePanel(DigitPanel *panel)
{
    if (m_panels.removeAll(panel) > 0)
        disconnect(panel, &QObject::destroyed, this, nullptr);
}

QColor TimeDisplay::shadeColour(int row, DigitShade shade) const
{
    switch (shade) {
    case DigitShade::Dim:
        return m_colours.fon;
    case DigitShade::Lit:
        return row == 0 ? m_colours.zeit : m_colours.bzeit;
    case DigitShade::Unchanged:
        break;
    }
    return {};
}

void TimeDisplay::writePanel(DigitPanel *panel, int row, const TimeDigits &digits) const
{
    const auto &rowDigits = panel->rowDigits(row);
    for (int i = 0; i < kDigitsPerRow; ++i) {
        TDigit *digit = rowDigits[std::size_t(i)];
        digit->setValue(digits.values[std::size_t(i)]);
        const DigitShade shade = digits.shades[std::size_t(i)];
        if (shade != DigitShade::Unchanged)
            digit->setColorOn(shadeColour(row, shade));
    }
    if (digits.colon != DigitShade::Unchanged)
        SetLabelTextColour(panel->colonOf(row), shadeColour(row, digits.colon));
    if (digits.comma != DigitShade::Unchanged)
        SetLabelTextColour(panel->commaOf(row), shadeColour(row, digits.comma));
}

void TimeDisplay::ShowTime(int row, qint32 ms)
{
    const TimeDigits digits = ComputeTimeDigits(row, ms);
    for (DigitPanel *panel : std::as_const(m_panels))
        writePanel(panel, row, digits);
}

void TimeDisplay::ApplyDisplayColours(const DisplayColours &colours, const QList<QLabel *> &textLabels)
{
    m_colours = colours;
    for (DigitPanel *panel : std::as_const(m_panels)) {
        for (TDigit *digit : {panel->Digit4, panel->Digit5, panel->Digit6, panel->Digit7, panel->Digit8})
            digit->setColorOn(m_colours.zeit);
        SetLabelTextColour(panel->LabSec, m_colours.zeit);
        SetLabelTextColour(panel->LabMin, m_colours.fon);
    }
    for (QLabel *label : textLabels)
        SetLabelTextColour(label, m_colours.text);
    ShowTime(0, 0);
}

} // namespace vex
