#include "app/panels/PropertyEffectText.h"

#include "app/controls/Edits.h"
#include "app/panels/EffectTables.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <algorithm>

namespace panels {
namespace {
constexpr int kLabels[5] = {6115, 6116, 6117, 6118, 6119};

template <std::size_t N>
void fillEffects(QComboBox* combo, const std::array<EffectRow, N>& table)
{
    combo->clear();
    for (const EffectRow& r : effectRowsOfType(table, 0x100))
        combo->addItem(platform::langString(r.nameId), static_cast<int>(r.code));
    combo->setCurrentIndex(0);
}

controls::CRangeEdit* makeTimeEdit(QWidget* parent, int id, int lo, int hi)
{
    auto* e = withId(new controls::CRangeEdit(parent), id);
    e->setNumeric(true);
    e->SetSuffixFromResource(58100);
    e->SetRange(lo, hi);
    e->setText(QStringLiteral("20"));
    return e;
}

void selectCode(QComboBox* combo, int code)
{
    const int at = comboIndexOfData(combo, code);
    combo->setCurrentIndex(at < 0 ? 0 : at);
}
} // namespace

CPropertyEffectText::CPropertyEffectText(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

bool CPropertyEffectText::OnInitDialog()
{
    SetTitleFromResource(48246, false);
    m_entry = withId(new QComboBox(this), IdEntry);
    m_exit = withId(new QComboBox(this), IdExit);
    fillEffects(m_entry, kEntryEffects);
    fillEffects(m_exit, kExitEffects);
    m_entrySpeed = makeTimeEdit(this, IdEntrySpeed, 1, 65535);
    m_exitSpeed = makeTimeEdit(this, IdExitSpeed, 1, 65535);
    // A negative stay would reach the player as a huge delay.
    m_stay = makeTimeEdit(this, IdStay, 0, INT32_MAX);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    QWidget* fields[5] = {m_entry, m_entrySpeed, m_stay, m_exit, m_exitSpeed};
    for (int i = 0; i < 5; ++i) {
        grid->addWidget(makeLabel(kLabels[i]), i, 0);
        grid->addWidget(fields[i], i, 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    connect(m_entry, &QComboBox::activated, this, &CPropertyEffectText::onEntry);
    connect(m_exit, &QComboBox::activated, this, &CPropertyEffectText::onExit);
    connect(m_entrySpeed, &QLineEdit::textChanged, this, &CPropertyEffectText::onEntrySpeed);
    connect(m_exitSpeed, &QLineEdit::textChanged, this, &CPropertyEffectText::onExitSpeed);
    connect(m_stay, &QLineEdit::textChanged, this, &CPropertyEffectText::onStay);
    return true;
}

int CPropertyEffectText::OnNodeLoad(tagItemData* node)
{
    if (!node)
        return 0;
    m_node = node;
    LoadScope loading(*this);
    selectCode(m_entry, node->InEffect);
    m_entrySpeed->setText(QString::number(node->InSpeed));
    selectCode(m_exit, node->Item.OutEffect);
    m_exitSpeed->setText(QString::number(node->Item.OutSpeed));
    m_stay->setText(QString::number(node->PlayTime));
    return 1;
}

void CPropertyEffectText::onEntry(int index)
{
    if (canEdit() && index >= 0)
        m_node->InEffect = static_cast<std::uint8_t>(m_entry->itemData(index).toInt());
}

void CPropertyEffectText::onExit(int index)
{
    if (canEdit() && index >= 0)
        m_node->Item.OutEffect = static_cast<std::uint8_t>(m_exit->itemData(index).toInt());
}

void CPropertyEffectText::onEntrySpeed()
{
    if (canEdit())
        m_node->InSpeed = static_cast<std::uint16_t>(std::clamp(m_entrySpeed->GetValue(), 1, 65535));
}

void CPropertyEffectText::onExitSpeed()
{
    if (canEdit())
        m_node->Item.OutSpeed = static_cast<std::uint16_t>(std::clamp(m_exitSpeed->GetValue(), 1, 65535));
}

void CPropertyEffectText::onStay()
{
    if (canEdit())
        m_node->PlayTime = std::max(m_stay->GetValue(), 0);
}

} // namespace panels
