#pragma once
// The numeric control id each control carries for the notifications it
// sends its owner and parent (their ids and payloads: app/spine/Messages.h,
// and below those whose payload is a type of the controls).
#include "app/spine/Messages.h"

#include <QVariant>
#include <QWidget>

namespace controls {

struct BorderSpec;

// Border picker: the pattern (valid during the call), and the control id.
inline constexpr unsigned WM_BORDER_SELCHANGE = 0xBD1;
inline constexpr unsigned WM_BORDER_CLOSEUP = 0xBD3;
inline constexpr unsigned WM_BORDER_SELENDOK = 0xBD4;
inline constexpr unsigned WM_BORDER_SELENDCANCEL = 0xBD5;
using BorderPayload = spine::Payload<const BorderSpec*, int>;
using BorderSelChange = spine::Message<WM_BORDER_SELCHANGE, const BorderSpec*, int>;
using BorderCloseUp = spine::Message<WM_BORDER_CLOSEUP, const BorderSpec*, int>;
using BorderSelEndOk = spine::Message<WM_BORDER_SELENDOK, const BorderSpec*, int>;
using BorderSelEndCancel = spine::Message<WM_BORDER_SELENDCANCEL, const BorderSpec*, int>;

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
    spine::Command::send(from->parentWidget(), {controlId(from), code}, from);
}

} // namespace controls
