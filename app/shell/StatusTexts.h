#pragma once
// What the main frame's status bar shows for each progress callback of the
// core: pure functions of (cmd, event, value), tested from tables.
#include "app/spine/CoreRelay.h"

#include <QString>

namespace shell {

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

} // namespace shell
