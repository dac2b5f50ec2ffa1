#pragma once
// The program's seams, in one registry: each slot stands in for something a
// test must not run for real (a modal dialog or box, a file choice, a popup
// menu, the clock, an outside program). An empty slot means the real thing,
// and the registry starts empty. GUI thread only: no slot is called off it.
#include "app/spine/TaskRequest.h"
#include "platform/Colour.h"
#include "platform/LogFont.h"

#include <QColor>
#include <QDateTime>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class CCore;
class QAction;
class QMenu;
class QObject;
class QPoint;
class QWidget;
struct tagItemData;

namespace spine {

// A message box the program asks for.
struct MessageRequest {
    QWidget* parent = nullptr;
    QMessageBox::Icon icon = QMessageBox::Information;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

// The font dialog's answer: ok false is Cancel.
struct FontAnswer {
    bool ok = false;
    LOGFONT font{};
    platform::COLORREF colour = 0;
};

// The choices of the USB-file dialog the export needs.
struct UsbExportChoice {
    QString folder;
    unsigned options = 0;
    int timeOffset = 0;      // seconds, with option 4
    std::uint32_t model = 0; // hardware identifier, with option 0x20
};

// What the main frame's commands open or start. Each dialog returns its
// result (1 OK).
struct FrameDialogs {
    // Runs a task modally over `owner`: 1 success, 2 otherwise.
    std::function<int(QWidget* owner, const TaskRequest& request)> runTask;
    std::function<int(QWidget* owner)> newScreen;     // 1023 asks for the search next
    std::function<int(QWidget* owner)> searchScope;   // posts WM_SEARCH_SCREENS itself
    // The rights check of a command that needs them: true to go on.
    std::function<bool(int commandId, QWidget* owner)> accessGate;
    std::function<int(QWidget* owner, tagItemData* screen)> hardwareSettings;
    std::function<int(QWidget* owner, tagItemData* screen)> networkSettings;
    std::function<int(QWidget* owner, tagItemData* screen)> wifiSettings;
    std::function<int(QWidget* owner)> softwareSettings;
    std::function<int(QWidget* owner)> wizard;        // reports with WM_WIZARD_FINISH
    std::function<int(QWidget* owner)> bulkSend;
    std::function<int(QWidget* owner, tagItemData* scene, int dot, int workMode)> preview;
    std::function<int(QWidget* owner, tagItemData* screen, UsbExportChoice& choice)> usbExport;
    // Starts a program (the updater) without waiting.
    std::function<bool(const QString& program, const QStringList& arguments)> startDetached;
};

struct Seams {
    // ---- boxes and dialogs of the controls and panels.
    // A next answer is used once, by the next box or dialog of its kind.
    std::optional<QMessageBox::StandardButton> nextAnswer;
    // Answers every message box (after a next answer).
    std::function<QMessageBox::StandardButton(const MessageRequest&)> messageBox;
    std::optional<QStringList> nextFileNames;   // an empty list: cancelled
    std::optional<QString> nextDirectory;       // empty: cancelled
    std::optional<FontAnswer> nextFont;
    std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)> colourDialog;
    // Runs a popup menu at a screen point; returns the action chosen (null: none).
    std::function<QAction*(QMenu* menu, const QPoint& at)> popupMenu;
    // The rich edit's file prompts (a warning box otherwise).
    std::function<void(unsigned id, const QString& text)> richEditPrompt;

    // ---- the clock and the machine.
    std::function<QDateTime()> now;                 // the counter panel's "now"
    std::function<QStringList()> removableVolumes;  // mount points of removable drives

    // ---- outside programs.
    std::function<bool(const QString& target)> openUrl;
    QString officeProgram;   // empty: "soffice" on the path
    // Stand-ins for the office program's conversions: a document converter
    // and a spreadsheet source of the panels, made with the parent given.
    std::function<QObject*(QObject* parent)> documentConverter;
    std::function<QObject*(QObject* parent)> spreadsheetSource;

    // ---- device dialogs' controller runs.
    std::function<int(QWidget* owner, CCore& core, tagItemData* screen)> wizardSearch;
    std::function<void(CCore& core, tagItemData* screen, int taskKind, QWidget* parent)> firmwareUpgrade;

    // ---- the main frame's tasks and dialogs.
    FrameDialogs frame;

    // ---- what the program did, not a seam: the text of the last message box
    // asked for, shown or answered.
    QString lastMessage;

    // The names of the slots that are filled (empty: the real things run).
    QStringList filled() const;
};

// The process's one registry.
Seams& seams();

// Takes a next answer: the value, and the slot emptied.
template <class T>
std::optional<T> takeNext(std::optional<T>& slot)
{
    std::optional<T> r;
    r.swap(slot);
    return r;
}

} // namespace spine
