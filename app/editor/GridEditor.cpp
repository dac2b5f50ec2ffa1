#include "app/editor/GridEditor.h"

#include "app/controls/ControlMessages.h"
#include "grid/Expression.h"
#include "grid/RealGrid.h"
#include "platform/LangPack.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace editor {

namespace {
enum : int {
    IDC_SPIN_ROWHEIGHT = 6190,
    IDC_SPIN_ROWS = 6191,
    IDC_SPIN_COLUMNS = 6192,
    IDC_SPIN_COLWIDTH = 6193,
    IDC_EDIT_ROWS = 6254,
    IDC_EDIT_COLUMNS = 6255,
    IDC_EDIT_ROWHEIGHT = 6256,
    IDC_EDIT_COLWIDTH = 6257,
    IDC_CHECK_OPTION1 = 6151,
    IDC_CHECK_OPTION2 = 6152,
};

int clampSize(int v) { return std::clamp(v, kGridSizeMin, kGridSizeMax); }
} // namespace

std::u16string columnHeaderName(int column) { return grid::ColumnLetters(column); }

void writeHeaderLabels(grid::CRealGrid& g)
{
    for (int c = 1; c < g.ColumnCount(); ++c)
        g.SetCellText(c, 0, columnHeaderName(c), false);
    for (int r = 1; r < g.RowCount(); ++r)
        g.SetCellText(0, r, QString::number(r).toStdU16String(), false);
}

GridSize gridSizeOf(const grid::CRealGrid& g)
{
    GridSize s;
    s.rows = std::max(0, g.RowCount() - 1);
    s.columns = std::max(0, g.ColumnCount() - 1);
    s.rowHeight = g.RowCount() > 0 ? g.RowHeight(0) : g.DefaultRowHeight();
    s.columnWidth = g.ColumnCount() > 0 ? g.ColumnWidth(0) : g.DefaultColumnWidth();
    return s;
}

grid::BorderSpec gridBorderPreset(int preset) { return toGridBorder(controls::borderPreset(preset)); }

grid::BorderSpec toGridBorder(const controls::BorderSpec& p)
{
    grid::BorderSpec g{};
    g.lead = p.lead;
    for (int i = 0; i < 8; ++i)
        g.items[i] = grid::BorderItem{p.sides[i].style, p.sides[i].width, std::uint32_t(p.sides[i].colour),
                                      p.sides[i].apply};
    return g;
}

void applyGridSize(grid::CRealGrid& g, GridSize size)
{
    // A grid without its header row and column cannot be sized.
    if (g.RowCount() < 1 || g.ColumnCount() < 1)
        return;
    size.rows = clampSize(size.rows);
    size.columns = clampSize(size.columns);
    size.rowHeight = clampSize(size.rowHeight);
    size.columnWidth = clampSize(size.columnWidth);
    g.SetDefaultSizes(size.rowHeight, size.columnWidth);
    const int oldRows = g.RowCount(), oldCols = g.ColumnCount();
    const int rows = size.rows + 1, cols = size.columns + 1;
    if (rows > oldRows)
        g.InsertRows(oldRows, rows - oldRows);
    else if (rows < oldRows)
        g.DeleteRows(rows, oldRows - rows, false);
    if (cols > oldCols)
        g.InsertColumns(oldCols, cols - oldCols);
    else if (cols < oldCols)
        g.DeleteColumns(cols, oldCols - cols, false);
    for (int r = 0; r < std::min(oldRows, rows); ++r)
        g.SetRowHeight(r, size.rowHeight);
    for (int c = 0; c < std::min(oldCols, cols); ++c)
        g.SetColumnWidth(c, size.columnWidth);
    g.SetRangeBorders(1, 1, cols - 1, rows - 1, gridBorderPreset(8), false);
    writeHeaderLabels(g);
}

// ---------------------------------------------------------------- SizeSpinBox

SizeSpinBox::SizeSpinBox(QWidget* parent) : QSpinBox(parent) { setRange(kGridSizeMin, kGridSizeMax); }

QValidator::State SizeSpinBox::validate(QString& text, int& pos) const
{
    // Any run of digits may be typed; a value outside the range becomes the
    // bound it crossed, at once.
    if (text.isEmpty())
        return QValidator::Intermediate;
    for (QChar c : text)
        if (!c.isDigit())
            return QValidator::Invalid;
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v > maximum())
        text = QString::number(maximum());
    else if (v < minimum())
        text = QString::number(minimum());
    pos = std::min(pos, int(text.size()));
    return QValidator::Acceptable;
}

// ---------------------------------------------------------------- CGridEditor

CGridEditor::CGridEditor(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(kGridEditorTemplate));
    auto* grid = new QGridLayout;
    const int spins[4][2] = {{IDC_SPIN_ROWS, IDC_EDIT_ROWS},
                             {IDC_SPIN_COLUMNS, IDC_EDIT_COLUMNS},
                             {IDC_SPIN_ROWHEIGHT, IDC_EDIT_ROWHEIGHT},
                             {IDC_SPIN_COLWIDTH, IDC_EDIT_COLWIDTH}};
    SizeSpinBox** fields[4] = {&m_rows, &m_columns, &m_rowHeight, &m_columnWidth};
    for (int i = 0; i < 4; ++i) {
        *fields[i] = addSpin(spins[i][0], spins[i][1]);
        m_labels[i] = new QLabel(this);
        m_labels[i]->setBuddy(*fields[i]);
        grid->addWidget(m_labels[i], i, 0);
        grid->addWidget(*fields[i], i, 1);
    }
    m_option1 = new QCheckBox(this);
    m_option2 = new QCheckBox(this);
    m_option1->setObjectName(QString::number(IDC_CHECK_OPTION1));
    m_option2->setObjectName(QString::number(IDC_CHECK_OPTION2));
    controls::setControlId(m_option1, IDC_CHECK_OPTION1);
    controls::setControlId(m_option2, IDC_CHECK_OPTION2);
    grid->addWidget(m_option1, 4, 0, 1, 2);
    grid->addWidget(m_option2, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addWidget(m_buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    GridSize initial;
    initial.rowHeight = 24;
    initial.columnWidth = 60;
    setSize(initial);
    retranslate();
}

SizeSpinBox* CGridEditor::addSpin(int spinId, int editId)
{
    auto* s = new SizeSpinBox(this);
    s->setObjectName(QString::number(spinId));
    controls::setControlId(s, spinId);
    s->edit()->setObjectName(QString::number(editId));
    controls::setControlId(s->edit(), editId);
    s->setMinimumWidth(90);
    return s;
}

void CGridEditor::retranslate()
{
    setWindowTitle(platform::langDialogText(kGridEditorTemplate, 0));
    const int ids[4] = {IDC_EDIT_ROWS, IDC_EDIT_COLUMNS, IDC_EDIT_ROWHEIGHT, IDC_EDIT_COLWIDTH};
    for (int i = 0; i < 4; ++i)
        m_labels[i]->setText(platform::langDialogText(kGridEditorTemplate, unsigned(ids[i])));
    m_option1->setText(platform::langDialogText(kGridEditorTemplate, IDC_CHECK_OPTION1));
    m_option2->setText(platform::langDialogText(kGridEditorTemplate, IDC_CHECK_OPTION2));
    m_buttons->button(QDialogButtonBox::Ok)->setText(platform::langDialogText(kGridEditorTemplate, 1));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(platform::langDialogText(kGridEditorTemplate, 2));
}

void CGridEditor::setSize(const GridSize& s)
{
    m_rows->setValue(clampSize(s.rows));
    m_columns->setValue(clampSize(s.columns));
    m_rowHeight->setValue(clampSize(s.rowHeight));
    m_columnWidth->setValue(clampSize(s.columnWidth));
    m_option1->setChecked(s.option1 != 0);
    m_option2->setChecked(s.option2 != 0);
}

GridSize CGridEditor::size() const
{
    // An edit left below its range (emptied) counts as its minimum.
    auto read = [](const SizeSpinBox* s) {
        bool ok = false;
        const int v = s->edit()->text().toInt(&ok);
        return ok ? clampSize(v) : kGridSizeMin;
    };
    GridSize s;
    s.rows = read(m_rows);
    s.columns = read(m_columns);
    s.rowHeight = read(m_rowHeight);
    s.columnWidth = read(m_columnWidth);
    s.option1 = m_option1->isChecked() ? 1 : 0;
    s.option2 = m_option2->isChecked() ? 1 : 0;
    return s;
}

void CGridEditor::accept()
{
    m_result = size();
    QDialog::accept();
}

} // namespace editor
