#include "app/panels/PanelBase.h"

#include "app/panels/FontChoice.h"
#include "app/spine/Messages.h"
#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"
#include "platform/ProfileIni.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressDialog>

namespace panels {

CPanelBase::CPanelBase(unsigned templateId, PanelContext ctx, QWidget* parent)
    : controls::CPropertyPanel(templateId), m_ctx(ctx)
{
    setParent(parent);
    // The main frame finds a panel by its template id.
    setObjectName(QString::number(templateId));
    connect(&spine::notices(), &spine::NodeNotices::pendingEditsFlushed, this, [this] { flushPendingEdit(); });
}

void CPanelBase::hideEvent(QHideEvent* e)
{
    flushPendingEdit();
    controls::CPropertyPanel::hideEvent(e);
}

void CPanelBase::OnNodeDeleting(tagItemData* node)
{
    if (node && m_node && isSameOrBelow(m_node, node)) {
        m_node = nullptr;
        m_record = nullptr;
    }
}

CPanelBase::LoadScope CPanelBase::beginLoad(tagItemData* node, std::initializer_list<std::uint16_t> kinds)
{
    if (!node)
        return LoadScope();
    m_node = node;
    const bool item = node->Level == LEVEL_PROGRAM && std::find(kinds.begin(), kinds.end(), node->Item.TypeCode) != kinds.end();
    m_record = item ? node->Item.TypeRecord : nullptr;
    return LoadScope(*this);
}

CPanelBase::LoadScope CPanelBase::beginLoadOf(tagItemData* node, bool (*fits)(tagItemData*))
{
    m_record = nullptr;
    if (!node || !fits(node)) {
        m_node = nullptr;
        return LoadScope();
    }
    m_node = node;
    return LoadScope(*this);
}

FaceNames CPanelBase::faceNames() const
{
    return faceNamesFor(core().GetCurLang());
}

bool CPanelBase::chooseRecordFont(records::Font font, records::U32 colour)
{
    if (!canWrite())
        return false;
    LOGFONT f = m_record->get(font);
    platform::COLORREF c = m_record->get(colour);
    if (!chooseFontAndColour(this, f, c))
        return false;
    m_record->set(font, f);
    m_record->set(colour, c);
    return true;
}

bool CPanelBase::event(QEvent* e)
{
    if (spine::NodeLoad::dispatch(e, [this](tagItemData* node) {
            flushPendingEdit();   // an edit held for the node shown so far goes to that node
            return OnNodeLoad(node);
        }))
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

QProgressDialog* CPanelBase::makeImportProgress(unsigned labelId, int maximum)
{
    auto* progress = new QProgressDialog(platform::langString(labelId), platform::langString(48333), 0, maximum, this);
    progress->setWindowTitle(title());
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(1000);
    progress->setValue(0);
    return progress;
}

bool CPanelBase::writeBinding(const FieldBinding& b, qint64 value)
{
    if (!canEdit() || (b.needsRecord && !m_record) || !b.write)
        return false;
    spine::writeNode(core(), m_node, changesOf(b), [&] { b.write(*m_node, value); }, this);
    return true;
}

void CPanelBase::announce(spine::NodeChanges what)
{
    spine::announce(core(), m_node, what, this);
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

bool isOwnScene(tagItemData* node)
{
    return node && !isGlobalScene(node);
}

bool isScreen(tagItemData* node)
{
    return CCore::IsRoot(node) == 1;
}

ItemRecord& recordOf(const tagItemData& node)
{
    return *node.Item.TypeRecord;
}

namespace detail {
qint64 readRecord(const ItemRecord& r, records::U8 f) { return r.get(f); }
qint64 readRecord(const ItemRecord& r, records::U16 f) { return r.get(f); }
qint64 readRecord(const ItemRecord& r, records::U32 f) { return r.get(f); }
void writeRecord(ItemRecord& r, records::U8 f, std::uint8_t v) { r.set(f, v); }
void writeRecord(ItemRecord& r, records::U16 f, std::uint16_t v) { r.set(f, v); }
void writeRecord(ItemRecord& r, records::U32 f, std::uint32_t v) { r.set(f, v); }
} // namespace detail

bool isSameOrBelow(const tagItemData* node, const tagItemData* root)
{
    for (const tagItemData* n = node; n; n = n->Parent)
        if (n == root)
            return true;
    return false;
}

} // namespace panels
