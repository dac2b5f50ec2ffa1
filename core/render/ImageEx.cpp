#include "core/render/ImageEx.h"
#include "core/api/OwnerThread.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/model/Utilities.h"
#include "core/render/ClockText.h"
#include "platform/OperatorFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <limits>
#include <list>
#include <memory>
#include <mutex>

using namespace sorvane::model;

namespace sorvane::render {

QString WidePathField(const char16_t* field, std::size_t n)
{
    std::size_t len = 0;
    while (len < n && field[len])
        ++len;
    return QString::fromUtf16(field, static_cast<qsizetype>(len));
}

QString PictureRecordPath(const ItemRecord& record)
{
    return record.get(records::picture::Path);
}

std::uint32_t PictureFileFrameCount(const QString& path)
{
    if (path.isEmpty())
        return 0;
    platform::ImageFileSource source(path);
    QImageReader& reader = source.reader();
    if (!reader.canRead())
        return 0;
    // The count is scanned from the file's blocks; no frame is decoded.
    return static_cast<std::uint32_t>(std::max(1, reader.imageCount()));
}

struct PictureFrameStream::Impl {
    platform::ImageFileSource source;
    QImageReader& reader;
    bool first = true;
    explicit Impl(const QString& path) : source(path), reader(source.reader()) { reader.setAutoTransform(false); }
};

PictureFrameStream::PictureFrameStream(const QString& path) : m_impl(new Impl(path)) {}
PictureFrameStream::~PictureFrameStream() { delete m_impl; }

bool PictureFrameStream::next(QImage& frame)
{
    if (!m_impl->first && !m_impl->reader.supportsAnimation())
        return false;
    m_impl->first = false;
    if (!m_impl->reader.canRead())
        return false;
    frame = m_impl->reader.read();
    return !frame.isNull();
}

ImageEx::ImageEx(const QString& path) { load(path, std::numeric_limits<std::uint32_t>::max()); }

ImageEx::ImageEx(const QString& path, std::uint32_t lastFrame) { load(path, lastFrame); }

void ImageEx::load(const QString& path, std::uint32_t lastFrame)
{
    if (path.isEmpty())
        return;
    platform::ImageFileSource source(path);
    QImageReader& reader = source.reader();
    reader.setAutoTransform(false);
    const bool complete = lastFrame == std::numeric_limits<std::uint32_t>::max();
    // Frames are decoded once: the reader gives a frame's delay only as it is read.
    while (reader.canRead()) {
        QImage frame = reader.read();
        if (frame.isNull())
            break;
        const int delay = reader.nextImageDelay();
        m_frames.push_back(std::move(frame));
        m_delays.push_back(delay > 0 ? static_cast<std::uint32_t>(delay) : 0u);
        if (!reader.supportsAnimation() || m_frames.size() > lastFrame)
            break;
    }
    m_count = static_cast<std::uint32_t>(m_frames.size());
    if (!complete && !m_frames.empty())
        m_count = std::max(m_count, PictureFileFrameCount(path));
}

const QImage& ImageEx::Frame(std::uint32_t n) const
{
    static const QImage none;
    if (m_frames.empty())
        return none;
    return n < m_count && n < m_frames.size() ? m_frames[n] : m_frames.front();
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

void ImageEx::DrawPictureInMode(const QImage& picture, QImage& dc, const QRect& rect, int mode)
{
    if (picture.isNull() || mode < 0 || mode > 2 || rect.width() <= 0 || rect.height() <= 0 || dc.isNull())
        return;
    // Drawn at the origin of an area of the rectangle's size, so centring and
    // tiling are measured in the rectangle wherever it lies.
    QImage area(rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (area.isNull())
        return;
    area.fill(Qt::transparent);
    const std::vector<QImage> one{picture};
    DrawImageFrame(one, 0, area, 0, rect.width(), rect.height(), mode, 0);
    QPainter p(&dc);
    p.drawImage(rect.topLeft(), area);
}

std::uint32_t ImageEx::DrawInMode(QImage& dc, const QRect& rect, int mode, std::uint32_t frame) const
{
    if (m_frames.empty() || mode < 0 || mode > 2 || rect.width() <= 0 || rect.height() <= 0 || dc.isNull())
        return 0;
    DrawPictureInMode(Frame(frame), dc, rect, mode);
    return frame < FrameCount() ? frame + 1 : 0;
}

namespace {

// Decoded first frames by file, the most recently used first.
struct FirstFrameCache {
    struct Entry {
        QString path;
        qint64 size;
        QDateTime modified;
        std::shared_ptr<const FirstFrame> decoded;
    };
    std::mutex mutex;
    std::list<Entry> entries;
    std::int64_t bytes = 0;
};

FirstFrameCache& firstFrames()
{
    static FirstFrameCache cache;
    return cache;
}

} // namespace

std::shared_ptr<const FirstFrame> SharedFirstFrame(const QString& path)
{
    if (path.isEmpty())
        return std::make_shared<const FirstFrame>();
    const QFileInfo info(path);
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    FirstFrameCache& cache = firstFrames();
    const auto same = [&](const FirstFrameCache::Entry& e) {
        return e.path == path && e.size == size && e.modified == modified;
    };
    {
        const std::lock_guard lock(cache.mutex);
        const auto it = std::find_if(cache.entries.begin(), cache.entries.end(), same);
        if (it != cache.entries.end()) {
            cache.entries.splice(cache.entries.begin(), cache.entries, it);
            return it->decoded;
        }
    }
    // Decoded outside the lock: another file's painter need not wait for it.
    auto decoded = std::make_shared<FirstFrame>();
    {
        const ImageEx image(path, 0);
        decoded->frame = image.Frame(0);
        decoded->count = image.FrameCount();
    }
    const std::int64_t bytes = decoded->frame.sizeInBytes();
    std::vector<std::shared_ptr<const FirstFrame>> dropped;   // freed after the lock
    const std::lock_guard lock(cache.mutex);
    const auto it = std::find_if(cache.entries.begin(), cache.entries.end(), same);
    if (it != cache.entries.end())
        return it->decoded;   // decoded meanwhile by another thread
    // Entries of the same path that are out of date go first.
    for (auto e = cache.entries.begin(); e != cache.entries.end();) {
        if (e->path == path) {
            cache.bytes -= e->decoded->frame.sizeInBytes();
            dropped.push_back(std::move(e->decoded));
            e = cache.entries.erase(e);
        } else {
            ++e;
        }
    }
    if (bytes <= FIRST_FRAME_CACHE_BYTES) {
        cache.entries.push_front({path, size, modified, decoded});
        cache.bytes += bytes;
        while (cache.bytes > FIRST_FRAME_CACHE_BYTES && !cache.entries.empty()) {
            cache.bytes -= cache.entries.back().decoded->frame.sizeInBytes();
            dropped.push_back(std::move(cache.entries.back().decoded));
            cache.entries.pop_back();
        }
    }
    return decoded;
}

namespace {

// A player asks for frame after frame of the same file: the reader is kept
// where it stopped, so each frame is decoded once and only one is held. A
// changed path or file starts again.
struct PlayerCursor {
    std::mutex mutex;
    QString path;
    QDateTime modified;
    qint64 size = -1;
    std::unique_ptr<PictureFrameStream> stream;
    std::uint32_t count = 0;
    std::uint32_t read = 0;   // frames taken from the stream
    QImage last;              // frame read - 1
};

PlayerCursor& playerCursor()
{
    static PlayerCursor cursor;
    return cursor;
}

} // namespace

QImage PlayerFrame(const QString& path, std::uint32_t frame)
{
    PlayerCursor& c = playerCursor();
    const std::lock_guard lock(c.mutex);
    const QFileInfo info(path);
    if (path != c.path || info.lastModified() != c.modified || info.size() != c.size) {
        c.path = path;
        c.modified = info.lastModified();
        c.size = info.size();
        c.count = PictureFileFrameCount(path);
        c.stream.reset();
        c.read = 0;
        c.last = QImage();
    }
    if (c.count == 0)
        return {};
    if (frame >= c.count)
        frame = 0;
    if (c.read > 0 && frame + 1 == c.read)
        return c.last;
    if (!c.stream || frame + 1 < c.read) {
        c.stream = std::make_unique<PictureFrameStream>(path);
        c.read = 0;
        c.last = QImage();
    }
    QImage next;
    while (c.read <= frame && c.stream->next(next)) {
        c.last = std::move(next);
        ++c.read;
    }
    if (c.read <= frame) {
        // Fewer frames than counted: the first stands in, as for any frame past the end.
        c.stream.reset();
        c.read = 0;
        const ImageEx first(path, 0);
        return first.Frame(0);
    }
    return c.last;
}

} // namespace sorvane::render

using namespace sorvane::render;

void CCore::ReadImageToDCEx(QImage* dc, const QRect& rect, const char16_t* path, int mode, int frame)
{
    if (!dc || !path)
        return;
    try {
        const QImage picture = PlayerFrame(QString::fromUtf16(path), frame < 0 ? 0u : static_cast<std::uint32_t>(frame));
        ImageEx::DrawPictureInMode(picture, *dc, rect, mode);
    } catch (...) {
        // A picture too large to hold draws nothing.
    }
}

int CCore::ReadGifImageFile(const char16_t* /*path*/, tagItemData* node)
{
    SORVANE_ASSERT_NODE_OWNER(node);
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
