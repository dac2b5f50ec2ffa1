#include "grid/GridPainter.h"
#include "platform/FontMap.h"

#include "platform/Colour.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <set>

namespace grid {

namespace {

constexpr std::uint32_t kBackground = 0xC0C0C0;
constexpr std::uint32_t kErrorHatch = 0x0000FF;
constexpr std::uint32_t kHeaderTint = 0x80FFFF;
constexpr std::uint32_t kSelectionTint = 0xFF8080;

QRgb Rgb(std::uint32_t colorRef) { return platform::colorRefToRgb(colorRef); }

QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// On-off runs of the dashed pen styles, in pixels for a cosmetic pen.
std::vector<int> DashPattern(std::uint32_t style)
{
    switch (style) {
    case 1: return {18, 6};
    case 2: return {3, 3};
    case 3: return {9, 6, 3, 6};
    case 4: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

int TextFlags(std::uint32_t alignment)
{
    int flags = Qt::AlignTop;
    switch (alignment & 3) {
    case DT_CENTER: flags |= Qt::AlignHCenter; break;
    case DT_RIGHT: flags |= Qt::AlignRight; break;
    default: flags |= Qt::AlignLeft; break;
    }
    if (!(alignment & DT_SINGLELINE))
        flags |= Qt::TextWordWrap;
    return flags;
}

}   // namespace

bool GridPainter::LookUpPen(std::uint32_t id, bool screenPens, Pen& pen) const
{
    if (!screenPens && id == 0) {
        pen = Pen{};   // the grid-line pen never reaches the screen's output
        return true;
    }
    const PenRecord* r = g_.FindPen(id);
    if (!r)
        return false;
    pen.none = r->style == PS_NULL;
    pen.style = r->style;
    pen.width = std::max<int>(1, int(std::min<std::uint32_t>(r->width, 0x7FFF)));
    pen.colour = Rgb(r->colour);
    return true;
}

// Lines end before their last point. Wide pens have square ends that reach
// half their width past both ends.
void GridPainter::VerticalLine(const Pen& pen, int x, int y1, int y2)
{
    if (pen.none || y1 == y2)
        return;
    if (y2 < y1)
        std::swap(y1, y2), ++y1, ++y2;
    const int w = pen.width;
    const int left = x - w / 2;
    if (w > 1) {
        y1 -= w / 2;
        y2 += w / 2;
    }
    const std::vector<int> dash = DashPattern(pen.style);
    if (dash.empty()) {
        p_.fillRect(QRect(left, y1, w, y2 - y1), QColor::fromRgb(pen.colour));
        return;
    }
    std::size_t k = 0;
    bool on = true;
    for (int y = y1; y < y2; ++k, on = !on) {
        const int run = dash[k % dash.size()] * w;
        if (on)
            p_.fillRect(QRect(left, y, w, std::min(run, y2 - y)), QColor::fromRgb(pen.colour));
        y += run;
    }
}

void GridPainter::HorizontalLine(const Pen& pen, int x1, int x2, int y)
{
    if (pen.none || x1 == x2)
        return;
    if (x2 < x1)
        std::swap(x1, x2), ++x1, ++x2;
    const int w = pen.width;
    const int top = y - w / 2;
    if (w > 1) {
        x1 -= w / 2;
        x2 += w / 2;
    }
    const std::vector<int> dash = DashPattern(pen.style);
    if (dash.empty()) {
        p_.fillRect(QRect(x1, top, x2 - x1, w), QColor::fromRgb(pen.colour));
        return;
    }
    std::size_t k = 0;
    bool on = true;
    for (int x = x1; x < x2; ++k, on = !on) {
        const int run = dash[k % dash.size()] * w;
        if (on)
            p_.fillRect(QRect(x, top, std::min(run, x2 - x), w), QColor::fromRgb(pen.colour));
        x += run;
    }
}

void GridPainter::PaintCellFrame(PixelRect& rect, const Cell& cell, bool fill, bool screenPens)
{
    // The fill leaves the last column and row for the right and bottom borders.
    if (fill) {
        const QRect inside(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1);
        if (inside.isValid()) {
            p_.fillRect(inside, QColor::fromRgb(Rgb(cell.attr.background)));
            if (!cell.message.empty())
                p_.fillRect(inside, QBrush(QColor::fromRgb(Rgb(kErrorHatch)), Qt::DiagCrossPattern));
        }
    }
    const int l = geo_.PenWidth(cell.pens[PenLeft]);
    const int t = geo_.PenWidth(cell.pens[PenTop]);
    const int r = geo_.PenWidth(cell.pens[PenRight]);
    const int b = geo_.PenWidth(cell.pens[PenBottom]);
    if (!cell.sharedEdges) {
        rect.left += l / 2;
        rect.top += (t + 1) / 2;
    }
    rect.right -= (r + 1) / 2;
    rect.bottom -= (b + 1) / 2;

    Pen pen;   // starts as no line; an unknown id keeps the pen before it
    LookUpPen(cell.pens[PenRight], screenPens, pen);
    VerticalLine(pen, rect.right, rect.top - 1, rect.bottom);
    LookUpPen(cell.pens[PenBottom], screenPens, pen);
    HorizontalLine(pen, rect.left - 1, rect.right + (r + 1) / 2, rect.bottom);
    if (!cell.sharedEdges) {
        LookUpPen(cell.pens[PenTop], screenPens, pen);
        HorizontalLine(pen, rect.right, rect.left, rect.top);
        LookUpPen(cell.pens[PenLeft], screenPens, pen);
        VerticalLine(pen, rect.left, rect.bottom, rect.top);
    }
}

const QFont* GridPainter::FontFor(std::uint32_t id)
{
    if (auto it = fonts_.find(id); it != fonts_.end())
        return &it->second;
    const FontRecord* f = g_.FindFont(id);
    if (!f)
        return nullptr;
    return &fonts_.emplace(id, platform::FontFromLogFont(f->font)).first->second;
}

void GridPainter::PaintCell(PixelRect rect, int col, int row, bool screenPens)
{
    const Cell& cell = g_.GetCell(col, row);
    PaintCellFrame(rect, cell, true, screenPens);
    const std::u16string text = g_.GetFormattedText(col, row);
    if (text.empty())
        return;
    QString s = QString::fromStdU16String(text);
    // A value ended with Enter keeps its line break, which would lay out an
    // empty last line and push the text up out of the cell.
    while (s.endsWith(u'\n') || s.endsWith(u'\r'))
        s.chop(1);
    if (s.isEmpty())
        return;
    p_.save();
    if (const QFont* f = FontFor(cell.font))
        p_.setFont(*f);
    p_.setPen(QColor::fromRgb(Rgb(cell.attr.textColour)));
    const int flags = TextFlags(cell.attr.alignment);
    QRect box = ToQRect(rect);
    const int h = p_.fontMetrics().boundingRect(box, flags, s).height();
    // Centred vertically; a text taller than the cell grows out of it.
    const int shift = (box.height() - h) / 2;
    box.adjust(0, shift, 0, -shift);
    p_.drawText(box, flags, s);
    p_.restore();
}

void GridPainter::PaintRange(const GridRange& range, int dx, int dy, const PaintOptions& options)
{
    if (range.left >= range.right || range.top >= range.bottom)
        return;
    const PixelRect first = geo_.CellRect(range.left, range.top, false);
    int x = first.left;
    std::set<std::pair<int, int>> anchorsPainted;
    for (int col = range.left; col < range.right; ++col) {
        const int w = g_.ColumnWidth(col);
        if (w == 0)
            continue;
        int y = first.top;
        for (int row = range.top; row < range.bottom; ++row) {
            const int h = g_.RowHeight(row);
            if (h != 0 || g_.IsMergeAnchor(col, row)) {
                const Cell& cell = g_.GetCell(col, row);
                if (cell.editor) {
                    PixelRect r = geo_.CalcCellRect(col, row, x, y, true).Moved(dx, dy);
                    PaintCellFrame(r, cell, false, options.screenPens);
                } else if (!cell.IsCovered(col, row)) {
                    PaintCell(geo_.CalcCellRect(col, row, x, y, true).Moved(dx, dy), col, row, options.screenPens);
                } else {
                    const int ac = cell.mergeCol, ar = cell.mergeRow;
                    const bool outside = ac < range.left || ar < range.top;
                    if (outside && anchorsPainted.insert({ac, ar}).second)
                        PaintCell(geo_.CellRect(ac, ar, true).Moved(dx, dy), ac, ar, options.screenPens);
                }
            }
            y += h;
        }
        x += w;
    }
    if (options.headerEdges && range.top > 0 && range.left > 0)
        PaintHeaderEdges(range, dx, dy);
}

void GridPainter::PaintHeaderEdges(const GridRange& range, int dx, int dy)
{
    const PixelRect first = geo_.CellRect(range.left, range.top, false);
    Pen pen;
    if (range.top == g_.FixedRows()) {
        const int row = range.top - 1;
        int x = first.left;
        const int y = first.top - g_.RowHeight(row);
        for (int col = range.left; col < range.right; ++col) {
            const int w = g_.ColumnWidth(col);
            if (w == 0)
                continue;
            const Cell& cell = g_.GetCell(col, row);
            if (cell.pens[PenBottom] != 0) {
                const PixelRect r = geo_.CalcCellRect(col, row, x, y, true).Moved(dx - 1, dy - 1);
                LookUpPen(cell.pens[PenBottom], true, pen);
                HorizontalLine(pen, r.left - 1, r.right, r.bottom);
            }
            x += w;
        }
    }
    if (range.left == g_.FixedCols()) {
        const int col = range.left - 1;
        const int x = first.left - g_.ColumnWidth(col);
        int y = first.top;
        for (int row = range.top; row < range.bottom; ++row) {
            const int h = g_.RowHeight(row);
            if (h == 0)
                continue;
            const Cell& cell = g_.GetCell(col, row);
            if (cell.pens[PenRight] != 0) {
                const PixelRect r = geo_.CalcCellRect(col, row, x, y, true).Moved(dx - 1, dy - 1);
                LookUpPen(cell.pens[PenRight], true, pen);
                VerticalLine(pen, r.right, r.top - 1, r.bottom);
            }
            y += h;
        }
    }
}

void GridPainter::PaintSelection(int fullWidth, int fullHeight)
{
    const GridSelection& s = g_.Selection();
    if (!s.IsSet() || s.right >= g_.ColumnCount() || s.bottom >= g_.RowCount())
        return;
    const QRect data(geo_.HeaderWidth(), geo_.HeaderHeight(), fullWidth - geo_.HeaderWidth(),
                     fullHeight - geo_.HeaderHeight());
    if (data.isEmpty())
        return;
    p_.save();
    auto span = [&](int c1, int r1, int c2, int r2) {
        const PixelRect a = geo_.CellRect(c1, r1, false);
        const PixelRect b = geo_.CellRect(c2, r2, false);
        return QRect(QPoint(a.left, a.top), QPoint(b.right - 1, b.bottom - 1));
    };
    // Header tint over the selected columns and rows.
    p_.setOpacity(128 / 255.0);
    const QColor tint = QColor::fromRgb(Rgb(kHeaderTint));
    p_.fillRect(span(s.left, 0, s.right, std::max(g_.FixedRows() - 1, 0)), tint);
    p_.fillRect(span(0, s.top, std::max(g_.FixedCols() - 1, 0), s.bottom), tint);
    p_.setOpacity(1);

    p_.setClipRect(data, Qt::IntersectClip);
    // A 3-pixel frame that inverts what lies under it.
    const QRect sel = span(s.left, s.top, s.right, s.bottom);
    const QRect outer = sel.adjusted(-1, -1, 1, 1);
    const QRect inner = sel.adjusted(2, 2, -2, -2);
    // White in difference mode inverts the colour and keeps the pixel opaque
    // on devices with an alpha channel too.
    p_.setCompositionMode(QPainter::CompositionMode_Difference);
    for (const QRect& r : QRegion(outer).subtracted(QRegion(inner)))
        p_.fillRect(r, Qt::white);
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);

    // The tint inside the frame, leaving a hole for the focus cell.
    QRect area = sel.adjusted(3, 3, -3, -3).intersected(data);
    if (!area.isEmpty()) {
        QRegion region(area);
        int fc, fr;
        if (g_.GetFocusCell(fc, fr) && fr >= g_.FixedRows() && fc >= g_.FixedCols())
            region = region.subtracted(QRegion(ToQRect(geo_.CellRect(fc, fr, true))));
        p_.setOpacity(96 / 255.0);
        for (const QRect& r : region)
            p_.fillRect(r, QColor::fromRgb(Rgb(kSelectionTint)));
    }
    p_.restore();
}

void GridPainter::PaintWindow(const PixelRect& clip, int fullWidth, int fullHeight)
{
    p_.fillRect(ToQRect(clip), QColor::fromRgb(Rgb(kBackground)));
    const PaneRanges panes = geo_.SplitRangeByPanes(clip);
    const GridRange& b = panes.body;
    if (b.left < b.right && b.top < b.bottom) {
        const PixelRect a = geo_.CellRect(b.left, b.top, false);
        const PixelRect z = geo_.CellRect(b.right - 1, b.bottom - 1, false);
        p_.fillRect(QRect(QPoint(a.left, a.top), QPoint(z.right - 1, z.bottom - 1)), Qt::black);
    }
    const PaintOptions screen;
    PaintRange(panes.body, 0, 0, screen);
    PaintRange(panes.columnHeader, 0, 0, screen);
    PaintRange(panes.rowHeader, 0, 0, screen);
    PaintRange(panes.corner, 0, 0, screen);
    PaintSelection(fullWidth, fullHeight);
}

void RenderData(CRealGrid& grid, QPainter& painter)
{
    const GridGeometry geo(grid);
    const int top = grid.TopRow(), left = grid.LeftCol();
    grid.SetTopRow(grid.FixedRows());
    grid.SetLeftCol(grid.FixedCols());
    const GridRange body{grid.FixedCols(), grid.FixedRows(), grid.ColumnCount(), grid.RowCount()};
    PaintOptions options;
    options.screenPens = false;
    options.headerEdges = true;
    GridPainter(grid, painter).PaintRange(body, 1 - geo.HeaderWidth(), 1 - geo.HeaderHeight(), options);
    grid.SetTopRow(top);
    grid.SetLeftCol(left);
}

}   // namespace grid
