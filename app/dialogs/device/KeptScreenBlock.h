#pragma once
#include "app/spine/NodeNotice.h"
#include "core/api/Nodes.h"

class CCore;

namespace dialogs {

// What a settings dialog's Cancel puts back on its screen: the block as the
// dialog found it, or as the controller last took it (a write it took
// cannot be undone there). Put back by the write road, so every view follows.
class KeptScreenBlock {
public:
    KeptScreenBlock(CCore& core, tagItemData* screen) : m_core(core), m_screen(screen)
    {
        if (m_screen)
            m_kept = m_screen->Global;
    }
    // The controller took the screen's block as it is now.
    void taken()
    {
        if (m_screen)
            m_kept = m_screen->Global;
    }
    void putBack() { spine::restoreScreenBlock(m_core, m_screen, m_kept); }

private:
    CCore& m_core;
    tagItemData* m_screen;
    tagGlobalInfo m_kept{};
};

} // namespace dialogs
