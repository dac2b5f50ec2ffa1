#include "app/editor/ChildFrame.h"

#include "app/spine/Messages.h"
#include "app/editor/FramePort.h"
#include "app/editor/LedView.h"
#include "app/editor/ScreenLed.h"
#include "app/editor/TreeRules.h"

#include "core/api/Nodes.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QPointer>

#include <utility>

namespace editor {

namespace {

// The title bar without its close button; the other buttons move right into its place.
class NoCloseBoxStyle : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                            const QWidget* w) const override
    {
        if (cc == CC_TitleBar) {
            if (const auto* bar = qstyleoption_cast<const QStyleOptionTitleBar*>(opt)) {
                QStyleOptionTitleBar without = *bar;
                without.subControls &= ~SC_TitleBarCloseButton;
                // The other buttons are drawn where subControlRect puts them.
                QProxyStyle::drawComplexControl(cc, &without, p, w);
                return;
            }
        }
        QProxyStyle::drawComplexControl(cc, opt, p, w);
    }

    SubControl hitTestComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, const QPoint& pos,
                                     const QWidget* w) const override
    {
        if (cc == CC_TitleBar) {
            for (const SubControl sc : {SC_TitleBarMinButton, SC_TitleBarMaxButton, SC_TitleBarNormalButton}) {
                const QRect r = subControlRect(cc, opt, sc, w);
                if (!r.isEmpty() && r.contains(pos) && (opt->subControls & sc))
                    return sc;
            }
            const SubControl hit = QProxyStyle::hitTestComplexControl(cc, opt, pos, w);
            if (hit == SC_TitleBarCloseButton || hit == SC_TitleBarMinButton || hit == SC_TitleBarMaxButton
                || hit == SC_TitleBarNormalButton)
                return SC_TitleBarLabel;
            return hit;
        }
        return QProxyStyle::hitTestComplexControl(cc, opt, pos, w);
    }

    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* w) const override
    {
        const QRect r = QProxyStyle::subControlRect(cc, opt, sc, w);
        if (cc != CC_TitleBar)
            return r;
        if (sc == SC_TitleBarCloseButton)
            return {};
        if (sc == SC_TitleBarMinButton || sc == SC_TitleBarMaxButton || sc == SC_TitleBarNormalButton) {
            const QRect close = QProxyStyle::subControlRect(cc, opt, SC_TitleBarCloseButton, w);
            QRect right = QProxyStyle::subControlRect(cc, opt, SC_TitleBarMaxButton, w);
            if (right.isEmpty())
                right = QProxyStyle::subControlRect(cc, opt, SC_TitleBarNormalButton, w);
            if (!r.isEmpty() && !close.isEmpty() && !right.isEmpty())
                return r.translated(close.left() - right.left(), 0);
        }
        return r;
    }
};

} // namespace

CChildFrame::CChildFrame(CCore& core, FramePort* port, QWidget* parent)
    : QMdiSubWindow(parent)
    , m_port(port)
{
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint);
    // A screen window does not close from its frame: its title bar shows no
    // close box (the sub-window always keeps the hint that would draw one).
    auto* look = new NoCloseBoxStyle;
    look->setParent(this);
    setStyle(look);
    m_view = new CLedView(core, port, this);
    m_view->setObjectName(QStringLiteral("59648"));   // the first pane, 0xE900
    setWidget(m_view);
    setAttribute(Qt::WA_DeleteOnClose);
    // Screens close through the screen panel; the frame is sized by its view.
    if (QMenu* menu = systemMenu()) {
        const QString close = QCoreApplication::translate("QMdiSubWindow", "&Close");
        const QString size = QCoreApplication::translate("QMdiSubWindow", "&Size");
        for (QAction* a : menu->actions()) {
            if (a->text() == close || a->text() == size)
                menu->removeAction(a);
        }
    }
    // Tab reaches the active screen window only: entering another would
    // activate it and select its screen, and moving the focus selects nothing.
    // A click still takes the focus, and activates the window on purpose.
    setFocusPolicy(Qt::ClickFocus);
    connect(this, &QMdiSubWindow::windowStateChanged, this, &CChildFrame::onStateChanged);
    // A new size reaches the frame from its canvas (the view's relayout
    // message), once the canvas has taken it: not from the notice here.
    spine::NodeNotices& n = spine::notices();
    connect(&n, &spine::NodeNotices::nodeChanged, this,
            [this](tagItemData* node, spine::NodeChanges what) { OnNodeChanged(node, what); });
    connect(&n, &spine::NodeNotices::nodeDeleting, this, [this](tagItemData* node) {
        if (node && node == m_screen)
            closeFrame();
    });
}

void CChildFrame::OnNodeChanged(tagItemData* node, spine::NodeChanges what)
{
    if (!node || node != m_screen)
        return;
    if (what & spine::NodeChange::Name)
        setWindowTitle(nodeName(node));
}

// The base still reports state changes while it is torn down, after this part is gone.
CChildFrame::~CChildFrame()
{
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
}

CScreenLed* CChildFrame::canvas() const
{
    return m_view->canvas();
}

CChildFrame* CChildFrame::ofCanvas(QWidget* canvas)
{
    for (QWidget* w = canvas; w; w = w->parentWidget()) {
        if (auto* f = qobject_cast<CChildFrame*>(w))
            return f;
    }
    return nullptr;
}

bool CChildFrame::OpenScreen(tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return false;
    canvas()->AttachItem(screen);
    m_screen = screen;
    // The main frame finds a screen's window by this property of the frame's widget.
    m_view->setProperty("screenNode", QVariant::fromValue<void*>(screen));
    setWindowTitle(nodeName(screen));
    relayout();
    return true;
}

QMargins CChildFrame::frameMargins() const
{
    const QRect inner = m_view->geometry();
    return {inner.left(), inner.top(), width() - inner.right() - 1, height() - inner.bottom() - 1};
}

void CChildFrame::relayout()
{
    if (isMaximized() || isMinimized())
        return;
    // The margins are only known once the frame has laid out its view.
    QSize extra(0, 0);
    if (m_view->geometry().isValid() && m_view->width() > 0)
        extra = size() - m_view->size();
    else
        extra = QSize(2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this),
                      style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this)
                          + style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this));
    const QSize want = m_view->GetRequiredSize() + extra;
    if (want != size())
        resize(want);
    else
        m_view->layoutCanvas();
    canvas()->ScrollTo(0, 0);
}

bool CChildFrame::event(QEvent* e)
{
    if (spine::ViewRelayout::dispatch(e, [this] {
            relayout();
            return 1;
        }))
        return true;
    if (spine::Command::dispatch(e, [this](spine::CommandWord c, QObject*) {
            return m_view->OnCommand(c.id) || OnCommand(c.id);
        }))
        return true;
    const bool r = QMdiSubWindow::event(e);
    if (e->type() == QEvent::Show || e->type() == QEvent::LayoutRequest)
        relayout();
    return r;
}

// The base class activates the window when its widget is shown, and again
// when it is; the widget's showing comes first.
bool CChildFrame::eventFilter(QObject* object, QEvent* e)
{
    if (m_quietFirstShow && object == widget() && e->type() == QEvent::Show)
        return QWidget::eventFilter(object, e);
    return QMdiSubWindow::eventFilter(object, e);
}

void CChildFrame::showEvent(QShowEvent* e)
{
    if (std::exchange(m_quietFirstShow, false) && mdiArea()) {
        QWidget::showEvent(e);
        return;
    }
    QMdiSubWindow::showEvent(e);
}

bool CChildFrame::OnCommand(int id)
{
    if (id == kCmdFileClose) {
        closeFrame();
        return true;
    }
    return false;
}

void CChildFrame::closeFrame()
{
    m_closing = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* e)
{
    // A screen closes through the screen panel, which asks about unsaved work first.
    if (!m_closing) {
        e->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(e);
}

void CChildFrame::focusInEvent(QFocusEvent* e)
{
    QMdiSubWindow::focusInEvent(e);
    m_view->setFocus();
}

void CChildFrame::onStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState)
{
    if ((newState ^ oldState) & Qt::WindowActive)
        setFocusPolicy(newState & Qt::WindowActive ? Qt::StrongFocus : Qt::ClickFocus);
    if ((newState & Qt::WindowActive) && !(oldState & Qt::WindowActive)) {
        // Active again with no other screen window in between (the program
        // was left for another, or a popup took the keyboard): it selects
        // nothing, the tree keeps what it had within this screen.
        static QPointer<CChildFrame> lastActive;
        const bool back = lastActive == this;
        lastActive = this;
        if (!m_activationFlag) {
            m_activationFlag = true;
        } else if (tagItemData* screen = canvas()->boundItem(); screen && m_port && !back) {
            spine::NodeSelect::post(m_port->itemTree, screen);
        }
    }
    m_maximized = newState & Qt::WindowMaximized;
    const Qt::WindowStates sizeBits = Qt::WindowMaximized | Qt::WindowMinimized;
    if ((oldState & sizeBits) != (newState & sizeBits)) {
        if (newState & sizeBits)
            m_view->layoutCanvas();
        else
            relayout();
    }
}

bool CChildFrame::inSizingBorder(QPoint p) const
{
    if (isMaximized() || isMinimized())
        return false;
    const int fw = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int th = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const bool inTitle = p.y() >= fw && p.y() < th && p.x() >= fw && p.x() < width() - fw;
    return !inTitle && !m_view->geometry().contains(p);
}

// The border does not size the frame: presses there are taken and dropped.
void CChildFrame::mousePressEvent(QMouseEvent* e)
{
    if (inSizingBorder(e->position().toPoint())) {
        e->accept();
        return;
    }
    QMdiSubWindow::mousePressEvent(e);
}

void CChildFrame::mouseMoveEvent(QMouseEvent* e)
{
    if (inSizingBorder(e->position().toPoint())) {
        unsetCursor();
        e->accept();
        return;
    }
    QMdiSubWindow::mouseMoveEvent(e);
}

} // namespace editor
