#include "app/panels/CanvasHost.h"

#include "app/editor/EditorLinks.h"
#include "app/editor/ScreenLed.h"
#include "core/model/Core.h"

namespace panels {

editor::CScreenLed* CanvasHost::canvasOf(tagItemData* node) const
{
    return m_finder && node ? m_finder->FindItemWindow(CCore::GetCurRoot(node)) : nullptr;
}

void CanvasHost::repaintNode(tagItemData* node)
{
    if (editor::CScreenLed* c = canvasOf(node))
        c->OnItemChanged(node);
}

void CanvasHost::updateItemRect(tagItemData* section)
{
    if (editor::CScreenLed* c = canvasOf(section))
        c->UpdateItemRect(section);
}

void CanvasHost::selectItem(tagItemData* item, bool redraw)
{
    if (editor::CScreenLed* c = canvasOf(item))
        c->SelectItem(item, redraw);
}

void CanvasHost::removeItem(tagItemData* item)
{
    if (editor::CScreenLed* c = canvasOf(item))
        c->RemoveItem(item);
}

} // namespace panels
