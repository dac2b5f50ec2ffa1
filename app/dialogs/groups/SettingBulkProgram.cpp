#include "app/dialogs/groups/SettingBulkProgram.h"

#include "app/controls/MessageBox.h"
#include "app/dialogs/device/DlgUtil.h"
#include "app/dialogs/groups/AddGroupDlg.h"
#include "app/dialogs/groups/ScreenList.h"
#include "app/dialogs/task/TaskDlg.h"
#include "app/dialogs/task/TaskProgress.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dialogs {

CSettingBulkProgram::CSettingBulkProgram(CCore& core, QWidget* parent, QString iniPath, TaskRunner runner)
    : QDialog(parent), m_core(core), m_iniPath(std::move(iniPath)), m_runner(std::move(runner))
{
    withId(this, IDD);
    setWindowTitle(dlgText(IDD, 0));
    if (!m_runner) {
        m_runner = [this](QWidget* owner, tagItemData* screen, const LinkSettings& link) {
            CTaskDlg task(m_core, owner);
            task.SetTask(TaskRequest::send(screen, link));
            task.exec();
        };
    }
    m_list = OpenScreens(core);

    m_targets = withId(new QTreeWidget(this), IDC_TARGETS);
    FillScreenList(m_targets, m_list, true);
    SetAllTicked(m_targets, true);
    m_sources = withId(new QTreeWidget(this), IDC_SOURCES);
    FillScreenList(m_sources, m_list, false);
    m_sources->setEnabled(false);
    m_sourceButtons = new QButtonGroup(this);
    for (int row = 0; row < m_list.size(); ++row) {
        auto* radio = withId(new QRadioButton(m_sources), IDC_FIRST_SOURCE + row);
        m_sourceButtons->addButton(radio, row);
        m_sources->setItemWidget(m_sources->topLevelItem(row), 0, radio);
    }

    m_all = withId(new QCheckBox(dlgText(IDD, IDC_ALL), this), IDC_ALL);
    m_all->setChecked(true);
    m_mode0 = withId(new QRadioButton(dlgText(IDD, IDC_MODE0), this), IDC_MODE0);
    m_mode1 = withId(new QRadioButton(dlgText(IDD, IDC_MODE1), this), IDC_MODE1);
    m_mode0->setChecked(true);
    m_group = withId(new QComboBox(this), IDC_GROUP);
    m_group->setMinimumContentsLength(12);
    auto* groupLabel = withId(new QLabel(dlgText(IDD, IDC_GROUP_LABEL), this), IDC_GROUP_LABEL);
    groupLabel->setBuddy(m_group);
    auto* sourceLabel = withId(new QLabel(dlgText(IDD, IDC_SOURCE_LABEL), this), IDC_SOURCE_LABEL);
    auto* groups = withId(new QPushButton(dlgText(IDD, IDC_GROUPS), this), IDC_GROUPS);
    auto* send = withId(new QPushButton(dlgText(IDD, IDC_SEND), this), IDC_SEND);
    auto* close = withId(new QPushButton(dlgText(IDD, IDC_CLOSE), this), IDC_CLOSE);
    groups->setAutoDefault(false);
    send->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(m_all);
    top->addStretch(1);
    top->addWidget(groupLabel);
    top->addWidget(m_group);
    top->addWidget(groups);
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_mode0);
    modes->addWidget(m_mode1);
    modes->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(send);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_targets, 1);
    layout->addLayout(modes);
    layout->addWidget(sourceLabel);
    layout->addWidget(m_sources, 1);
    layout->addLayout(buttons);
    setMinimumSize(640, 420);
    resize(760, 480);

    connect(m_all, &QCheckBox::clicked, this, &CSettingBulkProgram::OnTickAll);
    connect(m_mode0, &QRadioButton::clicked, this, [this] { OnMode(0); });
    connect(m_mode1, &QRadioButton::clicked, this, [this] { OnMode(1); });
    connect(m_group, &QComboBox::activated, this, &CSettingBulkProgram::OnGroupChosen);
    connect(groups, &QPushButton::clicked, this, &CSettingBulkProgram::OnGroups);
    connect(send, &QPushButton::clicked, this, &CSettingBulkProgram::OnSend);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    reloadGroups();
}

void CSettingBulkProgram::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    SizeScreenColumns(m_targets);
    SizeScreenColumns(m_sources);
}

void CSettingBulkProgram::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (m_problemTold)
        return;
    m_problemTold = true;
    // Once the window is up: a file that cannot be used is named, and the
    // window works on without groups.
    QTimer::singleShot(0, this, [this] {
        const QString problem = GroupInfoFile(m_iniPath).problem();
        if (!problem.isEmpty())
            controls::MessageBox::warning(this, platform::langString(63015), problem);
    });
}

void CSettingBulkProgram::reloadGroups()
{
    m_group->clear();
    m_group->addItems(GroupInfoFile(m_iniPath).allNames());
    m_group->setCurrentIndex(-1);
}

void CSettingBulkProgram::OnTickAll() { SetAllTicked(m_targets, m_all->isChecked()); }

void CSettingBulkProgram::OnMode(int mode)
{
    m_targets->setEnabled(true);
    m_sources->setEnabled(mode == 1);
}

void CSettingBulkProgram::OnGroupChosen()
{
    const QString name = m_group->currentText();
    if (name.isEmpty())
        return;
    SetTickedRows(m_targets, GroupInfoFile(m_iniPath).membersNamed(name, int(m_list.size())));
}

void CSettingBulkProgram::OnGroups()
{
    CAddGroupDlg dlg(m_core, this, m_iniPath);
    if (dlg.exec() == QDialog::Accepted)
        reloadGroups();
}

void CSettingBulkProgram::OnSend()
{
    const QString caption = platform::langString(63015);
    const int mode = m_mode1->isChecked() ? 1 : 0;
    const BulkResult r = RunBulkSend(m_core, m_list, TickedRows(m_targets), mode, m_sourceButtons->checkedId(),
                                     [this](tagItemData* screen, const LinkSettings& link) {
                                         m_runner(this, screen, link);
                                     });
    if (r.noSource) {
        controls::MessageBox::warning(this, caption, platform::langString(63019));
        return;
    }
    if (r.mismatch) {
        const tagItemData* source = m_list.value(m_sourceButtons->checkedId());
        controls::MessageBox::warning(this, caption, ScreenName(source) + platform::langString(63020));
        return;
    }
    if (!r.sent)
        controls::MessageBox::warning(this, caption, platform::langString(63021));
}

} // namespace dialogs
