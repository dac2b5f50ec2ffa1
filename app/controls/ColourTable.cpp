#include "app/controls/ColourTable.h"

#include <QtGlobal>

namespace controls {

using platform::makeColorRef;

const std::array<NamedColour, kColourCount>& colourTable()
{
    static const std::array<NamedColour, kColourCount> t = {{
        {makeColorRef(0, 0, 0), "Black"},
        {makeColorRef(165, 42, 0), "Brown"},
        {makeColorRef(0, 64, 64), "Dark Olive Green"},
        {makeColorRef(0, 85, 0), "Dark Green"},
        {makeColorRef(0, 0, 94), "Dark Teal"},
        {makeColorRef(0, 0, 139), "Dark blue"},
        {makeColorRef(75, 0, 130), "Indigo"},
        {makeColorRef(40, 40, 40), "Dark grey"},
        {makeColorRef(139, 0, 0), "Dark red"},
        {makeColorRef(255, 104, 32), "Orange"},
        {makeColorRef(139, 139, 0), "Dark yellow"},
        {makeColorRef(0, 147, 0), "Green"},
        {makeColorRef(56, 142, 142), "Teal"},
        {makeColorRef(0, 0, 255), "Blue"},
        {makeColorRef(123, 123, 192), "Blue-grey"},
        {makeColorRef(102, 102, 102), "Grey - 40"},
        {makeColorRef(255, 0, 0), "Red"},
        {makeColorRef(255, 173, 91), "Light orange"},
        {makeColorRef(50, 205, 50), "Lime"},
        {makeColorRef(60, 179, 113), "Sea green"},
        {makeColorRef(127, 255, 212), "Aqua"},
        {makeColorRef(125, 158, 192), "Light blue"},
        {makeColorRef(128, 0, 128), "Violet"},
        {makeColorRef(127, 127, 127), "Grey - 50"},
        {makeColorRef(255, 192, 203), "Pink"},
        {makeColorRef(255, 215, 0), "Gold"},
        {makeColorRef(255, 255, 0), "Yellow"},
        {makeColorRef(0, 255, 0), "Bright green"},
        {makeColorRef(64, 224, 208), "Turquoise"},
        {makeColorRef(192, 255, 255), "Skyblue"},
        {makeColorRef(72, 0, 72), "Plum"},
        {makeColorRef(192, 192, 192), "Light grey"},
        {makeColorRef(255, 228, 225), "Rose"},
        {makeColorRef(210, 180, 140), "Tan"},
        {makeColorRef(255, 255, 224), "Light yellow"},
        {makeColorRef(152, 251, 152), "Pale green "},
        {makeColorRef(175, 238, 238), "Pale turquoise"},
        {makeColorRef(104, 131, 139), "Pale blue"},
        {makeColorRef(230, 230, 250), "Lavender"},
        {makeColorRef(255, 255, 255), "White"},
    }};
    return t;
}

ColourPopupLayout::ColourPopupLayout(bool hasDefault, bool hasCustom, int textHeight, int defaultWidth,
                                     int customWidth, int margin)
    : m_hasDefault(hasDefault), m_hasCustom(hasCustom), m_margin(margin)
{
    m_cell = qMax(18, 2 * margin + 7);
    int w = 2 * margin + kColourColumns * m_cell;
    int h = rows() * m_cell + 2 * margin;
    int boxH = textHeight + 4 * margin + 2;
    int textW = qMax(hasDefault ? defaultWidth : 0, hasCustom ? customWidth : 0) + 2 * margin;
    m_cellsTop = margin;
    if (hasDefault) {
        w = qMax(w, textW);
        m_defaultBox = QRect(QPoint(margin, margin), QPoint(w - margin, boxH + 2 * margin) - QPoint(1, 1));
        h += m_defaultBox.height() + 2 * margin;
        m_cellsTop += m_defaultBox.height() + margin;
    }
    if (hasCustom) {
        w = qMax(w, textW);
        m_customBox = QRect(QPoint(margin, h), QPoint(w - margin, h + margin + boxH) - QPoint(1, 1));
        h += m_customBox.height() + 2 * margin;
    }
    if (hasDefault)
        m_defaultBox.setRight(w - margin - 1);
    if (hasCustom)
        m_customBox.setRight(w - margin - 1);
    m_size = QSize(w, h);
}

QRect ColourPopupLayout::cellRect(int i) const
{
    if (i < 0 || i >= kColourCount)
        return {};
    return QRect((i % kColourColumns) * m_cell + m_margin, (i / kColourColumns) * m_cell + m_cellsTop, m_cell,
                 m_cell);
}

QRect ColourPopupLayout::indexRect(int i) const
{
    if (i == kCellDefault)
        return m_defaultBox;
    if (i == kCellCustom)
        return m_customBox;
    return cellRect(i);
}

int ColourPopupLayout::hitTest(QPoint p) const
{
    if (m_hasCustom && m_customBox.contains(p))
        return kCellCustom;
    if (m_hasDefault && m_defaultBox.contains(p))
        return kCellDefault;
    int x = p.x() - m_margin;
    int y = p.y() - m_cellsTop;
    if (x < 0 || y < 0)
        return kCellNone;
    int col = x / m_cell, row = y / m_cell;
    if (col >= kColourColumns || row >= rows())
        return kCellNone;
    int i = row * kColourColumns + col;
    return i < kColourCount ? i : kCellNone;
}

int ColourPopupLayout::chosenIndex(platform::COLORREF initial) const
{
    if (initial == kAutomaticColour && m_hasDefault)
        return kCellDefault;
    for (int i = 0; i < kColourCount; ++i)
        if (colourTable()[i].colour == initial)
            return i;
    return m_hasCustom ? kCellCustom : kCellNone;
}

int ColourPopupLayout::move(int i, int key) const
{
    const int last = kColourCount - 1;
    const int cols = kColourColumns;
    // Where the walk goes past either end of the cells.
    const int beforeFirst = m_hasDefault ? kCellDefault : m_hasCustom ? kCellCustom : last;
    const int afterLast = m_hasCustom ? kCellCustom : m_hasDefault ? kCellDefault : 0;
    if (i == kCellNone) {
        // Nothing under the keyboard yet: start at either end of the walk.
        if (key == Qt::Key_Left || key == Qt::Key_Up)
            return m_hasCustom ? kCellCustom : last;
        if (key == Qt::Key_Right || key == Qt::Key_Down)
            return m_hasDefault ? kCellDefault : 0;
        return i;
    }
    switch (key) {
    case Qt::Key_Left:
        if (i == kCellDefault)
            return m_hasCustom ? kCellCustom : last;
        if (i == kCellCustom)
            return last;
        if (i == 0)
            return beforeFirst;
        return i > 0 ? i - 1 : i;
    case Qt::Key_Right:
        if (i == kCellDefault)
            return 0;
        if (i == kCellCustom)
            return m_hasDefault ? kCellDefault : 0;
        if (i == last)
            return afterLast;
        return i >= 0 ? i + 1 : i;
    case Qt::Key_Up:
        if (i == kCellDefault)
            return m_hasCustom ? kCellCustom : last;
        if (i == kCellCustom)
            return last;
        if (i >= 0 && i < cols)
            return beforeFirst;
        return i >= cols ? i - cols : i;
    case Qt::Key_Down:
        if (i == kCellDefault)
            return 0;
        if (i == kCellCustom)
            return m_hasDefault ? kCellDefault : 0;
        if (i >= kColourCount - cols)
            return afterLast;
        return i >= 0 ? i + cols : i;
    default:
        return i;
    }
}

} // namespace controls
