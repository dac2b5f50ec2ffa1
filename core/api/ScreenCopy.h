#pragma once
// A copy of one screen for a job or a player: its nodes with their records,
// borders and settings block, and the pictures the live nodes had already
// painted (shared, not copied: QImage shares its pixels until one side
// paints). Made on the interface thread from the live screen when the job
// starts; from then on the holder owns it alone. It hangs under no core's
// root, so the owner-thread check lets any thread write it, and nothing of
// the live tree is reached through it: a send, a USB file or a preview reads
// and paints the copy while the interface thread goes on with the tree.
#include "core/api/Export.h"

#include <cstdint>
#include <memory>

struct tagItemData;

class SORVANE_API CScreenCopy {
public:
    // Copies `screen` (a screen node, live or of a scratch tree). Call it on
    // the thread that owns the screen's tree. When `screen` is no screen or
    // memory runs out the copy is empty (ok() false); nothing is thrown.
    explicit CScreenCopy(const tagItemData* screen);
    // The copy with everything it owns; its pictures go with it.
    ~CScreenCopy();
    CScreenCopy(const CScreenCopy&) = delete;
    CScreenCopy& operator=(const CScreenCopy&) = delete;

    bool ok() const { return m_screen != nullptr; }
    // The copy's screen: its children are the copied scenes. A link to
    // another screen (TargetScreen) is not followed into the live tree: it
    // reads as null ("this screen"), TARGET_SCREEN_NONE stays. Take the send
    // link from the live screen (CCore::GetSendLink) before the job starts.
    tagItemData* screen() const { return m_screen; }
    // The live screen it was copied from, as an id (never to be read
    // through: the live screen may change or go while the copy is used).
    std::uintptr_t origin() const { return m_origin; }
    // The live screen's Revision when it was copied.
    std::uint64_t revision() const { return m_revision; }
    // The copy's node standing where `live` stands in the live screen (the
    // screen, a scene, a section or an item of it), found by position; null
    // when it is not of that screen. Interface thread, before the live
    // screen changes.
    tagItemData* NodeFor(const tagItemData* live) const;

    // The id of the live screen a screen stands for: the origin of a copy's
    // screen, the screen's own id for any other; 0 for null. Equal ids name
    // the same live screen, so a cache may match a copy to what it kept for
    // an earlier copy (or the live screen itself) of that screen.
    static std::uintptr_t OriginOf(const tagItemData* screen);
    // Whether the node belongs to a copy (its screen is a copy's screen).
    static bool IsCopy(const tagItemData* node);

private:
    const tagItemData* m_source = nullptr;   // compared, never read through
    tagItemData* m_screen = nullptr;
    std::uintptr_t m_origin = 0;
    std::uint64_t m_revision = 0;
};
