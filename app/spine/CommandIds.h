#pragma once
// Command ids of the main frame's menu (menu 128), its toolbars and the
// item-kind bar: the frame runs them, the access gate of the dialogs asks by
// them, and other menus may use the same numbers for other commands.

namespace spine {

enum FrameCommand : unsigned {
    ID_NEW_SCREEN = 57600,
    ID_OPEN_FILE = 32774,
    ID_SAVE_FILE = 32775,
    ID_SAVE_FILE_AS = 32840,
    ID_EXPORT_USB = 32797,
    ID_EXPORT_USB2 = 33025,
    ID_FIND_SCREEN = 32796,
    ID_SEARCH = 32905,
    ID_READ_HARDWARE = 32813,
    ID_SEND_PROGRAMS = 32771,
    ID_ADJUST_TIME = 32777,
    ID_DISPLAY_ON = 32895,
    ID_DISPLAY_OFF = 32896,
    ID_HARDWARE_SETTINGS = 32876,
    ID_NETWORK_SETTINGS = 32994,
    ID_WIFI_SETTINGS = 33014,
    ID_SOFTWARE_SETTINGS = 32875,
    ID_WIZARD = 32853,
    ID_BULK_SEND = 33031,
    ID_PREVIEW = 32798,
    ID_TEST_SCAN = 32975,
    ID_TEST_GRID = 32976,
    ID_TEST_BLACK = 32977,
    ID_TEST_RED = 32978,
    ID_TEST_GREEN = 32979,
    ID_TEST_YELLOW = 32980,
    ID_KIND_FIRST = 6121,   // 6121 global scene, 6122 scene, 6123-6128 sections 4-9
    ID_KIND_DELETE = 6129,
    ID_CHECK_UPDATE = 32999,
    ID_UPDATE = 32998,
    ID_VIEW_TOOLBAR = 59392,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
};

} // namespace spine
