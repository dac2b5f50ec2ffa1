#pragma once
// Finding controls by their id, and letting deferred deletes run.
#include "app/controls/ControlMessages.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <QMouseEvent>
#include <QPointingDevice>

namespace support {

// The first child (depth first) of `root` with control id `id`: the id
// property of app/controls, or an objectName equal to the id.
template <typename T = QWidget>
T* findByControlId(const QObject* root, int id)
{
    if (!root)
        return nullptr;
    const QString name = QString::number(id);
    for (T* w : root->findChildren<T*>()) {
        if (w->objectName() == name || controls::controlId(w) == id)
            return w;
    }
    return nullptr;
}

// Moves the mouse to `p` in `w`. With a button held this is QTest's move;
// with none, QTest 6.4 only sets the cursor, which the offscreen platform
// does not turn into an event, so the move QTest would send is sent here.
inline void mouseMove(QWidget* w, QPoint p)
{
    if (QTestPrivate::qtestMouseButtons != Qt::NoButton) {
        QTest::mouseMove(w, p);
        return;
    }
    QMouseEvent me(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier, QPointingDevice::primaryPointingDevice());
    me.setTimestamp(QTest::lastMouseTimestamp);
    QCoreApplication::sendEvent(w, &me);
}

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace support
