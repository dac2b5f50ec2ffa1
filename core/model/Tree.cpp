// Navigation, copying and moving of nodes, and CCore's tree exports.
#include "core/model/Tree.h"
#include "core/api/OwnerThread.h"
#include "core/model/NodePictures.h"
#include "core/api/Core.h"
#include "core/model/Geometry.h"
#include "core/model/Guard.h"

#include <vector>

using namespace sorvane::model;

namespace {

tagItemData* firstChild(const tagItemData* node) { return node ? node->FirstChild : nullptr; }

// The type code a node is created with.
std::uint16_t creationCode(const tagItemData* node)
{
    switch (node->Level) {
    case LEVEL_ROOT: return node->Global.TypeCode;
    case LEVEL_SCENE: return node->Scene.TypeCode;
    case LEVEL_SECTION: return node->Section.WndKind;
    default: return node->Item.TypeCode;
    }
}

// Fills in the parent from "after" when only that is given; a node given
// neither goes under `root` (the core's, for a screen).
tagItemData* parentFor(tagItemData* parent, tagItemData* after, tagItemData* root = nullptr)
{
    tagItemData* given = parent ? parent : after ? after->Parent : nullptr;
    return given ? given : root;
}

} // namespace

namespace sorvane::model {

// Gives the target frame the source's header values and a copy of each element, in order.
void CopyFrame(const DynFrame* source, DynFrame* target)
{
    if (!source || !target)
        return;
    target->Version = source->Version;
    target->Size = source->Size;
    target->Width = source->Width;
    target->CornerStyle = source->CornerStyle;
    target->DefaultIndex = source->DefaultIndex;
    target->Raw = source->Raw;
    DynFrameElement* last = nullptr;
    for (const DynFrameElement* e = source->First; e; e = e->Next) {
        DynFrameElement* c = CreateFrameElement(e->Type, e->Name, target, last);
        if (!c)
            break;
        c->Version = e->Version;
        c->Motion = e->Motion;
        c->Speed = e->Speed;
        c->Duration = e->Duration;
        c->Period = e->Period;
        c->MarginLeft = e->MarginLeft;
        c->MarginTop = e->MarginTop;
        c->MarginRight = e->MarginRight;
        c->MarginBottom = e->MarginBottom;
        c->Raw = e->Raw;
        SetFrameElementData(c, e->Data());
        last = c;
    }
}

tagItemData* GetScreenOf(const tagItemData* node)
{
    if (!node || node->Level > LEVEL_PROGRAM)
        return nullptr;
    const tagItemData* n = node;
    for (std::uint32_t l = node->Level; l > LEVEL_ROOT && n; --l)
        n = n->Parent;
    return const_cast<tagItemData*>(n);
}

tagItemData* GetSceneOf(const tagItemData* node)
{
    if (!node)
        return nullptr;
    switch (node->Level) {
    case LEVEL_ROOT: return node->FirstChild;
    case LEVEL_SCENE: return const_cast<tagItemData*>(node);
    case LEVEL_SECTION: return node->Parent;
    case LEVEL_PROGRAM: return node->Parent ? node->Parent->Parent : nullptr;
    default: return nullptr;
    }
}

tagItemData* GetSectionOf(const tagItemData* node)
{
    if (!node)
        return nullptr;
    switch (node->Level) {
    case LEVEL_ROOT: return firstChild(node->FirstChild);
    case LEVEL_SCENE: return node->FirstChild;
    case LEVEL_SECTION: return const_cast<tagItemData*>(node);
    case LEVEL_PROGRAM: return node->Parent;
    default: return nullptr;
    }
}

tagItemData* GetItemOf(const tagItemData* node)
{
    if (!node)
        return nullptr;
    switch (node->Level) {
    case LEVEL_ROOT: return firstChild(firstChild(node->FirstChild));
    case LEVEL_SCENE: return firstChild(node->FirstChild);
    case LEVEL_SECTION: return node->FirstChild;
    case LEVEL_PROGRAM: return const_cast<tagItemData*>(node);
    default: return nullptr;
    }
}

tagItemData* GetFirstSceneOf(const tagItemData* node) { return firstChild(GetScreenOf(node)); }

bool IsGlobalSceneNode(const tagItemData* node)
{
    return node && node->Level == LEVEL_SCENE && node->Scene.TypeCode == IT_GLOBALSCENE;
}

tagItemData* GetGlobalSceneOf(const tagItemData* node)
{
    tagItemData* first = GetFirstSceneOf(node);
    return IsGlobalSceneNode(first) ? first : nullptr;
}

std::uint16_t CountChildren(const tagItemData* node)
{
    std::uint16_t n = 0;
    for (const tagItemData* c = firstChild(node); c; c = c->NextSibling)
        ++n;
    return n;
}

std::uint16_t CountValidChildren(const tagItemData* node)
{
    if (!node)
        return 0;
    switch (node->Level) {
    case LEVEL_SECTION:
        return CountChildren(node);
    case LEVEL_ROOT:
    case LEVEL_SCENE: {
        std::uint16_t n = 0;
        for (const tagItemData* c = node->FirstChild; c; c = c->NextSibling)
            if (CountValidChildren(c) != 0)
                ++n;
        return n;
    }
    default:
        return 0;
    }
}

void ForEachNode(tagItemData* node, const std::function<void(tagItemData*)>& routine)
{
    if (!node)
        return;
    routine(node);
    for (tagItemData* c = node->FirstChild; c;) {
        tagItemData* next = c->NextSibling;
        ForEachNode(c, routine);
        c = next;
    }
}

bool IsInSubtree(const tagItemData* node, const tagItemData* root)
{
    for (const tagItemData* n = node; n; n = n->Parent)
        if (n == root)
            return true;
    return false;
}

void UnlinkNode(tagItemData* node)
{
    if (!node)
        return;
    if (node->NextSibling)
        node->NextSibling->PrevSibling = node->PrevSibling;
    if (node->PrevSibling)
        node->PrevSibling->NextSibling = node->NextSibling;
    else if (node->Parent && node->Parent->FirstChild == node)
        node->Parent->FirstChild = node->NextSibling;
    node->PrevSibling = node->NextSibling = nullptr;
}

tagItemData* CopyNode(tagItemData* parent, const tagItemData* source, tagItemData* after)
{
    if (!source || !parent || source->Level > LEVEL_PROGRAM)
        return nullptr;
    std::u16string name(source->Name);
    name += u"_copy";
    tagItemData* copy = CreateNode(after, creationCode(source), name.c_str(), parent);
    if (!copy)
        return nullptr;
    copy->KeptWord44 = source->KeptWord44;
    copy->KeptWord48 = source->KeptWord48;
    copy->PlayTime = source->PlayTime;
    copy->InEffect = source->InEffect;
    copy->InSpeed = source->InSpeed;

    // Blocks are copied as their stored images: the copy keeps its own frame.
    std::uint8_t block[SCENE_BLOCK_SIZE > GLOBALINFO_SIZE ? SCENE_BLOCK_SIZE : GLOBALINFO_SIZE];
    switch (source->Level) {
    case LEVEL_ROOT:
        WriteGlobalInfo(source->Global, block);
        ReadGlobalInfo(block, copy->Global);
        copy->Global.TargetScreen = source->Global.TargetScreen;
        copy->BlockSize = copy->Global.BlockSize;
        break;
    case LEVEL_SCENE:
        WriteSceneBlock(*source, block);
        ReadSceneBlock(block, *copy);
        copy->Scene.OwnedBlock = source->Scene.OwnedBlock;
        CopyFrame(source->Scene.Frame, copy->Scene.Frame);
        break;
    case LEVEL_SECTION:
        WriteSectionBlock(*source, block);
        ReadSectionBlock(block, *copy);
        CopyFrame(source->Section.Frame, copy->Section.Frame);
        break;
    default: {
        copy->Item.TypeRecordSize = source->Item.TypeRecordSize;
        copy->Item.ContentW = source->Item.ContentW;
        copy->Item.ContentH = source->Item.ContentH;
        copy->Item.OutEffect = source->Item.OutEffect;
        copy->Item.OutSpeed = source->Item.OutSpeed;
        // The whole record with its text or memory file: values are copied,
        // so nothing owned becomes shared.
        const ItemRecord* from = source->Item.TypeRecord;
        ItemRecord* to = copy->Item.TypeRecord;
        if (from && to && from->type() == to->type())
            *to = *from;
        break;
    }
    }
    ResizeNodeBitmap(copy);
    PaintNode(copy);
    return copy;
}

tagItemData* CopyBranchRecursive(const tagItemData* source, tagItemData* parent, tagItemData* after)
{
    if (!source || !parent || IsInSubtree(parent, source))
        return nullptr;
    tagItemData* copy = CopyNode(parent, source, after);
    if (!copy)
        return nullptr;
    tagItemData* previous = nullptr;
    for (const tagItemData* c = source->FirstChild; c; c = c->NextSibling)
        if (tagItemData* child = CopyBranchRecursive(c, copy, previous))
            previous = child;
    return copy;
}

bool MoveNode(tagItemData* node, tagItemData* after, tagItemData* parent)
{
    if (!node || !parent || after == node || (after && after->Parent != parent) || IsInSubtree(parent, node))
        return false;
    UnlinkNode(node);
    node->Parent = parent;
    LinkNode(node, after, parent);
    if (node->Level == LEVEL_SECTION)
        ChangeRectRecursive(node, node->Section.RectX, node->Section.RectY, node->Section.RectW, node->Section.RectH);
    return true;
}

} // namespace sorvane::model

// ---- CCore exports ----

namespace {
// The node behind which a new one is linked: behind "after", or at the head.
tagItemData* slotAfter(tagItemData* parent, tagItemData* after)
{
    return after ? after->NextSibling : parent ? parent->FirstChild : nullptr;
}

// A creation that failed half way has linked its node (with what it made
// so far) where `before` stood: take it out again.
tagItemData* dropHalfMade(tagItemData* parent, tagItemData* after, tagItemData* before)
{
    tagItemData* made = slotAfter(parent, after);
    if (made && made != before) {
        UnlinkNode(made);
        DestroyNode(made);
    }
    return nullptr;
}

// Links what `make` makes behind `after` in `parent`; a make that fails half
// way leaves the tree as it was.
template <class Make>
tagItemData* makeGuarded(tagItemData* parent, tagItemData* after, Make make)
{
    tagItemData* const before = slotAfter(parent, after);
    CCore::NoteWritten(parent);
    return GuardedCall(make, [&] { return dropHalfMade(parent, after, before); });
}
} // namespace

tagItemData* CCore::AddItem(unsigned short type, const char16_t* name, tagItemData* parent, tagItemData* after)
{
    SORVANE_ASSERT_OWNER(*this);
    parent = parentFor(parent, after, type == IT_SCREEN ? m_root : nullptr);
    return makeGuarded(parent, after, [&] { return CreateNode(after, type, name, parent); });
}

int CCore::DeleteItem(tagItemData*& node)
{
    SORVANE_ASSERT_OWNER(*this);
    // The core's own root stays: deleting it would leave the core without a tree.
    if (!node || node == m_root)
        return 0;
    NoteWritten(node->Parent);
    UnlinkNode(node);
    ForgetTargets(node);
    // A trim walks the whole heap: worth it for a screen or scene of many
    // pieces or pictures, not for each of many small screens closed in a row.
    constexpr int kManyNodes = 64;
    constexpr std::int64_t kManyBytes = std::int64_t(1) << 20;
    bool large = node->Level == LEVEL_HEADER;
    const bool big = large || node->Level <= LEVEL_SCENE;
    if (big && !large) {
        int nodes = 0;
        ForEachNode(node, [&nodes](tagItemData*) { ++nodes; });
        large = nodes >= kManyNodes;
    }
    const std::int64_t pictures = big ? NodePictures::bytesHeld() : 0;
    DestroyNode(node);
    if (large || (big && pictures - NodePictures::bytesHeld() >= kManyBytes))
        ReturnFreedMemory();
    return 1;
}

void CCore::ClearPrograms(tagItemData* node)
{
    SORVANE_ASSERT_OWNER(*this);
    if (!node)
        return;
    NoteWritten(node);
    while (tagItemData* child = node->FirstChild) {
        UnlinkNode(child);
        ForgetTargets(child);
        DestroyNode(child);
    }
    node->FirstChild = nullptr;
    ReturnFreedMemory();
}

void CCore::ForgetTargets(const tagItemData* removed)
{
    // Screens that sent through a removed screen use their own link again,
    // also when a new screen later takes the same address.
    if (!m_root || !removed)
        return;
    std::vector<const tagItemData*> gone;
    ForEachNode(const_cast<tagItemData*>(removed), [&gone](tagItemData* n) {
        if (n->Level == LEVEL_ROOT)
            gone.push_back(n);
    });
    for (tagItemData* s = m_root->FirstChild; s; s = s->NextSibling)
        for (const tagItemData* g : gone)
            if (s->Global.TargetScreen == g) {
                s->Global.TargetScreen = nullptr;
                NoteWritten(s);
            }
}

tagItemData* CCore::CopyItem(tagItemData* source, tagItemData* parent, tagItemData* after)
{
    SORVANE_ASSERT_OWNER(*this);
    parent = parentFor(parent, after, source && source->Level == LEVEL_ROOT ? m_root : nullptr);
    return makeGuarded(parent, after, [&] { return CopyNode(parent, source, after); });
}

tagItemData* CCore::CopyBranch(tagItemData* source, tagItemData* parent, tagItemData* after)
{
    SORVANE_ASSERT_OWNER(*this);
    parent = parentFor(parent, after, source && source->Level == LEVEL_ROOT ? m_root : nullptr);
    return makeGuarded(parent, after, [&] { return CopyBranchRecursive(source, parent, after); });
}

int CCore::ModifyItemPos(tagItemData* node, tagItemData* parent, tagItemData* after)
{
    SORVANE_ASSERT_OWNER(*this);
    parent = parentFor(parent, after, node && node->Level == LEVEL_ROOT ? m_root : nullptr);
    // Both screens, the one it leaves and the one it joins.
    if (node)
        NoteWritten(node->Parent);
    NoteWritten(parent);
    return MoveNode(node, after, parent) ? 1 : 0;
}

int CCore::ChangeItemName(tagItemData* node, const char16_t* name)
{
    SORVANE_ASSERT_OWNER(*this);
    if (!node)
        return 0;
    SetNodeName(node, name);
    NoteWritten(node);
    return 1;
}

tagItemData* CCore::GetScreen(unsigned n)
{
    tagItemData* s = firstChild(m_root);
    for (; s && n > 0; --n)
        s = s->NextSibling;
    return s;
}

unsigned short CCore::GetChildNum(tagItemData* node) { return CountChildren(node); }
unsigned short CCore::GetValidChildNum(tagItemData* node) { return CountValidChildren(node); }
tagItemData* CCore::GetCurRoot(tagItemData* node) { return GetScreenOf(node); }
tagItemData* CCore::GetCurScene(tagItemData* node) { return GetSceneOf(node); }
tagItemData* CCore::GetCurSection(tagItemData* node) { return GetSectionOf(node); }
tagItemData* CCore::GetCurProgram(tagItemData* node) { return GetItemOf(node); }
tagItemData* CCore::GetGlobalScene(tagItemData* node) { return GetGlobalSceneOf(node); }

int CCore::IsRoot(tagItemData* node) { return node ? (node->Level == LEVEL_ROOT ? 1 : 0) : -1; }

void CCore::NoteWritten(tagItemData* node)
{
    if (tagItemData* screen = AncestorAtLevel(node, LEVEL_ROOT))
        ++screen->Revision;
}
int CCore::IsSection(tagItemData* node) { return node ? (node->Level == LEVEL_SECTION ? 1 : 0) : -1; }
int CCore::IsProgram(tagItemData* node) { return node ? (node->Level == LEVEL_PROGRAM ? 1 : 0) : -1; }
int CCore::IsGlobalScene(tagItemData* node) { return node ? (IsGlobalSceneNode(node) ? 1 : 0) : -1; }
