// The screen panel with the item tree editor as its tree: screens with their
// scenes and sections, renames answered by the panel, and the tree's save and
// close commands carried out by the panel.
#include "app/editor/Editor.h"
#include "app/editor/FramePort.h"
#include "app/shell/ConfigFiles.h"
#include "app/shell/EditorPanel.h"
#include "app/shell/PanelView.h"

#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "platform/LangPack.h"
#include "support/SeamScope.h"

#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace shell;

TEST(EditorPanel, ThePanelShowsScreensInTheTreeEditorAndAnswersItsCommands)
{
    ASSERT_TRUE(platform::loadLangPack(QStringLiteral(TAVRELO_SHELL_PACK_DIR "/UI_EN.rcc")));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CCore core;
    ShellSettings settings;
    editor::FramePort port;
    support::SeamScope seams;
    CEditorScreenPanel screens(core, settings, dir.path() + u'/', port);
    CPanelView& panel = *screens.View();
    panel.resize(240, 300);
    panel.show();

    tagItemData* screen = core.AddItem(IT_SCREEN, u"Front", nullptr, nullptr);
    core.ChangeItemRect(screen, 0, 0, 64, 32);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
    panel.Tree().InsertItemTree(screen);
    editor::CEditor* e = screens.Editor();
    EXPECT_EQ(e->parentWidget(), &panel);
    ASSERT_NE(e->itemOf(section), nullptr);
    EXPECT_EQ(e->mappedCount(), 3);

    // The panel answers a screen's new name.
    e->endLabelEdit(e->itemOf(screen), QStringLiteral("Back"));
    EXPECT_EQ(QString::fromUtf16(screen->Name), QStringLiteral("Back"));

    // Save from the tree's menu: a screen without a file asks for one.
    const QString path = dir.filePath(QStringLiteral("back.pl"));
    seams.nextFileName(path);
    e->OnMenuCommand(32888, screen);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(panel.IsScreenModified(screen), 0);

    // Close from the tree's menu: unchanged, so it goes without asking.
    e->OnMenuCommand(32889, screen);
    EXPECT_EQ(e->topLevelItemCount(), 0);
    EXPECT_EQ(e->mappedCount(), 0);
    EXPECT_EQ(core.GetScreen(0), nullptr);
}
