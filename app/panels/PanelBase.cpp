#include "app/panels/PanelBase.h"

#include "app/spine/Messages.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"
#include "platform/ProfileIni.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace panels {

void repaintNode(const PanelContext& ctx, tagItemData* node)
{
    if (!node)
        return;
    if (ctx.core.Paint(node) != 0 && ctx.host)
        ctx.host->repaintNode(node);
}

CPanelBase::CPanelBase(unsigned templateId, PanelContext ctx, QWidget* parent)
    : controls::CPropertyPanel(templateId), m_ctx(ctx)
{
    setParent(parent);
    // The main frame finds a panel by its template id.
    setObjectName(QString::number(templateId));
}

void CPanelBase::OnNodeDeleting(tagItemData* node)
{
    if (node && m_node && isSameOrBelow(m_node, node))
        m_node = nullptr;
}

bool CPanelBase::event(QEvent* e)
{
    if (spine::NodeLoad::dispatch(e, [this](tagItemData* node) { return OnNodeLoad(node); }))
        return true;
    const bool done = controls::CPropertyPanel::event(e);
    // Controls shown or hidden change the panel's minimum: the pages have no
    // layout, so tell them and the pane up to the scroll area holding it.
    if (e->type() == QEvent::LayoutRequest)
        for (QWidget* w = this; w && !w->isWindow(); w = w->parentWidget()) {
            w->updateGeometry();
            if (w->parentWidget() && qobject_cast<QAbstractScrollArea*>(w->parentWidget()->parentWidget()))
                break;
        }
    return done;
}

void CPanelBase::writeBinding(const FieldBinding& b, qint64 value)
{
    if (!canEdit())
        return;
    b.write(*m_node, value);
    if (b.repaint)
        repaint();
}

QString CPanelBase::dialogText(unsigned controlId) const
{
    return platform::langDialogText(templateId(), controlId);
}

QLabel* CPanelBase::makeLabel(int controlId)
{
    return withId(new QLabel(dialogText(static_cast<unsigned>(controlId)), this), controlId);
}

void CPanelBase::setPanelMargins(QLayout* layout)
{
    layout->setContentsMargins(8, 24, 8, 4);
    layout->setSpacing(4);
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        grid->setHorizontalSpacing(6);
}

bool isGlobalScene(tagItemData* node)
{
    return node && CCore::IsGlobalScene(node) == 1;
}

bool isSameOrBelow(const tagItemData* node, const tagItemData* root)
{
    for (const tagItemData* n = node; n; n = n->Parent)
        if (n == root)
            return true;
    return false;
}

} // namespace panels
