// Node rectangles, borders, fitting sections into the screen, and the overlap check.
#include "core/model/Geometry.h"
#include "core/api/OwnerThread.h"
#include "core/api/Core.h"
#include "core/model/Tree.h"

#include <algorithm>
#include <string>

using namespace sorvane::model;

namespace {

RECT inset(RECT r, int by)
{
    r.left += by;
    r.top += by;
    r.right -= by;
    r.bottom -= by;
    return r;
}

RECT screenRect(const tagItemData* node)
{
    int w = 0, h = 0;
    GetScreenSize(node, w, h);
    return {0, 0, w, h};
}

std::uint16_t clamp16(int v) { return static_cast<std::uint16_t>(std::clamp(v, 0, 0xFFFF)); }

// Fits r into s as a section is held inside the screen area.
void fitInto(RECT& r, const RECT& s)
{
    if (r.left < s.left) {
        r.right += s.left - r.left;
        r.left = s.left;
    }
    if (r.right > s.right) {
        if (r.right - r.left <= s.right - s.left)
            r.left = s.right - (r.right - r.left);
        else
            r.left = s.left;
        r.right = s.right;
    }
    if (r.top < s.top) {
        r.bottom += s.top - r.top;
        r.top = s.top;
    }
    if (r.bottom > s.bottom) {
        if (r.bottom - r.top <= s.bottom - s.top)
            r.top = s.bottom - (r.bottom - r.top);
        else
            r.top = s.top;
        r.bottom = s.bottom;
    }
}

void storeSectionRect(tagItemData* section, const RECT& r)
{
    section->Section.RectX = clamp16(r.left);
    section->Section.RectY = clamp16(r.top);
    section->Section.RectW = clamp16(r.right - r.left);
    section->Section.RectH = clamp16(r.bottom - r.top);
}

void reapplySections(tagItemData* scene)
{
    for (tagItemData* s = scene ? scene->FirstChild : nullptr; s; s = s->NextSibling)
        ChangeRectRecursive(s, s->Section.RectX, s->Section.RectY, s->Section.RectW, s->Section.RectH);
}

void refreshItems(tagItemData* section)
{
    for (tagItemData* item = section->FirstChild; item; item = item->NextSibling) {
        UpdateNodeBitmap(item);
        PaintNode(item);
    }
}

// Names from the scene down to the node, joined with " >> ", cut to 127.
void writePath(const tagItemData* node, char16_t (&out)[128])
{
    std::u16string text;
    if (node && node->Level == LEVEL_SECTION && node->Parent) {
        text = node->Parent->Name;
        text += u" >> ";
        text += node->Name;
    } else if (node && node->Level == LEVEL_SCENE) {
        text = node->Name;
    }
    text.resize(std::min<std::size_t>(text.size(), 127));
    std::fill(std::begin(out), std::end(out), u'\0');
    std::copy(text.begin(), text.end(), out);
}

class OverlapTable {
public:
    explicit OverlapTable(_tableOverlap* t) : m_table(t)
    {
        m_table->Capacity = 6;
    }
    ~OverlapTable() { m_table->Count = m_count; }
    OverlapTable(const OverlapTable&) = delete;
    OverlapTable& operator=(const OverlapTable&) = delete;

    void add(const tagItemData* section, const tagItemData* other, std::uint16_t kind)
    {
        if (!m_full) {
            _tableOverlap::Row& row = m_table->Rows[m_count];
            writePath(section, row.First);
            writePath(other, row.Second);
            row.Kind = kind;
            m_full = m_count >= m_table->Capacity - 1;
        }
        ++m_count;
    }

private:
    _tableOverlap* m_table;
    std::uint32_t m_count = 0;
    bool m_full = false;
};

} // namespace

namespace sorvane::model {

void GetScreenSize(const tagItemData* node, int& width, int& height)
{
    const tagItemData* screen = GetScreenOf(node);
    width = screen ? screen->Global.Width : 0;
    height = screen ? screen->Global.Height : 0;
}

int GetOwnFrameWidth(const tagItemData* node)
{
    DynFrame** slot = FrameSlotOf(const_cast<tagItemData*>(node));
    return slot && *slot ? (*slot)->Width : 0;
}

int GetEffectiveFrameWidth(const tagItemData* node)
{
    if (!node || node->Level == LEVEL_ROOT || node->Level > LEVEL_PROGRAM)
        return 0;
    const tagItemData* scene = GetSceneOf(node);
    if (!scene)
        return 0;
    if (!IsGlobalSceneNode(scene))
        return GetOwnFrameWidth(scene);
    int widest = 0;
    for (const tagItemData* s = scene->NextSibling; s; s = s->NextSibling)
        widest = std::max(widest, GetOwnFrameWidth(s));
    return widest;
}

int GetScreenFrameWidth(const tagItemData* screen)
{
    const tagItemData* first = GetFirstSceneOf(screen);
    return first ? GetEffectiveFrameWidth(first) : 0;
}

} // namespace sorvane::model

RECT GetNodeRect(const tagItemData* node)
{
    if (!node)
        return {};
    switch (node->Level) {
    case LEVEL_ROOT:
    case LEVEL_SCENE:
        return screenRect(node);
    case LEVEL_SECTION: {
        const SectionBlock& s = node->Section;
        return {s.RectX, s.RectY, s.RectX + s.RectW, s.RectY + s.RectH};
    }
    case LEVEL_PROGRAM: {
        const tagItemData* section = node->Parent;
        if (!section || section->Level != LEVEL_SECTION)
            return {};
        return inset(GetNodeRect(section), GetOwnFrameWidth(section));
    }
    default:
        return {};
    }
}

namespace {
int clientInset(const tagItemData* node)
{
    switch (node->Level) {
    case LEVEL_SCENE:
        return IsGlobalSceneNode(node) ? GetEffectiveFrameWidth(node) : GetOwnFrameWidth(node);
    case LEVEL_SECTION:
        return GetOwnFrameWidth(node);
    default:
        return 0;   // an item's rectangle already lies inside its section's border
    }
}
}

RECT GetNodeClientRect(const tagItemData* node)
{
    if (!node)
        return {};
    return inset(GetNodeRect(node), clientInset(node));
}

namespace sorvane::model {

RECT GetLocalClientRect(const tagItemData* node)
{
    if (!node)
        return {};
    const RECT r = GetNodeRect(node);
    return inset({0, 0, r.right - r.left, r.bottom - r.top}, clientInset(node));
}

bool IntersectRects(const RECT& a, const RECT& b)
{
    return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

bool RectContains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

bool IsNodeInsideScreen(const tagItemData* node)
{
    if (!node)
        return false;
    return RectContains(inset(screenRect(node), GetEffectiveFrameWidth(node)), GetNodeRect(node));
}

bool FitSectionToScreen(tagItemData* section)
{
    if (!section || section->Level != LEVEL_SECTION)
        return false;
    const RECT before = GetNodeRect(section);
    RECT r = before;
    fitInto(r, inset(screenRect(section), GetEffectiveFrameWidth(section)));
    storeSectionRect(section, r);
    return !(GetNodeRect(section) == before);
}

void ChangeRectRecursive(tagItemData* node, int x, int y, int w, int h)
{
    if (!node)
        return;
    switch (node->Level) {
    case LEVEL_ROOT:
        if (w != node->Global.Width || h != node->Global.Height) {
            node->Global.Width = clamp16(w);
            node->Global.Height = clamp16(h);
            for (tagItemData* scene = node->FirstChild; scene; scene = scene->NextSibling)
                ChangeRectRecursive(scene, 0, 0, w, h);
        }
        break;
    case LEVEL_SCENE:
        PaintNode(node);
        reapplySections(node);
        break;
    case LEVEL_SECTION: {
        const int oldW = node->Section.RectW;
        const int oldH = node->Section.RectH;
        // Fitted on signed values: a position left of or above the screen
        // moves the section in, rather than wrapping to the far edge.
        RECT r{x, y, x + std::max(w, 0), y + std::max(h, 0)};
        const RECT area = inset(screenRect(node), GetEffectiveFrameWidth(node));
        if (!RectContains(area, r))
            fitInto(r, area);
        storeSectionRect(node, r);
        if (node->Section.RectW != oldW || node->Section.RectH != oldH) {
            PaintNode(node);
            refreshItems(node);
        }
        break;
    }
    default:
        break;
    }
}

void SetFrameWidth(tagItemData* node, int width)
{
    DynFrame** slot = FrameSlotOf(node);
    if (!slot || width == GetOwnFrameWidth(node))
        return;
    if (!*slot)
        CreateFrame(node);
    (*slot)->Width = clamp16(width);
    if (node->Level == LEVEL_SCENE) {
        reapplySections(node);
        // The global scene's sections keep clear of the widest border of the others.
        tagItemData* global = GetGlobalSceneOf(node);
        if (global && global != node)
            reapplySections(global);
    } else {
        refreshItems(node);
    }
}

void CheckOverlap(const tagItemData* screen, _tableOverlap* table)
{
    if (!screen || !table || !screen->FirstChild)
        return;
    OverlapTable rows(table);
    const tagItemData* global = IsGlobalSceneNode(screen->FirstChild) ? screen->FirstChild : nullptr;

    if (global) {
        for (const tagItemData* s = global->FirstChild; s; s = s->NextSibling) {
            const RECT rs = GetNodeRect(s);
            for (const tagItemData* t = s->NextSibling; t; t = t->NextSibling)
                if (IntersectRects(rs, GetNodeRect(t)))
                    rows.add(s, t, OVERLAP_INTERSECT);
            for (const tagItemData* x = screen->FirstChild; x; x = x->NextSibling)
                if (GetOwnFrameWidth(x) != 0 && !RectContains(GetNodeClientRect(x), rs))
                    rows.add(s, x, OVERLAP_BORDER);
        }
    }
    for (const tagItemData* n = global ? global->NextSibling : screen->FirstChild; n; n = n->NextSibling) {
        for (const tagItemData* s = n->FirstChild; s; s = s->NextSibling) {
            const RECT rs = GetNodeRect(s);
            for (const tagItemData* t = s->NextSibling; t; t = t->NextSibling)
                if (IntersectRects(rs, GetNodeRect(t)))
                    rows.add(s, t, OVERLAP_INTERSECT);
            if (GetOwnFrameWidth(n) != 0 && !RectContains(GetNodeClientRect(n), rs))
                rows.add(s, n, OVERLAP_BORDER);
            if (global)
                for (const tagItemData* u = global->FirstChild; u; u = u->NextSibling)
                    if (IntersectRects(rs, GetNodeRect(u)))
                        rows.add(s, u, OVERLAP_INTERSECT);
        }
    }
}

} // namespace sorvane::model

// ---- CCore exports ----

int CCore::GetRect(tagItemData* node, RECT* rect)
{
    if (!node || !rect)
        return 0;
    *rect = GetNodeRect(node);
    return 1;
}

int CCore::GetClientRect(tagItemData* node, RECT* rect)
{
    if (!node || !rect)
        return 0;
    *rect = GetNodeClientRect(node);
    return 1;
}

int CCore::ChangeItemRect(tagItemData* node, int x, int y, int w, int h)
{
    SORVANE_ASSERT_OWNER(*this);
    ChangeRectRecursive(node, x, y, w, h);
    NoteWritten(node);
    return 1;
}

int CCore::SetItemFrame(tagItemData* node, int width)
{
    SORVANE_ASSERT_OWNER(*this);
    SetFrameWidth(node, width);
    NoteWritten(node);
    return 1;
}

void CCore::checkOverlap(tagItemData* screen, _tableOverlap*& table)
{
    CheckOverlap(screen, table);
}
