#pragma once

#include "timing/timedigits.h"

#include <QObject>
#include <QPoint>

#include <array>

class QLabel;
class QWidget;

namespace vex {

class TDigit;

// The time display fields of one window: a running row and a best-time row of
// six digits each, with their ":" and "," separators. The widgets are children
// of the given parent and carry the same object names on every window; their
// owner positions them. The panel lives as long as its parent.
class DigitPanel : public QObject
{
    Q_OBJECT

public:
    explicit DigitPanel(QWidget *parent);

    // Separators: ":" and "," of the running row, then of the best-time row.
    // Declared (and so made) before the digits, which then stack above them.
    QLabel *const LabMin;
    QLabel *const LabSec;
    QLabel *const LabMin2;
    QLabel *const LabSec2;
    // Running row: minutes, seconds, hundredths.
    TDigit *const Digit3;
    TDigit *const Digit4;
    TDigit *const Digit5;
    TDigit *const Digit6;
    TDigit *const Digit7;
    TDigit *const Digit8;
    // Best-time row.
    TDigit *const Digit3a;
    TDigit *const Digit4a;
    TDigit *const Digit5a;
    TDigit *const Digit6a;
    TDigit *const Digit7a;
    TDigit *const Digit8a;

    // The six digits of row 0 (running) or any other row (best time), from
    // minutes tens to hundredths units.
    const std::array<TDigit *, kDigitsPerRow> &rowDigits(int row) const { return row == 0 ? m_running : m_best; }
    QLabel *colonOf(int row) const { return row == 0 ? LabMin : LabMin2; }
    QLabel *commaOf(int row) const { return row == 0 ? LabSec : LabSec2; }

    // The twelve digits, running row first.
    std::array<TDigit *, 2 * kDigitsPerRow> allDigits() const;
    std::array<QLabel *, 4> allSeparators() const { return {LabMin, LabSec, LabMin2, LabSec2}; }

    // Places every field as on the main window, relative to origin (the
    // top-left corner of the upper band): designed sizes, segment thickness and
    // separation, black digits, bold Times New Roman separators.
    void placeAsDesigned(QPoint origin = QPoint());

private:
    std::array<TDigit *, kDigitsPerRow> m_running;
    std::array<TDigit *, kDigitsPerRow> m_best;
};

} // namespace vex
