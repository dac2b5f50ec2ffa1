#include "app/panels/ScenePanels.h"

#include "app/controls/Edits.h"
#include "app/controls/MessageBox.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/Records.h"
#include "platform/LangPack.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <algorithm>

namespace panels {
namespace {
constexpr int kPathChars = 260;

bool isGlobal(tagItemData* node)
{
    return node && CCore::IsGlobalScene(node) == 1;
}
} // namespace

// ---- background picture ----

CPropertySceneShow::CPropertySceneShow(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

bool CPropertySceneShow::OnInitDialog()
{
    SetTitleFromResource(48242, false);
    m_labels[0] = makeLabel(6243);
    m_labels[1] = makeLabel(6245);
    m_path = withId(new QLineEdit(this), IdPath);
    m_path->setMaxLength(kPathChars - 1);
    m_browse = withId(new QPushButton(dialogText(IdBrowse), this), IdBrowse);
    m_mode = withId(new QComboBox(this), IdMode);
    fillComboFromString(m_mode, 48264);
    m_mode->setCurrentIndex(-1);
    m_option = withId(new QCheckBox(dialogText(IdOption), this), IdOption);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    grid->addWidget(m_labels[0], 0, 0, 1, 2);
    grid->addWidget(m_path, 1, 0);
    grid->addWidget(m_browse, 1, 1);
    grid->addWidget(m_labels[1], 2, 0, 1, 2);
    grid->addWidget(m_mode, 3, 0, 1, 2);
    grid->addWidget(m_option, 4, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(5, 1);
    connect(m_path, &QLineEdit::textChanged, this, &CPropertySceneShow::onPath);
    connect(m_browse, &QPushButton::clicked, this, &CPropertySceneShow::onBrowse);
    connect(m_mode, &QComboBox::activated, this, &CPropertySceneShow::onMode);
    connect(m_option, &QCheckBox::clicked, this, &CPropertySceneShow::onOption);
    return true;
}

int CPropertySceneShow::OnNodeLoad(tagItemData* node)
{
    const bool global = !node || isGlobal(node);
    // The global scene has no picture; it is shown but never written.
    m_node = global ? nullptr : node;
    for (QWidget* w : {static_cast<QWidget*>(m_labels[0]), static_cast<QWidget*>(m_browse),
                       static_cast<QWidget*>(m_labels[1]), static_cast<QWidget*>(m_path),
                       static_cast<QWidget*>(m_mode), static_cast<QWidget*>(m_option)})
        w->setEnabled(!global);
    LoadScope loading(*this);
    if (global) {
        m_path->clear();
        m_mode->setCurrentIndex(m_mode->count() ? 0 : -1);
        m_option->setChecked(false);
        return 0;
    }
    const SceneBlock& s = node->Scene;
    m_path->setText(QString::fromUtf16(s.PicturePath, std::find(s.PicturePath, s.PicturePath + kPathChars, u'\0') - s.PicturePath));
    m_mode->setCurrentIndex(s.PictureMode < m_mode->count() ? s.PictureMode : -1);
    m_option->setChecked(s.DisplayOption & 1);
    return 0;
}

void CPropertySceneShow::onPath()
{
    if (!canEdit())
        return;
    SceneBlock& s = m_node->Scene;
    const QString text = m_path->text().left(kPathChars - 1);
    std::fill(std::begin(s.PicturePath), std::end(s.PicturePath), u'\0');
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), text.size(), s.PicturePath);
    s.PicturePresent = 0;
    repaint();
}

void CPropertySceneShow::onBrowse()
{
    const QString path = controls::FileDialog::getOpenFileName(
        this, QString(), QString(),
        QStringLiteral("Picture File(*.bmp *.jpg *.png *.jpeg *.gif);;All File(*)"));
    if (!path.isEmpty())
        m_path->setText(path);
}

void CPropertySceneShow::onMode(int index)
{
    if (!canEdit() || index < 0)
        return;
    m_node->Scene.PictureMode = static_cast<std::uint8_t>(index);
    repaint();
}

void CPropertySceneShow::onOption()
{
    if (!canEdit())
        return;
    std::uint8_t& o = m_node->Scene.DisplayOption;
    o = static_cast<std::uint8_t>(m_option->isChecked() ? (o | 1) : (o & ~1));
}

// ---- play mode ----

CPropertyScenePlayMode::CPropertyScenePlayMode(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

bool CPropertyScenePlayMode::OnInitDialog()
{
    SetTitleFromResource(48241, false);
    m_label = makeLabel(6246);
    auto* group = new QButtonGroup(this);
    const int ids[3] = {IdStay, IdOnce, IdTimed};
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    grid->addWidget(m_label, 0, 0, 1, 2);
    for (int i = 0; i < 3; ++i) {
        m_radio[i] = withId(new QRadioButton(dialogText(ids[i]), this), ids[i]);
        group->addButton(m_radio[i], ids[i]);
        grid->addWidget(m_radio[i], 1 + i, 0, 1, i == 2 ? 1 : 2);
    }
    m_time = withId(new controls::CRangeEdit(this), IdTime);
    m_time->setNumeric(true);
    m_time->SetSuffixFromResource(58100);
    // 0 and negative values would mean something else to the player; the two
    // special modes have their own buttons.
    m_time->SetRange(1, INT32_MAX);
    m_time->setText(QStringLiteral("0"));
    m_time->setEnabled(false);
    grid->addWidget(m_time, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    connect(group, &QButtonGroup::idClicked, this, &CPropertyScenePlayMode::onRadio);
    connect(m_time, &QLineEdit::textChanged, this, &CPropertyScenePlayMode::onTime);
    return true;
}

void CPropertyScenePlayMode::setEnabledAll(bool on)
{
    m_label->setEnabled(on);
    for (QRadioButton* r : m_radio)
        r->setEnabled(on);
    m_time->setEnabled(on);
}

int CPropertyScenePlayMode::OnNodeLoad(tagItemData* node)
{
    const bool global = !node || isGlobal(node);
    m_node = global ? nullptr : node;
    setEnabledAll(!global);
    if (global)
        return 0;
    LoadScope loading(*this);
    const std::int32_t mode = node->PlayTime;
    if (mode == kPlayOnce || mode == kRepeatForever) {
        m_radio[mode == kPlayOnce ? 1 : 0]->setChecked(true);
        m_time->setEnabled(false);
    } else {
        m_time->setEnabled(true);
        m_time->setText(QString::number(mode));
        m_radio[2]->setChecked(true);
    }
    return 0;
}

void CPropertyScenePlayMode::onRadio(int id)
{
    if (!canEdit())
        return;
    if (id == IdStay || id == IdOnce) {
        m_node->PlayTime = id == IdStay ? kRepeatForever : kPlayOnce;
        m_time->setEnabled(false);
        return;
    }
    m_time->setEnabled(true);
    m_time->setText(QString::number(kTimedDefault));
    m_node->PlayTime = m_time->GetValue();
}

void CPropertyScenePlayMode::onTime()
{
    if (!canEdit() || !m_radio[2]->isChecked())
        return;
    const int v = std::clamp(m_time->GetValue(), 1, INT32_MAX);
    if (v != m_node->PlayTime)
        m_node->PlayTime = v;
}

// ---- schedule ----

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

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    grid->addWidget(m_on[0], 0, 0, 1, 2);
    grid->addWidget(m_date, 0, 2, 1, 5);
    grid->addWidget(m_on[1], 1, 0, 1, 2);
    for (int i = 0; i < 7; ++i) {
        m_days[i] = withId(new QCheckBox(dialogText(static_cast<unsigned>(IdFirstDay + i)), this), IdFirstDay + i);
        grid->addWidget(m_days[i], 2, i);
        connect(m_days[i], &QCheckBox::clicked, this, [this, i] { onDay(i); });
    }
    grid->addWidget(m_on[2], 3, 0, 1, 2);
    auto* times = new QHBoxLayout;
    times->addWidget(m_start, 1);
    times->addWidget(m_to);
    times->addWidget(m_end, 1);
    grid->addLayout(times, 3, 2, 1, 5);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(7, 1);
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
    const bool global = !node || isGlobal(node);
    m_node = global ? nullptr : node;
    LoadScope loading(*this);
    for (QCheckBox* c : m_on)
        c->setEnabled(!global);
    if (global) {
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
