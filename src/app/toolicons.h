#pragma once

#include <QIcon>
#include <QPixmap>

namespace vex {

// The small pictures of the tool buttons, drawn so the program needs no
// image files beside it.
enum class ToolGlyph { Open, Save, Print, Excel, Word, Web, Clear, Rank, TvOff, TvOn, Help, Settings, Info };

QIcon toolIcon(ToolGlyph glyph, int size = 32);

} // namespace vex
