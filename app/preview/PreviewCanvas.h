#pragma once
// What the players draw into: the content picture (one pixel per LED, the
// back buffer) behind one lock, which every drawing step takes and the
// window's paint event takes too. All of the core's painting for the preview
// runs under this lock, which serialises it. Workers never touch a widget:
// a repaint is asked for through a request the window posts to itself.
#include "app/editor/DotRenderer.h"

#include <QImage>
#include <QRect>
#include <QRegion>

#include <atomic>
#include <functional>
#include <mutex>

namespace preview {

class PreviewCanvas {
public:
    PreviewCanvas() = default;
    virtual ~PreviewCanvas() = default;
    PreviewCanvas(const PreviewCanvas&) = delete;
    PreviewCanvas& operator=(const PreviewCanvas&) = delete;

    std::mutex& mutex() { return m_mutex; }

    // Under the lock.
    virtual QImage& backBuffer() = 0;
    // Renders `rect` (or only its ring of `ring` LEDs) and marks it for repaint.
    void updateRect(const QRect& rect, int ring = 0);

    // These take the lock. A null part is the whole picture.
    QImage contentCopy(const QRect& part = QRect());
    // Called when a repaint is due (set before any player runs). Several
    // updates before one repaint coalesce.
    void setRepaintRequest(std::function<void()> request);
    // The display region changed since the last call; clears the request flag.
    QRegion takeDirty();

protected:
    // Renders the LEDs of `leds` into the display; returns the display
    // rectangle that changed.
    virtual QRect renderLeds(const QRect& leds, int ring) = 0;

private:
    std::mutex m_mutex;
    QRegion m_dirty;
    std::atomic<bool> m_requestPending{false};
    std::function<void()> m_request;
};

// A canvas without a window, for tests and benchmarks.
class ImageCanvas final : public PreviewCanvas {
public:
    ImageCanvas() { resize(1, 1, 1); }
    void resize(int width, int height, int dot);
    void setThresholds(const editor::Thresholds& t);
    QImage& backBuffer() override { return m_content; }
    QImage displayCopy();

protected:
    QRect renderLeds(const QRect& leds, int ring) override;

private:
    QImage m_content;
    QImage m_display;
    editor::DotGeometry m_geometry;
    editor::Thresholds m_thresholds;
};

// The display rectangle of a rectangle of LEDs.
QRect displayRectOf(const QRect& leds, const editor::DotGeometry& g);

}
