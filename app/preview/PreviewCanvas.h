#pragma once
// The preview's back buffer (one pixel per LED) and its LED display picture,
// guarded by one lock that the players take for every drawing step and the
// window's paint event takes too. All of the core's painting for the preview
// runs under this lock, which serialises it.
#include <QImage>
#include <QRect>
#include <QRegion>

#include <atomic>
#include <functional>
#include <mutex>

namespace preview {

// Which colour channels an LED lights: a channel at or above its threshold
// lights fully; 256 never lights it. All 0: every channel lit as it is.
struct LedThresholds {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The thresholds the screen's work mode gives (its colour count and the
// library's colour threshold).
LedThresholds thresholdsForWorkMode(int workMode);

// Display size of a content of w x h LEDs at a dot size (1..3).
QSize ledDisplaySize(int w, int h, int dot);
// Renders the content rectangle `rect` (LEDs) into the display picture.
// The one function to swap for the editor's canvas renderer.
void renderLedDots(const QImage& content, QImage& display, const QRect& rect, int dot, const LedThresholds& t);

class PreviewCanvas {
public:
    PreviewCanvas();

    // Lock for every touch of the back buffer or the display.
    std::mutex& mutex() { return m_mutex; }

    // Under the lock.
    QImage& backBuffer() { return m_content; }
    const QImage& display() const { return m_display; }
    int dot() const { return m_dot; }
    // Renders `rect` (or only its ring of `ring` LEDs when ring > 0) into the
    // display and marks it for repaint.
    void updateRect(const QRect& rect, int ring = 0);

    // Not under the lock (they take it).
    void resize(int width, int height, int dot);
    void setThresholds(const LedThresholds& t);
    QSize contentSize();
    QSize displaySize();
    QImage contentCopy();

    // Called (without the lock) when a repaint is due; the widget posts it to
    // its own thread. Several updates before one repaint coalesce.
    void setRepaintRequest(std::function<void()> request);
    // The display region changed since the last call; clears the request flag.
    QRegion takeDirty();

private:
    std::mutex m_mutex;
    QImage m_content;
    QImage m_display;
    int m_dot = 3;
    LedThresholds m_thresholds;
    QRegion m_dirty;
    std::atomic<bool> m_requestPending{false};
    std::function<void()> m_request;   // set before any player runs
};

}
