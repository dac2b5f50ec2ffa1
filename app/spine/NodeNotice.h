#pragma once
// The one notice between windows that a node changed or is about to go, and
// the one road that writes a node and then tells. Panels, commands and
// dialogs write through writeNode (or announce a write already made, such as
// a controller's read once its job has ended); the pane, the canvases, the
// tree, the screen windows and the thumbnail subscribe to notices() and
// follow. No writer calls a reload of another window itself. Interface
// thread only: a notice asked for on another thread is refused.
#include "core/api/Nodes.h"

#include <QFlags>
#include <QObject>

#include <utility>

class CCore;

namespace spine {

// What changed in a node. An empty set changed nothing another window shows
// (a stay time, an effect's speed): no notice goes out for it.
enum class NodeChange : unsigned {
    Name = 0x01,       // the tree's label, a screen window's title
    Geometry = 0x02,   // a screen's size or a section's rectangle (and what the core fitted below it)
    Link = 0x04,       // how a screen's controller is reached
    Hardware = 0x08,   // the rest of a screen's block
    WorkMode = 0x10,   // the LED work mode the canvases draw in
    Content = 0x20,    // what the node shows: its picture is made again
    Programs = 0x40,   // a screen's scenes were replaced (a file loaded)
};
Q_DECLARE_FLAGS(NodeChanges, NodeChange)
Q_DECLARE_OPERATORS_FOR_FLAGS(NodeChanges)

class NodeNotices : public QObject {
    Q_OBJECT
public:
    // `origin`: the window that made the write and shows it already (null
    // for none); subscribers other than it follow.
    void changed(tagItemData* node, NodeChanges what, const QObject* origin = nullptr);
    // Before the core frees the node and everything below it.
    void deleting(tagItemData* node);
    // Before anything reads or replaces the tree as a whole (a command, a
    // save, a send, a preview, closing, quitting): a window that holds an
    // edit back to keep typing cheap writes it now.
    void flushPendingEdits();

signals:
    void nodeChanged(tagItemData* node, spine::NodeChanges what, const QObject* origin);
    void nodeDeleting(tagItemData* node);
    void pendingEditsFlushed();

private:
    bool onOwnThread() const;
};

// The process's one notifier.
NodeNotices& notices();

// Announces a write already made: a Content change first has the core make
// the node's picture again.
void announce(CCore& core, tagItemData* node, NodeChanges what, const QObject* origin = nullptr);

// The write road: runs `write`, then announces what it changed.
template <class Write>
void writeNode(CCore& core, tagItemData* node, NodeChanges what, Write&& write, const QObject* origin = nullptr)
{
    if (!node)
        return;
    std::forward<Write>(write)();
    announce(core, node, what, origin);
}

// What differs between two screen blocks.
NodeChanges screenBlockChanges(const tagGlobalInfo& before, const tagGlobalInfo& after);

// Announces a screen block rewritten as a whole (a settings dialog, a
// controller's read): a new size is first passed on to the screen's scenes
// and sections, as the core does for a screen it resizes.
void announceScreenBlock(CCore& core, tagItemData* screen, const tagGlobalInfo& before);

// The one write road for a screen's block (a controller's read, a settings
// dialog's write and its undo): runs `write`, then announces what it
// changed as announceScreenBlock does.
template <class Write>
void writeScreenBlock(CCore& core, tagItemData* screen, Write&& write)
{
    if (!screen)
        return;
    const tagGlobalInfo before = screen->Global;
    std::forward<Write>(write)();
    announceScreenBlock(core, screen, before);
}

// Puts a screen's block back as it was (a write the controller did not
// take, a dialog cancelled), by the write road.
void restoreScreenBlock(CCore& core, tagItemData* screen, const tagGlobalInfo& block);

} // namespace spine

Q_DECLARE_METATYPE(spine::NodeChanges)
