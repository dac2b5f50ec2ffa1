// Faults an operator met with keys and clicks in the main frame: one
// selection after a screen closes, the tree menu's "Add" commands, the
// section-limit text, a new screen that holds nothing to save, and where
// made screens go in the tree.
#include "FrameTestUtil.h"

#include "app/dialogs/wizard/NewScreenDlg.h"
#include "app/editor/ChildFrame.h"
#include "app/editor/ScreenLed.h"
#include "app/editor/TreeRules.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyImg.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "app/shell/CommandTables.h"
#include "app/spine/Messages.h"
#include "support/ModalRunner.h"
#include "support/SeamScope.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell;

using frametest::countRuns;
using frametest::FrameHarness;
using frametest::S;

namespace {

struct Walk {
    FrameHarness h;
    support::SeamScope seams;
    editor::CEditor* tree = nullptr;

    Walk()
    {
        h.frame->show();
        h.frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(h.frame.get()));
        tree = h.tree();
    }

    // A screen after the last, with a scene, a text window and its text.
    tagItemData* screenWithText(const char16_t* name)
    {
        tagItemData* last = h.core.GetScreen(0);
        while (last && last->NextSibling)
            last = last->NextSibling;
        tagItemData* screen = h.core.AddItem(IT_SCREEN, name, nullptr, last);
        tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        tagItemData* wnd = h.core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
        h.core.AddItem(IT_TEXT, u"t", wnd, nullptr);
        h.frame->Panel()->InsertItemTree(screen);
        return screen;
    }

    QPoint rowCenter(const tagItemData* node) const
    {
        tree->scrollToItem(tree->itemOf(node));
        return tree->visualItemRect(tree->itemOf(node)).center();
    }
    void click(const tagItemData* node)
    {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rowCenter(node));
        QCoreApplication::processEvents();
    }
    // The tree's menu on `node`, and its command chosen with the mouse.
    void choose(const tagItemData* node, unsigned command)
    {
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, rowCenter(node));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* a = menu->findChild<QAction*>(QString::number(command));
        ASSERT_NE(a, nullptr) << command;
        QMenu* holder = menu;
        for (QMenu* sub : menu->findChildren<QMenu*>())
            if (sub->actions().contains(a))
                holder = sub;
        if (holder != menu) {
            menu->setActiveAction(holder->menuAction());
            QTest::keyClick(menu, Qt::Key_Right);
            ASSERT_TRUE(QTest::qWaitFor([&] { return holder->isVisible(); }, 2000));
        }
        QTest::mouseClick(holder, Qt::LeftButton, {}, holder->actionGeometry(a).center());
        regainActivation();
    }
    // The offscreen platform leaves no window active after a popup closes; a
    // desktop gives the activation back to the main window.
    void regainActivation()
    {
        QCoreApplication::processEvents();
        if (!QApplication::activeWindow()) {
            h.frame->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(h.frame.get()));
        }
    }
    // The same command with the keyboard: the menu key, then the entry's
    // position walked with Down and taken with Enter.
    void chooseByKey(const tagItemData* node, unsigned command)
    {
        click(node);
        QContextMenuEvent key(QContextMenuEvent::Keyboard, rowCenter(node));
        QApplication::sendEvent(tree->viewport(), &key);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);

        QAction* a = menu->findChild<QAction*>(QString::number(command));
        ASSERT_NE(a, nullptr) << command;
        ASSERT_TRUE(menu->actions().contains(a)) << "a top-level entry";
        for (int i = 0; i < 40 && menu->activeAction() != a; ++i)
            QTest::keyClick(menu, Qt::Key_Down);
        ASSERT_EQ(menu->activeAction(), a);
        QTest::keyClick(menu, Qt::Key_Return);
        regainActivation();
    }
    tagItemData* activeScreen() const
    {
        auto* frame = qobject_cast<editor::CChildFrame*>(h.frame->MdiArea()->activeSubWindow());
        return frame ? frame->canvas()->boundItem() : nullptr;
    }
    QStringList treeOrder() const
    {
        QStringList names;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            names << tree->topLevelItem(i)->text(0);
        return names;
    }
    QStringList coreOrder()
    {
        QStringList names;
        for (tagItemData* s = h.core.GetScreen(0); s; s = s->NextSibling)
            names << editor::nodeName(s);
        return names;
    }
};

} // namespace

TEST(SelectionRoad, AfterCloseScreenTheTreeAndTheWindowShowOneScreenAndF5SendsIt)
{
    Walk w;
    std::vector<tagItemData*> sent;
    int runs = 0;
    countRuns(w.seams.frame(), runs, [&](tagItemData* s, const LinkSettings*) { sent.push_back(s); });
    tagItemData* first = w.h.core.GetScreen(0);
    tagItemData* scene = w.h.core.AddItem(IT_SCENE, u"scene", first, nullptr);
    w.h.core.AddItem(IT_TEXT, u"t", w.h.core.AddItem(IT_WND_TEXT, u"w", scene, nullptr), nullptr);
    w.h.frame->Panel()->InsertItemTree(first);
    w.screenWithText(u"A");
    tagItemData* b = w.screenWithText(u"B");
    tagItemData* c = w.screenWithText(u"C");
    // Close each of a middle, the last and the first screen, shown selected.
    for (tagItemData* gone : {b, c, first}) {
        w.click(gone);
        ASSERT_EQ(w.activeScreen(), gone);
        w.seams.nextAnswer(QMessageBox::No);   // not saved
        w.choose(gone, 32889);
        QCoreApplication::processEvents();
        QTest::qWait(20);
        tagItemData* shown = w.tree->GetSelectedScreen();
        ASSERT_NE(shown, nullptr);
        EXPECT_NE(shown, gone);
        EXPECT_EQ(w.activeScreen(), shown);
        EXPECT_EQ(w.h.list()->GetSelectedScreen(), shown);
        sent.clear();
        QTest::keyClick(w.h.frame.get(), Qt::Key_F5);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !sent.empty(); }, 2000)) << frametest::tipText(*w.h.frame).toStdString() << " / " << controls::MessageBox::lastText().toStdString();
        EXPECT_EQ(sent.back(), shown);
    }
}

TEST(SelectionRoad, TheTreeMenusAddCommandsAddToAProgramListWindowByMouseAndByKey)
{
    Walk w;
    tagItemData* screen = w.h.core.GetScreen(0);
    tagItemData* scene = w.h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* list = w.h.core.AddItem(IT_WND_PROGLIST, u"list", scene, nullptr);
    w.h.frame->Panel()->InsertItemTree(screen);
    w.click(list);
    auto* items = w.h.frame->PropertyPane()->findChild<panels::CPropertyProgList*>();
    ASSERT_NE(items, nullptr);
    auto* rows = items->findChild<QListWidget*>();
    ASSERT_NE(rows, nullptr);
    const auto kinds = [&] {
        std::vector<int> k;
        for (tagItemData* i = list->FirstChild; i; i = i->NextSibling)
            k.push_back(i->Item.TypeCode);
        return k;
    };
    const std::size_t before = kinds().size();
    w.choose(list, 32935);   // single-line text
    ASSERT_TRUE(QTest::qWaitFor([&] { return kinds().size() == before + 1; }, 2000));
    w.chooseByKey(list, 32937);   // picture
    ASSERT_TRUE(QTest::qWaitFor([&] { return kinds().size() == before + 2; }, 2000));
    const std::vector<int> k = kinds();
    EXPECT_EQ(std::count(k.begin(), k.end(), IT_SINGLELINE), 1);
    EXPECT_EQ(std::count(k.begin(), k.end(), IT_IMAGE), 1);
    EXPECT_EQ(rows->count(), int(k.size()));
}

TEST(SelectionRoad, TheSectionLimitTextNamesTheCountAddingWouldMake)
{
    Walk w;
    w.tree->setSectionLimitSource([](unsigned) { return 3; });
    tagItemData* screen = w.h.core.GetScreen(0);
    w.click(screen);
    QWidget* textButton = support::findByControlId<QWidget>(w.h.frame->ItemKindBar(), 6124);
    ASSERT_NE(textButton, nullptr);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(textButton, Qt::LeftButton);
    tagItemData* scene = screen->FirstChild;
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(editor::sectionCount(scene), 3);
    w.click(scene);
    QTest::mouseClick(textButton, Qt::LeftButton);
    EXPECT_EQ(editor::sectionCount(scene), 3);
    EXPECT_EQ(frametest::tipText(*w.h.frame), S(48216).arg(3).arg(4).arg(0).arg(4));
}

TEST(SelectionRoad, OpeningOverANewUntouchedScreenAsksNothingButOverAChangedOneAsks)
{
    Walk w;
    const QString file = w.h.writeProgramList(QStringLiteral("other"));
    tagItemData* screen = w.h.core.GetScreen(0);
    w.click(screen);
    w.seams.nextFileName(file);
    // A question would take the answer No and leave its text.
    w.seams.nextAnswer(QMessageBox::No);
    w.seams->lastMessage.clear();
    QTest::keyClick(w.h.frame.get(), Qt::Key_O, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(controls::MessageBox::lastText(), QString());
    EXPECT_EQ(w.h.list()->ScreenFile(screen), QFileInfo(file).absoluteFilePath());

    // Made anew and then changed, a screen asks.
    w.h.list()->ForgetScreenFile(screen);   // as a new one
    w.click(screen);
    QWidget* sceneButton = support::findByControlId<QWidget>(w.h.frame->ItemKindBar(), 6122);
    QTest::mouseClick(sceneButton, Qt::LeftButton);
    w.click(screen);
    w.seams.nextFileName(file);
    w.seams.nextAnswer(QMessageBox::Cancel);
    QTest::keyClick(w.h.frame.get(), Qt::Key_O, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(controls::MessageBox::lastText(), S(46001));
}

TEST(SelectionRoad, ANewScreenGoesLastInTheTreeWhereItsWindowOpensWhateverIsSelected)
{
    Walk w;
    tagItemData* first = w.h.core.GetScreen(0);
    w.screenWithText(u"B");
    w.click(first);
    for (int round = 0; round < 2; ++round) {
        support::ModalRunner create([](QWidget* modal) {
            QTest::mouseClick(support::findByControlId<QPushButton>(modal, dialogs::CNewScreenDlg::IDC_CREATE),
                              Qt::LeftButton);
        });
        QWidget* button = support::findByControlId<QWidget>(w.h.frame->MainToolBar(), ID_NEW_SCREEN);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(create.answered()) << create.failure().toStdString() << frametest::tipText(*w.h.frame).toStdString() << controls::MessageBox::lastText().toStdString();
        w.click(first);
    }
    ASSERT_EQ(w.h.screenCount(), 4);
    EXPECT_EQ(w.treeOrder(), w.coreOrder());
    // The windows opened one after another, in the tree's order.
    QStringList windows;
    for (QMdiSubWindow* sub : w.h.frame->MdiArea()->subWindowList(QMdiArea::CreationOrder))
        windows << sub->windowTitle();
    EXPECT_EQ(windows, w.treeOrder());
}

TEST(SelectionRoad, TheAnimationsPanelIsTitledAfterItsKindInEachLanguage)
{
    for (const char* pack : {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"}) {
        FrameHarness h(pack);
        h.frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
        tagItemData* screen = h.core.GetScreen(0);
        tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        tagItemData* list = h.core.AddItem(IT_WND_PROGLIST, u"list", scene, nullptr);
        h.core.AddItem(IT_GIF, u"moving", list, nullptr);
        h.core.AddItem(IT_IMAGE, u"still", list, nullptr);   // at the head: row 0
        h.frame->Panel()->InsertItemTree(screen);
        editor::CEditor* tree = h.tree();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->itemOf(list)).center());
        QCoreApplication::processEvents();
        auto* rows = h.frame->PropertyPane()->findChild<panels::CPropertyProgList*>()->findChild<QListWidget*>();
        auto* panel = h.frame->PropertyPane()->findChild<panels::CPropertyImg*>();
        ASSERT_TRUE(rows && panel);
        ASSERT_EQ(rows->count(), 2);
        for (int row : {1, 0, 1}) {
            QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(rows->item(row)).center());
            QCoreApplication::processEvents();
            EXPECT_EQ(panel->title(), S(row == 1 ? 41008 : 48250)) << pack << " row " << row;
        }
    }
}
