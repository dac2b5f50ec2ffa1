#pragma once
// The numbered messages that travel between the program's windows (tree,
// canvases, property pane, dialogs, main frame). Each folder keeps its private
// ids in a Messages.h of its own; ids that cross folders live here, once.
#include "platform/MessageEvent.h"

namespace app {

// wParam: the node (tagItemData*), or 0 for "nothing selected".
inline constexpr unsigned WM_NODE_SELECT = 0x5F4;
inline constexpr unsigned WM_NODE_LOAD = 0x5FF;
inline constexpr unsigned WM_STATUS_IDLE = 0x607;
// wParam: the screen; lParam: a heap copy of its screen block (tagGlobalInfo) as it was, freed by the sender after the call.
inline constexpr unsigned WM_SCREEN_HWCHANGED = 0x608;
inline constexpr unsigned WM_SCREEN_CHANGED = 0x609;
inline constexpr unsigned WM_WIZARD_RETRIEVED = 0x60E;
inline constexpr unsigned WM_WIZARD_FINISH = 0x617;
inline constexpr unsigned WM_WIZARD_APPLYHW = 0x619;
inline constexpr unsigned WM_WIZARD_RETRY = 0x61A;
inline constexpr unsigned WM_ITEM_MOVED = 0x620;
inline constexpr unsigned WM_THUMB_SETSOURCE = 0x621;
inline constexpr unsigned WM_CANVAS_PAINTTO = 0x622;
inline constexpr unsigned WM_VIEW_RELAYOUT = 0x623;
inline constexpr unsigned WM_TEXT_WRAPWIDTH = 0x624;
inline constexpr unsigned WM_SETTINGS_CHANGED = 0x662;
inline constexpr unsigned WM_SEARCH_SCREENS = 0x663;
inline constexpr unsigned WM_SEND_PROGRAMS = 0x664;
inline constexpr unsigned WM_ITEM_CREATE = 0x665;
inline constexpr unsigned WM_ITEM_RENAME = 0x666;
// Animation-effect dialog: navigator command (wParam control id, lParam value),
// and the GIF-text panel's notice that the item's text changed.
inline constexpr unsigned WM_GIFNAV_COMMAND = 0x66C;
inline constexpr unsigned WM_GIFTEXT_CHANGED = 0x66D;
inline constexpr unsigned WM_SCREEN_RECONNECT = 0x667;
// wParam 1 success, 2 failure or cancelled.
inline constexpr unsigned WM_TASK_DONE = 0x7E7;

} // namespace app
