// The item-list panel on the window page: adding, moving and deleting items
// keeps the list and the core's order the same; the tree's selections and
// item requests reach only the window loaded.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyEffectText.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "support/LangPackScope.h"
#include "support/SeamScope.h"
#include "support/TreeBuilder.h"

#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace panels;

namespace {

struct ListFixture : ::testing::Test {
    CCore core;
    support::TreeBuilder tree;
    paneltest::FakeHost host;
    support::SeamScope seams;
    tagItemData* screen = tree.screen(support::ScreenSpec{128, 64});
    tagItemData* scene = tree.scene(screen);
    tagItemData* window = tree.section(scene, QRect(0, 0, 64, 32), u"list", IT_WND_PROGLIST);
    tagItemData* other = tree.section(scene, QRect(64, 0, 64, 32), u"other", IT_WND_PROGLIST);
    tagItemData* foreign = tree.item(other, IT_TEXT, u"foreign");
    CPanelProperty pane{PanelContext{core, &host}};
    CPropertyProgList* panel = pane.windowPage()->progList();
    QListWidget* list = panel->list();
    int menuPick = 0;
    QStringList menuTexts;

    void SetUp() override
    {
        seams->popupMenu = [this](QMenu* m, const QPoint&) {
            menuTexts.clear();
            for (QAction* a : m->actions())
                menuTexts << a->text();
            return m->actions().value(menuPick);
        };
        pane.resize(1200, 260);
        pane.show();
    }
    void select(tagItemData* n)
    {
        platform::sendMessage(&pane, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(n));
        QCoreApplication::processEvents();
    }
    void clickButton(int id)
    {
        QTest::mouseClick(support::findByControlId<QPushButton>(panel, id), Qt::LeftButton, {}, QPoint(5, 5));
        QCoreApplication::processEvents();
    }
    void add(int entry)
    {
        menuPick = entry;
        clickButton(CPropertyProgList::IdAdd);
    }
    // The core's order of the window's items, and the list's.
    std::vector<tagItemData*> coreOrder() const
    {
        std::vector<tagItemData*> out;
        for (tagItemData* c = window->FirstChild; c; c = c->NextSibling)
            out.push_back(c);
        return out;
    }
    std::vector<tagItemData*> listOrder() const
    {
        std::vector<tagItemData*> out;
        for (int i = 0; i < list->count(); ++i)
            out.push_back(panel->itemAt(i));
        return out;
    }
    void clickRow(int row)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
};

} // namespace

TEST_F(ListFixture, AddingWithoutASelectionPutsTheItemFirst)
{
    support::LangPackScope pack;
    pack.setString(41003, "Text");
    select(window);
    ASSERT_EQ(list->count(), 0);
    add(1);   // rich text
    ASSERT_EQ(list->count(), 1);
    tagItemData* first = window->FirstChild;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Item.TypeCode, IT_TEXT);
    EXPECT_EQ(QString::fromUtf16(first->Name), "Text1");
    EXPECT_EQ(list->item(0)->text(), "Text1");
    // The new row is selected and drives the page.
    EXPECT_EQ(pane.windowPage()->effect()->node(), first);

    // Further items go after the selected one, named with the next free number.
    add(1);
    add(3);   // picture
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(listOrder(), coreOrder());
    EXPECT_EQ(QString::fromUtf16(window->FirstChild->NextSibling->Name), "Text2");
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(panel->itemAt(2)->Item.TypeCode, IT_IMAGE);
}

TEST_F(ListFixture, ANewSingleLineSaysWhatItIsInThePacksLanguage)
{
    support::LangPackScope pack;
    pack.setString(41010, QString::fromUtf16(u"单行文字"));
    select(window);
    add(0);
    ASSERT_NE(window->FirstChild, nullptr);
    ASSERT_EQ(window->FirstChild->Item.TypeCode, IT_SINGLELINE);
    EXPECT_EQ(window->FirstChild->Item.TypeRecord->text(), QString::fromUtf16(u"单行文字"));
}

TEST_F(ListFixture, TheAddMenuFollowsTheWindowKind)
{
    EXPECT_EQ(addMenuEntries(IT_WND_PROGLIST).size(), 9u);
    const std::vector<AddMenuEntry> content = addMenuEntries(IT_WND_CONTENTLIST);
    ASSERT_EQ(content.size(), 6u);
    const std::uint16_t types[] = {IT_SINGLELINE, IT_TEXT, IT_TEXTGIF, IT_IMAGE, IT_GIF, IT_GRID};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(content[std::size_t(i)].command, i + 1);
        EXPECT_EQ(content[std::size_t(i)].itemType, types[i]);
    }
    EXPECT_TRUE(addMenuEntries(IT_WND_TEXT).empty());
    for (const AddMenuEntry& e : addMenuEntries(IT_WND_PROGLIST))
        EXPECT_NE(e.itemType, IT_COUNT2);

    window->Section.WndKind = IT_WND_CONTENTLIST;
    select(window);
    add(4);
    EXPECT_EQ(menuTexts.size(), 6);
    ASSERT_NE(window->FirstChild, nullptr);
    EXPECT_EQ(window->FirstChild->Item.TypeCode, IT_GIF);
}

TEST_F(ListFixture, MovingKeepsTheListAndTheCoreInTheSameOrder)
{
    tagItemData* a = tree.item(window, IT_TEXT, u"a");
    tagItemData* b = tree.item(window, IT_IMAGE, u"b");
    tagItemData* c = tree.item(window, IT_GRID, u"c");
    select(window);
    ASSERT_EQ(list->currentRow(), 0);
    // The first row up changes nothing.
    clickButton(CPropertyProgList::IdUp);
    EXPECT_EQ(coreOrder(), (std::vector<tagItemData*>{a, b, c}));
    clickButton(CPropertyProgList::IdDown);
    EXPECT_EQ(coreOrder(), (std::vector<tagItemData*>{b, a, c}));
    EXPECT_EQ(listOrder(), coreOrder());
    EXPECT_EQ(list->currentRow(), 1);
    clickButton(CPropertyProgList::IdDown);
    EXPECT_EQ(coreOrder(), (std::vector<tagItemData*>{b, c, a}));
    // The last row down changes nothing.
    clickButton(CPropertyProgList::IdDown);
    EXPECT_EQ(coreOrder(), (std::vector<tagItemData*>{b, c, a}));
    clickRow(1);
    clickButton(CPropertyProgList::IdUp);
    EXPECT_EQ(coreOrder(), (std::vector<tagItemData*>{c, b, a}));
    EXPECT_EQ(listOrder(), coreOrder());
    EXPECT_EQ(list->currentRow(), 0);
    // The row map follows the rows: the tree's selection finds each item.
    clickRow(2);
    platform::sendMessage(panel, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(b));
    EXPECT_EQ(list->currentRow(), 1);

    // A block of neighbouring rows moves as one, down and up, in its order.
    clickRow(0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(1)).center());
    ASSERT_EQ(list->selectedItems().size(), 2);
    clickButton(CPropertyProgList::IdDown);
    EXPECT_EQ(coreOrder(), (std::vector<tagItemData*>{a, c, b}));
    EXPECT_EQ(listOrder(), coreOrder());
    clickRow(1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(2)).center());
    clickButton(CPropertyProgList::IdUp);
    EXPECT_EQ(coreOrder(), (std::vector<tagItemData*>{c, b, a}));
    EXPECT_EQ(listOrder(), coreOrder());
}

TEST_F(ListFixture, DeletingAsksFirstAndTheLastDeletionClearsThePanels)
{
    tagItemData* a = tree.item(window, IT_TEXT, u"a");
    tree.item(window, IT_IMAGE, u"b");
    select(window);
    clickRow(1);
    seams.nextAnswer(QMessageBox::Cancel);
    clickButton(CPropertyProgList::IdDelete);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(CCore::GetChildNum(window), 2);

    seams.nextAnswer(QMessageBox::Ok);
    clickButton(CPropertyProgList::IdDelete);
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(coreOrder(), (std::vector<tagItemData*>{a}));
    ASSERT_EQ(host.removed.size(), 1u);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(pane.windowPage()->effect()->node(), a);

    seams.nextAnswer(QMessageBox::Ok);
    clickButton(CPropertyProgList::IdDelete);
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(window->FirstChild, nullptr);
    // The panels that showed it let go of it, and the page shows none.
    EXPECT_EQ(pane.windowPage()->effect()->node(), nullptr);
    EXPECT_EQ(pane.windowPage()->currentMain(), nullptr);
    EXPECT_EQ(pane.windowPage()->currentEffect(), nullptr);
}

TEST_F(ListFixture, TheTreeReachesOnlyTheLoadedWindow)
{
    tagItemData* a = tree.item(window, IT_TEXT, u"a");
    tagItemData* b = tree.item(window, IT_IMAGE, u"b");
    select(window);
    host.clear();
    // A selection on behalf of the tree does not select on the canvas again.
    EXPECT_EQ(platform::sendMessage(panel, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(b)), 1);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_TRUE(host.selected.empty());
    EXPECT_EQ(pane.windowPage()->effect()->node(), b);
    // The user's next click does.
    clickRow(0);
    ASSERT_EQ(host.selected.size(), 1u);
    EXPECT_EQ(host.selected.back(), a);
    // Another window's item, or the row already selected: nothing.
    EXPECT_EQ(platform::sendMessage(panel, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(foreign)), 0);
    EXPECT_EQ(platform::sendMessage(panel, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(a)), 0);
    EXPECT_EQ(list->currentRow(), 0);

    platform::sendMessage(panel, spine::WM_ITEM_CREATE, reinterpret_cast<platform::WPARAM>(other), IT_TEXT);
    EXPECT_EQ(CCore::GetChildNum(other), 1);
    EXPECT_EQ(list->count(), 2);
    platform::sendMessage(panel, spine::WM_ITEM_CREATE, reinterpret_cast<platform::WPARAM>(window), IT_GRID);
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(panel->itemAt(1)->Item.TypeCode, IT_GRID);
    EXPECT_EQ(listOrder(), coreOrder());
}

TEST_F(ListFixture, AnItemDeletedFromTheTreeLeavesTheList)
{
    tree.item(window, IT_TEXT, u"a");
    tagItemData* b = tree.item(window, IT_IMAGE, u"b");
    tagItemData* c = tree.item(window, IT_GRID, u"c");
    select(window);
    pane.OnNodeDeleting(b);
    core.DeleteItem(b);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(listOrder(), coreOrder());
    // The rows after it are found at their new places.
    platform::sendMessage(panel, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(c));
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(pane.windowPage()->effect()->node(), c);
    // The window going empties the list.
    pane.OnNodeDeleting(window);
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(panel->node(), nullptr);
    EXPECT_EQ(pane.windowPage()->effect()->node(), nullptr);
}

TEST_F(ListFixture, WalkingTheListKeepsTheKeysInTheList)
{
    tree.item(window, IT_GRID, u"a");
    tree.item(window, IT_TEXT, u"b");
    tree.item(window, IT_IMAGE, u"c");
    select(window);
    clickRow(0);
    ASSERT_EQ(QApplication::focusWidget(), list);
    // The text row loads the text panel, which takes the focus when it
    // loads; the next key must still move through the list.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(QApplication::focusWidget(), list);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 2);
}
