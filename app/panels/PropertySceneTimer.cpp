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

namespace panels {

CPropertySceneTimer::CPropertySceneTimer(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

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
    const SceneBlock& s = node->Scene;
    const QDateTime now = QDateTime::currentDateTime();
    m_on[0]->setChecked(s.Schedule & 1);
    if (s.Schedule & 1) {
        if (s.ScheduleDate != 0) {
            const SYSTEMTIME t = core().RemoteToPCTime(s.ScheduleDate);
            m_date->setDate(QDate(t.wYear, t.wMonth, t.wDay));
        }
    } else {
        m_date->setDate(now.date());
    }
    m_on[1]->setChecked(s.Schedule & 2);
    for (int i = 0; i < 7; ++i)
        m_days[i]->setChecked((s.Schedule & 2) && (s.ScheduleWeekdays >> kDayBits[i]) & 1);
    m_on[2]->setChecked(s.Schedule & 4);
    if (s.Schedule & 4) {
        m_start->setTime(QTime(s.StartTime >> 8, s.StartTime & 0xFF));
        m_end->setTime(QTime(s.EndTime >> 8, s.EndTime & 0xFF));
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
    SceneBlock& s = m_node->Scene;
    if (m_on[0]->isChecked()) {
        s.Schedule |= 1;
        const std::uint32_t day = remoteDay(m_date->date());
        if (day != s.ScheduleDate)
            s.ScheduleDate = day;
    } else {
        s.Schedule &= static_cast<std::uint8_t>(~1);
        s.ScheduleDate = 0;
    }
    enableParts();
}

void CPropertySceneTimer::onWeekOn()
{
    if (!canEdit())
        return;
    SceneBlock& s = m_node->Scene;
    s.Schedule = static_cast<std::uint8_t>(m_on[1]->isChecked() ? (s.Schedule | 2) : (s.Schedule & ~2));
    enableParts();
}

void CPropertySceneTimer::onTimeOn()
{
    if (!canEdit())
        return;
    // The times themselves change only through their pickers.
    SceneBlock& s = m_node->Scene;
    s.Schedule = static_cast<std::uint8_t>(m_on[2]->isChecked() ? (s.Schedule | 4) : (s.Schedule & ~4));
    enableParts();
}

void CPropertySceneTimer::onDate()
{
    if (!canEdit())
        return;
    const std::uint32_t day = remoteDay(m_date->date());
    if (day != m_node->Scene.ScheduleDate)
        m_node->Scene.ScheduleDate = day;
}

void CPropertySceneTimer::onStart()
{
    if (!canEdit())
        return;
    m_node->Scene.StartTime = packTime(m_start->time().hour(), m_start->time().minute());
}

void CPropertySceneTimer::onEnd()
{
    if (!canEdit())
        return;
    m_node->Scene.EndTime = packTime(m_end->time().hour(), m_end->time().minute());
}

void CPropertySceneTimer::onDay(int box)
{
    if (!canEdit())
        return;
    std::uint8_t& days = m_node->Scene.ScheduleWeekdays;
    const auto bit = static_cast<std::uint8_t>(1u << kDayBits[box]);
    days = static_cast<std::uint8_t>(m_days[box]->isChecked() ? (days | bit) : (days & ~bit));
}

} // namespace panels
