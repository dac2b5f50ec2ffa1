// The table-size dialog and its table rules.
#include "app/editor/GridEditor.h"
#include "grid/RealGrid.h"
#include "support/LangPackScope.h"
#include "support/ModalRunner.h"
#include "support/Widgets.h"
#include "MediaTestUtil.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

using editor::CGridEditor;
using editor::GridSize;

TEST(GridEditorRules, HeaderNamesAreBase26ForEveryColumnTheDialogAllows)
{
    EXPECT_EQ(editor::columnHeaderName(1), u"A");
    EXPECT_EQ(editor::columnHeaderName(26), u"Z");
    EXPECT_EQ(editor::columnHeaderName(27), u"AA");
    EXPECT_EQ(editor::columnHeaderName(52), u"AZ");
    EXPECT_EQ(editor::columnHeaderName(53), u"BA");
    EXPECT_EQ(editor::columnHeaderName(702), u"ZZ");
    EXPECT_EQ(editor::columnHeaderName(703), u"AAA");
    EXPECT_EQ(editor::columnHeaderName(editor::kGridSizeMax), u"AVLG");
    QSet<QString> seen;
    for (int c = 1; c <= editor::kGridSizeMax; ++c) {
        const std::u16string name = editor::columnHeaderName(c);
        // Decoding the letters as bijective base 26 gives the column back.
        long long v = 0;
        for (char16_t ch : name) {
            ASSERT_TRUE(ch >= u'A' && ch <= u'Z') << c;
            v = v * 26 + (ch - u'A' + 1);
        }
        ASSERT_EQ(v, c);
        seen.insert(QString::fromStdU16String(name));
    }
    EXPECT_EQ(seen.size(), editor::kGridSizeMax);
}

TEST(GridEditorRules, GrowsAndShrinksTheGridWithEveryLineDrawn)
{
    grid::CRealGrid g;
    g.ResetToDefault(); // 5 x 5 data cells
    GridSize s = editor::gridSizeOf(g);
    EXPECT_EQ(s.rows, 5);
    EXPECT_EQ(s.columns, 5);
    EXPECT_EQ(s.rowHeight, 24);
    EXPECT_EQ(s.columnWidth, 60);

    s.rows = 9;
    s.columns = 30;
    s.rowHeight = 20;
    s.columnWidth = 50;
    editor::applyGridSize(g, s);
    ASSERT_EQ(g.RowCount(), 10);
    ASSERT_EQ(g.ColumnCount(), 31);
    for (int r = 0; r < g.RowCount(); ++r)
        EXPECT_EQ(g.RowHeight(r), 20) << r;
    for (int c = 0; c < g.ColumnCount(); ++c)
        EXPECT_EQ(g.ColumnWidth(c), 50) << c;
    EXPECT_EQ(g.GetCellText(27, 0), u"AA");
    EXPECT_EQ(g.GetCellText(0, 9), u"9");
    // Every data cell has solid yellow lines on all four sides.
    auto allLined = [&g] {
        for (int r = 1; r < g.RowCount(); ++r)
            for (int c = 1; c < g.ColumnCount(); ++c)
                for (int side : {grid::PenRight, grid::PenBottom}) {
                    const grid::PenRecord* p = g.FindPen(g.GetCell(c, r).pens[side]);
                    if (!p || p->style != 0 || p->colour != 0xFFFF)
                        return false;
                }
        return true;
    };
    EXPECT_TRUE(allLined());

    s.rows = 3;
    s.columns = 2;
    editor::applyGridSize(g, s);
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.ColumnCount(), 3);
    EXPECT_TRUE(allLined());

    // Sizes out of range come back into it.
    s.rows = 0;
    s.rowHeight = 40000;
    editor::applyGridSize(g, s);
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.RowHeight(1), editor::kGridSizeMax);
}

TEST(GridEditorDialog, TypedValuesStayInRangeAndOkReturnsThem)
{
    CGridEditor dlg;
    GridSize in;
    in.rows = 6;
    in.columns = 4;
    in.rowHeight = 22;
    in.columnWidth = 70;
    dlg.setSize(in);
    dlg.show();
    auto* columns = support::findByControlId<QLineEdit>(&dlg, 6255);
    auto* width = support::findByControlId<QLineEdit>(&dlg, 6257);
    auto* rows = support::findByControlId<QLineEdit>(&dlg, 6254);
    ASSERT_TRUE(columns && width && rows);
    EXPECT_EQ(rows->text(), u"6");
    columns->selectAll();
    QTest::keyClicks(columns, QStringLiteral("40000"));
    EXPECT_EQ(columns->text(), u"32767");
    EXPECT_EQ(support::findByControlId<QSpinBox>(&dlg, 6192)->value(), 32767);
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("0"));
    EXPECT_EQ(support::findByControlId<QSpinBox>(&dlg, 6193)->value(), 1);
    // Each edit keeps its own value in range: no zero rows reach the table.
    rows->selectAll();
    QTest::keyClicks(rows, QStringLiteral("0"));
    EXPECT_EQ(support::findByControlId<QSpinBox>(&dlg, 6191)->value(), 1);
    QTest::keyClicks(rows, QStringLiteral("2"));
    EXPECT_EQ(rows->text(), u"12");
    support::findByControlId<QCheckBox>(&dlg, 6152)->click();
    support::findByControlId<QPushButton>(&dlg, 1)->click();
    EXPECT_EQ(dlg.result(), (GridSize{12, 32767, 22, 1, 1, 0}));
    EXPECT_EQ(dlg.result(), dlg.size());
}

TEST(GridEditorDialog, CancelKeepsNothingAndExecRunsModal)
{
    CGridEditor dlg;
    support::ModalRunner runner([](QWidget* w) {
        auto* e = support::findByControlId<QLineEdit>(w, 6254);
        e->selectAll();
        QTest::keyClicks(e, QStringLiteral("9"));
        support::findByControlId<QPushButton>(w, 2)->click();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_TRUE(runner.answered());
    EXPECT_EQ(dlg.result(), GridSize{});
}

TEST(GridEditorDialog, Screenshots)
{
    for (const auto& lang : mediatest::languages()) {
        mediatest::PackScope pack(lang);
        CGridEditor dlg;
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        // Every label speaks the language.
        for (QLabel* l : dlg.findChildren<QLabel*>())
            EXPECT_FALSE(l->text().isEmpty());
        EXPECT_FALSE(dlg.windowTitle().isEmpty());
        mediatest::saveShot(&dlg, QStringLiteral("table-size-%1").arg(lang.code));
    }
}
