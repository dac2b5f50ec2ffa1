#pragma once
// Keeps a drop-down popup on its owner's screen, inside the area that desktop
// panels leave free: pushed in from the sides, and opened above the owner when
// it would run off the bottom.
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace controls {

inline QRect fitPopupInArea(QRect r, const QRect& area, int ownerHeight)
{
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.bottom() > area.bottom())
        r.moveTop(r.top() - r.height() - ownerHeight);
    return r;
}

inline QRect fitPopupOnScreen(QRect r, const QWidget* owner)
{
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return r;
    return fitPopupInArea(r, screen->availableGeometry(), owner ? owner->height() : 0);
}

} // namespace controls
