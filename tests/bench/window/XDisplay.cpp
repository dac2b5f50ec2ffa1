#include "XDisplay.h"

#include <algorithm>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <X11/XKBlib.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace windowbench {

VirtualDisplay::VirtualDisplay(int width, int height)
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string fd = std::to_string(fds[1]);
    m_pid = fork();
    if (m_pid == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", "+extension", "DAMAGE", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (m_pid < 0) {
        close(fds[0]);
        return;
    }
    // Xvfb writes its display number once it listens.
    std::string got;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0) {
        char buf[32];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, std::size_t(n));
        if (got.find('\n') != std::string::npos)
            break;
    }
    close(fds[0]);
    if (!got.empty() && got[0] >= '0' && got[0] <= '9')
        m_number = std::stoi(got);
}

VirtualDisplay::~VirtualDisplay()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

namespace {

// A window may go between the tree's listing and the look at it (the splash
// does at start): that is no reason to end the bench, as Xlib's default does.
int ignoreGoneWindow(Display*, XErrorEvent* e)
{
    if (e->error_code != BadWindow && e->error_code != BadDrawable && e->error_code != BadMatch)
        std::fprintf(stderr, "window bench: X error %d (request %d)\n", e->error_code, e->request_code);
    return 0;
}

} // namespace

Screen::Screen(const QString& display)
{
    XSetErrorHandler(ignoreGoneWindow);
    m_dpy = XOpenDisplay(display.toLocal8Bit().constData());
    if (!m_dpy)
        return;
    m_root = DefaultRootWindow(m_dpy);
    m_width = DisplayWidth(m_dpy, DefaultScreen(m_dpy));
    m_height = DisplayHeight(m_dpy, DefaultScreen(m_dpy));
    int error = 0, major = 0, minor = 0;
    if (!XDamageQueryExtension(m_dpy, &m_damageEvent, &error) || !XTestQueryExtension(m_dpy, &error, &error, &major, &minor))
        return;
    m_damage = XDamageCreate(m_dpy, m_root, XDamageReportRawRectangles);
    XSync(m_dpy, False);
    rebase();
}

Screen::~Screen()
{
    if (m_dpy) {
        if (m_damage)
            XDamageDestroy(m_dpy, m_damage);
        XCloseDisplay(m_dpy);
    }
}

std::vector<TopWindow> Screen::topWindows()
{
    std::vector<TopWindow> out;
    Window rootRet = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_dpy, m_root, &rootRet, &parent, &children, &count))
        return out;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(m_dpy, children[i], &a) || a.map_state != IsViewable || a.c_class != InputOutput)
            continue;
        TopWindow w;
        w.id = children[i];
        w.rect = QRect(a.x, a.y, a.width, a.height);
        char* name = nullptr;
        if (XFetchName(m_dpy, children[i], &name) && name) {
            w.title = QString::fromLocal8Bit(name);
            XFree(name);
        }
        // Qt names its windows in UTF-8 through _NET_WM_NAME.
        Atom utf8 = XInternAtom(m_dpy, "UTF8_STRING", False), type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_dpy, children[i], XInternAtom(m_dpy, "_NET_WM_NAME", False), 0, 1024, False, utf8,
                               &type, &format, &items, &after, &data) == Success && data) {
            if (items)
                w.title = QString::fromUtf8(reinterpret_cast<const char*>(data), int(items));
            XFree(data);
        }
        out.push_back(w);
    }
    if (children)
        XFree(children);
    return out;
}

std::optional<TopWindow> Screen::findWindow(const QString& titlePart)
{
    std::optional<TopWindow> found;
    for (const TopWindow& w : topWindows())
        if (w.title.contains(titlePart))
            found = w;
    return found;
}

std::optional<TopWindow> Screen::waitWindow(const QString& titlePart, int boundMs)
{
    const auto end = Clock::now() + std::chrono::milliseconds(boundMs);
    while (Clock::now() < end) {
        if (auto w = findWindow(titlePart))
            return w;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
}

bool Screen::waitGone(unsigned long id, int boundMs)
{
    const auto end = Clock::now() + std::chrono::milliseconds(boundMs);
    while (Clock::now() < end) {
        bool there = false;
        for (const TopWindow& w : topWindows())
            there = there || w.id == id;
        if (!there)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

namespace {

unsigned modifierCode(Display* dpy, unsigned bit)
{
    switch (bit) {
    case ShiftMask: return XKeysymToKeycode(dpy, XK_Shift_L);
    case ControlMask: return XKeysymToKeycode(dpy, XK_Control_L);
    case Mod1Mask: return XKeysymToKeycode(dpy, XK_Alt_L);
    default: return 0;
    }
}

} // namespace

Clock::time_point Screen::key(const char* keysym, unsigned modifiers)
{
    const KeyCode code = XKeysymToKeycode(m_dpy, XStringToKeysym(keysym));
    const unsigned bits[] = {ShiftMask, ControlMask, Mod1Mask};
    for (unsigned b : bits)
        if (modifiers & b)
            XTestFakeKeyEvent(m_dpy, modifierCode(m_dpy, b), True, 0);
    XFlush(m_dpy);
    const Clock::time_point at = Clock::now();
    XTestFakeKeyEvent(m_dpy, code, True, 0);
    XTestFakeKeyEvent(m_dpy, code, False, 0);
    for (unsigned b : bits)
        if (modifiers & b)
            XTestFakeKeyEvent(m_dpy, modifierCode(m_dpy, b), False, 0);
    XFlush(m_dpy);
    return at;
}

void Screen::moveMouse(int x, int y)
{
    XTestFakeMotionEvent(m_dpy, -1, x, y, 0);
    XSync(m_dpy, False);
}

Clock::time_point Screen::click(int x, int y, int button)
{
    moveMouse(x, y);
    const Clock::time_point at = Clock::now();
    XTestFakeButtonEvent(m_dpy, unsigned(button), True, 0);
    XTestFakeButtonEvent(m_dpy, unsigned(button), False, 0);
    XFlush(m_dpy);
    return at;
}

Clock::time_point Screen::doubleClick(int x, int y)
{
    const Clock::time_point at = click(x, y);
    XTestFakeButtonEvent(m_dpy, 1, True, 0);
    XTestFakeButtonEvent(m_dpy, 1, False, 0);
    XFlush(m_dpy);
    return at;
}

void Screen::type(const QString& text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        KeySym sym = u == '/' ? XK_slash : u == '.' ? XK_period : u == '-' ? XK_minus : u == '_' ? XK_underscore : KeySym(u);
        KeyCode code = XKeysymToKeycode(m_dpy, sym);
        const bool shift = XkbKeycodeToKeysym(m_dpy, code, 0, 0) != sym;
        if (shift)
            XTestFakeKeyEvent(m_dpy, XKeysymToKeycode(m_dpy, XK_Shift_L), True, 0);
        XTestFakeKeyEvent(m_dpy, code, True, 0);
        XTestFakeKeyEvent(m_dpy, code, False, 0);
        if (shift)
            XTestFakeKeyEvent(m_dpy, XKeysymToKeycode(m_dpy, XK_Shift_L), False, 0);
    }
    XFlush(m_dpy);
}

QImage Screen::grab()
{
    XImage* img = XGetImage(m_dpy, m_root, 0, 0, unsigned(m_width), unsigned(m_height), AllPlanes, ZPixmap);
    if (!img)
        return {};
    QImage out(m_width, m_height, QImage::Format_RGB32);
    for (int y = 0; y < m_height; ++y)
        std::memcpy(out.scanLine(y), img->data + std::size_t(y) * img->bytes_per_line, std::size_t(m_width) * 4);
    XDestroyImage(img);
    return out;
}

void Screen::place(unsigned long id, const QRect& rect)
{
    XMoveResizeWindow(m_dpy, id, rect.x(), rect.y(), unsigned(rect.width()), unsigned(rect.height()));
    XSync(m_dpy, False);
}

void Screen::focus(unsigned long id)
{
    XSetInputFocus(m_dpy, id, RevertToParent, CurrentTime);
    XSync(m_dpy, False);
}

void Screen::rebase()
{
    XSync(m_dpy, False);
    while (XPending(m_dpy)) {
        XEvent e;
        XNextEvent(m_dpy, &e);
    }
    const QImage now = grab();
    m_shown.assign(std::size_t(m_width) * std::size_t(m_height), 0);
    if (!now.isNull())
        for (int y = 0; y < m_height; ++y)
            std::memcpy(&m_shown[std::size_t(y) * std::size_t(m_width)], now.constScanLine(y), std::size_t(m_width) * 4);
}

bool Screen::drain(int waitMs, const QRect& ignore, bool* outside, std::vector<QRect>* where)
{
    pollfd p{ConnectionNumber(m_dpy), POLLIN, 0};
    if (!XPending(m_dpy) && poll(&p, 1, waitMs) <= 0)
        return false;
    // Gathers what is reported now; areas read back together.
    QRect area;
    std::vector<QRect> rects;
    while (XPending(m_dpy)) {
        XEvent e;
        XNextEvent(m_dpy, &e);
        if (e.type == m_damageEvent + XDamageNotify) {
            const auto* d = reinterpret_cast<XDamageNotifyEvent*>(&e);
            rects.emplace_back(d->area.x, d->area.y, d->area.width, d->area.height);
        }
    }
    bool changed = false;
    const QRect screen(0, 0, m_width, m_height);
    for (QRect r : rects) {
        r &= screen;
        if (r.isEmpty())
            continue;
        XImage* img = XGetImage(m_dpy, m_root, r.x(), r.y(), unsigned(r.width()), unsigned(r.height()), AllPlanes, ZPixmap);
        if (!img)
            continue;
        bool here = false;
        for (int y = 0; y < r.height(); ++y) {
            unsigned* row = &m_shown[std::size_t(r.y() + y) * std::size_t(m_width) + std::size_t(r.x())];
            const char* src = img->data + std::size_t(y) * img->bytes_per_line;
            const std::size_t bytes = std::size_t(r.width()) * 4;
            if (std::memcmp(row, src, bytes) != 0) {
                std::memcpy(row, src, bytes);
                here = true;
            }
        }
        XDestroyImage(img);
        if (here) {
            changed = true;
            if (where)
                where->push_back(r);
            if (outside && !ignore.contains(r))
                *outside = true;
        }
    }
    return changed;
}

std::optional<double> Settled::lastOutside(const std::vector<QRect>& aside) const
{
    std::optional<double> last;
    for (const auto& [ms, r] : changes)
        if (std::none_of(aside.begin(), aside.end(), [&](const QRect& a) { return a.contains(r); }))
            last = ms;
    return last;
}

Settled Screen::settle(Clock::time_point start, int quietMs, int boundMs, QRect ignoreFirst)
{
    Settled s;
    const auto end = start + std::chrono::milliseconds(boundMs);
    // Nothing at all for ten quiet spans: the event changed nothing.
    const auto giveUp = std::min(end, Clock::now() + std::chrono::milliseconds(quietMs * 10));
    Clock::time_point lastChange;
    for (;;) {
        const auto now = Clock::now();
        const auto until = s.lastMs ? std::min(end, lastChange + std::chrono::milliseconds(quietMs)) : giveUp;
        if (now >= until) {
            s.atRest = s.lastMs.has_value() && now < end;
            return s;
        }
        const int wait = std::max(1, int(std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count()));
        bool outside = false;
        std::vector<QRect> where;
        if (drain(wait, ignoreFirst, &outside, &where)) {
            lastChange = Clock::now();
            s.lastMs = msSince(start, lastChange);
            for (const QRect& r : where)
                s.changes.emplace_back(*s.lastMs, r);
            if (!s.firstMs && (outside || ignoreFirst.isNull()))
                s.firstMs = s.lastMs;
        }
    }
}

} // namespace windowbench
