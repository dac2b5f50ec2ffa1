#pragma once
// The frame with sizing handles drawn around a section window when it is
// selected or hovered. It only draws: moving and sizing are the window's own.
#include <QColor>
#include <QRect>

class QPainter;

namespace editor {

class CRectTrackerEx {
public:
    enum Style {
        SolidLine = 1,
        DottedLine = 2,
        HatchedBorder = 4,
        ResizeInside = 8,
        ResizeOutside = 16,
        HatchInside = 32,
    };

    CRectTrackerEx();

    int m_nStyle = 0;
    QRect m_rect;             // may be inverted (left > right); normalised when drawn
    int m_nHandleSize = 4;
    // COLORREF 0x00BBGGRR; frame lines are always drawn in the shared pens' 0xFF0000.
    unsigned m_handleColor = 0xFF0000u;

    void Draw(QPainter& p) const;
    // Bits 0-7 for handles top-left, top-right, bottom-right, bottom-left, top, right, bottom, left.
    unsigned GetHandleMask() const;
    int GetHandleSize(const QRect* r = nullptr) const;
    // The square of handle `i` (0..7) for the current rectangle.
    QRect handleRect(int i) const;

    // The colour of the shared frame pens.
    static QColor framePenColor();
};

QColor colorFromColorref(unsigned colorref);

} // namespace editor
