#include "app/panels/CanvasHost.h"

#include "app/editor/EditorLinks.h"
#include "app/editor/ScreenLed.h"
#include "core/api/Core.h"

namespace panels {

editor::CScreenLed* CanvasHost::canvasOf(tagItemData* node) const
{
    return m_finder && node ? m_finder->FindItemWindow(CCore::GetCurRoot(node)) : nullptr;
}

void CanvasHost::selectItem(tagItemData* item, bool redraw)
{
    if (editor::CScreenLed* c = canvasOf(item))
        c->SelectItem(item, redraw);
}

} // namespace panels
