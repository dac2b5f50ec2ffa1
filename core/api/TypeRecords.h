#pragma once
// The one map of the type records: every field of every item kind's record
// at its stored offset, typed. Records are stored byte for byte in program
// lists, so these offsets are a file format; nothing else names one.
// Fields are read and written through ItemRecord::get / set; an item's owned
// text or table stream is set through SetItemText / SetItemTableStream, which
// keep the item's record-size word.
#include "core/api/Export.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

struct LOGFONT;
struct tagItemData;

namespace records {

// A fixed-width field (u8, u16, u32 or a 92-byte LOGFONT).
template <class T>
struct Field {
    std::size_t Offset;
};
using U8 = Field<std::uint8_t>;
using U16 = Field<std::uint16_t>;
using U32 = Field<std::uint32_t>;
using Font = Field<LOGFONT>;

// A wide string of at most Chars units, NUL-ended when shorter.
struct Chars {
    std::size_t Offset;
    std::size_t Count;
    // Longest text it stores: one unit stays for the terminator.
    constexpr std::size_t MaxLength() const { return Count - 1; }
};

// A run of 32-bit words.
struct Words {
    std::size_t Offset;
    std::size_t Count;
    constexpr U32 operator[](std::size_t i) const { return {Offset + 4 * i}; }
};

// Single-line text (0x10). The text is owned: its slot stays 0 when stored.
namespace singleline {
inline constexpr std::size_t Size = 112;
inline constexpr U8 SingleRow{3};   // set in a new record; the compiler reads it
inline constexpr Font TextFont{8};
inline constexpr U32 Colour{100};
inline constexpr std::size_t TextSlot = 108;
}

// Rich text (0x100): RTF text owned.
namespace richtext {
inline constexpr std::size_t Size = 276;
inline constexpr U8 SingleRow{8};
inline constexpr U8 Wrap{9};        // 0 no wrap; else wrap at the section width.
inline constexpr std::size_t TextSlot = 272;
}

// Picture (0x101) and animation (0x102).
namespace picture {
inline constexpr std::size_t Size = 16916;
inline constexpr U32 Animated{0};   // 1 for an animation
inline constexpr U8 Mode{4};        // 0 stretched, 1 centred, 2 tiled
inline constexpr Chars Path{8, 260};
inline constexpr U32 FrameCount{528};
inline constexpr Words Delays{532, 4096};   // milliseconds per frame
}

// Table (0x103): the grid stream is an owned memory file.
namespace table {
inline constexpr std::size_t Size = 20;
inline constexpr std::size_t StreamSlot = 16;
}

// Animated text (0x104): RTF text owned.
namespace textgif {
inline constexpr std::size_t Size = 20;
inline constexpr U16 Effect{0};
inline constexpr U16 Repeat{2};       // extra runs of the whole animation
inline constexpr U32 FrameCount{4};   // written by the painter
inline constexpr U32 Delay{8};        // milliseconds per frame
inline constexpr std::size_t TextSlot = 16;
}

// Digital clock (0x201).
namespace clockdigit {
inline constexpr std::size_t Size = 1200;
inline constexpr U32 DateFormat{20};
inline constexpr U32 ShowFlags{24};
inline constexpr Font TextFont{28};
inline constexpr U32 Colour{120};
inline constexpr U32 TimeFormat{124};
inline constexpr U32 Hour12{128};
inline constexpr U32 TwoDigitYear{132};
inline constexpr U32 MultiLine{136};
inline constexpr Chars Title{680, 260};
}

// Analog clock (0x200).
namespace clocksimul {
inline constexpr std::size_t Size = 1200;
inline constexpr U32 SecondColour{20};
inline constexpr U32 MinuteColour{24};
inline constexpr U32 HourColour{28};
inline constexpr U32 HourMarkColour{40};
inline constexpr U32 MinuteMarkColour{44};
inline constexpr U32 TitleColour{52};
inline constexpr U32 DateColour{56};
inline constexpr U32 SpareColour{60};     // not drawn; defaults to 0xFF
inline constexpr U32 NumeralColour{64};
inline constexpr Chars Title{68, 32};
inline constexpr U8 FaceFlags{132};       // bit 0 weekday, bit 1 date, bit 2 numerals
inline constexpr U32 HourMarkStyle{136};
inline constexpr U32 MinuteMarkStyle{140};
inline constexpr U32 HourMarkSize{144};
inline constexpr U32 MinuteMarkSize{148};
inline constexpr Font TitleFont{152};
inline constexpr Font DateFont{244};
inline constexpr Font SpareFont{336};     // not drawn
inline constexpr Font NumeralFont{428};
inline constexpr Chars Picture{520, 260};
inline constexpr U32 PictureMode{1040};
inline constexpr U32 SecondLength{1044};
inline constexpr U32 MinuteLength{1048};
inline constexpr U32 HourLength{1052};
inline constexpr U32 SecondWidth{1056};
inline constexpr U32 MinuteWidth{1060};
inline constexpr U32 HourWidth{1064};
}

// Counters (0x300 counting down, 0x301 counting up).
namespace counter {
inline constexpr std::size_t Size = 192;
inline constexpr U32 CountMode{0};   // 0 down to Target, 1 up from it
inline constexpr U32 Reserved{4};
inline constexpr U32 Units{8};
inline constexpr Font TextFont{12};
inline constexpr U32 Colour{104};
inline constexpr Chars Title{108, 32};
inline constexpr U32 MultiLine{172};
inline constexpr U32 Target{176};    // controller time
inline constexpr std::uint32_t Days = 0x04, Hours = 0x10, Minutes = 0x20, Seconds = 0x40;
// Longest span a counting-up counter sizes its cells for: 100,000 hours less one.
inline constexpr std::int64_t MaxSpanSeconds = 359996400;
}

// Border: the frame header and its pattern elements, stored images.
namespace border {
inline constexpr std::size_t FrameSize = 24;
inline constexpr std::size_t FrVersion = 0, FrSize = 2, FrWidth = 4, FrCorner = 6, FrCount = 16, FrDefault = 18,
                             FrFirst = 20;
inline constexpr std::size_t ElementSize = 312;
inline constexpr std::size_t ElVersion = 0, ElSize = 2, ElPrev = 4, ElNext = 8, ElName = 12, ElNameChars = 128,
                             ElMotion = 268, ElSpeed = 270, ElDuration = 280, ElPeriod = 284, ElLeft = 288,
                             ElTop = 290, ElRight = 292, ElBottom = 294, ElType = 304, ElDataLen = 306,
                             ElData = 308;
static_assert(ElName + 2 * ElNameChars == ElMotion && ElData + 4 == ElementSize && FrFirst + 4 == FrameSize);
}

// Stores an item's owned text (single line, rich text, animated text) and
// sets its record-size word to the record's size + 2 x the text's length.
// False, nothing changed, for a null item, an item of another kind or a text
// too long for the size word.
SORVANE_API bool SetItemText(tagItemData* item, const QString& text);
// Stores a table item's grid stream and its size word (record + stream).
SORVANE_API bool SetItemTableStream(tagItemData* item, const QByteArray& stream);

} // namespace records
