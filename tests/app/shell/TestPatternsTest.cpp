// The test patterns: their pictures, what reaches the simulated controller,
// and that the scratch tree they are built in leaves nothing behind.
#include "FrameTestUtil.h"
#include "OperatorRoad.h"

#include "app/shell/SmallDialogs.h"
#include "app/shell/TestPatterns.h"
#include "platform/Clock.h"
#include "support/ModalRunner.h"
#include "support/ModalScript.h"
#include "support/SeamScope.h"
#include "support/SimController.h"
#include "support/TreeBuilder.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using namespace shell;

using frametest::FrameHarness;

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kYellow = 0xFFFFFF00;
constexpr QRgb kBlack = 0xFF000000;

using Rule = std::function<QRgb(int x, int y)>;

QImage expected(int w, int h, const Rule& rule)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, rule(x, y));
    return img;
}

// The grid cell: both diagonals of an 8 x 8 cell, the end points left out.
bool gridCell(int x, int y)
{
    x %= 8;
    y %= 8;
    return x == y || x + y == 8;
}

Rule gridShifted(int k, QRgb colour)
{
    return [k, colour](int x, int y) { return gridCell(x, (y - k + 8) % 8) ? colour : kBlack; };
}

int countDiffering(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += (a.pixel(x, y) | 0xFF000000) != (b.pixel(x, y) | 0xFF000000);
    return n;
}

// What a pattern command puts in front of the send road, seen at the send.
struct SentPicture {
    QImage image;
    int playTime;
    int inEffect;
    int inSpeed;
};

// A frame whose task runner records the scratch screen's pictures, sends
// them for real, and marks the scratch tree to see that it is freed.
class PatternHarness {
public:
    PatternHarness()
    {
        seams.frame().runTask = [this](QWidget*, const spine::TaskRequest& request) {
            tagItemData* screen = request.screen;
            ++runs;
            scratchParentIsHeader = screen->Parent && screen->Parent->Level == LEVEL_HEADER;
            tagItemData* section = screen->FirstChild->FirstChild;
            sectionKind = section->Section.WndKind;
            sectionRect = QRect(section->Section.RectX, section->Section.RectY, section->Section.RectW,
                                section->Section.RectH);
            for (tagItemData* p = section->FirstChild; p; p = p->NextSibling)
                sent.push_back({GetNodePicture(p).copy(), p->PlayTime, p->InEffect, p->InSpeed});
            const int r = h->frame->Jobs().RunTask(request);
            probe.mark(screen->Parent);
            return r;
        };
        h = std::make_unique<FrameHarness>("UI_EN.rcc");
        screen = h->core.GetScreen(0);
        screen->Global.Width = 64;
        screen->Global.Height = 32;
        frametest::bindTcp(screen, peer.port());
        EXPECT_TRUE(operatorroad::showFrame(*h->frame));
        EXPECT_TRUE(operatorroad::clickInTree(*h->frame, screen));
    }

    // The controller's blocks for the same pictures sent from a tree built apart.
    std::vector<sim::Block> referenceBlocks()
    {
        sim::SimController ref;
        sim::TcpPeer refPeer(ref);
        CCore core;
        tagItemData* s = core.AddItem(IT_SCREEN, u"ref", nullptr, nullptr);
        s->Global = screen->Global;
        frametest::bindTcp(s, refPeer.port());
        tagItemData* scene = core.AddItem(IT_SCENE, nullptr, s, nullptr);
        tagItemData* section = core.AddItem(IT_WND_CONTENTLIST, nullptr, scene, nullptr);
        core.ChangeItemRect(section, 0, 0, 64, 32);
        tagItemData* after = nullptr;
        for (const SentPicture& p : sent) {
            after = core.AddItem(IT_IMAGE, nullptr, section, after);
            SetNodePicture(after, p.image);
            after->PlayTime = p.playTime;
            after->InEffect = std::uint8_t(p.inEffect);
            after->InSpeed = std::uint16_t(p.inSpeed);
        }
        core.SendPrograms(s);
        ref.waitForBlocks(4);
        return ref.blocks();
    }

    void expectSentAsBuilt()
    {
        ASSERT_TRUE(controller.waitForBlocks(4));
        const std::vector<sim::Block> got = controller.blocks();
        const std::vector<sim::Block> want = referenceBlocks();
        ASSERT_EQ(got.size(), 4u);
        ASSERT_EQ(want.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(got[i].header.command, want[i].header.command);
            EXPECT_EQ(got[i].data, want[i].data) << "block " << i;
        }
    }

    void expectNothingLeft()
    {
        EXPECT_FALSE(probe.anyAlive());
        EXPECT_EQ(h->screenCount(), 1);
        EXPECT_EQ(screen->FirstChild, nullptr);   // the operator's screen is untouched
    }

    platform::ScopedClockScale faster{50};
    sim::SimController controller;
    sim::TcpPeer peer{controller};
    support::SeamScope seams;   // outlives the frame
    std::unique_ptr<FrameHarness> h;
    tagItemData* screen = nullptr;
    support::LiveNodeProbe probe;
    std::vector<SentPicture> sent;
    int runs = 0;
    bool scratchParentIsHeader = false;
    int sectionKind = 0;
    QRect sectionRect;
};

// Fills a pattern dialog in as the operator does: the radio buttons
// `radios` clicked, `number` typed over the number field `field`; then OK
// clicked, or Enter pressed in the field.
enum class Close { Ok, Enter };
support::ModalRunner::Answer fillIn(std::vector<int> radios, int field, int number, Close close)
{
    return [=](QWidget* dialog) {
        for (int id : radios) {
            auto* radio = support::findByControlId<QRadioButton>(dialog, id);
            if (!radio) {
                ADD_FAILURE() << "no radio button " << id;
                return;
            }
            support::click(radio);
            EXPECT_TRUE(radio->isChecked()) << id;
        }
        auto* edit = support::findByControlId<QLineEdit>(dialog, field);
        auto* ok = support::findByControlId<QPushButton>(dialog, 1);
        if (!edit || !ok) {
            ADD_FAILURE() << "no number field or OK";
            return;
        }
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QString::number(number));
        if (close == Close::Enter)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            support::click(ok);
    };
}

void choose(PatternHarness& t, unsigned id)
{
    ASSERT_TRUE(operatorroad::chooseFromMenuBar(*t.h->frame, id)) << id;
}

} // namespace

TEST(TestPatterns, ScanLinesOnA64By32ScreenAreFiveRowsOrNineColumns)
{
    QImage rows(64, 32, QImage::Format_RGB32);
    rows.fill(Qt::black);
    shell::drawScanPattern(rows, 64, 32, Qt::red, 0);
    EXPECT_EQ(countDiffering(rows, expected(64, 32, [](int, int y) { return y % 8 == 0 ? kRed : kBlack; })), 0);
    QImage cols(64, 32, QImage::Format_RGB32);
    cols.fill(Qt::black);
    shell::drawScanPattern(cols, 64, 32, Qt::green, 1);
    EXPECT_EQ(countDiffering(cols, expected(64, 32, [](int x, int) { return x % 8 == 0 ? kGreen : kBlack; })), 0);
    // The ninth column and fifth row (x 64, y 32) lie just outside: drawing there is harmless.
    QImage big(72, 40, QImage::Format_RGB32);
    big.fill(Qt::black);
    shell::drawScanPattern(big, 64, 32, Qt::red, 0);
    EXPECT_EQ(big.pixel(0, 32), kRed);
    EXPECT_EQ(big.pixel(0, 40 - 1), kBlack);
}

TEST(TestPatterns, GridPicturesMoveDownRowByRowAndTheOddOnesShowTheSecondColour)
{
    const QList<QImage> pics = shell::gridPictures(64, 32, 2);
    ASSERT_EQ(pics.size(), 8);
    // Play order: moved by 0, 1, 2, ..., 7 rows.
    const int shifts[] = {0, 1, 2, 3, 4, 5, 6, 7};
    for (int i = 0; i < 8; ++i) {
        const int k = shifts[i];
        EXPECT_EQ(countDiffering(pics[i], expected(64, 32, gridShifted(k, k % 2 ? kGreen : kRed))), 0) << "picture " << i;
    }
    // Play order of the images: 0, 1, then 2 from the first, 3 from the second ...
    const QList<QImage> one = shell::gridPictures(64, 32, 1);
    EXPECT_EQ(countDiffering(one[3], expected(64, 32, gridShifted(3, kGreen))), 0);
}

TEST(TestPatterns, TheScanTestSendsTwoPicturesAndLeavesNoScratchNode)
{
    PatternHarness t;
    support::ModalRunner runner(fillIn({CTestScan::IDC_COLOUR + 1, CTestScan::IDC_DIRECTION}, CTestScan::IDC_SPEED,
                                       77, Close::Ok));
    choose(t, ID_TEST_SCAN);
    EXPECT_TRUE(runner.answered());
    ASSERT_EQ(t.runs, 1);
    EXPECT_TRUE(t.scratchParentIsHeader);
    EXPECT_EQ(t.sectionKind, IT_WND_CONTENTLIST);
    EXPECT_EQ(t.sectionRect, QRect(0, 0, 64, 32));
    ASSERT_EQ(t.sent.size(), 2u);
    const QImage want = expected(64, 32, [](int, int y) { return y % 8 == 0 ? kGreen : kBlack; });
    EXPECT_EQ(countDiffering(t.sent[0].image, want), 0);
    EXPECT_EQ(countDiffering(t.sent[1].image, want), 0);
    EXPECT_EQ(t.sent[0].playTime, 0);
    EXPECT_EQ(t.sent[1].playTime, 0);
    EXPECT_EQ(t.sent[1].inEffect, 3);
    EXPECT_EQ(t.sent[1].inSpeed, 77);
    t.expectSentAsBuilt();
    t.expectNothingLeft();
}

TEST(TestPatterns, DiagonalScansEnterFromTheSide)
{
    PatternHarness t;
    support::ModalRunner runner(fillIn({CTestScan::IDC_COLOUR + 2, CTestScan::IDC_DIRECTION + 3},
                                       CTestScan::IDC_SPEED, 120, Close::Enter));
    choose(t, ID_TEST_SCAN);
    ASSERT_EQ(t.sent.size(), 2u);
    EXPECT_EQ(countDiffering(t.sent[0].image,
                             expected(64, 32, [](int x, int y) { return x % 8 + y % 8 == 7 ? kYellow : kBlack; })),
              0);
    EXPECT_EQ(t.sent[1].inEffect, 1);
    t.expectNothingLeft();
}

TEST(TestPatterns, TheGridTestSendsEightPicturesWithTheStayTime)
{
    PatternHarness t;
    support::ModalRunner runner(fillIn({CTestGrid::IDC_COLOUR + 2}, CTestGrid::IDC_STAY, 450, Close::Enter));
    choose(t, ID_TEST_GRID);
    ASSERT_EQ(t.sent.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(countDiffering(t.sent[std::size_t(i)].image, expected(64, 32, gridShifted(i, i % 2 ? kGreen : kRed))), 0)
            << i;
        EXPECT_EQ(t.sent[std::size_t(i)].playTime, 450);
    }
    t.expectSentAsBuilt();
    t.expectNothingLeft();
}

TEST(TestPatterns, ColourFillsAskFirstAndNoSendsNothing)
{
    PatternHarness t;
    {
        support::ModalRunner box(operatorroad::press(QMessageBox::No));
        choose(t, ID_TEST_RED);
    }
    EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(57360));
    EXPECT_EQ(t.runs, 0);
    EXPECT_TRUE(t.peer.received().empty());
    EXPECT_EQ(t.h->screenCount(), 1);

    const unsigned ids[] = {ID_TEST_BLACK, ID_TEST_RED, ID_TEST_GREEN, ID_TEST_YELLOW};
    const QRgb colours[] = {kBlack, kRed, kGreen, kYellow};
    for (int i = 0; i < 4; ++i) {
        t.sent.clear();
        t.controller.clearRecords();
        {
            support::ModalRunner box(operatorroad::press(QMessageBox::Yes));
            choose(t, ids[i]);
        }
        ASSERT_EQ(t.sent.size(), 1u) << ids[i];
        EXPECT_EQ(countDiffering(t.sent[0].image, expected(64, 32, [&](int, int) { return colours[i]; })), 0);
        t.expectSentAsBuilt();
    }
    t.expectNothingLeft();
}

TEST(TestPatterns, CancellingTheDialogOrHavingNoScreenSendsNothing)
{
    PatternHarness t;
    {
        support::ModalRunner runner([](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); });
        choose(t, ID_TEST_GRID);
    }
    EXPECT_EQ(t.runs, 0);
    t.h->list()->SelectNode(nullptr);
    {
        support::ModalScript none;
        choose(t, ID_TEST_GREEN);
    }
    EXPECT_EQ(t.runs, 0);
    EXPECT_EQ(t.h->screenCount(), 1);
}
