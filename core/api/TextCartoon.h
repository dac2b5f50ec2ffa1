#pragma once
#include "core/api/Export.h"
// Animated text: every visible character is captured once as a vector
// outline with its colour and cell; each frame of an effect transforms fresh
// copies of those outlines with integer point maths and fills them.
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <vector>

class QPainter;

namespace render {

struct Point3 {
    int x = 0;
    int y = 0;
    int z = 0;
    bool operator==(const Point3&) const = default;
};

// Point types of an outline.
enum : std::uint8_t { PT_CLOSE = 1, PT_LINETO = 2, PT_BEZIER = 4, PT_MOVETO = 6 };

// A cell as left, top, right, bottom (right and bottom exclusive).
struct CellBox {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// One captured character.
struct CharGlyph {
    std::vector<Point3> Points;
    std::vector<std::uint8_t> Types;
    std::uint32_t Colour = 0;   // 0x00BBGGRR
    int Index = 0;
    QPoint Position{-1, -1};
    CellBox Cell;
    int Steps = 0;
};

// A character as the layout placed it, ready for capture.
struct LaidOutChar {
    QChar Char;
    QFont Font;
    CellBox Cell;
    std::uint32_t Colour = 0;
    QPoint Position{-1, -1};
    int Index = 0;
};

// The outline of one character drawn with its top-left at `topLeft`.
void CaptureOutline(QChar c, const QFont& font, QPoint topLeft, std::vector<Point3>& points,
                    std::vector<std::uint8_t>& types);

// Point transforms from `src` to `dst` (may be the same array); each result
// is truncated toward zero. A null array does nothing and returns 0.
int TranslatePoints(const Point3* src, Point3* dst, int count, double dx, double dy);
int RotatePoints(const Point3* src, Point3* dst, int count, int axis, double angle);
int ScalePoints(const Point3* src, Point3* dst, int count, double sx, double sy, double sz);
int ShearPoints(const Point3* src, Point3* dst, int count, int type, double f);
int WavePoints(const Point3* src, Point3* dst, int count, int type, double amplitude, double phase);

// Degrees as the effects count them.
constexpr double kEffectDegree = 0.017444444444444446;

// Fills and/or strokes an outline (flags bit 0 pen, bit 1 brush); 0 when
// neither is asked for.
int DrawCharPath(QPainter& painter, const std::vector<Point3>& points, const std::vector<std::uint8_t>& types,
                 std::uint32_t brushColour, std::uint32_t penColour, int flags);

// Frame count of an effect; also sets each character's steps.
int EffectFrameCount(int id, std::vector<CharGlyph>& chars, int height);

// Number of effect ids.
constexpr int kEffectCount = 71;

class SORVANE_API TextCartoon {
public:
    TextCartoon(int width, int height);
    ~TextCartoon();
    TextCartoon(const TextCartoon&) = delete;
    TextCartoon& operator=(const TextCartoon&) = delete;

    // Captures the characters of a laid-out text (line breaks skipped).
    // `layoutRight` and `layoutBottom` are the fitted text's extent. A second
    // text replaces the first.
    void SetChars(const std::vector<LaidOutChar>& chars, int layoutRight, int layoutBottom);
    // Lays out an RTF or plain text over the target size and captures its
    // characters. False (nothing captured) for an empty text.
    bool SetText(const QString& text);
    void SetEffect(int id);
    int Effect() const { return m_effect; }
    int FrameCount() const { return m_frames; }
    const std::vector<CharGlyph>& Chars() const { return m_chars; }
    // Draws frame k (clamped to 1..count) onto an image; nothing is cleared.
    void DrawFrame(QImage& image, int k);
    void FreeCharList();

    int Speed = 30;

    // What the frames keep of one character between them (TextCartoon.cpp).
    struct Outline;

private:
    int m_width;
    int m_height;
    int m_layoutRight = 0;
    int m_layoutBottom = 0;
    int m_effect = 43;
    int m_frames = 24;
    std::vector<CharGlyph> m_chars;
    std::vector<Outline> m_outlines;   // one per character, as SetChars made them
    std::vector<int> m_ends;           // a frame's cumulative end steps, kept for its memory
    QImage m_sparkles[15];
};

}
