#pragma once

#include <QList>

#include <array>

namespace vex {

// The width shares of the eleven columns in percent, shared by the grids and
// the HTML report. The name column's entry is not used for its width: it takes
// what the others leave.
class ColumnWidthPercent
{
public:
    static constexpr int kColumns = 11;

    int share(int column) const;
    void setShare(int column, int percent);
    // The club switch: 10 % when the club is shown, 0 (hidden) when not. The
    // start-up share of 12 % stays until the switch first changes.
    void setClubShown(bool shown);
    const std::array<int, kColumns> &shares() const { return m_shares; }

private:
    std::array<int, kColumns> m_shares{5, 20, 12, 8, 6, 8, 6, 8, 6, 8, 5};
};

// Pixel widths of the eleven columns for a grid of that client width: each
// column but the name its share (halves rounded to even) less one pixel for
// the grid line, -1 when nothing is left of it (the column is hidden); the name
// column gets the rest, less the grid lines.
QList<int> computeColumnWidths(int clientWidth, const ColumnWidthPercent &percent);

} // namespace vex
