// Plain records of the grid model: cells, rows, columns, font and pen records.
#pragma once

#include "platform/LogFont.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace grid {

// Pen styles, text alignment and editor style bits with their Windows values,
// because they are stored in grid streams as they are.
inline constexpr std::uint32_t PS_SOLID = 0;
inline constexpr std::uint32_t PS_NULL = 5;
inline constexpr std::uint32_t DT_LEFT = 0;
inline constexpr std::uint32_t DT_CENTER = 1;
inline constexpr std::uint32_t DT_RIGHT = 2;
inline constexpr std::uint32_t DT_VCENTER = 4;
inline constexpr std::uint32_t DT_SINGLELINE = 0x20;
inline constexpr std::uint32_t ES_LEFT = 0;
inline constexpr std::uint32_t ES_CENTER = 1;
inline constexpr std::uint32_t ES_RIGHT = 2;
inline constexpr std::uint32_t ES_MULTILINE = 0x4;
inline constexpr std::uint32_t ES_AUTOVSCROLL = 0x40;
inline constexpr std::uint32_t ES_WANTRETURN = 0x1000;
inline constexpr std::uint32_t kChildVisibleStyle = 0x50000000;   // WS_CHILD | WS_VISIBLE

// The header background is stored in streams, so it is a fixed colour rather
// than whatever the desktop theme says.
inline constexpr std::uint32_t kButtonFaceColour = 0xF0F0F0;
inline constexpr std::uint32_t kDefaultAlignment = DT_CENTER | DT_VCENTER | DT_SINGLELINE;   // 37

LOGFONT DefaultLogFont();   // -13, 400, GB2312, "宋体"

struct FontRecord {
    std::uint32_t refCount = 0;
    LOGFONT font;
};

struct PenRecord {
    std::uint32_t refCount = 0;
    std::uint32_t style = PS_SOLID;
    std::uint32_t width = 0;
    std::uint32_t colour = 0;
};

struct CellType;
struct Formator;
struct Validator;

// The seven attributes shared by columns (as defaults) and cells.
struct CellAttributes {
    const CellType* type = nullptr;
    std::uint32_t editStyle = kChildVisibleStyle;
    std::uint32_t textColour = 0xFFFFFF;
    std::uint32_t background = 0;
    std::uint32_t alignment = DT_CENTER;
    std::uint32_t attributes = 0;
    const Formator* formatter = nullptr;
};

// The in-place editor of a cell; the widget layer supplies the real one.
class CellEditor {
public:
    virtual ~CellEditor() = default;
    virtual std::u16string Text() const = 0;
    virtual void SetText(const std::u16string& text) = 0;
    // Replaces the two low style bits (ES_LEFT / ES_CENTER / ES_RIGHT) and repaints.
    virtual void SetAlignmentStyle(std::uint32_t esBits) = 0;
    virtual void SetControlId(int id) = 0;
};

struct CellFormula;

struct Cell {
    CellAttributes attr;
    std::u16string text;
    std::uint32_t font = 0;
    std::array<std::uint32_t, 4> pens{};   // left, top, right, bottom
    std::uint32_t pen5 = 0;
    std::uint32_t pen6 = 0;
    std::int32_t mergeCol = 0;
    std::int32_t mergeRow = 0;
    std::unique_ptr<CellEditor> editor;
    std::u16string message;
    const Validator* validator = nullptr;
    CellFormula* formula = nullptr;   // owned by the grid's formula list
    std::uint32_t sharedEdges = 1;

    // Covered by a merged block whose top-left cell lies elsewhere.
    bool IsCovered(int col, int row) const { return mergeCol <= col && mergeRow <= row; }
};

enum { PenLeft = 0, PenTop = 1, PenRight = 2, PenBottom = 3 };

struct Row {
    std::int32_t height = 24;
    std::vector<Cell> cells;
};

struct Column {
    CellAttributes attr;
    std::int32_t width = 60;
};

// A cell range with exclusive right and bottom ends.
struct GridRange {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const GridRange&) const = default;
};

// Inclusive selection bounds; -1 everywhere when nothing is selected.
struct GridSelection {
    int top = -1;
    int left = -1;
    int bottom = -1;
    int right = -1;
    bool IsSet() const { return top >= 0 && left >= 0; }
    bool operator==(const GridSelection&) const = default;
};

// Border pattern: a leading word, then eight items {style, width, colour, apply}.
struct BorderItem {
    std::int32_t style = 0;
    std::int32_t width = 0;
    std::uint32_t colour = 0;
    std::int32_t apply = 0;
};
struct BorderSpec {
    std::int32_t lead = 0;
    BorderItem items[8];
};
static_assert(sizeof(BorderSpec) == 33 * 4);

void InitBorderSpec(BorderSpec& spec);

}   // namespace grid
