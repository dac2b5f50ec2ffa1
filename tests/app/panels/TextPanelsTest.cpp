// The text and media panels through their real widgets: what the user does
// reaches the item's record and, through the compiler, the program data.
#include "TextPanelsTestUtil.h"

#include "app/controls/ColourPicker.h"
#include "app/controls/ComboBoxes.h"
#include "app/controls/IconButton.h"
#include "app/panels/PropertyTextSingleLine.h"
#include "app/panels/TextControls.h"

#include <gtest/gtest.h>

using namespace panels;
using namespace textpaneltest;
using paneltest::choose;
using paneltest::typeInto;

namespace {
namespace sl = records::singleline;

LOGFONT fontOf(tagItemData* n) { return n->Item.TypeRecord->get(sl::TextFont); }

struct SingleLine : TextItems {
    tagItemData* item = addItem(IT_SINGLELINE);
    CPropertyTextSingleLine* panel = make<CPropertyTextSingleLine>();
};

} // namespace

TEST_F(SingleLine, TypedTextFontSizeColourAndStylesReachTheRecordAndTheProgram)
{
    LOGFONT f = fontOf(item);
    f.lfWeight = 400;
    item->Item.TypeRecord->set(sl::TextFont, f);
    load(panel, item);
    auto* bold = ctl<controls::CIconButton>(panel, CPropertyTextSingleLine::IdBold);
    EXPECT_EQ(bold->GetCheck(), 0);   // 400 is not bold

    typeInto(ctl<QLineEdit>(panel, CPropertyTextSingleLine::IdText), "Hello 42");
    EXPECT_EQ(item->Item.TypeRecord->text(), "Hello 42");
    EXPECT_EQ(item->Item.TypeRecordSize, 112u + 2 * 8);

    auto* face = ctl<controls::CFontComboBox>(panel, CPropertyTextSingleLine::IdFace);
    ASSERT_GT(face->count(), 0);
    choose(face, face->count() - 1);
    EXPECT_EQ(faceName(fontOf(item)), face->itemText(face->count() - 1));
    auto* size = ctl<controls::CSizeComboBox>(panel, CPropertyTextSingleLine::IdSize);
    choose(size, size->findText("12"));
    EXPECT_EQ(fontOf(item).lfHeight, 12);
    typeInto(size, "abc");
    EXPECT_EQ(fontOf(item).lfHeight, 0);
    typeInto(size, "16");
    EXPECT_EQ(fontOf(item).lfHeight, 16);

    auto* colour = ctl<controls::CColourPicker>(panel, CPropertyTextSingleLine::IdColour);
    colour->SetColour(0x0000FF);
    emit colour->command(controls::CColourPicker::ColourChanged);
    EXPECT_EQ(item->Item.TypeRecord->get(sl::Colour), 0x0000FFu);

    click(bold);
    EXPECT_EQ(fontOf(item).lfWeight, 700);
    click(ctl<controls::CIconButton>(panel, CPropertyTextSingleLine::IdItalic));
    click(ctl<controls::CIconButton>(panel, CPropertyTextSingleLine::IdUnderline));
    EXPECT_EQ(fontOf(item).lfItalic, 1);
    EXPECT_EQ(fontOf(item).lfUnderline, 1);
    EXPECT_EQ(fontOf(item).lfWeight, 700);   // the other buttons leave the weight
    click(bold);
    EXPECT_EQ(fontOf(item).lfWeight, 100);
    click(bold);
    EXPECT_FALSE(host.repainted.empty());

    // The same record written directly compiles to the same pages, which show the text.
    tagItemData* twin = addTwin(IT_SINGLELINE);
    ASSERT_TRUE(records::SetItemText(twin, "Hello 42"));
    twin->Item.TypeRecord->set(sl::TextFont, fontOf(item));
    twin->Item.TypeRecord->set(sl::Colour, std::uint32_t(0x0000FF));
    expectSameProgram(item, twin);
}

TEST_F(SingleLine, LoadShowsAFaceThatIsNotInstalledAndKeepsIt)
{
    LOGFONT f = fontOf(item);
    setFaceName(f, u"No Such Face Here");
    f.lfHeight = 13;
    item->Item.TypeRecord->set(sl::TextFont, f);
    const auto before = paneltest::snapshot(item);
    load(panel, item);
    EXPECT_EQ(ctl<QComboBox>(panel, CPropertyTextSingleLine::IdFace)->currentText(), "No Such Face Here");
    EXPECT_EQ(ctl<QComboBox>(panel, CPropertyTextSingleLine::IdSize)->currentText(), "13");
    EXPECT_EQ(paneltest::snapshot(item), before);
    // Another field changed keeps the face.
    click(ctl<controls::CIconButton>(panel, CPropertyTextSingleLine::IdItalic));
    EXPECT_EQ(faceName(fontOf(item)), "No Such Face Here");
}

TEST_F(SingleLine, EachReaderSeesTheDefaultFaceInTheirScriptAndTheRecordKeepsIt)
{
    ASSERT_EQ(faceName(fontOf(item)), QStringLiteral("宋体"));   // what a new item starts with
    const auto before = paneltest::snapshot(item);
    auto* face = ctl<QComboBox>(panel, CPropertyTextSingleLine::IdFace);
    core.SetCurLang(9);
    load(panel, item);
    EXPECT_EQ(face->currentText(), "SimSun");
    click(ctl<controls::CIconButton>(panel, CPropertyTextSingleLine::IdItalic));
    EXPECT_EQ(faceName(fontOf(item)), QStringLiteral("宋体"));
    click(ctl<controls::CIconButton>(panel, CPropertyTextSingleLine::IdItalic));
    EXPECT_EQ(paneltest::snapshot(item), before);
    core.SetCurLang(4);
    load(panel, item);
    EXPECT_EQ(face->currentText(), QStringLiteral("宋体"));
    core.SetCurLang(0x7C04);
    load(panel, item);
    EXPECT_EQ(face->currentText(), QStringLiteral("宋體"));
    EXPECT_EQ(faceName(fontOf(item)), QStringLiteral("宋体"));
    EXPECT_EQ(shownFaceName(QStringLiteral("DejaVu Sans"), FaceNames::Latin), "DejaVu Sans");
}

TEST_F(SingleLine, ALongTextKeepsTheSizeRuleAndAFaceNameStaysTerminated)
{
    load(panel, item);
    const QString longText(300, u'x');
    ctl<QLineEdit>(panel, CPropertyTextSingleLine::IdText)->setText(longText);
    EXPECT_EQ(item->Item.TypeRecordSize, 112u + 600u);
    ctl<QLineEdit>(panel, CPropertyTextSingleLine::IdText)->clear();
    EXPECT_EQ(item->Item.TypeRecordSize, 112u);

    auto* face = ctl<controls::CFontComboBox>(panel, CPropertyTextSingleLine::IdFace);
    face->addItem(QString(40, u'F'));
    choose(face, face->count() - 1);
    const LOGFONT f = fontOf(item);
    EXPECT_EQ(f.lfFaceName[31], u'\0');
    EXPECT_EQ(faceName(f), QString(31, u'F'));
}
