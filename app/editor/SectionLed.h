#pragma once
// CSectionLed: the window of one section on a screen canvas. It shows the
// section and one of its items (page by page when the item is larger), and
// is moved and sized with the mouse in whole dots and even LED sizes inside
// its scene's client area; every change goes through CCore::ChangeItemRect.
#include "app/editor/CanvasGeometry.h"
#include "app/editor/Led.h"
#include "app/editor/RectTrackerEx.h"

#include <QPointer>

namespace editor {

class CScreenLed;
class FramePort;

class CSectionLed : public CLedEx {
    Q_OBJECT
public:
    CSectionLed(CCore& core, CScreenLed& screen, QWidget* parent);

    void Draw(QPainter& p, const QRect& clip) override;
    int AttachItem(tagItemData* section) override;   // 0 in every case
    tagItemData* DetachItem() override;

    // The item shown (an item of the section, or null); returns the previous
    // one, or null when `item` is not a content item.
    tagItemData* SetItem(tagItemData* item, bool redraw);
    tagItemData* currentItem() const { return m_curItem; }
    bool SetSelected(bool selected, bool redraw);
    bool isSelected() const { return m_selected; }

    int NextPage();
    int PrevPage();
    int NextItem();
    int PrevItem();
    const PageState& pages() const { return m_pages; }

    // Moves the window to a rectangle in LEDs (times the dot size, less the
    // screen canvas's scroll origin).
    void PlaceWindow(const QRect& leds);
    // Recomputes the page counts and draws the section and its item.
    void redrawContent(bool redraw);
    // Paints the content picture (one pixel per LED) at the section's place.
    bool paintContentTo(QPainter& p) const;

    HitCode operation() const { return m_hit; }
    const CRectTrackerEx& tracker() const { return m_tracker; }
    // The sizing handle of this window at a point of the screen (global
    // coordinates): an edge or corner code while the window is selected and
    // the point lies on one of its handles, else HitNone.
    HitCode handleAt(QPoint global) const;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // The selected window when the point lies on one of its handles: its
    // handles come first, also where they lie over another section's window.
    CSectionLed* handleOwnerAt(QPoint global) const;
    void beginOperation(HitCode hit, QPoint globalPos);
    void applyOperation(QPoint globalPos);
    void endOperation(QPoint globalPos);
    void commitRect();
    void updateCursor(QPoint local, QPoint global);
    QRect sceneClientArea() const;   // display pixels, scroll origin added

    CScreenLed& m_screen;
    tagItemData* m_curItem = nullptr;
    PageState m_pages;
    bool m_selected = false;
    bool m_hover = false;
    HitCode m_hit = HitNone;
    QPointer<CSectionLed> m_forward;   // the selected window this one hands a drag to
    QPoint m_pressGlobal;
    QRect m_startRect;   // display pixels, scroll origin added
    CRectTrackerEx m_tracker;
};

} // namespace editor
