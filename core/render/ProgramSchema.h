#pragma once
// The one map of the controller program: its four blocks in the order they
// go out, what each node's compiled slots hold, and every field of the
// records the compiler writes, at its offset, typed by its width.
// Controllers play these bytes as they are (little-endian), so the offsets
// are a format; nothing else names one. Records are written through put().
#include "core/api/TypeRecords.h"
#include "platform/ByteIO.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sorvane::render::program {

// Fixed-width fields, of the same kind as the type records'.
using records::Field;
using records::U8;
using records::U16;
using records::U32;

// Four marker letters, or four bytes copied as they lie elsewhere.
struct Tag {
    std::size_t Offset;
};
struct Quad {
    std::size_t Offset;
};

inline void put(std::uint8_t* r, U8 f, std::uint8_t v) { bytes::put8(r, f.Offset, v); }
inline void put(std::uint8_t* r, U16 f, std::uint16_t v) { bytes::put16(r, f.Offset, v); }
inline void put(std::uint8_t* r, U32 f, std::uint32_t v) { bytes::put32(r, f.Offset, v); }
inline void put(std::uint8_t* r, Tag f, const char (&text)[5]) { std::memcpy(r + f.Offset, text, 4); }
inline void put(std::uint8_t* r, Quad f, const std::uint8_t* from) { std::memcpy(r + f.Offset, from, 4); }
inline std::uint32_t get(const std::uint8_t* r, U32 f) { return bytes::get32(r, f.Offset); }

// The blocks, in the order they go out; each is sent with its own command.
enum class Block { PageMap, ProgramMap, ProgramMask, ProgramData };
inline constexpr Block BlockOrder[] = {Block::PageMap, Block::ProgramMap, Block::ProgramMask, Block::ProgramData};

// What a node's four compiled slots hold, by its level (the screen's stay empty).
namespace slot {
inline constexpr int ScenePages = 0;          // background pixel pages (program data)
inline constexpr int SceneMask = 1;           // column runs (program mask)
inline constexpr int SceneRecord = 2;         // the scene record (page map)
inline constexpr int SceneDevices = 3;        // schedule and border records (program data)
inline constexpr int SectionMask = 0;         // column runs (program mask)
inline constexpr int SectionDescriptor = 1;   // copied into its scene's record
inline constexpr int SectionBorder = 2;       // border record (program data)
inline constexpr int ItemPages = 0;           // pixel pages (program data)
inline constexpr int ItemHeader = 1;          // header or device record (program data)
inline constexpr int ItemDescriptor = 2;      // the item descriptor (program map)
} // namespace slot

// Page map: one record per scene, its section descriptors after it.
namespace scene {
inline constexpr std::size_t Size = 56;   // before the descriptors
inline constexpr U32 PlayTime{0};
inline constexpr U16 ScreenWidth{4};
inline constexpr U16 ScreenHeight{6};
inline constexpr U32 NextRecordAt{8};      // page-map offset; the last links back to the first normal scene
inline constexpr U32 BackgroundAt{12};     // program-data offset of the pages the scene shows
inline constexpr U32 BackgroundLength{16};
inline constexpr U32 MaskAt{20};           // program-mask offset
inline constexpr U32 MaskLength{24};
inline constexpr U8 IsGlobal{28};
inline constexpr U8 Options{29};           // display option | HasBorder | HasSchedule
inline constexpr U8 SectionsShown{30};     // a normal scene's own and the global scene's
inline constexpr U8 GlobalSections{31};
inline constexpr U32 DevicesAt{36};        // program-data offset of the schedule and border records
inline constexpr U32 DevicesLength{40};
inline constexpr U16 Signature{52};
inline constexpr U16 EntrySize{54};
inline constexpr std::size_t Entries = 56;   // the section descriptors, at least one entry
inline constexpr std::uint16_t SignatureValue = 42500;
inline constexpr std::uint8_t HasBorder = 16;
inline constexpr std::uint8_t HasSchedule = 32;
} // namespace scene

// A section that holds items, as an entry of its scene's record.
namespace section {
inline constexpr std::size_t Size = 64;
inline constexpr U8 Reserved{0};          // the byte after the level block's frame size
inline constexpr U16 Left{4};             // the client rectangle, screen columns and rows
inline constexpr U16 Top{6};
inline constexpr U16 Width{8};
inline constexpr U16 Height{10};
inline constexpr U32 BorderAt{12};        // program-data offset
inline constexpr U32 BorderLength{16};
inline constexpr U32 MaskAt{20};          // program-mask offset
inline constexpr U32 MaskLength{24};
inline constexpr U32 FirstItemAt{28};     // program-map offset
inline constexpr U8 ItemCount{32};        // low 8 bits
inline constexpr U8 Options{34};          // HasBorder
inline constexpr U16 RecordSize{38};
inline constexpr std::uint8_t HasBorder = 16;
} // namespace section

// Program map: one descriptor per item.
namespace item {
inline constexpr std::size_t Size = 24;
inline constexpr U32 PlayTime{0};
inline constexpr U8 InEffect{4};
inline constexpr U16 InSpeed{6};
inline constexpr U32 PagesAt{8};          // program-data offsets
inline constexpr U32 PagesLength{12};
inline constexpr U32 HeaderAt{16};
inline constexpr U32 HeaderLength{20};
} // namespace item

// Program data, after a paged item's pages (single-line text, rich text,
// table); a picture's header has the same size, with one step and no paging.
namespace paged {
inline constexpr std::size_t Size = 52;
inline constexpr U32 Steps{0};            // pages in the scrolling direction
inline constexpr U32 PageLength{4};
inline constexpr U32 StepSize{8};         // the area's width or height when it scrolls
inline constexpr U16 Across{12};
inline constexpr U16 Down{14};
inline constexpr Tag Clear{16};           // "cler"
inline constexpr U8 OutEffect{20};
inline constexpr U16 OutSpeed{24};
inline constexpr Tag Position{40};        // "posn"
inline constexpr U16 ContentWidth{48};
inline constexpr U16 ContentHeight{50};
} // namespace paged

// Program data, after the pages of a frame sequence (GIF, animated text).
namespace frames {
inline constexpr std::size_t Size = 16;   // before the delays
inline constexpr U32 Count{0};
inline constexpr U32 PageLength{4};
inline constexpr U32 One{8};              // 1
inline constexpr U32 AlsoOne{12};         // 1
inline constexpr U32 Delay(std::uint32_t frame) { return {Size + 4 * std::size_t(frame)}; }
} // namespace frames

// Program data, before a scene's border record when it has a schedule.
namespace schedule {
inline constexpr std::size_t Size = 36;
inline constexpr Tag Marker{0};           // "stmr"
inline constexpr U16 Version{4};
inline constexpr U16 RecordSize{6};
inline constexpr Quad Flags{8};           // the flags byte and the three after it in the scene block
inline constexpr U32 Date{12};
inline constexpr Quad Weekdays{16};       // the weekday byte and the three after it
inline constexpr U16 Start{20};           // hour << 8 | minute
inline constexpr U16 End{22};
inline constexpr std::uint16_t VersionValue = 3;
} // namespace schedule

// Program mask: runs of equal columns, left to right.
namespace maskrun {
inline constexpr std::size_t Size = 72;
inline constexpr U16 First{0};
inline constexpr U16 Last{2};
inline constexpr U16 Columns{4};
inline constexpr U16 RecordSize{6};
inline constexpr std::size_t Words = 8;   // 16 words: fold f of scan row s is word f + s x fold count
inline constexpr std::size_t WordCount = 16;
inline constexpr U32 Word(std::size_t i) { return {Words + 4 * i}; }
} // namespace maskrun

// The analog clock record's own offsets (three tables of 60, then one),
// moved by where the record lies in the program data: each hand's pixel
// lists by second, then where the trailer lies; the lists after them.
namespace analog {
inline constexpr std::size_t Offsets = 181;
inline constexpr U32 Offset(std::size_t i) { return {4 * i}; }
inline constexpr U32 TrailerAt = Offset(180);
inline constexpr std::size_t Lists = 4 * Offsets;
} // namespace analog

// Program data: the analog clock's trailer, after its pixel lists; its date
// record (a digital clock's) follows it.
namespace analogtrailer {
inline constexpr std::size_t Size = 52;
inline constexpr U16 RecordSize{2};       // Size
inline constexpr U32 SecondColour{4};
inline constexpr U32 MinuteColour{12};
inline constexpr U32 HourColour{20};
} // namespace analogtrailer

// Program data: a digital clock's or a counter's record: the header with
// one cell per character place (at least room for one), then the glyph table.
namespace cells {
inline constexpr std::size_t MinSize = 36;
inline constexpr U32 GlyphSet{4};
inline constexpr U32 Target{8};
inline constexpr U32 Colour{12};
inline constexpr U32 RoleMask{16};
inline constexpr U32 GlyphsAt{20};        // where the glyph table lies
inline constexpr U16 ContentWidth{24};
inline constexpr U16 CellCount{26};
inline constexpr std::size_t Cells = 28;  // the cells, one entry each
inline constexpr std::size_t CellSize = 8;
inline constexpr U16 CellLeft{0};         // right and bottom exclusive
inline constexpr U16 CellTop{2};
inline constexpr U16 CellRight{4};
inline constexpr U16 CellBottom{6};
// The glyph table: its head, one entry a glyph, then the bitmaps, placed
// from the table's start.
inline constexpr std::size_t GlyphHead = 12;
inline constexpr U8 GlyphBits{9};         // 8
inline constexpr U16 GlyphCount{10};
inline constexpr std::size_t GlyphSize = 8;
inline constexpr U8 CodeLead{0};          // GB2312 code, or the character's byte
inline constexpr U8 CodeTrail{1};
inline constexpr U32 BitmapAt{4};
inline constexpr std::uint8_t GlyphBitsValue = 8;
} // namespace cells

// Program data: the border record of a scene or a section ("fram"): its
// header, the corner table (four corners of width x width entries), then one
// record per element, each followed by its colours lane by lane.
namespace border {
inline constexpr std::size_t Size = 36;   // before the corner table
inline constexpr Tag Marker{0};           // "fram"
inline constexpr U16 Version{4};
inline constexpr U16 ElementsAt{6};       // where the first element lies, in 16 bits
inline constexpr U16 Left{8};             // the rectangle the border runs round
inline constexpr U16 Top{10};
inline constexpr U16 Right{12};
inline constexpr U16 Bottom{14};
inline constexpr U16 Width{16};
inline constexpr U16 ElementCount{20};
inline constexpr U32 FirstElementAt{24};  // the same, in 32 bits
inline constexpr std::uint16_t VersionValue = 3;
inline constexpr std::size_t CornerSize = 8;
inline constexpr U16 CornerX{0};
inline constexpr U16 CornerY{2};
inline constexpr U16 CornerLane{4};
inline constexpr std::size_t ElementSize = 28;   // before its colours
inline constexpr U16 ElementVersion{0};
inline constexpr U16 ElementRecordSize{2};
inline constexpr U16 Motion{4};
inline constexpr U16 Speed{6};
inline constexpr U32 Duration{16};
inline constexpr U16 Period{20};
// The corner table of a border `width` LEDs wide.
inline constexpr std::size_t cornerTableSize(int width) { return 4 * CornerSize * std::size_t(width) * std::size_t(width); }
} // namespace border

} // namespace sorvane::render::program
