// Helpers shared by the grid tests.
#pragma once

#include "grid/RealGrid.h"
#include "support/MessageSpy.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace gridtest {

// Spies on the grid's notifications, in order (wParam: posted or not).
class GridSpy : public grid::GridObserver, public support::MessageLog {
public:
    void GridNotify(grid::GridMessage m, bool posted) override { record(static_cast<unsigned>(m), posted, 0); }
    std::vector<std::pair<grid::GridMessage, bool>> log() const
    {
        std::vector<std::pair<grid::GridMessage, bool>> out;
        for (const support::SpiedMessage& m : messages())
            out.emplace_back(static_cast<grid::GridMessage>(m.id), m.w != 0);
        return out;
    }
    int Count(grid::GridMessage m) const { return count(static_cast<unsigned>(m)); }
};

class FakeEditor : public grid::CellEditor {
public:
    explicit FakeEditor(std::u16string t) : text(std::move(t)) {}
    std::u16string Text() const override { return text; }
    void SetText(const std::u16string& t) override { text = t; }
    void SetAlignmentStyle(std::uint32_t bits) override { alignBits = bits; }
    void SetControlId(int id) override { controlId = id; }
    std::u16string text;
    std::uint32_t alignBits = 99;
    int controlId = -1;
};

class FakeFactory : public grid::EditorFactory {
public:
    std::unique_ptr<grid::CellEditor> CreateEditor(const grid::EditorRequest& r) override
    {
        requests.push_back(r);
        auto e = std::make_unique<FakeEditor>(r.text);
        e->controlId = r.controlId;
        last = e.get();
        return e;
    }
    std::vector<grid::EditorRequest> requests;
    FakeEditor* last = nullptr;
};

class FakeClipboard : public grid::GridClipboard {
public:
    bool Open() override { ++opens; return canOpen; }
    void Close() override {}
    bool HasUnicodeText() const override { return hasUnicode; }
    std::u16string UnicodeText() const override { return unicode; }
    bool HasAnsiText() const override { return hasAnsi; }
    std::string AnsiText() const override { return ansi; }
    void SetText(const std::u16string& t) override { unicode = t; hasUnicode = true; hasAnsi = false; }
    bool canOpen = true;
    bool hasUnicode = false;
    bool hasAnsi = false;
    std::u16string unicode;
    std::string ansi;
    int opens = 0;
};

// A default 6 x 6 table (one header row and column, yellow data borders).
inline std::unique_ptr<grid::CRealGrid> DefaultGrid()
{
    auto g = std::make_unique<grid::CRealGrid>();
    g->ApplyDefaultBorders();
    return g;
}

inline std::string Narrow(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out.push_back(c < 0x80 ? char(c) : '?');
    return out;
}

// Types a text into a cell as the editor would: formulas, recalculation.
inline void Type(grid::CRealGrid& g, int row, int col, const std::u16string& text)
{
    g.SetCellContent(col, row, text);
}

inline std::string Text(const grid::CRealGrid& g, int row, int col)
{
    return Narrow(g.GetCellText(col, row));
}

inline std::string Shown(const grid::CRealGrid& g, int row, int col)
{
    return Narrow(g.GetDisplayText(col, row));
}

}   // namespace gridtest
