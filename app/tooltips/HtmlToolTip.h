#pragma once
// A top-level balloon that shows HTML tips: tools per widget, the owner's
// events relayed to it, a show delay, an auto-pop delay, fading in and out,
// a rounded shape with an anchor that points at the target and a soft shadow.
// Translucency and the shadow are painted inside the translucent window;
// without a compositor the balloon is opaque. Timers and placement are plain
// calls, so tests drive them directly.
#include "app/tooltips/HtmlDrawer.h"
#include "app/tooltips/TipPlacement.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>
#include <functional>

class QToolBar;

namespace tooltips {

// Fields of a tool that take the tooltip's defaults unless their bit is set.
enum : unsigned {
    kOverrideStyle = 0x1,
    kOverrideEffect = 0x2,
    kOverrideColours = 0x4,
    kOverrideDirection = 0x8,
    kOverrideBehaviour = 0x10,
    kOverrideTransparency = 0x20,
};

// Behaviour bits.
enum : unsigned {
    kTipForgetBounds = 0x1,
    kTipTrack = 0x2,
    kTipRearmInTool = 0x4,
    kTipRearmUnderTip = 0x8,
    kTipNoAutoPop = 0x10,
};

struct ToolRecord {
    unsigned id = 0;
    QRect bounds; // widget coordinates; empty: the whole widget
    QString text;
    unsigned mask = 0;
    unsigned style = 0;
    unsigned direction = 16;
    unsigned effect = 0;
    unsigned behaviour = 0;
    int granularity = 0;
    int transparency = 0;
    COLORREF colours[3] = {0, 0, 0};
};

class CHtmlToolTip : public QWidget {
    Q_OBJECT
public:
    enum Timer { kShow = 256, kHide = 257, kFadeIn = 258, kFadeOut = 259, kPoll = 260 };
    enum State { kHidden = 0, kFadingIn = 1, kShown = 2, kFadingOut = 3 };
    static constexpr unsigned kNotifyShowing = 1124;

    CHtmlToolTip();
    ~CHtmlToolTip() override;

    bool Create(QWidget* owner);
    void DestroyWindow();
    // The owner passes every event it sees; returns nothing and never eats one.
    void RelayEvent(QObject* receiver, QEvent* event);
    void SetDelayTime(int selector, int ms);
    void SetBorder(COLORREF colour);
    void SetDefaultShadow();
    void SetToolText(const QString& text, QPoint screenPoint);

    // Tools: the default settings and the tools of each widget.
    void SetColours(COLORREF c1, COLORREF c2, COLORREF c3);
    void SetEffect(unsigned effect, int granularity);
    void SetTransparency(int percent);
    void SetDirection(unsigned direction);
    void SetBehaviour(unsigned flags);
    void SetFade(bool fadeIn, bool fadeOut);
    void AddTool(QWidget* widget, const ToolRecord& tool);
    void RemoveTools(QWidget* widget);
    void AddToolBar(QToolBar* bar);
    void SetDebugInfo(bool on) { m_debug = on; }
    void SetRedraw(bool on) { m_redraw = on; }

    // For tests and the program: where the pointer and the screens are.
    void setCursorSource(std::function<QPoint()> source) { m_cursor = std::move(source); }
    void setScreenRect(const QRect& r) { m_screenOverride = r; }
    void setWidgetLocator(std::function<QWidget*(QPoint)> locator) { m_locator = std::move(locator); }

    // Timer handlers and state, driven by the timers or by tests.
    void onTimer(int id);
    bool timerActive(int id) const;
    int state() const { return m_state; }
    int transparency() const { return m_transparency; }
    const ToolRecord& displayedTool() const { return m_displayed; }
    const TipPlacement& placement() const { return m_place; }
    const QPainterPath& shape() const { return m_shape; }
    QRect textRect() const { return m_textRect; }
    const CHtmlDrawer& drawer() const { return m_drawer; }
    // A caller-owned picture that tips reach by "handle"; the tip keeps a copy.
    void registerHandle(unsigned long long handle, const QImage& image) { m_drawer.registerHandle(handle, image); }
    // The whole window as painted at the transparency t (shadow and body).
    QImage render(int t);

signals:
    // Before a tip is shown: the tool about to show and the target point.
    void notify(unsigned code, const tooltips::ToolRecord& tool, QPoint target);
    // After each paint, with the transparency it drew at.
    void painted(int transparency);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void timerEvent(QTimerEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void setTimer(int id, int ms);
    void killTimerId(int id);
    void relayMove(QPoint global);
    bool findTool(QPoint global, ToolRecord& tool, QWidget*& window);
    void showWithDelay(bool delay);
    void startHide();
    void hideNow();
    void finishFadeOut();
    void prepareAndShow();
    void armAutoPop();
    QRect screenRect() const;
    QPoint cursorPos() const;
    QString debugTable(QWidget* w, QPoint global) const;

    CHtmlDrawer m_drawer;
    QPointer<QWidget> m_owner;
    bool m_redraw = true;
    bool m_debug = false;
    QPoint m_target{-1, -1};
    QPointer<QWidget> m_currentWindow, m_pendingWindow;
    ToolRecord m_displayed, m_pending;
    int m_displayedKind = 0, m_pendingKind = 0;
    bool m_showPending = false, m_pendingWithDelay = false;
    int m_transparency = 0;
    int m_state = kHidden;
    int m_paintAt = -1;

    COLORREF m_colours[3];
    COLORREF m_borderColour;
    int m_borderWidth = 1, m_borderHeight = 1;
    bool m_hasBorder = true;
    bool m_gradientShadow = true;
    int m_shadowX = 0, m_shadowY = 0, m_depthX = 7, m_depthY = 7, m_darken = 50;
    int m_autoPop = 5000, m_initial = 500, m_fadeInStep = 0, m_fadeOutStep = 0, m_pollPeriod = 100;
    unsigned m_defBehaviour = 0, m_defEffect = 0, m_defDirection = 16, m_defStyle = 0;
    int m_defGranularity = 0, m_defTransparency = 0;
    bool m_fadeIn = true, m_fadeOut = true;
    TipSizes m_sizes;

    TipPlacement m_place;
    QPainterPath m_shape;
    QRect m_textRect;
    QImage m_body;
    QHash<int, int> m_timers; // our id -> Qt timer id
    QHash<QWidget*, QList<ToolRecord>> m_tools;
    QList<QPointer<QToolBar>> m_toolBars;
    std::function<QPoint()> m_cursor;
    std::function<QWidget*(QPoint)> m_locator;
    QRect m_screenOverride;
};

} // namespace tooltips
