#include "app/tooltips/HtmlToolTip.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>
#include <QToolBar>
#include <algorithm>

namespace tooltips {
namespace {

COLORREF paletteColour(QPalette::ColorRole role) { return platform::fromQColor(QGuiApplication::palette().color(role)); }

QImage canvasImage(QSize size)
{
    QImage img(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    img.fill(0);
    return img;
}

} // namespace

CHtmlToolTip::CHtmlToolTip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    const COLORREF info = paletteColour(QPalette::ToolTipBase);
    m_colours[0] = m_colours[1] = m_colours[2] = info;
    m_borderColour = paletteColour(QPalette::ToolTipText);
    // Leaving the application hides the tip.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive && m_state != kHidden)
            hideNow();
    });
}

CHtmlToolTip::~CHtmlToolTip() = default;

bool CHtmlToolTip::Create(QWidget* owner)
{
    m_owner = owner;
    m_sizes = TipSizes{};
    m_drawer.setHoverCallback(this, spine::WM_TOOLTIP_REDRAW, 0);
    setTimer(kPoll, m_pollPeriod);
    return true;
}

void CHtmlToolTip::DestroyWindow()
{
    hideNow();
    killTimerId(kPoll);
    close();
}

void CHtmlToolTip::SetDelayTime(int selector, int ms)
{
    switch (selector) {
    case 0: m_autoPop = ms; break;
    case 1: m_initial = ms; break;
    case 2: m_fadeInStep = ms; break;
    case 3: m_fadeOutStep = ms; break;
    case 4:
        killTimerId(kPoll);
        m_pollPeriod = ms;
        if (ms != 0)
            setTimer(kPoll, ms);
        break;
    default: break;
    }
}

void CHtmlToolTip::SetBorder(COLORREF colour)
{
    m_borderColour = colour;
    m_borderWidth = m_borderHeight = 1;
    m_hasBorder = true;
}

void CHtmlToolTip::SetDefaultShadow()
{
    m_shadowX = m_shadowY = 6;
    m_depthX = m_depthY = 7;
    m_darken = 50;
}

void CHtmlToolTip::SetColours(COLORREF c1, COLORREF c2, COLORREF c3)
{
    m_colours[0] = c1;
    m_colours[1] = c2;
    m_colours[2] = c3;
}

void CHtmlToolTip::SetEffect(unsigned effect, int granularity)
{
    m_defEffect = effect;
    m_defGranularity = std::clamp(granularity, 0, 255);
}

void CHtmlToolTip::SetTransparency(int percent) { m_defTransparency = std::clamp(percent, 0, 100); }
void CHtmlToolTip::SetDirection(unsigned direction) { m_defDirection = direction; }
void CHtmlToolTip::SetBehaviour(unsigned flags) { m_defBehaviour = flags; }

void CHtmlToolTip::SetFade(bool fadeIn, bool fadeOut)
{
    m_fadeIn = fadeIn;
    m_fadeOut = fadeOut;
}

void CHtmlToolTip::AddTool(QWidget* widget, const ToolRecord& tool)
{
    if (widget)
        m_tools[widget].append(tool);
}

void CHtmlToolTip::RemoveTools(QWidget* widget) { m_tools.remove(widget); }

void CHtmlToolTip::AddToolBar(QToolBar* bar)
{
    if (bar)
        m_toolBars.append(bar);
}

// ---- timers ----

void CHtmlToolTip::setTimer(int id, int ms)
{
    killTimerId(id);
    m_timers.insert(id, startTimer(std::max(0, ms)));
}

void CHtmlToolTip::killTimerId(int id)
{
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    if (it.value() > 0)
        killTimer(it.value());
    m_timers.erase(it);
}

bool CHtmlToolTip::timerActive(int id) const { return m_timers.contains(id); }

void CHtmlToolTip::timerEvent(QTimerEvent* e)
{
    for (auto it = m_timers.cbegin(); it != m_timers.cend(); ++it) {
        if (it.value() == e->timerId()) {
            onTimer(it.key());
            return;
        }
    }
    QWidget::timerEvent(e);
}

QPoint CHtmlToolTip::cursorPos() const { return m_cursor ? m_cursor() : QCursor::pos(); }

QRect CHtmlToolTip::screenRect() const
{
    if (m_screenOverride.isValid())
        return m_screenOverride;
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->virtualGeometry() : QRect(0, 0, 1920, 1080);
}

void CHtmlToolTip::armAutoPop()
{
    if (!(m_displayed.behaviour & kTipNoAutoPop))
        setTimer(kHide, m_autoPop);
}

void CHtmlToolTip::onTimer(int id)
{
    switch (id) {
    case kShow: {
        killTimerId(kShow);
        const QPoint pt = m_pendingKind != 0 ? m_target : cursorPos();
        if (pt == m_target) {
            killTimerId(kFadeOut);
            m_displayed = m_pending;
            m_displayedKind = m_pendingKind;
            m_currentWindow = m_pendingWindow;
            m_showPending = false;
            m_state = kFadingIn;
            prepareAndShow();
            if (m_state == kHidden)
                break;
            if (m_fadeIn && m_fadeInStep != 0) {
                setTimer(kFadeIn, m_fadeInStep);
            } else {
                m_state = kShown;
                armAutoPop();
            }
        } else if (m_state == kFadingIn || m_state == kShown) {
            startHide();
        }
        break;
    }
    case kHide: startHide(); break;
    case kFadeIn:
        m_transparency = std::max(0, m_transparency - 20);
        if (m_transparency <= m_displayed.transparency) {
            m_transparency = m_displayed.transparency;
            killTimerId(kFadeIn);
            m_state = kShown;
            armAutoPop();
        }
        update();
        break;
    case kFadeOut:
        m_transparency = m_transparency >= 80 ? 100 : m_transparency + 20;
        if (m_transparency < 100)
            update();
        else
            finishFadeOut();
        break;
    case kPoll:
        if (isVisible() && m_state == kShown && m_drawer.StepAnimation())
            update();
        break;
    default: break;
    }
}

void CHtmlToolTip::startHide()
{
    killTimerId(kShow);
    killTimerId(kFadeIn);
    killTimerId(kHide);
    if (m_state == kFadingOut)
        return;
    m_state = kFadingOut;
    if (m_fadeOut && m_fadeOutStep != 0) {
        setTimer(kFadeOut, m_fadeOutStep);
    } else {
        m_transparency = 100;
        finishFadeOut();
    }
}

void CHtmlToolTip::finishFadeOut()
{
    killTimerId(kFadeOut);
    if (m_displayed.behaviour & kTipForgetBounds)
        m_displayed.bounds = QRect();
    hide();
    m_state = kHidden;
    if (m_showPending) {
        if (m_pendingWithDelay && m_initial > 0)
            setTimer(kShow, m_initial);
        else
            onTimer(kShow);
    } else {
        m_displayed = ToolRecord{};
        m_currentWindow = nullptr;
    }
}

void CHtmlToolTip::hideNow()
{
    for (int id : {kShow, kHide, kFadeIn, kFadeOut})
        killTimerId(id);
    hide();
    m_state = kHidden;
    m_showPending = false;
    m_displayed = ToolRecord{};
    m_displayedKind = 0;
    m_currentWindow = nullptr;
}

void CHtmlToolTip::showWithDelay(bool delay)
{
    if (m_state == kFadingIn || m_state == kShown || m_state == kFadingOut) {
        m_showPending = true;
        m_pendingWithDelay = delay;
        startHide();
        return;
    }
    if (delay && m_initial > 0)
        setTimer(kShow, m_initial);
    else
        onTimer(kShow);
}

void CHtmlToolTip::SetToolText(const QString& text, QPoint screenPoint)
{
    m_target = screenPoint;
    ToolRecord t;
    t.text = text;
    t.behaviour = m_defBehaviour | kTipNoAutoPop;
    t.mask = kOverrideBehaviour;
    m_pending = t;
    m_pendingKind = 1;
    m_pendingWindow = nullptr;
    if (m_state == kFadingIn || m_state == kShown) {
        m_showPending = true;
        m_pendingWithDelay = false;
        startHide();
    } else {
        onTimer(kShow);
    }
}

// ---- relaying ----

void CHtmlToolTip::RelayEvent(QObject*, QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseMove:
        relayMove(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
        break;
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::LeftButton && isVisible()) {
            const QPoint local = mapFromGlobal(me->globalPosition().toPoint());
            if (m_shape.contains(QPointF(local))) {
                const int link = m_drawer.HitTestLink(local);
                if (link >= 0)
                    m_drawer.FollowLink(link);
            }
        }
        hideNow();
        break;
    }
    case QEvent::KeyPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel: hideNow(); break;
    case QEvent::ApplicationDeactivate: hideNow(); break;
    default: break;
    }
}

void CHtmlToolTip::relayMove(QPoint global)
{
    if ((m_state != kHidden && m_displayedKind == 1) || (m_showPending && m_pendingKind == 1))
        return;
    if (global == m_target)
        return;
    const QPoint previous = m_target;
    m_target = global;
    if (isVisible() && m_shape.contains(QPointF(global - pos()))) {
        if (!(m_displayed.behaviour & kTipTrack)) {
            if (m_displayed.behaviour & kTipRearmUnderTip)
                armAutoPop();
            else
                startHide();
            return;
        }
    }
    ToolRecord tool;
    QWidget* window = nullptr;
    if (!findTool(global, tool, window)) {
        m_target = QPoint(-1, -1);
        killTimerId(kShow);
        if (m_state == kFadingIn || m_state == kShown)
            startHide();
        return;
    }
    if (m_state != kHidden && window == m_currentWindow && tool.id == m_displayed.id &&
        tool.bounds == m_displayed.bounds) {
        const unsigned b = m_displayed.behaviour;
        if (b & kTipTrack) {
            armAutoPop();
            if (previous.x() >= 0)
                move(pos() + (global - previous));
        } else if (b & kTipRearmInTool) {
            armAutoPop();
        } else if (!(b & kTipForgetBounds)) {
            startHide();
        }
        return;
    }
    m_pending = tool;
    m_pendingKind = (tool.mask & kOverrideBehaviour ? tool.behaviour : m_defBehaviour) & kTipTrack ? 2 : 0;
    m_pendingWindow = window;
    showWithDelay(true);
}

bool CHtmlToolTip::findTool(QPoint global, ToolRecord& tool, QWidget*& window)
{
    if (m_debug) {
        QWidget* w = m_locator ? m_locator(global) : QApplication::widgetAt(global);
        if (!w)
            return false;
        tool = ToolRecord{};
        tool.text = debugTable(w, global);
        window = w;
        return true;
    }
    for (const QPointer<QToolBar>& bar : m_toolBars) {
        if (!bar || !bar->isVisible())
            continue;
        const QPoint local = bar->mapFromGlobal(global);
        if (!bar->rect().contains(local))
            continue;
        QAction* a = bar->actionAt(local);
        if (!a || a->isSeparator())
            return false;
        tool = ToolRecord{};
        tool.id = a->data().toUInt();
        tool.text = CHtmlDrawer::LoadTipString(tool.id);
        tool.bounds = bar->actionGeometry(a);
        window = bar;
        return true;
    }
    QWidget* w = m_locator ? m_locator(global) : QApplication::widgetAt(global);
    // The widget under the point, or the nearest parent with tools; a drop-down
    // list's own parts count as the list.
    for (QWidget* p = w; p; p = p->parentWidget()) {
        if (qobject_cast<QComboBox*>(p->parentWidget()))
            continue;
        auto it = m_tools.find(p);
        if (it == m_tools.end())
            continue;
        if (!p->isEnabled())
            return false;
        const QList<ToolRecord>& list = it.value();
        const QPoint local = p->mapFromGlobal(global);
        if (list.size() == 1 && list.front().bounds.isEmpty()) {
            tool = list.front();
            window = p;
            return true;
        }
        for (const ToolRecord& t : list) {
            if (t.bounds.contains(local)) {
                tool = t;
                window = p;
                return true;
            }
        }
        return false;
    }
    return false;
}

QString CHtmlToolTip::debugTable(QWidget* w, QPoint global) const
{
    auto cell = [](QString v) {
        v.replace(u'<', u'?');
        if (v.size() > 25)
            v = v.left(21) + QStringLiteral(" ...");
        return v;
    };
    auto row = [&](const QString& name, const QString& value) {
        return QStringLiteral("<tr><td width=70 bgcolor=buttonface>%1</td><td width=130 bgcolor=window>%2</td></tr>")
            .arg(name, cell(value));
    };
    auto block = [&](QWidget* x) {
        const QRect g = x->geometry();
        QString s = row("Class name", QString::fromLatin1(x->metaObject()->className()));
        s += row("Title", x->windowTitle());
        s += row("Handle", QStringLiteral("0x%1").arg(static_cast<qulonglong>(x->winId()), 8, 16, QChar(u'0')).toUpper());
        s += row("Control ID", QString::number(x->objectName().toInt()));
        s += row("Styles", QStringLiteral("0x%1").arg(static_cast<unsigned>(x->windowFlags()), 8, 16, QChar(u'0')));
        s += row("RECT", QStringLiteral("(%1, %2)-(%3, %4)").arg(g.left()).arg(g.top()).arg(g.right() + 1).arg(g.bottom() + 1));
        s += row("Width", QString::number(g.width()));
        s += row("Height", QString::number(g.height()));
        s += row("Has Tooltip", m_tools.contains(x) ? QStringLiteral("Yes") : QStringLiteral("No"));
        return s;
    };
    QString t = QStringLiteral("<table><tr><td><font color=darkblue>Window</font><table border=1>") + block(w) +
                QStringLiteral("</table>");
    t += QStringLiteral("<br><font color=darkblue>Window Owner</font><table border=1>");
    t += w->parentWidget() ? block(w->parentWidget()) : row("Window Owner", QStringLiteral("N/A"));
    t += QStringLiteral("</table><br><font color=darkblue>Mouse Cursor</font><table border=1>");
    t += row("Position", QStringLiteral("(%1, %2)").arg(global.x()).arg(global.y()));
    t += QStringLiteral("</table></td></tr></table>");
    return t;
}

// ---- showing and painting ----

void CHtmlToolTip::prepareAndShow()
{
    ToolRecord& t = m_displayed;
    if (!(t.mask & kOverrideStyle))
        t.style = m_defStyle;
    if (!(t.mask & kOverrideEffect)) {
        t.effect = m_defEffect;
        t.granularity = m_defGranularity;
    }
    if (!(t.mask & kOverrideColours))
        std::copy(std::begin(m_colours), std::end(m_colours), std::begin(t.colours));
    if (!(t.mask & kOverrideDirection))
        t.direction = m_defDirection;
    if (!(t.mask & kOverrideBehaviour))
        t.behaviour = m_defBehaviour;
    if (!(t.mask & kOverrideTransparency))
        t.transparency = m_defTransparency;
    emit notify(kNotifyShowing, t, m_target);

    if (t.text.isEmpty()) {
        m_state = kHidden;
        return;
    }
    QImage scratch = canvasImage(QSize(1, 1));
    QSize text;
    {
        QPainter p(&scratch);
        QPainterCanvas canvas(p);
        text = m_drawer.Measure(canvas, t.text);
    }
    if (text.isEmpty()) {
        m_state = kHidden;
        return;
    }
    const QSize inner(text.width() + 2 * m_sizes.marginX, text.height() + 2 * m_sizes.marginY);
    m_place = placeTip(inner, m_target, static_cast<int>(t.direction), screenRect(), m_sizes);
    m_textRect = QRect(m_place.body.topLeft() + QPoint(m_sizes.marginX, m_sizes.marginY), text);
    m_shape = tipShape(m_place, m_sizes);

    // The body: the background effect over the whole balloon.
    m_body = canvasImage(m_place.window.size());
    {
        QPainter p(&m_body);
        CDrawHelper helper;
        helper.FillEffect(p, m_body.rect(), static_cast<int>(t.effect), t.colours[0], t.colours[1], t.colours[2],
                          t.granularity, 5);
    }
    m_transparency = (m_fadeIn && m_fadeInStep != 0) ? 100 : t.transparency;

    QRegion region(m_shape.toFillPolygon().toPolygon());
    QSize size = m_place.window.size();
    if (m_shadowX || m_shadowY) {
        region += region.translated(m_shadowX, m_shadowY);
        size += QSize(std::max(0, m_shadowX), std::max(0, m_shadowY));
    }
    setGeometry(QRect(m_place.window.topLeft(), size));
    setMask(region);
    show();
    update();
}

QImage CHtmlToolTip::render(int t)
{
    QImage out = canvasImage(size());
    if (m_body.isNull())
        return out;
    QPainter p(&out);
    if (m_shadowX || m_shadowY) {
        // A grey of the balloon's shape, cast with the helpers' shadow, becomes black at that darkness.
        const int m = MulDiv(255, 100 - m_darken, 100);
        const int g = m + (255 - m) * t / 100;
        QImage shape(m_body.size(), QImage::Format_ARGB32);
        shape.fill(0xFFFFFFFFu);
        {
            QPainter sp(&shape);
            sp.setRenderHint(QPainter::Antialiasing);
            sp.fillPath(m_shape, QColor(g, g, g));
        }
        QImage light(out.size(), QImage::Format_ARGB32);
        light.fill(0xFFFFFFFFu);
        {
            QPainter lp(&light);
            CDrawHelper::DrawShadow(lp, m_shadowX, m_shadowY, shape.width(), shape.height(), shape, m_gradientShadow,
                                    m_depthX, m_depthY);
        }
        for (int y = 0; y < light.height(); ++y) {
            QRgb* px = reinterpret_cast<QRgb*>(light.scanLine(y));
            for (int x = 0; x < light.width(); ++x)
                px[x] = static_cast<QRgb>(255 - qRed(px[x])) << 24;
        }
        p.drawImage(0, 0, light);
    }
    QImage body = m_body;
    {
        QPainter bp(&body);
        QPainterCanvas canvas(bp);
        m_drawer.Draw(canvas, m_textRect);
        if (m_hasBorder && m_borderWidth > 0 && m_borderHeight > 0) {
            bp.setRenderHint(QPainter::Antialiasing);
            bp.strokePath(m_shape, QPen(platform::toQColor(m_borderColour), m_borderWidth));
        }
    }
    p.setOpacity((100 - std::clamp(t, 0, 100)) / 100.0);
    p.setClipPath(m_shape);
    p.drawImage(0, 0, body);
    return out;
}

void CHtmlToolTip::paintEvent(QPaintEvent*)
{
    const int t = m_paintAt >= 0 ? m_paintAt : m_transparency;
    m_paintAt = -1;
    {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, render(t));
    }
    emit painted(t);
}

bool CHtmlToolTip::event(QEvent* e)
{
    if (spine::TooltipRedraw::read(e)) {
        if (m_redraw) {
            m_paintAt = 0;
            repaint();
        }
        return true;
    }
    return QWidget::event(e);
}

void CHtmlToolTip::mouseMoveEvent(QMouseEvent* e)
{
    const bool hand = m_drawer.OnMouseOver(e->position().toPoint());
    setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
    RelayEvent(this, e);
}

void CHtmlToolTip::mousePressEvent(QMouseEvent* e) { RelayEvent(this, e); }

} // namespace tooltips
