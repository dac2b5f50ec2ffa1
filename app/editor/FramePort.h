#pragma once
// The main frame as the windows below it and its own commands reach it, each
// service once: where the numbered messages go, a node's canvas, notices and
// boxes, jobs, and the thumbnail. The main frame implements it and hands it
// to the tree, the canvases, the panels and the commands; tests make their
// own. A service not overridden does nothing or answers "none". What a
// window must learn about a node comes from the change notice
// (app/spine/NodeNotice.h), not from here.
#include "app/spine/JobOutcome.h"
#include "app/spine/TaskRequest.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>

struct tagItemData;
class CCore;
class QWidget;

namespace editor {

class CLed;
class CScreenLed;

class FramePort {
public:
    virtual ~FramePort() = default;

    // ---- where the numbered messages go (null: not sent)
    QPointer<QObject> itemTree;        // WM_NODE_SELECT from canvases and windows
    QPointer<QObject> propertyPane;    // WM_NODE_SELECT from the tree
    QPointer<QObject> itemListPanel;   // WM_ITEM_CREATE, WM_NODE_SELECT of items
    QPointer<QObject> mainFrame;       // WM_SEND_PROGRAMS

    // ---- a node's canvas
    // The screen canvas that shows the node's screen; null when no window does.
    virtual CScreenLed* FindItemWindow(tagItemData*) { return nullptr; }
    // Opens a window for a screen that has none; true when it exists afterwards.
    virtual bool OpenScreenWindow(tagItemData*) { return false; }

    // ---- notices and boxes
    // Parent of the boxes and dialogs; its title is theirs.
    virtual QWidget* owner() { return nullptr; }
    // A passing notice at the pointer.
    virtual void notice(const QString&) {}
    virtual void inform(const QString&) {}
    virtual void warn(const QString&) {}
    // A Yes/No question: true for Yes.
    virtual bool ask(const QString& /*caption*/, const QString& /*text*/) { return false; }
    // An Ok/Cancel question, Ok by default: true unless cancelled.
    virtual bool confirm(const QString& /*caption*/, const QString& /*text*/) { return false; }
    virtual void resetStatus() {}
    virtual void setStatus(int /*pane*/, const QString&) {}

    // ---- jobs
    // A task of the task dialog, modally: 1 success, 2 otherwise.
    virtual int runTask(const spine::TaskRequest& /*request*/) { return 2; }
    // One controller request off the interface thread, with progress and
    // cancel, waited for; a failure stays open with its text. The call runs
    // on the worker: it touches no widget.
    virtual spine::JobOutcome runJob(std::function<int(CCore&)>) { return {}; }
    // A file written off the interface thread in the same dialog, which ends
    // by itself on any outcome: the caller shows what came of it.
    virtual spine::JobOutcome runFileJob(std::function<int(CCore&)>) { return {}; }

    // ---- the thumbnail
    virtual bool thumbnailShown() { return false; }
    // Shows the thumbnail sized to the content (w x h LEDs) with `canvas` as
    // its source; dragging its frame then scrolls that canvas.
    virtual void showThumbnail(int /*w*/, int /*h*/, CLed* /*canvas*/) {}
    virtual void hideThumbnail() {}
    virtual void resizeThumbnail(int /*w*/, int /*h*/) {}
    // The visible part of the canvas, in LEDs.
    virtual void setThumbnailView(const QRect&) {}
    // Receives WM_THUMB_SETSOURCE (wParam: the canvas QWidget*).
    virtual QObject* thumbnailReceiver() { return nullptr; }
};

} // namespace editor
