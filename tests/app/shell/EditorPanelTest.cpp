// The screen panel with the item tree editor as its tree: screens with their
// scenes and sections, renames answered by the panel, and the tree's save and
// close commands carried out by the panel.
#include "OperatorRoad.h"

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
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
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
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));

    tagItemData* screen = core.AddItem(IT_SCREEN, u"Front", nullptr, nullptr);
    core.ChangeItemRect(screen, 0, 0, 64, 32);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
    panel.Tree().InsertItemTree(screen);
    editor::CEditor* e = screens.Editor();
    EXPECT_EQ(e->parentWidget(), &panel);
    ASSERT_NE(e->itemOf(section), nullptr);
    EXPECT_EQ(e->mappedCount(), 3);

    // The panel answers a screen's new name, typed into its row after
    // Rename in the tree's menu; Enter ends it.
    QMenu* menu = operatorroad::treeMenu(e, screen);
    ASSERT_TRUE(operatorroad::clickInMenu(menu, operatorroad::menuEntry(menu, 32885)));
    QLineEdit* name = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (name = e->viewport()->findChild<QLineEdit*>()) != nullptr; }, 2000));
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(name, QStringLiteral("Back"));
    QTest::keyClick(name, Qt::Key_Return);
    // The tree takes the name once the editor has closed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QString::fromUtf16(screen->Name) == QStringLiteral("Back"); }, 2000))
        << QString::fromUtf16(screen->Name).toStdString();

    // Save from the tree's menu: a screen without a file asks for one.
    const QString path = dir.filePath(QStringLiteral("back.pl"));
    seams.nextFileName(path);
    menu = operatorroad::treeMenu(e, screen);
    ASSERT_TRUE(operatorroad::clickInMenu(menu, operatorroad::menuEntry(menu, 32888)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(path); }, 2000));
    EXPECT_EQ(panel.IsScreenModified(screen), 0);

    // Close from the tree's menu: unchanged, so it goes without asking.
    menu = operatorroad::treeMenu(e, screen);
    ASSERT_TRUE(operatorroad::clickInMenu(menu, operatorroad::menuEntry(menu, 32889)));
    QCoreApplication::processEvents();
    EXPECT_EQ(e->topLevelItemCount(), 0);
    EXPECT_EQ(e->mappedCount(), 0);
    EXPECT_EQ(core.GetScreen(0), nullptr);
}
