#pragma once
// The property pane: shows the page of the selected node's level (screen,
// scene or window) and passes the selection on to it. The main frame docks
// it; the tree's selection comes as WM_NODE_SELECT, and what happens to a
// node as the change notice.
#include "app/panels/PanelContext.h"
#include "app/spine/NodeNotice.h"

#include <QWidget>

class QScrollArea;

namespace panels {

// The pane's size in a main frame of its starting size (the frame's tests hold
// the two together); every panel is whole at this size.
inline constexpr QSize kPaneDefaultSize{876, 192};

class CPropertyPage;
class CPropertyScreen;
class CPropertyScene;
class CPropertySubwnd;

class CPanelProperty : public QWidget {
    Q_OBJECT
public:
    explicit CPanelProperty(PanelContext ctx, QWidget* parent = nullptr);
    ~CPanelProperty() override;

    // WM_NODE_SELECT: 1 always.
    int OnNodeSelect(tagItemData* node);
    // The node (with its subtree) is about to be freed: every panel that
    // holds it, or a node under it, lets go of it.
    void OnNodeDeleting(tagItemData* node);
    // The change notice: each panel that shows what changed loads its node
    // again, unless it made the change; after a new size or rectangle, also
    // the panels of the nodes below, which the core fitted to it.
    void OnNodeChanged(tagItemData* node, spine::NodeChanges what, const QObject* origin);

    CPropertyScreen* screenPage() const { return m_screen; }
    CPropertyScene* scenePage() const { return m_scene; }
    CPropertySubwnd* windowPage() const { return m_window; }
    CPropertyPage* currentPage() const { return m_current; }
    // The shown page's: a pane in a scroll area scrolls rather than squeeze it.
    QSize minimumSizeHint() const override;

    QSize sizeHint() const override { return {1100, 250}; }

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    CPropertyScreen* m_screen;
    CPropertyScene* m_scene;
    CPropertySubwnd* m_window;
    CPropertyPage* m_current = nullptr;
};

// The pane inside the scroll area the frame docks: a page larger than the area
// scrolls, sideways or down, rather than squeeze its panels. The area owns the pane.
QScrollArea* makePaneScroller(CPanelProperty* pane, QWidget* parent);

} // namespace panels
