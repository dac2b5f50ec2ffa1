#pragma once
// Base of the property panels: the node being edited and its type record,
// the loading flag, the load prologue, the field bindings, the WM_NODE_LOAD
// entry and the deletion notice. Change handlers check canEdit() (node
// fields) or canWrite() (record fields) first, so loading never writes back
// and an unloaded panel writes nothing.
#include "app/controls/ComboFill.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/PropertyPanel.h"
#include "app/panels/PanelContext.h"
#include "app/panels/TextControls.h"
#include "app/spine/NodeNotice.h"

#include "core/api/TypeRecords.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <type_traits>
#include <utility>

class QComboBox;
class QProgressDialog;
class QLabel;
class QLayout;
struct tagItemData;
class ItemRecord;

namespace panels {

// One control bound to one field of the node (or of a part of it, such as a
// border element) or of its type record: how the field reads, how a value is
// written (clamped to the field; null for a field only shown), whether the
// change alters the picture, and whether it is written only while the panel
// holds a type record of its kind (record fields always are).
template <class Target>
struct FieldBindingOf {
    int controlId;
    qint64 (*read)(const Target& target);
    void (*write)(Target& target, qint64 value);
    bool repaint;
    bool needsRecord = false;
};
using FieldBinding = FieldBindingOf<tagItemData>;

// The binding of `controlId` in a table (each id stands there once); the
// first row when none has it.
template <class Target>
const FieldBindingOf<Target>& bindingOf(std::span<const FieldBindingOf<Target>> table, int controlId)
{
    for (const FieldBindingOf<Target>& b : table)
        if (b.controlId == controlId)
            return b;
    return table.front();
}
inline const FieldBinding& bindingOf(std::span<const FieldBinding> table, int controlId)
{
    return bindingOf<tagItemData>(table, controlId);
}

// The record of an item; bindings of record fields read and write through
// it, and are used only while the panel holds it.
ItemRecord& recordOf(const tagItemData& node);

namespace detail {
template <auto Block, auto Field, class Node>
auto& fieldOf(Node& n)
{
    if constexpr (Block == nullptr)
        return n.*Field;
    else
        return n.*Block.*Field;
}
template <class F>
struct FieldValue;
template <class T>
struct FieldValue<records::Field<T>> {
    using type = T;
};
qint64 readRecord(const ItemRecord& r, records::U8 f);
qint64 readRecord(const ItemRecord& r, records::U16 f);
qint64 readRecord(const ItemRecord& r, records::U32 f);
void writeRecord(ItemRecord& r, records::U8 f, std::uint8_t v);
void writeRecord(ItemRecord& r, records::U16 f, std::uint16_t v);
void writeRecord(ItemRecord& r, records::U32 f, std::uint32_t v);
} // namespace detail

// A whole number field of a block of the node (`node.*Block.*Field`), or of
// the node itself when Block is null, clamped to [Lo, Hi].
template <auto Block, auto Field, qint64 Lo, qint64 Hi>
constexpr FieldBinding nodeField(int controlId, bool repaint)
{
    return {controlId, [](const tagItemData& n) -> qint64 { return detail::fieldOf<Block, Field>(n); },
            [](tagItemData& n, qint64 v) {
                auto& f = detail::fieldOf<Block, Field>(n);
                f = std::remove_reference_t<decltype(f)>(std::clamp(v, Lo, Hi));
            },
            repaint};
}

// Flag bits of a field of a block of the node: 1 sets them, 0 clears them.
template <auto Block, auto Field, std::uint64_t Mask>
constexpr FieldBinding nodeFlag(int controlId, bool repaint)
{
    return {controlId, [](const tagItemData& n) -> qint64 { return (detail::fieldOf<Block, Field>(n) & Mask) ? 1 : 0; },
            [](tagItemData& n, qint64 v) {
                auto& f = detail::fieldOf<Block, Field>(n);
                f = std::remove_reference_t<decltype(f)>(v ? f | Mask : f & ~Mask);
            },
            repaint};
}

// A whole number field of the type record, clamped to [Lo, Hi].
template <auto F, qint64 Lo, qint64 Hi>
constexpr FieldBinding recordField(int controlId, bool repaint)
{
    using T = typename detail::FieldValue<std::remove_cv_t<decltype(F)>>::type;
    return {controlId, [](const tagItemData& n) -> qint64 { return detail::readRecord(recordOf(n), F); },
            [](tagItemData& n, qint64 v) { detail::writeRecord(recordOf(n), F, T(std::clamp<qint64>(v, Lo, Hi))); },
            repaint, true};
}

// Flag bits of a field of the type record: 1 sets them, 0 clears them.
template <auto F, std::uint64_t Mask>
constexpr FieldBinding recordFlag(int controlId, bool repaint)
{
    using T = typename detail::FieldValue<std::remove_cv_t<decltype(F)>>::type;
    return {controlId,
            [](const tagItemData& n) -> qint64 { return (std::uint64_t(detail::readRecord(recordOf(n), F)) & Mask) ? 1 : 0; },
            [](tagItemData& n, qint64 v) {
                const auto bits = std::uint64_t(detail::readRecord(recordOf(n), F));
                detail::writeRecord(recordOf(n), F, T(v ? bits | Mask : bits & ~Mask));
            },
            repaint, true};
}

class CPanelBase : public controls::CPropertyPanel {
    Q_OBJECT
public:
    CPanelBase(unsigned templateId, PanelContext ctx, QWidget* parent);

    // Builds the controls (OnInitDialog) as a child of the parent.
    bool Create(QWidget* parent) { return CModelessDialog::Create(templateId(), parent); }

    tagItemData* node() const { return m_node; }
    // The type record of the node loaded when it is an item of this panel's kind.
    const ItemRecord* record() const { return m_record; }
    bool isLoading() const { return m_loading; }

    // WM_NODE_LOAD: the value the message returns.
    virtual int OnNodeLoad(tagItemData* node) = 0;
    // The changes of its node that the panel shows: the pane loads it again
    // after a notice of one of them, unless the panel made the change itself.
    virtual spine::NodeChanges shownChanges() const { return spine::NodeChange::Content; }
    // What a write through a binding changes: the node's content when the
    // binding repaints, else nothing another window shows.
    virtual spine::NodeChanges changesOf(const FieldBinding& b) const
    {
        return b.repaint ? spine::NodeChanges(spine::NodeChange::Content) : spine::NodeChanges();
    }
    // The node (with its subtree) is about to be freed: a panel holding it,
    // or a node under it, lets go of it.
    virtual void OnNodeDeleting(tagItemData* node);
    // Writes an edit the panel holds back (typing stored a moment later) at
    // once: before another node is loaded, when the panel is hidden, and
    // whenever the tree is about to be read (spine::NodeNotices::flushPendingEdits).
    virtual void flushPendingEdit() {}

protected:
    bool event(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool canEdit() const { return m_node && !m_loading; }
    // canEdit() with a type record of this panel's kind.
    bool canWrite() const { return canEdit() && m_record; }
    // A control's change through its binding: nothing without a node (or
    // record, when the binding needs one) or while loading; then the field
    // through the write road, announced as a content change when the binding
    // repaints. True when it wrote.
    bool writeBinding(const FieldBinding& b, qint64 value);
    // The same by control id in a table.
    bool writeBinding(std::span<const FieldBinding> table, int controlId, qint64 value)
    {
        return writeBinding(bindingOf(table, controlId), value);
    }
    // What a binding reads from the node loaded.
    qint64 readBinding(std::span<const FieldBinding> table, int controlId) const
    {
        return bindingOf(table, controlId).read(*m_node);
    }
    // The write road for the node this panel shows: runs `write`, then
    // announces `what` as this panel's change (a content change has the
    // node's picture made again and the canvases show it).
    template <class Write>
    void writeNode(spine::NodeChanges what, Write&& write)
    {
        spine::writeNode(core(), m_node, what, std::forward<Write>(write), this);
    }
    template <class Write>
    void writeContent(Write&& write)
    {
        writeNode(spine::NodeChange::Content, std::forward<Write>(write));
    }
    // Announces a change this panel made to its node by another road (a
    // dialog or the core wrote it).
    void announce(spine::NodeChanges what = spine::NodeChange::Content);
    CCore& core() const { return m_ctx.core; }
    // Font boxes name Chinese faces by their Latin names for a reader of English.
    FaceNames faceNames() const;
    // The progress of an import: the pack's text `labelId`, a Cancel button,
    // shown once the import takes a second; 0..maximum, or busy for 0.
    QProgressDialog* makeImportProgress(unsigned labelId, int maximum);

    // Raises the loading flag for its lifetime; the flag is down afterwards.
    // One from beginLoad that gave up raises nothing and tests false.
    class LoadScope {
    public:
        explicit LoadScope(CPanelBase& p) : m_p(&p) { m_p->m_loading = true; }
        ~LoadScope()
        {
            if (m_p)
                m_p->m_loading = false;
        }
        LoadScope(const LoadScope&) = delete;
        LoadScope& operator=(const LoadScope&) = delete;
        explicit operator bool() const { return m_p != nullptr; }

    private:
        LoadScope() = default;
        friend class CPanelBase;
        CPanelBase* m_p = nullptr;
    };

    // The load prologue of an item panel. A null node gives up (the node
    // loaded so far stays); any other is taken, with its type record when it
    // is an item of one of `kinds` (else none), under the loading flag.
    [[nodiscard]] LoadScope beginLoad(tagItemData* node, std::initializer_list<std::uint16_t> kinds = {});
    // The load prologue of a panel of one kind of node: one that `fits`
    // refuses (or null) is let go of and the load gives up.
    [[nodiscard]] LoadScope beginLoadOf(tagItemData* node, bool (*fits)(tagItemData*));

    // The font dialog on a font and colour field of the record; true when
    // the operator chose, and both are stored.
    bool chooseRecordFont(records::Font font, records::U32 colour);

    // The text of one of this panel's controls in the language pack.
    QString dialogText(unsigned controlId) const;
    // A label with its control id and its text from the pack.
    QLabel* makeLabel(int controlId);
    // The margins and row spacing of a panel's own layout: under the title
    // bar, and tight enough for the pane's height.
    static void setPanelMargins(QLayout* layout);

    PanelContext m_ctx;
    tagItemData* m_node = nullptr;
    // Not owned: freed with its node.
    ItemRecord* m_record = nullptr;

private:
    bool m_loading = true;
};

// True for the global scene, which has no picture, play mode or schedule.
bool isGlobalScene(tagItemData* node);
// True for a scene other than the global one.
bool isOwnScene(tagItemData* node);
// True for a screen (the root of its tree).
bool isScreen(tagItemData* node);
// True when `node` is `root` or lies below it.
bool isSameOrBelow(const tagItemData* node, const tagItemData* root);

// What a slot of the seam registry made, when it is a T (anything else is
// freed); null when the slot is empty.
template <class T>
T* madeBySeam(const std::function<QObject*(QObject*)>& seam, QObject* parent)
{
    if (!seam)
        return nullptr;
    QObject* made = seam(parent);
    T* t = qobject_cast<T*>(made);
    if (!t)
        delete made;
    return t;
}

// Older spellings of the shared combo helpers (app/controls/ComboFill.h).
inline void fillComboFromString(QComboBox* combo, unsigned stringId)
{
    controls::FillComboFromResource(stringId, combo);
}
inline int comboIndexOfData(const QComboBox* combo, qint64 data)
{
    return controls::FindComboItemByData(combo, data);
}
using controls::withId;

} // namespace panels
