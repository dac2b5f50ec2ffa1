#include "app/panels/PropertyCoolText.h"

#include "app/spine/Messages.h"
#include "app/controls/Edits.h"
#include "app/editor/CustomGif.h"
#include "app/panels/PropertyTextGif.h"
#include "core/api/TypeRecords.h"
#include "core/api/Nodes.h"
#include "core/api/ItemRecord.h"
#include "platform/LangPack.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace panels {
namespace {
namespace rec = records::textgif;
constexpr int kParameterMax = 5;
constexpr int kTimeMax = 32767;

controls::CRangeEdit* makeRangeEdit(QWidget* parent, int id, int hi, bool ms)
{
    auto* e = withId(new controls::CRangeEdit(parent), id);
    e->setNumeric(true);
    if (ms)
        e->SetSuffixFromResource(58100);
    e->SetRange(0, hi);
    e->setText(QStringLiteral("0"));
    return e;
}

QLabel* makeLabelOf(QWidget* parent, unsigned templateId, int id)
{
    return withId(new QLabel(platform::langDialogText(templateId, unsigned(id)), parent), id);
}

int rowOf(const QComboBox* combo, int effectId)
{
    const int at = controls::FindComboItemByData(combo, effectId);
    return at < 0 ? 0 : at;
}
} // namespace

void fillTextEffects(QComboBox* combo)
{
    combo->clear();
    for (const TextEffectRow& r : kTextEffects)
        combo->addItem(platform::langString(r.nameId), int(r.id));
    combo->setCurrentIndex(0);
}

void runAnimationDialog(const PanelContext& ctx, tagItemData* item, QWidget* parent)
{
    if (!item || item->Item.TypeCode != IT_TEXTGIF || !item->Item.TypeRecord)
        return;
    // The dialog shows the item as the pane's panels have it, typing included.
    spine::notices().flushPendingEdits();
    {
        editor::CCustomGif dlg(item, parent);
        auto* text = new CPropertyTextGif(ctx, nullptr);
        text->setEffectButtonShown(false);
        text->setNotifyTarget(&dlg);
        text->Create(&dlg);
        dlg.setTextPanel(text);
        auto* effect = new CPropertyGifEffect(&dlg, nullptr);
        effect->Create(&dlg);
        dlg.setEffectPanel(effect);
        dlg.exec();
        // The dialog writes the frame count it showed as it goes.
    }
    // Every window showing the item follows what the dialog changed: the
    // pane's panels (the effect chosen there among them) and the canvas.
    spine::announce(ctx.core, item, spine::NodeChange::Content);
}

// ---- CPropertyCoolText ----

CPropertyCoolText::CPropertyCoolText(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

std::span<const FieldBinding> CPropertyCoolText::bindings()
{
    static const FieldBinding table[] = {
        {IdStay, [](const tagItemData& n) -> qint64 { return n.PlayTime; },
         [](tagItemData& n, qint64 v) { n.PlayTime = std::int32_t(std::clamp<qint64>(v, 0, kTimeMax)); }, false},
        recordField<rec::Delay, 0, kTimeMax>(IdInterval, false),
        recordField<rec::Repeat, 0, kParameterMax>(IdParameter, false),
        recordField<rec::Effect, 0, UINT16_MAX>(IdEffect, true),
    };
    return table;
}

bool CPropertyCoolText::OnInitDialog()
{
    SetTitleFromResource(63003, true);
    m_stay = makeRangeEdit(this, IdStay, kTimeMax, true);
    m_interval = makeRangeEdit(this, IdInterval, kTimeMax, true);
    m_parameter = makeRangeEdit(this, IdParameter, kParameterMax, false);
    m_effect = withId(new QComboBox(this), IdEffect);
    fillTextEffects(m_effect);
    auto* dialogButton = withId(new QPushButton(dialogText(IdEffectDialog), this), IdEffectDialog);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    const std::pair<int, QWidget*> rows[] = {
        {6254, m_effect}, {6256, m_parameter}, {6257, m_interval}, {6253, m_stay}};
    int r = 0;
    for (const auto& [label, field] : rows) {
        grid->addWidget(makeLabel(label), r, 0);
        grid->addWidget(field, r++, 1);
    }
    grid->addWidget(dialogButton, r++, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(r, 1);

    connect(m_effect, &QComboBox::activated, this, &CPropertyCoolText::onEffect);
    for (controls::CRangeEdit* e : {m_parameter, m_interval, m_stay})
        connect(e, &QLineEdit::textChanged, this, [this, e] { writeBinding(bindings(), controls::controlId(e), e->GetValue()); });
    connect(dialogButton, &QAbstractButton::clicked, this, &CPropertyCoolText::onEffectDialog);
    return true;
}

int CPropertyCoolText::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoad(node, {IT_TEXTGIF});
    if (!loading)
        return 0;
    m_stay->setText(QString::number(readBinding(bindings(), IdStay)));
    if (m_record) {
        // An id outside the table shows the first row and is kept until a row is chosen.
        m_effect->setCurrentIndex(rowOf(m_effect, int(readBinding(bindings(), IdEffect))));
        m_interval->setText(QString::number(readBinding(bindings(), IdInterval)));
        m_parameter->setText(QString::number(readBinding(bindings(), IdParameter)));
    }
    return 1;
}

void CPropertyCoolText::onEffect(int index)
{
    if (index >= 0)
        writeBinding(bindings(), IdEffect, m_effect->itemData(index).toInt());
}

void CPropertyCoolText::onEffectDialog()
{
    if (!canWrite())
        return;
    runAnimationDialog(m_ctx, m_node, this);
}

// ---- CPropertyGifEffect ----

CPropertyGifEffect::CPropertyGifEffect(editor::CCustomGif* owner, QWidget* parent)
    : controls::CModelessDialog(parent), m_owner(owner)
{
}

ItemRecord* CPropertyGifEffect::record() const
{
    tagItemData* item = m_owner ? m_owner->item() : nullptr;
    return item ? item->Item.TypeRecord : nullptr;
}

bool CPropertyGifEffect::OnInitDialog()
{
    m_effect = withId(new QComboBox(this), IdEffect);
    fillTextEffects(m_effect);
    m_parameter = makeRangeEdit(this, IdParameter, kParameterMax, false);
    m_parameter->setText(QStringLiteral("1"));
    m_interval = makeRangeEdit(this, IdInterval, kTimeMax, true);
    m_interval->setText(QStringLiteral("1"));
    if (const ItemRecord* r = record()) {
        m_effect->setCurrentIndex(rowOf(m_effect, r->get(rec::Effect)));
        m_parameter->setText(QString::number(r->get(rec::Repeat)));
        m_interval->setText(QString::number(r->get(rec::Delay)));
    }
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    const std::pair<int, QWidget*> rows[] = {{6254, m_effect}, {6256, m_parameter}, {6257, m_interval}};
    int r = 0;
    for (const auto& [label, field] : rows) {
        grid->addWidget(makeLabelOf(this, kTemplate, label), r, 0);
        grid->addWidget(field, r++, 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(r, 1);
    connect(m_effect, &QComboBox::activated, this, &CPropertyGifEffect::onEffect);
    connect(m_parameter, &QLineEdit::textChanged, this, &CPropertyGifEffect::onParameter);
    connect(m_interval, &QLineEdit::textChanged, this, &CPropertyGifEffect::onInterval);
    return true;
}

void CPropertyGifEffect::onEffect(int index)
{
    if (m_owner && index >= 0)
        m_owner->ResetFrames(m_effect->itemData(index).toInt());
}

void CPropertyGifEffect::onParameter()
{
    if (ItemRecord* r = record())
        r->set(rec::Repeat, std::uint16_t(std::clamp(m_parameter->GetValue(), 0, kParameterMax)));
}

void CPropertyGifEffect::onInterval()
{
    ItemRecord* r = record();
    if (!r)
        return;
    r->set(rec::Delay, std::uint32_t(std::clamp(m_interval->GetValue(), 0, kTimeMax)));
    // A running animation takes the new period at once.
    if (m_owner->isPlaying()) {
        spine::GifNavCommand::send(m_owner, editor::GIFNAV_STOP, 0);
        spine::GifNavCommand::send(m_owner, editor::GIFNAV_PLAY, 0);
    }
}

} // namespace panels
