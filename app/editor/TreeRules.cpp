#include "app/editor/TreeRules.h"

#include "app/editor/EditorStrings.h"
#include "app/editor/KindTable.h"
#include "app/editor/ScreenLed.h"

#include "core/api/Records.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <algorithm>

namespace editor {

unsigned kindCodeOf(const tagItemData* node)
{
    if (!node)
        return IT_SCREEN;
    switch (node->Level) {
    case LEVEL_SCENE: return node->Scene.TypeCode;
    case LEVEL_SECTION: return node->Section.WndKind;
    case LEVEL_PROGRAM: return node->Item.TypeCode;
    default: return IT_SCREEN;
    }
}

unsigned treeIconOf(unsigned kind) { return kindRow(kind).treeIcon; }

unsigned kindStringId(unsigned kind) { return kindRow(kind).stringId; }

QString numberedName(const QString& kindText, const QStringList& taken, const NameTaken& alsoTaken)
{
    for (int n = 1;; ++n) {
        const QString name = kindText + QString::number(n);
        if (!taken.contains(name, Qt::CaseSensitive) && !(alsoTaken && alsoTaken(name)))
            return name;
    }
}

QString nodeName(const tagItemData* node)
{
    if (!node)
        return {};
    const char16_t* n = node->Name;
    int len = 0;
    while (len < 128 && n[len])
        ++len;
    return QString::fromUtf16(n, len);
}

QStringList siblingNames(const tagItemData* node)
{
    QStringList names;
    if (!node)
        return names;
    for (const tagItemData* s = node->PrevSibling; s; s = s->PrevSibling)
        names << nodeName(s);
    for (const tagItemData* s = node->NextSibling; s; s = s->NextSibling)
        names << nodeName(s);
    return names;
}

QString defaultNameFor(const tagItemData* node, const NameTaken& alsoTaken)
{
    const unsigned kind = kindCodeOf(node);
    const QString text = editorString(kindStringId(kind));
    if (node && node->Level == LEVEL_SCENE && kind == IT_GLOBALSCENE)
        return text;
    return numberedName(text, siblingNames(node), alsoTaken);
}

SectionLimitSource catalogueSectionLimit()
{
    return [](unsigned hardwareId) {
        const FirmwareInfo* info = CCore::GetFirmwareInfo(hardwareId);
        return info ? info->MaxSectionCount() : 0;
    };
}

int sectionLimitOf(const tagItemData* screen, const SectionLimitSource& source)
{
    const tagItemData* s = screenOf(screen);
    const int limit = (s && source) ? source(s->Global.HardwareId) : 0;
    return limit > 0 ? limit : 16;
}

int sectionCount(const tagItemData* scene)
{
    int n = 0;
    for (const tagItemData* c = scene ? scene->FirstChild : nullptr; c; c = c->NextSibling)
        n += c->Level == LEVEL_SECTION ? 1 : 0;
    return n;
}

LimitCheck checkSectionLimit(const tagItemData* n, int limit)
{
    LimitCheck r;
    r.limit = limit;
    const tagItemData* screen = screenOf(n);
    if (!screen)
        return r;
    const tagItemData* global = globalSceneOf(screen);
    r.global = sectionCount(global);
    if (n->Level == LEVEL_ROOT) {
        const tagItemData* receiving = global ? global->NextSibling : screen->FirstChild;
        r.scene = sectionCount(receiving);
    } else if (global && sceneOf(n) == global) {
        for (const tagItemData* s = global->NextSibling; s; s = s->NextSibling)
            r.scene = std::max(r.scene, sectionCount(s));
    } else {
        r.scene = sectionCount(sceneOf(n));
    }
    r.total = r.scene + r.global;
    r.allowed = r.total < limit;
    return r;
}

bool canDrag(const tagItemData* node)
{
    return node && node->Level != LEVEL_ROOT && !isGlobalScene(node) && node->Level <= LEVEL_SECTION;
}

namespace {
int depthOf(const tagItemData* n)
{
    return n ? static_cast<int>(n->Level) : -1;
}

tagItemData* lastChild(tagItemData* n)
{
    tagItemData* c = n ? n->FirstChild : nullptr;
    while (c && c->NextSibling)
        c = c->NextSibling;
    return c;
}
} // namespace

DropPlan planDrop(tagItemData* dragged, tagItemData* target, int limit)
{
    DropPlan plan;
    if (!dragged || dragged == target)
        return plan;
    if (!target || screenOf(target) != screenOf(dragged)) {
        plan.result = DropPlan::OtherScreen;
        return plan;
    }
    tagItemData* fromScene = sceneOf(dragged);
    if (dragged->Level == LEVEL_SECTION && !isGlobalScene(fromScene)
        && (target->Level == LEVEL_SECTION || target->Level == LEVEL_SCENE)) {
        tagItemData* toScene = sceneOf(target);
        if (toScene != fromScene) {
            tagItemData* global = globalSceneOf(dragged);
            int globalCount = sectionCount(global) + (toScene == global ? 1 : 0);
            int most = 0;
            for (tagItemData* s = screenOf(dragged)->FirstChild; s; s = s->NextSibling) {
                if (s == global)
                    continue;
                int c = sectionCount(s);
                if (s == fromScene)
                    --c;
                if (s == toScene)
                    ++c;
                most = std::max(most, c);
            }
            if (most + globalCount > limit) {
                plan.result = DropPlan::OverLimit;
                return plan;
            }
        }
    }
    const int dd = depthOf(dragged), td = depthOf(target);
    if (dd == td) {
        plan.result = DropPlan::Move;
        plan.parent = target->Parent;
        plan.after = target;
        return plan;
    }
    if (dd == td + 1 && dragged->Parent != target) {
        plan.result = DropPlan::Move;
        plan.parent = target;
        plan.after = lastChild(target);
        return plan;
    }
    return plan;
}

AutoScroll autoScrollFor(int y, int top, int bottom)
{
    AutoScroll a;
    auto periodOf = [](int k) { return k < 6 ? 6 - k : 1; };
    if (y < top + 10) {
        a.direction = -1;
        a.period = periodOf((top - y + 10) / 20);
    } else if (y > bottom - 10) {
        a.direction = 1;
        a.period = periodOf((y - (bottom - 10)) / 20);
    }
    return a;
}

int contextPopupIndex(const tagItemData* node)
{
    if (!node)
        return -1;
    switch (node->Level) {
    case LEVEL_ROOT: return 0;
    case LEVEL_SCENE: return isGlobalScene(node) ? 1 : 2;
    case LEVEL_SECTION:
        if (node->Section.WndKind == IT_WND_PROGLIST)
            return 4;
        if (node->Section.WndKind == IT_WND_CONTENTLIST)
            return 5;
        return 3;
    default: return -1;
    }
}

} // namespace editor
