#pragma once
// A picture opened from a file with all its frames and their delays, so that
// one frame of an animation can be drawn on demand.
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

class ItemRecord;

// Fields of the picture record (pictures and GIFs).
constexpr std::size_t PIC_RECORD_MODE = 4;
constexpr std::size_t PIC_RECORD_PATH = 8;
constexpr std::size_t PIC_RECORD_FRAMES = 528;
constexpr std::size_t PIC_RECORD_DELAYS = 532;
constexpr std::size_t PIC_RECORD_MAX_DELAYS = 4096;

// A wide path field of at most n characters, up to its terminator.
QString WidePathField(const char16_t* field, std::size_t n);
// The file path of a picture record.
QString PictureRecordPath(const ItemRecord& record);

class ImageEx {
public:
    explicit ImageEx(const QString& path);
    ImageEx(const ImageEx&) = delete;
    ImageEx& operator=(const ImageEx&) = delete;

    // 0 when the file did not load.
    std::uint32_t FrameCount() const { return static_cast<std::uint32_t>(m_frames.size()); }
    // Delay of each frame in milliseconds, as the file gives it.
    const std::vector<std::uint32_t>& FrameDelays() const { return m_delays; }
    // Frame n, or frame 0 when n is out of range; a null image when there is none.
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

private:
    std::vector<QImage> m_frames;
    std::vector<std::uint32_t> m_delays;
};
