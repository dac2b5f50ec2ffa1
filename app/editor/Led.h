#pragma once
// CLed: a child window that shows its content picture (one pixel per LED) the
// way an LED screen would, through the dot renderer. Only the part a paint
// exposes is rendered, so a canvas costs what it shows, not what its screen holds. CLedEx binds the canvas
// to one content node. The preview canvas derives from CLed.
#include "app/editor/DotRenderer.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class CCore;
struct tagItemData;

namespace editor {

class CLed : public QWidget {
    Q_OBJECT
public:
    explicit CLed(QWidget* parent = nullptr);

    // The configured default dot size (1..3) new canvases start with.
    static void setDefaultDotSize(int dot);
    static int defaultDotSize();

    // Draws the display picture under `clip` (client coordinates), shifted by the scroll origin.
    virtual void Draw(QPainter& p, const QRect& clip);
    // Content size in LEDs (0 counts as 1): 1 when unchanged or done, 0 when
    // the pictures cannot be made.
    virtual int Resize(int w, int h, bool redraw);
    // 0 when unchanged, else 1.
    int SetDotSize(int dotW, int dotH, bool redraw);
    void SetWorkMode(int workMode, bool redraw);
    void SetThresholds(const Thresholds& t, bool redraw);
    // Renders a rectangle of the content (in LEDs); with ring > 0 only that ring.
    void UpdateRect(const QRect& leds, int ring, bool redraw);
    // Copies `source` from `from` into the content at `dest` (in LEDs), then renders it.
    void BlitToContent(const QImage& source, QPoint from, const QRect& dest, bool redraw);
    void ClearContent(bool redraw);
    QSize GetDisplaySize() const { return displaySize(m_content.size(), m_geometry); }
    // Scrolls so that LED (x, y) is at the top left, within the picture.
    void ScrollTo(int x, int y);

    int dotWidth() const { return m_geometry.dotW; }
    int dotHeight() const { return m_geometry.dotH; }
    const DotGeometry& dots() const { return m_geometry; }
    const Thresholds& thresholds() const { return m_thresholds; }
    QPoint scrollOrigin() const { return m_origin; }
    QSize contentSize() const { return m_content.size(); }
    const QImage& content() const { return m_content; }
    // The whole display picture (rendered for the asking unless retained).
    QImage display() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    // Keeps a rendered display picture that changes only when a render is
    // asked for (UpdateRect and the like), for content written in steps.
    void setRetainedDisplay(bool retained);
    // Re-creates the retained display picture for the content and dot size and renders it all.
    bool rebuildDisplay();
    QImage m_content;

private:
    QImage m_display;   // retained only
    bool m_retained = false;
    DotGeometry m_geometry;
    Thresholds m_thresholds;
    QPoint m_origin;
};

// A canvas bound to one content node.
class CLedEx : public CLed {
    Q_OBJECT
public:
    explicit CLedEx(CCore& core, QWidget* parent = nullptr);

    // 0 when already bound or node is null; else binds, applies the node's
    // screen's work mode and takes the node's size. 1.
    virtual int AttachItem(tagItemData* node);
    // Unbinds; returns the node that was bound.
    virtual tagItemData* DetachItem();
    tagItemData* boundItem() const { return m_item; }
    CCore& core() const { return m_core; }

    // The window is closed: unbinds and hides (the object is kept for reuse).
    virtual void closeWindow();
    bool isWindowOpen() const { return m_open; }
    void setWindowOpen(bool open) { m_open = open; }

protected:
    CCore& m_core;
    tagItemData* m_item = nullptr;

private:
    bool m_open = false;
};

// The work-mode code of the node's screen, or -1 when it has none.
int workModeOf(const tagItemData* node);

} // namespace editor
