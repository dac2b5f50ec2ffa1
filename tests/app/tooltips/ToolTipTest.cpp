// Placement, timing, fading, hiding and links of the tooltip window, and a gallery for a reviewer.
#include "app/tooltips/HtmlToolTip.h"

#include "app/controls/UrlOpener.h"
#include "platform/LangPack.h"
#include "support/SeamScope.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace tooltips;

namespace {

const QRect kScreen(0, 0, 1000, 1000);

QMouseEvent mouseEvent(QEvent::Type type, QPoint global, Qt::MouseButton button = Qt::NoButton)
{
    return QMouseEvent(type, QPointF(global), QPointF(global), button, button, Qt::NoModifier);
}

struct Fixture {
    Fixture()
    {
        owner.resize(200, 100);
        tip.Create(&owner);
        tip.setScreenRect(kScreen);
        tip.setCursorSource([this] { return cursor; });
        tip.setWidgetLocator([this](QPoint p) { return QRect(100, 100, 200, 100).contains(p) ? &owner : nullptr; });
        ToolRecord t;
        t.id = 7;
        t.text = "<b>tool</b> text";
        tip.AddTool(&owner, t);
    }
    void moveTo(QPoint p)
    {
        cursor = p;
        QMouseEvent e = mouseEvent(QEvent::MouseMove, p);
        tip.RelayEvent(&owner, &e);
    }
    QWidget owner;
    CHtmlToolTip tip;
    QPoint cursor;
};

} // namespace

TEST(TipPlacement, AnchorsFlipOrCentreToStayOnTheScreen)
{
    TipSizes s;
    TipPlacement p = placeTip({100, 50}, {500, 500}, 16, kScreen, s);
    EXPECT_EQ(p.direction, 16);
    EXPECT_EQ(p.apex, QPoint(16, 66));
    EXPECT_EQ(p.window, QRect(484, 434, 100, 66));
    EXPECT_EQ(p.body, QRect(0, 0, 100, 50));

    p = placeTip({100, 50}, {950, 500}, 16, kScreen, s);
    EXPECT_EQ(p.direction, 17);
    EXPECT_EQ(p.apex.x(), 84);
    EXPECT_LE(p.window.right(), 1000);

    p = placeTip({100, 50}, {60, 500}, 16, QRect(0, 0, 120, 1000), s);
    EXPECT_EQ(p.direction, 18);
    EXPECT_EQ(p.window.left(), 10);

    p = placeTip({100, 50}, {40, 500}, 17, kScreen, s);
    EXPECT_EQ(p.direction, 16);

    p = placeTip({100, 50}, {500, 990}, 0, kScreen, s);
    EXPECT_EQ(p.direction, 16);
    p = placeTip({100, 50}, {500, 10}, 16, kScreen, s);
    EXPECT_EQ(p.direction, 0);
    EXPECT_EQ(p.apex, QPoint(16, 0));
    EXPECT_EQ(p.body.top(), 16);
    EXPECT_EQ(p.window.topLeft(), QPoint(484, 10));

    p = placeTip({100, 50}, {950, 500}, 32, kScreen, s);
    EXPECT_EQ(p.direction, 48);
    EXPECT_EQ(p.apex, QPoint(116, 16));
    p = placeTip({100, 50}, {50, 500}, 50, kScreen, s);
    EXPECT_EQ(p.direction, 34);
    EXPECT_EQ(p.body.left(), 16);
    p = placeTip({100, 50}, {500, 990}, 32, kScreen, s);
    EXPECT_EQ(p.direction, 33);

    EXPECT_EQ(p.anchor.size(), 3);
    s.anchorWidth = 0;
    EXPECT_TRUE(placeTip({100, 50}, {500, 500}, 16, kScreen, s).anchor.isEmpty());
    const QPainterPath shape = tipShape(placeTip({100, 50}, {500, 500}, 16, kScreen, TipSizes{}), TipSizes{});
    EXPECT_TRUE(shape.contains(QPointF(50, 25)));
    EXPECT_TRUE(shape.contains(QPointF(20, 55))); // inside the anchor
    EXPECT_FALSE(shape.contains(QPointF(80, 60)));
    EXPECT_FALSE(shape.contains(QPointF(0.5, 0.5))); // the rounded corner
}

TEST(ToolTip, RestingOnAToolShowsAfterTheDelayAndHidesAfterTheAutoPop)
{
    Fixture f;
    f.moveTo({150, 150});
    EXPECT_TRUE(f.tip.timerActive(CHtmlToolTip::kShow));
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kHidden);
    QSignalSpy spy(&f.tip, &CHtmlToolTip::notify);
    f.tip.onTimer(CHtmlToolTip::kShow);
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kShown);
    EXPECT_TRUE(f.tip.isVisible());
    EXPECT_TRUE(f.tip.timerActive(CHtmlToolTip::kHide));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toUInt(), CHtmlToolTip::kNotifyShowing);
    EXPECT_EQ(f.tip.displayedTool().id, 7u);
    EXPECT_EQ(f.tip.placement().apex + f.tip.placement().window.topLeft(), QPoint(150, 150));
    f.tip.onTimer(CHtmlToolTip::kHide);
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kHidden);
    EXPECT_FALSE(f.tip.isVisible());

    // The pointer moved before the delay ran out: nothing shows.
    f.moveTo({160, 150});
    f.cursor = {170, 150};
    f.tip.onTimer(CHtmlToolTip::kShow);
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kHidden);

    // Leaving every tool forgets the pending show.
    f.moveTo({150, 160});
    f.moveTo({10, 10});
    EXPECT_FALSE(f.tip.timerActive(CHtmlToolTip::kShow));
}

TEST(ToolTip, NoAutoPopAndDefaultsTakenAtShowTime)
{
    Fixture f;
    f.tip.SetBehaviour(kTipNoAutoPop);
    f.tip.SetColours(0x0000FF, 0x00FF00, 0xFF0000);
    f.tip.SetEffect(3, 4);
    f.tip.SetDirection(0);
    ToolRecord own;
    own.text = "own";
    own.mask = kOverrideDirection;
    own.direction = 32;
    QWidget other;
    f.tip.AddTool(&other, own);
    f.tip.setWidgetLocator([&](QPoint p) { return p.x() < 500 ? &f.owner : &other; });
    f.moveTo({150, 150});
    f.tip.onTimer(CHtmlToolTip::kShow);
    EXPECT_FALSE(f.tip.timerActive(CHtmlToolTip::kHide));
    EXPECT_EQ(f.tip.displayedTool().colours[1], 0x00FF00u);
    EXPECT_EQ(f.tip.displayedTool().effect, 3u);
    EXPECT_EQ(f.tip.placement().direction & 0xF0, 0);
    // Another tool: the shown tip hides first, then the new one waits for the delay.
    f.moveTo({600, 150});
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kHidden);
    EXPECT_TRUE(f.tip.timerActive(CHtmlToolTip::kShow));
    f.tip.onTimer(CHtmlToolTip::kShow);
    EXPECT_EQ(f.tip.displayedTool().text, "own");
    EXPECT_EQ(f.tip.placement().direction & 0xF0, 32);
}

TEST(ToolTip, FadesInAndOutInSteps)
{
    Fixture f;
    f.tip.SetDelayTime(2, 70);
    f.tip.SetDelayTime(3, 70);
    f.tip.SetTransparency(30);
    f.tip.SetToolText("fading", {300, 300});
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kFadingIn);
    EXPECT_EQ(f.tip.transparency(), 100);
    std::vector<int> steps;
    while (f.tip.timerActive(CHtmlToolTip::kFadeIn)) {
        f.tip.onTimer(CHtmlToolTip::kFadeIn);
        steps.push_back(f.tip.transparency());
    }
    EXPECT_EQ(steps, (std::vector<int>{80, 60, 40, 30}));
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kShown);
    EXPECT_FALSE(f.tip.timerActive(CHtmlToolTip::kHide)); // a text at a point stays

    // A new text while shown: the old one fades out, then the new one shows.
    f.tip.SetToolText("second", {400, 400});
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kFadingOut);
    steps.clear();
    while (f.tip.timerActive(CHtmlToolTip::kFadeOut)) {
        f.tip.onTimer(CHtmlToolTip::kFadeOut);
        steps.push_back(f.tip.transparency());
    }
    EXPECT_EQ(steps, (std::vector<int>{50, 70, 90, 100}));
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kFadingIn);
    EXPECT_EQ(f.tip.displayedTool().text, "second");
}

TEST(ToolTip, KeysClicksAndTheWheelHideAtOnce)
{
    Fixture f;
    f.tip.SetDelayTime(3, 70);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QWheelEvent wheel(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QMouseEvent right = mouseEvent(QEvent::MouseButtonPress, {1, 1}, Qt::RightButton);
    QMouseEvent up = mouseEvent(QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton);
    for (QEvent* e : std::initializer_list<QEvent*>{&key, &wheel, &right}) {
        f.tip.SetToolText("x", {300, 300});
        ASSERT_EQ(f.tip.state(), CHtmlToolTip::kShown);
        f.tip.RelayEvent(&f.owner, &up); // changes nothing
        EXPECT_EQ(f.tip.state(), CHtmlToolTip::kShown);
        f.moveTo({150, 150}); // ignored while a text at a point shows
        EXPECT_FALSE(f.tip.timerActive(CHtmlToolTip::kShow));
        f.tip.RelayEvent(&f.owner, e);
        EXPECT_EQ(f.tip.state(), CHtmlToolTip::kHidden);
        EXPECT_FALSE(f.tip.isVisible());
        EXPECT_FALSE(f.tip.timerActive(CHtmlToolTip::kFadeOut));
    }
}

TEST(ToolTip, ClickingALinkFollowsItAndHides)
{
    Fixture f;
    std::vector<QString> opened;
    support::SeamScope seams;
    seams->openUrl = [&](const QString& t) {
        opened.push_back(t);
        return true;
    };
    f.tip.SetToolText("go <a href=\"https://example.org/\">there</a>", {300, 300});
    ASSERT_TRUE(f.tip.isVisible());
    f.tip.render(0); // a drawing pass records the link areas
    ASSERT_EQ(f.tip.drawer().linkAreas().size(), 1u);
    const LinkArea& a = f.tip.drawer().linkAreas()[0];
    const QPoint global = f.tip.mapToGlobal(QPoint((a.left + a.right) / 2, (a.top + a.bottom) / 2));
    QMouseEvent press = mouseEvent(QEvent::MouseButtonPress, global, Qt::LeftButton);
    f.tip.RelayEvent(&f.owner, &press);
    EXPECT_EQ(opened, std::vector<QString>{"https://example.org/"});
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kHidden);
}

TEST(ToolTip, HoveringALinkInTheRealWindowRepaintsAndShowsTheHand)
{
    Fixture f;
    f.tip.SetToolText("<a href=x>link</a> and text", {300, 300});
    QTest::qWait(0);
    ASSERT_TRUE(f.tip.isVisible());
    f.tip.repaint();
    ASSERT_FALSE(f.tip.drawer().linkAreas().empty());
    const LinkArea a = f.tip.drawer().linkAreas()[0];
    QSignalSpy painted(&f.tip, &CHtmlToolTip::painted);
    QTest::mouseMove(&f.tip, QPoint(a.left + 2, a.top + 2));
    EXPECT_EQ(f.tip.drawer().hoveredLink(), 0);
    EXPECT_EQ(f.tip.cursor().shape(), Qt::PointingHandCursor);
    ASSERT_FALSE(painted.isEmpty());
    EXPECT_EQ(painted.front().front().toInt(), 0);
    const QImage shot = f.tip.grab().toImage();
    const QPoint mid = f.tip.placement().body.center();
    EXPECT_EQ(qAlpha(shot.pixel(mid)), 255);
}

TEST(ToolTip, GalleryOfRenderedTips)
{
    const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + "/tooltips";
    ASSERT_TRUE(QDir().mkpath(dir));
    QImage icon(24, 24, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    {
        QPainter p(&icon);
        p.setBrush(Qt::darkGreen);
        p.drawEllipse(2, 2, 20, 20);
    }
    struct Shot {
        const char* name;
        QString text;
        unsigned direction;
    };
    const Shot shots[] = {
        {"plain", "<b>Send</b> the programs to the <font color=red>screen</font>.<br>Ctrl+S", 16},
        {"table",
         "<table border=1 cellspacing=2 bgcolor=window><tr><td bgcolor=buttonface>Port</td><td>ttyUSB0</td></tr>"
         "<tr><td bgcolor=buttonface>Speed</td><td align=right>115200</td></tr></table>",
         16},
        {"icons", "<icon handle=1 style=s> Saved <bmp handle=1 style=g> <a href=x>details</a>", 16},
        {"anchor-top-start", "Anchor on the top edge", 0},
        {"anchor-top-end", "Anchor on the top edge, end", 1},
        {"anchor-bottom-centre", "Anchor on the bottom edge, centred", 18},
        {"anchor-left", "Anchor on the left edge", 32},
        {"anchor-right", "Anchor on the right edge", 50},
    };
    for (const Shot& s : shots) {
        Fixture f;
        f.tip.registerHandle(1, icon);
        f.tip.SetDefaultShadow();
        f.tip.SetColours(0xFFFF00, 0x00FFFF, 0x00FF00);
        f.tip.SetEffect(13, 5);
        f.tip.SetBorder(0x008000);
        f.tip.SetDirection(s.direction);
        f.tip.SetToolText(s.text, {500, 500});
        const QImage img = f.tip.render(0);
        ASSERT_FALSE(img.isNull()) << s.name;
        // The anchor's apex touches the target point.
        EXPECT_EQ(f.tip.geometry().topLeft() + f.tip.placement().apex, QPoint(500, 500)) << s.name;
        EXPECT_EQ(qAlpha(img.pixel(f.tip.placement().body.center())), 255) << s.name;
        EXPECT_EQ(qAlpha(img.pixel(0, img.height() - 1)), 0) << s.name; // outside the balloon
        EXPECT_TRUE(img.save(dir + "/" + s.name + ".png")) << s.name;
    }
}

TEST(ToolTip, TrackingToolsFollowThePointerAndOthersHideOnAMove)
{
    Fixture f;
    f.tip.SetBehaviour(kTipTrack);
    f.moveTo({150, 150});
    f.tip.onTimer(CHtmlToolTip::kShow);
    ASSERT_EQ(f.tip.state(), CHtmlToolTip::kShown);
    const QPoint before = f.tip.pos();
    f.tip.onTimer(CHtmlToolTip::kHide); // the auto-pop runs out
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kHidden);
    f.moveTo({151, 150});
    f.tip.onTimer(CHtmlToolTip::kShow);
    f.moveTo({161, 155});
    EXPECT_EQ(f.tip.pos(), before + QPoint(11, 5));
    EXPECT_TRUE(f.tip.timerActive(CHtmlToolTip::kHide));
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kShown);

    Fixture g;
    g.moveTo({150, 150});
    g.tip.onTimer(CHtmlToolTip::kShow);
    g.moveTo({152, 150}); // same tool, no behaviour bits: the tip goes
    EXPECT_EQ(g.tip.state(), CHtmlToolTip::kHidden);

    Fixture r;
    r.tip.SetBehaviour(kTipRearmInTool);
    r.moveTo({150, 150});
    r.tip.onTimer(CHtmlToolTip::kShow);
    r.moveTo({152, 150});
    EXPECT_EQ(r.tip.state(), CHtmlToolTip::kShown);
    EXPECT_TRUE(r.tip.timerActive(CHtmlToolTip::kHide));
}

TEST(ToolTip, ToolBarButtonsTakeTheirTipFromTheCommandString)
{
    platform::setLangString(5301, "Open\nOpens a <b>screen</b>");
    QToolBar bar;
    QAction* a = bar.addAction("Open");
    a->setData(5301u);
    bar.resize(200, 40);
    bar.show();
    Fixture f;
    f.tip.AddToolBar(&bar);
    f.moveTo(bar.mapToGlobal(bar.actionGeometry(a).center()));
    f.tip.onTimer(CHtmlToolTip::kShow);
    EXPECT_EQ(f.tip.displayedTool().id, 5301u);
    EXPECT_EQ(f.tip.displayedTool().text, "Opens a <b>screen</b>");
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kShown);
    platform::setLangString(5301, QString());
}

TEST(ToolTip, DebugInformationDescribesTheWidgetUnderThePointer)
{
    Fixture f;
    f.owner.setWindowTitle("<title> that is much longer than twenty-five characters");
    f.tip.SetDebugInfo(true);
    f.tip.setWidgetLocator([&](QPoint) { return &f.owner; });
    f.moveTo({150, 150});
    f.tip.onTimer(CHtmlToolTip::kShow);
    const QString text = f.tip.displayedTool().text;
    EXPECT_TRUE(text.contains("<td width=70 bgcolor=buttonface>Class name</td><td width=130 bgcolor=window>QWidget</td>"));
    EXPECT_TRUE(text.contains(">?title> that is much  ...<")); // 21 characters, then " ..."
    EXPECT_TRUE(text.contains("N/A"));
    EXPECT_EQ(f.tip.state(), CHtmlToolTip::kShown);
}
