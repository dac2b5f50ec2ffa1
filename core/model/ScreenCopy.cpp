// Copies of a screen for jobs and players (core/api/ScreenCopy.h).
#include "core/api/ScreenCopy.h"
#include "core/api/ItemRecord.h"
#include "core/model/DynFrame.h"
#include "core/model/ItemData.h"
#include "core/model/NodePictures.h"
#include "core/model/Tree.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

using namespace sorvane::model;

namespace {

// The screens of the copies alive, with the live screen each stands for.
std::mutex g_copiesLock;
std::unordered_map<const tagItemData*, std::uintptr_t>& copies()
{
    static std::unordered_map<const tagItemData*, std::uintptr_t> m;
    return m;
}

void copyScene(const SceneBlock& a, SceneBlock& b)
{
    b.TypeCode = a.TypeCode;
    b.PicturePresent = a.PicturePresent;
    b.PictureMode = a.PictureMode;
    b.DisplayOption = a.DisplayOption;
    b.OwnedBlock = a.OwnedBlock;
    std::copy(std::begin(a.PicturePath), std::end(a.PicturePath), std::begin(b.PicturePath));
    b.FrameSize = a.FrameSize;
    b.Schedule = a.Schedule;
    b.ScheduleDate = a.ScheduleDate;
    b.ScheduleWeekdays = a.ScheduleWeekdays;
    b.StartTime = a.StartTime;
    b.EndTime = a.EndTime;
    b.Raw = a.Raw;
}

void copySection(const SectionBlock& a, SectionBlock& b)
{
    b.WndKind = a.WndKind;
    b.RectX = a.RectX;
    b.RectY = a.RectY;
    b.RectW = a.RectW;
    b.RectH = a.RectH;
    b.FrameSize = a.FrameSize;
    b.Raw = a.Raw;
}

void copyItem(const ItemBlock& a, ItemBlock& b)
{
    b.TypeCode = a.TypeCode;
    b.TypeRecordSize = a.TypeRecordSize;
    b.ContentW = a.ContentW;
    b.ContentH = a.ContentH;
    b.OutEffect = a.OutEffect;
    b.OutSpeed = a.OutSpeed;
    b.Raw = a.Raw;
}

DynFrame* copyOfFrame(const DynFrame* frame)
{
    if (!frame)
        return nullptr;
    auto* c = new DynFrame;
    CopyFrame(frame, c);
    return c;
}

// One node, field for field (no "_copy" name, no repaint: not CopyNode),
// linked behind `after` under `parent`. Linked before anything that may
// fail is made, so freeing the copy's screen frees a half-made node too.
tagItemData* copyOne(const tagItemData& s, tagItemData* parent, tagItemData* after)
{
    auto* n = new tagItemData;
    n->Level = s.Level;
    n->Parent = parent;
    if (parent)
        LinkNode(n, after, parent);
    n->RecordVersion = s.RecordVersion;
    n->RecordSize = s.RecordSize;
    n->KeptWord44 = s.KeptWord44;
    n->KeptWord48 = s.KeptWord48;
    std::copy(std::begin(s.Name), std::end(s.Name), std::begin(n->Name));
    n->PlayTime = s.PlayTime;
    n->InEffect = s.InEffect;
    n->InSpeed = s.InSpeed;
    n->BlockSize = s.BlockSize;
    n->Global = s.Global;
    n->Raw = s.Raw;
    n->Revision = s.Revision;
    switch (s.Level) {
    case LEVEL_ROOT:
        // The copy reaches no live screen; "send to every controller" stays.
        if (n->Global.TargetScreen != TARGET_SCREEN_NONE)
            n->Global.TargetScreen = nullptr;
        break;
    case LEVEL_SCENE:
        copyScene(s.Scene, n->Scene);
        n->Scene.Frame = copyOfFrame(s.Scene.Frame);
        if (n->Scene.Frame)
            FrameLinks::adopt(n->Scene.Frame, n);
        break;
    case LEVEL_SECTION:
        copySection(s.Section, n->Section);
        n->Section.Frame = copyOfFrame(s.Section.Frame);
        if (n->Section.Frame)
            FrameLinks::adopt(n->Section.Frame, n);
        break;
    case LEVEL_PROGRAM:
        copyItem(s.Item, n->Item);
        // The record with its text or memory file, by value: nothing shared.
        if (s.Item.TypeRecord)
            n->Item.TypeRecord = new ItemRecord(*s.Item.TypeRecord);
        break;
    default:
        break;
    }
    NodePictures::carry(&s, n);
    return n;
}

void copyChildren(const tagItemData& from, tagItemData* to)
{
    tagItemData* last = nullptr;
    for (const tagItemData* c = from.FirstChild; c; c = c->NextSibling) {
        last = copyOne(*c, to, last);
        copyChildren(*c, last);
    }
}

} // namespace

CScreenCopy::CScreenCopy(const tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return;
    tagItemData* made = nullptr;
    try {
        made = copyOne(*screen, nullptr, nullptr);
        copyChildren(*screen, made);
        const std::uintptr_t origin = OriginOf(screen);
        {
            const std::lock_guard lock(g_copiesLock);
            copies().emplace(made, origin);
        }
        m_source = screen;
        m_screen = made;
        m_origin = origin;
        m_revision = screen->Revision;
    } catch (...) {
        // Out of memory: no copy, and nothing half-made is left.
        DestroyNode(made);
    }
}

CScreenCopy::~CScreenCopy()
{
    if (!m_screen)
        return;
    {
        const std::lock_guard lock(g_copiesLock);
        copies().erase(m_screen);
    }
    DestroyNode(m_screen);
    // A large screen's copy is many pieces: give them back.
    ReturnFreedMemory();
}

tagItemData* CScreenCopy::NodeFor(const tagItemData* live) const
{
    if (!live || !m_screen)
        return nullptr;
    // The place of the node: its index among its siblings at each level.
    std::vector<int> path;
    const tagItemData* n = live;
    for (; n && n != m_source; n = n->Parent) {
        int i = 0;
        for (const tagItemData* p = n->PrevSibling; p; p = p->PrevSibling)
            ++i;
        path.push_back(i);
    }
    if (n != m_source)
        return nullptr;
    tagItemData* c = m_screen;
    for (auto it = path.rbegin(); it != path.rend() && c; ++it) {
        c = c->FirstChild;
        for (int i = 0; i < *it && c; ++i)
            c = c->NextSibling;
    }
    return c;
}

std::uintptr_t CScreenCopy::OriginOf(const tagItemData* screen)
{
    if (!screen)
        return 0;
    {
        const std::lock_guard lock(g_copiesLock);
        const auto it = copies().find(screen);
        if (it != copies().end())
            return it->second;
    }
    return reinterpret_cast<std::uintptr_t>(screen);
}

bool CScreenCopy::IsCopy(const tagItemData* node)
{
    const tagItemData* screen = GetScreenOf(node);
    if (!screen)
        return false;
    const std::lock_guard lock(g_copiesLock);
    return copies().count(screen) != 0;
}
