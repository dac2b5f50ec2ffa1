#pragma once
// The rules of the item tree apart from the widget: images and default names
// by node kind, the section limit, where a dragged node lands, the auto-scroll
// pace and which context menu a node gets.
#include <QString>
#include <QStringList>
#include <functional>

struct tagItemData;

namespace editor {

// The kind code of a node: 0 for a screen, the scene type, the window kind of
// a section, the item type.
unsigned kindCodeOf(const tagItemData* node);
// The icon id of a kind's tree rows.
unsigned treeIconOf(unsigned kind);
// The string id of a kind's default name.
unsigned kindStringId(unsigned kind);

// Whether a name is taken beyond the node's siblings (a screen's file, say).
using NameTaken = std::function<bool(const QString& name)>;
// `kindText` followed by the smallest n from 1 up that no name in `taken`
// has and `alsoTaken` (when given) does not refuse.
QString numberedName(const QString& kindText, const QStringList& taken, const NameTaken& alsoTaken = {});
// The default name of a node among its siblings (the global scene takes the bare text).
QString defaultNameFor(const tagItemData* node, const NameTaken& alsoTaken = {});
// The names of the node's siblings (the node itself not included).
QStringList siblingNames(const tagItemData* node);
QString nodeName(const tagItemData* node);

// The most sections a scene of the screen may show with the global scene's,
// by the controller's hardware id; 0 or less means "not known" (16 is used).
using SectionLimitSource = std::function<int(unsigned hardwareId)>;
SectionLimitSource catalogueSectionLimit();
int sectionLimitOf(const tagItemData* screen, const SectionLimitSource& source);

struct LimitCheck {
    bool allowed = true;
    int limit = 16;
    int total = 0;
    int global = 0;
    int scene = 0;
};
int sectionCount(const tagItemData* scene);
// May one more section go under the screen of node `n` (at the scene `n` picks)?
LimitCheck checkSectionLimit(const tagItemData* n, int limit);

// Where a dragged node goes when dropped on `target`.
struct DropPlan {
    enum Result { Move, Nothing, OtherScreen, OverLimit } result = Nothing;
    tagItemData* parent = nullptr;
    tagItemData* after = nullptr;   // null: first child
};
bool canDrag(const tagItemData* node);
DropPlan planDrop(tagItemData* dragged, tagItemData* target, int limit);

// Auto-scroll while dragging: direction -1 up, +1 down, 0 none, and the
// period in timer ticks.
struct AutoScroll {
    int direction = 0;
    int period = 0;
};
AutoScroll autoScrollFor(int y, int top, int bottom);

// The popup of the tree's context menu for a node (0 screen, 1 global scene,
// 2 scene, 3 section, 4 program-list window, 5 content-list window).
int contextPopupIndex(const tagItemData* node);

} // namespace editor
