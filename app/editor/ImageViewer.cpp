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

QRect fittedRect(QSize picture, const QRect& area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    const QSize size = picture.scaled(area.size(), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return QRect(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2,
                 size.width(), size.height());
}

void CImageViewer::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    if (m_image.isNull())
        return;
    const QImage& frame = m_image.frames[m_current];
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(fittedRect(frame.size(), rect()), frame);
}

} // namespace editor
