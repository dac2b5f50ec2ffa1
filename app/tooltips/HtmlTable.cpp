// Tables of the HTML drawing engine: scanning, column and row sizes with spans,
// and placing, filling and framing the cells.
#include "app/tooltips/HtmlDrawer.h"

#include "platform/LangPack.h"

#include <algorithm>

namespace tooltips {
namespace {

enum AttrMode { kTableMode = 0, kRowMode = 1, kCellMode = 2 };
constexpr int kMaxColumns = 1000;
constexpr size_t kMaxCells = 1000000;

QString tagName(const QString& t, int i)
{
    int e = i + 1;
    while (e < t.size() && t[e] != u' ' && t[e] != u'=' && t[e] != u'>' && t[e] != u'<')
        ++e;
    return t.mid(i + 1, e - i - 1);
}

struct Tag {
    int start = -1; // the "<"
    int end = -1;   // after the ">"
    QString name;
};

// Every tag of the text in order, escaped "<<" and unclosed tags skipped.
std::vector<Tag> allTags(const QString& t)
{
    std::vector<Tag> tags;
    for (int i = t.indexOf(u'<'); i >= 0; i = t.indexOf(u'<', i)) {
        if (i + 1 < t.size() && t[i + 1] == u'<') {
            i += 2;
            continue;
        }
        const int gt = t.indexOf(u'>', i + 1);
        if (gt < 0)
            break;
        tags.push_back({i, gt + 1, tagName(t, i)});
        i = gt + 1;
    }
    return tags;
}

int effectByName(const QString& v)
{
    static const char16_t* const kNames[] = {u"solid",     u"hgradient", u"vgradient",  u"hcgradient",
                                             u"vcgradient", u"3hgradient", u"3vgradient", u"noise",
                                             u"diagshade", u"hshade",    u"vshade",     u"hbump",
                                             u"vbump",     u"softbump",  u"hardbump",   u"metal"};
    if (v == u"transparent")
        return -1;
    for (int i = 0; i < 16; ++i)
        if (v == QStringView(kNames[i]))
            return i;
    return -2;
}

} // namespace

std::vector<CHtmlDrawer::RowSpec> CHtmlDrawer::scanRows(const QString& content)
{
    std::vector<RowSpec> rows;
    const std::vector<Tag> tags = allTags(content);
    int tableDepth = 0, rowDepth = 0;
    int rowStart = -1;
    QString rowAttrs;
    auto collectCells = [&](int from, int to, RowSpec& row) {
        int depth = 0;
        bool open = false;
        int cellStart = -1;
        // The tags are in text order: start at the row's first one.
        auto first = std::lower_bound(tags.begin(), tags.end(), from,
                                      [](const Tag& tg, int at) { return tg.start < at; });
        for (auto it = first; it != tags.end() && it->start < to; ++it) {
            const Tag& tg = *it;
            if (tg.name == u"table") {
                ++depth;
            } else if (tg.name == u"/table") {
                --depth;
            } else if (depth == 0 && tg.name == u"td" && !open) {
                const QString inner = content.mid(tg.start + 1, tg.end - tg.start - 2);
                row.cells.push_back({inner.mid(2), QString()});
                open = true;
                cellStart = tg.end;
            } else if (depth == 0 && tg.name == u"/td" && open) {
                row.cells.back().content = content.mid(cellStart, tg.start - cellStart);
                open = false;
            }
        }
        if (open)
            row.cells.back().content = content.mid(cellStart, to - cellStart);
    };
    for (const Tag& tg : tags) {
        if (tg.name == u"table") {
            ++tableDepth;
        } else if (tg.name == u"/table") {
            --tableDepth;
        } else if (tableDepth == 0 && tg.name == u"tr") {
            if (rowDepth++ == 0) {
                rowStart = tg.end;
                rowAttrs = content.mid(tg.start + 3, tg.end - tg.start - 4);
            }
        } else if (tableDepth == 0 && tg.name == u"/tr" && rowDepth > 0) {
            if (--rowDepth == 0) {
                RowSpec row;
                row.attrs = rowAttrs;
                collectCells(rowStart, tg.start, row);
                rows.push_back(std::move(row));
            }
        }
    }
    if (rowDepth > 0) {
        RowSpec row;
        row.attrs = rowAttrs;
        collectCells(rowStart, content.size(), row);
        rows.push_back(std::move(row));
    }
    return rows;
}

void CHtmlDrawer::applyTableAttributes(const QString& attrs, HtmlStyle& s, int mode, int* rowSpan, int* colSpan)
{
    for (const auto& [n, v] : readAttributes(attrs)) {
        if (n == u"cellpadding" && mode == kTableMode) {
            s.margin = length(v, s.margin, false);
        } else if (n == u"cellspacing" && mode == kTableMode) {
            s.padding = length(v, s.padding, false);
        } else if (n == u"background" && mode == kTableMode) {
            s.bgimage = v;
        } else if (n == u"rowspan" && mode == kCellMode) {
            *rowSpan = length(v, 1, false);
        } else if (n == u"colspan" && mode == kCellMode) {
            *colSpan = length(v, 1, false);
        } else if (n == u"border") {
            s.borderWidth = length(v, s.borderWidth, false);
            if (s.borderWidth != 0 && s.borderStyle == 0)
                s.borderStyle = 1;
            else if (s.borderWidth == 0)
                s.borderStyle = 0;
        } else if (n == u"borderstyle") {
            applyDeclarations(QStringLiteral("border-style:") + v, s);
        } else if (n == u"bordercolor") {
            if (!m_coloursEnabled)
                s.borderLight = s.borderDark = m_disabledColour;
            else
                s.borderLight = s.borderDark = colourValue(v, s.borderLight);
        } else if (!m_coloursEnabled) {
            // Colours and effects are left alone while colours are off.
            if (n == u"align" || n == u"valign" || n == u"width" || n == u"height")
                ;
            else
                continue;
        }
        if (n == u"bordercolorlight") {
            s.borderLight = colourValue(v, s.borderLight);
        } else if (n == u"bordercolordark") {
            s.borderDark = colourValue(v, s.borderDark);
        } else if (n == u"bgcolor") {
            s.bkcolor = colourValue(v, s.bkcolor);
            if (s.bgeffect == -1)
                s.bgeffect = 0;
        } else if (n == u"bgmidcolor") {
            s.bgmid = colourValue(v, s.bgmid);
        } else if (n == u"bgendcolor") {
            s.bgend = colourValue(v, s.bgend);
        } else if (n == u"bgeffect") {
            const int e = effectByName(v);
            s.bgeffect = e >= -1 ? e : length(v, s.bgeffect, false);
        } else if (n == u"align") {
            if (v == u"left")
                s.align = 0;
            else if (v == u"center")
                s.align = 1;
            else if (v == u"right")
                s.align = 2;
        } else if (n == u"valign") {
            if (v == u"top")
                s.valign = 0;
            else if (v == u"middle" || v == u"vcenter")
                s.valign = 1;
            else if (v == u"bottom")
                s.valign = 2;
            else if (v == u"baseline")
                s.valign = 3;
        } else if (n == u"width") {
            s.width = length(v, s.width, false);
        } else if (n == u"height") {
            s.height = length(v, s.height, false);
        }
    }
    if (s.borderStyle == 0 || s.borderWidth == 0)
        s.borderStyle = s.borderWidth = 0;
    else if (s.borderStyle != 1)
        s.borderWidth = 1;
    if (mode != kTableMode && s.borderWidth > 0)
        s.borderWidth = 1;
}

namespace {

QSize tableSize(const TableLayout& t, const HtmlStyle& s)
{
    if (t.columns.empty() || t.rows.empty())
        return {0, 0};
    const int sp = s.padding;
    long long w = sp + static_cast<long long>(t.columns.size()) - 1, h = sp + static_cast<long long>(t.rows.size()) - 1;
    for (int c : t.columns)
        w += c + sp;
    for (int r : t.rows)
        h += r + sp;
    const int border = s.borderStyle == 6 ? 6 : 2 * s.borderWidth;
    auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, 0, 1 << 28)); };
    return {clamp(w + border), clamp(h + border)};
}

// Spans of s = 1 upwards share out what a spanning cell needs beyond its columns.
void distribute(std::vector<int>& sizes, std::vector<int>* fixedFlags, const TableLayout& t, bool columns)
{
    // The cells in order of span, then row by row as they stand.
    struct Ref {
        int span;
        size_t a, c;
    };
    std::vector<Ref> refs;
    for (size_t a = 0; a < t.cells.size(); ++a)
        for (size_t c = 0; c < t.cells[a].size(); ++c) {
            const int span = columns ? t.cells[a][c].colSpan : t.cells[a][c].rowSpan;
            if (span >= 1)
                refs.push_back({span, a, c});
        }
    std::stable_sort(refs.begin(), refs.end(), [](const Ref& x, const Ref& y) { return x.span < y.span; });
    const int n = static_cast<int>(sizes.size());
    for (const Ref& r : refs) {
        const TableCell& cell = t.cells[r.a][r.c];
        const int s = r.span;
        const int first = static_cast<int>(columns ? r.c : r.a);
        if (first + s > n)
            continue;
        const int need = columns ? cell.totalWidth : cell.totalHeight;
        if (s == 1) {
            sizes[first] = std::max(sizes[first], need);
            if (fixedFlags && cell.fixed)
                (*fixedFlags)[first] = 1;
            continue;
        }
        long long sum = 0;
        for (int k = first; k < first + s; ++k) {
            sum += sizes[k];
            if (fixedFlags && cell.fixed)
                (*fixedFlags)[k] = 1;
        }
        if (sum < need) {
            const int extra = static_cast<int>(need - sum);
            for (int k = first; k < first + s; ++k)
                sizes[k] += extra / s;
            sizes[first + s - 1] += extra % s;
        }
    }
}

} // namespace

QSize CHtmlDrawer::layoutTable(const QString& attrs, const QString& content, const QRect& rect)
{
    ++m_tableCounter;
    const std::vector<RowSpec> rows = scanRows(content);
    if (m_measure) {
        size_t cols = 0;
        for (const RowSpec& r : rows) {
            long long sum = 0;
            for (const CellSpec& c : r.cells) {
                int rs = 1, cs = 1;
                HtmlStyle scratch;
                applyTableAttributes(c.attrs, scratch, kCellMode, &rs, &cs);
                sum += std::clamp(cs, 1, kMaxColumns);
            }
            cols = std::max<size_t>(cols, static_cast<size_t>(std::min<long long>(sum, kMaxColumns)));
        }
        // Markup cannot ask for more cells than a table can sensibly hold; cells
        // past the columns kept are ignored like any cell past the layout.
        if (!rows.empty() && cols * rows.size() > kMaxCells)
            cols = std::max<size_t>(1, kMaxCells / rows.size());
        TableLayout t;
        t.columns.assign(cols, 0);
        t.fixedColumns.assign(cols, 0);
        t.rows.assign(rows.size(), 0);
        t.cells.assign(rows.size(), std::vector<TableCell>(cols));
        m_tables.push_back(std::move(t));
    }
    if (m_tableCounter < 0 || static_cast<size_t>(m_tableCounter) >= m_tables.size())
        return {0, 0};
    const size_t index = static_cast<size_t>(m_tableCounter);

    pushStyle(QStringLiteral("table"));
    applyRule(QStringLiteral("table"), m_style);
    applyTableAttributes(attrs, m_style, kTableMode, nullptr, nullptr);
    m_style.name.clear();
    selectFont();
    const HtmlStyle tableStyle = m_style;

    QSize size;
    if (m_measure) {
        const size_t cols = m_tables[index].columns.size();
        for (size_t a = 0; a < rows.size(); ++a) {
            pushStyle(QStringLiteral("tr"));
            applyRule(QStringLiteral("tr"), m_style);
            applyTableAttributes(rows[a].attrs, m_style, kRowMode, nullptr, nullptr);
            m_style.name.clear();
            selectFont();
            size_t c = 0;
            for (const CellSpec& cell : rows[a].cells) {
                // Nested tables may have grown the list: look the layout up afresh.
                while (c < cols && m_tables[index].cells[a][c].colSpan == -1)
                    ++c;
                if (c >= cols)
                    break;
                TableCell rec;
                layoutCell(cell, QRect(0, 0, m_maxWidth, 0), &rec);
                TableLayout& t = m_tables[index];
                rec.colSpan = std::clamp(rec.colSpan, 1, static_cast<int>(cols - c));
                rec.rowSpan = std::clamp(rec.rowSpan, 1, static_cast<int>(rows.size() - a));
                t.cells[a][c] = rec;
                for (int k = 1; k < rec.colSpan; ++k)
                    t.cells[a][c + k].colSpan = t.cells[a][c + k].rowSpan = -1;
                for (int r = 1; r < rec.rowSpan; ++r)
                    for (int k = 0; k < rec.colSpan; ++k)
                        t.cells[a + r][c + k].colSpan = t.cells[a + r][c + k].rowSpan = -1;
                c += rec.colSpan;
            }
            popStyle(QStringLiteral("tr"));
        }
        TableLayout& t = m_tables[index];
        distribute(t.columns, &t.fixedColumns, t, true);
        distribute(t.rows, nullptr, t, false);
        size = tableSize(t, tableStyle);
    } else {
        TableLayout t = m_tables[index];
        size = tableSize(t, tableStyle);
        const int room = rect.width();
        if (size.width() > 0 && size.width() < room) {
            int extra = room - size.width();
            int k = static_cast<int>(std::count(t.fixedColumns.begin(), t.fixedColumns.end(), 0));
            for (size_t c = 0; c < t.columns.size() && k > 0; ++c) {
                if (t.fixedColumns[c])
                    continue;
                const int gain = extra / k;
                t.columns[c] += gain;
                extra -= gain;
                --k;
            }
            size = tableSize(t, tableStyle);
        }
        int left = rect.left();
        if (size.width() < room) {
            if (tableStyle.align == 1)
                left += (room - size.width()) / 2;
            else if (tableStyle.align == 2)
                left = rect.left() + room - size.width();
        }
        const QRect box(left, rect.top(), size.width(), size.height());
        if (!box.isEmpty()) {
            if (tableStyle.bgeffect >= 0) {
                m_canvas->fillEffect(box, tableStyle.bgeffect, tableStyle.bkcolor, tableStyle.bgmid,
                                     tableStyle.bgend, 5, 0);
            } else if (m_coloursEnabled && tableStyle.bgimage.size() > 5) {
                const int colon = tableStyle.bgimage.indexOf(u':');
                const QString kind = tableStyle.bgimage.left(colon).trimmed();
                const QString value = tableStyle.bgimage.mid(colon + 1).trimmed();
                QImage tile;
                if (kind == u"idres")
                    tile = platform::langBitmap(value.toUInt(nullptr, 0));
                else if (kind == u"iddll" && m_module)
                    tile = m_module(value.toUInt(nullptr, 0));
                else if (kind == u"file")
                    tile = QImage(value);
                if (!tile.isNull())
                    m_canvas->tileImage(box, tile);
            }
            if (tableStyle.borderWidth >= 1 && tableStyle.borderStyle != 0) {
                const COLORREF light = m_coloursEnabled ? tableStyle.borderLight : m_disabledColour;
                const COLORREF dark = m_coloursEnabled ? tableStyle.borderDark : m_disabledColour;
                m_canvas->drawRectangle(box, light, dark, tableStyle.borderStyle, tableStyle.borderWidth);
            }
        }
        const int inset = tableStyle.borderStyle == 6 ? 3 : tableStyle.borderWidth;
        const int innerLeft = box.left() + inset, innerTop = box.top() + inset;
        const int sp = tableStyle.padding;
        const size_t cols = t.columns.size();
        std::vector<long long> colLeft(cols + 1, static_cast<long long>(innerLeft) + sp);
        for (size_t k = 0; k < cols; ++k)
            colLeft[k + 1] = colLeft[k] + t.columns[k] + sp + 1;
        long long rowTop = static_cast<long long>(innerTop) + sp;
        for (size_t a = 0; a < rows.size() && a < t.rows.size(); ++a) {
            pushStyle(QStringLiteral("tr"));
            applyRule(QStringLiteral("tr"), m_style);
            applyTableAttributes(rows[a].attrs, m_style, kRowMode, nullptr, nullptr);
            m_style.name.clear();
            selectFont();
            size_t c = 0;
            for (const CellSpec& cell : rows[a].cells) {
                while (c < cols && t.cells[a][c].colSpan == -1)
                    ++c;
                if (c >= cols)
                    break;
                const TableCell& rec = t.cells[a][c];
                const int cs = std::max(1, rec.colSpan), rs = std::max(1, rec.rowSpan);
                const size_t lastCol = std::min(cols, c + static_cast<size_t>(cs));
                const long long w = colLeft[lastCol] - colLeft[c] - (sp + 1);
                long long h = static_cast<long long>(rs - 1) * (sp + 1);
                for (size_t k = a; k < a + rs && k < t.rows.size(); ++k)
                    h += t.rows[k];
                TableCell copy = rec;
                layoutCell(cell,
                           QRect(clampPosition(colLeft[c]), clampPosition(rowTop), clampPosition(std::max(0LL, w)),
                                 clampPosition(std::max(0LL, h))),
                           &copy);
                c += cs;
            }
            popStyle(QStringLiteral("tr"));
            rowTop += t.rows[a] + sp + 1;
        }
    }
    popStyle(QStringLiteral("table"));
    return size;
}

QSize CHtmlDrawer::layoutCell(const CellSpec& cell, const QRect& rect, TableCell* record)
{
    pushStyle(QStringLiteral("td"));
    applyRule(QStringLiteral("td"), m_style);
    m_style.width = m_style.height = 0;
    int rowSpan = 1, colSpan = 1;
    applyTableAttributes(cell.attrs, m_style, kCellMode, &rowSpan, &colSpan);
    m_style.name.clear();
    selectFont();
    const HtmlStyle cs = m_style;
    const int inset = cs.margin + cs.borderWidth;

    if (m_measure) {
        record->colSpan = colSpan;
        record->rowSpan = rowSpan;
        record->contentWidth = cs.width;
        record->contentHeight = 0;
        record->fixed = cs.width > 0 ? 1 : 0;
        const QSize s = layoutContent(cell.content, QRect(0, 0, cs.width > 0 ? cs.width : m_maxWidth, 0));
        record->contentWidth = std::max({record->contentWidth, s.width(), cs.width});
        record->contentHeight = s.height();
        record->totalWidth = record->contentWidth + 2 * cs.borderWidth + 2 * cs.margin;
        record->totalHeight = std::max(record->contentHeight, cs.height) + 2 * cs.borderWidth + 2 * cs.margin;
    } else {
        if (cs.bgeffect >= 0)
            m_canvas->fillEffect(rect, cs.bgeffect, cs.bkcolor, cs.bgmid, cs.bgend, 5, 0);
        if (cs.borderStyle != 0 && cs.borderWidth > 0) {
            const COLORREF light = m_coloursEnabled ? cs.borderLight : m_disabledColour;
            const COLORREF dark = m_coloursEnabled ? cs.borderDark : m_disabledColour;
            m_canvas->drawRectangle(rect, light, dark, cs.borderStyle, cs.borderWidth);
        }
        QRect content = rect.adjusted(inset, inset, -inset, -inset);
        int top = content.top();
        if (cs.valign == 1)
            top += (content.height() - record->contentHeight) / 2;
        else if (cs.valign == 2)
            top = content.top() + content.height() - record->contentHeight;
        layoutContent(cell.content, QRect(content.left(), top, std::max(0, content.width()), content.height()));
    }
    popStyle(QStringLiteral("td"));
    return {record->totalWidth, record->totalHeight};
}

} // namespace tooltips
