#include "TestHelpers.h"

#include <QTest>
#include "app/controls/StaticLink.h"
#include "app/controls/ToolBarCtrlEx.h"
#include "app/controls/UrlOpener.h"
#include "platform/LangPack.h"
#include "support/SeamScope.h"

#include <QAction>
#include <QEnterEvent>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace controls;
using namespace testing_controls;

namespace {

struct Opener {
    QStringList opened;
    bool result = true;
    support::SeamScope seams;
    Opener()
    {
        seams->openUrl = [this](const QString& t) {
            opened << t;
            return result;
        };
    }
};

void enter(QWidget* w)
{
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(w->mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(w, &e);
}

void leave(QWidget* w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(StaticLink, ColoursFollowHoverAndVisit)
{
    Opener opener;
    CStaticLink link("https://example.invalid/");
    EXPECT_EQ(link.colour(), QColor(0, 0, 255));
    enter(&link);
    EXPECT_EQ(link.colour(), QColor(255, 0, 0));
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint{2, 2});
    EXPECT_EQ(opener.opened, QStringList{"https://example.invalid/"});
    EXPECT_EQ(link.colour(), QColor(128, 0, 128));
    leave(&link);
    EXPECT_EQ(link.colour(), QColor(0, 0, 255));

    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint{2, 2}); // visited without passing over it: purple until hovered
    EXPECT_EQ(link.colour(), QColor(128, 0, 128));
    enter(&link);
    EXPECT_EQ(link.colour(), QColor(255, 0, 0));
    leave(&link);
    EXPECT_EQ(link.colour(), QColor(0, 0, 255));
}

TEST(StaticLink, TargetFallsBackToStringThenText)
{
    Opener opener;
    platform::clearLangPack();
    CStaticLink empty;
    QTest::mouseClick(&empty, Qt::LeftButton, {}, QPoint{1, 1});
    EXPECT_TRUE(opener.opened.isEmpty());

    platform::setLangString(6371, "https://pack.invalid/");
    CStaticLink byId("shown text");
    setControlId(&byId, 6371);
    QTest::mouseClick(&byId, Qt::LeftButton, {}, QPoint{1, 1});
    EXPECT_EQ(opener.opened, QStringList{"https://pack.invalid/"});
    platform::clearLangPack();
}

TEST(StaticLink, FailingTargetStaysBlue)
{
    Opener opener;
    opener.result = false;
    CStaticLink link("nowhere");
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint{1, 1});
    EXPECT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(link.colour(), QColor(0, 0, 255));
    CHyperlink none;
    EXPECT_EQ(none.Navigate(), 0);
}

TEST(StaticLink, CommandModeTellsTheParent)
{
    Opener opener;
    ControlSpy parent;
    auto* link = new CStaticLink("Close", &parent);
    setControlId(link, 6503);
    link->m_bLink = false;
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint{1, 1});
    EXPECT_TRUE(opener.opened.isEmpty());
    ASSERT_EQ(parent.ids(), QList<unsigned>{platform::WM_COMMAND});
    EXPECT_EQ(platform::commandId(parent.messages()[0].w), 6503);
    EXPECT_EQ(platform::commandCode(parent.messages()[0].w), 0);
}

TEST(ToolBarCtrlEx, LoadsButtonsImagesAndTips)
{
    platform::clearLangPack();
    QImage strip(32, 16, QImage::Format_RGB32);
    strip.fill(Qt::red);
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x)
            strip.setPixel(x, y, qRgb(0, 0, 255));
    platform::setLangBitmap(6195, strip);
    platform::setLangToolBar(6195, platform::LangToolBar{16, 16, {10, 0, 11}});
    platform::setLangString(10, "Zoom in on the screen\nZoom in");
    platform::setLangString(11, "Zoom out");

    ControlSpy parent;
    auto* bar = new CToolBarCtrlEx(&parent);
    EXPECT_FALSE(bar->LoadToolBar(6196));
    ASSERT_TRUE(bar->LoadToolBar(6195));
    QList<QAction*> acts = bar->actions();
    ASSERT_EQ(acts.size(), 3);
    EXPECT_FALSE(acts[0]->isSeparator());
    EXPECT_TRUE(acts[1]->isSeparator());
    EXPECT_EQ(acts[0]->data().toInt(), 10);
    EXPECT_EQ(acts[2]->data().toInt(), 11);
    EXPECT_EQ(acts[0]->toolTip(), "Zoom in");
    EXPECT_EQ(acts[2]->toolTip(), "Zoom out");
    EXPECT_EQ(acts[0]->icon().pixmap(16, 16).toImage().pixel(8, 8), qRgb(255, 0, 0));
    EXPECT_EQ(acts[2]->icon().pixmap(16, 16).toImage().pixel(8, 8), qRgb(0, 0, 255));
    EXPECT_EQ(bar->widgetForAction(acts[0])->size(), QSize(23, 23));

    acts[2]->trigger();
    ASSERT_EQ(parent.ids(), QList<unsigned>{platform::WM_COMMAND});
    EXPECT_EQ(platform::commandId(parent.messages()[0].w), 11);

    EXPECT_EQ(CToolBarCtrlEx::tipText(QString(100, u'x')).size(), 79);
    EXPECT_EQ(CToolBarCtrlEx::tipText("a\nb\nc"), "b\nc");
    platform::clearLangPack();
}
