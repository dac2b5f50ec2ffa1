#pragma once
// What the main frame's status bar shows for each progress callback of the
// core: pure functions of (cmd, event, value), tested from tables.
#include "app/spine/CoreRelay.h"

#include <QString>

namespace shell {

// Why a program-list file was not taken, as the status bar and the screen
// panel's message say it.
inline constexpr unsigned kStrNotAProgramList = 44501;
inline constexpr unsigned kStrIncomplete = 44502;
inline constexpr unsigned kStrNewerVersion = 44506;

// Status-bar panes the texts go to.
enum StatusPane { kPaneNone = 0, kPaneLink = 1, kPaneTransfer = 2 };

struct StatusText {
    int pane = kPaneNone;
    QString text;
    bool operator==(const StatusText&) const = default;
};

// Communication progress; an empty text (or pane none) shows nothing.
StatusText commStatusText(const spine::CoreEvent& e);
// Program-list and USB-file progress; always pane 2 when anything shows.
StatusText fileStatusText(const spine::CoreEvent& e);

// Whether a communication report is the first of a transfer: the start or
// the first progress of one, or the failure to open its link.
bool beginsTransfer(const spine::CoreEvent& e);

// A pane's text and the report that wrote it.
struct PaneNews {
    QString text;
    bool comm = false;        // a communication report (else a file report)
    unsigned transfer = 0;    // the transfer it came from, counted by beginsTransfer
};

// Whether the news a pane shows came from the same transfer as a new
// report's, so both panes keep their texts; otherwise the new outcome
// replaces it. A file job has no link news.
bool sameJob(const PaneNews& shown, const PaneNews& incoming);

} // namespace shell
