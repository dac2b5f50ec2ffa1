#pragma once
// A picture opened from a file with all its frames and their delays, so that
// one frame of an animation can be drawn on demand.
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class ItemRecord;

namespace sorvane::render {

// A wide path field of at most n characters, up to its terminator.
QString WidePathField(const char16_t* field, std::size_t n);
// The file path of a picture record.
QString PictureRecordPath(const ItemRecord& record);

// Frames a picture file holds, counted without decoding them (0 when it
// cannot be read).
std::uint32_t PictureFileFrameCount(const QString& path);

// Reads a picture's frames one after the other, so that only one is held.
class PictureFrameStream {
public:
    explicit PictureFrameStream(const QString& path);
    ~PictureFrameStream();
    PictureFrameStream(const PictureFrameStream&) = delete;
    PictureFrameStream& operator=(const PictureFrameStream&) = delete;
    // The next frame; false when there is none.
    bool next(QImage& frame);

private:
    struct Impl;
    Impl* m_impl;
};

// Frame n of a picture file for a player that draws one frame after
// another (frame 0 past the end); null when the file does not load.
QImage PlayerFrame(const QString& path, std::uint32_t frame);

// Frame 0 of a picture file and the file's frame count (0 when it does not
// load), as ImageEx(path, 0) gives them, decoded once while the file is in
// use: the painters of the items that show one file share it. A changed
// file is decoded again. Any thread.
struct FirstFrame {
    QImage frame;
    std::uint32_t count = 0;
};
std::shared_ptr<const FirstFrame> SharedFirstFrame(const QString& path);
// The most decoded bytes kept for files nothing is painting from (16 MiB).
constexpr std::int64_t FIRST_FRAME_CACHE_BYTES = std::int64_t(16) << 20;

class ImageEx {
public:
    // Decodes every frame.
    explicit ImageEx(const QString& path);
    // Decodes frames 0 to `lastFrame` only; the count is still the file's.
    ImageEx(const QString& path, std::uint32_t lastFrame);
    ImageEx(const ImageEx&) = delete;
    ImageEx& operator=(const ImageEx&) = delete;

    // 0 when the file did not load.
    std::uint32_t FrameCount() const { return m_count; }
    // Delay of each frame in milliseconds, as the file gives it.
    const std::vector<std::uint32_t>& FrameDelays() const { return m_delays; }
    // Frame n, or frame 0 when n is out of range or was not decoded; a null
    // image when there is none.
    const QImage& Frame(std::uint32_t n) const;
    QSize NaturalSize() const;

    // Draws a frame scaled into (x, y, width, height); -1 takes the natural
    // width or height. A frame index at or past the count draws frame 0.
    int DrawFrame(QImage& dc, int x, int y, int width, int height, std::uint32_t frame) const;

    // Draws a frame into the rectangle by display mode: 0 stretched, 1 natural
    // size centred, 2 natural size tiled from the top-left corner, clipped to
    // the rectangle. A frame index at or past the count draws frame 0.
    // Returns the next frame index (0 when there is no frame or the mode is unknown).
    std::uint32_t DrawInMode(QImage& dc, const QRect& rect, int mode, std::uint32_t frame) const;

    // Draws one picture into the rectangle by display mode, as DrawInMode does.
    static void DrawPictureInMode(const QImage& picture, QImage& dc, const QRect& rect, int mode);

private:
    void load(const QString& path, std::uint32_t lastFrame);

    std::uint32_t m_count = 0;
    std::vector<QImage> m_frames;
    std::vector<std::uint32_t> m_delays;
};

} // namespace sorvane::render
