#include "app/dialogs/groups/BulkSend.h"

#include "core/api/Core.h"

namespace dialogs {

BulkResult RunBulkSend(CCore& core, const QList<tagItemData*>& screens, const QList<int>& ticked, int mode,
                       int source, const BulkTransfer& transfer)
{
    BulkResult r;
    if (mode == 0) {
        for (int i = 0; i < screens.size(); ++i) {
            if (!ticked.contains(i))
                continue;
            transfer(screens[i], core.GetSendLink(screens[i]));
            // Each screen's compile goes with its send: twenty screens
            // kept would hold the memory the bulk send took.
            CCore::ForgetCompiled(screens[i]);
            r.sent = true;
        }
        return r;
    }
    if (source < 0 || source >= screens.size()) {
        r.noSource = true;
        return r;
    }
    tagItemData* s = screens[source];
    for (int j = 0; j < screens.size(); ++j) {
        if (!ticked.contains(j))
            continue;
        tagItemData* c = screens[j];
        r.sent = true;
        if (c->Global.Width != s->Global.Width || c->Global.Height != s->Global.Height) {
            r.mismatch = c;
            CCore::ForgetCompiled(s);
            return r;
        }
        // Where C's own send goes; a C that sends through the source goes
        // over its own link, since that is what the source stands in for.
        tagItemData* through = c->Global.TargetScreen == s ? nullptr : c->Global.TargetScreen;
        transfer(s, core.GetSendLink(c, through));
    }
    // The source's compile served every target; it goes with the last.
    CCore::ForgetCompiled(s);
    return r;
}

} // namespace dialogs
