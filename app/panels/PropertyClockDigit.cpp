#include "app/panels/PropertyClockDigit.h"

#include "app/controls/Edits.h"
#include "app/panels/FontChoice.h"
#include "core/api/TypeRecords.h"
#include "core/api/Nodes.h"
#include "core/api/ItemRecord.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace panels {
namespace {
namespace rec = records::clockdigit;
using C = CPropertyClockDigit;

controls::CRangeEdit* makeMsEdit(QWidget* parent, int id, int lo, int hi)
{
    auto* e = withId(new controls::CRangeEdit(parent), id);
    e->setNumeric(true);
    e->SetSuffixFromResource(58100);
    e->SetRange(lo, hi);
    e->setText(QStringLiteral("0"));
    return e;
}
} // namespace

bool setBoundedText(ItemRecord& record, records::Chars field, const QString& text)
{
    return record.set(field, text.left(qsizetype(field.MaxLength())));
}

CPropertyClockDigit::CPropertyClockDigit(PanelContext ctx, QWidget* parent)
    : CPanelBase(kTemplate, ctx, parent)
{
}

std::span<const FieldBinding> CPropertyClockDigit::bindings()
{
    // Each option's pair of radios writes 0 (first) or 1 (second).
    static const FieldBinding table[] = {
        {IdStay, [](const tagItemData& n) -> qint64 { return n.PlayTime; },
         [](tagItemData& n, qint64 v) { n.PlayTime = std::int32_t(std::clamp<qint64>(v, 0, 32767)); }, false},
        {IdSpeed, [](const tagItemData& n) -> qint64 { return n.InSpeed; },
         [](tagItemData& n, qint64 v) { n.InSpeed = std::uint16_t(std::clamp<qint64>(v, 0, 999)); }, false},
        recordField<rec::DateFormat, 0, UINT32_MAX>(IdStyle, true),
        recordFlag<rec::ShowFlags, 1u>(C::IdFirstPart, true),
        recordFlag<rec::ShowFlags, 2u>(C::IdFirstPart + 1, true),
        recordFlag<rec::ShowFlags, 4u>(C::IdFirstPart + 2, true),
        recordFlag<rec::ShowFlags, 8u>(C::IdFirstPart + 3, true),
        recordFlag<rec::ShowFlags, 16u>(C::IdFirstPart + 4, true),
        recordFlag<rec::ShowFlags, 32u>(C::IdFirstPart + 5, true),
        recordFlag<rec::ShowFlags, 64u>(C::IdFirstPart + 6, true),
        recordFlag<rec::ShowFlags, 128u>(C::IdFirstPart + 7, true),
        recordField<rec::TimeFormat, 0, 1>(C::IdOptionA0, true),
        recordField<rec::Hour12, 0, 1>(C::IdOptionA0 + 2, true),
        recordField<rec::TwoDigitYear, 0, 1>(C::IdOptionA0 + 4, true),
    };
    return table;
}

bool CPropertyClockDigit::OnInitDialog()
{
    SetTitleFromResource(48248, false);
    // Three blocks side by side, five rows high: format, text and timing;
    // the parts shown; the styles and the effect.
    auto* grid = new QGridLayout(this);
    setPanelMargins(grid);

    grid->addWidget(makeLabel(6183), 0, 0);
    m_style = withId(new QComboBox(this), IdStyle);
    controls::FillComboFromResource(48267, m_style);
    grid->addWidget(m_style, 0, 1);
    m_font = withId(new QPushButton(dialogText(IdFont), this), IdFont);
    grid->addWidget(m_font, 1, 1);
    grid->addWidget(makeLabel(6203), 2, 0);
    m_text = withId(new QLineEdit(this), IdText);
    m_text->setMaxLength(int(rec::Title.MaxLength()));
    grid->addWidget(m_text, 2, 1);
    m_speedLabel = makeLabel(IdSpeedLabel);
    m_speed = makeMsEdit(this, IdSpeed, 0, 999);
    grid->addWidget(m_speedLabel, 3, 0);
    grid->addWidget(m_speed, 3, 1);
    grid->addWidget(makeLabel(6201), 4, 0);
    m_stay = makeMsEdit(this, IdStay, 0, 32767);
    grid->addWidget(m_stay, 4, 1);

    // The parts, two columns of four.
    auto* parts = new QGridLayout;
    parts->setVerticalSpacing(4);
    for (int i = 0; i < 8; ++i) {
        m_parts[std::size_t(i)] = withId(new QCheckBox(dialogText(unsigned(IdFirstPart + i)), this), IdFirstPart + i);
        parts->addWidget(m_parts[std::size_t(i)], i % 4, i / 4);
        connect(m_parts[std::size_t(i)], &QCheckBox::clicked, this,
                [this, i](bool on) { writeBinding(bindings(), IdFirstPart + i, on ? 1 : 0); });
    }
    grid->addLayout(parts, 0, 2, 4, 1, Qt::AlignTop);

    auto* options = new QVBoxLayout;
    options->setSpacing(4);
    for (int pair = 0; pair < 3; ++pair) {
        auto* box = new QGroupBox(this);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(4, 1, 4, 1);
        auto* group = new QButtonGroup(box);
        for (int v = 0; v < 2; ++v) {
            const int id = IdOptionA0 + 2 * pair + v;
            auto* r = withId(new QRadioButton(dialogText(unsigned(id)), box), id);
            m_options[std::size_t(2 * pair + v)] = r;
            group->addButton(r);
            row->addWidget(r);
            connect(r, &QRadioButton::clicked, this, [this, pair, v] { writeBinding(bindings(), IdOptionA0 + 2 * pair, v); });
        }
        options->addWidget(box);
    }

    auto* effects = new QHBoxLayout;
    auto* effectGroup = new QButtonGroup(this);
    const int ids[3] = {IdEffectStatic, IdEffectScroll, IdEffectMultiLine};
    const std::uint8_t codes[3] = {kStatic, kScroll, kMultiLine};
    for (int i = 0; i < 3; ++i) {
        m_effects[i] = withId(new QRadioButton(dialogText(unsigned(ids[i])), this), ids[i]);
        effectGroup->addButton(m_effects[i]);
        effects->addWidget(m_effects[i]);
        const std::uint8_t code = codes[i];
        connect(m_effects[i], &QRadioButton::clicked, this, [this, code] { onEffect(code); });
    }
    options->addLayout(effects);
    grid->addLayout(options, 0, 3, 5, 1, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    setSpeedEnabled(false);

    connect(m_style, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            writeBinding(bindings(), IdStyle, index);
    });
    connect(m_font, &QPushButton::clicked, this, &CPropertyClockDigit::onFont);
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (canWrite())
            writeContent([&] { setBoundedText(*m_record, rec::Title, t); });
    });
    connect(m_speed, &QLineEdit::textChanged, this, [this] { writeBinding(bindings(), IdSpeed, m_speed->GetValue()); });
    connect(m_stay, &QLineEdit::textChanged, this, [this] { writeBinding(bindings(), IdStay, m_stay->GetValue()); });
    return true;
}

void CPropertyClockDigit::setSpeedEnabled(bool on)
{
    m_speedLabel->setEnabled(on);
    m_speed->setEnabled(on);
}

int CPropertyClockDigit::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoad(node, {IT_CLOCKDIGIT});
    if (!loading)
        return 0;
    m_speed->SetValue(int(readBinding(bindings(), IdSpeed)));
    m_stay->SetValue(int(readBinding(bindings(), IdStay)));
    const int shown = node->InEffect == kStatic ? 0 : node->InEffect == kScroll ? 1 : 2;
    m_effects[shown]->setChecked(true);
    setSpeedEnabled(shown == 1);
    if (m_record) {
        m_style->setCurrentIndex(int(readBinding(bindings(), IdStyle)));
        for (int pair = 0; pair < 3; ++pair)
            m_options[std::size_t(2 * pair + (readBinding(bindings(), IdOptionA0 + 2 * pair) ? 1 : 0))]->setChecked(true);
        for (std::size_t i = 0; i < m_parts.size(); ++i)
            m_parts[i]->setChecked(readBinding(bindings(), IdFirstPart + int(i)) != 0);
        m_text->setText(m_record->get(rec::Title));
    } else {
        for (QCheckBox* c : m_parts)
            c->setChecked(true);
        m_text->clear();
    }
    update();
    return 1;
}

void CPropertyClockDigit::onEffect(std::uint8_t code)
{
    if (!canEdit())
        return;
    writeContent([&] {
        m_node->InEffect = code;
        if (m_record)
            m_record->set(rec::MultiLine, code == kMultiLine ? 1u : 0u);
    });
    setSpeedEnabled(code == kScroll);
}

void CPropertyClockDigit::onFont()
{
    if (chooseRecordFont(rec::TextFont, rec::Colour))
        announce();
}

} // namespace panels
