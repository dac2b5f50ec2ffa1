#include "core/render/ImageEx.h"
#include "core/model/Core.h"
#include "core/model/ItemData.h"
#include "core/model/Utilities.h"
#include "core/render/ClockText.h"

#include <QImageReader>
#include <QPainter>

QString WidePathField(const char16_t* field, std::size_t n)
{
    std::size_t len = 0;
    while (len < n && field[len])
        ++len;
    return QString::fromUtf16(field, static_cast<qsizetype>(len));
}

QString PictureRecordPath(const ItemRecord& record)
{
    return render::RecordText(record, PIC_RECORD_PATH, 260);
}

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

int ImageEx::DrawFrame(QImage& dc, int x, int y, int width, int height, std::uint32_t frame) const
{
    const QImage& img = Frame(frame);
    if (img.isNull() || dc.isNull())
        return 1;
    QPainter p(&dc);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRect(x, y, width == -1 ? img.width() : width, height == -1 ? img.height() : height), img);
    return 1;
}

std::uint32_t ImageEx::DrawInMode(QImage& dc, const QRect& rect, int mode, std::uint32_t frame) const
{
    if (m_frames.empty() || mode < 0 || mode > 2 || rect.width() <= 0 || rect.height() <= 0 || dc.isNull())
        return 0;
    const std::uint32_t n = frame < FrameCount() ? frame : 0;
    // Drawn at the origin of an area of the rectangle's size, so centring and
    // tiling are measured in the rectangle wherever it lies.
    QImage area(rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (area.isNull())
        return 0;
    area.fill(Qt::transparent);
    DrawImageFrame(m_frames, 0, area, 0, rect.width(), rect.height(), mode, static_cast<int>(n));
    QPainter p(&dc);
    p.drawImage(rect.topLeft(), area);
    return frame < FrameCount() ? frame + 1 : 0;
}

void CCore::ReadImageToDCEx(QImage* dc, const QRect& rect, const char16_t* path, int mode, int frame)
{
    if (!dc || !path)
        return;
    try {
        const ImageEx image(QString::fromUtf16(path));
        image.DrawInMode(*dc, rect, mode, frame < 0 ? 0u : static_cast<std::uint32_t>(frame));
    } catch (...) {
        // A picture too large to hold draws nothing.
    }
}

int CCore::ReadGifImageFile(const char16_t* /*path*/, tagItemData* node)
{
    // The node's own record names the file.
    if (!node || node->Level != LEVEL_PROGRAM || node->Item.TypeCode != IT_GIF || !node->Item.TypeRecord)
        return 0;
    try {
        ItemRecord* rec = node->Item.TypeRecord;
        const QString path = PictureRecordPath(*rec);
        return ReadGifFrameDelays(rec, path);
    } catch (...) {
        return 0;
    }
}
