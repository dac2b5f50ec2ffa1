// The flat-spreadsheet reader and the one-pass application of a sheet to a grid.
#include "SheetFixtures.h"
#include "app/panels/import/FlatSheetReader.h"
#include "app/panels/import/SheetToGrid.h"
#include "grid/RealGrid.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>
#include <cstdio>

using namespace panels;
using sheetfixtures::flatDocument;

namespace {

QString cellXml(const QString& value)
{
    bool isNumber = false;
    value.toDouble(&isNumber);
    if (isNumber)
        return QStringLiteral("<table:table-cell office:value-type=\"float\" office:value=\"%1\"><text:p>%1</text:p></table:table-cell>").arg(value);
    return QStringLiteral("<table:table-cell office:value-type=\"string\"><text:p>%1</text:p></table:table-cell>").arg(value);
}

std::u16string text(const grid::CRealGrid& g, int col, int row) { return g.GetCellText(col, row); }

} // namespace

TEST(FlatSheetReader, ReadsTheUsedRangeNotTheCellsFromA1)
{
    // Values in B2:D5; everything left of and above them is empty.
    QString table = QStringLiteral("<table:table table:name=\"S\"><table:table-row><table:table-cell table:number-columns-repeated=\"5\"/></table:table-row>");
    for (int r = 2; r <= 5; ++r) {
        table += QStringLiteral("<table:table-row><table:table-cell/>");
        for (int c = 0; c < 3; ++c)
            table += cellXml(QStringLiteral("%1%2").arg(QChar(u'B' + c)).arg(r));
        table += QStringLiteral("<table:table-cell table:number-columns-repeated=\"1019\"/></table:table-row>");
    }
    table += QStringLiteral("<table:table-row table:number-rows-repeated=\"1048570\"><table:table-cell table:number-columns-repeated=\"1024\"/></table:table-row></table:table>");
    QString error;
    const auto sheet = readFlatSpreadsheet(flatDocument({}, table), &error);
    ASSERT_TRUE(sheet) << error.toStdString();
    EXPECT_EQ(sheet->rows, 4);
    EXPECT_EQ(sheet->columns, 3);
    EXPECT_EQ(sheet->firstRow, 1);
    EXPECT_EQ(sheet->firstColumn, 1);
    EXPECT_EQ(sheet->at(0, 0).text, u"B2");
    EXPECT_EQ(sheet->at(3, 2).text, u"D5");

    grid::CRealGrid g;
    g.ResetToDefault();
    applySheetToGrid(*sheet, g);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.ColumnCount(), 4);
    EXPECT_EQ(text(g, 1, 1), u"B2");
    EXPECT_EQ(text(g, 3, 4), u"D5");
}

TEST(FlatSheetReader, TakesEveryPropertyOfEachCell)
{
    QString error;
    const auto sheet = readFlatSpreadsheet(sheetfixtures::richSheet(), &error);
    ASSERT_TRUE(sheet) << error.toStdString();
    ASSERT_EQ(sheet->rows, 3);
    ASSERT_EQ(sheet->columns, 3);
    const SheetCell& title = sheet->at(0, 0);
    EXPECT_EQ(title.text, u"Title");
    EXPECT_EQ(title.rowSpan, 2);
    EXPECT_EQ(title.colSpan, 2);
    EXPECT_TRUE(title.font.bold);
    EXPECT_FALSE(title.font.italic);
    EXPECT_EQ(title.align, SheetAlign::Centre);
    EXPECT_EQ(title.left, SheetLine::Continuous);
    EXPECT_EQ(title.bottom, SheetLine::Continuous);
    EXPECT_EQ(title.font.face, u"Liberation Sans");
    EXPECT_TRUE(sheet->at(1, 1).covered);
    const SheetCell& number = sheet->at(2, 0);
    EXPECT_EQ(number.kind, SheetValueKind::Number);
    EXPECT_EQ(sheetCellText(number), u"1234");
    EXPECT_TRUE(number.font.italic);
    EXPECT_EQ(number.font.size, 14.0);
    EXPECT_EQ(number.font.face, u"DejaVu Serif");
    EXPECT_EQ(number.align, SheetAlign::Right);
    EXPECT_EQ(sheet->at(2, 1).align, SheetAlign::Left);
    EXPECT_EQ(sheet->at(2, 1).bottom, SheetLine::Double);
    EXPECT_TRUE(sheet->at(0, 2).font.underline);
    EXPECT_TRUE(sheet->at(0, 2).font.strikeOut);
    EXPECT_EQ(sheet->at(0, 2).align, SheetAlign::General);
    EXPECT_DOUBLE_EQ(sheet->rowHeights[0], 30.0);
    EXPECT_NEAR(sheet->columnWidths[0], pointsToCharacters(3 * 72 / 2.54), 1e-9);
    EXPECT_NEAR(sheet->columnWidths[2], (96.0 - 5) / 7, 1e-9);
}

TEST(FlatSheetReader, FormatsValuesAsTheImportShowsThem)
{
    SheetCell c;
    c.kind = SheetValueKind::Number;
    c.number = 2.75;
    EXPECT_EQ(sheetCellText(c), u"3");
    c.number = 12;
    EXPECT_EQ(sheetCellText(c), u"12");
    for (double nearZero : {-0.005, -0.4, -0.5, -0.0}) {
        c.number = nearZero;
        EXPECT_EQ(sheetCellText(c), u"0") << nearZero;
    }
    c.number = -0.6;
    EXPECT_EQ(sheetCellText(c), u"-1");
    c.kind = SheetValueKind::Date;
    c.date = QDate(2024, 2, 29);
    EXPECT_EQ(sheetCellText(c), u"2024-02-29");
    c.date = QDate(1850, 1, 1);
    EXPECT_EQ(sheetCellText(c), u"1899-12-30");
    c.kind = SheetValueKind::Other;
    EXPECT_EQ(sheetCellText(c), u"");
    EXPECT_DOUBLE_EQ(lengthInPoints(u"1in"), 72.0);
    EXPECT_DOUBLE_EQ(lengthInPoints(u"2pc"), 24.0);
    EXPECT_EQ(lengthInPoints(u"12 furlongs"), -1);
    EXPECT_EQ(lengthInPoints(u"-3pt"), -1);
}

TEST(FlatSheetReader, ReadsTheActiveSheetAndSkipsNotes)
{
    const QString settings = QStringLiteral(
        "<office:settings><config:config-item-set config:name=\"ooo:view-settings\">"
        "<config:config-item config:name=\"ActiveTable\" config:type=\"string\">Second</config:config-item>"
        "</config:config-item-set></office:settings>");
    const QString table = QStringLiteral(
        "<table:table table:name=\"First\"><table:table-row>%1</table:table-row></table:table>"
        "<table:table table:name=\"Second\"><table:table-row><table:table-cell office:value-type=\"string\">"
        "<office:annotation><text:p>a note</text:p></office:annotation><text:p>two<text:s text:c=\"2\"/>words</text:p><text:p>line</text:p>"
        "</table:table-cell></table:table-row></table:table>")
                              .arg(cellXml(QStringLiteral("first")));
    const auto sheet = readFlatSpreadsheet(flatDocument({}, table, settings));
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->rows, 1);
    EXPECT_EQ(sheet->at(0, 0).text, u"two  words\nline");
}

TEST(FlatSheetReader, RefusesDamagedAndForeignDocuments)
{
    const QByteArray good = sheetfixtures::richSheet();
    QString error;
    EXPECT_FALSE(readFlatSpreadsheet(QByteArray("<html><body/></html>"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(readFlatSpreadsheet(QByteArray()));
    // Every cut of the document inside its body is refused.
    const int body = int(good.indexOf("<office:body>"));
    for (int n = body; n < good.size() - 20; n += 7)
        EXPECT_FALSE(readFlatSpreadsheet(good.left(n))) << "prefix " << n;
    // A styled row repeated without end is too large, not a memory hog.
    const QString huge = QStringLiteral(
        "<table:table table:name=\"S\"><table:table-row table:number-rows-repeated=\"1000000\">"
        "<table:table-cell table:style-name=\"b\" table:number-columns-repeated=\"1000\"/></table:table-row></table:table>");
    const QString border = QStringLiteral("<style:style style:name=\"b\" style:family=\"table-cell\"><style:table-cell-properties fo:border=\"1pt solid #000000\"/></style:style>");
    EXPECT_FALSE(readFlatSpreadsheet(flatDocument(border, huge), &error));
    EXPECT_FALSE(readFlatSpreadsheet(flatDocument({}, QStringLiteral("<table:table table:name=\"S\"><table:table-row table:number-rows-repeated=\"-4\"/></table:table>"))));
}

TEST(SheetToGrid, AppliesMergesFontsAlignmentBordersAndSizesInOnePass)
{
    const auto sheet = readFlatSpreadsheet(sheetfixtures::richSheet());
    ASSERT_TRUE(sheet);
    grid::CRealGrid g;
    g.ResetToDefault();
    applySheetToGrid(*sheet, g);
    ASSERT_EQ(g.RowCount(), 4);
    ASSERT_EQ(g.ColumnCount(), 4);
    // The merged area once, although three covered cells report it too.
    EXPECT_TRUE(g.IsMergeAnchor(1, 1));
    EXPECT_TRUE(g.IsCovered(2, 2));
    EXPECT_FALSE(g.IsCovered(3, 1));
    EXPECT_EQ(text(g, 1, 1), u"Title");
    EXPECT_EQ(text(g, 1, 3), u"1234");
    LOGFONT f;
    ASSERT_TRUE(g.GetCellFont(1, 1, f));
    EXPECT_EQ(f.lfWeight, 700);
    ASSERT_TRUE(g.GetCellFont(1, 3, f));
    EXPECT_EQ(f.lfWeight, 400); // a plain cell after a bold one
    EXPECT_EQ(f.lfItalic, 1);
    EXPECT_EQ(f.lfHeight, -14);
    EXPECT_EQ(LogFontFaceName(f), u"DejaVu Serif");
    ASSERT_TRUE(g.GetCellFont(3, 1, f));
    EXPECT_EQ(f.lfUnderline, 1);
    EXPECT_EQ(f.lfStrikeOut, 1);
    EXPECT_EQ(g.GetCell(1, 3).attr.alignment, 2u);
    EXPECT_EQ(g.GetCell(2, 3).attr.alignment, 0u);
    EXPECT_EQ(g.GetCell(3, 1).attr.alignment, 1u); // general stays centred
    EXPECT_EQ(g.RowHeight(1), 30);
    EXPECT_EQ(g.ColumnWidth(1), int(pointsToCharacters(3 * 72 / 2.54)) * 10);
    EXPECT_EQ(g.ColumnWidth(3), int((96.0 - 5) / 7) * 10);
    // Borders: the merged title is boxed; the double bottom under "left" is thick.
    const grid::Cell& title = g.GetCell(1, 1);
    const grid::PenRecord* right = g.FindPen(title.pens[grid::PenRight]);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->style, 0u);
    const grid::PenRecord* thick = g.FindPen(g.GetCell(2, 3).pens[grid::PenBottom]);
    ASSERT_NE(thick, nullptr);
    EXPECT_EQ(thick->width, 2u);
    EXPECT_EQ(text(g, 1, 0), u"A");
    EXPECT_EQ(text(g, 0, 3), u"3");
}

TEST(SheetToGrid, AppliesToAStreamOrKeepsADamagedOne)
{
    const auto sheet = readFlatSpreadsheet(sheetfixtures::richSheet());
    ASSERT_TRUE(sheet);
    grid::CRealGrid g;
    g.ResetToDefault();
    std::vector<std::uint8_t> stream;
    g.SaveTo(stream);
    const auto out = applySheetToStream(*sheet, stream);
    grid::CRealGrid back;
    ASSERT_TRUE(back.LoadFrom(out));
    EXPECT_EQ(back.GetCellText(1, 1), u"Title");
    const std::vector<std::uint8_t> cut(stream.begin(), stream.begin() + std::ptrdiff_t(stream.size() / 2));
    EXPECT_TRUE(applySheetToStream(*sheet, cut).empty());
    // A sheet whose parts disagree changes nothing.
    SheetData bad = *sheet;
    bad.cells.pop_back();
    EXPECT_TRUE(applySheetToStream(bad, stream).empty());
    bad = *sheet;
    bad.at(0, 0).colSpan = 9;
    grid::CRealGrid kept;
    kept.ResetToDefault();
    std::vector<std::uint8_t> before;
    kept.SaveTo(before);
    EXPECT_FALSE(applySheetToGrid(bad, kept));
    std::vector<std::uint8_t> after;
    kept.SaveTo(after);
    EXPECT_EQ(before, after);
}

TEST(SheetToGrid, AHundredByThirtySheetIsReadAndAppliedQuickly)
{
    const QString border = QStringLiteral(
        "<style:style style:name=\"b\" style:family=\"table-cell\"><style:table-cell-properties fo:border=\"0.74pt solid #000000\"/>"
        "<style:text-properties fo:font-weight=\"bold\"/></style:style>");
    QString table = QStringLiteral("<table:table table:name=\"S\">");
    for (int r = 0; r < 100; ++r) {
        table += QStringLiteral("<table:table-row>");
        for (int c = 0; c < 30; ++c)
            table += QStringLiteral("<table:table-cell table:style-name=\"b\" office:value-type=\"float\" office:value=\"%1\"><text:p>%1</text:p></table:table-cell>")
                         .arg(r * 30 + c);
        table += QStringLiteral("</table:table-row>");
    }
    table += QStringLiteral("</table:table>");
    const QByteArray doc = flatDocument(border, table);
    QElapsedTimer clock;
    clock.start();
    const auto sheet = readFlatSpreadsheet(doc);
    const qint64 read = clock.elapsed();
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->rows, 100);
    ASSERT_EQ(sheet->columns, 30);
    grid::CRealGrid g;
    g.ResetToDefault();
    applySheetToGrid(*sheet, g);
    std::vector<std::uint8_t> stream;
    g.SaveTo(stream);
    const qint64 total = clock.elapsed();
    std::printf("[ figures ] 100 x 30 sheet: read %lld ms, read + applied + saved %lld ms\n",
                static_cast<long long>(read), static_cast<long long>(total));
    EXPECT_EQ(g.GetCellText(30, 100), u"2999");
    EXPECT_LT(total, 2000);
}
