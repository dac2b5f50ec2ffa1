#pragma once
// What the main frame needs of the windows around it: the screen panel with
// its tree editor, the communication task dialog and the dialogs that its
// commands open. Each is a port the frame calls; until a window exists the
// frame tells the operator so instead of opening it.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class QWidget;
struct tagItemData;

// The screen panel (the tree of the open screens and their program-list files).
class ScreenPanelPort {
public:
    virtual ~ScreenPanelPort() = default;
    virtual QWidget* widget() = 0;

    // Tree editor.
    virtual tagItemData* GetSelectedScreen() = 0;
    virtual tagItemData* GetSelectedItem() = 0;
    virtual tagItemData* AddNewItem(int kind) = 0;
    virtual void InsertItemTree(tagItemData* screen) = 0;
    virtual int DeleteSelectedItem() = 0;
    // The default name of a new node of that kind (empty when none).
    virtual QString MakeDefaultItemName(int kind) = 0;

    // Screens and their files.
    virtual int CloseAllScreens() = 0;        // 0: refused, the screens stay
    virtual int LoadScreenFile(tagItemData* screen, const QString& path) = 0;   // 0 loaded
    virtual void RemoveScreen(tagItemData* screen) = 0;
    virtual void ForgetScreenFile(tagItemData* screen) = 0;
    virtual int OpenScreen(tagItemData* screen) = 0;
    virtual int SaveScreen(tagItemData* screen) = 0;
    virtual int SaveScreenAs(tagItemData* screen) = 0;
    virtual bool IsFileOpen(const QString& path) = 0;
};

// Jobs of the communication task dialog.
enum TaskKind : int {
    TASK_SEND_PROGRAMS = 1,
    TASK_UPGRADE = 2,
    TASK_FIND_SCREEN = 3,
    TASK_WIZARD_FIND = 5,
    TASK_SEARCH = 6,
    TASK_UPGRADE_IMAGE = 7,
};

// The choices of the USB-file dialog the export needs.
struct UsbExportChoice {
    QString folder;
    unsigned options = 0;
    int timeOffset = 0;      // seconds, with option 4
    std::uint32_t model = 0; // hardware identifier, with option 0x20
};

struct FrameSeams {
    // Runs a task modally over `owner`: 1 success, 2 otherwise. Empty: the
    // frame's own runner (the job on a worker, the interface kept alive).
    std::function<int(QWidget* owner, int task, tagItemData* screen, std::intptr_t arg)> runTask;
    // Modal dialogs by command; each returns the dialog's result (1 OK).
    // Empty: not available yet, the frame shows a notice.
    std::function<int(QWidget* owner)> newScreen;          // 1023 asks for the search next
    std::function<int(QWidget* owner)> searchScope;        // posts WM_SEARCH_SCREENS itself
    // The rights check of a command that needs them: true to go on (the
    // rights are held, or the access dialog accepted a code).
    std::function<bool(int commandId, QWidget* owner)> accessGate;
    std::function<int(QWidget* owner, tagItemData* screen)> hardwareSettings;
    std::function<int(QWidget* owner, tagItemData* screen)> networkSettings;
    std::function<int(QWidget* owner, tagItemData* screen)> wifiSettings;
    std::function<int(QWidget* owner)> softwareSettings;
    std::function<int(QWidget* owner)> wizard;             // reports with WM_WIZARD_FINISH
    std::function<int(QWidget* owner)> bulkSend;
    std::function<int(QWidget* owner, tagItemData* scene, int dot, int workMode)> preview;
    std::function<int(QWidget* owner, tagItemData* screen, UsbExportChoice& choice)> usbExport;
    // Starts a program without waiting; empty: QProcess::startDetached.
    std::function<bool(const QString& program, const QStringList& arguments)> startDetached;
    // The dot height of a screen's canvas (preview scale); empty: 3.
    std::function<int(QWidget* canvas)> canvasDot;
    // The user's language (a Windows language id); -1: the system's.
    int userLanguage = -1;
};
