#pragma once

#include "timing/timedigits.h"

#include <QColor>
#include <QList>
#include <QObject>

class QLabel;

namespace vex {

class DigitPanel;

// The four display colours of the settings.
struct DisplayColours
{
    QColor text{255, 255, 255};  // driver number and name labels
    QColor zeit{0, 255, 0};      // significant digits of the running time
    QColor bzeit{222, 222, 66};  // significant digits of the best time
    QColor fon{53, 113, 202};    // leading digits that carry no value yet

    bool operator==(const DisplayColours &) const = default;
};

// Writes run times into the digit panels of all windows: the main window's
// and, while it exists, the second window's. Runs every 10 ms during a run,
// so it only sets values and colours; the digits repaint only what changed.
class TimeDisplay : public QObject
{
    Q_OBJECT

public:
    explicit TimeDisplay(QObject *parent = nullptr);

    // Panels are written in the order they were added (the main window's
    // first). A panel that is destroyed drops out by itself.
    void addPanel(DigitPanel *panel);
    void removePanel(DigitPanel *panel);
    const QList<DigitPanel *> &panels() const { return m_panels; }

    // Row 0 is the running row, any other row the best-time row.
    void ShowTime(int row, qint32 ms);

    // Takes new colours: recolours the running rows and the given text labels
    // (the driver number and name) and shows 0 on the running row. The
    // best-time row takes its colours at its next ShowTime.
    void ApplyDisplayColours(const DisplayColours &colours, const QList<QLabel *> &textLabels = {});

    const DisplayColours &colours() const { return m_colours; }
    // The colour of a shade on a row: dim or lit; an unchanged shade has none.
    QColor shadeColour(int row, DigitShade shade) const;

private:
    void writePanel(DigitPanel *panel, int row, const TimeDigits &digits) const;

    QList<DigitPanel *> m_panels;
    DisplayColours m_colours;
};

// Sets a label's text colour, leaving it alone when it already has it.
void SetLabelTextColour(QLabel *label, const QColor &colour);

} // namespace vex
