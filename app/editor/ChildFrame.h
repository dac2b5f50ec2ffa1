#pragma once
// CChildFrame: the screen window, one MDI child per open screen. It sizes
// itself to its view and cannot be sized by hand, but can be maximised; it
// has no Close in its system menu (screens are closed through the screen panel).
#include "app/spine/NodeNotice.h"

#include <QMdiSubWindow>

class CCore;
struct tagItemData;

namespace editor {

class CLedView;
class CScreenLed;
class FramePort;

inline constexpr int kCmdFileClose = 57602;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(CCore& core, FramePort* port, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CLedView* view() const { return m_view; }
    CScreenLed* canvas() const;
    // Binds the canvas to the screen and takes its name as the title.
    bool OpenScreen(tagItemData* screen);
    // The next activation does not echo the screen back to the tree.
    void clearActivationFlag() { m_activationFlag = false; }
    void setActivationFlag() { m_activationFlag = true; }
    bool activationFlag() const { return m_activationFlag; }
    // Made before the screen area shows: its first showing, along with the
    // area's, does not activate it. Each window shown would otherwise take
    // the activation in turn, and every activation visits every window; the
    // area keeps the one the tree's selection activated.
    void quietFirstShow() { m_quietFirstShow = true; }
    bool eventFilter(QObject* object, QEvent* e) override;
    // Sizes the frame to the view's required size (not when maximised or minimised).
    void relayout();
    // Maximised as the operator left it. The screen area drops the state for
    // the while it resizes a maximised window, and the view lays out meanwhile.
    bool maximizedMode() const { return m_maximized; }
    QMargins frameMargins() const;
    bool OnCommand(int id);
    // Closes the window for the program (the screen panel, the file-close
    // command); the title bar's close button alone does not.
    void closeFrame();
    // The change notice: the title follows the screen's name; the window
    // closes when its screen goes. (The frame's size follows its canvas.)
    void OnNodeChanged(tagItemData* node, spine::NodeChanges what);

    // The screen window that holds a canvas, or null.
    static CChildFrame* ofCanvas(QWidget* canvas);

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void onStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    bool inSizingBorder(QPoint p) const;

    FramePort* m_port;
    CLedView* m_view;
    tagItemData* m_screen = nullptr;   // compared only: the canvas lets go of it first
    bool m_activationFlag = true;
    bool m_maximized = false;
    bool m_closing = false;
    bool m_quietFirstShow = false;
};

} // namespace editor
