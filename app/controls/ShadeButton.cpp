#include "app/controls/ShadeButton.h"

#include <QPainter>

namespace controls {

CShadeButton::CShadeButton(QWidget* parent) : CIconButton(parent) {}

void CShadeButton::resizeEvent(QResizeEvent* e)
{
    SetShade();
    CIconButton::resizeEvent(e);
}

void CShadeButton::SetShade(std::uint32_t seed)
{
    const int w = qMax(1, width()), h = qMax(1, height());
    const QPalette& pal = palette();
    QList<QRgb> shades = shadePalette(pal.color(QPalette::Dark).rgb(), pal.color(QPalette::Button).rgb(),
                                      pal.color(QPalette::Light).rgb());
    m_normal.CreateBitmap(w, h, 8);
    m_hStrip.CreateBitmap(w, 1, 8);
    m_vStrip.CreateBitmap(1, h, 8);
    for (CDibImage* d : {&m_normal, &m_hStrip, &m_vStrip})
        d->palette() = shades;
    m_normal.TintPalette(5, platform::makeColorRef(55, 55, 255));
    for (int x = 0; x < w; ++x)
        m_hStrip.row(0)[x] = (x % 2) ? 255 : 0;
    for (int y = 0; y < h; ++y)
        m_vStrip.row(y)[0] = (y % 2) ? 255 : 0;
    ShadeNoise noise(seed);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* line = m_normal.row(y);
        for (int x = 0; x < w; ++x)
            line[x] = static_cast<std::uint8_t>((y * 239) / h + noise.next() / 2047);
    }
    m_normalCopy = m_normal;
    m_hot = m_normal;
    m_hot.TintPalette(20, platform::fromQColor(pal.color(QPalette::Light)));
    m_hotCopy = m_hot;
    update();
}

void CShadeButton::DrawBackground(QPainter& p, const QRect& r)
{
    if (m_normal.isNull()) {
        CIconButton::DrawBackground(p, r);
        return;
    }
    if (!isHot())
        m_normal.DrawAt(p, 0, 0);
    else if (isPressedLook())
        m_hot.DrawAt(p, 1, 1);
    else
        m_hot.DrawAt(p, 0, 0);
}

} // namespace controls
