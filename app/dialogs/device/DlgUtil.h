#pragma once
// Small helpers shared by the device dialogs: control ids, pack texts, the
// red result label and the ";"-ended lists of the pack's strings.
#include "app/spine/Messages.h"
#include "app/controls/ControlMessages.h"
#include "platform/LangPack.h"
#include "platform/MessageEvent.h"

#include <QLabel>
#include <QPalette>
#include <QStringList>

namespace dialogs {

using controls::withId;

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

// A success is not drawn in the failure colour: dark green instead.
inline void makeSuccessColour(QLabel* label)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0, 0x80, 0));
    label->setPalette(p);
}

// A controller's answer: the success colour when it went through, red when not.
inline void showOutcome(QLabel* label, const QString& text, bool ok)
{
    label->setText(text);
    if (ok)
        makeSuccessColour(label);
    else
        makeRed(label);
}

// The red, wrapping label in which a settings dialog shows the controller's answer.
inline QLabel* resultLabel(QWidget* parent, int id)
{
    auto* l = withId(new QLabel(parent), id);
    makeRed(l);
    l->setWordWrap(true);
    return l;
}

// Reads one block of settings from the controller (`retrieve` below 0:
// failed), the main frame told first, and shows the outcome in `result`.
// True when the block came.
template <typename Retrieve>
bool readFromController(QObject* frame, QLabel* result, Retrieve&& retrieve)
{
    constexpr unsigned IDS_READ_DONE = 48276, IDS_READ_FAILED = 48277;
    spine::StatusIdle::send(frame);
    result->clear();
    const bool read = retrieve() >= 0;
    showOutcome(result, platform::langString(read ? IDS_READ_DONE : IDS_READ_FAILED), read);
    return read;
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
