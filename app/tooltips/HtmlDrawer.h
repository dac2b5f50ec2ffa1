#pragma once
// The HTML drawing engine: lays out and paints a small HTML-like markup
// (styled text runs, fonts, breaks, tab stops, rules, links, images, strings
// and tables) in two passes. Measure prepares the text, lays it out and keeps
// per-line and per-table records; Draw paints from those records, so it must
// follow a Measure of the same text on a canvas with the same fonts.
#include "app/tooltips/HtmlCanvas.h"
#include "app/spine/Messages.h"

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <map>
#include <utility>
#include <vector>

class QObject;

namespace tooltips {

// Lengths from markup are held to a million pixels and pen positions to a
// range whose sums stay within an int, whatever the markup asks for.
constexpr int kMaxLength = 1 << 20;
constexpr int kMaxPosition = 1 << 28;
inline int clampPosition(long long v)
{
    return static_cast<int>(v < -kMaxPosition ? -kMaxPosition : v > kMaxPosition ? kMaxPosition : v);
}

struct HtmlStyle {
    QString name;
    int size = 16;
    int weight = 400;
    int italic = 0;
    int underline = 0;
    int strikeout = 0;
    int overline = 0;
    QString face = QStringLiteral("Verdana");
    COLORREF color = 0;
    COLORREF bkcolor = 0xFFFFFF;
    COLORREF borderLight = 0;
    COLORREF borderDark = 0;
    COLORREF bgmid = 0xFFFFFF;
    COLORREF bgend = 0xFFFFFF;
    int bkmode = 1; // 1 transparent, 2 opaque
    int bgeffect = -1;
    QString bgimage;
    int align = 0;  // 0 left, 1 center, 2 right, 3 justify
    int valign = 3; // 0 top, 1 middle, 2 bottom, 3 baseline
    int borderStyle = 0;
    int borderWidth = 0;
    int width = 0;
    int height = 0;
    int transform = 0;
    int margin = 2;
    int padding = 0;
    int linkKind = 0; // 1 href, 2 msg
    QString link;

    // Back to the defaults; width and height keep what they hold.
    void reset();
};

struct LineRecord {
    int width = 0;
    int height = 0;
    int descent = 0;
    int percent = 0;
    int align = 0;
    int spaces = 0;
    int justify = 0;
};

struct TableCell {
    int colSpan = 0;
    int rowSpan = 0;
    int contentWidth = 0;
    int contentHeight = 0;
    int totalWidth = 0;
    int totalHeight = 0;
    int fixed = 0;
};

struct TableLayout {
    std::vector<int> columns;
    std::vector<int> fixedColumns;
    std::vector<int> rows;
    std::vector<std::vector<TableCell>> cells;
};

struct LinkArea {
    int left = 0, top = 0, right = 0, bottom = 0; // inclusive
    int kind = 0;
    int number = 0;
    QString text;
};

struct AnimatedImage {
    int frame = 0;
    int frameCount = 0;
    int tick = 0;
    int ticksPerFrame = 0;
};

class CHtmlDrawer {
public:
    CHtmlDrawer();
    virtual ~CHtmlDrawer();
    CHtmlDrawer(const CHtmlDrawer&) = delete;
    CHtmlDrawer& operator=(const CHtmlDrawer&) = delete;

    // Prepares the text and measures it; (0, 0) when there is nothing to draw.
    QSize Measure(HtmlCanvas& canvas, const QString& text);
    void Draw(HtmlCanvas& canvas, const QRect& rect);

    // A null text loads the default style sheet.
    void SetStyleSheet(const QString& text);
    static QString defaultStyleSheet();

    int HitTestLink(QPoint p) const;
    // True when the pointer is over a link with a target (show the hand).
    bool OnMouseOver(QPoint p);
    void FollowLink(int index);
    bool StepAnimation();

    static QString LoadTipString(unsigned id);
    static int Replace(QString& text, const QString& oldText, const QString& newText);

    void setMaxWidth(int width) { m_maxWidth = std::max(0, width); }
    int maxWidth() const { return m_maxWidth; }
    void setHoverCallback(QObject* target, unsigned message, platform::LPARAM param);
    // "msg" links send the message with the address of the link text as wParam.
    void setLinkMessageCallback(QObject* target, unsigned message, platform::LPARAM param);
    void setNewlineConversion(bool on) { m_convertNewlines = on; }
    void setColoursEnabled(bool on) { m_coloursEnabled = on; }
    COLORREF disabledColour() const { return m_disabledColour; }
    // Images and strings of "iddll" when no "srcdll" is named; srcdll names a
    // module registered by name.
    using ResourceModule = std::function<QImage(unsigned id)>;
    void setResourceModule(ResourceModule module) { m_module = std::move(module); }
    void registerModule(const QString& name, ResourceModule module) { m_modules[name] = std::move(module); }
    // Caller-owned pictures reached by "handle".
    void registerHandle(unsigned long long handle, const QImage& image) { m_handles[handle] = image; }
    void setImageList(const QImage& strip) { m_imageList = strip; }

    // What the passes recorded, for the window and for tests.
    const QString& preparedText() const { return m_text; }
    const std::vector<LineRecord>& lines() const { return m_lines; }
    const std::vector<TableLayout>& tables() const { return m_tables; }
    const std::vector<LinkArea>& linkAreas() const { return m_links; }
    const std::vector<AnimatedImage>& animations() const { return m_anims; }
    int hoveredLink() const { return m_hovered; }
    const HtmlStyle& currentStyle() const { return m_style; }

    // The style language, reachable on its own.
    QString rule(const QString& selector) const;
    bool applyRule(const QString& selector, HtmlStyle& style);
    void applyDeclarations(const QString& text, HtmlStyle& style);
    int length(const QString& text, int current, bool fontSize);
    COLORREF colourValue(const QString& text, COLORREF current) const;
    const std::map<QString, COLORREF>& colourTable() const { return m_colours; }
    // Runs the style language against a canvas (for lengths in em, ex and units).
    void setMeasureCanvas(HtmlCanvas* canvas) { m_canvas = canvas; }

    static std::vector<std::pair<QString, QString>> readAttributes(const QString& text);

private:
    struct TagInfo {
        int code = 0;
        QString styleName;
    };
    struct CellSpec {
        QString attrs;
        QString content;
    };
    struct RowSpec {
        QString attrs;
        std::vector<CellSpec> cells;
    };

    void prepare(const QString& text);
    QSize runPass(const QRect& rect);
    QSize layoutContent(const QString& text, QRect rect);
    QSize layoutBlock(const QString& block, const QRect& rect);
    QSize layoutTable(const QString& attrs, const QString& content, const QRect& rect);
    QSize layoutCell(const CellSpec& cell, const QRect& rect, TableCell* record);
    void applyTableAttributes(const QString& attrs, HtmlStyle& style, int mode, int* rowSpan, int* colSpan);
    static std::vector<RowSpec> scanRows(const QString& content);

    void selectFont();
    void pushStyle(const QString& name);
    void popStyle(const QString& name);
    void handleTag(const QString& tag);
    void applyTagEffect(int code, const QString& name, const QString& attrs);
    void handleRun(QString run, bool wrap);
    void drawPiece(const QString& piece, int top);
    int splitRun(const QString& all, int from, int limit, int room, int& pieceEnd, int& restStart);
    void objectTag(int code, const QString& name, const QString& attrs);
    void horizontalRule(const QString& attrs);
    void imageTag(int code, const QString& attrs);
    void startLine();
    void endLine(int count);
    int textTop();
    int objectTop(int h);
    void placeText(int h);
    void placeObject(int h);
    void addLinkArea(int x, int top, int w, int h);
    QImage loadImage(int code, const std::map<QString, QString>& a, bool* found);

    // Tables of the vocabulary.
    std::map<QString, TagInfo> m_tags;
    std::map<QString, QString> m_entities;
    std::map<QString, COLORREF> m_colours;
    std::map<QString, QString> m_sheet;
    QString m_sheetSource;

    HtmlStyle m_style;
    std::vector<HtmlStyle> m_stack;
    QString m_text;
    HtmlCanvas* m_canvas = nullptr;
    bool m_measure = true;
    HtmlMetrics m_metrics;

    // The paragraph in progress.
    QRect m_area;
    int m_x = 0, m_y = 0, m_lineStart = 0;
    int m_cx = 0;
    int m_spacesRemaining = 0, m_extraSoFar = 0;
    bool m_linesExhausted = false;
    int m_justifyExtra = 0, m_justifySpaces = 0;
    std::vector<LineRecord> m_lines;
    size_t m_lineCounter = 0;
    LineRecord m_line;
    std::vector<TableLayout> m_tables;
    int m_tableCounter = -1;
    std::vector<LinkArea> m_links;
    std::vector<AnimatedImage> m_anims;
    int m_animCounter = -1;
    int m_linkCounter = -1;
    int m_hovered = -2;

    QPointer<QObject> m_hoverTarget;
    unsigned m_hoverMessage = 0;
    platform::LPARAM m_hoverParam = 0;
    QPointer<QObject> m_linkTarget;
    unsigned m_linkMessage = 0;
    platform::LPARAM m_linkParam = 0;

    ResourceModule m_module;
    std::map<QString, ResourceModule> m_modules;
    std::map<unsigned long long, QImage> m_handles;
    QImage m_imageList;

    int m_maxWidth = 0;
    int m_tabWidth = 32;
    bool m_convertNewlines = true;
    bool m_coloursEnabled = true;
    COLORREF m_disabledColour = 0x808080;

    // Shadow of images.
    int m_shadowOffsetX = 4, m_shadowOffsetY = 4, m_shadowDepthX = 7, m_shadowDepthY = 7;
    int m_shadowDarken = 50;
    bool m_gradientShadow = true;
    COLORREF m_shadowColour = 0x7F7F7F;
};

// Prepares a text and runs both passes on the canvas, with no window involved:
// measures it, then draws it at the origin. Returns the measured size.
QSize layoutHtml(HtmlCanvas& canvas, const QString& text, int maxWidth = 0);

} // namespace tooltips
