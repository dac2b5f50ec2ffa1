#pragma once
// Making, painting, sizing and storing the nodes of the content tree
// (core/api/Nodes.h); stored as 928-byte little-endian images through
// WriteNodeImage / ReadNodeImage.
#include "core/api/Nodes.h"
#include "core/model/DynFrame.h"
#include "core/model/GlobalInfo.h"
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"

#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sorvane::model {

// Builds a non-header node and links it behind "after", or at the head of
// the parent's children. Null when a required parent is missing.
tagItemData* CreateNode(tagItemData* after, std::uint16_t type, const char16_t* name, tagItemData* parent);
// The same without a picture: for callers that fill the node and paint it once.
tagItemData* CreateNodeUnpainted(tagItemData* after, std::uint16_t type, const char16_t* name, tagItemData* parent);
// Links a node behind "after", or at the head of the parent's children.
void LinkNode(tagItemData* node, tagItemData* after, tagItemData* parent);
// A detached header node: level LEVEL_HEADER and nothing else.
tagItemData* CreateHeaderNode();
// Frees the node with its whole subtree and clears the pointer. The node is
// not unlinked from its parent.
void DestroyNode(tagItemData*& node);

// Paints a node's preview now through the paint hook; 1 when it drew.
// Pictures are otherwise made when read (GetNodePicture, NodePictures.h).
int PaintNode(tagItemData* node);

// What painting sets on a node beside its pixels.
struct PaintedValues {
    std::uint32_t contentW = 0, contentH = 0;   // an item's content as measured
    std::uint16_t picturePresent = 0;           // a scene's picture loads
    std::uint32_t frameCount = 0;               // an animated text's frames
    bool operator==(const PaintedValues&) const = default;
};
// As the node holds them now.
PaintedValues PaintedValuesOf(const tagItemData* node);
// Writes them into the node, each only where it changed: a node painted
// again to the same result writes nothing but its pixels.
void StorePaintedValues(tagItemData* node, const PaintedValues& values);

// One painting of a node: the painter reads the node and the record, draws
// into the picture (growing it, never shrinking it) and sets the values. It
// writes nothing into the node, so a compile on a worker paints into
// pictures of its own while the interface thread shows the same nodes.
struct Painting {
    const tagItemData* node = nullptr;
    const ItemRecord* record = nullptr;   // the node's, or a new item's
    QImage picture;
    PaintedValues values;
    // The picture was just made for this painting and is black throughout:
    // a painter that starts by clearing it need not clear it again.
    bool blank = false;
};
// The painters live above the model (core/render) and reach it through this
// hook, which CCore's constructor installs; without one no node is painted.
// Returns the previous hook.
using PaintHook = int (*)(Painting& painting);
PaintHook SetPaintHook(PaintHook hook);
// Paints with the given painter instead of the hook.
int PaintNodeWith(tagItemData* node, PaintHook hook);
// What render keeps of a screen (its compiles) is dropped when the screen's
// node is destroyed, through this hook, which render installs with the
// painter. Returns the previous hook.
using ScreenGoneHook = void (*)(const tagItemData* screen);
ScreenGoneHook SetScreenGoneHook(ScreenGoneHook hook);

// Copies a name into a node's name field, cut to 127 characters.
void SetNodeName(tagItemData* node, const char16_t* name);


// PreviewSizeOf: core/api/Nodes.h.
// Each returns whether a new picture was made. No picture is made larger
// than MAX_PREVIEW_PIXELS (16 MB, a 2048 x 2048 screen): a damaged file can
// claim any size for each of its many nodes.
bool ResizeNodeBitmap(tagItemData* node);
bool UpdateNodeBitmap(tagItemData* node);
bool CreateNodeBitmap(tagItemData* node, int w, int h);
// The same for a picture of the caller's: grown to w x h when smaller,
// black; false when it stays as it was.
bool GrowPicture(QImage& picture, int w, int h);
// PreviewSizeOf for an item whose content is as `values` say.
QSize PreviewSizeFor(const tagItemData* node, const PaintedValues& values);

// The content size a new item takes from its section (0 x 0 for the kinds
// that measure their content).
QSize InitialContentSize(const tagItemData* item);

// Stored size of what follows the node image (frame with elements, or type record with its data).
std::uint32_t GetPayloadSize(const tagItemData* node);

// Stored images. Pointer slots are written 0 and ignored on read; the reader
// fills the header and the level block and leaves links, preview, frames,
// type records and compiled buffers untouched. An image whose level differs
// from the node's is refused (false, node unchanged).
void WriteNodeImage(const tagItemData& node, std::uint8_t* out);
bool ReadNodeImage(const std::uint8_t* in, std::size_t length, tagItemData& node);
void WriteSceneBlock(const tagItemData& node, std::uint8_t* out);
void ReadSceneBlock(const std::uint8_t* in, tagItemData& node);
void WriteSectionBlock(const tagItemData& node, std::uint8_t* out);
void ReadSectionBlock(const std::uint8_t* in, tagItemData& node);
void WriteItemBlock(const tagItemData& node, std::uint8_t* out);
void ReadItemBlock(const std::uint8_t* in, tagItemData& node);

} // namespace sorvane::model
