#pragma once
// Base of the property panels: the node being edited, the loading flag, the
// WM_NODE_LOAD entry and the deletion notice. Change handlers check
// canEdit() first, so loading never writes back and an unloaded panel
// writes nothing.
#include "app/controls/ComboFill.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/PropertyPanel.h"
#include "app/panels/PanelHost.h"

#include <QString>

class QComboBox;
class QLabel;
class QLayout;
struct tagItemData;

namespace panels {

// One control bound to one node field: how the field reads, how a value is
// written (clamped to the field), and whether the change alters the picture.
struct FieldBinding {
    int controlId;
    qint64 (*read)(const tagItemData& node);
    void (*write)(tagItemData& node, qint64 value);
    bool repaint;
};

class CPanelBase : public controls::CPropertyPanel {
    Q_OBJECT
public:
    CPanelBase(unsigned templateId, PanelContext ctx, QWidget* parent);

    // Builds the controls (OnInitDialog) as a child of the parent.
    bool Create(QWidget* parent) { return CModelessDialog::Create(templateId(), parent); }

    tagItemData* node() const { return m_node; }
    bool isLoading() const { return m_loading; }

    // WM_NODE_LOAD: the value the message returns.
    virtual int OnNodeLoad(tagItemData* node) = 0;
    // The node (with its subtree) is about to be freed: a panel holding it,
    // or a node under it, lets go of it.
    virtual void OnNodeDeleting(tagItemData* node);

protected:
    bool event(QEvent* e) override;
    bool canEdit() const { return m_node && !m_loading; }
    // A control's change through its binding: nothing without a node or
    // while loading; then the field, then the repaint when the binding asks.
    void writeBinding(const FieldBinding& b, qint64 value);
    void repaint() { repaintNode(m_ctx, m_node); }
    CCore& core() const { return m_ctx.core; }

    // Raises the loading flag for its lifetime; the flag is down afterwards.
    class LoadScope {
    public:
        explicit LoadScope(CPanelBase& p) : m_p(p) { m_p.m_loading = true; }
        ~LoadScope() { m_p.m_loading = false; }
        LoadScope(const LoadScope&) = delete;
        LoadScope& operator=(const LoadScope&) = delete;

    private:
        CPanelBase& m_p;
    };

    // The text of one of this panel's controls in the language pack.
    QString dialogText(unsigned controlId) const;
    // A label with its control id and its text from the pack.
    QLabel* makeLabel(int controlId);
    // The margins and row spacing of a panel's own layout: under the title
    // bar, and tight enough for the pane's height.
    static void setPanelMargins(QLayout* layout);

    PanelContext m_ctx;
    tagItemData* m_node = nullptr;

private:
    bool m_loading = true;
};

// True for the global scene, which has no picture, play mode or schedule.
bool isGlobalScene(tagItemData* node);
// True when `node` is `root` or lies below it.
bool isSameOrBelow(const tagItemData* node, const tagItemData* root);

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
