#pragma once
// What the item tree and the screen canvases reach outside app/editor. The
// main frame owns one EditorLinks, keeps its pointers current and hands it to
// the tree and to every screen window; tests fill their own. Any entry may be
// null or empty: the message or call is then skipped.
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>

struct tagItemData;
class CCore;
class QWidget;

namespace editor {

class CScreenLed;
class CLed;

// Finds the screen canvas that shows a node's screen (the main frame looks
// through its screen windows); null when no window shows it.
class ItemWindowFinder {
public:
    virtual ~ItemWindowFinder() = default;
    virtual CScreenLed* FindItemWindow(tagItemData* node) = 0;
};

// The main frame's thumbnail window as the screen views use it.
class ThumbnailPort {
public:
    virtual ~ThumbnailPort() = default;
    virtual bool isThumbnailVisible() const = 0;
    // Shows the thumbnail sized to the content (w x h LEDs) with `canvas` as
    // its source; dragging its frame then scrolls that canvas.
    virtual void showThumbnail(int w, int h, CLed* canvas) = 0;
    virtual void hideThumbnail() = 0;
    virtual void resizeThumbnail(int w, int h) = 0;
    // The visible part of the canvas, in LEDs.
    virtual void setViewRect(const QRect& leds) = 0;
    // Receives WM_THUMB_SETSOURCE (wParam: the canvas QWidget*).
    virtual QObject* thumbnailReceiver() = 0;
};

struct EditorLinks {
    QPointer<QObject> itemTree;        // WM_NODE_SELECT from canvases and windows
    QPointer<QObject> propertyPane;    // WM_NODE_SELECT from the tree
    QPointer<QObject> itemListPanel;   // WM_ITEM_CREATE, WM_NODE_SELECT of items
    QPointer<QObject> mainFrame;       // WM_SEND_PROGRAMS
    ItemWindowFinder* windows = nullptr;
    ThumbnailPort* thumbnail = nullptr;
    // Opens a screen window for a screen that has none; true when it exists afterwards.
    std::function<bool(tagItemData* screen)> openScreenWindow;
    // A short notice for the operator (the main frame shows it as a tip at the cursor).
    std::function<void(const QString& text)> notice;
    // Runs a controller request as a job off the interface thread, with
    // progress and cancel (the main frame's task dialog), and waits for its
    // end. The call runs on the worker: it touches no widget.
    std::function<void(std::function<int(CCore&)> call)> runJob;

    CScreenLed* findCanvas(tagItemData* node) const;
};

} // namespace editor
