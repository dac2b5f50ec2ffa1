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

qint64 clampTo(qint64 v, qint64 lo, qint64 hi)
{
    return std::clamp(v, lo, hi);
}

void selectCode(QComboBox* combo, int code)
{
    const int at = controls::FindComboItemByData(combo, code);
    combo->setCurrentIndex(at < 0 ? 0 : at);
}
} // namespace

CPropertyEffectText::CPropertyEffectText(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

std::span<const FieldBinding> CPropertyEffectText::bindings()
{
    static const FieldBinding table[] = {
        {IdEntry, [](const tagItemData& n) -> qint64 { return n.InEffect; },
         [](tagItemData& n, qint64 v) { n.InEffect = std::uint8_t(clampTo(v, 0, 255)); }, false},
        {IdEntrySpeed, [](const tagItemData& n) -> qint64 { return n.InSpeed; },
         [](tagItemData& n, qint64 v) { n.InSpeed = std::uint16_t(clampTo(v, 1, 65535)); }, false},
        {IdExitSpeed, [](const tagItemData& n) -> qint64 { return n.Item.OutSpeed; },
         [](tagItemData& n, qint64 v) { n.Item.OutSpeed = std::uint16_t(clampTo(v, 1, 65535)); }, false},
        {IdExit, [](const tagItemData& n) -> qint64 { return n.Item.OutEffect; },
         [](tagItemData& n, qint64 v) { n.Item.OutEffect = std::uint8_t(clampTo(v, 0, 255)); }, false},
        // A negative stay would reach the player as a huge delay.
        {IdStay, [](const tagItemData& n) -> qint64 { return n.PlayTime; },
         [](tagItemData& n, qint64 v) { n.PlayTime = std::int32_t(clampTo(v, 0, INT32_MAX)); }, false},
    };
    return table;
}

bool CPropertyEffectText::OnInitDialog()
{
    SetTitleFromResource(48246, false);
    m_entry = withId(new QComboBox(this), IdEntry);
    m_exit = withId(new QComboBox(this), IdExit);
    fillEffects(m_entry, kEntryEffects);
    fillEffects(m_exit, kExitEffects);
    m_entrySpeed = makeTimeEdit(this, IdEntrySpeed, 1, 65535);
    m_exitSpeed = makeTimeEdit(this, IdExitSpeed, 1, 65535);
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
    const LoadScope loading = beginLoad(node);
    if (!loading)
        return 0;
    selectCode(m_entry, int(readBinding(bindings(), IdEntry)));
    m_entrySpeed->setText(QString::number(readBinding(bindings(), IdEntrySpeed)));
    selectCode(m_exit, int(readBinding(bindings(), IdExit)));
    m_exitSpeed->setText(QString::number(readBinding(bindings(), IdExitSpeed)));
    m_stay->setText(QString::number(readBinding(bindings(), IdStay)));
    return 1;
}

void CPropertyEffectText::onEntry(int index)
{
    if (index >= 0)
        writeBinding(bindings(), IdEntry, m_entry->itemData(index).toInt());
}

void CPropertyEffectText::onExit(int index)
{
    if (index >= 0)
        writeBinding(bindings(), IdExit, m_exit->itemData(index).toInt());
}

void CPropertyEffectText::onEntrySpeed()
{
    writeBinding(bindings(), IdEntrySpeed, m_entrySpeed->GetValue());
}

void CPropertyEffectText::onExitSpeed()
{
    writeBinding(bindings(), IdExitSpeed, m_exitSpeed->GetValue());
}

void CPropertyEffectText::onStay()
{
    writeBinding(bindings(), IdStay, m_stay->GetValue());
}

} // namespace panels
