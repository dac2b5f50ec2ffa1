// One whole road of an operator, driven with key and mouse events only: a
// new screen from the New-screen dialog, a scene with a text window and a
// table holding a formula, a section moved on the canvas, the save, and the
// file opened again in a fresh main window. The file, the canvas and the
// pane are checked at each step; every modal dialog is answered by a script
// with a time-out.
#include "FrameTestUtil.h"
#include "OperatorRoad.h"

#include "app/dialogs/wizard/NewScreenDlg.h"
#include "app/panels/PropertyText.h"
#include "core/api/Core.h"
#include "grid/RealGrid.h"
#include "support/ModalScript.h"
#include "support/SeamScope.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace shell;
using namespace operatorroad;
using frametest::FrameHarness;
using shelltest::readFile;

namespace {

void typeLine(QLineEdit* edit, const QString& text)
{
    ASSERT_NE(edit, nullptr);
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(6, edit->height() / 2));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

int lit(const QImage& picture)
{
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            n += std::max({qRed(c), qGreen(c), qBlue(c)}) > 96;
        }
    return n;
}

tagItemData* child(tagItemData* node, int index)
{
    tagItemData* c = node ? node->FirstChild : nullptr;
    for (; c && index > 0; --index)
        c = c->NextSibling;
    return c;
}

// Clicks the row of `item` in the Items pane of the selected list window.
bool clickListRow(CMainFrame& frame, const tagItemData* item)
{
    panels::CPropertyProgList* list = paneOf(frame)->windowPage()->progList();
    for (int row = 0; list && row < list->list()->count(); ++row)
        if (list->itemAt(row) == item) {
            QListWidget* w = list->list();
            QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, w->visualItemRect(w->item(row)).center());
            QCoreApplication::processEvents();
            return paneOf(frame)->windowPage()->currentMain() != nullptr;
        }
    return false;
}

} // namespace

TEST(OperatorWalk, NewScreenTextTableFormulaMoveSaveAndReopen)
{
    QTemporaryDir keep;   // outlives both main windows
    const QString file = keep.filePath("Walk.pl");
    const QString typed = QStringLiteral("Walk");
    QImage tablePicture;
    QRect textRect;

    {
        FrameHarness h;
        support::SeamScope seams;
        support::ModalScript script;
        ASSERT_TRUE(showFrame(*h.frame));

        // 1. A new screen of 256 x 128 from the New-screen dialog.
        tagItemData* const first = h.core.GetScreen(0);
        script.expect(QStringLiteral("dialogs::CNewScreenDlg"), [](QWidget* m) {
            using dialogs::CNewScreenDlg;
            typeLine(findByControlId<QLineEdit>(m, CNewScreenDlg::IDC_WIDTH), QStringLiteral("256"));
            typeLine(findByControlId<QLineEdit>(m, CNewScreenDlg::IDC_HEIGHT), QStringLiteral("128"));
            support::click(findByControlId<QPushButton>(m, CNewScreenDlg::IDC_CREATE));
        });
        toolButton(*h.frame, ID_NEW_SCREEN);
        ASSERT_EQ(script.pending(), 0);
        tagItemData* screen = nullptr;
        for (tagItemData* s = h.core.GetScreen(0); s; s = s->NextSibling)
            if (s != first)
                screen = s;
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->Global.Width, 256);
        EXPECT_EQ(screen->Global.Height, 128);
        ASSERT_TRUE(clickInTree(*h.frame, screen));
        editor::CScreenLed* canvas = h.frame->FindItemWindow(screen);
        ASSERT_NE(canvas, nullptr);
        EXPECT_EQ(lit(canvas->content()), 0);
        EXPECT_FALSE(QFile::exists(file));

        // 2. A scene and a text window with a word typed into it.
        kindButton(*h.frame, ID_KIND_FIRST + 1);
        tagItemData* scene = selectedNode(*h.frame);
        ASSERT_NE(scene, nullptr);
        ASSERT_EQ(scene->Parent, screen);
        kindButton(*h.frame, ID_KIND_FIRST + 3);
        tagItemData* textWindow = selectedNode(*h.frame);
        ASSERT_NE(textWindow, nullptr);
        ASSERT_EQ(textWindow->Parent, scene);
        placeSection(*h.frame, 0, 0, 96, 64);
        EXPECT_EQ(QRect(textWindow->Section.RectX, textWindow->Section.RectY, textWindow->Section.RectW,
                        textWindow->Section.RectH),
                  QRect(0, 0, 96, 64));
        auto* edit = findByControlId<QTextEdit>(paneOf(*h.frame)->windowPage()->currentMain(),
                                                panels::CPropertyText::IdEdit);
        ASSERT_NE(edit, nullptr);
        support::click(edit);
        QTest::keyClicks(edit, typed);
        ASSERT_NE(textWindow->FirstChild, nullptr);
        EXPECT_TRUE(textWindow->FirstChild->Item.TypeRecord->text().contains(typed));
        editor::CSectionLed* textLed = canvas->sectionCanvas(textWindow);
        ASSERT_NE(textLed, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return lit(textLed->content()) > 0; }, 2000));

        // 3. A content list beside it with a table: 5 and 7 ended with Enter,
        // their sum as a formula ended with Enter, then a click on another cell.
        kindButton(*h.frame, ID_KIND_FIRST + 4);
        tagItemData* listWindow = selectedNode(*h.frame);
        ASSERT_NE(listWindow, nullptr);
        ASSERT_EQ(listWindow->Parent, scene);
        placeSection(*h.frame, 128, 0, 128, 128);
        tagItemData* table = addListItem(*h.frame, IT_GRID);
        ASSERT_NE(table, nullptr);
        TableKeys keys(*h.frame);
        ASSERT_TRUE(keys.ready());
        editor::CSectionLed* tableLed = canvas->sectionCanvas(listWindow);
        ASSERT_NE(tableLed, nullptr);
        keys.type(1, 1, "5", Qt::Key_Return);
        keys.type(1, 2, "7", Qt::Key_Return);
        keys.clickCell(3, 1);
        const QImage twoValues = canvasPicture(tableLed);
        keys.type(1, 3, "=A1+A2", Qt::Key_Return);
        EXPECT_TRUE(keys.editorShowsItsFirstLine());
        keys.clickCell(3, 1);
        EXPECT_EQ(keys.text(1, 3), u"12");
        EXPECT_EQ(keys.shown(1, 3), u"=A1+A2");
        tablePicture = canvasPicture(tableLed, twoValues);
        EXPECT_GT(lit(tablePicture), lit(twoValues));   // the value is drawn
        {
            grid::CRealGrid stored;
            ASSERT_TRUE(stored.LoadFrom(storedTable(table)));
            EXPECT_EQ(stored.GetCellText(1, 3), u"12");
            EXPECT_EQ(stored.GetDisplayText(1, 3), u"=A1+A2");
        }

        // 4. The text window moved on the canvas by the mouse, 16 LEDs right
        // and 8 down: the pane shows the new place.
        ASSERT_TRUE(clickInTree(*h.frame, textWindow));
        const int dot = textLed->dotWidth();
        // The hand stays where it is on the screen while the window moves under it.
        const QPoint grab = textLed->mapToGlobal(textLed->rect().center());
        const auto at = [&](int leds) { return textLed->mapFromGlobal(grab + QPoint(leds * dot, leds / 2 * dot)); };
        QTest::mousePress(textLed, Qt::LeftButton, {}, at(0));
        QTest::mouseMove(textLed, at(8));
        QTest::mouseMove(textLed, at(16));
        QTest::mouseRelease(textLed, Qt::LeftButton, {}, at(16));
        QCoreApplication::processEvents();
        const SectionBlock& b = textWindow->Section;
        textRect = QRect(b.RectX, b.RectY, b.RectW, b.RectH);
        EXPECT_EQ(textRect, QRect(16, 8, 96, 64));
        QWidget* sectionPanel = paneOf(*h.frame)->windowPage()->section();
        EXPECT_EQ(findByControlId<QSpinBox>(sectionPanel, panels::CPropertySection::IdX)->value(), 16);
        EXPECT_EQ(findByControlId<QSpinBox>(sectionPanel, panels::CPropertySection::IdY)->value(), 8);
        EXPECT_GT(lit(textLed->content()), 0);

        // 5. Saved under a name the operator gives: the file is the screen.
        ASSERT_TRUE(clickInTree(*h.frame, screen));
        seams.nextFileName(file);
        toolButton(*h.frame, ID_SAVE_FILE);
        ASSERT_TRUE(QFile::exists(file));
        EXPECT_EQ(QString::fromUtf16(screen->Name), QStringLiteral("Walk"));
        std::vector<unsigned char> image(h.core.GetStoreSize(screen));
        h.core.Store(screen, image.data(), unsigned(image.size()));
        EXPECT_EQ(readFile(file), QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
        EXPECT_EQ(script.pending(), 0);
    }

    // 6. A fresh main window opens the file into its screen.
    FrameHarness h;
    support::SeamScope seams;
    support::ModalScript script;
    ASSERT_TRUE(showFrame(*h.frame));
    tagItemData* screen = openIntoFirstScreen(*h.frame, h.core, seams, file);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(QString::fromUtf16(screen->Name), QStringLiteral("Walk"));
    ASSERT_EQ(screen->Global.Width, 256);
    tagItemData* scene = child(screen, 0);
    ASSERT_NE(scene, nullptr);
    tagItemData* textWindow = child(scene, 0);
    tagItemData* listWindow = child(scene, 1);
    ASSERT_NE(textWindow, nullptr);
    ASSERT_NE(listWindow, nullptr);
    EXPECT_NE(treeOf(*h.frame)->itemOf(textWindow), nullptr);
    EXPECT_NE(treeOf(*h.frame)->itemOf(listWindow), nullptr);
    EXPECT_EQ(QRect(textWindow->Section.RectX, textWindow->Section.RectY, textWindow->Section.RectW,
                    textWindow->Section.RectH),
              textRect);
    EXPECT_TRUE(textWindow->FirstChild->Item.TypeRecord->text().contains(typed));
    // The canvas draws the table from the file as it was drawn before.
    editor::CScreenLed* canvas = h.frame->FindItemWindow(screen);
    ASSERT_NE(canvas, nullptr);
    ASSERT_TRUE(clickInTree(*h.frame, listWindow));
    tagItemData* table = nullptr;
    for (tagItemData* c = listWindow->FirstChild; c; c = c->NextSibling)
        if (c->Item.TypeCode == IT_GRID)
            table = c;
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(clickListRow(*h.frame, table));
    editor::CSectionLed* tableLed = canvas->sectionCanvas(listWindow);
    ASSERT_NE(tableLed, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return canvasPicture(tableLed) == tablePicture; }, 2000));
    // The pane's table holds the formula and shows its value.
    TableKeys keys(*h.frame);
    ASSERT_TRUE(keys.ready());
    EXPECT_EQ(keys.text(1, 3), u"12");
    EXPECT_EQ(keys.shown(1, 3), u"=A1+A2");
    EXPECT_GT(lit(textWindow ? canvas->sectionCanvas(textWindow)->content() : QImage()), 0);
    EXPECT_EQ(script.pending(), 0);
}
