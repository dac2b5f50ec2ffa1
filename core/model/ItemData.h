#pragma once
// A node of the content tree (root header, screen, scene, section or item).
// In memory an ordinary object with real links; stored as a 928-byte
// little-endian image through WriteNodeImage / ReadNodeImage.
#include "core/model/DynFrame.h"
#include "core/model/Export.h"
#include "core/model/GlobalInfo.h"
#include "core/model/ItemRecord.h"
#include "core/model/ItemTypes.h"

#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::size_t ITEMDATA_SIZE = 928;
constexpr std::size_t LEVEL_BLOCK_OFFSET = 316;
constexpr std::size_t SCENE_BLOCK_SIZE = 564;
constexpr std::size_t SECTION_BLOCK_SIZE = 24;
constexpr std::size_t ITEM_BLOCK_SIZE = 28;
constexpr std::size_t COMPILED_OFFSET = 880;
static_assert(LEVEL_BLOCK_OFFSET + GLOBALINFO_SIZE <= COMPILED_OFFSET);
static_assert(LEVEL_BLOCK_OFFSET + SCENE_BLOCK_SIZE == COMPILED_OFFSET);
static_assert(COMPILED_OFFSET + 4 * 8 <= ITEMDATA_SIZE);

// Level block of a scene (bytes 316-879 of the node image). Frame (and an
// item's TypeRecord) are owned, so blocks are never copied as objects: a
// copy goes through the stored block image and keeps its own frame.
struct SceneBlock {
    SceneBlock() = default;
    SceneBlock(const SceneBlock&) = delete;
    SceneBlock& operator=(const SceneBlock&) = delete;

    std::uint16_t TypeCode = 0;        // IT_GLOBALSCENE or IT_SCENE
    std::uint16_t PicturePresent = 0;  // set by the scene painter
    std::uint8_t PictureMode = 0;      // 0 stretched, 1 centred, 2 tiled
    std::uint8_t DisplayOption = 0;    // bit 0: a display option, kept as is
    std::vector<std::uint8_t> OwnedBlock;   // kept, freed with the scene, not stored
    char16_t PicturePath[260] = {};
    DynFrame* Frame = nullptr;
    std::uint32_t FrameSize = 0;
    std::uint8_t Schedule = 0;         // bit 0 date range, bit 1 weekdays, bit 2 time range
    std::uint32_t ScheduleDate = 0;    // controller time
    std::uint8_t ScheduleWeekdays = 0; // bits 0-6
    std::uint16_t StartTime = 0;       // hour << 8 | minute
    std::uint16_t EndTime = 0;
    std::array<std::uint8_t, SCENE_BLOCK_SIZE> Raw{};
};

// Level block of a section (bytes 316-339).
struct SectionBlock {
    SectionBlock() = default;
    SectionBlock(const SectionBlock&) = delete;
    SectionBlock& operator=(const SectionBlock&) = delete;

    std::uint8_t WndKind = 0;          // window kind 4-9
    std::uint16_t RectX = 0;
    std::uint16_t RectY = 0;
    std::uint16_t RectW = 0;
    std::uint16_t RectH = 0;
    DynFrame* Frame = nullptr;
    std::uint32_t FrameSize = 0;
    std::array<std::uint8_t, SECTION_BLOCK_SIZE> Raw{};
};

// Level block of an item (bytes 316-343).
struct ItemBlock {
    ItemBlock() = default;
    ItemBlock(const ItemBlock&) = delete;
    ItemBlock& operator=(const ItemBlock&) = delete;

    std::uint16_t TypeCode = 0;
    ItemRecord* TypeRecord = nullptr;
    std::uint32_t TypeRecordSize = 0;
    std::uint32_t ContentW = 0;
    std::uint32_t ContentH = 0;
    std::uint8_t OutEffect = 0;
    std::uint16_t OutSpeed = 0;
    std::array<std::uint8_t, ITEM_BLOCK_SIZE> Raw{};
};

// One slot of compiled controller data; filled by the compiler.
struct CompiledSlot {
    std::vector<std::uint8_t> Buffer;
};

struct tagItemData {
    tagItemData() = default;
    tagItemData(const tagItemData&) = delete;
    tagItemData& operator=(const tagItemData&) = delete;

    std::uint32_t Level = 0;
    std::uint8_t RecordVersion = 0;
    std::uint16_t RecordSize = 0;
    tagItemData* Parent = nullptr;
    tagItemData* PrevSibling = nullptr;
    tagItemData* NextSibling = nullptr;
    tagItemData* FirstChild = nullptr;
    QImage Preview;                    // RGB32, black before every paint
    std::uint32_t KeptWord44 = 0;      // only initialised, copied and stored
    std::uint32_t KeptWord48 = 0;      // the same
    char16_t Name[128] = {};
    std::int32_t PlayTime = 0;
    std::uint8_t InEffect = 0;
    std::uint16_t InSpeed = 0;
    std::uint16_t BlockSize = 0;       // size word of the level block (for a screen the same word as Global.BlockSize)
    tagGlobalInfo Global;              // level 0
    SceneBlock Scene;                  // level 1
    SectionBlock Section;              // level 2
    ItemBlock Item;                    // level 3
    CompiledSlot Compiled[4];          // slots A to D
    // The stored image as last read: bytes no field models are written back from here.
    std::array<std::uint8_t, ITEMDATA_SIZE> Raw{};
};

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

// Paints a node's preview through the paint dispatcher; 1 when it drew.
int PaintNode(tagItemData* node);
// Tests watch which nodes the model repaints (null: nobody watches).
using PaintObserver = void (*)(const tagItemData* node);
PaintObserver SetPaintObserver(PaintObserver observer);

// Copies a name into a node's name field, cut to 127 characters.
void SetNodeName(tagItemData* node, const char16_t* name);

// Nearest node at this level among the node and its ancestors.
SORVANE_API tagItemData* AncestorAtLevel(tagItemData* node, std::uint32_t level);

// Preview picture of a node.
SORVANE_API QSize PreviewSizeOf(const tagItemData* node);
// Each returns whether a new picture was made. No picture is made larger
// than MAX_PREVIEW_PIXELS (16 MB, a 2048 x 2048 screen): a damaged file can
// claim any size for each of its many nodes.
constexpr std::int64_t MAX_PREVIEW_PIXELS = std::int64_t(1) << 22;
bool ResizeNodeBitmap(tagItemData* node);
bool UpdateNodeBitmap(tagItemData* node);
bool CreateNodeBitmap(tagItemData* node, int w, int h);

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
