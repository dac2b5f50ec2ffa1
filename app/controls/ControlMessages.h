#pragma once
// The numeric control id each control carries for the notifications it
// sends its owner and parent (their ids and payloads: app/spine/Messages.h).
#include "app/spine/Messages.h"

#include <QVariant>
#include <QWidget>

namespace controls {

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
