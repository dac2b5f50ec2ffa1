#include "app/controls/PopupMenu.h"

#include "app/spine/Seams.h"

#include <QMenu>

namespace controls {

QAction* runPopupMenu(QMenu* menu, const QPoint& at)
{
    if (auto choose = spine::seams().popupMenu)
        return choose(menu, at);
    return menu->exec(at);
}

} // namespace controls
