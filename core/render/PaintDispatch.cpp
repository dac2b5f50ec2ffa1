#include "core/render/PaintDispatch.h"
#include "core/api/Core.h"
#include "core/api/ItemTypes.h"
#include "core/model/ItemData.h"
#include "core/render/ContentCompiler.h"
#include "core/render/Painters.h"

#include <algorithm>
#include <iterator>

using namespace sorvane::model;

namespace sorvane::render {

namespace {

struct KindPainter {
    std::uint16_t type;
    Painter paint = nullptr;
};

// A row per kind, in the order of kItemTypes, as the model's table has them.
constexpr KindPainter kPainters[] = {
    {IT_SCREEN},
    {IT_GLOBALSCENE},
    {IT_SCENE},
    {IT_WND_PROGLIST},
    {IT_WND_TEXT},
    {IT_WND_CONTENTLIST},
    {IT_WND_CLOCKSIMUL},
    {IT_WND_CLOCKDIGIT},
    {IT_WND_COUNT},
    {IT_SINGLELINE, PaintSingleLineItem},
    {IT_TEXT, PaintRichTextItem},
    {IT_IMAGE, PaintPictureItem},
    {IT_GIF, PaintPictureItem},
    {IT_GRID, PaintTableItem},
    {IT_TEXTGIF, PaintTextGifItem},
    {IT_CLOCKSIMUL, PaintAnalogClockItem},
    {IT_CLOCKDIGIT, PaintDigitalClockItem},
    {IT_COUNT, PaintCounterItem},
    {IT_COUNT2, PaintCounterItem},
};

constexpr bool paintersFollowKinds()
{
    if (std::size(kPainters) != std::size(kItemTypes))
        return false;
    for (std::size_t i = 0; i < std::size(kPainters); ++i)
        if (kPainters[i].type != kItemTypes[i])
            return false;
    return true;
}
// The painters' addresses are not constants under the sanitizers: that every
// item kind has one is the kinds' table test's to hold.
static_assert(paintersFollowKinds(), "a row per kind here, in the order of kItemTypes");

int dispatch(Painting& p)
{
    switch (p.node->Level) {
    case LEVEL_SCENE:
        return PaintSceneNode(p);
    case LEVEL_SECTION:
        return PaintSectionNode(p);
    case LEVEL_PROGRAM: {
        const Painter paint = PainterOfKind(p.node->Item.TypeCode);
        return paint ? paint(p) : 0;
    }
    default:
        return 0;
    }
}

} // namespace

Painter PainterOfKind(std::uint16_t type)
{
    const auto* row = std::find_if(std::begin(kPainters), std::end(kPainters),
                                   [type](const KindPainter& k) { return k.type == type; });
    return row != std::end(kPainters) ? row->paint : nullptr;
}

int PaintByKindHook(Painting& p)
{
    if (!p.node)
        return 0;
    try {
        return dispatch(p);
    } catch (...) {
        return 0;   // out of memory: the picture stays as it was
    }
}

int PaintItemByKind(tagItemData* node)
{
    return node ? PaintNodeWith(node, &PaintByKindHook) : 0;
}

void InstallModelHooks()
{
    SetPaintHook(&PaintByKindHook);
    SetScreenGoneHook(&CContentCompiler::ForgetCompiled);
}

} // namespace sorvane::render

void CCore::InstallPainters()
{
    sorvane::render::InstallModelHooks();
}
