#pragma once
// Small helpers shared by the device dialogs: control ids, pack texts, the
// red result label and the ";"-ended lists of the pack's strings.
#include "app/controls/ControlMessages.h"
#include "platform/LangPack.h"

#include <QLabel>
#include <QPalette>
#include <QStringList>

namespace dialogs {

template <typename W>
W* withId(W* w, int id)
{
    controls::setControlId(w, id);
    w->setObjectName(QString::number(id));
    return w;
}

inline QString dlgText(unsigned templateId, unsigned controlId)
{
    return platform::langDialogText(templateId, controlId);
}

// Result and status texts are drawn in red.
inline void makeRed(QLabel* label)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0xFF, 0, 0));
    label->setPalette(p);
}

// The pieces of a text in which every piece is ended by ";".
inline QStringList splitPieces(const QString& text)
{
    QStringList pieces = text.split(u';');
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    return pieces;
}

} // namespace dialogs
