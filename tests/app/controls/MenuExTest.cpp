// The owner-drawn pop-up menu: its entries' metrics and colours, drawn for real.
#include "app/controls/MenuEx.h"
#include "support/Screenshots.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace controls;

namespace {

tagMENUITEM entry(const char* text, int id, int extra = -1)
{
    tagMENUITEM e;
    e.text = QString::fromUtf8(text);
    e.id = id;
    e.extra = extra;
    return e;
}

} // namespace

TEST(MenuEx, OwnerDrawnEntriesHaveTheirMetricsAndColours)
{
    MenuExMetrics m;
    EXPECT_EQ(m.measure(entry("", 0), 50, false), QSize(0, 10));
    EXPECT_EQ(m.measure(entry("x", 5), 50, false), QSize(66, 19));
    EXPECT_EQ(m.measure(entry("x", 5, 0), 50, false), QSize(96, 19));
    EXPECT_EQ(m.measure(entry("x", -1), 50, true), QSize(81, 19));

    CMenuEx menu;
    QAction* a = menu.AppendOwnerDrawn(entry("Open folder", 100));
    menu.AppendOwnerDrawn(entry("", 0));
    QAction* c = menu.AppendOwnerDrawn(entry("Checked", 101));
    c->setCheckable(true);
    c->setChecked(true);
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    const QRect ra = menu.actionGeometry(a);
    EXPECT_EQ(menu.actionGeometry(menu.actions().at(1)).height(), 10);
    EXPECT_EQ(menu.actionGeometry(c).top(), ra.bottom() + 11);
    EXPECT_EQ(ra.height(), 19);
    const QImage shot = menu.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(ra.left() + 2, ra.center().y())), m.strip);
    EXPECT_EQ(QColor(shot.pixel(ra.right() - 4, ra.center().y())), m.background);
    EXPECT_TRUE(support::saveScreenshot(menu, "controls", "menuex"));
    menu.close();
}
