#pragma once
// CThumbnail: the small window in the corner of the main frame's client area
// that shows the active screen at one pixel per LED, scaled to fit, with the
// part the screen window shows outlined on a translucent overlay (CSurface,
// a child widget, so no compositor is needed). Dragging the outline scrolls
// the screen canvas.
#include "app/editor/Led.h"


#include <QImage>
#include <QPointer>
#include <QWidget>

namespace controls {
class CStaticLink;
}

namespace shell {

class CThumbnail;

class CSurface : public QWidget {
    Q_OBJECT
public:
    explicit CSurface(CThumbnail* thumbnail);
    void Draw(const QRect& viewRect);
    QRect viewRect() const { return m_view; }
    controls::CStaticLink* closeLink() const { return m_close; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    CThumbnail* m_thumbnail;
    controls::CStaticLink* m_close;
    QImage m_background;
    QRect m_view;
};

class CThumbnail : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 6500;
    static constexpr int kAreaId = 6501;
    static constexpr int kSurfaceId = 6502;
    static constexpr int kCloseId = 6503;
    static constexpr unsigned kBackgroundId = 6185;

    explicit CThumbnail(QWidget* parent = nullptr);

    // A new black picture of the canvas's size; a size of 0 keeps an empty picture.
    void Resize(int width, int height);
    // Has `canvas` paint itself into the picture (WM_CANVAS_PAINTTO).
    void UpdateFromWindow(QWidget* canvas);
    // The visible part of the canvas, in canvas pixels (LEDs).
    void SetViewRect(const QRect& rect);

    const QImage& picture() const { return m_picture; }
    QRect areaRect() const { return m_area; }
    QRect pictureRect() const { return m_pictureRect; }
    QRect viewRect() const { return m_viewRect; }
    float scale() const { return m_scale; }
    CSurface* surface() const { return m_surface; }
    // The canvas a drag scrolls.
    void setScrollTarget(editor::CLed* canvas) { m_target = canvas; }

    // Shows the picture sized to the content (w x h LEDs) with `canvas` as
    // its source; dragging the view frame then scrolls that canvas.
    void showThumbnail(int w, int h, editor::CLed* canvas);

    void mouseDown(QPoint p);
    void mouseDrag(QPoint p);
    void mouseUp();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QWidget* knownSource(const QWidget* w) const;

    QImage m_picture;
    QRect m_area;
    QRect m_pictureRect;
    QRect m_viewRect;
    float m_scale = 0.0f;
    QPoint m_last;
    bool m_dragging = false;
    CSurface* m_surface = nullptr;
    QPointer<editor::CLed> m_target;
};

} // namespace shell
