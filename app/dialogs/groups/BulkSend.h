#pragma once
// Sending programs to many controllers: each ticked screen its own, or the
// programs of one source screen to every ticked screen's controller, over
// the link that screen's own send would take, lent for the one transfer.
#include <QList>
#include <QString>
#include <functional>

#include "core/api/Nodes.h"

class CCore;
struct LinkSettings;
struct tagItemData;

namespace dialogs {

struct BulkResult {
    bool sent = false;           // any transfer was run
    bool noSource = false;       // mode 1 without a source
    tagItemData* mismatch = nullptr;   // the screen of another size that stopped the run
};

// Runs one transfer of the screen's programs over the link (the task dialog).
using BulkTransfer = std::function<void(tagItemData* screen, const LinkSettings& link)>;

// mode 0: every ticked screen sends its own over its send link; mode 1: the
// source's programs go to every ticked screen in list order, stopping at one
// of another size. No screen is written.
BulkResult RunBulkSend(CCore& core, const QList<tagItemData*>& screens, const QList<int>& ticked, int mode,
                       int source, const BulkTransfer& transfer);

} // namespace dialogs
