#include "core/model/ItemKinds.h"
#include "core/api/Nodes.h"
#include "core/api/TypeRecords.h"

#include <algorithm>
#include <iterator>

namespace sorvane::model {
namespace {

using namespace records;

void initSingleLine(ItemRecord& r, const LOGFONT& font)
{
    r.set(singleline::SingleRow, 1);
    r.set(singleline::TextFont, font);
    r.set(singleline::Colour, 0xFFFF);
}

void initRichText(ItemRecord& r, const LOGFONT&) { r.set(richtext::Wrap, 0); }

void initPicture(ItemRecord& r, const LOGFONT&)
{
    r.set(picture::Animated, 0);
    r.set(picture::Mode, 0);
}

void initAnimation(ItemRecord& r, const LOGFONT&)
{
    r.set(picture::Animated, 1);
    r.set(picture::Mode, 0);
}

void initTextGif(ItemRecord& r, const LOGFONT&)
{
    r.set(textgif::Effect, 0);
    r.set(textgif::Repeat, 0);
    r.set(textgif::FrameCount, 0);
    r.set(textgif::Delay, 100);
}

void initAnalogClock(ItemRecord& r, const LOGFONT& font)
{
    using namespace clocksimul;
    static const std::pair<U32, std::uint32_t> words[] = {
        {SecondColour, 0xFFFFFF},  {MinuteColour, 0xFFFF},    {HourColour, 0x8080},  {HourMarkColour, 0xFFFF},
        {MinuteMarkColour, 0xFFFFFF}, {TitleColour, 0xFFFF},  {DateColour, 0xFF},    {SpareColour, 0xFF},
        {NumeralColour, 0xFF},     {HourMarkStyle, 1},        {MinuteMarkStyle, 0},  {HourMarkSize, 4},
        {MinuteMarkSize, 0},       {PictureMode, LAYOUT_NO_PICTURE}, {SecondLength, 92},    {MinuteLength, 86},
        {HourLength, 72},          {SecondWidth, 1},          {MinuteWidth, 4},      {HourWidth, 6},
    };
    for (const auto& [field, v] : words)
        r.set(field, v);
    r.set(TitleFont, font);
    r.set(DateFont, font);
    r.set(SpareFont, font);
}

void initDigitalClock(ItemRecord& r, const LOGFONT& font)
{
    r.set(clockdigit::DateFormat, 0);
    r.set(clockdigit::ShowFlags, 127);
    r.set(clockdigit::TextFont, font);
    r.set(clockdigit::Colour, 0xFFFF);
}

template <std::uint32_t Mode>
void initCounter(ItemRecord& r, const LOGFONT& font)
{
    r.set(counter::CountMode, Mode);
    r.set(counter::Reserved, 0);
    r.set(counter::Units, 255);
    r.set(counter::TextFont, font);
    r.set(counter::Colour, 0xFFFF);
}

constexpr ItemKind node(std::uint16_t type) { return {.type = type, .level = LevelOfType(type)}; }

using O = ItemRecord::Owned;
using S = StoredRecord;

constexpr ItemKind kKinds[] = {
    node(IT_SCREEN),
    node(IT_GLOBALSCENE),
    node(IT_SCENE),
    node(IT_WND_PROGLIST),
    node(IT_WND_TEXT),
    node(IT_WND_CONTENTLIST),
    node(IT_WND_CLOCKSIMUL),
    node(IT_WND_CLOCKDIGIT),
    node(IT_WND_COUNT),
    {.type = IT_SINGLELINE, .level = LEVEL_PROGRAM, .inSpeed = 20, .outSpeed = 20, .contentSized = false,
     .recordSize = singleline::Size, .owned = O::Text, .slot = singleline::TextSlot, .initRecord = initSingleLine,
     .defaultText = u"Singleline", .storedExit = true, .stored = S::Text,
     .paged = PagedDraw::SingleLine, .pages = PageCount::Paged,
     .header = DeviceHeader::Paged},
    // The stored wrap flag stays as it was saved: forcing it on would wrap
    // every text whose wrap the operator had turned off.
    {.type = IT_TEXT, .level = LEVEL_PROGRAM, .inSpeed = 20, .outSpeed = 20, .contentSized = false,
     .recordSize = richtext::Size, .owned = O::Text, .slot = richtext::TextSlot, .initRecord = initRichText,
     .defaultText = DEFAULT_RTF_TEXT, .storedExit = true, .stored = S::Text,
     .paged = PagedDraw::RichText, .pages = PageCount::Paged,
     .header = DeviceHeader::Paged},
    {.type = IT_IMAGE, .level = LEVEL_PROGRAM, .inSpeed = 20, .outSpeed = 20, .contentSized = false,
     .recordSize = picture::Size, .initRecord = initPicture, .storedExit = true,
     .pages = PageCount::One, .header = DeviceHeader::Picture},
    {.type = IT_GIF, .level = LEVEL_PROGRAM, .inEffect = 75, .recordSize = picture::Size,
     .initRecord = initAnimation, .pages = PageCount::PictureFrames,
     .header = DeviceHeader::FrameDelay},
    {.type = IT_GRID, .level = LEVEL_PROGRAM, .inSpeed = 20, .outSpeed = 20, .contentSized = false,
     .recordSize = table::Size, .owned = O::MemFile, .slot = table::StreamSlot, .storedExit = true,
     .stored = S::Table, .paged = PagedDraw::Table, .pages = PageCount::Paged,
     .header = DeviceHeader::Paged},
    {.type = IT_TEXTGIF, .level = LEVEL_PROGRAM, .inEffect = 79, .recordSize = textgif::Size, .owned = O::Text,
     .slot = textgif::TextSlot, .initRecord = initTextGif, .defaultText = DEFAULT_RTF_TEXT, .stored = S::Text,
     .pages = PageCount::TextGifFrames,
     .header = DeviceHeader::TextGif},
    {.type = IT_CLOCKSIMUL, .level = LEVEL_PROGRAM, .inEffect = 64, .inSpeed = 25, .recordSize = clocksimul::Size,
     .initRecord = initAnalogClock, .pages = PageCount::One,
     .header = DeviceHeader::AnalogClock},
    {.type = IT_CLOCKDIGIT, .level = LEVEL_PROGRAM, .inEffect = 44, .inSpeed = 25, .contentSized = false,
     .recordSize = clockdigit::Size, .initRecord = initDigitalClock,
     .pages = PageCount::Across, .header = DeviceHeader::DigitalClock},
    {.type = IT_COUNT, .level = LEVEL_PROGRAM, .inEffect = 66, .inSpeed = 25, .contentSized = false,
     .recordSize = counter::Size, .initRecord = initCounter<0>,
     .pages = PageCount::Across, .header = DeviceHeader::Counter},
    // Counters of the second kind load as counters with their record's first word kept.
    {.type = IT_COUNT2, .level = LEVEL_PROGRAM, .inEffect = 76, .inSpeed = 25, .contentSized = false,
     .recordSize = counter::Size, .initRecord = initCounter<1>, .loadsAs = IT_COUNT,
     .pages = PageCount::Across, .header = DeviceHeader::Counter},
};

constexpr bool rowsFollowKinds()
{
    if (std::size(kKinds) != std::size(kItemTypes))
        return false;
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        if (kKinds[i].type != kItemTypes[i] || kKinds[i].level != LevelOfType(kKinds[i].type))
            return false;
    return true;
}
static_assert(rowsFollowKinds(), "every item kind needs its row here, in the order of kItemTypes");

// A kind no row names: an item that keeps no record and draws nothing.
constexpr ItemKind kUnknown{.type = 0xFFFF, .level = LEVEL_PROGRAM};

} // namespace

const ItemKind& itemKind(std::uint16_t type)
{
    const auto* row = std::find_if(std::begin(kKinds), std::end(kKinds), [type](const ItemKind& k) { return k.type == type; });
    return row != std::end(kKinds) ? *row : kUnknown;
}

bool knownItemKind(std::uint16_t type) { return &itemKind(type) != &kUnknown; }

std::span<const ItemKind> itemKinds() { return kKinds; }

} // namespace sorvane::model
