#include "TestHelpers.h"

#include <QTest>
#include "app/controls/ComboBoxes.h"
#include "app/controls/Edits.h"

#include <QAbstractItemView>
#include <gtest/gtest.h>

using namespace controls;
using namespace testing_controls;

TEST(CheckComboBox, FaceJoinsCheckedItems)
{
    CCheckComboBox c;
    c.addItemChecked("first");
    c.addItemChecked("middle");
    c.addItemChecked("second");
    c.setListSeparator(",");
    EXPECT_EQ(c.faceText(), "");
    c.SetCheck(0, true);
    c.SetCheck(2, true);
    EXPECT_EQ(c.faceText(), "first, second"); // cached text follows the change
    c.setListSeparator("");
    EXPECT_EQ(c.faceText(), "first; second");
    c.setListSeparator(" |  ");
    EXPECT_EQ(c.faceText(), "first | second");
    EXPECT_FALSE(c.SetCheck(9, true));
    EXPECT_TRUE(c.setItemCheckData(1, 42));
    EXPECT_TRUE(c.GetCheck(1));
    EXPECT_EQ(c.currentIndex(), -1);
}

TEST(CheckComboBox, ClicksAndSpaceToggleWithoutClosing)
{
    ControlSpy parent;
    auto* c = new CCheckComboBox(&parent);
    setControlId(c, 6531);
    c->setGeometry(0, 0, 150, 24);
    c->setListSeparator(",");
    for (const char* s : {"Mon", "Tue", "Wed"})
        c->addItemChecked(s);
    parent.show();
    c->showPopup();
    QAbstractItemView* view = c->view();
    ASSERT_TRUE(view->isVisible());
    QRect r = view->visualRect(c->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_TRUE(c->GetCheck(1));
    EXPECT_TRUE(view->isVisible());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_FALSE(c->GetCheck(1));
    view->setCurrentIndex(c->model()->index(2, 0));
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_TRUE(c->GetCheck(2));
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(c->faceText(), "Wed");
    ASSERT_EQ(parent.messages().size(), 3);
    for (const auto& m : parent.messages()) {
        EXPECT_EQ(m.id, platform::WM_COMMAND);
        EXPECT_EQ(platform::commandId(m.w), 6531);
        EXPECT_EQ(platform::commandCode(m.w), 1);
    }
    c->hidePopup();
}

TEST(CheckComboBox, ItemsAreNeverSelected)
{
    QWidget top;
    auto* c = new CCheckComboBox(&top);
    c->setGeometry(0, 0, 150, 24);
    for (const char* s : {"Mon", "Tue", "Wed"})
        c->addItemChecked(s);
    top.show();
    c->showPopup();
    QAbstractItemView* view = c->view();
    // a click moves the list's caret, so Space acts on the clicked item
    QRect r = view->visualRect(c->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_TRUE(c->GetCheck(2));
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_FALSE(c->GetCheck(2));
    // Return closes the list without taking the highlighted item as a choice
    view->setCurrentIndex(c->model()->index(1, 0));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(c->currentIndex(), -1);
    // nor do the arrow keys on the closed box
    c->setFocus();
    QTest::keyClick(c, Qt::Key_Down);
    EXPECT_EQ(c->currentIndex(), -1);
    EXPECT_EQ(c->faceText(), "");
}

TEST(FontAndSizeCombos, FillAndSelect)
{
    CSizeComboBox sizes;
    sizes.FillSizes();
    QStringList got;
    for (int i = 0; i < sizes.count(); ++i)
        got << sizes.itemText(i);
    EXPECT_EQ(got, QStringList({"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36",
                                "48", "72"}));

    CFontComboBox fonts;
    fonts.FillFonts({"Arial", "DejaVu Sans", "A very long font family name"});
    EXPECT_GT(fonts.widestEntry(), fonts.fontMetrics().horizontalAdvance("Arial"));
    fonts.setCurrentIndex(0);
    fonts.SelectByName("dejavu sans");
    EXPECT_EQ(fonts.currentIndex(), 0);
    fonts.SelectByName("DejaVu Sans");
    EXPECT_EQ(fonts.currentIndex(), 1);
}

TEST(RangeEdit, ClampsTypedValues)
{
    CRangeEdit e;
    EXPECT_EQ(e.minimum(), INT_MIN);
    EXPECT_EQ(e.maximum(), INT_MAX);
    ASSERT_TRUE(e.SetRange(1, 100));
    e.show();
    e.setFocus();
    QTest::keyClicks(&e, "250");
    EXPECT_EQ(e.text(), "100");
    EXPECT_EQ(e.cursorPosition(), 3);
    EXPECT_EQ(e.Clamp(0), 1);
    EXPECT_EQ(e.Clamp(101), 100);
    EXPECT_EQ(e.Clamp(50), 50);
    e.SetValue(-5);
    EXPECT_EQ(e.text(), "1");
    e.SetValue(42);
    EXPECT_EQ(e.GetValue(), 42);
    QTest::keyClicks(&e, "x"); // digits only
    EXPECT_EQ(e.text(), "42");
}

TEST(RangeEdit, SmallValuesAreTypableAndClampedWhenEditingEnds)
{
    QWidget top;
    auto* e = new CRangeEdit(&top);
    auto* other = new QLineEdit(&top);
    other->move(0, 40);
    e->SetRange(10, 100);
    top.show();
    e->setFocus();
    QTest::keyClicks(e, "15");
    EXPECT_EQ(e->text(), "15");
    e->clear();
    QTest::keyClicks(e, "5");
    EXPECT_EQ(e->text(), "5");
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(e->text(), "10");
}

TEST(RangeEdit, RefusedOnNonNumericEdit)
{
    CRangeEdit e;
    e.setNumeric(false);
    EXPECT_FALSE(e.SetRange(1, 5));
    EXPECT_EQ(e.maximum(), INT_MAX);
    EXPECT_EQ(parseLeadingInt("  -12ab"), -12);
    EXPECT_EQ(parseLeadingInt("abc"), 0);
    EXPECT_EQ(parseLeadingInt("99999999999"), INT_MAX);
}

TEST(PostFixEdit, UnitWidthAndSide)
{
    CPostFixEdit e;
    e.resize(60, 22);
    e.SetSuffix("a unit text that is far too wide", 0);
    EXPECT_EQ(e.suffixWidth(), 30);
    EXPECT_EQ(e.textMargins().right(), 30);
    e.SetSuffix("ms", 1);
    EXPECT_EQ(e.suffixWidth(), e.fontMetrics().horizontalAdvance("ms"));
    EXPECT_EQ(e.textMargins().left(), e.suffixWidth());
    EXPECT_EQ(e.textMargins().right(), 0);
    EXPECT_LT(e.suffixRect().left(), 5);
    e.setText("12");
    EXPECT_EQ(e.text(), "12"); // the unit is not part of the text
}

TEST(MaskModel, AddressMask)
{
    MaskModel m;
    m.setMask("XX-XX-XX-XX-XX-XX");
    EXPECT_EQ(m.shown(), "__-__-__-__-__-__");
    m.setText("001122334455");
    EXPECT_EQ(m.shown(), "00-11-22-33-44-55");
    EXPECT_EQ(m.rawText(), "001122334455");
    m.setText("ab");
    EXPECT_EQ(m.shown(), "ab-__-__-__-__-__");
    m.setText("12-34"); // literals of the text are not skipped
    EXPECT_EQ(m.shown(), "12--3-4_-__-__-__");
    EXPECT_TRUE(MaskModel::accepts(u'#', u'5'));
    EXPECT_FALSE(MaskModel::accepts(u'#', u'a'));
    EXPECT_TRUE(MaskModel::accepts(u'?', u'q'));
    EXPECT_FALSE(MaskModel::accepts(u'X', u'g'));
}

TEST(MaskEdit, TypingOverwritesAndSkipsLiterals)
{
    CMaskEdit e;
    e.SetMacMask();
    e.show();
    e.setFocus();
    e.setCursorPosition(0);
    QTest::keyClicks(&e, "g");
    EXPECT_EQ(e.text(), "__-__-__-__-__-__");
    EXPECT_EQ(e.cursorPosition(), 0);
    QTest::keyClicks(&e, "a");
    EXPECT_EQ(e.text(), "a_-__-__-__-__-__");
    EXPECT_EQ(e.cursorPosition(), 1);
    QTest::keyClicks(&e, "0");
    EXPECT_EQ(e.text(), "a0-__-__-__-__-__");
    EXPECT_EQ(e.cursorPosition(), 3);
    QTest::keyClicks(&e, "1F");
    EXPECT_EQ(e.GetRawText(), "a01F________");
    EXPECT_EQ(e.cursorPosition(), 6);
}

TEST(MaskEdit, BackspaceAndDeleteRestorePlaceholders)
{
    CMaskEdit e;
    e.SetMacMask();
    e.SetText("001122334455");
    e.show();
    e.setFocus();
    e.setCursorPosition(5);
    QTest::keyClick(&e, Qt::Key_Backspace);
    EXPECT_EQ(e.text(), "00-1_-22-33-44-55");
    EXPECT_EQ(e.cursorPosition(), 4);
    QTest::keyClick(&e, Qt::Key_Backspace);
    EXPECT_EQ(e.text(), "00-__-22-33-44-55");
    EXPECT_EQ(e.cursorPosition(), 2); // stepped back over the hyphen
    e.setCursorPosition(6);
    QTest::keyClick(&e, Qt::Key_Delete);
    EXPECT_EQ(e.text(), "00-__-_2-33-44-55");
    EXPECT_EQ(e.cursorPosition(), 7);
    EXPECT_EQ(e.text().size(), 17);
}

TEST(CheckComboBox, ItemDataIsTheCheck)
{
    CCheckComboBox c;
    c.setListSeparator(",");
    c.addItem("plain");          // added the ordinary way
    c.addItemChecked("b", true);
    c.addItemChecked("c", false);
    EXPECT_NE(c.itemData(1).toInt(), 0);
    EXPECT_EQ(c.itemData(2).toInt(), 0);
    EXPECT_TRUE(c.itemData(2).isValid());
    c.setItemData(0, 1);
    EXPECT_TRUE(c.GetCheck(0));
    EXPECT_NE(c.itemData(0).toInt(), 0);
    c.setItemData(1, 0);
    EXPECT_FALSE(c.GetCheck(1));
    EXPECT_EQ(c.itemData(1).toInt(), 0);
    EXPECT_EQ(c.faceText(), "plain");
    EXPECT_TRUE(c.setItemCheckData(2, 7));
    EXPECT_NE(c.itemData(2).toInt(), 0);
    EXPECT_EQ(c.faceText(), "plain, c");
    c.addItem("d", 5); // data given with the item checks it
    EXPECT_TRUE(c.GetCheck(3));
    EXPECT_EQ(c.faceText(), "plain, c, d");
}

TEST(PostFixEdit, UnitLeavesTheFrameAlone)
{
    // Whatever the style draws as the frame of a plain edit must look the
    // same with a unit standing inside it.
    for (int side : {0, 1}) {
        QLineEdit plain;
        CRangeEdit withUnit;
        for (QLineEdit* e : {&plain, static_cast<QLineEdit*>(&withUnit)}) {
            e->resize(120, 24);
            QPalette pal = e->palette();
            pal.setColor(QPalette::Base, QColor(250, 250, 250));
            e->setPalette(pal);
        }
        withUnit.SetSuffix("seconds", side);
        const QImage a = plain.grab().toImage();
        const QImage b = withUnit.grab().toImage();
        ASSERT_EQ(a.size(), b.size());
        const QRect unit = withUnit.suffixRect();
        ASSERT_FALSE(unit.isEmpty());
        const QRgb base = qRgb(250, 250, 250);
        int framePixels = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = unit.left() - 2; x <= unit.right() + 2; ++x) {
                if (x < 0 || x >= a.width() || a.pixel(x, y) == base)
                    continue;
                ++framePixels;
                EXPECT_EQ(b.pixel(x, y), a.pixel(x, y)) << "side " << side << " at " << x << "," << y;
            }
        EXPECT_GT(framePixels, 0);
    }
}
