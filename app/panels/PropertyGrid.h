#pragma once
// The table panel: a live grid on which the operator types texts and
// formulas, and a tool row for the font, colour, style, alignment, merging,
// borders and grid lines of the selected cells, the table's size and the
// import of a workbook's active sheet. Every change of the grid is written
// back into the item's record as a grid stream and the item is repainted.
#include "app/panels/PanelBase.h"
#include "app/panels/import/SpreadsheetSource.h"

#include <QPointer>
#include <QProgressDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class ItemRecord;
class QHBoxLayout;

namespace controls {
class CBorderButton;
class CColourPicker;
class CFontComboBox;
class CIconButton;
class CSizeComboBox;
struct BorderSpec;
}
namespace gridwin {
class GridWindow;
}

namespace panels {


class CPropertyGrid : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 115;
    enum : int {
        IdGrid = 6095,
        IdColour = 6510,
        IdFace = 6511,
        IdSize = 6512,
        IdBold = 6513,
        IdItalic = 6514,
        IdUnderline = 6515,
        IdLeft = 6516,
        IdCentre = 6517,
        IdRight = 6518,
        IdMerge = 6519,
        IdBorder = 6520,
        IdGridLines = 6521,
        IdTableSize = 6522,
        IdImport = 6523,
    };

    CPropertyGrid(PanelContext ctx, QWidget* parent = nullptr);
    ~CPropertyGrid() override;
    int OnNodeLoad(tagItemData* node) override;
    // A cell's editor still open holds typing the item has not got yet.
    void flushPendingEdit() override;
    void OnNodeDeleting(tagItemData* node) override;

    gridwin::GridWindow* gridWindow() const { return m_grid; }
    // Imports a workbook's active sheet into the loaded table; the result
    // comes later (importFinished). The import button asks for the file first.
    void importFile(const QString& path);
    bool importRunning() const { return m_source != nullptr; }

    // Font height of the grid (negative, pixels) for a point size, and back.
    static std::int32_t fontHeightForPoints(double points, int dpiY);
    static int pointsForFontHeight(std::int32_t height, int dpiY);

signals:
    void importFinished(bool ok);

protected:
    bool OnInitDialog() override;
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void refreshToolRow();
    int oneRowWidth() const;
    void flowToolRow(bool force);
    void save();
    void onDimChanged();
    void onFace(int index);
    void onSize(int index);
    void onColour(int code);
    void onStyle(controls::CIconButton* button);
    void onAlign(int which);
    void onMerge();
    void onBorder(const controls::BorderSpec& pattern);
    void onGridLines();
    void onTableSize();
    void onImport();
    void onSheetLoaded(const SheetData& sheet, tagItemData* target, const QString& path);
    void endImport();
    // Puts a whole new grid stream in the window; the window's DIMCHANGED
    // then relabels, saves and repaints once.
    bool replaceGrid(const std::vector<std::uint8_t>& stream);
    std::vector<std::uint8_t> currentStream();

    // The stored stream could not be read: it is not overwritten by the
    // load's own relabel-and-save, only by a change the operator makes.
    bool m_keepDamaged = false;
    bool m_refreshing = false;
    gridwin::GridWindow* m_grid = nullptr;
    controls::CFontComboBox* m_face = nullptr;
    controls::CSizeComboBox* m_size = nullptr;
    controls::CColourPicker* m_colour = nullptr;
    controls::CIconButton* m_bold = nullptr;
    controls::CIconButton* m_italic = nullptr;
    controls::CIconButton* m_underline = nullptr;
    std::array<controls::CIconButton*, 3> m_align{};
    controls::CIconButton* m_merge = nullptr;
    controls::CBorderButton* m_border = nullptr;
    controls::CIconButton* m_gridLines = nullptr;
    controls::CIconButton* m_tableSize = nullptr;
    controls::CIconButton* m_import = nullptr;
    QPointer<SpreadsheetSource> m_source;
    QPointer<QProgressDialog> m_progress;
    QHBoxLayout* m_rows[2] = {};
    std::vector<QWidget*> m_first, m_second;
    bool m_oneRow = true;
};

} // namespace panels
