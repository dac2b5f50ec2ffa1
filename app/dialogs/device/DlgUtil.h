#pragma once
// Small helpers shared by the device dialogs: control ids, pack texts, the
// red result label and the ";"-ended lists of the pack's strings.
#include "app/spine/Messages.h"
#include "app/controls/ControlMessages.h"
#include "app/dialogs/task/TaskJob.h"
#include "core/api/Callbacks.h"
#include "platform/LangPack.h"
#include "platform/MessageEvent.h"

#include <QLabel>
#include <QPalette>
#include <QStringList>
#include <optional>

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

// Reads one block of settings from the controller as a job over `owner`
// (the main frame told first) and shows the outcome in `result`; a cancelled
// or failed read leaves the screen's block as it was. What was read is
// stored and announced by the write road. True when the block came and the
// owner is still there to show it.
inline bool readFromController(CCore& core, QWidget* owner, QObject* frame, QLabel* result, tagItemData* screen,
                               ControllerRead retrieve)
{
    constexpr unsigned IDS_READ_DONE = 48276, IDS_READ_FAILED = 48277;
    spine::StatusIdle::send(frame);
    result->clear();
    const TaskOutcome out = RunReadJob(core, owner, screen, retrieve);
    if (!out.reached)
        return false;
    const bool read = !out.cancelled && out.result >= 0;
    showOutcome(result, platform::langString(read ? IDS_READ_DONE : IDS_READ_FAILED), read);
    return read;
}

// Sends with `send` as a job over `owner` and shows the outcome in `result`.
// The call's result, or none when the owner went meanwhile; a cancel counts
// as a failure.
inline std::optional<int> writeToController(CCore& core, QWidget* owner, QLabel* result,
                                            std::function<int(CCore&)> send)
{
    constexpr unsigned IDS_WRITE_DONE = 48278, IDS_WRITE_FAILED = 48279;
    result->clear();
    const TaskOutcome out = RunTaskJob(core, owner, WriteJob(std::move(send)));
    if (!out.reached)
        return std::nullopt;
    const int rc = out.cancelled ? int(COMM_E_CANCELLED) : out.result;
    showOutcome(result, platform::langString(rc < 0 ? IDS_WRITE_FAILED : IDS_WRITE_DONE), rc >= 0);
    return rc;
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
