// Text effects: point transforms, frame counts and frame rules.
#include "core/api/TextCartoon.h"

#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <gtest/gtest.h>

using namespace render;

namespace {

QFont testFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(16);
    return f;
}

// A line of characters laid out left to right, 12 px apart.
std::vector<LaidOutChar> line(const QString& text, std::uint32_t colour = 0x00FFFF)
{
    std::vector<LaidOutChar> out;
    const QFontMetrics fm(testFont());
    int x = 0;
    for (int i = 0; i < text.size(); ++i) {
        LaidOutChar c;
        c.Char = text.at(i);
        c.Font = testFont();
        const int w = fm.horizontalAdvance(c.Char);
        c.Cell = {x, 0, x + w, fm.height()};
        c.Position = {x, 0};
        c.Colour = colour;
        c.Index = i;
        out.push_back(c);
        x += w;
    }
    return out;
}

struct Cartoon {
    TextCartoon t{96, 24};
    explicit Cartoon(const QString& text, int effect)
    {
        const auto chars = line(text);
        t.SetChars(chars, chars.empty() ? 0 : chars.back().Cell.Right, 19);
        t.SetEffect(effect);
    }
    QImage frame(int k)
    {
        QImage img(96, 24, QImage::Format_RGB32);
        img.fill(Qt::black);
        t.DrawFrame(img, k);
        return img;
    }
};

int litCount(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) != 0;
    return n;
}

QRect litBounds(const QImage& img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != 0)
                r |= QRect(x, y, 1, 1);
    return r;
}

}

TEST(TextEffects, TransformsTruncateTowardZero)
{
    Point3 p[2] = {{100, 0, 0}, {-3, 5, 7}};
    Point3 out[2];
    ASSERT_EQ(RotatePoints(p, out, 2, 2, 90 * kEffectDegree), 1);
    EXPECT_EQ(out[0], (Point3{0, 99, 0}));   // 3.14 / 180 per degree: not quite a right angle
    ASSERT_EQ(TranslatePoints(p, out, 2, -0.5, 0.5), 1);
    EXPECT_EQ(out[0], (Point3{99, 0, 0}));
    EXPECT_EQ(out[1], (Point3{-3, 5, 7}));
    ScalePoints(p, out, 2, 0.5, 0.5, 0.5);
    EXPECT_EQ(out[1], (Point3{-1, 2, 3}));
    ShearPoints(p, out, 2, 3, 0.5);
    EXPECT_EQ(out[1], (Point3{0, 5, 7}));
    ShearPoints(p, out, 2, 8, 1.0);
    EXPECT_EQ(out[1], (Point3{-3, 5, 12}));
    RotatePoints(p, out, 2, 0, 0.0);
    EXPECT_EQ(out[1], p[1]);
    EXPECT_EQ(RotatePoints(nullptr, out, 2, 0, 1), 0);
    EXPECT_EQ(WavePoints(p, nullptr, 2, 1, 3, 0), 0);
    WavePoints(p, out, 2, 1, 3, 0.5);
    EXPECT_EQ(out[0].y, static_cast<int>(3 * std::sin(100.5)));
}

TEST(TextEffects, FrameCounts)
{
    std::vector<CharGlyph> five(5);
    for (int i = 0; i < 5; ++i)
        five[static_cast<std::size_t>(i)].Cell = {i * 10, 0, i * 10 + 10, 21};
    EXPECT_EQ(EffectFrameCount(41, five, 24), 5);
    EXPECT_EQ(EffectFrameCount(44, five, 24), 15);
    EXPECT_EQ(five[4].Steps, 3);
    EXPECT_EQ(EffectFrameCount(45, five, 24), 10);
    EXPECT_EQ(EffectFrameCount(58, five, 24), 35);
    EXPECT_EQ(EffectFrameCount(63, five, 24), 12);
    EXPECT_EQ(five[0].Steps, 12);
    EXPECT_EQ(five[2].Steps, 10);
    EXPECT_EQ(EffectFrameCount(65, five, 24), 10);
    EXPECT_EQ(EffectFrameCount(68, five, 24), 21);
    EXPECT_EQ(EffectFrameCount(61, five, 48), 20);
    EXPECT_EQ(EffectFrameCount(62, five, 48), 25);
    EXPECT_EQ(EffectFrameCount(0, five, 48), 34);
    EXPECT_EQ(EffectFrameCount(71, five, 48), 24);
    EXPECT_EQ(EffectFrameCount(50, five, 48), 36);
}

TEST(TextEffects, OutlinesOfGlyphsWithTwoContours)
{
    std::vector<Point3> pts;
    std::vector<std::uint8_t> types;
    CaptureOutline(QChar('O'), testFont(), {0, 0}, pts, types);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(std::count(types.begin(), types.end(), PT_MOVETO), 2);
    EXPECT_TRUE(types.back() & PT_CLOSE);
    Cartoon breaks(QStringLiteral("\r\n\n"), 9);
    EXPECT_TRUE(breaks.t.Chars().empty());
    EXPECT_EQ(litCount(breaks.frame(5)), 0);
}

TEST(TextEffects, DrawCharPathNeedsPenOrBrush)
{
    std::vector<Point3> pts;
    std::vector<std::uint8_t> types;
    CaptureOutline(QChar('H'), testFont(), {2, 2}, pts, types);
    QImage img(40, 24, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    EXPECT_EQ(DrawCharPath(p, pts, types, 0xFFFFFF, 0xFFFFFF, 0), 0);
    p.end();
    EXPECT_EQ(litCount(img), 0);
    QPainter q(&img);
    EXPECT_EQ(DrawCharPath(q, pts, types, 0xFFFFFF, 0xFFFFFF, 3), 1);
    q.end();
    EXPECT_GT(litCount(img), 20);
}

TEST(TextEffects, FramesAreClampedAndRepeatable)
{
    Cartoon c(QStringLiteral("Hi!"), 13);
    EXPECT_EQ(c.t.FrameCount(), 24);
    EXPECT_EQ(c.frame(0), c.frame(1));
    EXPECT_EQ(c.frame(99), c.frame(24));
    EXPECT_EQ(c.frame(7), c.frame(7));
    EXPECT_NE(c.frame(3), c.frame(9));
}

TEST(TextEffects, EffectsThatDrawNothingOrPart)
{
    Cartoon none(QStringLiteral("ABC"), 16);
    for (int k = 1; k <= none.t.FrameCount(); ++k)
        EXPECT_EQ(litCount(none.frame(k)), 0);
    Cartoon explode(QStringLiteral("ABC"), 69);
    EXPECT_GT(litCount(explode.frame(5)), 0);
    EXPECT_GT(litCount(explode.frame(15)), 0);
    EXPECT_EQ(litCount(explode.frame(20)), 0);
    Cartoon type(QStringLiteral("ABC"), 41);
    EXPECT_EQ(type.t.FrameCount(), 3);
    const QRect first = litBounds(type.frame(1));
    EXPECT_LE(first.right(), type.t.Chars()[0].Cell.Right + 1);
    EXPECT_GT(litBounds(type.frame(3)).right(), type.t.Chars()[1].Cell.Right);
    Cartoon beyond(QStringLiteral("ABC"), 75);
    EXPECT_EQ(beyond.t.FrameCount(), 24);
    EXPECT_EQ(litCount(beyond.frame(3)), 0);
}

TEST(TextEffects, SequentialCharactersHideThenRest)
{
    Cartoon door(QStringLiteral("AB"), 48);
    ASSERT_EQ(door.t.FrameCount(), 6);
    // Frame 1: the first character turning, the second not started.
    EXPECT_LE(litBounds(door.frame(1)).right(), door.t.Chars()[0].Cell.Right + 1);
    Cartoon rest(QStringLiteral("AB"), 0);
    rest.t.SetEffect(41);   // both characters plain on the last frame
    EXPECT_EQ(door.frame(6), rest.frame(2));
    Cartoon pop(QStringLiteral("AB"), 58);
    EXPECT_LE(litBounds(pop.frame(7)).right(), pop.t.Chars()[0].Cell.Right + 2);
    EXPECT_EQ(pop.frame(14), rest.frame(2));
}

TEST(TextEffects, BobbingMovesAtMostTenPixels)
{
    Cartoon still(QStringLiteral("X"), 41);
    const QRect base = litBounds(still.frame(1));
    for (int id : {35, 36, 37}) {
        Cartoon bob(QStringLiteral("X"), id);
        for (int k = 1; k <= bob.t.FrameCount(); ++k) {
            const QRect r = litBounds(bob.frame(k));
            if (r.isEmpty())
                continue;
            EXPECT_LE(std::abs(r.left() - base.left()), 10) << id << " " << k;
            EXPECT_LE(std::abs(r.top() - base.top()), 10) << id << " " << k;
        }
    }
}

TEST(TextEffects, ColourCycleAdvancesPerDrawnFrame)
{
    Cartoon cycle(QStringLiteral("AAAAAA"), 66);
    auto colourOf = [](const QImage& img, const CharGlyph& c) -> QRgb {
        for (int y = c.Cell.Top; y < c.Cell.Bottom; ++y)
            for (int x = c.Cell.Left; x < c.Cell.Right; ++x)
                if ((img.pixel(x, y) & 0xFFFFFF) != 0)
                    return img.pixel(x, y) & 0xFFFFFF;
        return 0;
    };
    const QImage f1 = cycle.frame(1);
    EXPECT_EQ(colourOf(f1, cycle.t.Chars()[0]), 0xFFFF00u);   // place 1: yellow
    EXPECT_EQ(colourOf(f1, cycle.t.Chars()[4]), 0xFF00FFu);   // place 5: magenta
    EXPECT_EQ(colourOf(f1, cycle.t.Chars()[5]), 0xFFFF00u);   // 5 mod 5 + 1
    const QImage again = cycle.frame(1);                       // the same k, one place further
    EXPECT_EQ(colourOf(again, cycle.t.Chars()[0]), 0x00FF00u);
}

TEST(TextEffects, SlideInSurvivesZeroWidthCells)
{
    TextCartoon t(50, 20);
    auto chars = line(QStringLiteral("AB"));
    chars[1].Cell.Right = chars[1].Cell.Left;   // no width
    t.SetChars(chars, 40, 19);
    t.SetEffect(44);
    // A canvas larger than the picture: the effect must keep inside its 50 x 20.
    QImage img(70, 40, QImage::Format_RGB32);
    img.fill(Qt::black);
    t.DrawFrame(img, 2);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (x >= 50 || y >= 20) {
                ASSERT_EQ(img.pixel(x, y) & 0xFFFFFF, 0u) << "drawn outside the picture at " << x << "," << y;
            }
        }
    }
}

TEST(TextEffects, GalleryOfEveryEffect)
{
    const QString dir = QString::fromLocal8Bit(qgetenv("TAVRELO_TEST_OUTPUT")) + QStringLiteral("/effects");
    QDir().mkpath(dir);
    for (int id = 0; id < kEffectCount; ++id) {
        Cartoon c(QStringLiteral("LED!"), id);
        const int F = c.t.FrameCount();
        QImage strip(96 * 4, 24, QImage::Format_RGB32);
        strip.fill(Qt::black);
        QPainter p(&strip);
        const int picks[4] = {1, std::max(1, F / 3), std::max(1, 2 * F / 3), F};
        for (int i = 0; i < 4; ++i)
            p.drawImage(96 * i, 0, c.frame(picks[i]));
        p.end();
        EXPECT_TRUE(strip.save(QStringLiteral("%1/effect-%2.png").arg(dir).arg(id, 2, 10, QLatin1Char('0'))));
        if (id != 16) {
            EXPECT_GT(litCount(strip), 0) << id;
        }
    }
}

namespace {
const QString kRtf = QStringLiteral(
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}}{\\colortbl ;\\red255\\green0\\blue0;"
    "\\red0\\green255\\blue0;}\\pard\\cf1\\f0\\fs24 AB\\cf2 O\\par Hi\\par}");

QImage cartoonFrame(const QString& text, int effect, int k)
{
    TextCartoon t(96, 48);
    t.SetText(text);
    t.SetEffect(effect);
    QImage img(96, 48, QImage::Format_RGB32);
    img.fill(Qt::black);
    t.DrawFrame(img, k);
    return img;
}
}

TEST(TextEffects, RichTextIsCapturedWithItsColoursAndLines)
{
    TextCartoon t(96, 48);
    ASSERT_TRUE(t.SetText(kRtf));
    const auto& chars = t.Chars();
    ASSERT_EQ(chars.size(), 5u);   // the paragraph ends are skipped
    EXPECT_EQ(chars[0].Colour, 0x0000FFu);
    EXPECT_EQ(chars[2].Colour, 0x00FF00u);
    EXPECT_EQ(chars[0].Index, 0);
    EXPECT_EQ(chars[3].Index, 4);
    for (const auto& c : chars) {
        EXPECT_FALSE(c.Points.empty());
        EXPECT_GT(c.Cell.Right, c.Cell.Left);
        EXPECT_GT(c.Cell.Bottom, c.Cell.Top);
    }
    EXPECT_LT(chars[0].Cell.Left, chars[1].Cell.Left);
    EXPECT_GE(chars[3].Cell.Top, chars[0].Cell.Bottom);   // second line below the first
    // "O" holds two figures.
    EXPECT_EQ(std::count(chars[2].Types.begin(), chars[2].Types.end(), std::uint8_t(PT_MOVETO)), 2);

    const QImage last = cartoonFrame(kRtf, 0, 99);
    EXPECT_GT(litCount(last), 30);
    for (int effect : {0, 13, 44, 70})
        for (int k : {1, 5, 12})
            EXPECT_EQ(cartoonFrame(kRtf, effect, k), cartoonFrame(kRtf, effect, k)) << effect << ' ' << k;
}

TEST(TextEffects, TextOfLineBreaksCapturesNothing)
{
    TextCartoon t(96, 48);
    t.SetText(QStringLiteral("\r\n\r\n"));
    EXPECT_TRUE(t.Chars().empty());
    t.SetEffect(13);
    QImage img(96, 48, QImage::Format_RGB32);
    img.fill(Qt::black);
    t.DrawFrame(img, 24);
    EXPECT_EQ(litCount(img), 0);
    EXPECT_FALSE(t.SetText(QString()));
}

namespace {

const std::uint64_t kEffectSums[] = {
#include "data/TextEffectGolden.inc"
};

// Every effect's frame count and frames, as recorded before the frame drawer
// was reorganised.
TEST(TextEffects, EveryEffectKeepsItsRecordedFrames)
{
    std::vector<std::uint64_t> sums;
    for (int id = 0; id <= kEffectCount; ++id) {
        Cartoon c(QStringLiteral("LED Ab9"), id);
        std::uint64_t h = 0xcbf29ce484222325ull ^ std::uint64_t(c.t.FrameCount());
        for (int k = 1; k <= c.t.FrameCount(); ++k) {
            const QImage img = c.frame(k);
            for (int y = 0; y < img.height(); ++y) {
                const auto* l = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
                for (int x = 0; x < img.width(); ++x)
                    h = (h ^ l[x]) * 0x100000001b3ull;
            }
        }
        sums.push_back(h);
    }
    ASSERT_EQ(sums.size(), std::size(kEffectSums));
    int differ = 0;
    for (std::size_t i = 0; i < sums.size(); ++i)
        if (sums[i] != kEffectSums[i]) {
            ++differ;
            ADD_FAILURE() << "effect " << i;
        }
    if (differ)
        for (std::size_t i = 0; i < sums.size(); ++i)
            std::printf("0x%llxull,%s", (unsigned long long)sums[i], i % 4 == 3 ? "\n" : " ");
}

} // namespace

// A character drawn alike in frame after frame is copied from a picture of
// it: every frame must equal the same frame drawn by a fresh engine, which
// draws every outline itself. (65 and 66 keep state between frames.)
TEST(TextEffects, AFrameDrawnAfterOthersEqualsItDrawnAlone)
{
    const QString rich = QStringLiteral(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}{\\f1\\fnil DejaVu Serif;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green255\\blue0;}\\pard\\cf1\\f0\\fs28 WMg@&"
        "\\cf2\\f1\\fs18\\b Q8% \\i swirl\\par\\fs40 Oj\\par}");
    const auto engine = [&](TextCartoon& t, int id) {
        t.SetText(rich);
        t.SetEffect(id);
    };
    for (int id = 0; id < kEffectCount; ++id) {
        if (id == 65 || id == 66)
            continue;
        TextCartoon running(120, 60);
        engine(running, id);
        for (int k = 1; k <= running.FrameCount(); ++k) {
            // Pictures come from the second frame on: a dozen show them, and the last.
            if (k > 12 && k < running.FrameCount())
                continue;
            QImage seen(120, 60, QImage::Format_RGB32), alone(120, 60, QImage::Format_RGB32);
            seen.fill(Qt::black);
            alone.fill(Qt::black);
            running.DrawFrame(seen, k);
            TextCartoon fresh(120, 60);
            engine(fresh, id);
            fresh.DrawFrame(alone, k);
            ASSERT_EQ(seen, alone) << "effect " << id << " frame " << k;
        }
    }
}

// Outlines are captured once per character and font and shifted into each
// cell: the points must be those the font gives in the cell itself.
TEST(TextEffects, AnOutlineIsTheSameWhereverItsCharacterStands)
{
    const auto inPlace = [](QChar c, QFont f, QPoint at, std::vector<Point3>& pts) {
        f.setStyleStrategy(QFont::NoAntialias);
        QPainterPath path;
        path.addText(QPointF(at.x(), at.y() + QFontMetrics(f).ascent()), f, QString(c));
        pts.clear();
        for (int i = 0; i < path.elementCount(); ++i)
            pts.push_back({int(path.elementAt(i).x), int(path.elementAt(i).y), 0});
    };
    QFont serif(QStringLiteral("DejaVu Serif"));
    serif.setPixelSize(23);
    serif.setBold(true);
    QFont cjk(QStringLiteral("WenQuanYi Micro Hei"));
    cjk.setPixelSize(13);
    cjk.setItalic(true);
    const QString chars = QStringLiteral("AgjW@&%8?{}q") + QString::fromUtf8("汉字显示");
    for (const QFont& font : {testFont(), serif, cjk})
        for (const QChar c : chars)
            for (const QPoint at : {QPoint(0, 0), QPoint(37, -5), QPoint(1000, 300), QPoint(-20, 7)}) {
                std::vector<Point3> want, got;
                std::vector<std::uint8_t> types;
                inPlace(c, font, at, want);
                CaptureOutline(c, font, at, got, types);
                ASSERT_EQ(got, want) << font.family().toStdString() << ' ' << int(c.unicode()) << " at " << at.x() << ','
                                     << at.y();
            }
}
