#include "app/panels/PanelProperty.h"

#include "app/spine/Messages.h"
#include "app/panels/PropertyPages.h"
#include "core/api/Nodes.h"

#include <QScrollArea>

namespace panels {

CPanelProperty::CPanelProperty(PanelContext ctx, QWidget* parent)
    : QWidget(parent),
      m_screen(new CPropertyScreen(ctx, this)),
      m_scene(new CPropertyScene(ctx, this)),
      m_window(new CPropertySubwnd(ctx, this))
{
    m_screen->hide();
    m_scene->hide();
    m_window->hide();
    spine::NodeNotices& n = spine::notices();
    connect(&n, &spine::NodeNotices::nodeChanged, this,
            &CPanelProperty::OnNodeChanged);
    connect(&n, &spine::NodeNotices::nodeDeleting, this, &CPanelProperty::OnNodeDeleting);
}

CPanelProperty::~CPanelProperty()
{
    // Window page first, then scene page, then screen page.
    delete m_window;
    delete m_scene;
    delete m_screen;
}

bool CPanelProperty::event(QEvent* e)
{
    if (spine::NodeSelect::dispatch(e, [this](tagItemData* node) { return OnNodeSelect(node); }))
        return true;
    return QWidget::event(e);
}

void CPanelProperty::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    for (QWidget* p : {static_cast<QWidget*>(m_screen), static_cast<QWidget*>(m_scene), static_cast<QWidget*>(m_window)})
        p->setGeometry(rect());
}

QSize CPanelProperty::minimumSizeHint() const
{
    return m_current ? m_current->minimumSizeHint().expandedTo(QSize(0, 0)) : QSize(0, 0);
}

int CPanelProperty::OnNodeSelect(tagItemData* node)
{
    CPropertyPage* choice = nullptr;
    if (node) {
        switch (node->Level) {
        case LEVEL_ROOT: choice = m_screen; break;
        case LEVEL_SCENE: choice = m_scene; break;
        case LEVEL_SECTION: choice = m_window; break;
        default: break;
        }
    }
    if (choice != m_current) {
        if (m_current)
            m_current->hide();
        m_current = choice;
        if (m_current)
            m_current->show();
        updateGeometry();
    }
    if (m_current)
        spine::NodeSelect::send(m_current, node);
    return 1;
}

void CPanelProperty::OnNodeChanged(tagItemData* node, spine::NodeChanges what, const QObject* origin)
{
    const bool below = what & spine::NodeChange::Geometry;
    for (CPropertyPage* page : {static_cast<CPropertyPage*>(m_screen), static_cast<CPropertyPage*>(m_scene),
                                static_cast<CPropertyPage*>(m_window)})
        for (CPanelBase* p : page->panels()) {
            tagItemData* shown = p->node();
            if (!shown || p == origin || !(p->shownChanges() & what))
                continue;
            if (shown == node || (below && isSameOrBelow(shown, node)))
                spine::NodeLoad::send(p, shown);
        }
}

void CPanelProperty::OnNodeDeleting(tagItemData* node)
{
    for (CPropertyPage* p : {static_cast<CPropertyPage*>(m_screen), static_cast<CPropertyPage*>(m_scene),
                             static_cast<CPropertyPage*>(m_window)})
        p->OnNodeDeleting(node);
}

} // namespace panels

QScrollArea* panels::makePaneScroller(CPanelProperty* pane, QWidget* parent)
{
    auto* scroller = new QScrollArea(parent);
    scroller->setObjectName(QStringLiteral("propertyScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroller->setWidget(pane);
    return scroller;
}
