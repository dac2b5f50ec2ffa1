#pragma once
// A picture box that shows one picture stretched over its area and plays
// the frames of an animated one (GIF) with their own delays. The frames are
// decoded before they are handed over (off the GUI thread, by the caller);
// playing is a timer on the GUI thread, so painting needs no lock.
#include <QImage>
#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace editor {

// The frames of a picture file and the delay after each (ms).
struct ImageFrames {
    QList<QImage> frames;
    QList<int> delays;
    bool isNull() const { return frames.isEmpty(); }
};
// Decodes every frame; empty for a file that is no picture.
ImageFrames decodeImageFrames(const QString& path);

// Frames shown shorter than this get the common 100 ms instead: files with
// delay 0 would otherwise spin the timer.
// Where a picture of `picture` size is drawn in `area`: as large as fits, in
// its own proportions, centred.
QRect fittedRect(QSize picture, const QRect& area);

inline constexpr int kMinFrameDelayMs = 20;
inline constexpr int kShortFrameDelayMs = 100;

class CImageViewer : public QWidget {
    Q_OBJECT
public:
    explicit CImageViewer(QWidget* parent = nullptr);
    ~CImageViewer() override;

    // Stops what plays and shows the picture (null: nothing). A picture of
    // two or more frames starts playing from frame 0.
    void StartAnimation(const ImageFrames& image);
    // Stops playing and lets the picture go.
    void StopAnimation();

    bool hasImage() const { return !m_image.isNull(); }
    bool isAnimating() const { return m_timer.isActive(); }
    int frameCount() const { return int(m_image.frames.size()); }
    int currentFrame() const { return m_current; }
    // The delay the frame is shown for (ms).
    int frameDelay(int frame) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void nextFrame();

    ImageFrames m_image;
    int m_current = 0;
    QTimer m_timer;
};

} // namespace editor
