#pragma once
// The bulk-sending dialog: ticks open screens (all, or a group's) and sends
// programs to each, one task dialog after the other, either each screen its
// own or one source screen's to all. It stays open after a send.
#include "app/dialogs/groups/BulkSend.h"
#include "app/dialogs/groups/GroupInfo.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QRadioButton;
class QTreeWidget;

namespace dialogs {

class CSettingBulkProgram : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6284,
        IDC_TARGETS = 6322,
        IDC_SOURCES = 6325,
        IDC_ALL = 6326,
        IDC_MODE0 = 6323,
        IDC_MODE1 = 6324,
        IDC_GROUP = 6329,
        IDC_GROUPS = 6330,
        IDC_SEND = 6317,
        IDC_CLOSE = 6318,
        IDC_GROUP_LABEL = 6328,
        IDC_SOURCE_LABEL = 6327,
        IDC_FIRST_SOURCE = 10001,
    };
    // Runs the task dialog for one screen; tests may give their own.
    using TaskRunner = std::function<void(QWidget* owner, tagItemData* screen, const LinkSettings& link)>;

    CSettingBulkProgram(CCore& core, QWidget* parent = nullptr, QString iniPath = DefaultGroupInfoPath(),
                        TaskRunner runner = {});

    void OnSend();
    void OnTickAll();
    void OnGroupChosen();
    void OnGroups();
    void OnMode(int mode);
    void reloadGroups();

    QTreeWidget* targetList() const { return m_targets; }
    QTreeWidget* sourceList() const { return m_sources; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    bool m_problemTold = false;
    CCore& m_core;
    QString m_iniPath;
    TaskRunner m_runner;
    QList<tagItemData*> m_list;
    QTreeWidget* m_targets;
    QTreeWidget* m_sources;
    QButtonGroup* m_sourceButtons;
    QCheckBox* m_all;
    QRadioButton* m_mode0;
    QRadioButton* m_mode1;
    QComboBox* m_group;
};

} // namespace dialogs
