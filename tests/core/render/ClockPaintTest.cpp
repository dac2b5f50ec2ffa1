// Digital clocks and counters drawn with a real font: device mode blanks the
// digit cells and keeps the constant characters.
#include "core/render/ClockPaint.h"

#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>

using namespace sorvane::render;

namespace {
QFont testFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(14);
    return f;
}

int litIn(const QImage& img, const QRect& r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.rect().contains(x, y) && (img.pixel(x, y) & 0xFFFFFF) != 0)
                ++n;
    return n;
}

QImage canvas()
{
    QImage img(200, 40, QImage::Format_RGB32);
    img.fill(Qt::black);
    return img;
}

const ClockNow kNow{2024, 5, 17, 5, 13, 5, 9};
}

TEST(ClockPaint, DeviceModeBlanksTheDigitCells)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKDIGIT));
    r->set(clockdigit::ShowFlags, 0x70);
    const QRect area(10, 5, 180, 30);
    QImage preview = canvas(), device = canvas();
    DrawDigitalClock(preview, area, *r, testFont(), kNow, 9, false);
    DrawDigitalClock(device, area, *r, testFont(), kNow, 9, true);
    const auto cells = CollectClockCells(area, *r, testFont(), kNow, 9);
    ASSERT_EQ(cells.size(), 19u);
    int digitsLit = 0;
    for (int i = 12; i <= 17; ++i) {
        const QRect onTarget = cells[static_cast<std::size_t>(i)].translated(area.topLeft());
        ASSERT_GT(onTarget.width(), 0) << i;
        digitsLit += litIn(preview, onTarget);
        EXPECT_EQ(litIn(device, onTarget), 0) << i;
    }
    EXPECT_GT(digitsLit, 20);
    // The colons stay in the device picture; nothing lands outside the rectangle.
    EXPECT_GT(litIn(device, area), 0);
    EXPECT_EQ(litIn(preview, QRect(0, 0, 10, 40)), 0);
    // Default colour 0xFFFF is yellow.
    bool yellow = false;
    for (int y = 0; y < 40 && !yellow; ++y)
        for (int x = 0; x < 200 && !yellow; ++x)
            yellow = preview.pixel(x, y) == qRgb(255, 255, 0);
    EXPECT_TRUE(yellow);
}

TEST(ClockPaint, SameTimeDrawsTheSamePixels)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKDIGIT));
    QImage a = canvas(), b = canvas();
    DrawDigitalClock(a, QRect(0, 0, 200, 40), *r, testFont(), kNow, 4, false);
    DrawDigitalClock(b, QRect(0, 0, 200, 40), *r, testFont(), kNow, 4, false);
    EXPECT_EQ(a, b);
    QImage none = canvas();
    DrawDigitalClock(none, QRect(0, 0, 200, 40), *r, testFont(), kNow, 7, false);
    EXPECT_EQ(litIn(none, none.rect()), 0);   // no layout for this language
}

TEST(ClockPaint, MeasuresTheTextsOfTheLayoutDrawn)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKDIGIT));
    r->set(clockdigit::ShowFlags, 0x08);
    const QRect area(0, 0, 300, 20);
    const auto extent = ExtentOf(testFont());
    EXPECT_EQ(MeasureDigitalClock(area, *r, testFont(), kNow, 9).width(), extent(QStringLiteral(" Fri. ")).width());
    EXPECT_EQ(MeasureDigitalClock(area, *r, testFont(), kNow, 4).width(),
              extent(QStringLiteral(u" 星期五 ")).width());
    r->set(clockdigit::MultiLine, 1);
    EXPECT_EQ(MeasureDigitalClock(area, *r, testFont(), kNow, 9), QSize(300, 20));
}

TEST(ClockPaint, CounterDeviceModeBlanksItsCells)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_COUNT2));
    r->set(counter::Units, 0x40);
    const QRect area(0, 0, 200, 40);
    QImage preview = canvas(), device = canvas();
    DrawCounter(preview, area, *r, testFont(), kNow, 9, false);
    DrawCounter(device, area, *r, testFont(), kNow, 9, true);
    const auto cells = CollectCounterCells(area, *r, testFont(), kNow, 9);
    ASSERT_EQ(cells.size(), 9u);
    for (const QRect& c : cells)
        EXPECT_EQ(litIn(device, c), 0);
    EXPECT_GT(litIn(preview, cells[8]), 0);   // the units digit
    EXPECT_GT(litIn(device, area), 0);        // "seconds" stays
}
