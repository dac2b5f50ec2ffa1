#pragma once
// One row per item kind (kItemTypes, core/api/ItemTypes.h): what the core
// decides by kind when it makes, loads and compiles a node. A kind without a
// row fails the build (ItemKinds.cpp). The painters lie above the model: their
// column of the table is render's (core/render/PaintDispatch.cpp).
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>

struct tagItemData;

namespace sorvane::model {

// How a stored type record is read over the new one a load makes.
enum class StoredRecord : std::uint8_t {
    Bytes,   // the fixed record as stored
    Text,    // the fixed record, then UTF-16 text; a shorter record keeps its defaults
    Table,   // the fixed record, then the grid stream
};

// How the content is drawn page by page when it outgrows its window.
enum class PagedDraw : std::uint8_t { None, SingleLine, RichText, Table };

// How many pages a compile makes of an item (paged kinds page their content).
enum class PageCount : std::uint8_t { None, Paged, One, PictureFrames, TextGifFrames, Across };

// The header record a compile writes ahead of an item's pages.
enum class DeviceHeader : std::uint8_t { None, Paged, Picture, FrameDelay, TextGif, AnalogClock, DigitalClock, Counter };

struct ItemKind {
    std::uint16_t type;
    ItemLevel level;
    // A new item's entry effect and speeds; contentSized: its content takes
    // the section's size.
    std::uint8_t inEffect = 0;
    std::uint16_t inSpeed = 0;
    std::uint16_t outSpeed = 0;
    bool contentSized = true;
    // The type record: fixed size (0: none), what it owns and where the
    // owned part's pointer slot lies; its defaults.
    std::size_t recordSize = 0;
    ItemRecord::Owned owned = ItemRecord::Owned::None;
    std::size_t slot = ~std::size_t(0);
    void (*initRecord)(ItemRecord& r, const LOGFONT& font) = nullptr;
    const char16_t* defaultText = nullptr;
    // Loading: whether the stored exit effect is kept, how the record
    // reads, and the kind it loads as.
    bool storedExit = false;
    StoredRecord stored = StoredRecord::Bytes;
    std::uint16_t loadsAs = 0;
    // Drawing and compiling.
    PagedDraw paged = PagedDraw::None;
    PageCount pages = PageCount::None;
    DeviceHeader header = DeviceHeader::None;
};

// The row of a kind; a kind the table does not know (a damaged file's) gets
// a row that makes and compiles nothing (render paints nothing of it).
const ItemKind& itemKind(std::uint16_t type);
// Whether the type has a row of its own.
bool knownItemKind(std::uint16_t type);
std::span<const ItemKind> itemKinds();

} // namespace sorvane::model
