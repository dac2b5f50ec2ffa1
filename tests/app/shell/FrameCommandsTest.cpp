// The frame's commands run without a frame: a fake screen panel and a
// frame port that records what the operator is asked and which jobs run.
#include "app/shell/FrameCommands.h"
#include "app/spine/CommandIds.h"

#include "app/dialogs/task/TaskProgress.h"
#include "app/shell/ScreenPanelPort.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "support/SeamScope.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <vector>

using namespace shell;

namespace {

class FakePanel : public ScreenPanelPort {
public:
    tagItemData* selected = nullptr;
    QWidget* widget() override { return nullptr; }
    tagItemData* GetSelectedScreen() override { return selected; }
    tagItemData* GetSelectedItem() override { return selected; }
    bool SelectNode(tagItemData*) override { return false; }
    tagItemData* AddNewItem(int) override { return nullptr; }
    void InsertItemTree(tagItemData*) override {}
    int DeleteSelectedItem() override { return 0; }
    QString DefaultItemName(tagItemData*) override { return QString(); }
    void SetNoticeCallback(std::function<void(int, const QString&)>) override {}
    int CloseAllScreens() override { return 1; }
    int LoadScreenFile(tagItemData*, const QString&) override { return 1; }
    void RemoveScreen(tagItemData*) override {}
    void SetAsideScreen(tagItemData*, const QString&, int) override {}
    void TellSetAsideFiles() override {}
    void ForgetScreenFile(tagItemData*) override {}
    QString ScreenFile(tagItemData*) override { return QString(); }
    int OpenScreen(tagItemData*) override { return 0; }
    int SaveScreen(tagItemData*) override { return 0; }
    int SaveScreenAs(tagItemData*) override { return 0; }
    bool IsFileOpen(const QString&) override { return false; }
};

class FakeFrame : public editor::FramePort {
public:
    bool answer = false;
    dialogs::TaskOutcome jobOutcome{1, false, true};
    int taskResult = 1;
    std::vector<QString> asked, warned, notices;
    std::vector<int> tasks;
    int jobs = 0;

    QWidget* owner() override { return &m_owner; }
    void inform(const QString& text) override { warned.push_back(text); }
    void warn(const QString& text) override { warned.push_back(text); }
    bool ask(const QString&, const QString& text) override
    {
        asked.push_back(text);
        return answer;
    }
    bool confirm(const QString&, const QString& text) override
    {
        asked.push_back(text);
        return answer;
    }
    void notice(const QString& text) override { notices.push_back(text); }
    void resetStatus() override {}
    void setStatus(int, const QString&) override {}
    int runTask(const spine::TaskRequest& request) override
    {
        tasks.push_back(request.kind);
        // What the dialog stores of a read that came; one that failed stores nothing.
        if (request.kind == dialogs::TASK_READ_SCREEN && request.screen && taskResult == 1)
            request.screen->Global.RemoteVersion = 0x7777;
        return taskResult;
    }
    dialogs::TaskOutcome runJob(std::function<int(CCore&)>) override
    {
        ++jobs;
        return jobOutcome;
    }

private:
    QWidget m_owner;
};

struct Commands {
    CCore core;
    FakePanel panel;
    FakeFrame frame;
    shell::FrameCommands cmds{core, panel, frame, spine::FrameDialogs{}, QString()};
    tagItemData* screen = core.AddItem(IT_SCREEN, nullptr, nullptr, nullptr);
};

} // namespace

// Clearing a screen without programs is asked first and runs as a job; a
// hardware write after the wizard that fails sends nothing; a failed read
// leaves the screen block as it was.
TEST(FrameCommands, AskBeforeClearingSendOnlyAfterAWrittenSetupAndKeepAScreenAFailedReadLeft)
{
    support::SeamScope seams;
    Commands c;
    ASSERT_NE(c.screen, nullptr);
    c.panel.selected = c.screen;

    EXPECT_EQ(c.cmds.sendScreenPrograms(c.screen), 0);
    EXPECT_EQ(c.frame.asked.size(), 1u);
    EXPECT_EQ(c.frame.jobs, 0);
    c.frame.answer = true;
    c.cmds.sendScreenPrograms(c.screen);
    EXPECT_EQ(c.frame.jobs, 1);
    EXPECT_TRUE(c.frame.tasks.empty());

    c.frame.jobOutcome = {-1, false, true};
    c.cmds.wizardFinish(c.screen, (1 << 16) | 1);   // a first scene, then the write
    EXPECT_EQ(c.frame.jobs, 2);
    EXPECT_TRUE(c.frame.tasks.empty());
    c.frame.jobOutcome = {1, false, true};
    c.cmds.wizardFinish(c.screen, 1 << 16);
    EXPECT_EQ(c.frame.tasks, std::vector<int>{dialogs::TASK_SEND_PROGRAMS});

    c.screen->Global.RemoteVersion = 5;
    c.frame.taskResult = 2;
    c.cmds.run(spine::ID_READ_HARDWARE);
    EXPECT_EQ(c.frame.tasks.back(), dialogs::TASK_READ_SCREEN);
    EXPECT_EQ(c.screen->Global.RemoteVersion, 5u);

    // Without a screen a command says so instead of doing nothing.
    c.panel.selected = nullptr;
    c.cmds.run(spine::ID_ADJUST_TIME);
    EXPECT_EQ(c.frame.notices.size(), 1u);
}
