#pragma once
// The process's node pictures (NodePictureSlot, core/api/Nodes.h): made by
// the painters when something first reads them, kept while their bytes fit
// one budget, the least recently read dropped first and made again when
// read. One lock guards every slot and what painting sets on a node, so the
// interface thread, the preview's players and a job's worker may ask for
// the same node at once; a node is painted under it. The tree itself has no
// lock.
#include "core/api/Nodes.h"
#include "core/model/ItemData.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace sorvane::model {

enum class PictureState : std::uint8_t {
    Stale,     // not painted since the node was made or loaded
    Current,   // painted: shows the node as it was then
    Dropped,   // painted, then dropped: what painting sets is current, the pixels are gone
    Given,     // the caller's picture (SetNodePicture), not made from the record
};

// The bytes of pictures the process keeps: 32 MiB, twice what the canvas
// reads to show one scene of the largest screen (its picture, its sections'
// and their shown items: 16 MiB).
constexpr std::int64_t DEFAULT_PICTURE_BUDGET = std::int64_t(32) << 20;

class NodePictures {
public:
    // Drops what no longer fits at once. Returns the previous budget.
    static std::int64_t setBudget(std::int64_t bytes);
    static std::int64_t bytesHeld();
    static PictureState stateOf(const tagItemData* node);
    // Whether the node paints as a new item of its kind (markAsNew).
    static bool showsAsNew(const tagItemData* node);

    // Paints the node now (CCore::Paint, a tree operation) with `hook`, or
    // with the installed paint hook when it is null.
    static int paint(tagItemData* node, PaintHook hook);
    // The picture, made when missing or stale (GetNodePicture).
    static QImage read(tagItemData* node);
    // Makes a stale node's picture, so that what painting sets is current;
    // a dropped picture stays dropped.
    static void measure(tagItemData* node);
    static void give(tagItemData* node, QImage picture);
    // The node shows what a new item of its kind shows until it is painted
    // (a loaded text or table with nothing in it).
    static void markAsNew(tagItemData* node);
    // Gives `to`, a copy's node, the picture of `from` as it stands, with
    // its state: shared pixels, not counted against the budget (the live
    // node counts them) until the copy paints its own.
    static void carry(const tagItemData* from, tagItemData* to);
    // Frees the node's picture and forgets it (the node is being destroyed).
    static void release(tagItemData* node);

    // The node as a compile on any thread sees it, writing nothing into it:
    // what painting set and, with `withPicture`, its picture. A node never
    // painted is painted into a picture of the caller's own, and so is one
    // whose picture was dropped when the picture is asked for. What the
    // node holds is read under the lock: a canvas painting it meanwhile is
    // seen before or after, never halfway.
    static Painting look(const tagItemData* node, bool withPicture);

    // The picture as it stands, not made: for the painter that is drawing
    // the node and for tests.
    static const QImage& peek(const tagItemData* node);
    // Puts a new picture in place (CreateNodeBitmap); returns the old one.
    static QImage swap(tagItemData* node, QImage picture);
    // The lock, for a look at a picture followed by a change of it.
    [[nodiscard]] static std::unique_lock<std::recursive_mutex> hold();

private:
    static int paintLocked(tagItemData* node, PaintHook hook, bool onRead, std::vector<QImage>& released);
    static void account(tagItemData* node);
    static void unlist(tagItemData* node);
    static void touch(tagItemData* node);
    static void evict(const tagItemData* keep, std::vector<QImage>& released);
};

// Gives what was just freed back to the system: a closed screen's pictures
// and a compile's blocks are many pieces that the allocator would otherwise
// keep for the process.
void ReturnFreedMemory();

} // namespace sorvane::model
