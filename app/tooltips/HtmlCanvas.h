#pragma once
// What the HTML drawing engine needs of a surface: fonts with their metrics,
// text measure and output, lines, frames, fills and images. QPainterCanvas
// paints through the drawing helpers; tests use a fake with fixed metrics.
#include "app/tooltips/DrawHelper.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace tooltips {

struct HtmlFont {
    QString face;
    int size = 16; // cell height in pixels
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
};

struct HtmlMetrics {
    int height = 0; // character cell height
    int ascent = 0;
    int descent = 0;
};

struct HtmlTextPaint {
    COLORREF colour = 0;
    bool opaque = false;
    COLORREF background = 0xFFFFFF;
};

enum class HtmlImageKind { Bitmap, Icon, Frame };

class HtmlCanvas {
public:
    virtual ~HtmlCanvas() = default;

    virtual void selectFont(const HtmlFont& font) = 0;
    virtual HtmlMetrics metrics() const = 0;
    virtual int textWidth(const QString& text) const = 0;
    virtual int dpiY() const = 0;

    // top is the top of the character cell.
    virtual void drawText(int x, int top, const QString& text, const HtmlTextPaint& paint) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, COLORREF colour, int style, int width) = 0;
    virtual void drawRectangle(const QRect& r, COLORREF topLeft, COLORREF bottomRight, int style, int width) = 0;
    virtual void fillEffect(const QRect& r, int effect, COLORREF c1, COLORREF c2, COLORREF c3, int granularity,
                            int tint) = 0;
    virtual void tileImage(const QRect& r, const QImage& tile) = 0;
    // For frames, image is the strip and frameIndex/frameSize pick the frame.
    virtual void drawImage(HtmlImageKind kind, const QRect& r, const QImage& image, int frameIndex, QSize frameSize,
                           const ImageDrawParams& params) = 0;
};

// Paints on a QPainter; the character cell height of a font is its size.
class QPainterCanvas : public HtmlCanvas {
public:
    explicit QPainterCanvas(QPainter& painter);

    void selectFont(const HtmlFont& font) override;
    HtmlMetrics metrics() const override { return m_metrics; }
    int textWidth(const QString& text) const override;
    int dpiY() const override;
    void drawText(int x, int top, const QString& text, const HtmlTextPaint& paint) override;
    void drawLine(int x1, int y1, int x2, int y2, COLORREF colour, int style, int width) override;
    void drawRectangle(const QRect& r, COLORREF topLeft, COLORREF bottomRight, int style, int width) override;
    void fillEffect(const QRect& r, int effect, COLORREF c1, COLORREF c2, COLORREF c3, int granularity,
                    int tint) override;
    void tileImage(const QRect& r, const QImage& tile) override;
    void drawImage(HtmlImageKind kind, const QRect& r, const QImage& image, int frameIndex, QSize frameSize,
                   const ImageDrawParams& params) override;

    CDrawHelper& helper() { return m_helper; }

private:
    struct Entry {
        QFont font;
        HtmlMetrics metrics;
    };
    QPainter& m_painter;
    CDrawHelper m_helper;
    QHash<QString, Entry> m_fonts;
    QFont m_font;
    HtmlMetrics m_metrics;
};

} // namespace tooltips
