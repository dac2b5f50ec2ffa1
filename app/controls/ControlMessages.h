#pragma once
// Message ids with which the controls tell their owners and parents what
// happened, and the numeric control id each control carries for them.
#include "platform/MessageEvent.h"

#include <QVariant>
#include <QWidget>

namespace controls {

// Colour button and picker (wParam colour, lParam control id; 0 from the popup).
constexpr unsigned WM_COLOUR_SELCHANGE = 0x7E9;
constexpr unsigned WM_COLOUR_DROPDOWN = 0x7EA;
constexpr unsigned WM_COLOUR_CLOSEUP = 0x7EB;
constexpr unsigned WM_COLOUR_SELENDOK = 0x7EC;
constexpr unsigned WM_COLOUR_SELENDCANCEL = 0x7ED;

// Border picker (wParam a BorderSpec pointer valid during the call).
constexpr unsigned WM_BORDER_SELCHANGE = 0xBD1;
constexpr unsigned WM_BORDER_CLOSEUP = 0xBD3;
constexpr unsigned WM_BORDER_SELENDOK = 0xBD4;
constexpr unsigned WM_BORDER_SELENDCANCEL = 0xBD5;

// Shaded split button: its drop-down part was clicked (wParam control id).
constexpr unsigned WM_SHADEBTN_DROPDOWN = 0x0464;

// The control id (a dialog template's control number) of a widget; 0 when unset.
inline void setControlId(QWidget* w, int id) { w->setProperty("ctrlId", id); }
inline int controlId(const QWidget* w) { return w ? w->property("ctrlId").toInt() : 0; }

// Gives a widget its control id (property and objectName); returns it.
template <typename W>
W* withId(W* w, int id)
{
    setControlId(w, id);
    w->setObjectName(QString::number(id));
    return w;
}

// Sends a command notification from a control to its parent.
inline void sendCommand(QWidget* from, int code)
{
    platform::sendMessage(from->parentWidget(), platform::WM_COMMAND, platform::makeCommandWParam(controlId(from), code),
                          reinterpret_cast<platform::LPARAM>(from));
}

} // namespace controls
