#include "core/render/PaintDispatch.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/model/ItemKinds.h"
#include "core/render/Painters.h"

using namespace sorvane::model;

namespace sorvane::render {

namespace {
int dispatch(Painting& p)
{
    switch (p.node->Level) {
    case LEVEL_SCENE:
        return PaintSceneNode(p);
    case LEVEL_SECTION:
        return PaintSectionNode(p);
    case LEVEL_PROGRAM: {
        const auto paint = itemKind(p.node->Item.TypeCode).paint;
        return paint ? paint(p) : 0;
    }
    default:
        return 0;
    }
}
} // namespace

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

} // namespace sorvane::render

using namespace sorvane::render;

void CCore::InstallPainters()
{
    SetPaintHook(&PaintByKindHook);
}
