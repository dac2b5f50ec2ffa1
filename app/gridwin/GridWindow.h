#pragma once
// The table editor: a window over a grid model with scroll bars, mouse
// selection and resizing, in-place editors, keys, cell tips and the context
// menu. What it shows and how it reacts is decided by the model and by
// GridInteraction; this class only wires Qt events to them.
#include "app/gridwin/GridInteraction.h"
#include "grid/RealGrid.h"

#include <QWidget>

#include <cstdint>
#include <span>
#include <string>

class QMenu;
class QScrollBar;

namespace gridwin {

class GridWindow : public QWidget, private grid::GridObserver, private grid::EditorFactory {
    Q_OBJECT
public:
    explicit GridWindow(QWidget* parent = nullptr);
    ~GridWindow() override;

    // The model is read through here; it changes only through the window's
    // own operations below, so that scroll bars, editors and paint follow.
    const grid::CRealGrid& grid() const { return grid_; }

    // Edits of the model; each re-lays the window out after it.
    void applyDefaultBorders();
    grid::GridLoadResult loadFrom(std::span<const std::uint8_t> file);
    void saveTo(std::vector<std::uint8_t>& file) { grid_.SaveTo(file); }
    void insertRows(int start, int count);
    void insertColumns(int start, int count);
    bool mergeRange(const grid::GridRange& range);
    bool splitRange(const grid::GridRange& range);
    void setCellText(int col, int row, const std::u16string& text, bool notify);
    bool setCellContent(int col, int row, const std::u16string& text);
    void setCellValidator(int col, int row, const grid::Validator* validator);
    void setRangeBorders(int left, int top, int right, int bottom, const grid::BorderSpec& spec, bool notify);
    void showGridLines(bool show);
    bool toggleMerge(const grid::GridRange& range);

    // The selection and the formatting of its cells (the model reports
    // CELLCHANGED for what it changed).
    void selectRange(int col1, int row1, int col2, int row2);
    void setSelectionFontName(std::u16string_view face);
    void setSelectionFontHeight(std::int32_t height);
    void setSelectionFontWeight(std::int32_t weight);
    void setSelectionFontItalic(bool italic);
    void setSelectionFontUnderline(bool underline);
    void setSelectionColor(std::uint32_t colour);
    void setSelectionAlignment(std::uint32_t alignment);

    // After the model's rows, columns or sizes changed from outside.
    void layoutChanged();
    bool setRowHeight(int row, int height);
    bool setColumnWidth(int col, int width);
    // Moves the current cell to a data cell, scrolling it into view.
    void moveCurrentCell(int col, int row);
    // Opens the cell's editor when it is an editable cell.
    bool beginEdit(int col, int row);
    void endEdit();
    // Takes what the open cell editor holds into its cell, the editor staying
    // open; true when the cell changed.
    bool commitEdit();

    // The context menu for a point in window coordinates; the caller shows it.
    QMenu* buildContextMenu(QPoint pos);
    // Client area without the scroll bars.
    int fullWidth() const { return width(); }
    int fullHeight() const { return height(); }
    QScrollBar* horizontalBar() const { return hBar_; }
    QScrollBar* verticalBar() const { return vBar_; }

signals:
    void selChanged();
    void cellChanged();
    void dimChanged();
    void clientRectChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GridNotify(grid::GridMessage message, bool posted) override;
    std::unique_ptr<grid::CellEditor> CreateEditor(const grid::EditorRequest& request) override;

    void updateScrollBars();
    void scrollTo(int leftCol, int topRow);
    void scrollIntoView(int col, int row, bool horizontal, bool vertical);
    void placeEditors();
    void placeEditor(QWidget* editor, int col, int row);
    void placeEditorOf(QWidget* editor);
    QRect viewRect() const;   // the client area left by the scroll bars
    bool handleKey(QKeyEvent* event, bool inEditor);
    void beginMouseSelection(QPoint pos);
    void trackMouseSelection(QPoint pos);
    void ctrlMove(Move move);
    void emitSelChangedIf(const grid::GridSelection& before);

    grid::CRealGrid grid_;
    QScrollBar* hBar_ = nullptr;
    QScrollBar* vBar_ = nullptr;
    ResizeTracker resize_;
    bool resizing_ = false;
    int resizeLine_ = -1;
    struct {
        bool active = false;
        int anchorCol = -1, anchorRow = -1, endCol = -1, endRow = -1;
    } drag_;
    bool scrolling_ = false;
};

} // namespace gridwin
