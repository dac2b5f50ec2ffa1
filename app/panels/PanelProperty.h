#pragma once
// The property pane: shows the page of the selected node's level (screen,
// scene or window) and passes the selection on to it. The main frame docks
// it and forwards the tree's selection and deletion notices.
#include "app/panels/PanelHost.h"

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
    // WM_NODE_LOAD: the node's settings changed outside the panels (a canvas
    // drag, a command, a dialog); every panel showing it reloads. 1 always.
    int OnNodeChanged(tagItemData* node);

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
