// The operator's keys and clicks through the real main window: a formula
// typed into a table item with Enter, Tab or a click away shows its value
// on the canvas, and a click on a text window in the item tree leaves the
// keyboard in the tree. Only QTest key and mouse events drive the windows.
#include "FrameTestUtil.h"
#include "OperatorRoad.h"

#include "app/controls/MessageBox.h"
#include "app/gridwin/GridWindow.h"
#include "app/panels/PropertyGrid.h"
#include "app/panels/PropertyText.h"
#include "core/api/ItemRecord.h"
#include "grid/RealGrid.h"
#include "support/Screenshots.h"
#include "support/SeamScope.h"

#include <QApplication>
#include <QLineEdit>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace shell;
using namespace operatorroad;
using frametest::FrameHarness;

namespace {

struct Pack {
    const char* tag;
    const char* file;
};
const Pack kPacks[] = {{"en", "UI_EN.rcc"}, {"cn", "UI_CN.rcc"}, {"tw", "UI_TW.rcc"}};

// A shown frame with a screen of 256 x 128 LEDs holding one scene, its
// window open and selected.
tagItemData* openWideScreen(FrameHarness& h)
{
    h.frame->show();
    if (!QTest::qWaitForWindowExposed(h.frame.get()))
        return nullptr;
    QApplication::setActiveWindow(h.frame.get());
    tagItemData* screen = h.core.AddItem(IT_SCREEN, u"Keys", nullptr, h.core.GetScreen(0));
    screen->Global.Width = 256;
    screen->Global.Height = 128;
    h.frame->Panel()->InsertItemTree(screen);
    if (!h.frame->FindItemWindow(screen))
        h.frame->OpenScreenWindow(screen);
    QCoreApplication::processEvents();
    return clickInTree(*h.frame, screen) ? screen : nullptr;
}

class TableInAPane : public ::testing::TestWithParam<Pack> {};

} // namespace

TEST_P(TableInAPane, AFormulaEndedWithEnterTabOrAClickShowsItsValueOnTheCanvas)
{
    FrameHarness h(GetParam().file);
    h.frame->resize(1500, 900);   // room for the table panel beside the others
    tagItemData* screen = openWideScreen(h);
    ASSERT_NE(screen, nullptr);
    kindButton(*h.frame, ID_KIND_FIRST + 1);   // scene
    kindButton(*h.frame, ID_KIND_FIRST + 4);   // content-list window
    tagItemData* window = selectedNode(*h.frame);
    ASSERT_NE(window, nullptr);
    placeSection(*h.frame, 0, 0, 256, 128);
    tagItemData* table = addListItem(*h.frame, IT_GRID);
    ASSERT_NE(table, nullptr);
    TableKeys keys(*h.frame);
    ASSERT_TRUE(keys.ready());
    editor::CSectionLed* led = h.frame->FindItemWindow(screen)->sectionCanvas(window);
    ASSERT_NE(led, nullptr);

    keys.type(1, 1, "5", Qt::Key_Return);
    keys.type(1, 2, "7", Qt::Key_Return);
    keys.clickCell(3, 1);
    const QImage empty = canvasPicture(led);
    keys.type(1, 3, "12", Qt::Key_Tab);
    ASSERT_EQ(keys.text(1, 3), u"12");
    const QImage twelve = canvasPicture(led, empty);
    ASSERT_NE(twelve, empty);   // the canvas shows the cell at all
    keys.type(1, 3, "=A1+A2", Qt::Key_Tab);   // as text it would differ from the value
    keys.clear(1, 3);
    ASSERT_EQ(canvasPicture(led, twelve), empty);

    struct Case {
        const char* typed;
        Qt::Key end;   // Qt::Key_unknown: a click on another cell ends it
        bool thenClick;
    } cases[] = {{"=A1+A2", Qt::Key_Return, true},
                 {"=5+7", Qt::Key_Return, true},
                 {"=A1+A2", Qt::Key_Tab, false},
                 {"=A1+A2", Qt::Key_unknown, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.end == Qt::Key_Return ? " Enter" : c.end == Qt::Key_Tab ? " Tab" : " click"));
        keys.type(1, 3, c.typed, c.end);
        if (c.end == Qt::Key_Return) {
            // The editor is still open on its second line and shows the formula.
            ASSERT_NE(keys.openEditor(), nullptr);
            EXPECT_TRUE(keys.editorShowsItsFirstLine());
            if (std::string(c.typed) == "=A1+A2")
                EXPECT_TRUE(support::saveScreenshot(*h.frame, QStringLiteral("shell"),
                                                    QStringLiteral("table_after_enter_") + GetParam().tag));
        }
        if (c.thenClick)
            keys.clickCell(3, 1);
        EXPECT_EQ(keys.openEditor(), nullptr);
        EXPECT_EQ(keys.text(1, 3), u"12");
        EXPECT_EQ(keys.shown(1, 3), QString::fromLatin1(c.typed).toStdU16String());
        EXPECT_TRUE(canvasPicture(led, empty) == twelve) << "the canvas shows something else than 12";
        // The item's stored table holds the value too.
        grid::CRealGrid stored;
        ASSERT_TRUE(stored.LoadFrom(storedTable(table)));
        EXPECT_EQ(stored.GetCellText(1, 3), u"12");
        keys.clear(1, 3);
        ASSERT_EQ(canvasPicture(led, twelve), empty);
    }
    keys.type(1, 3, "=A1+A2", Qt::Key_Return);
    keys.clickCell(3, 1);
    EXPECT_TRUE(support::saveScreenshot(*h.frame, QStringLiteral("shell"), QStringLiteral("table_value_") + GetParam().tag));
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, TableInAPane, ::testing::ValuesIn(kPacks),
                         [](const ::testing::TestParamInfo<Pack>& info) { return std::string(info.param.tag); });

TEST(ItemTree, AClickOnATextWindowLeavesTheKeysInTheTree)
{
    FrameHarness h;
    support::SeamScope seams;
    tagItemData* screen = openWideScreen(h);
    ASSERT_NE(screen, nullptr);
    kindButton(*h.frame, ID_KIND_FIRST + 1);   // scene
    kindButton(*h.frame, ID_KIND_FIRST + 3);   // text window
    tagItemData* textWindow = selectedNode(*h.frame);
    ASSERT_NE(textWindow, nullptr);
    ASSERT_NE(textWindow->FirstChild, nullptr);
    kindButton(*h.frame, ID_KIND_FIRST + 2);   // program-list window
    tagItemData* listWindow = selectedNode(*h.frame);
    ASSERT_NE(listWindow, textWindow);
    // Some text in the window, typed after clicking into its editor.
    ASSERT_TRUE(clickInTree(*h.frame, textWindow));
    auto* edit = findByControlId<QTextEdit>(paneOf(*h.frame)->windowPage()->currentMain(), panels::CPropertyText::IdEdit);
    ASSERT_NE(edit, nullptr);
    support::click(edit);
    QTest::keyClicks(edit, "LED");
    const ItemRecord* record = textWindow->FirstChild->Item.TypeRecord;
    ASSERT_TRUE(record->text().contains(QStringLiteral("LED")));
    const QString before = record->text();

    for (tagItemData* from : {listWindow, screen}) {
        ASSERT_TRUE(clickInTree(*h.frame, from));
        ASSERT_TRUE(clickInTree(*h.frame, textWindow));
        ASSERT_EQ(QApplication::focusWidget(), treeOf(*h.frame));
        // A letter goes to the tree, not into the LED text.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QCoreApplication::processEvents();
        EXPECT_EQ(record->text(), before);
        // Delete asks to delete the window, as for any other window.
        seams.nextAnswer(QMessageBox::No);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        EXPECT_EQ(controls::MessageBox::lastText(), frametest::S(48172).arg(QString::fromUtf16(textWindow->Name)));
        EXPECT_EQ(textWindow->Parent->FirstChild, textWindow);
        EXPECT_EQ(record->text(), before);
    }
    // Tab walks on through the window's controls, past the text, and
    // types nothing into it.
    bool reachedText = false;
    for (int i = 0; i < 60; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        reachedText |= focus == edit;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_FALSE(reachedText);
    EXPECT_EQ(record->text(), before);
}

TEST(ItemTree, TabLeavesTheTreeAndTheArrowsMoveTheSelection)
{
    FrameHarness h;
    support::SeamScope seams;
    tagItemData* first = openWideScreen(h);
    ASSERT_NE(first, nullptr);
    kindButton(*h.frame, ID_KIND_FIRST + 1);   // a scene under the first screen
    kindButton(*h.frame, ID_KIND_FIRST + 3);   // and a text window in it
    tagItemData* second = h.core.AddItem(IT_SCREEN, u"Second", nullptr, first);
    h.frame->Panel()->InsertItemTree(second);
    h.frame->OpenScreenWindow(second);
    QCoreApplication::processEvents();
    editor::CEditor* tree = treeOf(*h.frame);
    tree->expandAll();
    const auto labelEditor = [tree]() -> QLineEdit* {
        for (QLineEdit* e : tree->findChildren<QLineEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    };
    const auto modifiers = [](Qt::Key key) { return key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier; };
    // Tab from the tree, and from the label editor a second click into the
    // selected row opens: the focus goes on, the selection stays.
    for (bool fromLabel : {false, true})
        for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            SCOPED_TRACE(std::string(key == Qt::Key_Tab ? "Tab" : "Shift+Tab") + (fromLabel ? " from the label" : ""));
            ASSERT_TRUE(clickInTree(*h.frame, first->FirstChild));
            ASSERT_TRUE(clickInTree(*h.frame, first));
            ASSERT_EQ(QApplication::focusWidget(), tree);
            QWidget* at = tree;
            if (fromLabel) {
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, *rowPoint(tree, first));
                ASSERT_TRUE(QTest::qWaitFor([&] { return labelEditor() != nullptr; }, 3000));
                at = labelEditor();
            }
            QTest::keyClick(at, key, modifiers(key));
            QCoreApplication::processEvents();
            EXPECT_EQ(tree->selectedNode(), first);
            EXPECT_EQ(labelEditor(), nullptr);
            EXPECT_FALSE(QApplication::focusWidget() == tree || tree->isAncestorOf(QApplication::focusWidget()));
            EXPECT_EQ(QString::fromUtf16(first->Name), QStringLiteral("Keys"));
            // On through the window's controls: the selection stays where it was.
            for (int i = 0; i < 20; ++i) {
                QTest::keyClick(QApplication::focusWidget(), key, modifiers(key));
                QCoreApplication::processEvents();
                ASSERT_EQ(tree->selectedNode(), first) << "after " << i + 2 << " presses";
            }
        }
    // The arrows walk the rows: the screen, its scene, the next screen.
    ASSERT_TRUE(clickInTree(*h.frame, first->FirstChild));
    ASSERT_TRUE(clickInTree(*h.frame, first));
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->selectedNode(), first->FirstChild);
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->selectedNode(), first->FirstChild->FirstChild);
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->selectedNode(), second);
    QTest::keyClick(tree, Qt::Key_Up);
    EXPECT_EQ(tree->selectedNode(), first->FirstChild->FirstChild);
}
