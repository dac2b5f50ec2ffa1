// Stored images of nodes and their level blocks.
#include "platform/ByteIO.h"
#include "core/model/ItemData.h"

#include <cstring>

using namespace sorvane::model;

using namespace bytes;

namespace {
// Offsets inside the node image.
constexpr std::size_t OFF_LEVEL = 0, OFF_VERSION = 4, OFF_SIZE = 6, OFF_PARENT = 12, OFF_PREV = 16, OFF_NEXT = 20,
                      OFF_CHILD = 24, OFF_PREVIEW_DC = 32, OFF_PREVIEW_BMP = 36, OFF_PREVIEW_OLD = 40,
                      OFF_WORD44 = 44, OFF_WORD48 = 48, OFF_NAME = 52, OFF_PLAYTIME = 308, OFF_INEFFECT = 312,
                      OFF_INSPEED = 314, OFF_BLOCKSIZE = 316;
static_assert(OFF_NAME + 2 * 128 == OFF_PLAYTIME);

// Offsets inside the scene block.
constexpr std::size_t SC_TYPE = 4, SC_PICTURE = 8, SC_MODE = 10, SC_OPTION = 11, SC_OWNED = 12, SC_OWNED_SIZE = 16,
                      SC_PATH = 20, SC_FRAME = 540, SC_FRAMESIZE = 544, SC_SCHEDULE = 548, SC_DATE = 552,
                      SC_WEEKDAYS = 556, SC_START = 560, SC_END = 562;
static_assert(SC_PATH + 2 * 260 == SC_FRAME && SC_END + 2 == SCENE_BLOCK_SIZE);

// Offsets inside the section block.
constexpr std::size_t SE_KIND = 3, SE_X = 4, SE_Y = 6, SE_W = 8, SE_H = 10, SE_FRAME = 12, SE_FRAMESIZE = 16;

// Offsets inside the item block.
constexpr std::size_t IB_TYPE = 4, IB_RECORD = 8, IB_RECORDSIZE = 12, IB_CONTENTW = 16, IB_CONTENTH = 20,
                      IB_OUTEFFECT = 25, IB_OUTSPEED = 26;
static_assert(IB_OUTSPEED + 2 == ITEM_BLOCK_SIZE);
}

namespace sorvane::model {

void WriteSceneBlock(const tagItemData& node, std::uint8_t* out)
{
    const SceneBlock& s = node.Scene;
    std::memcpy(out, s.Raw.data(), SCENE_BLOCK_SIZE);
    put16(out, 0, node.BlockSize);
    put16(out, SC_TYPE, s.TypeCode);
    put16(out, SC_PICTURE, s.PicturePresent);
    put8(out, SC_MODE, s.PictureMode);
    put8(out, SC_OPTION, s.DisplayOption);
    put32(out, SC_OWNED, 0);
    put32(out, SC_OWNED_SIZE, 0);
    putWide(out, SC_PATH, s.PicturePath, 260);
    put32(out, SC_FRAME, 0);
    put32(out, SC_FRAMESIZE, s.FrameSize);
    put8(out, SC_SCHEDULE, s.Schedule);
    put32(out, SC_DATE, s.ScheduleDate);
    put8(out, SC_WEEKDAYS, s.ScheduleWeekdays);
    put16(out, SC_START, s.StartTime);
    put16(out, SC_END, s.EndTime);
}

void ReadSceneBlock(const std::uint8_t* in, tagItemData& node)
{
    SceneBlock& s = node.Scene;
    std::memcpy(s.Raw.data(), in, SCENE_BLOCK_SIZE);
    node.BlockSize = get16(in, 0);
    s.TypeCode = get16(in, SC_TYPE);
    s.PicturePresent = get16(in, SC_PICTURE);
    s.PictureMode = get8(in, SC_MODE);
    s.DisplayOption = get8(in, SC_OPTION);
    getWide(in, SC_PATH, s.PicturePath, 260);
    s.PicturePath[259] = u'\0';
    s.FrameSize = get32(in, SC_FRAMESIZE);
    s.Schedule = get8(in, SC_SCHEDULE);
    s.ScheduleDate = get32(in, SC_DATE);
    s.ScheduleWeekdays = get8(in, SC_WEEKDAYS);
    s.StartTime = get16(in, SC_START);
    s.EndTime = get16(in, SC_END);
}

void WriteSectionBlock(const tagItemData& node, std::uint8_t* out)
{
    const SectionBlock& s = node.Section;
    std::memcpy(out, s.Raw.data(), SECTION_BLOCK_SIZE);
    put16(out, 0, node.BlockSize);
    put8(out, SE_KIND, s.WndKind);
    put16(out, SE_X, s.RectX);
    put16(out, SE_Y, s.RectY);
    put16(out, SE_W, s.RectW);
    put16(out, SE_H, s.RectH);
    put32(out, SE_FRAME, 0);
    put32(out, SE_FRAMESIZE, s.FrameSize);
}

void ReadSectionBlock(const std::uint8_t* in, tagItemData& node)
{
    SectionBlock& s = node.Section;
    std::memcpy(s.Raw.data(), in, SECTION_BLOCK_SIZE);
    node.BlockSize = get16(in, 0);
    s.WndKind = get8(in, SE_KIND);
    s.RectX = get16(in, SE_X);
    s.RectY = get16(in, SE_Y);
    s.RectW = get16(in, SE_W);
    s.RectH = get16(in, SE_H);
    s.FrameSize = get32(in, SE_FRAMESIZE);
}

void WriteItemBlock(const tagItemData& node, std::uint8_t* out)
{
    const ItemBlock& b = node.Item;
    std::memcpy(out, b.Raw.data(), ITEM_BLOCK_SIZE);
    put16(out, 0, node.BlockSize);
    put16(out, IB_TYPE, b.TypeCode);
    put32(out, IB_RECORD, 0);
    put32(out, IB_RECORDSIZE, b.TypeRecordSize);
    put32(out, IB_CONTENTW, b.ContentW);
    put32(out, IB_CONTENTH, b.ContentH);
    put8(out, IB_OUTEFFECT, b.OutEffect);
    put16(out, IB_OUTSPEED, b.OutSpeed);
}

void ReadItemBlock(const std::uint8_t* in, tagItemData& node)
{
    ItemBlock& b = node.Item;
    std::memcpy(b.Raw.data(), in, ITEM_BLOCK_SIZE);
    node.BlockSize = get16(in, 0);
    b.TypeCode = get16(in, IB_TYPE);
    b.TypeRecordSize = get32(in, IB_RECORDSIZE);
    b.ContentW = get32(in, IB_CONTENTW);
    b.ContentH = get32(in, IB_CONTENTH);
    b.OutEffect = get8(in, IB_OUTEFFECT);
    b.OutSpeed = get16(in, IB_OUTSPEED);
}

void WriteNodeImage(const tagItemData& node, std::uint8_t* out)
{
    std::memcpy(out, node.Raw.data(), ITEMDATA_SIZE);
    std::uint8_t* block = out + LEVEL_BLOCK_OFFSET;
    switch (node.Level) {
    case LEVEL_ROOT: WriteGlobalInfo(node.Global, block); break;
    case LEVEL_SCENE: WriteSceneBlock(node, block); break;
    case LEVEL_SECTION: WriteSectionBlock(node, block); break;
    case LEVEL_PROGRAM: WriteItemBlock(node, block); break;
    default: break;
    }
    put32(out, OFF_LEVEL, node.Level);
    put8(out, OFF_VERSION, node.RecordVersion);
    put16(out, OFF_SIZE, node.RecordSize);
    for (std::size_t slot : {OFF_PARENT, OFF_PREV, OFF_NEXT, OFF_CHILD, OFF_PREVIEW_DC, OFF_PREVIEW_BMP, OFF_PREVIEW_OLD})
        put32(out, slot, 0);
    put32(out, OFF_WORD44, node.KeptWord44);
    put32(out, OFF_WORD48, node.KeptWord48);
    putWide(out, OFF_NAME, node.Name, 128);
    put32(out, OFF_PLAYTIME, static_cast<std::uint32_t>(node.PlayTime));
    put8(out, OFF_INEFFECT, node.InEffect);
    put16(out, OFF_INSPEED, node.InSpeed);
    put16(out, OFF_BLOCKSIZE, node.BlockSize);
    // The four compiled slots' pointers and lengths: a compile's buffers are
    // not the node's, so an image never depends on a send running.
    for (int i = 0; i < 8; ++i)
        put32(out, COMPILED_OFFSET + 4 * i, 0);
}

bool ReadNodeImage(const std::uint8_t* in, std::size_t length, tagItemData& node)
{
    // The level decides what the node owns and frees: an image of another
    // level would leave the node's frame or type record behind.
    if (!in || length < ITEMDATA_SIZE || get32(in, OFF_LEVEL) != node.Level)
        return false;
    std::memcpy(node.Raw.data(), in, ITEMDATA_SIZE);
    node.RecordVersion = get8(in, OFF_VERSION);
    node.RecordSize = get16(in, OFF_SIZE);
    node.KeptWord44 = get32(in, OFF_WORD44);
    node.KeptWord48 = get32(in, OFF_WORD48);
    getWide(in, OFF_NAME, node.Name, 128);
    node.Name[127] = u'\0';
    node.PlayTime = static_cast<std::int32_t>(get32(in, OFF_PLAYTIME));
    node.InEffect = get8(in, OFF_INEFFECT);
    node.InSpeed = get16(in, OFF_INSPEED);
    node.BlockSize = get16(in, OFF_BLOCKSIZE);
    const std::uint8_t* block = in + LEVEL_BLOCK_OFFSET;
    switch (node.Level) {
    case LEVEL_ROOT: ReadGlobalInfo(block, node.Global); break;
    case LEVEL_SCENE: ReadSceneBlock(block, node); break;
    case LEVEL_SECTION: ReadSectionBlock(block, node); break;
    case LEVEL_PROGRAM: ReadItemBlock(block, node); break;
    default: break;
    }
    return true;
}

} // namespace sorvane::model
