#pragma once
// A canvas with fixed metrics for exact layout numbers: every character is
// size / 2 wide, the cell is size high with ascent size * 3 / 4, 96 dpi.
// It records what is drawn.
#include "app/tooltips/HtmlCanvas.h"

#include <vector>

namespace testing_tooltips {

using namespace tooltips;

class FakeCanvas : public HtmlCanvas {
public:
    struct Text {
        int x, top;
        QString text;
        HtmlFont font;
        HtmlTextPaint paint;
    };
    struct Line {
        int x1, y1, x2, y2;
        COLORREF colour;
        int style, width;
    };
    struct Frame {
        QRect r;
        COLORREF light, dark;
        int style, width;
    };
    struct Fill {
        QRect r;
        int effect;
        COLORREF c1, c2, c3;
    };
    struct Image {
        HtmlImageKind kind;
        QRect r;
        int frameIndex;
        QSize frameSize;
        ImageDrawParams params;
    };

    void selectFont(const HtmlFont& f) override { m_font = f; }
    HtmlMetrics metrics() const override
    {
        const int a = m_font.size * 3 / 4;
        return {m_font.size, a, m_font.size - a};
    }
    int textWidth(const QString& t) const override { return static_cast<int>(t.size()) * (m_font.size / 2); }
    int dpiY() const override { return 96; }
    void drawText(int x, int top, const QString& t, const HtmlTextPaint& p) override
    {
        texts.push_back({x, top, t, m_font, p});
    }
    void drawLine(int x1, int y1, int x2, int y2, COLORREF c, int style, int width) override
    {
        lines.push_back({x1, y1, x2, y2, c, style, width});
    }
    void drawRectangle(const QRect& r, COLORREF l, COLORREF d, int style, int width) override
    {
        frames.push_back({r, l, d, style, width});
    }
    void fillEffect(const QRect& r, int effect, COLORREF c1, COLORREF c2, COLORREF c3, int, int) override
    {
        fills.push_back({r, effect, c1, c2, c3});
    }
    void tileImage(const QRect& r, const QImage&) override { tiles.push_back(r); }
    void drawImage(HtmlImageKind kind, const QRect& r, const QImage&, int index, QSize frame,
                   const ImageDrawParams& p) override
    {
        images.push_back({kind, r, index, frame, p});
    }

    void clear()
    {
        texts.clear();
        lines.clear();
        frames.clear();
        fills.clear();
        tiles.clear();
        images.clear();
    }
    // The drawn texts joined, for quick checks.
    QString joined() const
    {
        QString s;
        for (const Text& t : texts)
            s += t.text;
        return s;
    }

    std::vector<Text> texts;
    std::vector<Line> lines;
    std::vector<Frame> frames;
    std::vector<Fill> fills;
    std::vector<QRect> tiles;
    std::vector<Image> images;

private:
    HtmlFont m_font;
};

} // namespace testing_tooltips
