#include "app/panels/PropertyCount.h"

#include "app/controls/Edits.h"
#include "app/panels/FontChoice.h"
#include "app/panels/PropertyClockDigit.h"
#include "core/api/TypeRecords.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ItemRecord.h"
#include "platform/LangPack.h"
#include "app/spine/Seams.h"
#include "app/spine/SystemTime.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

#include <algorithm>

namespace panels {
namespace {
namespace rec = records::counter;
constexpr int kPartIds[4] = {CPropertyCount::IdDays, CPropertyCount::IdHours, CPropertyCount::IdMinutes,
                             CPropertyCount::IdSeconds};

QDateTime now()
{
    const auto clock = spine::seams().now;
    return clock ? clock() : QDateTime::currentDateTime();
}

using spine::fromSystemTime;
using spine::toSystemTime;

controls::CRangeEdit* makeMsEdit(QWidget* parent, int id)
{
    auto* e = withId(new controls::CRangeEdit(parent), id);
    e->setNumeric(true);
    e->SetSuffixFromResource(58100);
    e->SetRange(0, 32767);
    e->setText(QStringLiteral("0"));
    return e;
}
} // namespace

std::uint8_t CPropertyCount::effectCode(std::uint32_t direction, int position)
{
    return std::uint8_t((direction ? 76 : 66) + position);
}

std::uint8_t CPropertyCount::otherFamily(std::uint8_t code)
{
    if (code >= 66 && code <= 68)
        return std::uint8_t(code + 10);
    if (code >= 76 && code <= 78)
        return std::uint8_t(code - 10);
    return code;
}

QDateTime CPropertyCount::defaultMoment(std::uint32_t direction, const QDateTime& now)
{
    if (direction)
        return now;
    return QDateTime(now.addSecs(2592000).date(), QTime(0, 0));
}

CPropertyCount::CPropertyCount(PanelContext ctx, QWidget* parent)
    : CPanelBase(kTemplate, ctx, parent)
{
}

bool CPropertyCount::OnInitDialog()
{
    SetTitleFromResource(48249, false);
    // Five rows: direction, moment, text, effect and timing; the parts
    // shown stand in a column of their own.
    auto* grid = new QGridLayout(this);
    setPanelMargins(grid);

    auto* directions = new QButtonGroup(this);
    m_down = withId(new QRadioButton(dialogText(IdDown), this), IdDown);
    m_up = withId(new QRadioButton(dialogText(IdUp), this), IdUp);
    directions->addButton(m_down);
    directions->addButton(m_up);
    grid->addWidget(m_down, 0, 0, 1, 2);
    grid->addWidget(m_up, 0, 2, 1, 2);

    m_dateLabel = withId(new QLabel(platform::langString(32866), this), IdDateLabel);
    m_timeLabel = withId(new QLabel(platform::langString(32867), this), IdTimeLabel);
    m_date = withId(new QDateEdit(this), IdDate);
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_time = withId(new QTimeEdit(this), IdTime);
    m_time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    grid->addWidget(m_dateLabel, 1, 0);
    grid->addWidget(m_date, 1, 1);
    grid->addWidget(m_timeLabel, 1, 2);
    grid->addWidget(m_time, 1, 3);

    grid->addWidget(makeLabel(6219), 2, 0);
    m_text = withId(new QLineEdit(this), IdText);
    m_text->setMaxLength(int(rec::Title.MaxLength()));
    grid->addWidget(m_text, 2, 1, 1, 2);
    m_font = withId(new QPushButton(dialogText(IdFont), this), IdFont);
    grid->addWidget(m_font, 2, 3);

    auto* effects = new QHBoxLayout;
    auto* effectGroup = new QButtonGroup(this);
    const int ids[3] = {IdEffect1, IdEffect2, IdEffect3};
    for (int i = 0; i < 3; ++i) {
        m_effects[std::size_t(i)] = withId(new QRadioButton(dialogText(unsigned(ids[i])), this), ids[i]);
        effectGroup->addButton(m_effects[std::size_t(i)]);
        effects->addWidget(m_effects[std::size_t(i)]);
        connect(m_effects[std::size_t(i)], &QRadioButton::clicked, this, [this, i] { onEffect(i); });
    }
    grid->addLayout(effects, 3, 0, 1, 4);

    m_speedLabel = makeLabel(IdSpeedLabel);
    m_speed = makeMsEdit(this, IdSpeed);
    grid->addWidget(m_speedLabel, 4, 0);
    grid->addWidget(m_speed, 4, 1);
    grid->addWidget(makeLabel(6211), 4, 2);
    m_stay = makeMsEdit(this, IdStay);
    grid->addWidget(m_stay, 4, 3);

    // The parts' column comes last in the Tab order, as it stands on the right.
    auto* parts = new QVBoxLayout;
    parts->setSpacing(4);
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        m_parts[i] = withId(new QCheckBox(dialogText(unsigned(kPartIds[i])), this), kPartIds[i]);
        m_parts[i]->setChecked(true);
        parts->addWidget(m_parts[i]);
        connect(m_parts[i], &QCheckBox::clicked, this,
                [this, i](bool on) { writeBinding(bindings(), kPartIds[i], on ? 1 : 0); });
    }
    grid->addLayout(parts, 0, 4, 5, 1, Qt::AlignTop);
    grid->setRowStretch(5, 1);

    connect(m_down, &QRadioButton::clicked, this, [this] { onDirection(0); });
    connect(m_up, &QRadioButton::clicked, this, [this] { onDirection(1); });
    connect(m_date, &QDateEdit::dateChanged, this, &CPropertyCount::onPicker);
    connect(m_time, &QTimeEdit::timeChanged, this, &CPropertyCount::onPicker);
    connect(m_font, &QPushButton::clicked, this, &CPropertyCount::onFont);
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (canWrite())
            writeContent([&] { setBoundedText(*m_record, rec::Title, t); });
    });
    connect(m_speed, &QLineEdit::textChanged, this, [this] { writeBinding(bindings(), IdSpeed, m_speed->GetValue()); });
    connect(m_stay, &QLineEdit::textChanged, this, [this] { writeBinding(bindings(), IdStay, m_stay->GetValue()); });
    return true;
}

std::span<const FieldBinding> CPropertyCount::bindings()
{
    static const FieldBinding table[] = {
        // The speed belongs to the counter's effect, so only a counter takes it.
        {IdSpeed, [](const tagItemData& n) -> qint64 { return n.InSpeed; },
         [](tagItemData& n, qint64 v) { n.InSpeed = std::uint16_t(std::clamp<qint64>(v, 0, 32767)); }, false, true},
        {IdStay, [](const tagItemData& n) -> qint64 { return n.PlayTime; },
         [](tagItemData& n, qint64 v) { n.PlayTime = std::int32_t(std::clamp<qint64>(v, 0, 32767)); }, false},
        recordFlag<rec::Units, rec::Days>(IdDays, true),
        recordFlag<rec::Units, rec::Hours>(IdHours, true),
        recordFlag<rec::Units, rec::Minutes>(IdMinutes, true),
        recordFlag<rec::Units, rec::Seconds>(IdSeconds, true),
    };
    return table;
}

void CPropertyCount::setSpeedEnabled(bool on)
{
    m_speedLabel->setEnabled(on);
    m_speed->setEnabled(on);
}

int CPropertyCount::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoad(node, {IT_COUNT, IT_COUNT2});
    if (!loading)
        return 0;
    m_speed->SetValue(int(readBinding(bindings(), IdSpeed)));
    m_stay->SetValue(int(readBinding(bindings(), IdStay)));
    for (int i = 0; i < 3; ++i)
        if (node->InEffect == effectCode(0, i) || node->InEffect == effectCode(1, i)) {
            m_effects[std::size_t(i)]->setChecked(true);
            setSpeedEnabled(i == 1);
        }
    if (m_record) {
        (m_record->get(rec::CountMode) ? m_up : m_down)->setChecked(true);
        refreshMoment();
        m_text->setText(m_record->get(rec::Title));
        for (std::size_t i = 0; i < m_parts.size(); ++i)
            m_parts[i]->setChecked(readBinding(bindings(), kPartIds[i]) != 0);
    } else {
        for (QCheckBox* c : m_parts)
            c->setChecked(true);
        m_text->clear();
    }
    return 1;
}

void CPropertyCount::refreshMoment()
{
    const std::uint32_t direction = m_record->get(rec::CountMode);
    const QString dateLabel = platform::langString(direction ? 32864 : 32866);
    if (m_dateLabel->text() != dateLabel) {
        m_dateLabel->setText(dateLabel);
        m_timeLabel->setText(platform::langString(direction ? 32865 : 32867));
    }
    const std::uint32_t remote = momentToStore();
    if (remote != m_record->get(rec::Target))
        writeContent([&] { m_record->set(rec::Target, remote); });
    showMoment(fromSystemTime(core().RemoteToPCTime(remote)));
}

std::uint32_t CPropertyCount::momentToStore() const
{
    const std::uint32_t stored = m_record->get(rec::Target);
    const QDateTime moment = stored ? fromSystemTime(core().RemoteToPCTime(stored))
                                    : defaultMoment(m_record->get(rec::CountMode), now());
    return core().PCToRemoteTime(toSystemTime(moment));
}

void CPropertyCount::showMoment(const QDateTime& t)
{
    m_syncing = true;
    m_date->setDate(t.date());
    m_time->setTime(t.time());
    m_syncing = false;
}

void CPropertyCount::onEffect(int position)
{
    if (!canWrite())
        return;
    writeContent([&] {
        m_node->InEffect = effectCode(m_record->get(rec::CountMode), position);
        m_record->set(rec::MultiLine, position == 2 ? 1u : 0u);
    });
    setSpeedEnabled(position == 1);
}

void CPropertyCount::onDirection(std::uint32_t direction)
{
    if (!canWrite())
        return;
    writeContent([&] {
        m_record->set(rec::Target, 0u);
        m_record->set(rec::CountMode, direction);
        const std::uint8_t moved = otherFamily(m_node->InEffect);
        // Only a code of the other family moves; one already in this family stays.
        if ((direction == 1 && moved > m_node->InEffect) || (direction == 0 && moved < m_node->InEffect))
            m_node->InEffect = moved;
        m_record->set(rec::Target, momentToStore());
    });
    refreshMoment();
}

void CPropertyCount::onPicker()
{
    if (!canWrite() || m_syncing)
        return;
    const QDateTime moment(m_date->date(), m_time->time());
    const std::uint32_t remote = core().PCToRemoteTime(toSystemTime(moment));
    writeContent([&] {
        if (remote != m_record->get(rec::Target))
            m_record->set(rec::Target, remote);
    });
}

void CPropertyCount::onFont()
{
    if (chooseRecordFont(rec::TextFont, rec::Colour))
        announce();
}

} // namespace panels
