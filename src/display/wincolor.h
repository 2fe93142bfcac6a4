#pragma once

#include <QColor>

namespace vex {

// Colours as the settings store them: red in the low byte, green in the
// second, blue in the third; the high byte is not a colour and is ignored.
inline QColor fromWinColor(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

inline quint32 toWinColor(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

} // namespace vex
