#pragma once
// Runs a popup menu at a screen point and returns the action chosen (null:
// none). Every popup menu of the program goes through here, so a test can
// choose through the registry's popupMenu instead of a modal run.
class QAction;
class QMenu;
class QPoint;

namespace controls {

QAction* runPopupMenu(QMenu* menu, const QPoint& at);

} // namespace controls
