#include "core/render/PixelConvert.h"
#include "core/render/ProgramSchema.h"
#include "core/api/WorkMode.h"
#include "platform/ByteIO.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace sorvane::render {

namespace {

constexpr int kLines = 32;

struct LineTables {
    std::array<std::uint32_t, kLines> colour[3]{};
    std::array<std::uint32_t, kLines> all{};
};

// The masks of each data line, rebuilt for every conversion.
LineTables buildTables(const LedModeParams& p)
{
    LineTables t;
    for (int c = 0; c < 3; ++c)
        for (int L = 0; L < kLines; ++L)
            t.colour[c][L] = LineBit(p, c, L);
    for (int L = 0; L < kLines; ++L)
        t.all[L] = t.colour[0][L] | t.colour[1][L] | t.colour[2][L];
    return t;
}

std::uint32_t rawLineBit(std::uint16_t colours, int channel, int L)
{
    switch (colours) {
    case 1:
        return channel == 0 && L < 32 ? (1u << L) : 0u;
    case 2:
        if (channel > 1 || L >= 16)
            return 0;
        return 1u << ((L < 8 ? 0 : 16) + (channel == 1 ? 8 : 0) + (L & 7));
    case 3:
        return L < 8 ? (1u << (4 * L + channel)) : 0u;
    default:
        return 0;
    }
}

struct Rgb {
    std::uint32_t r, g, b;
};

inline Rgb pixelAt(const std::uint8_t* row, int x, int depth, bool bitFields)
{
    switch (depth) {
    case 32: {
        const std::uint8_t* q = row + 4 * x;
        return {q[2], q[1], q[0]};
    }
    case 24: {
        const std::uint8_t* q = row + 3 * x;
        return {q[2], q[1], q[0]};
    }
    case 16: {
        const std::uint32_t v = std::uint32_t(row[2 * x]) | (std::uint32_t(row[2 * x + 1]) << 8);
        if (bitFields)
            return {(((v >> 11) & 31) * 255) >> 5, (((v >> 5) & 63) * 255) >> 6, ((v & 31) * 255) >> 5};
        return {(((v >> 10) & 31) * 255) >> 5, (((v >> 5) & 31) * 255) >> 5, ((v & 31) * 255) >> 5};
    }
    default:
        return {0, 0, 0};
    }
}

// No colour in the row's pixels (the fourth byte is not a colour).
bool rowIsBlack32(const std::uint8_t* row, int width)
{
    for (int x = 0; x < width; ++x) {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        if (v & 0x00FFFFFFu) {
            if constexpr (std::endian::native == std::endian::little)
                return false;
            else if (row[4 * x] | row[4 * x + 1] | row[4 * x + 2])
                return false;
        }
    }
    return true;
}

} // namespace

std::uint32_t LineBit(const LedModeParams& p, int channel, int line)
{
    int c = channel;
    if (p.SwapRedGreen && p.ColourCount >= 2 && c < 2)
        c = 1 - c;
    return rawLineBit(p.ColourCount, c, line);
}

LedModeParams MakeLedModeParams(std::uint16_t workMode, std::uint16_t scanCount, bool swapRedGreen,
                                unsigned areaWidth, bool positiveData)
{
    const LedWorkMode m = LookupWorkMode(workMode);
    LedModeParams p;
    p.ScanCount = scanCount;
    p.ColourCount = m.ColourCount;
    p.Width = static_cast<std::uint16_t>((areaWidth + 15u) & ~15u);
    p.ColumnGroup = m.ColumnGroup ? m.ColumnGroup : p.Width;
    p.RowFold = m.RowFold;
    p.FoldOrder = m.FoldOrder;
    p.SwapRedGreen = swapRedGreen ? 1 : 0;
    p.PositiveData = positiveData ? 1 : 0;
    p.BytesPerWord = 4;
    p.WorkMode = workMode;
    p.Threshold = ColourThreshold();
    return p;
}

std::size_t PageLength(const LedModeParams& p)
{
    return std::size_t(4) * p.RowFold * p.ScanCount * p.Width;
}

namespace {

// One row of a page's picture: `lit` columns from `bits`, black beyond them
// up to the columns the conversion covers; null bits: black throughout.
struct RowPixels {
    const std::uint8_t* bits = nullptr;
    int lit = 0;
};

// The conversion over `rows` rows of `columns` columns, each row's pixels
// from rowAt(y).
template <class RowAt>
void convertRows(int rows, int columns, int depth, bool bitFields, RowAt rowAt, const LedModeParams& p,
                 std::uint8_t* out)
{
    const std::size_t words = PageLength(p) / 4;
    // The tables follow the colours and their swap alone: kept for the
    // pages that come after this one.
    thread_local LineTables t;
    thread_local std::pair<int, int> tablesFor{-1, -1};
    if (tablesFor != std::pair<int, int>(p.ColourCount, p.SwapRedGreen)) {
        t = buildTables(p);
        tablesFor = {p.ColourCount, p.SwapRedGreen};
    }
    const ChannelThresholds th = ThresholdsFor(p.ColourCount, p.Threshold);
    const int W = p.Width, G = p.ColumnGroup, RF = p.RowFold, scan = p.ScanCount, R = scan * RF;
    const int width = std::min(columns, W);
    const std::size_t scanStride = std::size_t(W) * RF;
    const bool zigzag = p.WorkMode == 35;

    // One page of words kept per thread: a page of a wide screen is large
    // enough that a fresh one each time costs more than converting it.
    thread_local std::vector<std::uint32_t> scratch;
    if (scratch.size() < words)
        scratch.resize(words);
    std::uint32_t* page = scratch.data();
    std::memcpy(page, out, words * 4);
    // So are the column tables: a node of many small pages converts one
    // after another, and each table made anew costs an allocation a page.
    thread_local std::vector<std::size_t> colBase, zig;
    colBase.resize(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        colBase[x] = static_cast<std::size_t>(x % G) + std::size_t(G) * RF * (x / G);
    zig.assign(static_cast<std::size_t>(G), 0);
    // Only when every row has words and line bits of its own: with folds
    // sharing a word, a later row overwrites an earlier one.
    const bool blackIsDark =
        th.Red > 0 && th.Green > 0 && th.Blue > 0 && !zigzag && (RF == 1 || p.FoldOrder == 1 || p.FoldOrder == 2);

    for (int y = 0; y < rows; ++y) {
        const int L = y / R;
        if (L >= kLines)
            break;
        if (t.all[L] == 0)
            continue;
        const RowPixels row = rowAt(y);
        const int lit = row.bits ? std::min(row.lit, width) : 0;
        // A row of dark pixels writes what the fill already holds: content
        // words are all ones there, mask words all zeros.
        if (blackIsDark && (lit == 0 || (depth == 32 && lit == width && rowIsBlack32(row.bits, width))))
            continue;
        const int s = y % scan;
        const int m = (y % R) / scan;
        const int f = p.FoldOrder == 1 ? m : p.FoldOrder == 2 ? RF - 1 - m : 0;
        const std::size_t rowBase = std::size_t(G) * f + std::size_t(s) * scanStride;
        if (zigzag) {
            const int half = G / 2;
            const int base = 2 * G * ((RF - m - 1) >> 1);
            for (int u = 0; u < G; ++u) {
                int v = u < half ? u + base + ((m & 1) == 0 ? half : 0) : u + base + ((m & 1) ? half : G);
                if (v >= RF * G)
                    v = 0;
                zig[u] = static_cast<std::size_t>(v) + std::size_t(s) * scanStride;
            }
        }
        const std::uint32_t keep = ~t.all[L];
        const std::uint32_t rb = t.colour[0][L], gb = t.colour[1][L], bb = t.colour[2][L];
        if (depth == 32 && !zigzag) {
            // The common case without a branch a pixel: 32-bit pixels, plain columns.
            const std::uint32_t ro = p.PositiveData ? rb : 0u, go = p.PositiveData ? gb : 0u, bo = p.PositiveData ? bb : 0u;
            const std::uint32_t rf = rb ^ ro, gf = gb ^ go, bf = bb ^ bo;   // the bit when dark
            const std::uint8_t* q = row.bits;
            const std::size_t* cols = colBase.data();
            for (int x = 0; x < lit; ++x, q += 4) {
                const std::uint32_t bits = (q[2] >= th.Red ? ro : rf) | (q[1] >= th.Green ? go : gf)
                    | (q[0] >= th.Blue ? bo : bf);
                std::uint32_t& w = page[cols[x] + rowBase];
                w = bits | (w & keep);
            }
            const std::uint32_t blackBits = (0 >= th.Red ? ro : rf) | (0 >= th.Green ? go : gf) | (0 >= th.Blue ? bo : bf);
            for (int x = lit; x < width; ++x) {
                std::uint32_t& w = page[cols[x] + rowBase];
                w = blackBits | (w & keep);
            }
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const Rgb c = x < lit ? pixelAt(row.bits, x, depth, bitFields) : Rgb{0, 0, 0};
            const bool rl = c.r >= th.Red, gl = c.g >= th.Green, bl = c.b >= th.Blue;
            std::uint32_t bits;
            if (p.PositiveData)
                bits = (rl ? rb : 0u) | (gl ? gb : 0u) | (bl ? bb : 0u);
            else
                bits = (rl ? 0u : rb) | (gl ? 0u : gb) | (bl ? 0u : bb);
            const std::size_t idx = zigzag ? zig[x % G] + std::size_t(G) * (x / G) * RF : colBase[x] + rowBase;
            std::uint32_t& w = page[idx];
            w = bits | (w & keep);
        }
    }
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, page, words * 4);
    } else {
        for (std::size_t i = 0; i < words; ++i)
            bytes::put32(out, 4 * i, page[i]);
    }
}

bool convertible(const LedModeParams& p)
{
    return PageLength(p) > 0 && p.ScanCount != 0 && p.RowFold != 0 && p.ColumnGroup != 0 && p.Width % p.ColumnGroup == 0;
}

} // namespace

void ConvertDib(const DibView& dib, const LedModeParams& p, std::uint8_t* out)
{
    std::memset(out, p.PositiveData ? 0x00 : 0xFF, PageLength(p));
    if (!dib.Bits || !convertible(p))
        return;
    const int width = std::min<int>(dib.Width, p.Width);
    convertRows(dib.Height, dib.Width, dib.Depth, dib.BitFields,
                [&](int y) {
                    return RowPixels{dib.Bits + dib.Stride * static_cast<std::size_t>(dib.BottomUp ? dib.Height - 1 - y : y),
                                     width};
                },
                p, out);
}

void ConvertWindow(const QImage& picture, const QRect& window, int top, const LedModeParams& p, int height,
                   std::uint8_t* out)
{
    const bool direct = picture.format() == QImage::Format_RGB32
        && window.left() >= 0 && window.top() >= 0;
    if (!direct) {
        QImage work(p.Width, height, QImage::Format_RGB32);
        work.fill(Qt::black);
        QPainter painter(&work);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, top), picture, window);
        painter.end();
        ConvertImage(work, p, out);
        return;
    }
    std::memset(out, p.PositiveData ? 0x00 : 0xFF, PageLength(p));
    if (!convertible(p))
        return;
    // The part of the window the picture holds: it starts at the window's
    // corner, and lands at column 0 of row `top`.
    const QRect held = window.intersected(picture.rect());
    const int columns = std::min(held.width(), int(p.Width));
    convertRows(height, p.Width, 32, false,
                [&](int y) {
                    const int row = y - top + window.top();
                    if (held.isEmpty() || y < top || row > held.bottom())
                        return RowPixels{};
                    return RowPixels{picture.constScanLine(row) + 4 * std::size_t(held.left()), columns};
                },
                p, out);
}

void ConvertImage(const QImage& image, const LedModeParams& p, std::uint8_t* out)
{
    QImage img = image;
    if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32)
        img = img.convertToFormat(QImage::Format_RGB32);
    DibView dib;
    dib.Bits = img.isNull() ? nullptr : img.constBits();
    dib.Width = img.width();
    dib.Height = img.height();
    dib.Depth = 32;
    dib.Stride = static_cast<std::size_t>(img.bytesPerLine());
    dib.BottomUp = false;
    ConvertDib(dib, p, out);
}

std::vector<std::uint8_t> MaskRuns(const std::uint8_t* page, const LedModeParams& p)
{
    std::vector<std::uint8_t> out;
    const int W = p.Width, G = p.ColumnGroup, RF = p.RowFold, scan = p.ScanCount;
    if (W == 0 || G == 0 || W % G || RF * scan > 16 || RF * scan == 0)
        return out;
    auto column = [&](int x, std::array<std::uint32_t, 16>& words) {
        words.fill(0);
        for (int s = 0; s < scan; ++s)
            for (int f = 0; f < RF; ++f) {
                const std::size_t h = static_cast<std::size_t>(x % G) + std::size_t(G) * (f + std::size_t(x / G) * RF);
                words[static_cast<std::size_t>(f + s * RF)] = bytes::get32(page, 4 * (h + std::size_t(s) * W * RF));
            }
    };
    std::array<std::uint32_t, 16> cur{}, next{};
    column(0, cur);
    int first = 0;
    auto flush = [&](int last) {
        const std::size_t at = out.size();
        namespace f = program::maskrun;
        out.resize(at + f::Size, 0);
        std::uint8_t* r = out.data() + at;
        program::put(r, f::First, static_cast<std::uint16_t>(first));
        program::put(r, f::Last, static_cast<std::uint16_t>(last));
        program::put(r, f::Columns, static_cast<std::uint16_t>(last - first + 1));
        program::put(r, f::RecordSize, static_cast<std::uint16_t>(f::Size));
        for (std::size_t i = 0; i < f::WordCount; ++i)
            program::put(r, f::Word(i), cur[i]);
    };
    for (int x = 1; x < W; ++x) {
        column(x, next);
        if (next != cur) {
            flush(x - 1);
            first = x;
            cur = next;
        }
    }
    flush(W - 1);
    return out;
}

std::vector<std::uint8_t> MaskRunsOfRects(const LedModeParams& p, int height, const QRect& white,
                                          const std::vector<QRect>& covers)
{
    const int W = p.Width, G = p.ColumnGroup, RF = p.RowFold, scan = p.ScanCount, R = scan * RF;
    if (W == 0 || G == 0 || W % G || R > 16 || R == 0 || height <= 0)
        return {};
    const QRect image(0, 0, W, height);
    const QRect lit = white.isEmpty() ? QRect() : white.intersected(image);
    std::vector<QRect> dark;
    for (const QRect& c : covers) {
        const QRect d = c.intersected(lit);
        if (!d.isEmpty())
            dark.push_back(d);
    }

    // Columns between two edges have the same rows lit.
    std::vector<int> edges{0, W};
    auto edge = [&](const QRect& r) {
        edges.push_back(r.left());
        edges.push_back(r.right() + 1);
    };
    if (!lit.isEmpty())
        edge(lit);
    for (const QRect& d : dark)
        edge(d);
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    const LineTables t = buildTables(p);
    const ChannelThresholds th = ThresholdsFor(p.ColourCount, p.Threshold);
    auto bitsOf = [&](std::uint32_t v, int L) {
        return (v >= th.Red ? t.colour[0][L] : 0u) | (v >= th.Green ? t.colour[1][L] : 0u)
            | (v >= th.Blue ? t.colour[2][L] : 0u);
    };
    const int rows = std::min(height, kLines * R);
    std::vector<std::uint32_t> onBits(static_cast<std::size_t>(kLines)), offBits(static_cast<std::size_t>(kLines));
    for (int L = 0; L < kLines; ++L) {
        onBits[L] = bitsOf(255, L);
        offBits[L] = bitsOf(0, L);
    }
    // Lit rows of each column span, and the span of each column.
    const std::size_t spans = edges.size() - 1;
    std::vector<std::vector<char>> litRows(spans, std::vector<char>(static_cast<std::size_t>(rows), 0));
    std::vector<int> spanOf(static_cast<std::size_t>(W));
    for (std::size_t k = 0; k < spans; ++k) {
        const int x0 = edges[k];
        for (int x = x0; x < edges[k + 1]; ++x)
            spanOf[x] = static_cast<int>(k);
        if (lit.isEmpty() || x0 < lit.left() || x0 > lit.right())
            continue;
        for (int y = lit.top(); y <= lit.bottom() && y < rows; ++y)
            litRows[k][y] = 1;
        for (const QRect& d : dark)
            if (x0 >= d.left() && x0 <= d.right())
                for (int y = d.top(); y <= d.bottom() && y < rows; ++y)
                    litRows[k][y] = 0;
    }

    // The rows written in the converter's order: a later row sharing a word
    // keeps only the bits of other lines.
    struct RowPlace {
        int L, s, m, f;
    };
    std::vector<RowPlace> place;
    for (int y = 0; y < rows; ++y) {
        const int L = y / R, s = y % scan, m = (y % R) / scan;
        place.push_back({L, s, m, p.FoldOrder == 1 ? m : p.FoldOrder == 2 ? RF - 1 - m : 0});
    }

    std::vector<std::uint8_t> page(PageLength(p), 0);
    auto store = [&](int x, int f, int s, std::uint32_t v) {
        const std::size_t h = static_cast<std::size_t>(x % G) + std::size_t(G) * (f + std::size_t(x / G) * RF);
        bytes::put32(page.data(), 4 * (h + std::size_t(s) * W * RF), v);
    };
    if (p.WorkMode != 35) {
        std::vector<std::array<std::uint32_t, 16>> words(spans);
        for (std::size_t k = 0; k < spans; ++k) {
            auto& w = words[k];
            w.fill(0);
            for (int y = 0; y < rows; ++y) {
                const RowPlace& r = place[y];
                if (t.all[r.L] == 0)
                    continue;
                std::uint32_t& v = w[static_cast<std::size_t>(r.f + r.s * RF)];
                v = (litRows[k][y] ? onBits[r.L] : offBits[r.L]) | (v & ~t.all[r.L]);
            }
        }
        for (int x = 0; x < W; ++x)
            for (int s = 0; s < scan; ++s)
                for (int f = 0; f < RF; ++f)
                    store(x, f, s, words[spanOf[x]][static_cast<std::size_t>(f + s * RF)]);
    } else {
        // Zigzag: a column's pixels land in other columns of its group, so
        // groups are worked whole; a group like the one before it repeats it.
        const int half = G / 2;
        std::vector<std::uint32_t> group(static_cast<std::size_t>(G) * RF * scan), last;
        for (int g = 0; g < W / G; ++g) {
            const bool same = g > 0 && std::equal(spanOf.begin() + g * G, spanOf.begin() + (g + 1) * G,
                                                   spanOf.begin() + (g - 1) * G);
            if (!same) {
                std::fill(group.begin(), group.end(), 0u);
                for (int y = 0; y < rows; ++y) {
                    const RowPlace& r = place[y];
                    if (t.all[r.L] == 0)
                        continue;
                    const int base = 2 * G * ((RF - r.m - 1) >> 1);
                    for (int u = 0; u < G; ++u) {
                        int v = u < half ? u + base + ((r.m & 1) == 0 ? half : 0) : u + base + ((r.m & 1) ? half : G);
                        if (v >= RF * G)
                            v = 0;
                        // Word v of this scan row: column v % G of the group, fold v / G.
                        std::uint32_t& w = group[static_cast<std::size_t>(v + r.s * RF * G)];
                        const bool on = litRows[spanOf[g * G + u]][y] != 0;
                        w = (on ? onBits[r.L] : offBits[r.L]) | (w & ~t.all[r.L]);
                    }
                }
            }
            for (int s = 0; s < scan; ++s)
                for (int v = 0; v < RF * G; ++v)
                    store(g * G + v % G, v / G, s, group[static_cast<std::size_t>(v + s * RF * G)]);
        }
    }
    return MaskRuns(page.data(), p);
}

} // namespace sorvane::render
