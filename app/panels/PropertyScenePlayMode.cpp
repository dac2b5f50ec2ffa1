#include "app/panels/PropertyScenePlayMode.h"

#include "app/controls/Edits.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <algorithm>
#include <climits>

namespace panels {

CPropertyScenePlayMode::CPropertyScenePlayMode(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

const FieldBinding CPropertyScenePlayMode::kPlayTimeBinding =
    nodeField<nullptr, &tagItemData::PlayTime, INT32_MIN, INT32_MAX>(IdTime, false);

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
    const LoadScope loading = beginLoadOf(node, isOwnScene);
    setEnabledAll(bool(loading));
    if (!loading)
        return 0;
    const auto mode = static_cast<std::int32_t>(kPlayTimeBinding.read(*node));
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
        writeBinding(kPlayTimeBinding, id == IdStay ? kRepeatForever : kPlayOnce);
        m_time->setEnabled(false);
        return;
    }
    m_time->setEnabled(true);
    m_time->setText(QString::number(kTimedDefault));
    writeBinding(kPlayTimeBinding, m_time->GetValue());
}

void CPropertyScenePlayMode::onTime()
{
    // A typed time never reaches the two values with a meaning of their own.
    if (m_radio[2]->isChecked())
        writeBinding(kPlayTimeBinding, std::clamp(m_time->GetValue(), 1, INT32_MAX));
}

} // namespace panels
