#pragma once
// The screen-group dialog: adds, changes and deletes the groups of
// "groupinfo.ini" by ticking open screens. Close ends it with Accepted, after
// which the caller reloads its group names.
#include "app/dialogs/groups/GroupInfo.h"

#include <QDialog>

class CCore;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace dialogs {

class CAddGroupDlg : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6285,
        IDC_GROUPS = 6331,
        IDC_SCREENS = 6332,
        IDC_NAME = 6299,
        IDC_ADD = 6317,
        IDC_CHANGE = 6333,
        IDC_DELETE = 6330,
        IDC_CLOSE = 6335,
        IDC_NAME_LABEL = 6298,
    };
    CAddGroupDlg(CCore& core, QWidget* parent = nullptr, QString iniPath = DefaultGroupInfoPath());

    void OnGroupClicked(QTreeWidgetItem* item);
    void OnAdd();
    void OnChange();
    void OnDelete();

    QTreeWidget* groupList() const { return m_groups; }
    QTreeWidget* screenList() const { return m_screens; }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void report(GroupInfoFile::Result r);
    QStringList screenNames() const;

    CCore& m_core;
    GroupInfoFile m_file;
    QList<tagItemData*> m_list;
    QTreeWidget* m_groups;
    QTreeWidget* m_screens;
    QLineEdit* m_name;
};

} // namespace dialogs
