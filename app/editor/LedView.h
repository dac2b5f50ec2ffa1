#pragma once
// CLedView: the view of a screen window, the screen canvas above a bottom
// toolbar of zoom, move-to-obstacle, item and page buttons. The canvas is
// centred when it fits and clipped when not; a maximised, clipped view shows
// the thumbnail of where its visible part lies.
#include "app/editor/CanvasGeometry.h"

#include <QWidget>

class CCore;

namespace controls {
class CToolBarCtrlEx;
}

namespace editor {

class CScreenLed;
class FramePort;

enum ViewCommand {
    kCmdZoomIn = 32906,
    kCmdZoomOut = 32907,
    kCmdMoveUp = 32908,
    kCmdMoveDown = 32909,
    kCmdMoveLeft = 32910,
    kCmdMoveRight = 32911,
    kCmdAlign = 32912,
    kCmdPrevItem = 32913,
    kCmdNextItem = 32914,
    kCmdPrevPage = 32915,
    kCmdNextPage = 32916,
};
inline constexpr int kViewToolBarId = 6195;
inline constexpr int kViewMargin = 5;

class CLedView : public QWidget {
    Q_OBJECT
public:
    CLedView(CCore& core, FramePort* port, QWidget* parent = nullptr);

    CScreenLed* canvas() const { return m_canvas; }
    controls::CToolBarCtrlEx* toolBar() const { return m_toolBar; }
    QSize GetRequiredSize() const;
    // Runs a toolbar command; false for an id the view does not know.
    bool OnCommand(int id);
    // Centres or clips the canvas and shows or hides the thumbnail.
    void layoutCanvas();
    bool isClipped() const { return m_clipped; }
    // Moves the selected section to its nearest obstacle; false when it stays.
    bool moveToObstacle(Direction d);

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    bool frameMaximized() const;
    void zoom(int step);

    CCore& m_core;
    FramePort* m_port;
    controls::CToolBarCtrlEx* m_toolBar = nullptr;
    CScreenLed* m_canvas = nullptr;
    int m_toolBarWidth = 0;
    int m_toolBarHeight = 0;
    bool m_clipped = false;
};

} // namespace editor
