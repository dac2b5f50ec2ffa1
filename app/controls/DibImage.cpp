#include "app/controls/DibImage.h"

#include <QImage>
#include <QPainter>

namespace controls {

bool CDibImage::CreateBitmap(int width, int height, int bits)
{
    FreeBitmap();
    if (width <= 0 || height <= 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
        return false;
    m_width = width;
    m_height = height;
    m_bits = bits;
    m_rowSize = rowSizeFor(width, bits);
    m_palette = QList<QRgb>(paletteCountFor(bits), 0);
    m_pixels = QByteArray(static_cast<qsizetype>(m_rowSize) * height, '\0');
    return true;
}

void CDibImage::FreeBitmap()
{
    m_width = m_height = m_bits = m_rowSize = 0;
    m_palette.clear();
    m_pixels.clear();
}

void CDibImage::TintPalette(int percent, platform::COLORREF colour)
{
    int p = qBound(0, percent, 100);
    QRgb c = platform::colorRefToRgb(colour);
    for (QRgb& e : m_palette) {
        e = qRgb((qRed(c) * p + qRed(e) * (100 - p)) / 100, (qGreen(c) * p + qGreen(e) * (100 - p)) / 100,
                 (qBlue(c) * p + qBlue(e) * (100 - p)) / 100) & 0x00FFFFFFu;
    }
}

QImage CDibImage::toImage() const
{
    if (isNull())
        return {};
    QImage img(m_width, m_height, QImage::Format_RGB32);
    for (int y = 0; y < m_height; ++y) {
        const std::uint8_t* src = row(y);
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < m_width; ++x) {
            QRgb v;
            switch (m_bits) {
            case 1: v = m_palette[(src[x / 8] >> (7 - x % 8)) & 1]; break;
            case 4: v = m_palette[(src[x / 2] >> (x % 2 ? 0 : 4)) & 0xF]; break;
            case 8: v = m_palette[src[x]]; break;
            case 24: v = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
            default: v = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]); break;
            }
            dst[x] = v | 0xFF000000u;
        }
    }
    return img;
}

void CDibImage::DrawAt(QPainter& p, int x, int y) const
{
    if (isNull())
        return;
    p.drawImage(x, y, toImage());
}

QList<QRgb> shadePalette(QRgb shadow, QRgb face, QRgb highlight)
{
    QList<QRgb> pal(256);
    auto mix = [](QRgb a, QRgb b, int wa, int wb) {
        return qRgb((qRed(a) * wa + qRed(b) * wb) / 128, (qGreen(a) * wa + qGreen(b) * wb) / 128,
                    (qBlue(a) * wa + qBlue(b) * wb) / 128) & 0x00FFFFFFu;
    };
    for (int e = 0; e <= 128; ++e)
        pal[e] = mix(face, shadow, e, 128 - e);
    for (int m = 1; m <= 128; ++m)
        pal[127 + m] = mix(highlight, face, m, 128 - m);
    return pal;
}

} // namespace controls
