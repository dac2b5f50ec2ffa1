#include "core/render/NodeArea.h"
#include "core/model/ItemData.h"

#include <algorithm>

namespace render {

tagItemData* ScreenOf(tagItemData* node) { return AncestorAtLevel(node, LEVEL_ROOT); }

QSize ScreenSize(tagItemData* node)
{
    const tagItemData* screen = ScreenOf(node);
    return screen ? QSize(screen->Global.Width, screen->Global.Height) : QSize(0, 0);
}

bool IsGlobalScene(const tagItemData* node)
{
    return node && node->Level == LEVEL_SCENE && node->Scene.TypeCode == IT_GLOBALSCENE;
}

int OwnFrameWidth(const tagItemData* node)
{
    if (!node)
        return 0;
    const DynFrame* frame = node->Level == LEVEL_SCENE ? node->Scene.Frame
        : node->Level == LEVEL_SECTION                 ? node->Section.Frame
                                                       : nullptr;
    return frame ? frame->Width : 0;
}

int EffectiveFrameWidth(tagItemData* node)
{
    tagItemData* scene = AncestorAtLevel(node, LEVEL_SCENE);
    if (!scene)
        return 0;
    if (!IsGlobalScene(scene))
        return OwnFrameWidth(scene);
    int widest = 0;
    for (const tagItemData* s = scene->NextSibling; s; s = s->NextSibling)
        widest = std::max(widest, OwnFrameWidth(s));
    return widest;
}

namespace {
QRect inset(const QRect& r, int b)
{
    if (b <= 0)
        return r;
    QRect out = r.adjusted(b, b, -b, -b);
    return out.isValid() ? out : QRect(r.left() + b, r.top() + b, 0, 0);
}
}

QRect NodeRect(tagItemData* node)
{
    if (!node)
        return {};
    switch (node->Level) {
    case LEVEL_ROOT:
    case LEVEL_SCENE:
        return QRect(QPoint(0, 0), ScreenSize(node));
    case LEVEL_SECTION:
        return QRect(node->Section.RectX, node->Section.RectY, node->Section.RectW, node->Section.RectH);
    case LEVEL_PROGRAM: {
        tagItemData* section = AncestorAtLevel(node, LEVEL_SECTION);
        return section ? inset(NodeRect(section), OwnFrameWidth(section)) : QRect();
    }
    default:
        return {};
    }
}

namespace {
int clientInset(tagItemData* node)
{
    switch (node->Level) {
    case LEVEL_SCENE:
        return EffectiveFrameWidth(node);
    case LEVEL_SECTION:
        return OwnFrameWidth(node);
    default:
        return 0;   // an item's rectangle is already inside its section's border
    }
}
}

QRect NodeClientRect(tagItemData* node)
{
    if (!node)
        return {};
    return inset(NodeRect(node), clientInset(node));
}

QRect LocalClientRect(tagItemData* node)
{
    if (!node)
        return {};
    const QRect r = NodeRect(node);
    return inset(QRect(QPoint(0, 0), r.size()), clientInset(node));
}

int ChildrenWithItems(const tagItemData* node)
{
    int n = 0;
    if (node)
        for (const tagItemData* c = node->FirstChild; c; c = c->NextSibling)
            if (c->FirstChild)
                ++n;
    return n;
}

} // namespace render
