#include "app/panels/PropertySceneTimer.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/Records.h"
#include "platform/LangPack.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimeEdit>
#include <climits>
#include <cstdint>
#include <utility>

namespace panels {

CPropertySceneTimer::CPropertySceneTimer(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

namespace {
template <int Box>
constexpr FieldBinding dayBinding()
{
    constexpr int bit = CPropertySceneTimer::kDayBits[Box];
    return nodeFlag<&tagItemData::Scene, &SceneBlock::ScheduleWeekdays, 1u << bit>(CPropertySceneTimer::IdFirstDay + Box,
                                                                                 false);
}
} // namespace

std::span<const FieldBinding> CPropertySceneTimer::bindings()
{
    static const FieldBinding table[] = {
        nodeFlag<&tagItemData::Scene, &SceneBlock::Schedule, 2>(IdWeekOn, false),
        nodeFlag<&tagItemData::Scene, &SceneBlock::Schedule, 4>(IdTimeOn, false),
        nodeField<&tagItemData::Scene, &SceneBlock::ScheduleDate, 0, UINT32_MAX>(IdDate, false),
        nodeField<&tagItemData::Scene, &SceneBlock::StartTime, 0, UINT16_MAX>(IdStart, false),
        nodeField<&tagItemData::Scene, &SceneBlock::EndTime, 0, UINT16_MAX>(IdEnd, false),
        dayBinding<0>(), dayBinding<1>(), dayBinding<2>(), dayBinding<3>(), dayBinding<4>(), dayBinding<5>(),
        dayBinding<6>(),
    };
    return table;
}

bool CPropertySceneTimer::OnInitDialog()
{
    SetTitleFromResource(48243, false);
    const int onIds[3] = {IdDateOn, IdWeekOn, IdTimeOn};
    for (int i = 0; i < 3; ++i)
        m_on[i] = withId(new QCheckBox(dialogText(onIds[i]), this), onIds[i]);
    m_date = withId(new QDateEdit(QDate(2000, 1, 1), this), IdDate);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_date->setCalendarPopup(true);
    const QString timeFormat = platform::langString(43002);
    m_start = withId(new QTimeEdit(QTime(0, 0), this), IdStart);
    m_end = withId(new QTimeEdit(QTime(0, 0), this), IdEnd);
    for (QTimeEdit* t : {m_start, m_end})
        if (!timeFormat.isEmpty())
            t->setDisplayFormat(timeFormat);
    m_to = makeLabel(IdTo);
    m_to->setAlignment(Qt::AlignCenter);

    // The switches in a column of their own, as wide as the longest label
    // needs; what each switches on beside it, the weekdays on a row below.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    grid->addWidget(m_on[0], 0, 0);
    grid->addWidget(m_date, 0, 1);
    grid->addWidget(m_on[1], 1, 0, 1, 2);
    auto* days = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        m_days[i] = withId(new QCheckBox(dialogText(static_cast<unsigned>(IdFirstDay + i)), this), IdFirstDay + i);
        days->addWidget(m_days[i]);
        connect(m_days[i], &QCheckBox::clicked, this, [this, i] { onDay(i); });
    }
    days->addStretch(1);
    grid->addLayout(days, 2, 0, 1, 2);
    grid->addWidget(m_on[2], 3, 0);
    auto* times = new QHBoxLayout;
    times->addWidget(m_start, 1);
    times->addWidget(m_to);
    times->addWidget(m_end, 1);
    grid->addLayout(times, 3, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);
    enableParts();

    connect(m_on[0], &QCheckBox::clicked, this, &CPropertySceneTimer::onDateOn);
    connect(m_on[1], &QCheckBox::clicked, this, &CPropertySceneTimer::onWeekOn);
    connect(m_on[2], &QCheckBox::clicked, this, &CPropertySceneTimer::onTimeOn);
    connect(m_date, &QDateEdit::dateChanged, this, &CPropertySceneTimer::onDate);
    connect(m_start, &QTimeEdit::timeChanged, this, &CPropertySceneTimer::onStart);
    connect(m_end, &QTimeEdit::timeChanged, this, &CPropertySceneTimer::onEnd);
    return true;
}

void CPropertySceneTimer::enableParts()
{
    const bool any = m_on[0]->isEnabled();
    m_date->setEnabled(any && m_on[0]->isChecked());
    for (QCheckBox* d : m_days)
        d->setEnabled(any && m_on[1]->isChecked());
    m_start->setEnabled(any && m_on[2]->isChecked());
    m_end->setEnabled(any && m_on[2]->isChecked());
    m_to->setEnabled(any && m_on[2]->isChecked());
}

std::uint32_t CPropertySceneTimer::remoteDay(const QDate& d) const
{
    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(d.year());
    t.wMonth = static_cast<std::uint16_t>(d.month());
    t.wDay = static_cast<std::uint16_t>(d.day());
    t.wDayOfWeek = static_cast<std::uint16_t>(d.dayOfWeek() % 7);
    return core().PCToRemoteTime(t);
}

int CPropertySceneTimer::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoadOf(node, isOwnScene);
    const bool global = !loading;
    for (QCheckBox* c : m_on)
        c->setEnabled(!global);
    if (global) {
        const LoadScope clearing(*this);
        for (QCheckBox* c : m_on)
            c->setChecked(false);
        enableParts();
        return 0;
    }
    const auto read = [&](int id) { return readBinding(bindings(), id); };
    const QDateTime now = QDateTime::currentDateTime();
    const bool dateOn = node->Scene.Schedule & 1;
    m_on[0]->setChecked(dateOn);
    if (dateOn) {
        if (const auto day = static_cast<unsigned>(read(IdDate)); day != 0) {
            const SYSTEMTIME t = core().RemoteToPCTime(day);
            m_date->setDate(QDate(t.wYear, t.wMonth, t.wDay));
        }
    } else {
        m_date->setDate(now.date());
    }
    const bool weekOn = read(IdWeekOn) != 0;
    m_on[1]->setChecked(weekOn);
    for (int i = 0; i < 7; ++i)
        m_days[i]->setChecked(weekOn && read(IdFirstDay + i) != 0);
    const bool timeOn = read(IdTimeOn) != 0;
    m_on[2]->setChecked(timeOn);
    if (timeOn) {
        for (auto [edit, id] : {std::pair{m_start, int(IdStart)}, std::pair{m_end, int(IdEnd)}}) {
            const auto t = read(id);
            edit->setTime(QTime(int(t >> 8), int(t & 0xFF)));
        }
    } else {
        const QTime t(now.time().hour(), now.time().minute());
        m_start->setTime(t);
        m_end->setTime(t);
    }
    enableParts();
    return 0;
}

void CPropertySceneTimer::onDateOn()
{
    if (!canEdit())
        return;
    // The switch and the date go together: off clears the date.
    SceneBlock& s = m_node->Scene;
    const bool on = m_on[0]->isChecked();
    s.Schedule = static_cast<std::uint8_t>(on ? (s.Schedule | 1) : (s.Schedule & ~1));
    writeBinding(bindings(), IdDate, on ? remoteDay(m_date->date()) : 0);
    enableParts();
}

void CPropertySceneTimer::onWeekOn()
{
    if (writeBinding(bindings(), IdWeekOn, m_on[1]->isChecked()))
        enableParts();
}

void CPropertySceneTimer::onTimeOn()
{
    // The times themselves change only through their pickers.
    if (writeBinding(bindings(), IdTimeOn, m_on[2]->isChecked()))
        enableParts();
}

void CPropertySceneTimer::onDate()
{
    writeBinding(bindings(), IdDate, remoteDay(m_date->date()));
}

void CPropertySceneTimer::onStart()
{
    writeBinding(bindings(), IdStart, packTime(m_start->time().hour(), m_start->time().minute()));
}

void CPropertySceneTimer::onEnd()
{
    writeBinding(bindings(), IdEnd, packTime(m_end->time().hour(), m_end->time().minute()));
}

void CPropertySceneTimer::onDay(int box)
{
    writeBinding(bindings(), IdFirstDay + box, m_days[box]->isChecked());
}

} // namespace panels
