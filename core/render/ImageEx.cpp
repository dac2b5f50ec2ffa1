#include "core/render/ImageEx.h"
#include "core/model/Core.h"

#include <QImageReader>
#include <QPainter>

ImageEx::ImageEx(const QString& path)
{
    if (path.isEmpty())
        return;
    QImageReader reader(path);
    reader.setAutoTransform(false);
    // Frames are decoded once: the reader gives a frame's delay only as it is read.
    while (reader.canRead()) {
        QImage frame = reader.read();
        if (frame.isNull())
            break;
        const int delay = reader.nextImageDelay();
        m_frames.push_back(std::move(frame));
        m_delays.push_back(delay > 0 ? static_cast<std::uint32_t>(delay) : 0u);
        if (!reader.supportsAnimation())
            break;
    }
}

const QImage& ImageEx::Frame(std::uint32_t n) const
{
    static const QImage none;
    if (m_frames.empty())
        return none;
    return n < m_frames.size() ? m_frames[n] : m_frames.front();
}

QSize ImageEx::NaturalSize() const { return m_frames.empty() ? QSize() : m_frames.front().size(); }

int ImageEx::DrawFrame(QPainter& dc, int x, int y, int width, int height, std::uint32_t frame) const
{
    const QImage& img = Frame(frame);
    if (img.isNull())
        return 1;
    const int w = width == -1 ? img.width() : width;
    const int h = height == -1 ? img.height() : height;
    dc.save();
    dc.setRenderHint(QPainter::SmoothPixmapTransform, false);
    dc.drawImage(QRect(x, y, w, h), img);
    dc.restore();
    return 1;
}

std::uint32_t ImageEx::DrawInMode(QPainter& dc, const QRect& rect, int mode, std::uint32_t frame) const
{
    if (m_frames.empty() || mode < 0 || mode > 2)
        return 0;
    const QImage& img = Frame(frame);
    switch (mode) {
    case 0:
        DrawFrame(dc, rect.left(), rect.top(), rect.width(), rect.height(), frame);
        break;
    case 1:
        DrawFrame(dc, rect.left() + (rect.width() - img.width()) / 2, rect.top() + (rect.height() - img.height()) / 2,
                  -1, -1, frame);
        break;
    case 2: {
        if (img.width() <= 0 || img.height() <= 0)
            break;
        dc.save();
        dc.setClipRect(rect, Qt::IntersectClip);
        for (int y = rect.top(); y <= rect.bottom(); y += img.height())
            for (int x = rect.left(); x <= rect.right(); x += img.width())
                dc.drawImage(x, y, img);
        dc.restore();
        break;
    }
    default:
        break;
    }
    return frame < FrameCount() ? frame + 1 : 0;
}

void CCore::ReadImageToDCEx(QPainter* dc, const QRect& rect, const char16_t* path, int mode, int frame)
{
    if (!dc || !path)
        return;
    const ImageEx image(QString::fromUtf16(path));
    image.DrawInMode(*dc, rect, mode, frame < 0 ? 0u : static_cast<std::uint32_t>(frame));
}
