// Analog clock hands, dial geometry and pixel lists.
#include "core/render/AnalogClock.h"

#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/api/Nodes.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace sorvane::render;

namespace {
std::unique_ptr<ItemRecord> face()
{
    return std::unique_ptr<ItemRecord>(ItemRecord::Create(IT_CLOCKSIMUL));
}

QImage drawn(Hand hand, int index, const ItemRecord& r, int size)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::red);
    QPainter p(&img);
    DrawHand(hand, index, p, 0, 0, size, size, r, true);
    return img;
}
}

TEST(AnalogClock, HandIndices)
{
    EXPECT_EQ(ClockHandIndices({2024, 1, 1, 1, 23, 59, 7}).Hour, 59);
    EXPECT_EQ(ClockHandIndices({2024, 1, 1, 1, 12, 0, 0}).Hour, 0);
    EXPECT_EQ(ClockHandIndices({2024, 1, 1, 1, 3, 30, 0}).Hour, 17);
    const HandIndices i = ClockHandIndices({2024, 1, 1, 1, 3, 30, 45});
    EXPECT_EQ(i.Minute, 30);
    EXPECT_EQ(i.Second, 45);
}

TEST(AnalogClock, DirectionsPointClockwiseFromTwelve)
{
    EXPECT_EQ(DialDirection(0), QPointF(0, -1));
    EXPECT_EQ(DialDirection(15), QPointF(1, 0));
    EXPECT_EQ(DialDirection(30), QPointF(0, 1));
    EXPECT_EQ(DialDirection(45), QPointF(-1, 0));
    EXPECT_NEAR(DialDirection(1).x(), 0.106457, 2e-3);
    EXPECT_NEAR(DialDirection(1).y(), -0.994317, 2e-3);
    EXPECT_NEAR(DialDirection(16).x(), 0.994518, 2e-3);
    EXPECT_NEAR(DialDirection(16).y(), 0.10457, 2e-3);
    EXPECT_EQ(DialDirection(75), DialDirection(15));
}

TEST(AnalogClock, RadiusWithoutMarksReachesTheEdge)
{
    auto r = face();
    r->set(clocksimul::HourMarkSize, 0);
    r->set(clocksimul::MinuteMarkSize, 0);
    EXPECT_EQ(DialRadius(*r, 41, 61), 20);
    r->set(clocksimul::MinuteMarkSize, 6);
    EXPECT_EQ(DialRadius(*r, 41, 61), 14);
}

TEST(AnalogClock, SecondHandAtTwelveAndThree)
{
    auto r = face();
    r->set(clocksimul::HourMarkSize, 0);
    r->set(clocksimul::SecondLength, 100);
    r->set(clocksimul::SecondWidth, 0);   // drawn one pixel wide
    const QImage up = drawn(Hand::Second, 0, *r, 21);
    const auto list = BitmapToPixelList(up);
    // A vertical line from the centre (10, 10) up to (10, 0): 11 pixels.
    ASSERT_EQ(list.size(), 22u);
    for (std::size_t i = 0; i < list.size(); i += 2) {
        EXPECT_EQ(list[i], 10);
        EXPECT_EQ(list[i + 1], i / 2);
    }
    const QImage right = drawn(Hand::Second, 15, *r, 21);
    EXPECT_EQ(right.pixel(20, 10), QColor(Qt::white).rgb());
    EXPECT_EQ(right.pixel(10, 9), QColor(Qt::black).rgb());   // cleared first
}

TEST(AnalogClock, MinuteHandPolygonAndFill)
{
    const QPolygonF poly = MakeHandPolygon(0, 30, 2, QPointF(50, 50));
    EXPECT_EQ(poly[0], QPointF(50, 55));    // tail: a sixth of the length behind the centre
    EXPECT_EQ(poly[2], QPointF(50, 20));    // tip
    EXPECT_EQ(poly[1], QPointF(50 - 2, 49));   // side points beside the base one pixel out
    EXPECT_EQ(poly[3], QPointF(50 + 2, 49));
    auto r = face();
    r->set(clocksimul::HourMarkSize, 0);
    const QImage img = drawn(Hand::Minute, 0, *r, 61);
    const QRgb colour = QColor::fromRgb(0xFF, 0xFF, 0).rgb();   // default minute colour 0xFFFF
    EXPECT_EQ(img.pixel(30, 10), colour);
    EXPECT_EQ(img.pixel(30, 33), colour);
    EXPECT_EQ(img.pixel(40, 30), QColor(Qt::black).rgb());
}

TEST(AnalogClock, PixelListsRefuseFacesPastByteCoordinates)
{
    QImage img(300, 2, QImage::Format_RGB32);
    img.fill(Qt::black);
    img.setPixel(3, 1, qRgb(0, 0, 1));
    bool ok = false;
    EXPECT_EQ(BitmapToPixelList(img, &ok), (std::vector<std::uint8_t>{3, 1}));
    EXPECT_TRUE(ok);
    img.setPixel(299, 0, qRgb(255, 0, 0));
    EXPECT_TRUE(BitmapToPixelList(img, &ok).empty());
    EXPECT_FALSE(ok);
    // Alpha alone does not light a pixel.
    QImage a(2, 1, QImage::Format_ARGB32);
    a.fill(qRgba(0, 0, 0, 255));
    EXPECT_TRUE(BitmapToPixelList(a).empty());
}

TEST(AnalogClock, MarksRunCounterClockwiseFromThree)
{
    const QPointF three = DialMarkCentre(0, 50, 50, 40, 20);
    EXPECT_NEAR(three.x(), 90, 1e-6);
    EXPECT_NEAR(three.y(), 50, 1e-6);
    const QPointF twelve = DialMarkCentre(15, 50, 50, 40, 20);
    EXPECT_NEAR(twelve.x(), 50, 1e-3);
    EXPECT_NEAR(twelve.y(), 30, 1e-6);
    const QPointF nine = DialMarkCentre(30, 50, 50, 40, 20);
    EXPECT_NEAR(nine.x(), 10, 1e-6);
    const QPointF six = DialMarkCentre(45, 50, 50, 40, 20);
    EXPECT_NEAR(six.y(), 70, 1e-6);
    EXPECT_EQ(DialNumeralHour(0), 3);
    EXPECT_EQ(DialNumeralHour(10), 1);
    EXPECT_EQ(DialNumeralHour(15), 12);
    EXPECT_EQ(DialNumeralHour(20), 11);
    EXPECT_EQ(DialNumeralHour(55), 4);
}

TEST(AnalogClock, FaceMarksNumeralsAndDateBand)
{
    auto r = face();
    r->set(clocksimul::HourMarkSize, 4);
    r->set(clocksimul::HourMarkStyle, 2);   // squares
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(Qt::black);
    DrawAnalogFace(img, *r, 0, 0, 64, 64, false, {2024, 5, 17, 5, 13, 5, 9}, 9);
    // The twelve o'clock mark stands on the mark ellipse above the centre: rx = ry = 30.
    const QRgb markColour = QColor::fromRgb(255, 255, 0).rgb();
    EXPECT_EQ(img.pixel(32, 2), markColour);
    EXPECT_EQ(img.pixel(62, 32), markColour);    // three o'clock
    EXPECT_EQ(img.pixel(32, 32), QColor(Qt::black).rgb());
    // Date band with weekday and date only when the face asks for them.
    QImage plain = img;
    r->set(clocksimul::FaceFlags, 3);
    QImage dated(64, 64, QImage::Format_RGB32);
    dated.fill(Qt::black);
    DrawAnalogFace(dated, *r, 0, 0, 64, 64, false, {2024, 5, 17, 5, 13, 5, 9}, 9);
    EXPECT_NE(dated, plain);
    // Numerals numbered from their own marks: two faces draw alike.
    r->set(clocksimul::HourMarkStyle, 3);
    QImage a(64, 64, QImage::Format_RGB32), b(64, 64, QImage::Format_RGB32);
    a.fill(Qt::black);
    b.fill(Qt::black);
    DrawAnalogFace(a, *r, 0, 0, 64, 64, false, {2024, 5, 17, 5, 13, 5, 9}, 9);
    DrawAnalogFace(b, *r, 0, 0, 64, 64, false, {2024, 5, 17, 5, 13, 5, 9}, 9);
    EXPECT_EQ(a, b);
}

TEST(AnalogClock, ANewFaceDrawsNoPictureUntilItsModeDrawsOne)
{
    QTemporaryDir dir;
    QImage pic(8, 8, QImage::Format_RGB32);
    pic.fill(qRgb(0, 0, 255));
    const QString path = dir.filePath(QStringLiteral("face.png"));
    ASSERT_TRUE(pic.save(path));
    auto r = face();
    r->set(clocksimul::HourMarkSize, 0);
    r->set(clocksimul::MinuteMarkSize, 0);
    ASSERT_TRUE(r->set(clocksimul::Picture, path));
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(Qt::black);
    DrawAnalogFace(img, *r, 0, 0, 64, 64, false, {2024, 5, 17, 5, 13, 5, 9}, 9);
    EXPECT_NE(img.pixel(4, 60), qRgb(0, 0, 255));   // "no picture", the stored default
    r->set(clocksimul::PictureMode, LAYOUT_STRETCH);
    img.fill(Qt::black);
    DrawAnalogFace(img, *r, 0, 0, 64, 64, false, {2024, 5, 17, 5, 13, 5, 9}, 9);
    EXPECT_EQ(img.pixel(4, 60), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(60, 4), qRgb(0, 0, 255));
}

TEST(AnalogClock, MarkOfSizeOneIsADot)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setPen(QPen(Qt::white, 0));
    p.setBrush(Qt::white);
    DrawDialMark(p, 0, 3, 4, 1, 0);
    p.end();
    int lit = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            lit += (img.pixel(x, y) & 0xFFFFFF) != 0;
    EXPECT_EQ(lit, 1);
    EXPECT_EQ(img.pixel(3, 4), QColor(Qt::white).rgb());
}

TEST(AnalogClock, SizesPastAnyFaceStillDraw)
{
    // Stored values are unchecked u32: lengths, widths and mark sizes near
    // the top of the range once overflowed the pixel arithmetic.
    auto r = face();
    r->set(clocksimul::HourMarkSize, 0);
    r->set(clocksimul::MinuteMarkSize, 0);
    r->set(clocksimul::SecondLength, 0xFFFFFFFFu);
    r->set(clocksimul::SecondWidth, 0);
    const QImage up = drawn(Hand::Second, 0, *r, 21);
    // Far longer than the dial: the hand runs to the top edge.
    EXPECT_EQ(up.pixel(10, 0), QColor(Qt::white).rgb());
    EXPECT_EQ(up.pixel(10, 20), QColor(Qt::black).rgb());

    for (const std::uint32_t v : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        auto big = face();
        for (const records::U32 off : {clocksimul::HourMarkSize, clocksimul::MinuteMarkSize, clocksimul::SecondLength,
                                      clocksimul::MinuteLength, clocksimul::HourLength, clocksimul::SecondWidth,
                                      clocksimul::MinuteWidth, clocksimul::HourWidth})
            big->set(off, v);
        QImage img(48, 48, QImage::Format_RGB32);
        img.fill(Qt::black);
        DrawAnalogFace(img, *big, 0, 0, 48, 48, false, {2024, 5, 17, 5, 13, 5, 9}, 9);
        QPainter p(&img);
        DrawClockHands(p, *big, 0, 0, 48, 48, {2024, 5, 17, 5, 13, 5, 9});
        p.end();
        EXPECT_EQ(DialRadius(*big, 48, 48), 24 - 32767);
    }
}
