#include "TestHelpers.h"

#include <QTest>
#include "app/controls/DibImage.h"
#include "app/controls/IconButton.h"
#include "app/controls/ShadeButton.h"
#include "app/controls/ShadeSplitButton.h"
#include "app/controls/UrlOpener.h"
#include "support/SeamScope.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <gtest/gtest.h>

using namespace controls;
using namespace testing_controls;

namespace {

QIcon squareIcon(QColor c, int size = 16)
{
    QPixmap pm(size, size);
    pm.fill(c);
    return QIcon(pm);
}

// As a user's double click arrives: press, release, double click, release.
void doubleClick(QWidget* w, QPoint p)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, p);
    QTest::mouseDClick(w, Qt::LeftButton, {}, p);
    QTest::mouseRelease(w, Qt::LeftButton, {}, p);
}

} // namespace

TEST(IconButton, DoubleClickGivesTwoClicks)
{
    QWidget top;
    auto* b = new CIconButton(&top);
    b->setGeometry(0, 0, 60, 30);
    top.show();
    int clicks = 0;
    QObject::connect(b, &QAbstractButton::clicked, [&] { ++clicks; });
    doubleClick(b, {10, 10});
    EXPECT_EQ(clicks, 2);
}

TEST(IconButton, LightenColorRaisesChannelsEqually)
{
    CIconButton b;
    b.SetColour(CIconButton::BkHot, platform::makeColorRef(240, 240, 240));
    b.LightenColor();
    EXPECT_EQ(b.GetColour(CIconButton::BkHot), platform::makeColorRef(255, 255, 255));
    b.SetColour(CIconButton::BkHot, platform::makeColorRef(100, 200, 240));
    b.LightenColor();
    EXPECT_EQ(b.GetColour(CIconButton::BkHot), platform::makeColorRef(115, 215, 255));
    b.SetColour(CIconButton::BkHot, platform::makeColorRef(10, 20, 30));
    b.LightenColor();
    EXPECT_EQ(b.GetColour(CIconButton::BkHot), platform::makeColorRef(40, 50, 60));
}

TEST(IconButton, CheckBoxTogglesAndIgnoresMenuAndAddress)
{
    QWidget top;
    auto* b = new CIconButton(&top);
    b->setGeometry(0, 0, 60, 30);
    QMenu menu;
    menu.addAction("x")->setData(7);
    b->SetMenu(&menu, &top);
    b->SetURL("https://example.invalid/");
    int menus = 0, opens = 0;
    support::SeamScope seams;
    seams->popupMenu = [&](QMenu*, const QPoint&) -> QAction* { ++menus; return nullptr; };
    seams->openUrl = [&](const QString&) { ++opens; return true; };
    top.show();

    b->SetCheck(1);
    EXPECT_EQ(b->GetCheck(), 0); // not a check box yet
    b->SetCheckBox(true);
    b->SetCheck(2);
    EXPECT_EQ(b->GetCheck(), 1);
    b->SetCheck(5);
    EXPECT_EQ(b->GetCheck(), 0);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{10, 10});
    EXPECT_EQ(b->GetCheck(), 1);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{10, 10});
    EXPECT_EQ(b->GetCheck(), 0);
    EXPECT_EQ(menus, 0);
    EXPECT_EQ(opens, 0);

    b->SetCheckBox(false);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{10, 10});
    EXPECT_EQ(menus, 1); // the menu wins over the address
    EXPECT_EQ(opens, 0);
    b->SetMenu(nullptr, nullptr);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{10, 10});
    EXPECT_EQ(opens, 1);
}

TEST(IconButton, MenuChoiceIsPostedToTheMenuOwner)
{
    ControlSpy owner;
    auto* b = new CIconButton(&owner);
    b->setGeometry(0, 0, 60, 30);
    QMenu menu;
    QAction* a = menu.addAction("x");
    a->setData(32801);
    b->SetMenu(&menu, &owner);
    support::SeamScope seams;
    seams->popupMenu = [a](QMenu*, const QPoint&) { return a; };
    owner.show();
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{10, 10});
    QCoreApplication::processEvents();
    ASSERT_EQ(owner.ids(), QList<unsigned>{platform::WM_COMMAND});
    EXPECT_EQ(platform::commandId(owner.messages()[0].w), 32801);
}

TEST(IconButton, DisablingMovesTheFocusOn)
{
    QWidget top;
    auto* a = new CIconButton(&top);
    auto* b = new CIconButton(&top);
    a->setFocusPolicy(Qt::StrongFocus);
    b->setFocusPolicy(Qt::StrongFocus);
    a->setGeometry(0, 0, 40, 20);
    b->setGeometry(50, 0, 40, 20);
    top.show();
    top.activateWindow();
    a->setFocus();
    ASSERT_EQ(top.focusWidget(), a);
    a->setEnabled(false);
    EXPECT_EQ(top.focusWidget(), b);
}

TEST(IconButton, AFlatButtonShowsTheFocusOnlyWhenTheKeyboardBroughtIt)
{
    QWidget top;
    auto* a = new CIconButton(&top);
    auto* b = new CIconButton(&top);
    for (CIconButton* x : {a, b}) {
        x->setFocusPolicy(Qt::StrongFocus);
        x->AssignIcons(squareIcon(Qt::red));
    }
    a->setGeometry(0, 0, 40, 30);
    b->setGeometry(50, 0, 40, 30);
    top.show();
    top.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
    // b, away from the pointer, so that only the focus differs.
    b->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(b->hasFocus());
    const QImage byMouse = b->grab().toImage();
    a->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(a, Qt::Key_Tab);
    ASSERT_TRUE(b->hasFocus());
    EXPECT_NE(b->grab().toImage(), byMouse);   // the keyboard's focus is drawn
    a->setFocus(Qt::MouseFocusReason);
    b->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(b->grab().toImage(), byMouse);   // the mouse's is not
}

TEST(IconButton, ImagePlacement)
{
    CIconButton b;
    b.resize(100, 40);
    b.AssignIcons(squareIcon(Qt::red));
    b.setText("Go");
    EXPECT_EQ(b.imageRect({16, 16}), QRect(3, 12, 16, 16)); // left, centred vertically
    b.setText("");
    EXPECT_EQ(b.imageRect({16, 16}), QRect(42, 12, 16, 16));
    b.setText("Go");
    b.SetAlign(CIconButton::ImageTop);
    EXPECT_EQ(b.imageRect({16, 16}), QRect(42, 3, 16, 16));
    b.SetAlign(CIconButton::ImageRight);
    EXPECT_EQ(b.imageRect({16, 16}), QRect(100 - 16 - 3, 12, 16, 16));
}

TEST(IconButton, PressedTextMovesByOnePixel)
{
    CIconButton b;
    b.resize(100, 40);
    b.AssignIcons(squareIcon(Qt::red));
    b.setText("Go");
    for (int align : {CIconButton::ImageLeft, CIconButton::ImageTop, CIconButton::ImageRight}) {
        b.SetAlign(align);
        b.setDown(false);
        const QRect idleImage = b.imageRect({16, 16}), idleText = b.textRect({16, 16});
        b.setDown(true);
        EXPECT_EQ(b.imageRect({16, 16}), idleImage.translated(1, 1)) << align;
        EXPECT_EQ(b.textRect({16, 16}), idleText.translated(1, 1)) << align;
    }
    b.setDown(false);
    b.SetAlign(CIconButton::ImageLeft);
    EXPECT_EQ(b.textRect({16, 16}).left(), 3 + 16 + 3); // beside the image
    EXPECT_EQ(b.textRect({}), b.rect());
}

TEST(IconButton, GreyIdleCopyKeepsBlack)
{
    QImage img(2, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, qRgb(0, 0, 0));
    img.setPixel(1, 0, qRgb(200, 100, 50));
    QImage g = CIconButton::greyCopy(img);
    EXPECT_EQ(g.pixel(0, 0), qRgb(0, 0, 0));
    int l = static_cast<int>(0.299 * 200 + 0.587 * 100 + 0.114 * 50);
    EXPECT_EQ(g.pixel(1, 0), qRgb(l, l, l));

    CIconButton b;
    b.AssignIcons(squareIcon(Qt::red), QIcon(), true);
    EXPECT_FALSE(b.idleImage().isNull());
    b.AssignIcons(QIcon(), squareIcon(Qt::blue));
    EXPECT_TRUE(b.idleImage().isNull()); // nothing without a first image
}

TEST(DibImage, SizesPalettesAndTint)
{
    CDibImage d;
    ASSERT_TRUE(d.CreateBitmap(5, 3, 8));
    EXPECT_EQ(d.rowSize(), 8);
    EXPECT_EQ(d.paletteCount(), 256);
    EXPECT_EQ(CDibImage::rowSizeFor(5, 1), 4);
    EXPECT_EQ(CDibImage::rowSizeFor(33, 1), 8);
    EXPECT_EQ(CDibImage::paletteCountFor(4), 16);
    EXPECT_EQ(CDibImage::paletteCountFor(24), 0);
    d.palette()[0] = qRgb(100, 0, 200) & 0xFFFFFF;
    d.palette()[1] = qRgb(0, 0, 0) & 0xFFFFFF;
    d.TintPalette(50, platform::makeColorRef(200, 100, 0));
    EXPECT_EQ(d.palette()[0], qRgb(150, 50, 100) & 0xFFFFFFu);
    d.TintPalette(150, platform::makeColorRef(1, 2, 3)); // capped at 100
    EXPECT_EQ(d.palette()[1], qRgb(1, 2, 3) & 0xFFFFFFu);
    d.row(2)[4] = 1;
    EXPECT_EQ(d.toImage().pixel(4, 2), qRgb(1, 2, 3));
    d.FreeBitmap();
    EXPECT_TRUE(d.isNull());
    EXPECT_FALSE(d.CreateBitmap(0, 3, 8));
}

TEST(DibImage, ShadePaletteEnds)
{
    QList<QRgb> pal = shadePalette(qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255));
    ASSERT_EQ(pal.size(), 256);
    EXPECT_EQ(pal[0], 0u);
    EXPECT_EQ(pal[127], qRgb(127, 127, 127) & 0xFFFFFFu);
    EXPECT_EQ(pal[255], qRgb(255, 255, 255) & 0xFFFFFFu);
    // The noise is the C library's classic generator: seeded with 1 it gives
    // this sequence, and its values cover the whole 0..32767 range.
    ShadeNoise n(1);
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464})
        EXPECT_EQ(n.next(), expected);
    int low = 32767, high = 0;
    for (int i = 0; i < 100000; ++i) {
        int v = n.next();
        low = qMin(low, v);
        high = qMax(high, v);
    }
    EXPECT_LT(low, 16);
    EXPECT_GT(high, 32767 - 16);
}

TEST(ShadeButton, FaceRunsFromDarkToLight)
{
    CShadeButton b;
    b.resize(60, 40);
    b.SetShade(7);
    const CDibImage& face = b.normalFace();
    ASSERT_EQ(face.width(), 60);
    ASSERT_EQ(face.height(), 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            int base = (y * 239) / 40;
            ASSERT_GE(face.row(y)[x], base);
            ASSERT_LE(face.row(y)[x], base + 16);
        }
    // the hot face is the normal face tinted towards the highlight
    EXPECT_NE(b.hotFace().palette()[0], face.palette()[0]);
}

TEST(ShadeSplitButton, DropPartSendsItsMessageAndNoClick)
{
    ControlSpy parent;
    auto* b = new CShadeSplitButton(&parent);
    setControlId(b, 6610);
    b->setGeometry(0, 0, 80, 24);
    parent.show();
    int clicks = 0;
    QObject::connect(b, &QAbstractButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{75, 10});
    EXPECT_EQ(clicks, 0);
    ASSERT_EQ(parent.ids(), QList<unsigned>{spine::WM_SHADEBTN_DROPDOWN});
    EXPECT_EQ(parent.messages()[0].w, 6610u);
    EXPECT_EQ(parent.messages()[0].l, 0);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{20, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(parent.messages().size(), 1);
}

TEST(ShadeSplitButton, EnteringHighlightsThePartUnderTheMouse)
{
    QWidget top;
    auto* b = new CShadeSplitButton(&top);
    b->setGeometry(0, 0, 80, 24);
    top.show();
    support::mouseMove(b, QPoint{10, 10});
    support::mouseMove(b, QPoint{12, 10}); // still inside the main part
    EXPECT_TRUE(b->hoveredMain());
    EXPECT_FALSE(b->hoveredDrop());
    support::mouseMove(b, QPoint{70, 10});
    EXPECT_FALSE(b->hoveredMain());
    EXPECT_TRUE(b->hoveredDrop());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b, &leave);
    EXPECT_FALSE(b->hoveredDrop());
    support::mouseMove(b, QPoint{72, 10}); // entering straight into the drop part
    EXPECT_TRUE(b->hoveredDrop());
}

TEST(ShadeSplitButton, DoubleClickGivesTwoPresses)
{
    QWidget top;
    auto* b = new CShadeSplitButton(&top);
    b->setGeometry(0, 0, 80, 24);
    top.show();
    int presses = 0;
    QObject::connect(b, &QAbstractButton::pressed, [&] { ++presses; });
    doubleClick(b, {20, 10});
    EXPECT_EQ(presses, 2);
}

TEST(ShadeSplitButton, ShadeRowsAndArrow)
{
    EXPECT_EQ(CShadeSplitButton::shadeBase(0, 100), 11);
    EXPECT_EQ(CShadeSplitButton::shadeBase(50, 100), 128);
    EXPECT_EQ(CShadeSplitButton::shadeBase(99, 100), 239); // 125^3 / 16384 = 119, * 120 / 128 = 111
    CShadeSplitButton b;
    b.resize(80, 24);
    b.SetShade(3);
    const CDibImage& face = b.normalFace();
    for (int y = 0; y < 24; ++y) {
        int base = CShadeSplitButton::shadeBase(y, 24);
        for (int x = 0; x < 80; ++x) {
            ASSERT_GE(face.row(y)[x], base - 8);
            ASSERT_LE(face.row(y)[x], base + 8);
        }
    }
    QPoint c = b.dropPart().center();
    EXPECT_EQ(b.arrow(), (QPolygon{QPoint(c.x() - 4, c.y() - 2), QPoint(c.x() + 3, c.y() - 2),
                                   QPoint(c.x() - 1, c.y() + 2)}));
    EXPECT_EQ(b.dropPart(), QRect(64, 0, 16, 24));
}

TEST(ShadeSplitButton, WithoutFacesPaintsButtonFace)
{
    CShadeSplitButton b;
    b.resize(80, 24);
    b.show(); // the size change builds the faces
    QCoreApplication::processEvents();
    b.FreeShade();
    ASSERT_TRUE(b.normalFace().isNull());
    QImage img = b.grab().toImage();
    EXPECT_EQ(img.pixel(30, 12), b.palette().color(QPalette::Button).rgb());
}

namespace {

// Counts the mouse presses and releases that reach it.
class MouseCounter : public QWidget {
public:
    int presses = 0, releases = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
};

} // namespace

TEST(ShadeSplitButton, DropPartClickStaysWithTheButton)
{
    MouseCounter parent;
    auto* b = new CShadeSplitButton(&parent);
    b->setGeometry(0, 0, 80, 24);
    parent.show();
    int drops = 0;
    QObject::connect(b, &CShadeSplitButton::dropDown, [&] { ++drops; });
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{75, 10});
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(parent.presses, 0);
    EXPECT_EQ(parent.releases, 0);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{20, 10});
    EXPECT_EQ(parent.presses, 0);
    EXPECT_EQ(parent.releases, 0);
}

TEST(ShadeButton, WorksAsTheDefaultButtonOfADialog)
{
    QDialog dlg;
    auto* edit = new QLineEdit(&dlg);
    auto* ok = new CShadeButton(&dlg);
    ok->setText("OK");
    ok->setGeometry(10, 40, 80, 26);
    ok->SetDefault(true);
    QObject::connect(ok, &QAbstractButton::clicked, &dlg, &QDialog::accept);
    dlg.show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());

    // Enter on the focused button presses it as well.
    QDialog dlg2;
    auto* b = new CShadeButton(&dlg2);
    b->setGeometry(10, 10, 80, 26);
    int clicks = 0;
    QObject::connect(b, &QAbstractButton::clicked, [&] { ++clicks; });
    dlg2.show();
    b->setFocus();
    QTest::keyClick(b, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
}
