#pragma once
// Finding controls by their id, counting the events a widget gets, and
// letting deferred deletes run.
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

// Clicks a widget where a user would: a check box or radio button on its
// indicator (its middle may lie past a short label, where a click misses),
// anything else in its middle.
inline void click(QWidget* w)
{
    if (!w)
        return;
    const bool indicator = w->inherits("QCheckBox") || w->inherits("QRadioButton");
    QTest::mouseClick(w, Qt::LeftButton, {}, indicator ? QPoint(6, w->height() / 2) : w->rect().center());
}

// Counts the events of one type that reach `watched` while it lives.
class EventCount : public QObject {
public:
    EventCount(QObject* watched, QEvent::Type type) : m_type(type) { watched->installEventFilter(this); }
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        m_count += e->type() == m_type ? 1 : 0;
        return false;
    }

private:
    QEvent::Type m_type;
    int m_count = 0;
};

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace support
