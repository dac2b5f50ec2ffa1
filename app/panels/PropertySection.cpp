#include "app/panels/PropertySection.h"

#include "app/spine/Messages.h"
#include "app/editor/CanvasGeometry.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

namespace panels {
namespace {
constexpr int kEditIds[4] = {CPropertySection::IdX, CPropertySection::IdY, CPropertySection::IdWidth,
                             CPropertySection::IdHeight};
constexpr int kSectionLabelIds[4] = {6088, 6089, 6090, 6091};
} // namespace

CPropertySection::CPropertySection(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

bool CPropertySection::OnInitDialog()
{
    SetTitleFromResource(48244, false);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(makeLabel(kSectionLabelIds[i]), i, 0);
        m_spins[i] = withId(new QSpinBox(this), kEditIds[i]);
        // Positions run 0 to 4096; sizes 0 to 4096 in steps of two.
        m_spins[i]->setRange(0, 4096);
        m_spins[i]->setSingleStep(i < 2 ? 1 : 2);
        m_spins[i]->setValue(0);
        grid->addWidget(m_spins[i], i, 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    connect(m_spins[0], &QSpinBox::valueChanged, this, [this] { onPosition(true); });
    connect(m_spins[1], &QSpinBox::valueChanged, this, [this] { onPosition(false); });
    connect(m_spins[2], &QSpinBox::valueChanged, this, [this] { onSize(true); });
    connect(m_spins[3], &QSpinBox::valueChanged, this, [this] { onSize(false); });
    // A smaller size is refused as the canvas refuses it; the edit goes back
    // to the last size when the typing ends.
    m_spins[2]->setMinimum(editor::kMinSectionLeds);
    m_spins[3]->setMinimum(editor::kMinSectionLeds);
    return true;
}

int CPropertySection::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoad(node ? node : m_node);
    if (!loading)
        return 0;
    const SectionBlock& s = m_node->Section;
    m_spins[0]->setValue(s.RectX);
    m_spins[1]->setValue(s.RectY);
    m_spins[2]->setValue(s.RectW);
    m_spins[3]->setValue(s.RectH);
    return 1;
}

void CPropertySection::setQuietly(QSpinBox* spin, int value)
{
    if (spin->value() == value)
        return;
    QSignalBlocker block(spin);
    spin->setValue(value);
}

void CPropertySection::onPosition(bool isX)
{
    if (!canEdit())
        return;
    SectionBlock& s = m_node->Section;
    const int v = m_spins[isX ? 0 : 1]->value();
    if (v == (isX ? s.RectX : s.RectY))
        return;
    writeNode(spine::NodeChange::Geometry,
              [&] { core().ChangeItemRect(m_node, isX ? v : s.RectX, isX ? s.RectY : v, s.RectW, s.RectH); });
    // What the core kept goes back into both position edits.
    setQuietly(m_spins[0], s.RectX);
    setQuietly(m_spins[1], s.RectY);
}

void CPropertySection::onSize(bool isWidth)
{
    if (!m_node)
        return;
    if (!isLoading()) {
        SectionBlock& s = m_node->Section;
        QSpinBox* edit = m_spins[isWidth ? 2 : 3];
        const int typed = edit->value();
        const int v = std::max(roundUpEven(typed), editor::kMinSectionLeds);
        if (v != (isWidth ? s.RectW : s.RectH)) {
            writeNode(spine::NodeChange::Geometry, [&] {
                core().ChangeItemRect(m_node, s.RectX, s.RectY, isWidth ? v : s.RectW, isWidth ? s.RectH : v);
            });
            setQuietly(m_spins[0], s.RectX);
            setQuietly(m_spins[1], s.RectY);
            // Only a size the core cut shows back; a typed odd size stays as typed.
            const int kept = isWidth ? s.RectW : s.RectH;
            if (kept < typed)
                setQuietly(edit, kept);
        }
    }
    // A rich-text item of the window wraps again at the new width.
    if (isWidth)
        spine::TextWrapWidth::send(parentWidget(), 0, 0);
}

} // namespace panels
