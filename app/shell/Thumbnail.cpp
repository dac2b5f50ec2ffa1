#include "app/shell/Thumbnail.h"

#include "app/spine/Messages.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/MessageBox.h"
#include "app/controls/StaticLink.h"
#include "app/editor/Led.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

namespace shell {

namespace {
constexpr QSize kThumbnailSize(220, 160);
// Where the picture may go (the template's placeholder 6501).
constexpr QRect kArea(10, 26, 200, 120);
constexpr int kSurfaceAlpha = 200;

QRegion roundedRegion(const QRect& r)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(r), 7.5, 7.5);
    return QRegion(path.toFillPolygon().toPolygon());
}
} // namespace

// ---- the overlay ----

CSurface::CSurface(CThumbnail* thumbnail)
    : QWidget(thumbnail)
    , m_thumbnail(thumbnail)
{
    setObjectName(QString::number(CThumbnail::kSurfaceId));
    m_close = new controls::CStaticLink(platform::langDialogText(CThumbnail::kSurfaceId, CThumbnail::kCloseId), this);
    m_close->m_bLink = false;
    controls::setControlId(m_close, CThumbnail::kCloseId);
    m_close->setObjectName(QString::number(CThumbnail::kCloseId));
    connect(m_close, &controls::CStaticLink::commandClicked, this, [this](int) { m_thumbnail->hide(); });
    m_background = platform::langBitmap(CThumbnail::kBackgroundId);
    if (m_background.isNull())
        controls::MessageBox::warning(nullptr, QString(), QStringLiteral("Error!"));
    setAttribute(Qt::WA_TranslucentBackground);
}

void CSurface::resizeEvent(QResizeEvent*)
{
    m_close->adjustSize();
    m_close->move(width() - m_close->width() - 10, 6);
    setMask(roundedRegion(rect()));
}

void CSurface::Draw(const QRect& viewRect)
{
    m_view = viewRect;
    update();
}

void CSurface::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The inside of the view frame stays clear, so the picture shows through.
    QRegion outside(rect());
    if (m_view.isValid())
        outside -= QRegion(m_view.adjusted(1, 1, -1, -1));
    p.setClipRegion(outside);
    p.setOpacity(kSurfaceAlpha / 255.0);
    if (!m_background.isNull())
        p.drawImage(rect(), m_background);
    else
        p.fillRect(rect(), QColor(40, 40, 48));
    p.setOpacity(1.0);
    // The link is drawn in its own blue: it keeps a light plate to stay legible.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 240));
    p.drawRoundedRect(QRectF(m_close->geometry().adjusted(-5, -1, 5, 1)), 4, 4);
    if (m_view.isValid()) {
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(m_view.adjusted(0, 0, -1, -1));
    }
}

// The overlay lies over the whole thumbnail: the mouse is the thumbnail's.
void CSurface::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        m_thumbnail->mouseDown(mapTo(m_thumbnail, e->position().toPoint()));
}

void CSurface::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton)
        m_thumbnail->mouseDrag(mapTo(m_thumbnail, e->position().toPoint()));
}

void CSurface::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        m_thumbnail->mouseUp();
}

// ---- the thumbnail ----

CThumbnail::CThumbnail(QWidget* parent)
    : QWidget(parent)
    , m_area(kArea)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(platform::langDialogText(kTemplateId, 0));
    setFixedSize(kThumbnailSize);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_surface = new CSurface(this);
    m_surface->setGeometry(rect());
    setMask(roundedRegion(rect()));
    m_picture = QImage();
    hide();
}

void CThumbnail::Resize(int width, int height)
{
    // Nothing to scale (or more than any screen's picture): the picture stays
    // empty and the view frame is ignored.
    if (width <= 0 || height <= 0 || std::int64_t(width) * height > MAX_PREVIEW_PIXELS) {
        m_picture = QImage();
        m_scale = 0.0f;
        m_pictureRect = QRect();
        update();
        return;
    }
    const bool relayout = m_picture.isNull() || m_picture.width() != width || m_picture.height() != height;
    QImage picture(width, height, QImage::Format_RGB32);
    if (picture.isNull())
        return;
    picture.fill(Qt::black);
    m_picture = std::move(picture);
    if (relayout) {
        const int ax0 = m_area.left(), ay0 = m_area.top();
        const int aw = m_area.width(), ah = m_area.height();
        int left = ax0, top = ay0, shownW = 0, shownH = 0;
        if (width < height) {
            m_scale = float(ah) / float(height);
            shownH = ah;
            shownW = int(m_scale * float(width) + 1.0f);
            left = ax0 + (aw - shownW) / 2;
        } else {
            m_scale = float(aw) / float(width);
            shownW = aw;
            shownH = int(m_scale * float(height) + 1.0f);
            top = ay0 + (ah - shownH) / 2;
        }
        m_pictureRect = QRect(left, top, shownW, shownH);
    }
    update();
}

void CThumbnail::UpdateFromWindow(QWidget* canvas)
{
    if (!canvas || m_picture.isNull())
        return;
    QPainter p(&m_picture);
    spine::CanvasPaintTo::send(canvas, &p);
}

void CThumbnail::SetViewRect(const QRect& r)
{
    if (m_scale == 0.0f)
        return;
    const int l = int(std::lround(r.left() * m_scale));
    const int t = int(std::lround(r.top() * m_scale));
    const int rr = int((r.left() + r.width()) * m_scale);
    const int b = int((r.top() + r.height()) * m_scale);
    m_viewRect = QRect(QPoint(l, t), QPoint(rr - 1, b - 1)).translated(m_pictureRect.topLeft());
    m_surface->Draw(m_viewRect);
}

void CThumbnail::showThumbnail(int w, int h, editor::CLed* canvas)
{
    Resize(w, h);
    m_target = canvas;
    show();
    raise();
    if (canvas)
        UpdateFromWindow(canvas);
}

bool CThumbnail::event(QEvent* e)
{
    if (spine::ThumbSetSource::dispatch(e, [this](const QWidget* announced) {
            // The message was posted: only a canvas of the screen shown now, still alive, is asked.
            if (QWidget* source = knownSource(announced))
                UpdateFromWindow(source);
            update();
            return 1;
        }))
        return true;
    if (e->type() == QEvent::Resize)
        m_surface->setGeometry(rect());
    return QWidget::event(e);
}

QWidget* CThumbnail::knownSource(const QWidget* w) const
{
    if (!m_target || !w)
        return nullptr;
    if (w == m_target.data())
        return m_target.data();
    for (QWidget* child : m_target->findChildren<QWidget*>()) {
        if (w == child)
            return child;
    }
    return nullptr;
}

void CThumbnail::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(24, 24, 28));
    if (!m_picture.isNull() && m_pictureRect.isValid()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(m_pictureRect, m_picture);
    }
}

void CThumbnail::mouseDown(QPoint p)
{
    if (!m_viewRect.contains(p))
        return;
    m_dragging = true;
    m_last = p;
    grabMouse();
}

void CThumbnail::mouseUp()
{
    if (m_dragging)
        releaseMouse();
    m_dragging = false;
}

void CThumbnail::mouseDrag(QPoint p)
{
    if (!m_dragging || m_scale == 0.0f)
        return;
    QRect r = m_viewRect.translated(p - m_last);
    m_last = p;
    if (r.left() < m_pictureRect.left())
        r.moveLeft(m_pictureRect.left());
    if (r.right() > m_pictureRect.right())
        r.moveRight(m_pictureRect.right());
    if (r.top() < m_pictureRect.top())
        r.moveTop(m_pictureRect.top());
    if (r.bottom() > m_pictureRect.bottom())
        r.moveBottom(m_pictureRect.bottom());
    if (r == m_viewRect)
        return;
    m_viewRect = r;
    m_surface->Draw(m_viewRect);
    if (m_target) {
        const int x = int((r.left() - m_pictureRect.left()) / m_scale + 0.5f);
        const int y = int((r.top() - m_pictureRect.top()) / m_scale + 0.5f);
        m_target->ScrollTo(x, y);
    }
}

void CThumbnail::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        mouseDown(e->position().toPoint());
}

void CThumbnail::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton)
        mouseDrag(e->position().toPoint());
}

void CThumbnail::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        mouseUp();
}

} // namespace shell
