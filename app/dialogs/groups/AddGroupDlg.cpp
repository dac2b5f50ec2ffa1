#include "app/dialogs/groups/AddGroupDlg.h"

#include "app/controls/MessageBox.h"
#include "app/dialogs/device/DlgUtil.h"
#include "app/dialogs/groups/ScreenList.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dialogs {

CAddGroupDlg::CAddGroupDlg(CCore& core, QWidget* parent, QString iniPath)
    : QDialog(parent), m_core(core), m_file(std::move(iniPath))
{
    withId(this, IDD);
    setWindowTitle(dlgText(IDD, 0));
    m_list = OpenScreens(core);

    m_groups = withId(new QTreeWidget(this), IDC_GROUPS);
    m_groups->setColumnCount(1);
    m_groups->setHeaderLabels({platform::langString(63013)});
    m_groups->setRootIsDecorated(false);
    m_groups->setAllColumnsShowFocus(true);
    m_groups->setMaximumWidth(200);
    for (const QString& name : m_file.listedNames())
        new QTreeWidgetItem(m_groups, QStringList{name});

    m_screens = withId(new QTreeWidget(this), IDC_SCREENS);
    FillScreenList(m_screens, m_list, true);

    m_name = withId(new QLineEdit(this), IDC_NAME);
    auto* nameLabel = withId(new QLabel(dlgText(IDD, IDC_NAME_LABEL), this), IDC_NAME_LABEL);
    nameLabel->setBuddy(m_name);

    auto* add = withId(new QPushButton(dlgText(IDD, IDC_ADD), this), IDC_ADD);
    auto* change = withId(new QPushButton(dlgText(IDD, IDC_CHANGE), this), IDC_CHANGE);
    auto* del = withId(new QPushButton(dlgText(IDD, IDC_DELETE), this), IDC_DELETE);
    auto* close = withId(new QPushButton(dlgText(IDD, IDC_CLOSE), this), IDC_CLOSE);
    add->setAutoDefault(false);
    change->setAutoDefault(false);
    del->setAutoDefault(false);

    auto* lists = new QHBoxLayout;
    lists->addWidget(m_groups, 1);
    lists->addWidget(m_screens, 3);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(m_name, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(change);
    buttons->addWidget(del);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(nameRow);
    layout->addLayout(buttons);
    setMinimumSize(600, 320);
    resize(720, 360);

    connect(m_groups, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { OnGroupClicked(item); });
    connect(add, &QPushButton::clicked, this, &CAddGroupDlg::OnAdd);
    connect(change, &QPushButton::clicked, this, &CAddGroupDlg::OnChange);
    connect(del, &QPushButton::clicked, this, &CAddGroupDlg::OnDelete);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void CAddGroupDlg::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    SizeScreenColumns(m_screens);
}

QStringList CAddGroupDlg::screenNames() const
{
    QStringList out;
    for (tagItemData* s : m_list)
        out.append(ScreenName(s));
    return out;
}

void CAddGroupDlg::report(GroupInfoFile::Result r)
{
    unsigned id = 0;
    switch (r) {
    case GroupInfoFile::Ok:
        return;
    case GroupInfoFile::EmptyName:
        id = 63014;
        break;
    case GroupInfoFile::NoScreen:
        id = 63016;
        break;
    case GroupInfoFile::NameTaken:
        id = 63017;
        break;
    case GroupInfoFile::NoSelection:
        id = 63018;
        break;
    case GroupInfoFile::WriteFailed:
        id = 63000;
        break;
    case GroupInfoFile::Damaged:
        controls::MessageBox::warning(this, platform::langString(63015), m_file.problem());
        return;
    }
    controls::MessageBox::warning(this, platform::langString(63015), platform::langString(id));
}

void CAddGroupDlg::OnGroupClicked(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const QString name = item->text(0);
    m_name->setText(name);
    SetTickedRows(m_screens, m_file.membersNamed(name, int(m_list.size())));
}

void CAddGroupDlg::OnAdd()
{
    QStringList listed;
    for (int i = 0; i < m_groups->topLevelItemCount(); ++i)
        listed.append(m_groups->topLevelItem(i)->text(0));
    const QString name = m_name->text();
    const GroupInfoFile::Result r = m_file.add(name, TickedRows(m_screens), screenNames(), listed);
    if (r != GroupInfoFile::Ok)
        return report(r);
    new QTreeWidgetItem(m_groups, QStringList{name});
}

void CAddGroupDlg::OnChange()
{
    QTreeWidgetItem* row = m_groups->currentItem();
    if (!row || !row->isSelected())
        return;
    const QString name = m_name->text();
    const GroupInfoFile::Result r =
        m_file.change(m_groups->indexOfTopLevelItem(row) + 1, name, TickedRows(m_screens), screenNames());
    if (r != GroupInfoFile::Ok)
        return report(r);
    row->setText(0, name);
}

void CAddGroupDlg::OnDelete()
{
    QTreeWidgetItem* row = m_groups->currentItem();
    if (!row || !row->isSelected())
        return report(GroupInfoFile::NoSelection);
    const GroupInfoFile::Result r = m_file.remove(m_groups->indexOfTopLevelItem(row) + 1);
    if (r != GroupInfoFile::Ok)
        return report(r);
    delete row;
    SetAllTicked(m_screens, false);
}

} // namespace dialogs
