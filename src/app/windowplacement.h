#pragma once

#include <QGuiApplication>
#include <QList>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QWidget>

#include <algorithm>

namespace vex {

// Puts a top-level window's centre on the centre of another window, or of the
// screen when there is none (the small dialogs are created before or without
// the main window in tests).
inline void centreWindowOn(QWidget &window, const QWidget *over)
{
    QRect area;
    if (over)
        area = over->window()->frameGeometry();
    else if (const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    QRect frame(QPoint(), window.frameGeometry().size().expandedTo(window.size()));
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

// Where a window with stored bounds goes among the screens' available areas:
// on the screen that holds the middle of the stored bounds, else the one that
// holds most of them, else the nearest. Its size is at most that screen's
// (but never below minimum), and it is moved as far as needed to lie on it;
// a window the screen is too small for keeps its top-left corner on it.
// Stored values may be anything a damaged store holds: all sums are 64-bit.
inline QRect placeOnScreens(int left, int top, int width, int height, const QList<QRect> &screens,
                            const QSize &minimum)
{
    const auto clamp64 = [](qint64 v, qint64 lo, qint64 hi) { return int(std::clamp(v, lo, std::max(lo, hi))); };
    const qint64 w = std::max(width, 0);
    const qint64 h = std::max(height, 0);
    if (screens.isEmpty())
        return QRect(left, top, std::max(minimum.width(), 1), std::max(minimum.height(), 1));
    const qint64 midX = left + w / 2;
    const qint64 midY = top + h / 2;
    // Distance of the middle from a screen, 0 when on it.
    const auto distance = [&](const QRect &s) {
        const qint64 dx = std::max<qint64>({qint64(s.left()) - midX, 0, midX - s.right()});
        const qint64 dy = std::max<qint64>({qint64(s.top()) - midY, 0, midY - s.bottom()});
        return dx + dy;
    };
    const auto overlap = [&](const QRect &s) {
        const qint64 ow = std::min<qint64>(left + w, qint64(s.left()) + s.width()) - std::max<qint64>(left, s.left());
        const qint64 oh = std::min<qint64>(top + h, qint64(s.top()) + s.height()) - std::max<qint64>(top, s.top());
        return ow > 0 && oh > 0 ? ow * oh : 0;
    };
    const QRect area = *std::min_element(screens.begin(), screens.end(), [&](const QRect &a, const QRect &b) {
        const qint64 da = distance(a), db = distance(b);
        if ((da == 0) != (db == 0))
            return da == 0;
        const qint64 oa = overlap(a), ob = overlap(b);
        if (oa != ob)
            return oa > ob;
        return da < db;
    });
    const int placedW = std::max(minimum.width(), clamp64(w, 0, area.width()));
    const int placedH = std::max(minimum.height(), clamp64(h, 0, area.height()));
    const auto place = [&](qint64 pos, int size, int start, int length) {
        return clamp64(pos, start, qint64(start) + (size <= length ? length - size : length - 1));
    };
    return QRect(place(left, placedW, area.left(), area.width()), place(top, placedH, area.top(), area.height()),
                 placedW, placedH);
}

} // namespace vex
