#include "app/panels/PropertyGrid.h"

#include "app/controls/BorderButton.h"
#include "app/controls/ColourPicker.h"
#include "app/controls/ComboBoxes.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/IconButton.h"
#include "app/controls/MessageBox.h"
#include "app/spine/Seams.h"
#include "app/editor/GridEditor.h"
#include "app/gridwin/GridWindow.h"
#include "app/panels/TextControls.h"
#include "app/panels/import/SheetToGrid.h"
#include "app/panels/import/SpreadsheetSource.h"
#include "core/api/ItemRecord.h"
#include "core/api/Nodes.h"
#include "core/api/TypeRecords.h"
#include "platform/LangPack.h"
#include "platform/LogFont.h"
#include "platform/MessageEvent.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace panels {
namespace {

// The folder the import dialog opens in: the current folder of the first
// import, kept for the program's run.
QString& importFolder()
{
    static QString folder;
    return folder;
}

controls::CIconButton* makeButton(QWidget* parent, int id, unsigned icon, unsigned tip)
{
    auto* b = withId(new controls::CIconButton(parent), id);
    b->AssignIcons(icon);
    b->SetTooltipFromResource(tip);
    b->setFixedSize(24, 22);
    return b;
}

} // namespace


std::int32_t CPropertyGrid::fontHeightForPoints(double points, int dpiY)
{
    return -static_cast<std::int32_t>(std::lround(points * dpiY / 72.0));
}

int CPropertyGrid::pointsForFontHeight(std::int32_t height, int dpiY)
{
    if (dpiY <= 0)
        return 0;
    return int(std::lround(-double(height) * 72.0 / dpiY));
}

CPropertyGrid::CPropertyGrid(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

CPropertyGrid::~CPropertyGrid() { endImport(); }

bool CPropertyGrid::OnInitDialog()
{
    SetTitleFromResource(48238, false);
    auto* column = new QVBoxLayout(this);
    // Below the title bar; the grid ends 4 pixels short of the right and
    // bottom edges whatever the panel's size.
    column->setContentsMargins(4, 24, 4, 4);
    column->setSpacing(3);
    // The page decides the panel's size; the tool row flows to fit it.
    column->setSizeConstraint(QLayout::SetNoConstraint);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);

    m_face = makeFontCombo(this, IdFace);
    m_size = makeSizeCombo(this, IdSize);
    m_colour = makeColourPicker(this, IdColour);
    m_bold = makeToggle(this, IdBold, 6230, 32841);
    m_italic = makeToggle(this, IdItalic, 6232, 32842);
    m_underline = makeToggle(this, IdUnderline, 6225, 32843);
    m_align[0] = makeToggle(this, IdLeft, 6227, 32844);
    m_align[1] = makeToggle(this, IdCentre, 6226, 32845);
    m_align[2] = makeToggle(this, IdRight, 6228, 32846);
    m_merge = makeToggle(this, IdMerge, 6233, 33806);
    m_border = withId(new controls::CBorderButton(this), IdBorder);
    m_border->setToolTip(platform::langString(33807));
    m_border->setFixedSize(m_border->sizeHint());
    m_gridLines = makeToggle(this, IdGridLines, 6231, 33808);
    m_tableSize = makeButton(this, IdTableSize, 6053, 57358);
    m_import = makeButton(this, IdImport, 6008, 32829);

    m_rows[0] = row;
    m_rows[1] = new QHBoxLayout;
    m_rows[1]->setSpacing(2);
    m_first = {m_face, m_size, m_colour, m_bold, m_italic, m_underline};
    m_second = {m_align[0], m_align[1], m_align[2], m_merge, m_border, m_gridLines, m_tableSize, m_import};
    column->addLayout(m_rows[0]);
    column->addLayout(m_rows[1]);
    flowToolRow(true);

    m_grid = withId(new gridwin::GridWindow(this), IdGrid);
    m_grid->setMinimumSize(40, 40);
    column->addWidget(m_grid, 1);
    // A grid that holds nothing yet shows the default table.
    m_grid->loadFrom({});

    connect(m_grid, &gridwin::GridWindow::selChanged, this, &CPropertyGrid::refreshToolRow);
    connect(m_grid, &gridwin::GridWindow::cellChanged, this, [this] {
        m_keepDamaged = false;
        save();
    });
    connect(m_grid, &gridwin::GridWindow::clientRectChanged, this, &CPropertyGrid::save);
    connect(m_grid, &gridwin::GridWindow::dimChanged, this, &CPropertyGrid::onDimChanged);

    connect(m_face, &QComboBox::activated, this, &CPropertyGrid::onFace);
    connect(m_size, &QComboBox::activated, this, &CPropertyGrid::onSize);
    // A size typed that the list does not hold (the list's own come as activated).
    connect(m_size->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (m_size->findText(m_size->currentText()) < 0)
            onSize(-1);
    });
    connect(m_colour, &controls::CColourPicker::command, this, &CPropertyGrid::onColour);
    for (controls::CIconButton* b : {m_bold, m_italic, m_underline})
        connect(b, &QAbstractButton::clicked, this, [this, b] { onStyle(b); });
    for (int i = 0; i < 3; ++i)
        connect(m_align[std::size_t(i)], &QAbstractButton::clicked, this, [this, i] { onAlign(i); });
    connect(m_merge, &QAbstractButton::clicked, this, &CPropertyGrid::onMerge);
    connect(m_gridLines, &QAbstractButton::clicked, this, &CPropertyGrid::onGridLines);
    connect(m_tableSize, &QAbstractButton::clicked, this, &CPropertyGrid::onTableSize);
    connect(m_import, &QAbstractButton::clicked, this, &CPropertyGrid::onImport);
    refreshToolRow();
    return true;
}

int CPropertyGrid::oneRowWidth() const
{
    const QMargins m = layout()->contentsMargins();
    int w = m.left() + m.right();
    for (const auto* group : {&m_first, &m_second})
        for (QWidget* t : *group)
            w += std::max(t->minimumWidth(), t->minimumSizeHint().width()) + 2;
    return w;
}

void CPropertyGrid::flowToolRow(bool force)
{
    // One row when the panel is wide enough, else the alignment, merge,
    // border and table buttons go on a second row rather than being cut off.
    const bool one = width() >= oneRowWidth();
    if (!force && one == m_oneRow)
        return;
    m_oneRow = one;
    for (QWidget* t : m_first)
        m_rows[0]->removeWidget(t);
    for (QWidget* t : m_second) {
        m_rows[0]->removeWidget(t);
        m_rows[1]->removeWidget(t);
    }
    while (QLayoutItem* item = m_rows[0]->takeAt(0))
        delete item;
    while (QLayoutItem* item = m_rows[1]->takeAt(0))
        delete item;
    m_rows[0]->addWidget(m_face, 3);
    m_rows[0]->addWidget(m_size, 1);
    for (std::size_t i = 2; i < m_first.size(); ++i)
        m_rows[0]->addWidget(m_first[i]);
    QHBoxLayout* second = one ? m_rows[0] : m_rows[1];
    for (QWidget* t : m_second)
        second->addWidget(t);
    if (!one)
        second->addStretch(1);
}

void CPropertyGrid::resizeEvent(QResizeEvent* e)
{
    CPanelBase::resizeEvent(e);
    if (m_grid)
        flowToolRow(false);
}

bool CPropertyGrid::event(QEvent* e)
{
    if (controls::BorderSelEndOk::dispatch(e, [this](const controls::BorderSpec* pattern, int) {
            if (pattern)
                onBorder(*pattern);
        }))
        return true;
    return CPanelBase::event(e);
}

int CPropertyGrid::OnNodeLoad(tagItemData* node)
{
    if (!node)
        return 0;
    if (node != m_node) {
        endImport(); // a running import belongs to the table it started on
        // Text still in a cell editor belongs to the table shown so far.
        const grid::CRealGrid& g = m_grid->grid();
        if (g.IsValidCell(g.CurrentCol(), g.CurrentRow()) && g.GetCell(g.CurrentCol(), g.CurrentRow()).editor) {
            m_grid->endEdit();
            m_keepDamaged = false;
            save();
        }
    }
    const LoadScope loading = beginLoad(node, {IT_GRID});
    if (m_record && m_record->owned() != ItemRecord::Owned::MemFile)
        m_record = nullptr;
    m_keepDamaged = false;
    if (m_record) {
        const QByteArray& file = m_record->memFile();
        const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.constData()),
                                                  std::size_t(file.size()));
        if (const grid::GridLoadResult r = m_grid->loadFrom(bytes); !r) {
            // Show an empty table but keep the stored bytes until the
            // operator changes the table.
            qWarning("table item: grid stream not readable (%s)", r.message.c_str());
            m_keepDamaged = true;
            m_grid->loadFrom({});
        }
    }
    refreshToolRow();
    return 1;
}

void CPropertyGrid::OnNodeDeleting(tagItemData* node)
{
    CPanelBase::OnNodeDeleting(node);
    if (!m_node) {
        m_record = nullptr;
        endImport();
    }
}

// ---------------------------------------------------------------- saving

std::vector<std::uint8_t> CPropertyGrid::currentStream()
{
    std::vector<std::uint8_t> out;
    m_grid->saveTo(out);
    return out;
}

void CPropertyGrid::flushPendingEdit()
{
    if (m_grid && canWrite() && m_grid->commitEdit()) {
        m_keepDamaged = false;
        save();
    }
}

void CPropertyGrid::save()
{
    if (!canWrite() || m_keepDamaged)
        return;
    const std::vector<std::uint8_t> stream = currentStream();
    const QByteArray bytes(reinterpret_cast<const char*>(stream.data()), qsizetype(stream.size()));
    if (!records::SetItemTableStream(m_node, bytes)) {
        qWarning("table item: the grid stream does not fit the record");
        return;
    }
    announce();
}

void CPropertyGrid::onDimChanged()
{
    // Relabelling runs through a copy: the window's model changes only
    // through the window.
    const grid::CRealGrid& g = m_grid->grid();
    for (int c = 1; c < g.ColumnCount(); ++c)
        if (const std::u16string name = editor::columnHeaderName(c); g.GetCellText(c, 0) != name)
            m_grid->setCellText(c, 0, name, false);
    for (int r = 1; r < g.RowCount(); ++r)
        if (const std::u16string n = QString::number(r).toStdU16String(); g.GetCellText(0, r) != n)
            m_grid->setCellText(0, r, n, false);
    if (m_keepDamaged) {
        // This is the load's own notice; the damaged bytes stay stored.
        return;
    }
    save();
}

// ---------------------------------------------------------------- tool row

void CPropertyGrid::refreshToolRow()
{
    if (!m_grid)
        return;
    m_refreshing = true;
    const grid::CRealGrid& g = m_grid->grid();
    const grid::GridRange sel = g.GetSelectionRect();
    m_merge->SetCheck(!g.IsRangeUnmerged(sel) ? 1 : 0);
    const LOGFONT font = g.GetCurrentCellFont();
    const QString face = shownFaceName(QString::fromStdU16String(LogFontFaceName(font)), faceNames());
    if (m_face->currentText() != face)
        selectOrShow(m_face, face);
    const QString size = QString::number(pointsForFontHeight(font.lfHeight, logicalDpiY()));
    if (m_size->currentText() != size)
        selectOrShow(m_size, size);
    const std::uint32_t colour = g.GetCurrentCellColor();
    if (m_colour->GetColour() != colour)
        m_colour->SetColour(colour);
    m_bold->SetCheck(font.lfWeight >= 700 ? 1 : 0);
    m_italic->SetCheck(font.lfItalic ? 1 : 0);
    m_underline->SetCheck(font.lfUnderline ? 1 : 0);
    m_gridLines->SetCheck(g.GridLinesShown() ? 1 : 0);
    const std::uint32_t align = g.GetCurrentCellAlignment();
    const int which = align == 1 ? 1 : align == 2 ? 2 : 0;
    for (int i = 0; i < 3; ++i)
        m_align[std::size_t(i)]->SetCheck(i == which ? 1 : 0);
    m_refreshing = false;
}

void CPropertyGrid::onFace(int index)
{
    const QString face = index >= 0 ? m_face->itemText(index) : m_face->currentText();
    if (!face.isEmpty())
        m_grid->setSelectionFontName(face.toStdU16String());
}

void CPropertyGrid::onSize(int index)
{
    bool ok = false;
    const double points = (index >= 0 ? m_size->itemText(index) : m_size->currentText()).toDouble(&ok);
    if (ok && points > 0 && points <= 1638)
        m_grid->setSelectionFontHeight(fontHeightForPoints(points, logicalDpiY()));
}

void CPropertyGrid::onColour(int code)
{
    if (code == controls::CColourPicker::ColourChanged)
        m_grid->setSelectionColor(m_colour->GetColour());
}

void CPropertyGrid::onStyle(controls::CIconButton* b)
{
    const bool down = b->GetCheck() != 0;
    if (b == m_bold)
        m_grid->setSelectionFontWeight(down ? 700 : 400);
    else if (b == m_italic)
        m_grid->setSelectionFontItalic(down);
    else
        m_grid->setSelectionFontUnderline(down);
}

void CPropertyGrid::onAlign(int which)
{
    // One of three, as a radio group: a second click keeps it down.
    for (int i = 0; i < 3; ++i)
        m_align[std::size_t(i)]->SetCheck(i == which ? 1 : 0);
    m_grid->setSelectionAlignment(std::uint32_t(which));
}

void CPropertyGrid::onMerge()
{
    const grid::GridRange sel = m_grid->grid().GetSelectionRect();
    if (sel.right > sel.left && sel.bottom > sel.top) {
        m_grid->toggleMerge(sel);
        // Merging tells the parent nothing; the table must still be kept.
        save();
    }
    refreshToolRow();
}

void CPropertyGrid::onBorder(const controls::BorderSpec& pattern)
{
    const grid::GridRange sel = m_grid->grid().GetSelectionRect();
    if (sel.right > sel.left && sel.bottom > sel.top)
        m_grid->setRangeBorders(sel.left, sel.top, sel.right - 1, sel.bottom - 1, editor::toGridBorder(pattern), true);
}

void CPropertyGrid::onGridLines()
{
    m_grid->showGridLines(m_gridLines->GetCheck() != 0);
}

// ---------------------------------------------------------------- table size

bool CPropertyGrid::replaceGrid(const std::vector<std::uint8_t>& stream)
{
    if (stream.empty())
        return false;
    m_keepDamaged = false;
    return bool(m_grid->loadFrom(stream));
}

void CPropertyGrid::onTableSize()
{
    m_grid->endEdit();
    grid::CRealGrid g;
    if (!g.LoadFrom(currentStream()))
        return;
    editor::CGridEditor dialog(this);
    dialog.setSize(editor::gridSizeOf(g));
    if (dialog.exec() != QDialog::Accepted)
        return;
    editor::applyGridSize(g, dialog.result());
    std::vector<std::uint8_t> stream;
    g.SaveTo(stream);
    replaceGrid(stream);
}

// ---------------------------------------------------------------- import

void CPropertyGrid::onImport()
{
    if (importFolder().isEmpty())
        importFolder() = QDir::currentPath();
    const QString path = controls::FileDialog::getOpenFileName(this, QString(), importFolder(),
                                                               controls::FileDialog::workbookFilter());
    if (path.isEmpty())
        return;
    importFile(path);
}

void CPropertyGrid::importFile(const QString& path)
{
    endImport();
    SpreadsheetSource* source = madeBySeam<SpreadsheetSource>(spine::seams().spreadsheetSource, this);
    if (!source)
        source = new OfficeSpreadsheetSource(this);
    m_source = source;
    tagItemData* target = m_node;
    // The office program says nothing of its progress: the bar shows that
    // it works, and Cancel ends it.
    m_progress = makeImportProgress(48346, 0);
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        endImport();
        emit importFinished(false);
    });
    connect(source, &SpreadsheetSource::loaded, this, [this, source, target, path](const SheetData& sheet) {
        if (source != m_source)
            return;
        onSheetLoaded(sheet, target, path);
    });
    connect(source, &SpreadsheetSource::failed, this, [this, source](const QString& message) {
        if (source != m_source)
            return;
        m_source = nullptr;
        source->deleteLater();
        delete m_progress;
        controls::MessageBox::warning(this, title(), message);
        emit importFinished(false);
    });
    source->open(path);
}

void CPropertyGrid::onSheetLoaded(const SheetData& sheet, tagItemData* target, const QString& path)
{
    SpreadsheetSource* source = m_source;
    m_source = nullptr;
    if (source)
        source->deleteLater();
    delete m_progress;
    // Another table loaded meanwhile, or none: the sheet is not meant for it.
    if (m_node != target || !canWrite()) {
        emit importFinished(false);
        return;
    }
    m_grid->endEdit();
    // The whole sheet goes into a copy first, so a sheet the grid refuses
    // leaves the table as it was; the window then takes the result at once.
    const std::vector<std::uint8_t> stream = applySheetToStream(sheet, currentStream());
    if (!replaceGrid(stream)) {
        controls::MessageBox::warning(this, title(), spreadsheetUnreadableError(path));
        emit importFinished(false);
        return;
    }
    emit importFinished(true);
}

void CPropertyGrid::endImport()
{
    // Later: this may run inside the dialog's own Cancel.
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
    if (SpreadsheetSource* s = m_source) {
        m_source = nullptr;
        s->cancel();
        s->deleteLater();
    }
}

} // namespace panels
