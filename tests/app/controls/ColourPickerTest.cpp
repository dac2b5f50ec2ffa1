#include "TestHelpers.h"
#include "app/controls/ColorButton.h"
#include "app/controls/ColourPicker.h"
#include "app/controls/ColourPopup.h"
#include "app/controls/PopupPlace.h"
#include "platform/LangPack.h"
#include "support/SeamScope.h"

#include <QColorDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

using namespace controls;
using namespace testing_controls;
using platform::makeColorRef;

namespace {

constexpr platform::COLORREF kBlue = 0xFF0000; // RGB 0, 0, 255

struct ButtonFixture {
    ControlSpy parent;
    CColorButton* button;
    ButtonFixture()
    {
        parent.resize(200, 100);
        button = new CColorButton(&parent);
        setControlId(button, 6301);
        button->setGeometry(10, 10, 60, 22);
        parent.show();
    }
    CColourPopup* open()
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint{5, 5});
        return button->findChild<CColourPopup*>();
    }
};

} // namespace

TEST(ColourTable, FortyNamedColoursInOrder)
{
    const auto& t = colourTable();
    EXPECT_EQ(t[0].colour, makeColorRef(0, 0, 0));
    EXPECT_STREQ(t[0].name, "Black");
    EXPECT_EQ(t[9].colour, makeColorRef(255, 104, 32));
    EXPECT_STREQ(t[9].name, "Orange");
    EXPECT_EQ(t[13].colour, 0xFF0000u);
    EXPECT_EQ(t[26].colour, 0x00FFFFu);
    EXPECT_STREQ(t[35].name, "Pale green ");
    EXPECT_EQ(t[35].colour, makeColorRef(152, 251, 152));
    EXPECT_STREQ(t[39].name, "White");
    EXPECT_EQ(t[39].colour, 0xFFFFFFu);
    for (const auto& e : t)
        EXPECT_NE(e.colour, kAutomaticColour);
}

TEST(ColourPopupLayout, GeometryAndChosenIndex)
{
    ColourPopupLayout none(false, false, 0, 0, 0);
    EXPECT_EQ(none.cellSize(), 18);
    EXPECT_EQ(none.rows(), 5);
    EXPECT_EQ(none.windowSize(), QSize(2 * 2 + 8 * 18, 5 * 18 + 2 * 2));
    EXPECT_EQ(none.cellRect(9), QRect(1 * 18 + 2, 1 * 18 + 2, 18, 18));
    EXPECT_EQ(none.hitTest({2 + 18 + 1, 2 + 18 + 1}), 9);
    EXPECT_EQ(none.chosenIndex(makeColorRef(1, 2, 3)), kCellNone);
    EXPECT_EQ(none.chosenIndex(kAutomaticColour), kCellNone);

    ColourPopupLayout both(true, true, 14, 60, 90);
    EXPECT_EQ(both.chosenIndex(kAutomaticColour), kCellDefault);
    EXPECT_EQ(both.chosenIndex(makeColorRef(1, 2, 3)), kCellCustom);
    EXPECT_EQ(both.chosenIndex(makeColorRef(255, 255, 0)), 26);
    // text boxes above and below the cells, hit where they are drawn
    EXPECT_LT(both.defaultBox().bottom(), both.cellRect(0).top());
    EXPECT_GT(both.customBox().top(), both.cellRect(39).bottom());
    EXPECT_EQ(both.hitTest(both.defaultBox().center()), kCellDefault);
    EXPECT_EQ(both.hitTest(both.customBox().center()), kCellCustom);
    EXPECT_EQ(both.hitTest(both.cellRect(0).center()), 0);
    EXPECT_EQ(both.windowSize().height(),
              5 * 18 + 2 * 2 + both.defaultBox().height() + 4 + both.customBox().height() + 4);
}

TEST(ColourPopupLayout, KeyboardWalk)
{
    ColourPopupLayout both(true, true, 14, 60, 90);
    EXPECT_EQ(both.move(39, Qt::Key_Right), kCellCustom);
    EXPECT_EQ(both.move(kCellCustom, Qt::Key_Right), kCellDefault);
    EXPECT_EQ(both.move(kCellDefault, Qt::Key_Down), 0);
    EXPECT_EQ(both.move(0, Qt::Key_Left), kCellDefault);
    EXPECT_EQ(both.move(8, Qt::Key_Left), 7);  // to the end of the row above
    EXPECT_EQ(both.move(7, Qt::Key_Right), 8); // to the start of the next
    EXPECT_EQ(both.move(3, Qt::Key_Up), kCellDefault);
    EXPECT_EQ(both.move(35, Qt::Key_Down), kCellCustom);
    EXPECT_EQ(both.move(12, Qt::Key_Down), 20);
    EXPECT_EQ(both.move(kCellDefault, Qt::Key_Left), kCellCustom);
    EXPECT_EQ(both.move(kCellCustom, Qt::Key_Up), 39);

    ColourPopupLayout none(false, false, 0, 0, 0);
    EXPECT_EQ(none.move(39, Qt::Key_Right), 0);
    EXPECT_EQ(none.move(0, Qt::Key_Left), 39);
    EXPECT_EQ(none.move(2, Qt::Key_Up), 39);
    EXPECT_EQ(none.move(38, Qt::Key_Down), 0);

    ColourPopupLayout customOnly(false, true, 14, 0, 90);
    EXPECT_EQ(customOnly.move(39, Qt::Key_Right), kCellCustom);
    EXPECT_EQ(customOnly.move(kCellCustom, Qt::Key_Right), 0);
    EXPECT_EQ(customOnly.move(0, Qt::Key_Left), kCellCustom);
}

TEST(ColorButton, EscapeRestoresAndSendsCloseUpThenCancel)
{
    ButtonFixture f;
    f.button->SetColour(kBlue);
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(f.button->isPopupActive());
    EXPECT_EQ(popup->chosenIndex(), 13);
    EXPECT_EQ(popup->hoverIndex(), kCellNone);
    QTest::keyClick(popup, Qt::Key_Escape);
    flushDeletes();
    EXPECT_EQ(f.button->findChild<CColourPopup*>(), nullptr);
    EXPECT_EQ(f.parent.ids(), (QList<unsigned>{spine::WM_COLOUR_DROPDOWN, spine::WM_COLOUR_CLOSEUP, spine::WM_COLOUR_SELENDCANCEL}));
    for (const auto& m : f.parent.messages()) {
        EXPECT_EQ(m.w, kBlue);
        EXPECT_EQ(m.l, 6301);
    }
    EXPECT_EQ(f.button->GetColour(), kBlue);
    EXPECT_FALSE(f.button->isPopupActive());
}

TEST(ColorButton, ChoosingByMouseSendsHoverCloseUpEndAndChange)
{
    ButtonFixture f;
    f.button->SetColour(kBlue);
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    QPoint red = popup->layout().cellRect(16).center();
    support::mouseMove(popup, red);
    QTest::mouseRelease(popup, Qt::LeftButton, {}, red);
    flushDeletes();
    const platform::COLORREF kRed = 0x0000FF;
    ASSERT_EQ(f.parent.ids(), (QList<unsigned>{spine::WM_COLOUR_DROPDOWN, spine::WM_COLOUR_SELCHANGE, spine::WM_COLOUR_CLOSEUP,
                                               spine::WM_COLOUR_SELENDOK, spine::WM_COLOUR_SELCHANGE}));
    EXPECT_EQ(f.parent.messages()[1].w, kRed);
    EXPECT_EQ(f.parent.messages()[3].w, kRed);
    EXPECT_EQ(f.parent.messages()[4].w, kRed);
    EXPECT_EQ(f.button->GetColour(), kRed);
}

TEST(ColorButton, TrackingFollowsHover)
{
    ButtonFixture f;
    f.button->SetTrackSelection(true);
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    support::mouseMove(popup, popup->layout().cellRect(39).center());
    EXPECT_EQ(f.button->GetColour(), 0xFFFFFFu);
    QTest::keyClick(popup, Qt::Key_Escape);
    flushDeletes();
    EXPECT_EQ(f.button->GetColour(), kAutomaticColour); // cancel restores
}

TEST(ColorButton, KeyboardChoiceOfTheAutomaticBox)
{
    ButtonFixture f; // the button starts automatic
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->chosenIndex(), kCellDefault);
    QTest::keyClick(popup, Qt::Key_Right); // nothing hovered yet: the walk starts at the first box
    EXPECT_EQ(popup->hoverIndex(), kCellDefault);
    QTest::keyClick(popup, Qt::Key_Down);
    EXPECT_EQ(popup->hoverIndex(), 0);
    QTest::keyClick(popup, Qt::Key_Left);
    EXPECT_EQ(popup->hoverIndex(), kCellDefault);
    QTest::keyClick(popup, Qt::Key_Return);
    flushDeletes();
    ASSERT_EQ(f.parent.ids(), (QList<unsigned>{spine::WM_COLOUR_DROPDOWN, spine::WM_COLOUR_SELCHANGE, spine::WM_COLOUR_SELCHANGE,
                                               spine::WM_COLOUR_SELCHANGE, spine::WM_COLOUR_CLOSEUP, spine::WM_COLOUR_SELENDOK}));
    EXPECT_EQ(f.parent.messages()[2].w, 0u); // black
    EXPECT_EQ(f.parent.messages()[5].w, kAutomaticColour);
}

TEST(ColorButton, HoveringTheCustomBoxPreviewsTheInitialColour)
{
    ButtonFixture f;
    f.button->SetColour(kBlue);
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    support::mouseMove(popup, popup->layout().cellRect(0).center());
    support::mouseMove(popup, popup->layout().customBox().center());
    EXPECT_EQ(f.parent.messages().last().w, kBlue);
    EXPECT_EQ(popup->currentColour(), 0u); // still the black hovered before
    QTest::keyClick(popup, Qt::Key_Escape);
    flushDeletes();
}

TEST(ColorButton, ColourDialogEndsThePopupExactlyOnce)
{
    ButtonFixture f;
    f.button->SetColour(kBlue);
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    // While the dialog runs, a click outside, a close request and leaving
    // the application all come in; only the dialog's answer counts.
    support::SeamScope seams;
    seams->colourDialog = [popup](const QColor& initial, QWidget*) -> std::optional<QColor> {
        EXPECT_EQ(initial, QColor(0, 0, 255));
        QTest::mouseRelease(popup, Qt::LeftButton, {}, QPoint{-50, -50});
        popup->close();
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        return QColor(10, 20, 30);
    };
    support::mouseMove(popup, popup->layout().customBox().center());
    QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->layout().customBox().center());
    flushDeletes();
    QList<unsigned> ids = f.parent.ids();
    EXPECT_EQ(ids.count(spine::WM_COLOUR_SELENDOK), 1);
    EXPECT_EQ(ids.count(spine::WM_COLOUR_SELENDCANCEL), 0);
    EXPECT_EQ(ids.count(spine::WM_COLOUR_CLOSEUP), 1);
    EXPECT_EQ(f.button->GetColour(), makeColorRef(10, 20, 30));
    EXPECT_EQ(f.button->findChild<CColourPopup*>(), nullptr);
}

namespace {

// Drives the colour dialog once it is the active modal window, the way a user
// would: through its window (so input takes the path the window system gives
// it), a click into the HTML field, a typed colour and Enter. Gives up after
// two seconds and rejects the dialog, so a dialog that ignores its input fails
// the test instead of hanging it.
struct DialogDriver {
    bool found = false;
    bool gaveUp = false;
    QString typed;
    QElapsedTimer clock;

    void start(const QString& text)
    {
        typed = text;
        clock.start();
        QTimer::singleShot(0, [this] { step(); });
    }

    void step()
    {
        auto* dlg = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            if (clock.elapsed() < 2000)
                QTimer::singleShot(10, [this] { step(); });
            return;
        }
        if (!found) {
            found = true;
            QLineEdit* html = nullptr;
            for (QLineEdit* e : dlg->findChildren<QLineEdit*>())
                if (e->isVisible() && e->text().startsWith(u'#'))
                    html = e;
            QWindow* w = dlg->windowHandle();
            if (!html || !w) {
                ADD_FAILURE() << "no HTML field or no window in the colour dialog";
                dlg->reject();
                return;
            }
            QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, html->mapTo(dlg, html->rect().center()));
            QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
            for (QChar c : typed)
                QTest::keyClick(w, c.toLatin1());
            QTest::keyClick(w, Qt::Key_Return);
        }
        // Still open: the input went elsewhere. Wait a little, then give up.
        if (clock.elapsed() < 2000) {
            QTimer::singleShot(20, [this] { step(); });
        } else {
            gaveUp = true;
            dlg->reject();
        }
    }
};

} // namespace

TEST(ColorButton, MoreColoursTakesInputInTheRealDialog)
{
    ButtonFixture f;
    f.button->SetColour(kBlue);
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    DialogDriver driver;
    driver.start(QStringLiteral("#0a141e"));
    support::mouseMove(popup, popup->layout().customBox().center());
    QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->layout().customBox().center());
    flushDeletes();
    EXPECT_TRUE(driver.found);
    EXPECT_FALSE(driver.gaveUp) << "the dialog did not take the typed colour and Enter";
    QList<unsigned> ids = f.parent.ids();
    EXPECT_EQ(ids.count(spine::WM_COLOUR_SELENDOK), 1);
    EXPECT_EQ(ids.count(spine::WM_COLOUR_SELENDCANCEL), 0);
    EXPECT_EQ(f.button->GetColour(), makeColorRef(10, 20, 30));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(ColorButton, CancelledColourDialogIsOneCancel)
{
    ButtonFixture f;
    f.button->SetColour(kBlue);
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    support::SeamScope seams;
    seams->colourDialog = [](const QColor&, QWidget*) -> std::optional<QColor> { return std::nullopt; };
    support::mouseMove(popup, popup->layout().customBox().center());
    QTest::keyClick(popup, Qt::Key_Space);
    flushDeletes();
    QList<unsigned> ids = f.parent.ids();
    EXPECT_EQ(ids.count(spine::WM_COLOUR_SELENDCANCEL), 1);
    EXPECT_EQ(ids.count(spine::WM_COLOUR_SELENDOK), 0);
    EXPECT_EQ(f.button->GetColour(), kBlue);
}

TEST(ColourPopup, ReleaseOutsideOrLeavingTheApplicationCancels)
{
    ButtonFixture f;
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    QTest::mouseRelease(popup, Qt::LeftButton, {}, QPoint{-5, -5});
    flushDeletes();
    EXPECT_EQ(f.parent.ids().count(spine::WM_COLOUR_SELENDCANCEL), 1);

    f.parent.clear();
    popup = f.open();
    ASSERT_NE(popup, nullptr);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    flushDeletes();
    EXPECT_EQ(f.parent.ids(), (QList<unsigned>{spine::WM_COLOUR_DROPDOWN, spine::WM_COLOUR_CLOSEUP, spine::WM_COLOUR_SELENDCANCEL}));
}

TEST(ColourPopup, CustomBoxKeepsItsSeparator)
{
    ButtonFixture f;
    f.button->SetColour(makeColorRef(1, 2, 3)); // not in the table: the custom box is chosen
    CColourPopup* popup = f.open();
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->chosenIndex(), kCellCustom);
    QImage img = popup->grab().toImage();
    const QRect box = popup->layout().customBox();
    const int x = box.center().x();
    ASSERT_NE(popup->palette().dark().color(), popup->palette().midlight().color());
    ASSERT_NE(popup->palette().light().color(), popup->palette().midlight().color());
    EXPECT_EQ(img.pixel(x, box.top()), popup->palette().dark().color().rgb());
    EXPECT_EQ(img.pixel(x, box.top() + 1), popup->palette().light().color().rgb());
    QTest::keyClick(popup, Qt::Key_Escape);
    flushDeletes();
}

TEST(ColourPopup, OpensAboveAButtonAtTheBottomOfTheScreen)
{
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    ControlSpy parent;
    parent.setGeometry(screen.left() + 10, screen.bottom() - 40, 100, 30);
    auto* button = new CColorButton(&parent);
    button->setGeometry(0, 0, 60, 22);
    parent.show();
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint{5, 5});
    auto* popup = button->findChild<CColourPopup*>();
    ASSERT_NE(popup, nullptr);
    EXPECT_LE(popup->geometry().bottom(), button->mapToGlobal(QPoint(0, 0)).y());
    QTest::keyClick(popup, Qt::Key_Escape);
    flushDeletes();
}

TEST(ColourPicker, FaceAppliesArrowOpens)
{
    ControlSpy parent;
    auto* picker = new CColourPicker(&parent);
    setControlId(picker, 6400);
    picker->SetMode(1);
    picker->SetColour(0x0000FF);
    parent.show();
    EXPECT_EQ(picker->size(), QSize(33, 21));

    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint{10, 10});
    EXPECT_EQ(picker->findChild<CColourPopup*>(), nullptr);
    ASSERT_EQ(parent.messages().size(), 1);
    EXPECT_EQ(parent.messages()[0].id, platform::WM_COMMAND);
    EXPECT_EQ(platform::commandId(parent.messages()[0].w), 6400);
    EXPECT_EQ(platform::commandCode(parent.messages()[0].w), 1);

    parent.clear();
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint{27, 10});
    auto* popup = picker->findChild<CColourPopup*>();
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(parent.ids(), QList<unsigned>{spine::WM_COLOUR_DROPDOWN});
    EXPECT_EQ(parent.messages()[0].w, 0x0000FFu);
    QPoint white = popup->layout().cellRect(39).center();
    support::mouseMove(popup, white);
    QTest::mouseRelease(popup, Qt::LeftButton, {}, white);
    flushDeletes();
    QList<int> codes;
    for (const auto& m : parent.messages())
        if (m.id == platform::WM_COMMAND)
            codes << platform::commandCode(m.w);
    EXPECT_EQ(codes, (QList<int>{8, 9, 1}));
    EXPECT_EQ(picker->GetColour(), 0xFFFFFFu);

    parent.clear();
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint{27, 10});
    popup = picker->findChild<CColourPopup*>();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Escape);
    flushDeletes();
    codes.clear();
    for (const auto& m : parent.messages())
        if (m.id == platform::WM_COMMAND)
            codes << platform::commandCode(m.w);
    EXPECT_EQ(codes, (QList<int>{8, 10}));
    EXPECT_EQ(picker->GetColour(), 0xFFFFFFu);
}

TEST(ColourPicker, FaceShowsTheLetterWhateverTheText)
{
    CColourPicker a, other, blank;
    for (CColourPicker* p : {&a, &other, &blank}) {
        p->SetMode(1);
        p->SetColour(0x0000FF);
    }
    other.setText("Colour");
    blank.setText("");
    QImage withA = a.grab().toImage();
    EXPECT_EQ(other.grab().toImage(), withA);
    EXPECT_NE(blank.grab().toImage(), withA); // no text: no face at all
    other.setEnabled(false); // disabled, the window text itself is shown
    EXPECT_NE(other.grab().toImage(), withA);
}

TEST(ColourPicker, TooltipFromLanguagePackOnlyWhenPresent)
{
    platform::clearLangPack();
    CColourPicker picker;
    picker.SetTooltipText("keep");
    picker.SetTooltipFromResource();
    EXPECT_EQ(picker.toolTip(), "keep");
    platform::setLangString(33800, "Text colour");
    picker.SetTooltipFromResource();
    EXPECT_EQ(picker.toolTip(), "Text colour");
    platform::clearLangPack();
}

TEST(ColourPicker, LetterStandsWholeOnTheColourBar)
{
    QWidget host;
    auto* picker = new CColourPicker(&host);
    picker->SetMode(1);
    picker->SetColour(makeColorRef(255, 0, 0));
    host.show();
    const QImage img = picker->grab().toImage();
    // The letter is the bluish grey of the face; the bar is pure red.
    auto isLetter = [](QRgb c) { return qBlue(c) > qRed(c) + 30 && qBlue(c) > qGreen(c) + 20; };
    int letterTop = 100, letterBottom = -1, barTop = 100;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 2; x < 22; ++x) {
            const QRgb c = img.pixel(x, y);
            if (isLetter(c)) {
                letterTop = qMin(letterTop, y);
                letterBottom = qMax(letterBottom, y);
            }
            if (c == qRgb(255, 0, 0))
                barTop = qMin(barTop, y);
        }
    ASSERT_GE(letterBottom, 0) << "no letter drawn";
    ASSERT_LT(barTop, 100) << "no colour bar drawn";
    QFont f(QStringLiteral("Times New Roman"));
    f.setPixelSize(18);
    f.setBold(true);
    const int glyphHeight = QFontMetrics(f).tightBoundingRect(QStringLiteral("A")).height();
    EXPECT_GE(letterBottom - letterTop + 1, glyphHeight - 1) << "the letter is clipped";
    EXPECT_LT(letterBottom, barTop);
    EXPECT_LE(barTop - letterBottom - 1, 1) << "the letter floats above the bar";
}

TEST(PopupPlace, KeepsToTheAvailableArea)
{
    // A desktop panel takes the top 30 and the left 64 pixels of the screen.
    const QRect area(64, 30, 1920 - 64, 1080 - 30 - 40);
    EXPECT_EQ(fitPopupInArea(QRect(1850, 200, 150, 100), area, 22), QRect(1920 - 150, 200, 150, 100));
    EXPECT_EQ(fitPopupInArea(QRect(10, 200, 150, 100), area, 22), QRect(64, 200, 150, 100));
    // past the bottom of the area (above the lower panel): opens above the owner
    EXPECT_EQ(fitPopupInArea(QRect(300, 980, 150, 100), area, 22), QRect(300, 980 - 100 - 22, 150, 100));
    EXPECT_EQ(fitPopupInArea(QRect(300, 900, 150, 100), area, 22), QRect(300, 900, 150, 100));
}
