#include "TestHelpers.h"

#include <QTest>
#include "app/controls/BorderButton.h"
#include "app/controls/BorderPopup.h"

#include <QPainter>
#include "support/LangPackScope.h"

#include <gtest/gtest.h>

using namespace controls;
using namespace testing_controls;

namespace {

struct Fixture {
    ControlSpy top;
    ControlSpy* parent;
    CBorderButton* button;
    Fixture()
    {
        top.resize(200, 120);
        parent = new ControlSpy;
        parent->setParent(&top);
        parent->setGeometry(0, 0, 200, 120);
        button = new CBorderButton(parent);
        setControlId(button, 6520);
        button->setGeometry(10, 10, 40, 22);
        top.show();
    }
    CBorderPopup* openPopup()
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint{35, 10}); // the 9-pixel strip at the right
        return button->findChild<CBorderPopup*>();
    }
};

} // namespace

TEST(BorderSpec, PresetTable)
{
    // every preset: applied sides style 0 colour 0xFFFF; the rest style 5, width 0, colour 0xFFFF, not applied
    const int applied[kBorderPresetCount][6] = {
        {1, 1, 1, 1, 1, 1}, {0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0},
        {0, 0, 1, 0, 0, 0}, {0, 0, 0, 1, 0, 0}, {0, 1, 0, 1, 0, 0}, {1, 0, 1, 0, 0, 0},
        {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 1}, {1, 1, 1, 1, 0, 0}, {1, 1, 1, 1, 0, 0},
    };
    for (int p = 0; p < kBorderPresetCount; ++p) {
        BorderSpec s = borderPreset(p);
        EXPECT_EQ(s.lead, 0);
        for (int side = 0; side < 8; ++side) {
            const BorderSide& r = s.sides[side];
            const bool on = side < 6 && applied[p][side];
            EXPECT_EQ(r.colour, 0xFFFF) << p << "/" << side;
            EXPECT_EQ(r.apply, on ? 1 : 0) << p << "/" << side;
            EXPECT_EQ(r.style, (on && p != 0) ? 0 : 5) << p << "/" << side;
            const bool thick = (p == 5 || p == 11) && side == BorderBottom;
            EXPECT_EQ(r.width, thick ? 2 : 0) << p << "/" << side;
        }
    }
    EXPECT_EQ(borderPreset(0), defaultBorderSpec());
    {
        support::LangPackScope pack;
        pack.setString(42011, QString::fromUtf8("无框线"));
        pack.setString(42022, QString::fromUtf8("粗底外部框线"));
        EXPECT_EQ(borderPresetCaption(0), QString::fromUtf8("无框线"));
        EXPECT_EQ(borderPresetCaption(11), QString::fromUtf8("粗底外部框线"));
        EXPECT_EQ(borderPresetCaption(12), QString());
    }
}

TEST(BorderSpec, WordsAndBytes)
{
    BorderSpec s = borderPreset(11);
    auto w = s.words();
    EXPECT_EQ(w[0], 0);
    // bottom record: words 13..16
    EXPECT_EQ(w[13], 0);
    EXPECT_EQ(w[14], 2);
    EXPECT_EQ(w[15], 0xFFFF);
    EXPECT_EQ(w[16], 1);
    QByteArray b = s.bytes();
    ASSERT_EQ(b.size(), 132);
    // lead, then the left record {0, 0, 0xFFFF, 1}, then top
    EXPECT_EQ(b.left(24), QByteArray::fromHex("00000000" "00000000" "00000000" "ffff0000" "01000000" "00000000"));
    // the spare records: style 5, width 0, colour 0xFFFF, not applied
    EXPECT_EQ(b.right(16), QByteArray::fromHex("05000000" "00000000" "ffff0000" "00000000"));
}

TEST(BorderButton, FaceClickReappliesWithoutChange)
{
    Fixture f;
    QTest::mouseClick(f.button, Qt::LeftButton, {}, QPoint{5, 10});
    EXPECT_EQ(f.button->findChild<CBorderPopup*>(), nullptr);
    ASSERT_EQ(f.parent->ids(), (QList<unsigned>{controls::WM_BORDER_CLOSEUP, controls::WM_BORDER_SELENDOK}));
    EXPECT_EQ(patternOf(f.parent->messages()[1]), defaultBorderSpec());
    EXPECT_EQ(f.parent->messages()[1].l, 6520);
}

TEST(BorderButton, PopupOpensUnhighlightedAndReturnsInitialWithoutHover)
{
    Fixture f;
    CBorderPopup* popup = f.openPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(f.parent->messages().isEmpty()); // no drop-down message
    EXPECT_EQ(popup->hoverIndex(), -1);
    QTest::keyClick(popup, Qt::Key_Escape); // does nothing
    EXPECT_FALSE(popup->ended());
    QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->cellRect(5).center());
    flushDeletes();
    ASSERT_EQ(f.parent->ids(), (QList<unsigned>{controls::WM_BORDER_CLOSEUP, controls::WM_BORDER_SELENDOK}));
    EXPECT_EQ(patternOf(f.parent->messages()[1]), defaultBorderSpec());
}

TEST(BorderButton, ChoosingAPresetSendsChangeOnlyWhenDifferent)
{
    Fixture f;
    CBorderPopup* popup = f.openPopup();
    ASSERT_NE(popup, nullptr);
    support::mouseMove(popup, popup->cellRect(0).center());
    EXPECT_EQ(popup->hoverIndex(), 0);
    QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->cellRect(0).center());
    flushDeletes();
    EXPECT_EQ(f.parent->ids(), (QList<unsigned>{controls::WM_BORDER_CLOSEUP, controls::WM_BORDER_SELENDOK}));

    f.parent->clear();
    popup = f.openPopup();
    ASSERT_NE(popup, nullptr);
    support::mouseMove(popup, popup->cellRect(8).center());
    QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->cellRect(8).center());
    flushDeletes();
    ASSERT_EQ(f.parent->ids(), (QList<unsigned>{controls::WM_BORDER_CLOSEUP, controls::WM_BORDER_SELENDOK, controls::WM_BORDER_SELCHANGE}));
    EXPECT_EQ(patternOf(f.parent->messages()[2]), borderPreset(8));
    EXPECT_EQ(f.button->GetBorder(), borderPreset(8));
}

TEST(BorderButton, CancelGoesToTheSameReceiverAsTheEnd)
{
    Fixture f;
    f.button->SetBorder(borderPreset(3));
    CBorderPopup* popup = f.openPopup();
    ASSERT_NE(popup, nullptr);
    support::mouseMove(popup, popup->cellRect(8).center());
    QTest::mouseRelease(popup, Qt::LeftButton, {}, QPoint{-10, -10});
    flushDeletes();
    EXPECT_TRUE(f.top.messages().isEmpty());
    ASSERT_EQ(f.parent->ids(), (QList<unsigned>{controls::WM_BORDER_CLOSEUP, controls::WM_BORDER_SELENDCANCEL}));
    EXPECT_EQ(patternOf(f.parent->messages()[1]), borderPreset(3));
    EXPECT_EQ(f.button->GetBorder(), borderPreset(3));
    EXPECT_FALSE(f.button->isPopupActive());

    f.parent->clear();
    popup = f.openPopup();
    ASSERT_NE(popup, nullptr);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    flushDeletes();
    EXPECT_EQ(f.parent->ids(), (QList<unsigned>{controls::WM_BORDER_CLOSEUP, controls::WM_BORDER_SELENDCANCEL}));
}

TEST(BorderPopup, HitTestMatchesTheDrawnCells)
{
    Fixture f;
    CBorderPopup* popup = f.openPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->cellSize(), 20);
    for (int i = 0; i < kBorderPresetCount; ++i) {
        QRect r = popup->cellRect(i);
        EXPECT_EQ(popup->hitTest(r.topLeft()), i);
        EXPECT_EQ(popup->hitTest(r.bottomRight()), i);
    }
    EXPECT_EQ(popup->hitTest({1, 1}), -1);
    EXPECT_EQ(popup->hitTest({popup->cellRect(11).right() + 1, popup->cellRect(11).center().y()}), -1);
    support::mouseMove(popup, QPoint{1, 1});
    EXPECT_EQ(popup->hoverIndex(), -1);
    QTest::mouseRelease(popup, Qt::LeftButton, {}, QPoint{-10, -10});
    flushDeletes();
}

TEST(BorderPreview, DottedForNoneSolidOtherwiseSparesUndrawn)
{
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        drawBorderPreview(p, QRect(0, 0, 20, 20), borderPreset(2)); // left solid, the rest dotted
    }
    // 20 x 20: a = 10 - 2 = 8 around the centre
    QPoint c = QRect(0, 0, 20, 20).center();
    int left = c.x() - 8, top = c.y() - 8;
    int solid = 0, dotsTop = 0;
    for (int y = top; y <= c.y() + 8; ++y)
        solid += img.pixel(left, y) == qRgb(0, 0, 0);
    for (int x = left + 1; x < c.x() + 8; ++x)
        dotsTop += img.pixel(x, top) == qRgb(0, 0, 0);
    EXPECT_GE(solid, 16);
    EXPECT_GT(dotsTop, 4);
    EXPECT_LT(dotsTop, 12);
}

TEST(BorderPreview, SolidAndThickOutlinesCloseAtEveryCorner)
{
    for (int preset : {8, 10, 11}) {
        QImage img(24, 24, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            drawBorderPreview(p, QRect(0, 0, 24, 24), borderPreset(preset));
        }
        // 24 x 24: a = 12 - 2 = 10 around the centre
        const QPoint c = QRect(0, 0, 24, 24).center();
        const int left = c.x() - 10, right = c.x() + 10, top = c.y() - 10, bottom = c.y() + 10;
        const QRgb black = qRgb(0, 0, 0);
        for (int x = left; x <= right; ++x) {
            EXPECT_EQ(img.pixel(x, top), black) << preset << " top " << x;
            EXPECT_EQ(img.pixel(x, bottom), black) << preset << " bottom " << x;
        }
        for (int y = top; y <= bottom; ++y) {
            EXPECT_EQ(img.pixel(left, y), black) << preset << " left " << y;
            EXPECT_EQ(img.pixel(right, y), black) << preset << " right " << y;
        }
        // nothing strays beyond one pixel outside the box
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                if (x < left - 1 || x > right + 1 || y < top - 1 || y > bottom + 1) {
                    EXPECT_EQ(img.pixel(x, y), qRgb(255, 255, 255)) << preset << " at " << x << "," << y;
                }
    }
}
