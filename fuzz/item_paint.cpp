// Item records as a damaged program list may hold them, painted for the
// preview and compiled for the controller. The first byte picks the item
// type, the next two the section's size; the rest is laid over the record,
// and what is left over becomes its text or memory file. Whatever the record
// says, painting and compiling finish, a preview stays within the preview
// limit, and a compiled screen's blocks copy out at the sizes they report.
#define FUZZ_WITH_QT_APP
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/model/NodePictures.h"
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/render/ContentCompiler.h"
#include "core/render/PaintDispatch.h"
#include "fuzz/FuzzCheck.h"

#include <QString>

#include <string>
#include <vector>

using namespace sorvane::model;
using namespace sorvane::render;

namespace {

tagItemData* lastChild(tagItemData* parent)
{
    tagItemData* last = parent->FirstChild;
    while (last && last->NextSibling)
        last = last->NextSibling;
    return last;
}

using CopyBlock = std::size_t (*)(tagItemData*, std::uint8_t*, std::size_t);
using BlockSize = std::size_t (*)(tagItemData*);

void checkBlock(tagItemData* screen, BlockSize size, CopyBlock copy)
{
    const std::size_t n = size(screen);
    std::vector<std::uint8_t> out(n);
    FUZZ_CHECK(copy(screen, out.data(), out.size()) == n, "a compiled block copies out at its size");
}

constexpr std::uint64_t kMostPages = 2048;

// At most the pages the compiler makes of the item: its content in
// section-sized pages across and down, or its animated text's frames.
std::uint64_t pagesOf(const tagItemData* item, const tagItemData* section)
{
    const ItemRecord* r = item->Item.TypeRecord;
    if (item->Item.TypeCode == IT_TEXTGIF)
        return std::uint64_t(r->get(records::textgif::FrameCount)) * (std::uint64_t(r->get(records::textgif::Repeat)) + 1);
    const auto pagesIn = [](std::uint64_t content, std::uint64_t page) { return content ? (content + page - 1) / page : 1; };
    return pagesIn(item->Item.ContentW, section->Section.RectW) * pagesIn(item->Item.ContentH, section->Section.RectH);
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::uint16_t kTypes[] = {IT_SINGLELINE, IT_TEXT,       IT_IMAGE,      IT_GIF,   IT_GRID,
                                           IT_TEXTGIF,    IT_CLOCKSIMUL, IT_CLOCKDIGIT, IT_COUNT, IT_COUNT2};
    if (size < 3 || size > 20000)
        return 0;
    static CCore* core = new CCore;
    const std::uint16_t type = kTypes[data[0] % (sizeof kTypes / sizeof kTypes[0])];

    tagItemData* screen = core->AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    FUZZ_CHECK(screen, "a screen can be made");
    screen->Global.Width = 128;
    screen->Global.Height = 64;
    tagItemData* scene = CreateNode(nullptr, IT_SCENE, u"scene", screen);
    tagItemData* section = CreateNode(nullptr, IT_WND_TEXT, u"section", scene);
    section->Section.RectW = static_cast<std::uint16_t>(1 + data[1] % 128);
    section->Section.RectH = static_cast<std::uint16_t>(1 + data[2] % 64);
    tagItemData* item = CreateNode(lastChild(section), type, u"item", section);
    FUZZ_CHECK(item && item->Item.TypeRecord, "an item has its record");

    ItemRecord& r = *item->Item.TypeRecord;
    const std::uint8_t* rest = data + 3;
    std::size_t left = size - 3;
    const std::size_t taken = r.assignBytes(rest, left);
    rest += taken;
    left -= taken;
    if (r.owned() == ItemRecord::Owned::Text) {
        std::u16string text(left / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(rest[2 * i] | rest[2 * i + 1] << 8);
        records::SetItemText(item, QString::fromStdU16String(text));
    } else if (r.owned() == ItemRecord::Owned::MemFile)
        records::SetItemTableStream(item, QByteArray(reinterpret_cast<const char*>(rest), static_cast<qsizetype>(left)));

    // Repeats of animated text are the same pages copied again: a few check
    // them, thousands (up to 2 GB of pages) would only spend the time-out.
    if (type == IT_TEXTGIF)
        r.set(records::textgif::Repeat, static_cast<std::uint16_t>(r.get(records::textgif::Repeat) % 4));

    for (tagItemData* n : {scene, section, item}) {
        ResizeNodeBitmap(n);
        PaintItemByKind(n);
        FUZZ_CHECK(static_cast<std::int64_t>(NodePictures::peek(n).width()) * NodePictures::peek(n).height() <= MAX_PREVIEW_PIXELS,
                   "a preview stays within the preview limit");
    }

    // Content far larger than any preview compiles to black pages, up to the
    // 2 GB block limit, and so does a page count in the thousands (a tall text
    // in a section one pixel high, an effect of four frames a character): each
    // page is a whole page of the screen converted again, so such an input
    // only spends the time-out and memory limit.
    const bool compiles = std::uint64_t(item->Item.ContentW) * item->Item.ContentH <= 4 * std::uint64_t(MAX_PREVIEW_PIXELS)
        && pagesOf(item, section) <= kMostPages;
    if (compiles && CContentCompiler::Compile(screen) == 1) {
        checkBlock(screen, CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap);
        checkBlock(screen, CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap);
        checkBlock(screen, CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask);
        checkBlock(screen, CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData);
    }
    CContentCompiler::FreeBuffers(screen);
    core->DeleteItem(screen);
    return 0;
}
