#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/model/Utilities.h"
#include "platform/CodePage.h"
#include "platform/FontMap.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

using namespace sorvane::model;

namespace {
// Restores the program's code page after a test changed it.
struct CodePageGuard {
    int saved = platform::ansiCodePage();
    ~CodePageGuard() { platform::setAnsiCodePage(saved); }
};
}

TEST(ControllerTime, KnownDatesAndBothWaysOverTheCentury)
{
    EXPECT_EQ(SecondsSince2000(2000, 1, 1, 0, 0, 0), 0u);
    EXPECT_EQ(SecondsSince2000(2001, 1, 1, 0, 0, 0), 31622400u);
    EXPECT_EQ(SecondsSince2000(2024, 2, 29, 12, 0, 0), 762523200u);
    EXPECT_EQ(SecondsSince2000(2099, 12, 31, 23, 59, 59), 3155759999u);
    const SYSTEMTIME t = RemoteTimeToDate(31622400);
    EXPECT_EQ(t.wYear, 2001);
    EXPECT_EQ(t.wMonth, 1);
    EXPECT_EQ(t.wDay, 1);
    EXPECT_EQ(t.wDayOfWeek, 1);   // Monday
    // Out of range: nothing wraps around.
    EXPECT_EQ(SecondsSince2000(1999, 12, 31, 23, 59, 59), 0u);
    EXPECT_EQ(SecondsSince2000(2100, 1, 1, 0, 0, 0), 0u);
    EXPECT_EQ(SecondsSince2000(2010, 13, 1, 0, 0, 0), 0u);

    // Every day of 2000-2099 converts both ways; days follow each other and
    // the weekday steps by one.
    std::uint32_t previous = 0;
    int weekday = 6;   // 2000-01-01 was a Saturday
    const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int y = 2000; y <= 2099; ++y)
        for (int m = 1; m <= 12; ++m) {
            const int days = lengths[m - 1] + (m == 2 && y % 4 == 0 ? 1 : 0);
            for (int d = 1; d <= days; ++d) {
                const std::uint32_t s = SecondsSince2000(y, m, d, 13, 7, 42);
                if (!(y == 2000 && m == 1 && d == 1)) {
                    ASSERT_EQ(s - previous, 86400u) << y << '-' << m << '-' << d;
                }
                previous = s;
                const SYSTEMTIME back = RemoteTimeToDate(s);
                ASSERT_EQ(back.wYear, y);
                ASSERT_EQ(back.wMonth, m);
                ASSERT_EQ(back.wDay, d);
                ASSERT_EQ(back.wHour, 13);
                ASSERT_EQ(back.wMinute, 7);
                ASSERT_EQ(back.wSecond, 42);
                ASSERT_EQ(back.wDayOfWeek, weekday) << y << '-' << m << '-' << d;
                weekday = (weekday + 1) % 7;
            }
        }
}

TEST(ControllerTime, DayOfWeekAcrossLeapYearsAndCenturies)
{
    EXPECT_EQ(DayOfWeek(2000, 3, 1), 3);
    EXPECT_EQ(DayOfWeek(2026, 12, 7), 1);
    EXPECT_EQ(DayOfWeek(2000, 1, 1), 6);
    EXPECT_EQ(DayOfWeek(2000, 2, 29), 2);     // 2000 is a leap year (divisible by 400)
    EXPECT_EQ(DayOfWeek(1900, 3, 1), 4);      // 1900 is not
    EXPECT_EQ(DayOfWeek(1900, 2, 28), 3);
    EXPECT_EQ(DayOfWeek(2100, 3, 1), 1);      // nor is 2100
    EXPECT_EQ(DayOfWeek(2024, 1, 1), 1);
    EXPECT_EQ(DayOfWeek(1970, 1, 1), 4);
}

TEST(UnitTexts, FollowTheCurrentLanguage)
{
    CCore core;
    core.SetCurLang(9);
    EXPECT_EQ(GetLangText(1), QStringLiteral("hours"));
    EXPECT_EQ(GetLangText(3), QStringLiteral("seconds"));
    core.SetCurLang(4);
    EXPECT_EQ(GetLangText(1), QString::fromUtf16(u"时"));
    core.SetCurLang(0x7C04);
    EXPECT_EQ(GetLangText(1), QString::fromUtf16(u"時"));
    EXPECT_EQ(GetLangText(0), QString::fromUtf16(u"天"));
    EXPECT_TRUE(GetLangText(4).isEmpty());
    EXPECT_TRUE(GetLangText(-1).isEmpty());
    // The language-taking form ignores the core's language.
    EXPECT_EQ(GetLangText(2, 9), QStringLiteral("minutes"));
    EXPECT_EQ(GetLangText(3, 4), QString::fromUtf16(u"秒"));
    EXPECT_EQ(GetLangText(1, 0x7C04), QString::fromUtf16(u"時"));
    EXPECT_TRUE(GetLangText(4, 9).isEmpty());
}

TEST(CodePageText, PairsAndSortingFollowTheProgramCodePage)
{
    CodePageGuard guard;
    platform::setAnsiCodePage(936);
    std::uint8_t pairs[8];
    std::memset(pairs, 0xEE, sizeof pairs);
    WideToAnsiPairs(pairs, 3, u"A中1");
    EXPECT_EQ(std::vector<std::uint8_t>(pairs, pairs + 8),
              (std::vector<std::uint8_t>{'A', 0, 0xD6, 0xD0, '1', 0, 0xEE, 0xEE}));
    EXPECT_EQ(AnsiToWideString("\xD6\xD0" "a"), QString::fromUtf16(u"中a"));

    // By the 16-bit slot value, first byte low: '1' 0x0031 < 'A' 0x0041 <
    // 中 (D6 D0) 0xD0D6 < 国 (B9 FA) 0xFAB9; equal characters keep their order.
    char16_t text[] = u"国A中1A";
    SortCharsByAnsiCode(text, 5);
    EXPECT_EQ(std::u16string(text), u"1AA中国");

    platform::setAnsiCodePage(1252);
    WideToAnsiPairs(pairs, 1, u"\u00E9");
    EXPECT_EQ(pairs[0], 0xE9);
    EXPECT_EQ(pairs[1], 0);
    EXPECT_EQ(AnsiToWideString("\xE9"), QString::fromUtf16(u"\u00E9"));
    EXPECT_TRUE(AnsiToWideString(nullptr).isEmpty());
}

TEST(GlyphBitmaps, ColumnBitsOfAKnownPattern)
{
    QImage img(3, 10, QImage::Format_RGB32);
    img.fill(Qt::black);
    img.setPixel(0, 0, qRgb(1, 0, 0));     // any non-zero byte lights the bit
    img.setPixel(1, 7, qRgb(255, 255, 255));
    img.setPixel(1, 8, qRgb(0, 0, 9));
    img.setPixel(2, 9, qRgb(0, 9, 0));
    std::vector<std::uint8_t> out{0xAB};
    EXPECT_EQ(BitmapToColumnBits(img, &out), 6u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xAB, 0x01, 0x00, 0x80, 0x01, 0x00, 0x02}));
    EXPECT_EQ(BitmapToColumnBits(img, nullptr), 6u);
    EXPECT_EQ(GetBitmapUsedHeight(img), 10);
    img.fill(Qt::black);
    EXPECT_EQ(GetBitmapUsedHeight(img), 0);
    img.setPixel(2, 5, qRgb(0, 0, 1));
    EXPECT_EQ(GetBitmapUsedHeight(img), 6);
    EXPECT_EQ(GetBitmapUsedHeight(QImage()), -1);
    EXPECT_TRUE(BitmapFits(img, 3, 10));
    EXPECT_FALSE(BitmapFits(img, 4, 10));
    ClearDCBitmap(img);
    EXPECT_EQ(GetBitmapUsedHeight(img), 0);
}

TEST(GlyphBitmaps, TextIsRenderedAtItsMeasuredExtent)
{
    LOGFONT font;
    font.lfHeight = 13;
    font.lfWeight = 400;
    SetLogFontFaceName(font, u"DejaVu Sans");
    QImage bitmap;
    std::vector<std::uint8_t> bits;
    const std::size_t n = RenderTextBitmap(QStringLiteral("12:45"), font, &bits, &bitmap);
    ASSERT_FALSE(bitmap.isNull());
    // The font the painters draw the preview with, so glyphs sent to the
    // controller match what the operator saw.
    const QFontMetrics metrics(platform::FontFromLogFont(font));
    EXPECT_EQ(bitmap.width(), metrics.horizontalAdvance(QStringLiteral("12:45")));
    EXPECT_EQ(bitmap.height(), metrics.height());
    EXPECT_EQ(n, static_cast<std::size_t>((bitmap.height() + 7) / 8 * bitmap.width()));
    EXPECT_EQ(bits.size(), n);
    EXPECT_GT(GetBitmapUsedHeight(bitmap), 0);
    EXPECT_NE(std::count(bits.begin(), bits.end(), 0), static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(RenderTextBitmap(QString(), font, nullptr), 0u);
}

TEST(PictureFrames, DrawModesAndTheNextFrame)
{
    QImage red(2, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage green(2, 2, QImage::Format_RGB32);
    green.fill(Qt::green);
    const std::vector<QImage> frames{red, green};
    QImage target(8, 6, QImage::Format_RGB32);
    target.fill(Qt::black);
    EXPECT_EQ(DrawImageFrame(frames, 1, target, 1, 5, 5, 0, 0), 1);   // stretched
    EXPECT_EQ(target.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(5, 5), qRgb(0, 0, 0));
    target.fill(Qt::black);
    EXPECT_EQ(DrawImageFrame(frames, 0, target, 0, 8, 6, 1, 1), 2);   // centred
    EXPECT_EQ(target.pixel(3, 2), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(4, 3), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(2, 2), qRgb(0, 0, 0));
    target.fill(Qt::black);
    EXPECT_EQ(DrawImageFrame(frames, 1, target, 1, 8, 6, 2, 0), 1);   // tiled
    EXPECT_EQ(target.pixel(7, 5), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(DrawImageFrame(frames, 0, target, 0, 8, 6, 0, 2), 0);
    EXPECT_EQ(DrawImageFrame({}, 0, target, 0, 8, 6, 0, 0), 0);
}

TEST(PictureFrames, GifDelaysGoIntoThePictureRecord)
{
    // A 1 x 1 GIF with two frames, 100 ms and 250 ms.
    const std::uint8_t gif[] = {
        'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
        0x21, 0xF9, 4, 0, 10, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0,
        0x21, 0xF9, 4, 0, 25, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("two.gif"));
    ASSERT_EQ(WriteBufferToFile(path, gif, sizeof gif), 0);
    std::unique_ptr<ItemRecord> record(ItemRecord::Create(IT_GIF));
    ASSERT_EQ(ReadGifFrameDelays(record.get(), path), 1);
    EXPECT_EQ(record->get(records::picture::FrameCount), 2u);
    EXPECT_EQ(record->get(records::picture::Delays[0]), 100u);
    EXPECT_EQ(record->get(records::picture::Delays[1]), 250u);

    QImage one(4, 4, QImage::Format_RGB32);
    one.fill(Qt::blue);
    const QString png = dir.filePath(QStringLiteral("one.png"));
    ASSERT_TRUE(one.save(png));
    record->set(records::picture::Delays[0], 77);
    ASSERT_EQ(ReadGifFrameDelays(record.get(), png), 1);
    EXPECT_EQ(record->get(records::picture::FrameCount), 1u);
    EXPECT_EQ(record->get(records::picture::Delays[0]), 0u);
    EXPECT_EQ(ReadGifFrameDelays(record.get(), dir.filePath(QStringLiteral("none.gif"))), 0);
    EXPECT_EQ(record->get(records::picture::FrameCount), 0u);
}

TEST(Files, WritesReportEveryFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.bin"));
    const char data[] = "abcdef";
    ASSERT_EQ(WriteBufferToFile(path, data, 6), 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("abcdef"));
    EXPECT_EQ(WriteBufferToFile(dir.filePath(QStringLiteral("no/such/dir/x")), data, 6), -1);
    // A device that accepts the open but not the bytes: a short write is a failure.
    if (QFileInfo::exists(QStringLiteral("/dev/full"))) {
        EXPECT_EQ(WriteBufferToFile(QStringLiteral("/dev/full"), data, 6), -1);
    }
    const QString appDir = GetAppDirectory();
    EXPECT_TRUE(appDir.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QDir(appDir).exists());
}
