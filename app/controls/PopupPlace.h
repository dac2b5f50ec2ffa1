#pragma once
// Keeps a drop-down popup on its owner's screen: pushed in from the sides,
// and opened above the owner when it would run off the bottom.
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace controls {

inline QRect fitPopupOnScreen(QRect r, const QWidget* owner)
{
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return r;
    const QRect sr = screen->geometry();
    if (r.right() > sr.right())
        r.moveRight(sr.right());
    if (r.left() < sr.left())
        r.moveLeft(sr.left());
    if (r.bottom() > sr.bottom())
        r.moveTop(r.top() - r.height() - (owner ? owner->height() : 0));
    return r;
}

} // namespace controls
