#include "app/shell/TestPatterns.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QPainter>

namespace shell {

QColor testColour(unsigned c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

namespace {

QPainter& linePainter(QPainter& p, QColor colour)
{
    p.setPen(QPen(colour, 1, Qt::SolidLine, Qt::FlatCap));
    p.setRenderHint(QPainter::Antialiasing, false);
    return p;
}

// GDI lines leave out their last point.
void gdiLine(QPainter& p, QPoint a, QPoint b)
{
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < steps; ++i)
        p.drawPoint(a.x() + dx * i / steps, a.y() + dy * i / steps);
}

// Copies the first 8 x 8 cell over every cell.
void tileCell(QImage& picture, int width, int height)
{
    const QImage cell = picture.copy(0, 0, 8, 8);
    QPainter p(&picture);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int row = 0; row <= (height + 7) / 8; ++row)
        for (int col = 0; col <= (width + 7) / 8; ++col)
            p.drawImage(col * 8, row * 8, cell);
}

} // namespace

void drawScanPattern(QImage& picture, int width, int height, QColor colour, int direction)
{
    QPainter p(&picture);
    linePainter(p, colour);
    switch (direction) {
    case 0:
        for (int n = 0; n <= (height + 7) / 8; ++n)
            gdiLine(p, QPoint(0, n * 8), QPoint(width, n * 8));
        break;
    case 1:
        for (int n = 0; n <= (width + 7) / 8; ++n)
            gdiLine(p, QPoint(n * 8, 0), QPoint(n * 8, height));
        break;
    case 2:
        gdiLine(p, QPoint(0, 0), QPoint(8, 8));
        p.end();
        tileCell(picture, width, height);
        break;
    case 3:
        gdiLine(p, QPoint(7, 0), QPoint(-1, 8));
        p.end();
        tileCell(picture, width, height);
        break;
    default:
        break;
    }
}

void drawGridPattern(QImage& picture, int width, int height, QColor colour)
{
    QPainter p(&picture);
    linePainter(p, colour);
    gdiLine(p, QPoint(0, 0), QPoint(8, 8));
    gdiLine(p, QPoint(0, 8), QPoint(8, 0));
    p.end();
    tileCell(picture, width, height);
}

QImage shiftRows(const QImage& picture, int k)
{
    QImage out = picture.copy();
    if (k <= 0 || picture.height() == 0)
        return out;
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, k, picture);
    p.drawImage(QRect(0, 0, picture.width(), k), picture, QRect(0, 8 - k, picture.width(), k));
    return out;
}

QList<QImage> gridPictures(int width, int height, int colourChoice)
{
    const QColor line = testColour(colourChoice == 1 ? kTestGreen : kTestRed);
    const QColor second = testColour(colourChoice == 0 ? kTestRed : kTestGreen);
    QImage first(width, height, QImage::Format_RGB32);
    first.fill(Qt::black);
    drawGridPattern(first, width, height, line);

    QImage secondPic;
    if (line == second) {
        secondPic = shiftRows(first, 1);
    } else {
        // The lines of the moved pattern in the second colour.
        const QImage moved = shiftRows(first, 1);
        secondPic = QImage(width, height, QImage::Format_RGB32);
        secondPic.fill(Qt::black);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (moved.pixel(x, y) == line.rgb())
                    secondPic.setPixel(x, y, second.rgb());
    }
    QList<QImage> out{first, secondPic};
    for (int k = 2; k <= 6; k += 2) {
        out << shiftRows(first, k);
        out << shiftRows(secondPic, k);
    }
    return out;
}

ScratchScreen::ScratchScreen(CCore& core, const tagItemData* source) : m_core(core)
{
    if (!source)
        return;
    m_header = m_core.CreateItemHeader();
    if (!m_header)
        return;
    m_screen = m_core.AddItem(IT_SCREEN, nullptr, m_header, nullptr);
    if (!m_screen)
        return;
    // The whole screen block: address, size, work mode and link.
    m_screen->Global = source->Global;
    const int w = m_screen->Global.Width, h = m_screen->Global.Height;
    tagItemData* scene = m_core.AddItem(IT_SCENE, nullptr, m_screen, nullptr);
    if (!scene)
        return;
    m_section = m_core.AddItem(IT_WND_CONTENTLIST, nullptr, scene, nullptr);
    if (!m_section || m_core.ChangeItemRect(m_section, 0, 0, w, h) == 0)
        return;
    m_picture = addPicture(nullptr);
}

ScratchScreen::~ScratchScreen()
{
    if (m_header)
        m_core.DeleteItem(m_header);
}

tagItemData* ScratchScreen::addPicture(tagItemData* after)
{
    if (!m_section)
        return nullptr;
    tagItemData* item = m_core.AddItem(IT_IMAGE, nullptr, m_section, after);
    if (item)
        surface(item);
    return item;
}

QImage& ScratchScreen::surface(tagItemData* picture)
{
    const QSize size(m_section->Section.RectW, m_section->Section.RectH);
    QImage& s = m_surfaces[picture];
    if (s.size() != size || s.format() != QImage::Format_RGB32) {
        s = QImage(size, QImage::Format_RGB32);
        s.fill(Qt::black);
    }
    return s;
}

tagItemData* ScratchScreen::GiveSurfaces()
{
    for (auto& [picture, s] : m_surfaces)
        SetNodePicture(picture, s);
    return m_screen;
}

} // namespace shell
