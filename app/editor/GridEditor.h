#pragma once
// The table-size dialog (rows, columns, default row height and column width)
// and the table rules that go with it: header labels and resizing a grid to
// a chosen size. The table panel fills the dialog from its grid, runs it and
// applies the result with applyGridSize.
#include "app/controls/BorderSpec.h"
#include "grid/GridTypes.h"

#include <QDialog>
#include <QSpinBox>

#include <string>

class QCheckBox;
class QDialogButtonBox;
class QLabel;

namespace grid {
class CRealGrid;
}

namespace editor {

inline constexpr int kGridEditorTemplate = 6272;
inline constexpr int kGridSizeMin = 1;
inline constexpr int kGridSizeMax = 32767;

struct GridSize {
    int rows = 5;
    int columns = 5;
    int rowHeight = 0;
    int columnWidth = 0;
    int option1 = 1; // check box 6151
    int option2 = 1; // check box 6152
    bool operator==(const GridSize&) const = default;
};

// Column header name of data column n (1-based): A..Z, AA..ZZ, AAA...
std::u16string columnHeaderName(int column);
// Labels the header row with column names and the header column with row
// numbers (each text set with its message cleared and validator run).
void writeHeaderLabels(grid::CRealGrid& grid);
// What the dialog starts from: data rows and columns, header row height and
// header column width.
GridSize gridSizeOf(const grid::CRealGrid& grid);
// Grows or shrinks the grid to the size, gives the rows and columns that
// stay the new height and width, draws every line of the data area and
// relabels the headers. Sizes out of range are brought into it.
void applyGridSize(grid::CRealGrid& grid, GridSize size);
// A border pattern of the border picker as the grid takes it.
grid::BorderSpec toGridBorder(const controls::BorderSpec& pattern);
// A border preset of the table panel as the grid takes it.
grid::BorderSpec gridBorderPreset(int preset);

// A spin box whose edit keeps what is typed within its range at once.
class SizeSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit SizeSpinBox(QWidget* parent = nullptr);
    QLineEdit* edit() const { return lineEdit(); }

protected:
    QValidator::State validate(QString& text, int& pos) const override;

};

class CGridEditor : public QDialog {
    Q_OBJECT
public:
    explicit CGridEditor(QWidget* parent = nullptr);

    void setSize(const GridSize& size);
    // The values as they stand in the controls.
    GridSize size() const;
    // The values taken when OK was pressed.
    GridSize result() const { return m_result; }

    void retranslate();

    void accept() override;

private:
    SizeSpinBox* addSpin(int spinId, int editId);

    GridSize m_result;
    SizeSpinBox* m_rows;
    SizeSpinBox* m_columns;
    SizeSpinBox* m_rowHeight;
    SizeSpinBox* m_columnWidth;
    QCheckBox* m_option1;
    QCheckBox* m_option2;
    QLabel* m_labels[4];
    QDialogButtonBox* m_buttons;
};

} // namespace editor
