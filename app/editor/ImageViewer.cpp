#include "app/editor/ImageViewer.h"

#include "platform/OperatorFile.h"

#include <QImageReader>
#include <QPainter>

namespace editor {

ImageFrames decodeImageFrames(const QString& path)
{
    ImageFrames out;
    platform::ImageFileSource source(path);
    QImageReader& reader = source.reader();
    // A damaged file may claim endless frames: a bound keeps memory in check.
    for (int i = 0; i < 2000; ++i) {
        QImage frame = reader.read();
        if (frame.isNull())
            break;
        out.frames.append(frame);
        out.delays.append(reader.nextImageDelay());
        if (!reader.canRead())
            break;
    }
    return out;
}

CImageViewer::CImageViewer(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CImageViewer::nextFrame);
}

CImageViewer::~CImageViewer() { StopAnimation(); }

int CImageViewer::frameDelay(int frame) const
{
    if (frame < 0 || frame >= m_image.delays.size())
        return kShortFrameDelayMs;
    const int d = m_image.delays[frame];
    return d < kMinFrameDelayMs ? kShortFrameDelayMs : d;
}

void CImageViewer::StartAnimation(const ImageFrames& image)
{
    StopAnimation();
    if (image.isNull()) {
        update();
        return;
    }
    m_image = image;
    m_current = 0;
    if (frameCount() >= 2)
        m_timer.start(frameDelay(0));
    update();
}

void CImageViewer::StopAnimation()
{
    m_timer.stop();
    m_image = ImageFrames{};
    m_current = 0;
    update();
}

void CImageViewer::nextFrame()
{
    if (frameCount() < 2)
        return;
    m_current = (m_current + 1) % frameCount();
    update();
    m_timer.start(frameDelay(m_current));
}

void CImageViewer::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_image.isNull()) {
        p.fillRect(rect(), palette().button());
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), m_image.frames[m_current]);
}

} // namespace editor
