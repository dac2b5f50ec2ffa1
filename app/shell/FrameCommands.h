#pragma once
// The main frame's commands and the requests other windows send it, as
// functions of the core, the screen panel and the frame's port. The frame
// keeps its layout and routes menu commands and messages here; what a
// command asks of the window (boxes, notices, the status panes, modal jobs,
// the screens' canvases) goes through the port, so the commands run without
// a frame.
#include "app/dialogs/task/TaskJob.h"
#include "app/editor/FramePort.h"
#include "app/spine/Seams.h"

#include "core/api/Nodes.h"

#include <QString>
#include <cstdint>
#include <functional>

class CCore;
class QWidget;
struct LinkSettings;
struct tagGlobalInfo;
struct tagItemData;
struct _tableOverlap;

namespace shell {

class ScreenPanelPort;

class FrameCommands {
public:
    // `own` are the frame's own dialogs; a filled registry slot stands before each.
    FrameCommands(CCore& core, ScreenPanelPort& panel, editor::FramePort& frame, spine::FrameDialogs own,
                  QString appFolder);

    // Runs a command of the menu, the toolbars or the item-kind bar; false
    // for an id that is not one of these.
    bool run(unsigned id);

    void newScreen();
    void openFile();
    void saveFile();
    void saveFileAs();
    void exportUsbFile();
    void findScreen();
    void search();
    void readHardwareInfo();
    void adjustTime();
    void displaySwitch(bool on);
    void settingsDialog(unsigned id);
    void wizard();
    void bulkSend();
    void preview();
    void testPattern(unsigned id);
    void itemKindButton(unsigned id);
    void startUpdater(unsigned id);
    // The updater's parameter for a command (the check adds the check-only flag).
    QString updaterParameter(unsigned id) const;
    // 1 when the command may go on (the access gate).
    int checkRights(unsigned id);

    // The send road: 1 sent, 0 refused or asked away, 2 failed. Over the
    // screen's own send link, or over the link given.
    int sendScreenPrograms(tagItemData* screen);
    int sendScreenPrograms(tagItemData* screen, const LinkSettings& link);
    // False, after telling the operator which, when an item of the screen is
    // too large to go to a controller.
    bool checkItemSizes(tagItemData* screen);
    // 1 when nothing overlaps or the operator goes on anyway.
    int checkScreenOverlap(tagItemData* screen);
    // The overlap question's text for a filled table.
    static QString overlapMessage(const _tableOverlap& table);
    // linkScreen: null the screen's own link, TARGET_SCREEN_NONE none, else another screen's.
    void sendProgramsThrough(tagItemData* screen, tagItemData* linkScreen);

    // Requests of other windows.
    int reconnectScreen(tagItemData* screen);
    void searchScreens(int replace, int readHardware);
    void wizardFinish(tagItemData* screen, std::intptr_t flags);
    void screenChanged(tagItemData* node);
    void itemMoved(tagItemData* screen);

private:
    template <class Slot>
    Slot dialog(Slot spine::FrameDialogs::*slot) const
    {
        const Slot& seam = spine::seams().frame.*slot;
        return seam ? seam : m_own.*slot;
    }
    using OwnerDialog = std::function<int(QWidget* owner)>;
    // Runs one of the dialogs over the window: its result, or -1 (said) when there is none.
    int runDialog(OwnerDialog spine::FrameDialogs::*slot);
    // Runs a dialog of the frame; what it wrote into the open screens' blocks
    // past the write road is told when it closes.
    int tellingBlocks(const std::function<int()>& run);
    tagItemData* selectedScreenOrNotice();
    void notAvailable();
    void nameByTree(tagItemData* node);

    CCore& m_core;
    ScreenPanelPort& m_panel;
    editor::FramePort& m_frame;
    spine::FrameDialogs m_own;
    QString m_appFolder;
};

} // namespace shell
