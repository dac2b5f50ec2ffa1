#pragma once
// Input events and a message-recording parent for the control tests.
#include "app/controls/BorderSpec.h"
#include "app/controls/ControlMessages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace testing_controls {

inline void sendKey(QWidget* w, int key, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

inline void typeText(QWidget* w, const QString& text)
{
    for (QChar c : text)
        sendKey(w, c.toUpper().unicode(), QString(c));
}

inline void mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    Qt::MouseButtons buttons = (type == QEvent::MouseButtonRelease || type == QEvent::MouseMove) ? Qt::NoButton
                                                                                                 : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), type == QEvent::MouseMove ? Qt::NoButton : button,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void click(QWidget* w, QPoint pos)
{
    mouse(w, QEvent::MouseButtonPress, pos);
    mouse(w, QEvent::MouseButtonRelease, pos);
}

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// A parent that keeps the control messages it receives.
class Recorder : public QWidget {
public:
    struct Msg {
        unsigned id;
        platform::WPARAM w;
        platform::LPARAM l;
        controls::BorderSpec pattern; // copied while the pointer is valid
    };
    QList<Msg> msgs;

    QList<unsigned> ids() const
    {
        QList<unsigned> r;
        for (const Msg& m : msgs)
            r.append(m.id);
        return r;
    }

protected:
    bool event(QEvent* e) override
    {
        const auto t = static_cast<unsigned>(e->type());
        const bool colour = t >= controls::WM_COLOUR_SELCHANGE && t <= controls::WM_COLOUR_SELENDCANCEL;
        const bool border = t >= controls::WM_BORDER_SELCHANGE && t <= controls::WM_BORDER_SELENDCANCEL;
        if (colour || border || t == controls::WM_SHADEBTN_DROPDOWN || t == platform::WM_COMMAND) {
            auto* m = static_cast<platform::MessageEvent*>(e);
            Msg rec{t, m->wParam(), m->lParam(), {}};
            if (border && m->wParam())
                rec.pattern = *reinterpret_cast<const controls::BorderSpec*>(m->wParam());
            msgs.append(rec);
            return true;
        }
        return QWidget::event(e);
    }
};

} // namespace testing_controls
