#pragma once
// The forty named colours of the colour pop-up and the pop-up's geometry and
// keyboard order, kept apart from the widget so they can be checked directly.
#include "platform/Colour.h"

#include <QRect>
#include <QString>
#include <array>

namespace controls {

constexpr platform::COLORREF kAutomaticColour = 0xFF000000u;

struct NamedColour {
    platform::COLORREF colour;
    const char* name;
};

constexpr int kColourCount = 40;
constexpr int kColourColumns = 8;
const std::array<NamedColour, kColourCount>& colourTable();

// Cell indexes besides 0..39.
constexpr int kCellNone = -1;
constexpr int kCellCustom = -2;
constexpr int kCellDefault = -3;

class ColourPopupLayout {
public:
    // textHeight/defaultWidth/customWidth: the texts measured in the menu font
    // (0 when the text is empty); margin is the system edge width.
    ColourPopupLayout(bool hasDefault, bool hasCustom, int textHeight, int defaultWidth, int customWidth,
                      int margin = 2);

    bool hasDefault() const { return m_hasDefault; }
    bool hasCustom() const { return m_hasCustom; }
    int margin() const { return m_margin; }
    int cellSize() const { return m_cell; }
    int rows() const { return (kColourCount + kColourColumns - 1) / kColourColumns; }
    QSize windowSize() const { return m_size; }
    QRect defaultBox() const { return m_defaultBox; }
    QRect customBox() const { return m_customBox; }
    QRect cellRect(int index) const;
    QRect indexRect(int index) const; // any index: cell or box

    // The index under a client point; kCellNone outside everything.
    int hitTest(QPoint p) const;
    // The index chosen on opening for an initial colour.
    int chosenIndex(platform::COLORREF initial) const;
    // Keyboard moves (Qt::Key_Left, _Right, _Up, _Down); other keys keep the index.
    int move(int index, int key) const;

private:
    bool m_hasDefault, m_hasCustom;
    int m_margin, m_cell;
    int m_cellsTop = 0;
    QSize m_size;
    QRect m_defaultBox, m_customBox;
};

} // namespace controls
