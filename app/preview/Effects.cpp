#include "app/preview/Effects.h"

#include "app/preview/RandomSource.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace preview {
namespace {

constexpr QRgb kBlack = 0xFF000000u;

// The area of the back buffer and the page, in area coordinates. Every write
// is clipped to the area; page pixels outside the item's picture read black.
struct Surface {
    explicit Surface(const StepTarget& t)
        : back(*t.back), page(t.page), L(t.area.x()), T(t.area.y()), W(t.area.width()), H(t.area.height()),
          px(t.px), py(t.py), k(t.k), n(t.n)
    {
        // Never write outside the back buffer either.
        const QRect inside = t.area.intersected(back.rect());
        if (inside != t.area)
            W = H = 0;
        // Pixel pointers taken once: scanLine() on every pixel costs more than the copy.
        dbits = back.bits();
        dbpl = back.bytesPerLine();
        if (page && !page->isNull()) {
            sbits = page->constBits();
            sbpl = page->bytesPerLine();
            sw = page->width();
            sh = page->height();
        }
    }
    QRgb src(int x, int y) const   // absolute picture coordinates
    {
        if (x < 0 || y < 0 || x >= sw || y >= sh)
            return kBlack;
        return reinterpret_cast<const QRgb*>(sbits + y * sbpl)[x];
    }
    QRgb pg(int x, int y) const { return src(px + x, py + y); }   // page coordinates
    QRgb* row(int y) { return reinterpret_cast<QRgb*>(dbits + (T + y) * dbpl) + L; }
    void put(int x, int y, QRgb c)
    {
        if (x >= 0 && y >= 0 && x < W && y < H)
            row(y)[x] = c;
    }
    void show(int x, int y) { put(x, y, pg(x, y)); }
    // Area column c from picture column sx (absolute), rows from sy0.
    void colFrom(int c, int sx, int sy0)
    {
        if (c < 0 || c >= W)
            return;
        for (int y = 0; y < H; ++y)
            row(y)[c] = src(sx, sy0 + y);
    }
    void rowFrom(int r, int sy, int sx0)
    {
        if (r < 0 || r >= H)
            return;
        QRgb* d = row(r);
        for (int x = 0; x < W; ++x)
            d[x] = src(sx0 + x, sy);
    }
    void pageCol(int c) { colFrom(c, px + c, py); }
    void pageRow(int r) { rowFrom(r, py + r, px); }
    void blackCol(int c)
    {
        if (c < 0 || c >= W)
            return;
        for (int y = 0; y < H; ++y)
            row(y)[c] = kBlack;
    }
    void blackRow(int r)
    {
        if (r < 0 || r >= H)
            return;
        std::fill_n(row(r), W, kBlack);
    }
    // A whole column or row, shown from the page or blacked out.
    void line(bool rows, int i, bool show)
    {
        if (rows)
            show ? pageRow(i) : blackRow(i);
        else
            show ? pageCol(i) : blackCol(i);
    }
    int span(bool rows) const { return rows ? H : W; }
    void fill(int x0, int y0, int x1, int y1, QRgb c)   // [x0,x1) x [y0,y1)
    {
        x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, W), y1 = std::min(y1, H);
        for (int y = y0; y < y1; ++y)
            std::fill(row(y) + x0, row(y) + std::max(x0, x1), c);
    }
    void black() { fill(0, 0, W, H, kBlack); }
    // Page rectangle (sx, sy, w, h) in page coordinates to area (dx, dy).
    void pageRect(int sx, int sy, int w, int h, int dx, int dy)
    {
        // Clip the destination to the area, then copy row by row; what lies
        // past the picture reads black.
        int x0 = std::max(0, -dx), y0 = std::max(0, -dy);
        const int x1 = std::min(w, W - dx), y1 = std::min(h, H - dy);
        for (int y = y0; y < y1; ++y) {
            QRgb* d = row(dy + y) + dx;
            const int ay = py + sy + y;
            const int ax0 = px + sx + x0, ax1 = px + sx + x1;
            if (ay >= 0 && ay < sh && ax0 >= 0 && ax1 <= sw) {
                const QRgb* from = reinterpret_cast<const QRgb*>(sbits + ay * sbpl);
                std::copy(from + ax0, from + ax1, d + x0);
                continue;
            }
            for (int x = x0; x < x1; ++x) {
                const int ax = px + sx + x;
                d[x] = (ay >= 0 && ay < sh && ax >= 0 && ax < sw) ? reinterpret_cast<const QRgb*>(sbits + ay * sbpl)[ax]
                                                                   : kBlack;
            }
        }
    }
    void wholePage() { pageRect(0, 0, W, H, 0, 0); }
    // One-pixel scroll of rows [y0,y1) and columns [x0,x1) by dx (-1, 0, +1) and dy.
    void scroll(int dx, int dy, int x0 = 0, int x1 = -1, int y0 = 0, int y1 = -1)
    {
        if (x1 < 0)
            x1 = W;
        if (y1 < 0)
            y1 = H;
        if (x1 - x0 <= 0 || y1 - y0 <= 0)
            return;
        if (dx != 0) {
            const int w = x1 - x0 - 1;
            for (int y = y0; y < y1 && w > 0; ++y) {
                QRgb* d = row(y) + x0;
                if (dx < 0)
                    std::memmove(d, d + 1, sizeof(QRgb) * w);
                else
                    std::memmove(d + 1, d, sizeof(QRgb) * w);
            }
        }
        if (dy > 0) {
            for (int y = y1 - 1; y > y0; --y)
                std::memcpy(row(y) + x0, row(y - 1) + x0, sizeof(QRgb) * (x1 - x0));
        } else if (dy < 0) {
            for (int y = y0; y < y1 - 1; ++y)
                std::memcpy(row(y) + x0, row(y + 1) + x0, sizeof(QRgb) * (x1 - x0));
        }
    }

    QImage& back;
    const QImage* page;
    int L, T, W, H, px, py, k, n;
    uchar* dbits = nullptr;
    qsizetype dbpl = 0;
    const uchar* sbits = nullptr;
    qsizetype sbpl = 0;
    int sw = 0;
    int sh = 0;
};

// Line wipes shared by entry (showing the page) and exit (blacking it out).
constexpr bool kRows = true, kCols = false;
constexpr bool kFromEnd = true, kFromStart = false;
constexpr bool kShow = true, kBlackOut = false;

template <bool Rows, bool FromEnd, bool Show>
void wipe(const StepTarget& t)
{
    Surface s(t);
    s.line(Rows, FromEnd ? s.span(Rows) - t.k - 1 : t.k, Show);
}
// Every eighth line, starting at the step's offset.
template <bool Rows, bool FromEnd, bool Show>
void blinds(const StepTarget& t)
{
    Surface s(t);
    const int n = s.span(Rows);
    if (FromEnd)
        for (int i = n - t.k - 1; i >= 0; i -= 8)
            s.line(Rows, i, Show);
    else
        for (int i = t.k; i < n; i += 8)
            s.line(Rows, i, Show);
}
// Paired wipes: strictly symmetric pairs inside the area; with an odd size the
// centre line goes with the pair that reaches it.
template <bool Rows, bool Show>
void closeToCentre(const StepTarget& t)
{
    Surface s(t);
    const int n = s.span(Rows);
    s.line(Rows, t.k, Show);
    s.line(Rows, n - t.k - 1, Show);
    if (n % 2 && t.k == t.n - 1)
        s.line(Rows, n / 2, Show);
}
template <bool Rows, bool Show>
void openFromCentre(const StepTarget& t)
{
    Surface s(t);
    const int n = s.span(Rows);
    const int h = n / 2;
    s.line(Rows, h - t.k - 1, Show);
    s.line(Rows, n - h + t.k, Show);
    if (n % 2 && t.k == 0)
        s.line(Rows, h, Show);
}

// ---- entry effects ----
void immediate(const StepTarget& t) { Surface(t).wholePage(); }
// Moves take whole content columns (1, 2) or rows (3, 4) from the content origin.
void moveLeft(const StepTarget& t) { Surface s(t); s.scroll(-1, 0); s.colFrom(s.W - 1, t.k, t.py); }
void moveRight(const StepTarget& t) { Surface s(t); s.scroll(+1, 0); s.colFrom(0, t.n - t.k - 1, t.py); }
void moveUp(const StepTarget& t) { Surface s(t); s.scroll(0, -1); s.rowFrom(s.H - 1, t.k, t.px); }
void moveDown(const StepTarget& t) { Surface s(t); s.scroll(0, +1); s.rowFrom(0, t.n - t.k - 1, t.px); }
void halvesClosing(const StepTarget& t)
{
    Surface s(t);
    const int h = s.W / 2;
    s.scroll(-1, 0, s.W - h, s.W);
    s.colFrom(s.W - 1, t.px + h + t.k + (s.W % 2), t.py);
    s.scroll(+1, 0, 0, h);
    s.colFrom(0, t.px + h - t.k - 1, t.py);
    if (s.W % 2 && t.k == t.n - 1)
        s.pageCol(h);
}
void halvesOpening(const StepTarget& t)
{
    Surface s(t);
    const int h = s.W / 2;
    s.scroll(-1, 0, 0, h);
    s.colFrom(h - 1, t.px + t.k, t.py);
    s.scroll(+1, 0, s.W - h, s.W);
    s.colFrom(s.W - h, t.px + s.W - t.k - 1, t.py);
    if (s.W % 2 && t.k == t.n - 1)
        s.pageCol(h);
}

// Falling (19) and rising (20) pixels: two pixels of every group of eight
// columns at a time, phase by phase.
constexpr int kFallPhase[4][2] = {{4, 7}, {0, 2}, {3, 6}, {1, 5}};
void pixelRain(const StepTarget& t, bool down)
{
    Surface s(t);
    EffectState& st = *t.state;
    const int H = s.H;
    auto r2a = [&](int r) { return down ? r : H - 1 - r; };   // row counted from the feeding edge
    if (t.k >= H) {
        const int r = H - 2 - (t.k - H) / 3;
        if (r >= 0) {
            const int* ph = kFallPhase[1 + (t.k - H) % 3];
            for (int g = 0; g < s.W; g += 8)
                for (int i = 0; i < 2; ++i)
                    s.put(g + ph[i], r2a(r), s.pg(g + ph[i], r2a(r + 1)));
        }
    }
    const int moving = std::max(0, H - st.settledRows);
    if (down)
        s.scroll(0, +1, 0, s.W, 0, moving);
    else
        s.scroll(0, -1, 0, s.W, H - moving, H);
    if (t.k >= H - 1 && (t.k - H + 1) % 3 == 0)
        st.settledRows = std::min(H, st.settledRows + 1);
    if (t.k > 0 && t.k < t.n - 3)
        s.blackRow(r2a(0));
    const int src = H - 1 - t.k / 4;
    if (src >= 0) {
        const int* ph = kFallPhase[t.k % 4];
        for (int g = 0; g < s.W; g += 8)
            for (int i = 0; i < 2; ++i)
                s.put(g + ph[i], r2a(0), s.pg(g + ph[i], r2a(src)));
    }
}
void fallingPixels(const StepTarget& t) { pixelRain(t, true); }
void risingPixels(const StepTarget& t) { pixelRain(t, false); }

void stretchFromLeft(const StepTarget& t)
{
    Surface s(t);
    const int c = t.k / 4;
    s.fill(c + 1, 0, s.W, s.H, kBlack);
    for (int y = t.k % 4; y < s.H; y += 4)
        s.fill(c, y, s.W, y + 1, s.pg(c, y));
}
void stretchFromRight(const StepTarget& t)
{
    Surface s(t);
    const int c = s.W - t.k / 4 - 1;
    s.fill(0, 0, c, s.H, kBlack);
    for (int y = t.k % 4; y < s.H; y += 4)
        s.fill(0, y, c + 1, y + 1, s.pg(c, y));
}

// Growing corner: a x b grows along the longer side by the aspect ratio; the
// last step covers the whole area.
void cornerSize(const Surface& s, int k, int& a, int& b)
{
    const int step = k + 1;
    if (s.H < s.W) {
        b = step;
        a = (s.W * 1024 / s.H * step + 512) / 1024;
    } else {
        a = step;
        b = (s.H * 1024 / s.W * step + 512) / 1024;
    }
    if (k == std::min(s.W, s.H) - 1)
        a = s.W, b = s.H;
    a = std::min(a, s.W), b = std::min(b, s.H);
}
void slideFromTopLeft(const StepTarget& t) { Surface s(t); int a, b; cornerSize(s, t.k, a, b); s.pageRect(s.W - a, s.H - b, a, b, 0, 0); }
void growFromBottomLeft(const StepTarget& t) { Surface s(t); int a, b; cornerSize(s, t.k, a, b); s.pageRect(0, s.H - b, a, b, 0, s.H - b); }
void growFromTopRight(const StepTarget& t) { Surface s(t); int a, b; cornerSize(s, t.k, a, b); s.pageRect(s.W - a, 0, a, b, s.W - a, 0); }
void growFromBottomRight(const StepTarget& t) { Surface s(t); int a, b; cornerSize(s, t.k, a, b); s.pageRect(s.W - a, s.H - b, a, b, s.W - a, s.H - b); }
void diagonalFromTopLeft(const StepTarget& t)
{
    Surface s(t);
    for (int x = 0; x < s.W; ++x)
        s.show(x, t.k - x);
}
void diagonalFromTopRight(const StepTarget& t)
{
    Surface s(t);
    for (int x = 0; x < s.W; ++x)
        s.show(s.W - 1 - x, t.k - x);
}
void diagonalHalves(const StepTarget& t)
{
    Surface s(t);
    const int slope = s.H * 1024 / std::max(1, s.W);
    const int q = (s.W * 1024 / std::max(1, s.H) * t.k + 512) / 1024;
    for (int i = 0; i < s.W; ++i) {
        const int h = (512 + i * slope) / 1024;
        const int len = i < q ? h + 1 : t.k + 1;
        for (int j = 0; j < len; ++j) {
            s.show(i, s.H - h - 1 + j);
            s.show(s.W - i - 1, h - j);
        }
    }
}
void diagonalCorners(const StepTarget& t)
{
    Surface s(t);
    if (t.k == 0) {
        s.show(0, 0);
        s.show(s.W - 1, s.H - 1);
        return;
    }
    const int sl = s.H * 1024 / std::max(1, s.W);
    const int q = std::min(s.W, (s.W * 1024 / std::max(1, s.H) * (t.k + 1) + 512) / 1024);
    for (int i = 0; i < q; ++i) {
        const int top = std::max(1, ((q - i) * sl + 512) / 1024);
        for (int y = 0; y < top; ++y)
            s.show(i, y);
        const int bottom = std::max(1, (512 + i * sl) / 1024);
        for (int y = 0; y < bottom; ++y)
            s.show(s.W - q + i, s.H - 1 - y);
    }
}
void slantedPair(const StepTarget& t)
{
    Surface s(t);
    const int h = ((s.H * 1024 / std::max(1, s.W)) * t.k + 512) / 1024 + 1;
    for (int y = 0; y < h; ++y) {
        s.show(t.k, s.H - 1 - y);
        s.show(s.W - t.k - 1, y);
    }
}
void openWithDarkEdges(const StepTarget& t)
{
    Surface s(t);
    const int left = (s.W - 1) / 2 - t.k;
    const int right = s.W / 2 + t.k;
    s.pageCol(left);
    s.pageCol(right);
    s.blackCol(left - 1);
    s.blackCol(right + 1);
}
void boxOut(const StepTarget& t)
{
    Surface s(t);
    int w, h, sx, sy;
    const int k = t.k;
    if (s.W < s.H) {
        h = std::min(s.H, 2 * k);
        w = std::min(s.W, 2 * k * s.W / s.H);
        sx = k * s.W / s.H, sy = k;
    } else {
        w = std::min(s.W, 2 * k);
        h = std::min(s.H, 2 * k * s.H / s.W);
        sx = k, sy = k * s.H / s.W;
    }
    if (k == t.n - 1)
        w = s.W, h = s.H, sx = s.W / 2, sy = s.H / 2;
    const int x0 = std::max(0, s.W / 2 - sx), y0 = std::max(0, s.H / 2 - sy);
    s.pageRect(x0, y0, w, h, x0, y0);
}
void boxFromSides(const StepTarget& t)
{
    Surface s(t);
    const int m = s.H * t.k / std::max(1, s.W);
    s.pageCol(t.k);
    s.pageCol(s.W - t.k - 1);
    for (int x = t.k + 1; x < s.W - t.k - 1; ++x)
        for (int y = 0; y < m && y < s.H; ++y) {
            s.show(x, y);
            s.show(x, s.H - 1 - y);
        }
}
void diamond(Surface& s, int k, bool inside)
{
    const int sl = s.H * 1024 / std::max(1, s.W);
    int ex, ey;
    if (s.W >= s.H)
        ex = k, ey = (k * sl + 512) / 1024;
    else
        ey = k, ex = (s.W * 1024 / std::max(1, s.H) * k + 512) / 1024;
    const int cx = s.W / 2, cy = s.H / 2;
    for (int x = 0; x < s.W; ++x) {
        const int d = std::abs(x - cx);
        const int reach = d <= ex ? ey - (d * sl) / 1024 : -1;
        for (int y = 0; y < s.H; ++y) {
            const bool in = reach >= 0 && std::abs(y - cy) <= reach;
            if (in == inside)
                s.show(x, y);
        }
    }
}
void diamondOut(const StepTarget& t) { Surface s(t); diamond(s, t.k, true); }
void diamondIn(const StepTarget& t)
{
    Surface s(t);
    diamond(s, std::max(s.W, s.H) - 1 - t.k, false);
    if (t.k == t.n - 1)
        s.wholePage();
}
void fanFrom(const StepTarget& t, bool mirrored)
{
    static constexpr int tanT[5] = {268, 577, 1000, 1732, 3732};
    Surface s(t);
    const int Y = s.H / 2, cx = s.W / 2, odd = s.H % 2;
    // Column j counted from the centre in the right half (or the left, mirrored).
    auto rightX = [&](int j) { return mirrored ? cx - 1 - j : cx + j; };
    auto leftX = [&](int j) { return mirrored ? cx + j : cx - 1 - j; };
    const int k = t.k;
    if (k <= 4) {
        const int cols = std::min(s.W / 2, tanT[k] * Y / 1000);
        for (int j = 0; j < cols; ++j) {
            const int rows = std::max(0, Y - tanT[4 - k] * j / 1000) + odd;
            for (int y = 0; y < rows; ++y) {
                s.show(rightX(j), y);
                s.show(leftX(j), s.H - 1 - y);
            }
        }
    } else if (k == 5) {
        for (int j = 0; j < s.W / 2 + 1; ++j)
            for (int y = 0; y < Y + odd; ++y) {
                s.show(rightX(j), y);
                s.show(leftX(j), s.H - 1 - y);
            }
    } else if (k <= 10) {
        for (int j = 0; j < s.W / 2 + 1; ++j) {
            const int rows = std::min(Y, tanT[k - 6] * j / 1000) + odd;
            for (int y = 0; y < rows; ++y) {
                s.show(rightX(j), Y + y);
                s.show(leftX(j), s.H - 1 - Y - y);
            }
        }
    } else {
        s.wholePage();
    }
}
void fan(const StepTarget& t) { fanFrom(t, false); }
void fanMirrored(const StepTarget& t) { fanFrom(t, true); }
void zigzagThenWipe(const StepTarget& t)
{
    Surface s(t);
    if (t.k < s.W) {
        const int m = t.k / std::max(1, s.H);
        const int h = (m % 2) ? t.k - s.H * m : s.H * (m + 1) - t.k;
        for (int y = 0; y < h && y < s.H; ++y)
            s.show(t.k, s.H - 1 - y);
    } else {
        s.pageCol(2 * s.W - t.k - 1);
    }
}
void blink(const StepTarget& t)
{
    Surface s(t);
    if (t.k % 2 == 0)
        s.wholePage();
    else
        s.black();
}
void interlacedRows(const StepTarget& t)
{
    Surface s(t);
    for (int y = 0; y < s.H; ++y) {
        QRgb* d = s.row(y);
        if (s.W == 0)
            break;
        if (y % 2) {
            std::memmove(d + 1, d, sizeof(QRgb) * (s.W - 1));
            d[0] = s.pg(s.W - t.k - 1, y);
        } else {
            std::memmove(d, d + 1, sizeof(QRgb) * (s.W - 1));
            d[s.W - 1] = s.pg(t.k, y);
        }
    }
}
void rowBands(const StepTarget& t)
{
    Surface s(t);
    const int bands = s.H / 4;
    for (int y = 0; y < s.H; ++y) {
        const int band = y / 4 < bands ? y / 4 : bands;
        const int x = band % 2 ? s.W - t.k - 1 : t.k;
        s.show(x, y);
    }
}
void columnBands(const StepTarget& t)
{
    Surface s(t);
    const int bands = s.W / 4;
    for (int x = 0; x < s.W; ++x) {
        const int band = x / 4 < bands ? x / 4 : bands;
        const int y = band % 2 ? s.H - t.k - 1 : t.k;
        s.show(x, y);
    }
}

// An effect whose first step starts from a black area.
template <StepFn F>
void cleared(const StepTarget& t)
{
    if (t.k == 0) {
        Surface(t).black();
        if (t.state)
            t.state->settledRows = 0;
    }
    F(t);
}

// ---- exit effects ----
void vanish(const StepTarget& t) { Surface(t).black(); }
void moveOutLeft(const StepTarget& t) { Surface s(t); s.scroll(-1, 0); s.blackCol(s.W - 1); }
void moveOutRight(const StepTarget& t) { Surface s(t); s.scroll(+1, 0); s.blackCol(0); }
void moveOutUp(const StepTarget& t) { Surface s(t); s.scroll(0, -1); s.blackRow(s.H - 1); }
void moveOutDown(const StepTarget& t) { Surface s(t); s.scroll(0, +1); s.blackRow(0); }
void halvesOutClosing(const StepTarget& t)
{
    Surface s(t);
    const int h = s.W / 2;
    s.scroll(-1, 0, s.W - h, s.W);
    s.blackCol(s.W - 1);
    s.scroll(+1, 0, 0, h);
    s.blackCol(0);
    if (s.W % 2 && t.k == t.n - 1)
        s.blackCol(h);
}
void halvesOutParting(const StepTarget& t)
{
    Surface s(t);
    const int h = s.W / 2;
    s.scroll(-1, 0, 0, h);
    s.blackCol(h - 1);
    s.scroll(+1, 0, s.W - h, s.W);
    s.blackCol(s.W - h);
    if (s.W % 2 && t.k == t.n - 1)
        s.blackCol(h);
}

// What a phase's step count depends on: the client size, the content size
// (all non-negative) and, for effects repeated through the stay, the period.
struct Extent {
    int W = 0, H = 0, cw = 0, ch = 0;
    unsigned stay = 0;
    unsigned period = 0;
};
using StepCount = unsigned (*)(const Extent&);

namespace count {
unsigned n(int v) { return static_cast<unsigned>(std::max(0, v)); }
unsigned one(const Extent&) { return 1; }
unsigned eight(const Extent&) { return 8; }
unsigned twelve(const Extent&) { return 12; }
unsigned width(const Extent& e) { return n(e.W); }
unsigned height(const Extent& e) { return n(e.H); }
unsigned halfWidth(const Extent& e) { return n(e.W / 2); }
unsigned halfHeight(const Extent& e) { return n(e.H / 2); }
unsigned halfWidthUp(const Extent& e) { return n((e.W + 1) / 2); }
unsigned halfWidthAndOne(const Extent& e) { return n(e.W / 2 + 1); }
unsigned widthOrContent(const Extent& e) { return n(std::max(e.W, e.cw)); }
unsigned heightOrContent(const Extent& e) { return n(std::max(e.H, e.ch)); }
unsigned fourHeights(const Extent& e) { return n(4 * e.H); }
unsigned fourWidths(const Extent& e) { return n(4 * e.W); }
unsigned twoWidths(const Extent& e) { return n(2 * e.W); }
unsigned shorterSide(const Extent& e) { return n(std::min(e.W, e.H)); }
unsigned longerSide(const Extent& e) { return n(std::max(e.W, e.H)); }
unsigned longerSideAndOne(const Extent& e) { return n(std::max(e.W, e.H) + 1); }
unsigned halfLongerAndOne(const Extent& e) { return n(std::max(e.W + 1, e.H + 1) / 2 + 1); }
unsigned bothSides(const Extent& e) { return n(e.W + e.H); }
unsigned throughStay(const Extent& e) { return e.period ? e.stay / e.period : 0; }
} // namespace count

// One row per effect: its name, what a step draws, how many steps it takes.
struct Effect {
    const char* name;
    StepFn step;
    StepCount steps;
};

// Entry effects by code.
constexpr std::array<Effect, 44> kEntry = {{
    {"immediate", immediate, count::one},
    {"move left", moveLeft, count::widthOrContent},
    {"move right", moveRight, count::widthOrContent},
    {"move up", moveUp, count::heightOrContent},
    {"move down", moveDown, count::heightOrContent},
    {"wipe from the left", wipe<kCols, kFromStart, kShow>, count::width},
    {"wipe from the right", wipe<kCols, kFromEnd, kShow>, count::width},
    {"wipe from the top", wipe<kRows, kFromStart, kShow>, count::height},
    {"wipe from the bottom", wipe<kRows, kFromEnd, kShow>, count::height},
    {"close to the centre, horizontally", closeToCentre<kCols, kShow>, count::halfWidth},
    {"open from the centre, horizontally", openFromCentre<kCols, kShow>, count::halfWidth},
    {"close to the centre, vertically", closeToCentre<kRows, kShow>, count::halfHeight},
    {"open from the centre, vertically", openFromCentre<kRows, kShow>, count::halfHeight},
    {"blinds from the left", blinds<kCols, kFromStart, kShow>, count::eight},
    {"blinds from the right", blinds<kCols, kFromEnd, kShow>, count::eight},
    {"blinds from the top", blinds<kRows, kFromStart, kShow>, count::eight},
    {"blinds from the bottom", blinds<kRows, kFromEnd, kShow>, count::eight},
    {"halves closing", halvesClosing, count::halfWidth},
    {"halves opening", halvesOpening, count::halfWidth},
    {"falling pixels", cleared<fallingPixels>, count::fourHeights},
    {"rising pixels", cleared<risingPixels>, count::fourHeights},
    {"stretch from the left", cleared<stretchFromLeft>, count::fourWidths},
    {"stretch from the right", cleared<stretchFromRight>, count::fourWidths},
    {"slide from the top left", cleared<slideFromTopLeft>, count::shorterSide},
    {"grow from the bottom left", cleared<growFromBottomLeft>, count::shorterSide},
    {"grow from the top right", cleared<growFromTopRight>, count::shorterSide},
    {"grow from the bottom right", cleared<growFromBottomRight>, count::shorterSide},
    {"diagonal from the top left", cleared<diagonalFromTopLeft>, count::bothSides},
    {"diagonal from the top right", cleared<diagonalFromTopRight>, count::bothSides},
    {"diagonal halves", cleared<diagonalHalves>, count::height},
    {"diagonal corners", cleared<diagonalCorners>, count::height},
    {"slanted pair", cleared<slantedPair>, count::width},
    {"open with dark edges", cleared<openWithDarkEdges>, count::halfWidthUp},
    {"box out", cleared<boxOut>, count::halfLongerAndOne},
    {"box from the sides", cleared<boxFromSides>, count::halfWidthAndOne},
    {"diamond out", cleared<diamondOut>, count::longerSideAndOne},
    {"diamond in", cleared<diamondIn>, count::longerSide},
    {"fan", cleared<fan>, count::twelve},
    {"fan mirrored", cleared<fanMirrored>, count::twelve},
    {"zigzag, then wipe", cleared<zigzagThenWipe>, count::twoWidths},
    {"blink", blink, count::throughStay},
    {"interlaced rows", interlacedRows, count::width},
    {"row bands", cleared<rowBands>, count::width},
    {"column bands", cleared<columnBands>, count::height},
}};

// Exit effects by code; 0 and 1 both black the area out, 1 at once.
constexpr int kVanishCode = 1;
constexpr std::array<Effect, 20> kExit = {{
    {"black out", vanish, count::one},
    {"vanish", vanish, count::one},
    {"move out left", moveOutLeft, count::width},
    {"move out right", moveOutRight, count::width},
    {"move out up", moveOutUp, count::height},
    {"move out down", moveOutDown, count::height},
    {"wipe out to the left", wipe<kCols, kFromStart, kBlackOut>, count::width},
    {"wipe out to the right", wipe<kCols, kFromEnd, kBlackOut>, count::width},
    {"wipe out upwards", wipe<kRows, kFromStart, kBlackOut>, count::height},
    {"wipe out downwards", wipe<kRows, kFromEnd, kBlackOut>, count::height},
    {"close out to the centre, horizontally", closeToCentre<kCols, kBlackOut>, count::halfWidth},
    {"open out to both sides", openFromCentre<kCols, kBlackOut>, count::halfWidth},
    {"close out to the centre, vertically", closeToCentre<kRows, kBlackOut>, count::halfHeight},
    {"open out to top and bottom", openFromCentre<kRows, kBlackOut>, count::halfHeight},
    {"blinds to the left", blinds<kCols, kFromStart, kBlackOut>, count::eight},
    {"blinds to the right", blinds<kCols, kFromEnd, kBlackOut>, count::eight},
    {"blinds upwards", blinds<kRows, kFromStart, kBlackOut>, count::eight},
    {"blinds downwards", blinds<kRows, kFromEnd, kBlackOut>, count::eight},
    {"halves closing out", halvesOutClosing, count::halfWidth},
    {"halves parting", halvesOutParting, count::halfWidth},
}};

template <std::size_t N>
const Effect* rowOf(const std::array<Effect, N>& rows, int code)
{
    return code >= 0 && code < static_cast<int>(N) ? &rows[static_cast<std::size_t>(code)] : nullptr;
}

unsigned nonNegative(std::int32_t v) { return v < 0 ? 0u : static_cast<unsigned>(v); }

} // namespace

bool isLiveCode(int code)
{
    switch (code) {
    case 44: case 46: case 64: case 66: case 68: case 76: case 78: return true;
    default: return false;
    }
}

bool isLiveScrollCode(int code) { return code == 45 || code == 67 || code == 77; }

StepFn entryStepFunction(int code)
{
    const Effect* row = rowOf(kEntry, code);
    return row ? row->step : drawWholeFromOrigin;
}

StepFn exitStepFunction(int code)
{
    const Effect* row = rowOf(kExit, code);
    return row ? row->step : vanish;
}

void drawWholeFromOrigin(const StepTarget& t)
{
    StepTarget o = t;
    o.px = o.py = 0;
    Surface(o).wholePage();
}

PhasePlan planEntry(int code, const ItemFacts& it)
{
    PhasePlan p;
    p.code = code;
    p.period = it.inSpeed;
    p.periodic = true;
    p.stay = nonNegative(it.stay);
    p.exitPending = it.outCode != 0;
    // Blink and live content repeat through the stay instead of holding it.
    const bool repeats = code == kBlinkCode || isLiveCode(code);
    if (repeats) {
        p.period = std::max<unsigned>(it.inSpeed, 200);
        p.stay = 1;
    }
    const Extent e{std::max(0, it.width), std::max(0, it.height), std::max(0, it.contentWidth),
                   std::max(0, it.contentHeight), nonNegative(it.stay), p.period};
    if (const Effect* row = rowOf(kEntry, code)) {
        p.steps = row->steps(e);
    } else if (isLiveCode(code)) {
        p.steps = std::max(1u, count::throughStay(e));
    } else if (isLiveScrollCode(code)) {
        p.steps = count::widthOrContent(e);
    } else if (code == kAnimationCode) {
        p.steps = it.frameCount;
        p.period = it.firstDelay;
        p.periodic = false;
    } else if (code == kTextEffectCode) {
        p.steps = (it.repeat + 1) * it.frameCount;
        p.period = it.frameInterval;
        p.periodic = false;
    } else {
        p.steps = 1;
    }
    if (repeats)
        return p;
    if ((e.W == 0 || e.H == 0) && code != kAnimationCode && code != kTextEffectCode)
        p.steps = std::min(p.steps, 1u);
    return p;
}

PhasePlan planExit(int code, const ItemFacts& it)
{
    PhasePlan p;
    p.code = code;
    p.period = code == kVanishCode ? 0 : it.outSpeed;
    p.periodic = true;
    p.stay = 0;
    const Extent e{std::max(0, it.width), std::max(0, it.height)};
    const Effect* row = rowOf(kExit, code);
    p.steps = row ? row->steps(e) : 1;
    return p;
}

int pageCountFor(int code, int hPages, int vPages)
{
    hPages = std::max(1, hPages), vPages = std::max(1, vPages);
    if (code == 1 || code == 2)
        return vPages;
    if (code == 3 || code == 4)
        return hPages;
    if (code >= 0 && code <= 43)
        return hPages * vPages;
    return 1;
}

QPoint pageOrigin(int code, int page, int hPages, int width, int height)
{
    hPages = std::max(1, hPages);
    if (code == 1 || code == 2)
        return {0, page * height};
    if (code == 3 || code == 4)
        return {page * width, 0};
    return {(page % hPages) * width, (page / hPages) * height};
}

int randomEntryCode(RandomSource& random)
{
    const int r = random.below(24);
    return r == 23 ? 40 : r;
}

int randomExitCode(RandomSource& random) { return random.below(19); }
int randomBorderMode(RandomSource& random) { return random.below(5); }

}
