#pragma once
// What a run of the task dialog is asked to do, as one value: the kind, the
// screen it concerns and what else the kind takes. It holds no pointer but
// the screen's, so a runner or a test that keeps it cannot be left holding
// the caller's stack.
#include "core/api/LinkSettings.h"
#include "core/api/Nodes.h"

#include <variant>

struct tagItemData;

namespace spine {

// The job of a task-dialog run.
enum TaskKind : int {
    TASK_NONE = 0,
    TASK_SEND_PROGRAMS = 1,
    TASK_UPGRADE = 2,
    TASK_FIND_SCREEN = 3,
    TASK_WIZARD_FIND = 5,
    TASK_SEARCH = 6,
    TASK_UPGRADE_IMAGE = 7,
    // Reads the hardware information of every screen from an index on.
    TASK_READ_HARDWARE = 8,
    // One screen's requests of the frame's commands.
    TASK_READ_SCREEN = 9,
    TASK_ADJUST_TIME = 10,
    TASK_DISPLAY_ON = 11,
    TASK_DISPLAY_OFF = 12,
    // A core call the caller gives (CTaskDlg::SetJob).
    TASK_CALL = 13,
};

// Where the screens a search finds go: new screens after the first `start`
// open ones, or the open ones from `start` on replaced.
struct SearchRange {
    int start = 0;
    int replace = 0;
    bool operator==(const SearchRange&) const = default;
};

// The first screen a read-hardware pass reads, by its place in the list.
struct ScreenIndex {
    int index = 0;
    bool operator==(const ScreenIndex&) const = default;
};

// An upgrade: the screen's block and own link, taken by the tree's owner so
// the worker reaches no node.
struct ScreenValues {
    tagGlobalInfo block{};
    LinkSettings link{};
};

struct TaskRequest {
    int kind = TASK_NONE;
    tagItemData* screen = nullptr;
    // A send or a one-screen request: the link it goes over (none: the
    // screen's send link). A search: its range. A read-hardware pass: its
    // start. An upgrade: the screen's values.
    std::variant<std::monostate, LinkSettings, SearchRange, ScreenIndex, ScreenValues> with;

    static TaskRequest send(tagItemData* screen, const LinkSettings& link)
    {
        return {TASK_SEND_PROGRAMS, screen, link};
    }
    static TaskRequest search(int start, int replace) { return {TASK_SEARCH, nullptr, SearchRange{start, replace}}; }
    static TaskRequest readHardwareFrom(int index) { return {TASK_READ_HARDWARE, nullptr, ScreenIndex{index}}; }

    const LinkSettings* link() const { return std::get_if<LinkSettings>(&with); }
    const ScreenValues* values() const { return std::get_if<ScreenValues>(&with); }
    SearchRange range() const
    {
        const SearchRange* r = std::get_if<SearchRange>(&with);
        return r ? *r : SearchRange{};
    }
    int firstScreen() const
    {
        const ScreenIndex* i = std::get_if<ScreenIndex>(&with);
        return i ? i->index : 0;
    }
};

} // namespace spine
