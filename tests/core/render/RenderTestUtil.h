#pragma once
// Helpers of the render tests: a reference pixel packer written straight
// from the packing rules (one pixel at a time, nothing precomputed), mask
// runs, little-endian readers and a tiny GIF writer.
#include "core/model/ItemData.h"
#include "core/api/WorkMode.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace reftest {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::size_t o, unsigned v)
{
    b[o] = std::uint8_t(v);
    b[o + 1] = std::uint8_t(v >> 8);
}
inline void put32(Bytes& b, std::size_t o, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[o + i] = std::uint8_t(v >> (8 * i));
}
inline std::uint32_t get32(const Bytes& b, std::size_t o)
{
    return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (std::uint32_t(b[o + 3]) << 24);
}
inline std::uint16_t get16(const Bytes& b, std::size_t o) { return std::uint16_t(b[o] | (b[o + 1] << 8)); }
inline void append(Bytes& a, const Bytes& b) { a.insert(a.end(), b.begin(), b.end()); }

struct Mode {
    int code = 17;
    int scan = 4;
    bool swap = false;
    std::uint32_t threshold = 128;
};
inline std::ostream& operator<<(std::ostream& os, const Mode& m)
{
    return os << "mode " << m.code << " scan " << m.scan << (m.swap ? " swap" : "");
}

// Bit of a colour channel (0 red, 1 green, 2 blue) on data line L.
inline std::uint32_t lineBit(int colours, bool swap, int channel, int L)
{
    if (swap && colours >= 2 && channel < 2)
        channel = 1 - channel;
    if (colours == 1)
        return channel == 0 && L < 32 ? 1u << L : 0;
    if (colours == 2) {
        if (channel == 2 || L >= 16)
            return 0;
        if (channel == 0)
            return L < 8 ? 1u << L : 1u << (16 + L - 8);
        return L < 8 ? 1u << (8 + L) : 1u << (24 + L - 8);
    }
    return L < 8 ? 1u << (4 * L + channel) : 0;
}

inline unsigned roundUp16(unsigned w) { return (w + 15) / 16 * 16; }

// The page of an image W wide (W already a multiple of 16).
inline Bytes page(const QImage& img, const Mode& m, bool positive)
{
    const LedWorkMode wm = LookupWorkMode(m.code);
    const int W = img.width(), RF = wm.RowFold, scan = m.scan, R = scan * RF;
    const int G = wm.ColumnGroup ? wm.ColumnGroup : W;
    std::vector<std::uint32_t> words(std::size_t(W) * RF * scan, positive ? 0u : 0xFFFFFFFFu);
    const unsigned tr = m.threshold, tg = wm.ColourCount >= 2 ? m.threshold : 256,
                   tb = wm.ColourCount == 3 ? m.threshold : 256;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < W; ++x) {
            const QRgb c = img.pixel(x, y);
            const bool lit[3] = {unsigned(qRed(c)) >= tr, unsigned(qGreen(c)) >= tg, unsigned(qBlue(c)) >= tb};
            const int L = y / R;
            std::uint32_t all = 0, bits = 0;
            for (int ch = 0; ch < 3; ++ch) {
                const std::uint32_t b = lineBit(wm.ColourCount, m.swap, ch, L);
                all |= b;
                if (lit[ch] == positive)
                    bits |= b;
            }
            if (!all)
                continue;
            const int s = y % scan;
            std::size_t index;
            if (m.code == 35) {
                const int half = G / 2, u = x % G, mm = (y % R) / scan;
                const int base = 2 * G * ((RF - mm - 1) >> 1);
                int v = u < half ? u + base + (mm % 2 == 0 ? half : 0) : u + base + (mm % 2 ? half : G);
                if (v >= RF * G)
                    v = 0;
                index = std::size_t(v) + std::size_t(s) * W * RF + std::size_t(G) * (x / G) * RF;
            } else {
                const int q = (y % R) / scan;
                const int f = wm.FoldOrder == 1 ? q : wm.FoldOrder == 2 ? RF - 1 - q : 0;
                const int h = x % G + G * (f + (x / G) * RF);
                index = std::size_t(h) + std::size_t(s) * W * RF;
            }
            words[index] = bits | (words[index] & ~all);
        }
    Bytes out(words.size() * 4);
    for (std::size_t i = 0; i < words.size(); ++i)
        put32(out, 4 * i, words[i]);
    return out;
}

inline Bytes maskRuns(const Bytes& pg, int W, const Mode& m)
{
    const LedWorkMode wm = LookupWorkMode(m.code);
    const int RF = wm.RowFold, G = wm.ColumnGroup ? wm.ColumnGroup : W;
    auto col = [&](int x) {
        std::array<std::uint32_t, 16> w{};
        for (int s = 0; s < m.scan; ++s)
            for (int f = 0; f < RF; ++f)
                w[f + s * RF] = get32(pg, 4 * (std::size_t(x % G + G * (f + (x / G) * RF)) + std::size_t(s) * W * RF));
        return w;
    };
    Bytes out;
    int first = 0;
    for (int x = 1; x <= W; ++x) {
        if (x < W && col(x) == col(first))
            continue;
        Bytes r(72, 0);
        put16(r, 0, first);
        put16(r, 2, x - 1);
        put16(r, 4, x - first);
        put16(r, 6, 72);
        const auto w = col(first);
        for (int i = 0; i < 16; ++i)
            put32(r, 8 + 4 * i, w[i]);
        append(out, r);
        first = x;
    }
    return out;
}

// A GIF of equally sized frames in a four-colour palette, each pixel a
// palette index 0-3, with delays in hundredths of a second.
inline QByteArray makeGif(int w, int h, const std::vector<std::vector<std::uint8_t>>& frames,
                          const std::vector<int>& delays, const std::array<QRgb, 4>& palette)
{
    QByteArray g("GIF89a");
    auto u16 = [&](int v) {
        g.append(char(v & 0xFF));
        g.append(char((v >> 8) & 0xFF));
    };
    u16(w);
    u16(h);
    g.append(char(0x81));   // global table of 4 entries
    g.append(char(0));
    g.append(char(0));
    for (QRgb c : palette) {
        g.append(char(qRed(c)));
        g.append(char(qGreen(c)));
        g.append(char(qBlue(c)));
    }
    if (frames.size() > 1) {   // loop forever
        g.append("\x21\xFF\x0B" "NETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        g.append("\x21\xF9\x04\x04", 4);
        u16(i < delays.size() ? delays[i] : 0);
        g.append(char(0));
        g.append(char(0));
        g.append(char(0x2C));
        u16(0);
        u16(0);
        u16(w);
        u16(h);
        g.append(char(0));
        g.append(char(2));   // minimum code size
        // Every two pixels a clear code, so codes stay 3 bits wide.
        std::vector<int> codes;
        for (std::size_t p = 0; p < frames[i].size(); p += 2) {
            codes.push_back(4);
            codes.push_back(frames[i][p]);
            if (p + 1 < frames[i].size())
                codes.push_back(frames[i][p + 1]);
        }
        codes.push_back(5);
        QByteArray data;
        std::uint32_t acc = 0;
        int nbits = 0;
        for (int c : codes) {
            acc |= std::uint32_t(c) << nbits;
            nbits += 3;
            while (nbits >= 8) {
                data.append(char(acc & 0xFF));
                acc >>= 8;
                nbits -= 8;
            }
        }
        if (nbits)
            data.append(char(acc & 0xFF));
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const qsizetype n = std::min<qsizetype>(255, data.size() - at);
            g.append(char(n));
            g.append(data.mid(at, n));
        }
        g.append(char(0));
    }
    g.append(char(0x3B));
    return g;
}

} // namespace reftest
