#pragma once
// A virtual X display of the bench's own and what it does to the program
// from outside: synthetic keys and clicks (XTest), and the window's pixels
// watched through damage reports, each damaged area read back and compared
// so a repaint that leaves the pixels as they were is not a change.
#include <QImage>
#include <QRect>
#include <QString>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

typedef struct _XDisplay Display;

namespace windowbench {

using Clock = std::chrono::steady_clock;

// Xvfb started with -displayfd on a display number it picks itself.
class VirtualDisplay {
public:
    VirtualDisplay(int width, int height);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool ok() const { return m_number >= 0; }
    QString name() const { return QStringLiteral(":%1").arg(m_number); }

private:
    int m_pid = -1;
    int m_number = -1;
};

struct TopWindow {
    unsigned long id = 0;
    QRect rect;
    QString title;
};

// What followed an event: when the pixels first changed and when they last
// did before a second of stillness; empty when nothing changed in time.
struct Settled {
    std::optional<double> firstMs;
    std::optional<double> lastMs;
    bool atRest = false;   // false: still changing when the bound ran out
    // Each change: when (ms after the event) and where.
    std::vector<std::pair<double, QRect>> changes;
    // The last change that does not lie inside one of `aside` (a notice's
    // own window, say); empty when every change did.
    std::optional<double> lastOutside(const std::vector<QRect>& aside) const;
};

class Screen {
public:
    explicit Screen(const QString& display);
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    bool ok() const { return m_dpy != nullptr && m_damage != 0; }

    // Mapped top-level windows, topmost last.
    std::vector<TopWindow> topWindows();
    std::optional<TopWindow> findWindow(const QString& titlePart);

    // Each returns the moment the event went out.
    Clock::time_point key(const char* keysym, unsigned modifiers = 0);
    Clock::time_point click(int x, int y, int button = 1);
    Clock::time_point doubleClick(int x, int y);
    void type(const QString& text);
    void moveMouse(int x, int y);

    // Takes what is shown now as the reference, dropping pending reports.
    void rebase();
    // Watches from `start` until no change for `quiet` ms (or `bound` ms pass).
    // Changes entirely inside `ignore` are not counted as the first change.
    Settled settle(Clock::time_point start, int quietMs = 1000, int boundMs = 60000,
                   QRect ignoreFirst = QRect());
    // Waits (bounded) until a top-level window whose title holds the text is mapped.
    std::optional<TopWindow> waitWindow(const QString& titlePart, int boundMs);
    bool waitGone(unsigned long id, int boundMs);

    QImage grab();
    // No window manager runs: the bench places windows and gives the focus.
    void place(unsigned long id, const QRect& rect);
    void focus(unsigned long id);

    static double msSince(Clock::time_point start, Clock::time_point t)
    {
        return std::chrono::duration<double, std::milli>(t - start).count();
    }

private:
    // Reads the damaged areas reported so far; true when pixels changed,
    // `outside` when some changed area lies outside `ignore`.
    bool drain(int waitMs, const QRect& ignore, bool* outside, std::vector<QRect>* where = nullptr);

    Display* m_dpy = nullptr;
    unsigned long m_root = 0;
    unsigned long m_damage = 0;
    int m_damageEvent = 0;
    int m_width = 0, m_height = 0;
    std::vector<unsigned> m_shown;   // the reference pixels, row by row
};

} // namespace windowbench
