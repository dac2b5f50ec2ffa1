#include "core/render/NodeArea.h"
#include "core/model/Geometry.h"

using namespace sorvane::model;

namespace sorvane::render {

namespace {
QRect toQRect(const RECT& r)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return QRect(r.left, r.top, 0, 0);
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
}

QSize ScreenSize(const tagItemData* node)
{
    int w = 0, h = 0;
    GetScreenSize(node, w, h);
    return {w, h};
}

QRect NodeRect(const tagItemData* node) { return toQRect(GetNodeRect(node)); }
QRect NodeClientRect(const tagItemData* node) { return toQRect(GetNodeClientRect(node)); }
QRect LocalClientRect(const tagItemData* node) { return toQRect(GetLocalClientRect(node)); }

} // namespace sorvane::render
