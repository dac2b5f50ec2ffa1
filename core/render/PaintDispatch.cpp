#include "core/render/PaintDispatch.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/render/Painters.h"

using namespace sorvane::model;

namespace sorvane::render {

namespace {
int dispatch(tagItemData* node)
{
    switch (node->Level) {
    case LEVEL_SCENE:
        return PaintSceneNode(node);
    case LEVEL_SECTION:
        return PaintSectionNode(node);
    case LEVEL_PROGRAM:
        switch (node->Item.TypeCode) {
        case IT_SINGLELINE:
            return PaintSingleLineItem(node);
        case IT_TEXT:
            return PaintRichTextItem(node);
        case IT_IMAGE:
        case IT_GIF:
            return PaintPictureItem(node);
        case IT_GRID:
            return PaintTableItem(node);
        case IT_TEXTGIF:
            return PaintTextGifItem(node);
        case IT_CLOCKSIMUL:
            return PaintAnalogClockItem(node);
        case IT_CLOCKDIGIT:
            return PaintDigitalClockItem(node);
        case IT_COUNT:
        case IT_COUNT2:
            return PaintCounterItem(node);
        default:
            return 0;
        }
    default:
        return 0;
    }
}
} // namespace

int PaintByKindHook(tagItemData* node)
{
    if (!node)
        return 0;
    try {
        return dispatch(node);
    } catch (...) {
        return 0;   // out of memory: the picture stays as it was
    }
}

int PaintItemByKind(tagItemData* node)
{
    return node ? PaintNodeWith(node, &PaintByKindHook) : 0;
}

} // namespace sorvane::render

using namespace sorvane::render;

void CCore::InstallPainters()
{
    SetPaintHook(&PaintByKindHook);
}
