// The animation-effect dialog, its navigator and their rules.
#include "app/spine/Messages.h"
#include "app/editor/CustomGif.h"
#include "core/model/ItemData.h"
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "support/MessageSpy.h"
#include "support/TreeBuilder.h"
#include "support/Widgets.h"
#include "MediaTestUtil.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace editor;
using support::TreeBuilder;

namespace {

struct GifItem {
    TreeBuilder tree;
    tagItemData* item;
    explicit GifItem(int w = 64, int h = 16)
    {
        tagItemData* sec = tree.section(tree.scene(tree.screen()), QRect(0, 0, w, h));
        item = tree.item(sec, IT_TEXTGIF);
        item->Item.ContentW = std::uint32_t(w);
        item->Item.ContentH = std::uint32_t(h);
        // The item keeps its default text: yellow digits.
        TreeBuilder::setRecord(item, records::textgif::Delay, std::uint32_t(40));
        TreeBuilder::setRecord(item, records::textgif::FrameCount, std::uint32_t(0));
    }
    ItemRecord& rec() { return *item->Item.TypeRecord; }
};

void nav(CCustomGif& dlg, int id, long value = 0)
{
    platform::sendMessage(&dlg, spine::WM_GIFNAV_COMMAND, platform::WPARAM(id), platform::LPARAM(value));
}

} // namespace

TEST(CustomGifRules, ZoomFitsTheAreaAndTheAreaGrowsWhenNothingFits)
{
    EXPECT_EQ(fitGifZoom(QRect(0, 30, 150, 400), 64, 16).zoom, 2);
    EXPECT_EQ(fitGifZoom(QRect(0, 30, 100, 400), 64, 16).zoom, 1);
    EXPECT_EQ(fitGifZoom(QRect(0, 30, 400, 400), 64, 16).zoom, 3);
    // Height decides too, and may lower the zoom further.
    EXPECT_EQ(fitGifZoom(QRect(0, 30, 400, 40), 64, 32).zoom, 1);
    const GifFit wide = fitGifZoom(QRect(0, 30, 100, 100), 300, 20);
    EXPECT_EQ(wide.zoom, 1);
    EXPECT_EQ(wide.area.left(), 10);
    EXPECT_EQ(wide.area.width(), 300);
    EXPECT_EQ(wide.grow, QSize(200, 0));
    const GifFit tall = fitGifZoom(QRect(0, 30, 400, 50), 64, 120);
    EXPECT_EQ(tall.area.top(), 70);
    EXPECT_EQ(tall.area.height(), 120);
    EXPECT_EQ(tall.grow, QSize(0, 70));
    // The canvas is centred in the band when it fits, else fills it.
    EXPECT_EQ(gifCanvasRect(QRect(0, 0, 400, 330), 100, 64, 16, 3), QRect(104, 30 + (200 - 48) / 2, 192, 48));
    EXPECT_EQ(gifCanvasRect(QRect(0, 0, 100, 150), 100, 64, 16, 3), QRect(0, 30, 100, 20));
}

TEST(CustomGifRules, FramesStayInRangeAndTheTimerWraps)
{
    GifFrameState s;
    s.setCount(5);
    EXPECT_EQ(s.current(), 1);
    s.command(GIFNAV_PREVIOUS, 0);
    EXPECT_EQ(s.current(), 1);
    s.command(GIFNAV_LAST, 0);
    s.command(GIFNAV_NEXT, 0);
    EXPECT_EQ(s.current(), 5);
    s.tick();
    EXPECT_EQ(s.current(), 1);
    s.command(GIFNAV_GOTO, 99);
    EXPECT_EQ(s.current(), 5);
    s.command(GIFNAV_GOTO, -3);
    EXPECT_EQ(s.current(), 1);
    EXPECT_FALSE(s.command(GIFNAV_PLAY, 0));
}

TEST(CustomGif, NavigatesPlaysAndStoresTheFrameCount)
{
    GifItem gif;
    int count = 0;
    {
        CCustomGif dlg(gif.item);
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        count = dlg.frameCount();
        ASSERT_GT(count, 2);
        EXPECT_EQ(dlg.zoom(), 3);
        auto* text = support::findByControlId<QLabel>(&dlg, GIFNAV_TEXT);
        ASSERT_TRUE(text);
        EXPECT_TRUE(text->text().contains(QString::number(count)));

        // The real buttons, clicked.
        support::findByControlId<QAbstractButton>(&dlg, GIFNAV_LAST)->click();
        EXPECT_EQ(dlg.currentFrame(), count);
        support::findByControlId<QAbstractButton>(&dlg, GIFNAV_NEXT)->click();
        EXPECT_EQ(dlg.currentFrame(), count);
        support::findByControlId<QAbstractButton>(&dlg, GIFNAV_ZOOM_OUT)->click();
        EXPECT_EQ(dlg.zoom(), 2);
        support::findByControlId<QAbstractButton>(&dlg, GIFNAV_ZOOM_IN)->click();
        support::findByControlId<QAbstractButton>(&dlg, GIFNAV_ZOOM_IN)->click();
        EXPECT_EQ(dlg.zoom(), 3);
        auto* go = support::findByControlId<QLineEdit>(&dlg, GIFNAV_GOTO);
        go->selectAll();
        QTest::keyClicks(go, QStringLiteral("2"));
        EXPECT_EQ(dlg.currentFrame(), 2);

        // Play: one timer with the record's interval; play again changes nothing.
        support::findByControlId<QAbstractButton>(&dlg, GIFNAV_PLAY)->click();
        EXPECT_TRUE(dlg.isPlaying());
        EXPECT_EQ(dlg.timerInterval(), 40);
        EXPECT_TRUE(dlg.navigator()->isPlaying());
        EXPECT_FALSE(support::findByControlId<QAbstractButton>(&dlg, GIFNAV_NEXT)->isEnabled());
        nav(dlg, GIFNAV_PLAY);
        EXPECT_EQ(dlg.timerInterval(), 40);
        const int before = dlg.currentFrame();
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.currentFrame() != before; }, 2000));
        nav(dlg, GIFNAV_STOP);
        EXPECT_FALSE(dlg.isPlaying());
        nav(dlg, GIFNAV_STOP); // stop while idle keeps the navigator idle
        EXPECT_FALSE(dlg.navigator()->isPlaying());
        EXPECT_TRUE(support::findByControlId<QAbstractButton>(&dlg, GIFNAV_PLAY)->isEnabled());
        // Something is lit on the canvas.
        const QImage& c = dlg.canvas()->content();
        bool lit = false;
        for (int y = 0; y < c.height() && !lit; ++y)
            for (int x = 0; x < c.width() && !lit; ++x)
                lit = (c.pixel(x, y) & 0xFFFFFF) != 0;
        EXPECT_TRUE(lit);
        nav(dlg, GIFNAV_LAST);
        EXPECT_EQ(gif.rec().get(records::textgif::FrameCount), 0u); // written when the dialog goes
    }
    EXPECT_EQ(gif.rec().get(records::textgif::FrameCount), std::uint32_t(count));
}

TEST(CustomGif, NewEffectAndNewTextRecountTheFrames)
{
    GifItem gif;
    CCustomGif dlg(gif.item);
    dlg.show();
    const int first = dlg.frameCount();
    int other = -1;
    for (int id = 0; id < render::kEffectCount && other < 0; ++id) {
        dlg.ResetFrames(id);
        if (dlg.frameCount() != first)
            other = id;
    }
    ASSERT_GE(other, 0);
    EXPECT_EQ(gif.rec().get(records::textgif::Effect), std::uint16_t(other));
    nav(dlg, GIFNAV_LAST);
    EXPECT_EQ(dlg.currentFrame(), dlg.frameCount());

    gif.item->Item.ContentW = 32;
    TreeBuilder::setRecordText(gif.item, QStringLiteral("{\\rtf1\\ansi{\\colortbl ;\\red255\\green0\\blue0;}\\cf1\\fs20 XYZ\\par}"));
    platform::sendMessage(&dlg, spine::WM_GIFTEXT_CHANGED);
    EXPECT_EQ(dlg.canvas()->content().width(), 32);
    EXPECT_LE(dlg.currentFrame(), dlg.frameCount());
}

TEST(CustomGif, ScreenshotsWithPanelsInPlace)
{
    GifItem gif(96, 24);
    for (const auto& lang : mediatest::languages()) {
        mediatest::PackScope pack(lang);
        CCustomGif dlg(gif.item);
        // The text panel is loaded with the item as it comes in.
        auto* text = new support::MessageSpy;
        text->watch(spine::WM_NODE_LOAD);
        auto* caption = new QLabel(QStringLiteral("GIF text panel"), text);
        caption->move(120, 100);
        dlg.setTextPanel(text);
        ASSERT_EQ(text->count(spine::WM_NODE_LOAD), 1);
        EXPECT_EQ(text->messages().first().w, platform::WPARAM(gif.item));
        auto* effect = new QLabel(QStringLiteral("effect panel"));
        dlg.setEffectPanel(effect);
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        nav(dlg, GIFNAV_LAST);
        EXPECT_FALSE(dlg.windowTitle().isEmpty());
        // The tab is titled in the chosen language.
        auto* strip = support::findByControlId<QTabBar>(&dlg, 100);
        ASSERT_NE(strip, nullptr);
        const QString tab = strip->tabText(0);
        EXPECT_EQ(tab, platform::langDialogText(6560, 100));
        EXPECT_EQ(tab == u"动画特效", lang.code == QStringLiteral("cn")) << tab.toStdString();
        EXPECT_TRUE(dlg.canvas()->geometry().intersects(dlg.rect()));
        // The strip is 21 high and the effect panel starts right under it,
        // beside the text panel and as low as it.
        EXPECT_EQ(strip->height(), 21);
        EXPECT_EQ(effect->mapTo(&dlg, QPoint(0, 0)).y(), text->mapTo(&dlg, QPoint(0, 0)).y() + 21);
        EXPECT_EQ(effect->mapTo(&dlg, QPoint(0, effect->height())).y(), dlg.height());
        mediatest::saveShot(&dlg, QStringLiteral("animation-effect-%1").arg(lang.code));
    }
}

TEST(CustomGif, TheScreensWorkModeDecidesWhichColoursLight)
{
    // A mode of each colour count, found through the table.
    int modeOf[4] = {-1, -1, -1, -1};
    for (int mode = 0; mode < 70; ++mode) {
        const int n = LookupWorkMode(mode).ColourCount;
        if (n >= 1 && n <= 3 && modeOf[n] < 0)
            modeOf[n] = mode;
    }
    ASSERT_TRUE(modeOf[1] >= 0 && modeOf[2] >= 0 && modeOf[3] >= 0);
    GifCanvas canvas;
    canvas.setWorkMode(modeOf[1]); // red only
    EXPECT_EQ(canvas.ledColour(qRgb(255, 255, 255)), 0x0000FFu);
    EXPECT_EQ(canvas.ledColour(qRgb(0, 255, 255)), 0u);
    canvas.setWorkMode(modeOf[2]); // red and green
    EXPECT_EQ(canvas.ledColour(qRgb(255, 255, 255)), 0x00FFFFu);
    canvas.setWorkMode(modeOf[3]);
    EXPECT_EQ(canvas.ledColour(qRgb(0, 200, 255)), 0xFFFF00u);
}
