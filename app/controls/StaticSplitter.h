#pragma once
// Divides an area between exactly two given widgets with a draggable bar. It
// keeps the split as a proportion, as the second pane's size or as the first
// pane's size when resized, and snaps a fixed pane to its size or collapses it.
#include <QPointer>
#include <QWidget>

namespace controls {

// The position arithmetic, apart from the widget.
class SplitterModel {
public:
    enum ResizeFlags { KeepProportion = 1, KeepSecond = 4 };

    int extent = 0;    // layout extent along the split axis
    int barWidth = 4;
    int minimum = 0;
    int edgeExtra = 0;
    int position = -1; // -1: not yet set
    int kept = 5000;   // proportion in 1/10000 (flag 1) or second pane size (flag 4)
    bool record = true;
    int resizeMode = KeepProportion;
    int fixedPane = -1;
    int fixedSize = 0;

    int pending = kNoPending; // a position asked for before the extent was known
    static constexpr int kNoPending = -3;

    int available() const { return extent - barWidth - edgeExtra; }
    // Sets the position with snapping and clamping; returns whether it changed.
    // Before the first size is known the position waits for it.
    bool setPosition(int pos);
    // A new extent; keeps the proportion or second pane as the mode says, or
    // places a position that waited for it.
    void resize(int newExtent);
    // Where a double click on the bar puts it.
    int doubleClickPosition() const;
    bool onBar(int coordinate) const
    {
        return position >= 0 && coordinate >= position && coordinate < position + barWidth + edgeExtra;
    }
};

class CStaticSplitterWnd : public QWidget {
    Q_OBJECT
public:
    explicit CStaticSplitterWnd(QWidget* parent = nullptr, bool vertical = true);

    bool Create(QWidget* parent, bool vertical, int id);
    void SetPanes(QWidget* first, QWidget* second);
    bool SetSplitterPos(int position, bool relayout = true);
    int GetSplitterPos() const { return m_model.position; }
    bool SetFixedPane(QWidget* pane, int size);
    void SetResizeFlags(int flags) { m_model.resizeMode = flags; }
    void SetSinglePane(int pane);
    void SetLiveDrag(bool on) { m_liveDrag = on; }
    bool isVertical() const { return m_vertical; }
    const SplitterModel& model() const { return m_model; }
    QRect barRect() const;
    QRect paneRect(int pane) const;
    int activePane() const { return m_activePane; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void showEvent(QShowEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    int along(const QPoint& p) const { return m_vertical ? p.x() : p.y(); }
    void layoutPanes();
    void centreIfUnset();
    void moveTracker(int position);

    QPointer<QWidget> m_panes[2];
    QWidget* m_tracker = nullptr;
    SplitterModel m_model;
    bool m_vertical = true;
    int m_activePane = -1;
    bool m_liveDrag = false;
    bool m_dragging = false;
    int m_grab = 0;
    int m_singlePane = -1;
    bool m_hoverBar = false;
};

} // namespace controls
