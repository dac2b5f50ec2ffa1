// The item tree through the real widget: context menu, adding, the section
// limit, renaming, dragging a section into another scene and deleting.
#include "EditorTestUtil.h"

#include "app/editor/Editor.h"

#include "support/SeamScope.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QApplication>
#include <cstring>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

using namespace editor;
using namespace editortest;

namespace {

struct TreeWorld : World {
    support::MessageSpy host;   // the screen panel: the tree's parent
    CEditor* tree;
    QMdiArea area;
    QList<int> codes;
    QStringList texts;

    TreeWorld()
    {
        // The screen's name as it stood when the panel was asked, and the name proposed.
        host.watch(spine::WM_ITEM_RENAME, [](const platform::MessageEvent& m) {
            const auto* node = reinterpret_cast<const tagItemData*>(m.wParam());
            const auto* name = reinterpret_cast<const QString*>(m.lParam());
            return std::any(QStringList{QString::fromUtf16(node->Name), name ? *name : QString()});
        });
        host.resize(260, 420);
        tree = new CEditor(core, &port, &host);
        tree->setGeometry(0, 0, 260, 420);
        tree->setNoticeCallback([this](int code, const QString& text) {
            codes << code;
            texts << text;
        });
        area.resize(900, 500);
    }

    QPoint rowCenter(const tagItemData* node) const
    {
        return tree->visualItemRect(tree->itemOf(node)).center();
    }

    QMenu* rightClick(const tagItemData* node)
    {
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, rowCenter(node));
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }

    void choose(QMenu* menu, unsigned command)
    {
        ASSERT_NE(menu, nullptr);
        QAction* a = menu->findChild<QAction*>(QString::number(command));
        ASSERT_NE(a, nullptr) << command;
        QMenu* holder = menu;
        for (QMenu* sub : menu->findChildren<QMenu*>()) {
            if (sub->actions().contains(a)) {
                holder = sub;
                break;
            }
        }
        if (holder != menu) {
            // Open the submenu from its entry first, as the mouse would.
            menu->setActiveAction(holder->menuAction());
            QTest::keyClick(menu, Qt::Key_Right);
            QTRY_VERIFY(holder->isVisible());
        }
        QTest::mouseClick(holder, Qt::LeftButton, {}, holder->actionGeometry(a).center());
    }

    void click(const tagItemData* node) { QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rowCenter(node)); }
};

QString nameOf(const tagItemData* n)
{
    return nodeName(n);
}

} // namespace

class TreeEditor : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loadPack("UI_EN.rcc")); }
};

TEST_F(TreeEditor, BuildsAScreenFromTheContextMenuAndHitsTheSectionLimit)
{
    TreeWorld w;
    tagItemData* screen = w.screen(96, 32, u"Main");
    w.open(w.area, screen);
    w.tree->setSectionLimitSource([](unsigned) { return 3; });
    w.host.show();
    w.tree->InsertItemTree(screen);
    EXPECT_EQ(w.tree->selectedNode(), screen);

    w.choose(w.rightClick(screen), 32883);   // add a scene
    tagItemData* scene = screen->FirstChild;
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(nameOf(scene), platform::langString(41001) + QStringLiteral("1"));
    EXPECT_EQ(w.tree->selectedNode(), scene);

    // The screen panel's buttons add sections to the selected scene.
    w.click(scene);
    tagItemData* text = w.tree->AddNewItem(IT_WND_TEXT);
    tagItemData* clock = w.tree->AddNewItem(IT_WND_CLOCKSIMUL);
    tagItemData* counter = w.tree->AddNewItem(IT_WND_COUNT);
    ASSERT_TRUE(text && clock && counter);
    EXPECT_EQ(text->Parent, scene);
    EXPECT_EQ(clock->PrevSibling, text);   // after the selected section
    EXPECT_EQ(counter->PrevSibling, clock);
    EXPECT_EQ(text->FirstChild->Item.TypeCode, IT_TEXT);
    EXPECT_EQ(clock->FirstChild->Item.TypeCode, IT_CLOCKSIMUL);
    EXPECT_EQ(counter->FirstChild->Item.TypeCode, IT_COUNT);
    EXPECT_EQ(w.tree->itemOf(text->FirstChild), nullptr);   // items are not rows
    EXPECT_EQ(w.tree->mappedCount(), 5);
    // The canvas shows the new section.
    ASSERT_NE(w.port.FindItemWindow(screen), nullptr);
    EXPECT_NE(w.port.FindItemWindow(screen)->sectionCanvas(counter), nullptr);

    EXPECT_EQ(w.tree->AddNewItem(IT_WND_TEXT), nullptr);
    ASSERT_EQ(w.codes.size(), 1);
    EXPECT_EQ(w.codes[0], kNoticeSectionLimit);
    EXPECT_EQ(w.texts[0], platform::langString(48216).arg(3).arg(4).arg(0).arg(4));
    EXPECT_EQ(sectionCount(scene), 3);

    // A second global scene is refused.
    w.choose(w.rightClick(screen), 32882);
    ASSERT_TRUE(isGlobalScene(screen->FirstChild));
    w.tree->AddNewItem(IT_GLOBALSCENE);
    EXPECT_EQ(w.codes.back(), kNoticeGlobalSceneExists);
    EXPECT_EQ(w.tree->itemOf(screen)->child(0), w.tree->itemOf(screen->FirstChild));
}

TEST_F(TreeEditor, RenamesThroughTheLabelEditorAndRefusesASiblingsName)
{
    TreeWorld w;
    tagItemData* screen = w.screen(64, 32, u"Main");
    tagItemData* scene = w.scene(screen, u"Scene1");
    tagItemData* a = w.section(scene, QRect(0, 0, 8, 8), IT_WND_TEXT, u"a");
    tagItemData* b = w.section(scene, QRect(10, 0, 8, 8), IT_WND_TEXT, u"b");
    w.host.show();
    w.tree->InsertItemTree(screen);

    w.choose(w.rightClick(a), 32901);
    auto* edit = w.tree->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Clock"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(nameOf(a), QStringLiteral("Clock"));
    EXPECT_EQ(w.tree->itemOf(a)->text(0), QStringLiteral("Clock"));

    w.click(b);
    QTest::keyClick(w.tree, Qt::Key_F2);
    edit = w.tree->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Clock"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_VERIFY(w.codes.contains(kNoticeNameTaken));
    EXPECT_EQ(nameOf(b), QStringLiteral("b"));
    QTRY_VERIFY(w.tree->findChild<QLineEdit*>() && w.tree->findChild<QLineEdit*>()->isVisible());   // the edit opens again
    QTest::keyClick(w.tree->findChild<QLineEdit*>(), Qt::Key_Escape);

    // The screen panel is asked before the name is written; a refusal keeps
    // the old name and the typed one in the editor.
    w.host.setAnswer(spine::WM_ITEM_RENAME, 1);
    w.click(screen);
    QTest::keyClick(w.tree, Qt::Key_F2);
    edit = w.tree->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Other"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(w.host.count(spine::WM_ITEM_RENAME), 1);
    EXPECT_EQ(support::payloadOf<QStringList>(w.host.messages().last()), (QStringList{"Main", "Other"}));
    EXPECT_EQ(nameOf(screen), QStringLiteral("Main"));
    QTRY_VERIFY(w.tree->findChild<QLineEdit*>() && w.tree->findChild<QLineEdit*>()->isVisible());
    EXPECT_EQ(w.tree->findChild<QLineEdit*>()->text(), QStringLiteral("Other"));
    EXPECT_EQ(w.tree->itemOf(screen)->text(0), QStringLiteral("Main"));
    w.host.setAnswer(spine::WM_ITEM_RENAME, 0);
    QTest::keyClick(w.tree->findChild<QLineEdit*>(), Qt::Key_Return);
    QTRY_COMPARE(nameOf(screen), QStringLiteral("Other"));
    EXPECT_EQ(w.tree->itemOf(screen)->text(0), QStringLiteral("Other"));
    EXPECT_EQ(w.host.count(spine::WM_ITEM_RENAME), 2);
}

TEST_F(TreeEditor, DragsASectionIntoAnotherSceneWithTheMouse)
{
    TreeWorld w;
    tagItemData* screen = w.screen(64, 32, u"Main");
    tagItemData* s1 = w.scene(screen, u"one");
    tagItemData* s2 = w.scene(screen, u"two");
    tagItemData* a = w.section(s1, QRect(0, 0, 8, 8), IT_WND_TEXT, u"a");
    tagItemData* b = w.section(s2, QRect(10, 0, 8, 8), IT_WND_TEXT, u"b");
    w.open(w.area, screen);
    w.host.show();
    w.tree->InsertItemTree(screen);

    const QPoint from = w.rowCenter(a);
    QTest::mousePress(w.tree->viewport(), Qt::LeftButton, {}, from);
    QTest::qWait(80);   // a drag starting at once is a slipped click
    QTest::mouseMove(w.tree->viewport(), from + QPoint(0, 14));
    ASSERT_TRUE(w.tree->isDragging());
    QTest::mouseMove(w.tree->viewport(), w.rowCenter(b));
    EXPECT_EQ(w.tree->nodeOf(w.tree->dropTarget()), b);
    QTest::mouseRelease(w.tree->viewport(), Qt::LeftButton, {}, w.rowCenter(b));
    EXPECT_FALSE(w.tree->isDragging());
    EXPECT_EQ(a->Parent, s2);
    EXPECT_EQ(a->PrevSibling, b);
    EXPECT_EQ(s1->FirstChild, nullptr);
    EXPECT_EQ(w.tree->itemOf(a)->parent(), w.tree->itemOf(s2));
    EXPECT_EQ(w.tree->itemOf(s2)->indexOfChild(w.tree->itemOf(a)), 1);
    EXPECT_EQ(w.tree->selectedNode(), a);
    EXPECT_EQ(w.tree->mappedCount(), 5);

    // Dropped near the left edge: no target, refused.
    const QPoint again = w.rowCenter(a);
    QTest::mousePress(w.tree->viewport(), Qt::LeftButton, {}, again);
    QTest::qWait(80);
    QTest::mouseMove(w.tree->viewport(), again + QPoint(0, 14));
    QTest::mouseMove(w.tree->viewport(), QPoint(5, w.rowCenter(s1).y()));
    QTest::mouseRelease(w.tree->viewport(), Qt::LeftButton, {}, QPoint(5, w.rowCenter(s1).y()));
    EXPECT_EQ(w.codes.back(), kNoticeDropOtherScreen);
    EXPECT_EQ(a->Parent, s2);
}

TEST_F(TreeEditor, DeletesWithConfirmationButNeverAScreen)
{
    TreeWorld w;
    support::SeamScope seams;
    tagItemData* screen = w.screen(64, 32, u"Main");
    tagItemData* scene = w.scene(screen, u"one");
    tagItemData* a = w.section(scene, QRect(0, 0, 8, 8), IT_WND_TEXT, u"a");
    CChildFrame* frame = w.open(w.area, screen);
    w.host.show();
    w.tree->InsertItemTree(screen);
    w.click(a);
    ASSERT_NE(frame->canvas()->sectionCanvas(a), nullptr);

    seams.nextAnswer(QMessageBox::No);
    w.choose(w.rightClick(a), 32902);
    EXPECT_EQ(scene->FirstChild, a);

    seams.nextAnswer(QMessageBox::Yes);
    w.choose(w.rightClick(a), 32902);
    EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(48172).arg(QStringLiteral("a")));
    EXPECT_EQ(scene->FirstChild, nullptr);
    EXPECT_EQ(frame->canvas()->openSectionCount(), 0);
    EXPECT_EQ(w.tree->mappedCount(), 2);

    // The Del key asks too; a screen is not deleted from the tree.
    tagItemData* b = w.tree->AddNewItem(IT_WND_TEXT);
    ASSERT_NE(b, nullptr);
    seams.nextAnswer(QMessageBox::Yes);
    QTest::keyClick(w.tree, Qt::Key_Delete);
    EXPECT_EQ(scene->FirstChild, nullptr);
    w.click(screen);
    QTest::keyClick(w.tree, Qt::Key_Delete);
    EXPECT_EQ(w.codes.back(), kNoticeDeleteScreen);
    EXPECT_EQ(w.tree->DeleteSelectedItem(), 0);
    w.tree->setCurrentItem(nullptr);
    EXPECT_EQ(w.tree->DeleteSelectedItem(), 0);
    EXPECT_EQ(w.codes.back(), kNoticeDeleteNoSelection);

    // Without asking, the screen goes with its window, and the pane hears of no selection.
    w.pane.clear();
    w.tree->DeleteItem(screen);
    EXPECT_EQ(w.tree->topLevelItemCount(), 0);
    EXPECT_EQ(w.tree->mappedCount(), 0);
    support::flushDeletes();
    EXPECT_TRUE(w.area.subWindowList().isEmpty());
    ASSERT_FALSE(w.pane.messages().isEmpty());
    EXPECT_EQ(w.pane.messages().back().w, 0u);
}

TEST_F(TreeEditor, MenuCommandsReachThePanelsAndTheMainFrame)
{
    TreeWorld w;
    tagItemData* screen = w.screen(64, 32, u"Main");
    tagItemData* other = w.screen(32, 16, u"Second");
    tagItemData* scene = w.scene(screen, u"one");
    tagItemData* list = w.section(scene, QRect(0, 0, 8, 8), IT_WND_PROGLIST, u"list");
    w.host.show();
    w.tree->InsertItemTree(screen);
    w.tree->InsertItemTree(other);

    w.choose(w.rightClick(list), 32937);   // add a picture
    w.choose(w.rightClick(screen), 32954);  // send to all
    QMenu* menu = w.rightClick(screen);
    ASSERT_NE(menu, nullptr);
    QMenu* send = menu->actions().first()->menu();
    ASSERT_NE(send, nullptr);
    QAction* through = send->actions().last();
    EXPECT_EQ(through->text(), QStringLiteral("Second"));
    through->trigger();
    menu->close();
    QCoreApplication::processEvents();

    const auto created = w.itemList.messages();
    ASSERT_EQ(w.itemList.count(spine::WM_ITEM_CREATE), 1);
    for (const auto& m : created)
        if (m.id == spine::WM_ITEM_CREATE) {
            EXPECT_EQ(m.w, reinterpret_cast<platform::WPARAM>(list));
            EXPECT_EQ(m.l, IT_IMAGE);
        }
    QList<platform::LPARAM> links;
    for (const auto& m : w.frame.messages())
        if (m.id == spine::WM_SEND_PROGRAMS) {
            EXPECT_EQ(m.w, reinterpret_cast<platform::WPARAM>(screen));
            links << m.l;
        }
    EXPECT_EQ(links, (QList<platform::LPARAM>{-1, reinterpret_cast<platform::LPARAM>(other)}));
}

TEST_F(TreeEditor, ScreenshotsOfTheTreeWithItsMenu)
{
    for (int lang = 0; lang < 3; ++lang) {
        ASSERT_TRUE(loadPack(kPacks[lang]));
        TreeWorld w;
        tagItemData* screen = w.screen(96, 32, u"");
        w.tree->InsertItemTree(screen);
        w.host.show();
        w.tree->AddNewItem(IT_GLOBALSCENE);
        w.tree->setCurrentItem(w.tree->itemOf(screen));
        w.tree->AddNewItem(IT_SCENE);
        w.tree->AddNewItem(IT_WND_TEXT);
        w.tree->AddNewItem(IT_WND_CLOCKDIGIT);
        w.tree->AddNewItem(IT_WND_PROGLIST);
        tagItemData* section = w.tree->selectedNode();
        EXPECT_EQ(nameOf(screen), platform::langString(41012) + QStringLiteral("1"));
        // The section's popup, and the screen's (where display off and close sit together).
        for (auto [node, name] : {std::pair{section, "tree_menu"}, std::pair{screen, "tree_screen_menu"}}) {
            QMenu* menu = w.rightClick(node);
            ASSERT_NE(menu, nullptr);
            QTest::qWait(20);
            QImage shot(560, 420, QImage::Format_RGB32);
            shot.fill(Qt::white);
            {
                QPainter p(&shot);
                w.tree->render(&p);
                p.drawPixmap(w.tree->mapFromGlobal(menu->pos()), menu->grab());
            }
            menu->close();
            EXPECT_TRUE(shot.save(outputDir() + QStringLiteral("/%1_%2.png").arg(QLatin1String(name),
                                                                                 QLatin1String(kPackTags[lang]))));
        }
    }
    ASSERT_TRUE(loadPack("UI_EN.rcc"));
}

TEST_F(TreeEditor, ALongNameInANarrowPanelScrollsInsteadOfBeingCut)
{
    TreeWorld w;
    tagItemData* screen = w.screen(96, 32, u"screen");
    tagItemData* section = w.section(w.scene(screen), QRect(0, 0, 8, 8), IT_WND_TEXT,
                                     u"A text window with a long descriptive name");
    w.tree->InsertItemTree(screen);
    w.host.show();
    w.tree->setGeometry(0, 0, 140, 300);
    QCoreApplication::processEvents();
    const QRect row = w.tree->visualItemRect(w.tree->itemOf(section));
    const int text = w.tree->fontMetrics().horizontalAdvance(nameOf(section));
    EXPECT_GE(w.tree->columnWidth(0), row.left() + text);
    EXPECT_GT(w.tree->horizontalScrollBar()->maximum(), 0);
}

TEST_F(TreeEditor, DraggingNearTheBottomScrollsAndHoveringExpands)
{
    TreeWorld w;
    tagItemData* screen = w.screen(64, 32, u"Main");
    std::vector<tagItemData*> scenes;
    for (int i = 0; i < 30; ++i)
        scenes.push_back(w.scene(screen, u"scene"));
    tagItemData* moving = w.section(scenes[0], QRect(0, 0, 8, 8), IT_WND_TEXT, u"moving");
    w.section(scenes[1], QRect(0, 0, 8, 8), IT_WND_TEXT, u"inside");
    w.host.show();
    w.tree->InsertItemTree(screen);
    w.tree->itemOf(scenes[1])->setExpanded(false);
    w.tree->scrollToTop();

    const QPoint from = w.rowCenter(moving);
    QTest::mousePress(w.tree->viewport(), Qt::LeftButton, {}, from);
    QTest::qWait(80);
    QTest::mouseMove(w.tree->viewport(), from + QPoint(0, 14));
    ASSERT_TRUE(w.tree->isDragging());
    // Resting on a collapsed scene opens it.
    QTest::mouseMove(w.tree->viewport(), w.rowCenter(scenes[1]));
    QTRY_VERIFY_WITH_TIMEOUT(w.tree->itemOf(scenes[1])->isExpanded(), 2000);
    // Past the bottom edge the tree scrolls, and the last visible row is the target.
    const int bottom = w.tree->viewport()->height();
    QTest::mouseMove(w.tree->viewport(), QPoint(60, bottom + 30));
    QTRY_VERIFY_WITH_TIMEOUT(w.tree->verticalScrollBar()->value() > 2, 2000);
    EXPECT_NE(w.tree->dropTarget(), nullptr);
    QTest::mouseRelease(w.tree->viewport(), Qt::LeftButton, {}, QPoint(60, bottom + 30));
    EXPECT_FALSE(w.tree->isDragging());
}

TEST_F(TreeEditor, ControllerCommandsGoThroughTheChosenLinkAndLeaveTheScreensOwn)
{
    sim::SimController own, other;
    sim::TcpPeer ownPeer(own), otherPeer(other);
    TreeWorld w;
    tagItemData* screen = w.screen(64, 32, u"Main");
    tagItemData* relay = w.screen(32, 16, u"Relay");
    auto bind = [](tagItemData* s, const sim::SimController& c, const sim::TcpPeer& peer) {
        tagGlobalInfo& g = s->Global;
        g.CommType = COMM_NETWORK;
        std::memset(g.Host, 0, sizeof g.Host);
        std::strcpy(g.Host, "127.0.0.1");
        g.HostKind = 0;
        g.HostPort = peer.port();
        g.ID = c.address();
    };
    bind(screen, own, ownPeer);
    bind(relay, other, otherPeer);
    w.tree->InsertItemTree(screen);
    w.tree->InsertItemTree(relay);
    // The commands come as jobs; these run on a thread of their own, as on
    // the task dialog's worker, with the screen's own setting in place when
    // the job is handed over.
    int jobs = 0;
    w.port.jobs = [&](std::function<int(CCore&)> call) {
        ++jobs;
        EXPECT_EQ(screen->Global.TargetScreen, TARGET_SCREEN_NONE);
        std::thread worker([&] { call(w.core); });
        worker.join();
    };
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;

    // Reset through the screen's own link.
    w.tree->OnMenuCommand(32967, screen);
    ASSERT_TRUE(own.waitForBlocks(1));
    QTRY_COMPARE(own.resets(), 1);
    EXPECT_EQ(other.resets(), 0);

    EXPECT_EQ(screen->Global.TargetScreen, TARGET_SCREEN_NONE);

    // Switch on through the other screen, from its entry of the submenu; the
    // screen's own setting (send to every controller) comes back afterwards.
    w.host.show();
    QMenu* menu = w.rightClick(screen);
    ASSERT_NE(menu, nullptr);
    QMenu* on = menu->actions().at(3)->menu();
    ASSERT_NE(on, nullptr);
    ASSERT_EQ(on->actions().last()->text(), QStringLiteral("Relay"));
    on->actions().last()->trigger();
    menu->close();
    // The controller may take the block a moment after the link is done with it.
    ASSERT_TRUE(other.waitForBlocks(1));
    QTRY_COMPARE(other.switchValue(), 1u);
    EXPECT_EQ(own.switchValue(), 0u);
    EXPECT_EQ(screen->Global.TargetScreen, TARGET_SCREEN_NONE);
    EXPECT_EQ(jobs, 2);
}
