#pragma once
// A small device-independent bitmap with a palette: the shaded faces of the
// shaded buttons and the textures of the drawing helpers. Rows are stored top
// row first, each padded to a multiple of four bytes.
#include "platform/Colour.h"

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <cstdint>

class QPainter;
class QImage;

namespace controls {

class CDibImage {
public:
    CDibImage() = default;
    virtual ~CDibImage() = default;
    CDibImage(const CDibImage&) = default;
    CDibImage& operator=(const CDibImage&) = default;

    bool CreateBitmap(int width, int height, int bitsPerPixel);
    void FreeBitmap();
    // Moves every palette entry percent % (at most 100) towards the colour.
    void TintPalette(int percent, platform::COLORREF colour);
    void DrawAt(QPainter& p, int x, int y) const;
    QImage toImage() const;

    bool isNull() const { return m_pixels.isEmpty(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitsPerPixel() const { return m_bits; }
    int paletteCount() const { return static_cast<int>(m_palette.size()); }
    int rowSize() const { return m_rowSize; }
    // Palette entries as 0x00RRGGBB (the order of a DIB palette's bytes B, G, R).
    QList<QRgb>& palette() { return m_palette; }
    const QList<QRgb>& palette() const { return m_palette; }
    std::uint8_t* row(int y) { return reinterpret_cast<std::uint8_t*>(m_pixels.data()) + y * m_rowSize; }
    const std::uint8_t* row(int y) const
    {
        return reinterpret_cast<const std::uint8_t*>(m_pixels.constData()) + y * m_rowSize;
    }

    static int paletteCountFor(int bits) { return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0; }
    static int rowSizeFor(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

private:
    int m_width = 0, m_height = 0, m_bits = 0, m_rowSize = 0;
    QList<QRgb> m_palette;
    QByteArray m_pixels;
};

// The pseudo-random noise of the shaded faces: the classic C library
// generator, values 0..32767, so that next() / 2047 stays within 0..16 and a
// seed always gives the same face.
class ShadeNoise {
public:
    explicit ShadeNoise(std::uint32_t seed = 1) : m_state(seed) {}
    int next()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_state;
};

// The 256-entry shade palette from shadow over face to highlight.
QList<QRgb> shadePalette(QRgb shadow, QRgb face, QRgb highlight);

} // namespace controls
