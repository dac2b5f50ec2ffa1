#include "app/gridwin/GridWindow.h"

#include "grid/GridPainter.h"
#include "platform/Colour.h"
#include "platform/FontMap.h"
#include "platform/LangPack.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QTextBlock>
#include <algorithm>
#include <cmath>

namespace gridwin {

namespace {

// The multi-line cell editor, which can tell the height its lines take.
class CellEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;
    int contentHeight() const
    {
        qreal h = 2 * document()->documentMargin();
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
            h += blockBoundingRect(b).height();
        return int(std::ceil(h));
    }
};

// The in-place editor of a cell. The model owns a handle; the widget itself
// goes later, since the model may drop an editor from inside one of the
// editor's own key events.
class CellEditorHandle : public grid::CellEditor {
public:
    explicit CellEditorHandle(QWidget* parent) : edit_(new CellEdit(parent))
    {
        edit_->setFrameShape(QFrame::NoFrame);
        edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit_->document()->setDocumentMargin(1);
    }
    ~CellEditorHandle() override
    {
        if (edit_) {
            edit_->hide();
            edit_->deleteLater();
        }
    }
    CellEdit* widget() const { return edit_; }
    std::u16string Text() const override { return edit_ ? edit_->toPlainText().toStdU16String() : std::u16string(); }
    void SetText(const std::u16string& text) override
    {
        if (edit_)
            edit_->setPlainText(QString::fromStdU16String(text));
    }
    void SetAlignmentStyle(std::uint32_t esBits) override
    {
        if (!edit_)
            return;
        QTextOption o = edit_->document()->defaultTextOption();
        o.setAlignment(esBits == grid::ES_RIGHT ? Qt::AlignRight : esBits == grid::ES_LEFT ? Qt::AlignLeft : Qt::AlignHCenter);
        edit_->document()->setDefaultTextOption(o);
        edit_->viewport()->update();
    }
    void SetControlId(int id) override
    {
        if (edit_)
            edit_->setProperty("controlId", id);
    }

private:
    QPointer<CellEdit> edit_;
};

class SystemClipboard : public grid::GridClipboard {
public:
    bool Open() override { return QGuiApplication::clipboard() != nullptr; }
    void Close() override {}
    bool HasUnicodeText() const override { return QGuiApplication::clipboard()->mimeData()->hasText(); }
    std::u16string UnicodeText() const override { return QGuiApplication::clipboard()->text().toStdU16String(); }
    bool HasAnsiText() const override { return false; }
    std::string AnsiText() const override { return {}; }
    void SetText(const std::u16string& text) override
    {
        QGuiApplication::clipboard()->setText(QString::fromStdU16String(text));
    }
};

// The cursors over the column header (6099), the row header (6100) and the
// body and corner (6098) come from the language pack when it has them.
QCursor RegionCursor(grid::GridRegion region)
{
    const unsigned id = region == grid::RegionColumnHeader ? 6099 : region == grid::RegionRowHeader ? 6100 : 6098;
    const QIcon icon = platform::langIcon(id);
    if (!icon.isNull())
        return QCursor(icon.pixmap(32, 32));
    return region == grid::RegionColumnHeader ? Qt::SplitVCursor
           : region == grid::RegionRowHeader  ? Qt::SplitHCursor
                                              : Qt::CrossCursor;
}

// A cell's message in the window's language where it is one of the grid's
// own (why a formula stays text); any other as it stands.
QString CellMessageText(const std::u16string& message)
{
    static const std::pair<grid::FormulaMessage, unsigned> ids[] = {
        {grid::FormulaMessage::Cycle, 63240},
        {grid::FormulaMessage::SelfReference, 63241},
        {grid::FormulaMessage::CriterionInCriterion, 63242},
        {grid::FormulaMessage::TooDeep, 63243},
    };
    const grid::FormulaMessage kind = grid::FormulaMessageOf(message);
    for (const auto& [k, id] : ids)
        if (k == kind)
            if (const QString s = platform::langString(id); !s.isEmpty())
                return s;
    return QString::fromStdU16String(message);
}

QString MenuText(unsigned id, const char* fallback)
{
    const QString s = platform::langString(id);
    return s.isEmpty() ? QString::fromLatin1(fallback) : s;
}

} // namespace

GridWindow::GridWindow(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hBar_ = new QScrollBar(Qt::Horizontal, this);
    vBar_ = new QScrollBar(Qt::Vertical, this);
    hBar_->hide();
    vBar_->hide();
    // One row or column per step, page steps included.
    hBar_->setPageStep(1);
    vBar_->setPageStep(1);
    connect(hBar_, &QScrollBar::valueChanged, this, [this](int v) {
        if (!scrolling_)
            scrollTo(v, grid_.TopRow());
    });
    connect(vBar_, &QScrollBar::valueChanged, this, [this](int v) {
        if (!scrolling_)
            scrollTo(grid_.LeftCol(), v);
    });
    grid_.SetObserver(this);
    grid_.SetEditorFactory(this);
}

GridWindow::~GridWindow()
{
    grid_.SetObserver(nullptr);
    grid_.ClearAll();   // editors go while the window still exists
    grid_.SetEditorFactory(nullptr);
}

void GridWindow::GridNotify(grid::GridMessage message, bool posted)
{
    if (message == grid::GridMessage::DimChanged)
        updateScrollBars();
    update();
    auto send = [this, message] {
        switch (message) {
        case grid::GridMessage::SelChanged: emit selChanged(); break;
        case grid::GridMessage::CellChanged: emit cellChanged(); break;
        case grid::GridMessage::DimChanged: emit dimChanged(); break;
        case grid::GridMessage::ClientRectChanged: emit clientRectChanged(); break;
        }
    };
    if (posted)
        QMetaObject::invokeMethod(this, send, Qt::QueuedConnection);
    else
        send();
}

std::unique_ptr<grid::CellEditor> GridWindow::CreateEditor(const grid::EditorRequest& request)
{
    auto editor = std::make_unique<CellEditorHandle>(this);
    CellEdit* w = editor->widget();
    if (const grid::FontRecord* f = grid_.FindFont(request.fontId))
        w->setFont(platform::FontFromLogFont(f->font));
    editor->SetText(request.text);
    editor->SetAlignmentStyle(request.style & 3);
    editor->SetControlId(request.controlId);
    placeEditor(w, request.column, request.row);
    // Enter starts a new line in the editor; the lines typed stay in sight.
    connect(w, &QPlainTextEdit::textChanged, this, [this, w] { placeEditorOf(w); });
    w->installEventFilter(this);
    w->show();
    w->setFocus();
    return editor;
}

QRect GridWindow::viewRect() const
{
    return QRect(0, 0, width() - (vBar_->isVisible() ? vBar_->width() : 0),
                 height() - (hBar_->isVisible() ? hBar_->height() : 0));
}

void GridWindow::layoutChanged()
{
    updateScrollBars();
    update();
}

void GridWindow::applyDefaultBorders()
{
    grid_.ApplyDefaultBorders();
    layoutChanged();
}

grid::GridLoadResult GridWindow::loadFrom(std::span<const std::uint8_t> file)
{
    grid::GridLoadResult result = grid_.LoadFrom(file);
    if (result)
        layoutChanged();
    return result;
}

void GridWindow::insertRows(int start, int count)
{
    grid_.InsertRows(start, count);
    layoutChanged();
}

void GridWindow::insertColumns(int start, int count)
{
    grid_.InsertColumns(start, count);
    layoutChanged();
}

bool GridWindow::mergeRange(const grid::GridRange& range)
{
    const bool done = grid_.MergeRange(range);
    layoutChanged();
    return done;
}

bool GridWindow::splitRange(const grid::GridRange& range)
{
    const bool done = grid_.SplitRange(range);
    layoutChanged();
    return done;
}

void GridWindow::setCellText(int col, int row, const std::u16string& text, bool notify)
{
    grid_.SetCellText(col, row, text, notify);
    update();
}

bool GridWindow::setCellContent(int col, int row, const std::u16string& text)
{
    const bool done = grid_.SetCellContent(col, row, text);
    update();
    return done;
}

void GridWindow::setCellValidator(int col, int row, const grid::Validator* validator)
{
    grid_.SetCellValidator(col, row, validator);
    update();
}

void GridWindow::setRangeBorders(int left, int top, int right, int bottom, const grid::BorderSpec& spec, bool notify)
{
    grid_.SetRangeBorders(left, top, right, bottom, spec, notify);
    update();
}

void GridWindow::showGridLines(bool show)
{
    grid_.ShowGridLines(show);
    update();
}

bool GridWindow::toggleMerge(const grid::GridRange& range)
{
    endEdit();
    const bool done = grid_.ToggleMerge(range);
    layoutChanged();
    return done;
}

void GridWindow::selectRange(int col1, int row1, int col2, int row2)
{
    endEdit();
    const grid::GridSelection before = grid_.Selection();
    grid_.SetCurrentCell(std::min(col1, col2), std::min(row1, row2));
    grid_.SetSelection(col1, row1, col2, row2, true);
    update();
    emitSelChangedIf(before);
}

void GridWindow::setSelectionFontName(std::u16string_view face)
{
    grid_.SetSelectionFontName(face);
    update();
}

void GridWindow::setSelectionFontHeight(std::int32_t height)
{
    grid_.SetSelectionFontHeight(height);
    update();
}

void GridWindow::setSelectionFontWeight(std::int32_t weight)
{
    grid_.SetSelectionFontWeight(weight);
    update();
}

void GridWindow::setSelectionFontItalic(bool italic)
{
    grid_.SetSelectionFontItalic(italic);
    update();
}

void GridWindow::setSelectionFontUnderline(bool underline)
{
    grid_.SetSelectionFontUnderline(underline);
    update();
}

void GridWindow::setSelectionColor(std::uint32_t colour)
{
    grid_.SetSelectionColor(colour);
    update();
}

void GridWindow::setSelectionAlignment(std::uint32_t alignment)
{
    grid_.SetSelectionAlignment(alignment);
    update();
}

void GridWindow::updateScrollBars()
{
    const int ext = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const grid::ScrollLayout s = grid::GridGeometry(grid_).Scrolling(width(), height(), ext, ext);
    int top = s.resetTop ? grid_.FixedRows() : grid_.TopRow();
    int left = s.resetLeft ? grid_.FixedCols() : grid_.LeftCol();
    if (s.vertical)
        top = std::clamp(top, s.vMin, std::max(s.vMin, s.vMax));
    if (s.horizontal)
        left = std::clamp(left, s.hMin, std::max(s.hMin, s.hMax));
    grid_.SetTopRow(top);
    grid_.SetLeftCol(left);
    scrolling_ = true;
    vBar_->setRange(s.vMin, s.vMax);
    hBar_->setRange(s.hMin, s.hMax);
    vBar_->setValue(top);
    hBar_->setValue(left);
    scrolling_ = false;
    vBar_->setVisible(s.vertical);
    hBar_->setVisible(s.horizontal);
    vBar_->setGeometry(width() - ext, 0, ext, height() - (s.horizontal ? ext : 0));
    hBar_->setGeometry(0, height() - ext, width() - (s.vertical ? ext : 0), ext);
    placeEditors();
    update();
}

void GridWindow::scrollTo(int leftCol, int topRow)
{
    if (hBar_->isVisible())
        leftCol = std::clamp(leftCol, hBar_->minimum(), hBar_->maximum());
    else
        leftCol = grid_.LeftCol();
    if (vBar_->isVisible())
        topRow = std::clamp(topRow, vBar_->minimum(), vBar_->maximum());
    else
        topRow = grid_.TopRow();
    if (leftCol == grid_.LeftCol() && topRow == grid_.TopRow())
        return;
    grid_.SetLeftCol(leftCol);
    grid_.SetTopRow(topRow);
    scrolling_ = true;
    hBar_->setValue(leftCol);
    vBar_->setValue(topRow);
    scrolling_ = false;
    placeEditors();
    update();
}

void GridWindow::placeEditors()
{
    for (int r = 0; r < grid_.RowCount(); ++r)
        for (int c = 0; c < grid_.ColumnCount(); ++c)
            if (auto* h = dynamic_cast<CellEditorHandle*>(grid_.GetCell(c, r).editor.get()); h && h->widget())
                placeEditor(h->widget(), c, r);
}

// An editor sits on its cell's inner rectangle; when its lines need more
// height than the cell has, it grows down (up, at the view's bottom) within
// the view rather than scroll its first lines away.
void GridWindow::placeEditor(QWidget* editor, int col, int row)
{
    const grid::PixelRect inner = grid::GridGeometry(grid_).CellInnerRect(col, row);
    QRect rect(inner.left, inner.top, std::max(inner.Width(), 1), std::max(inner.Height(), 1));
    editor->setGeometry(rect);
    const int needed = static_cast<CellEdit*>(editor)->contentHeight();
    const QRect view = viewRect();
    if (needed <= rect.height() || rect.top() > view.bottom() || rect.bottom() < 0)
        return;
    rect.setHeight(std::min(needed, view.height()));
    if (rect.bottom() > view.bottom())
        rect.moveBottom(std::max(view.bottom(), rect.height() - 1));
    editor->setGeometry(rect);
}

void GridWindow::placeEditorOf(QWidget* editor)
{
    const int c = grid_.CurrentCol(), r = grid_.CurrentRow();
    if (grid_.IsValidCell(c, r))
        if (auto* h = dynamic_cast<CellEditorHandle*>(grid_.GetCell(c, r).editor.get()); h && h->widget() == editor) {
            placeEditor(editor, c, r);
            return;
        }
    placeEditors();
}

bool GridWindow::setRowHeight(int row, int height)
{
    if (!grid_.SetRowHeight(row, height))
        return false;
    updateScrollBars();
    return true;
}

bool GridWindow::setColumnWidth(int col, int width)
{
    if (!grid_.SetColumnWidth(col, width))
        return false;
    updateScrollBars();
    return true;
}

void GridWindow::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect clip = event->rect();
    grid::GridPainter(grid_, p).PaintWindow({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1},
                                            fullWidth(), fullHeight());
    if (resizing_) {
        // The drag line, dotted so that it shows on any cell colour.
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        if (resize_.column)
            p.drawLine(resizeLine_, 0, resizeLine_, height());
        else
            p.drawLine(0, resizeLine_, width(), resizeLine_);
    }
}

void GridWindow::resizeEvent(QResizeEvent*)
{
    updateScrollBars();
}

void GridWindow::emitSelChangedIf(const grid::GridSelection& before)
{
    if (!(grid_.Selection() == before))
        emit selChanged();
}

void GridWindow::endEdit()
{
    const int c = grid_.CurrentCol(), r = grid_.CurrentRow();
    if (grid_.IsValidCell(c, r) && grid_.GetCell(c, r).editor) {
        grid_.EndEdit(c, r);
        setFocus();
        update();
    }
}

bool GridWindow::commitEdit()
{
    const int c = grid_.CurrentCol(), r = grid_.CurrentRow();
    if (!grid_.IsValidCell(c, r) || !grid_.GetCell(c, r).editor)
        return false;
    const std::u16string text = grid_.GetCellText(c, r), shown = grid_.GetDisplayText(c, r);
    grid_.CommitEditorText(c, r);
    if (grid_.GetCellText(c, r) == text && grid_.GetDisplayText(c, r) == shown)
        return false;
    update();
    return true;
}

bool GridWindow::beginEdit(int col, int row)
{
    if (!grid_.IsValidCell(col, row))
        return false;
    const grid::Cell& cell = grid_.GetCell(col, row);
    if (cell.attr.type != grid::EditType() || cell.IsCovered(col, row)
        || grid::GridGeometry(grid_).CellRect(col, row, true).IsEmpty())
        return false;
    grid_.SetCurrentCell(col, row);
    return grid_.CreateCellEditor(col, row) != nullptr;
}

void GridWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus();
    QToolTip::hideText();
    const QPoint pos = event->position().toPoint();
    resize_ = ResizeHitTest(grid_, pos.x(), pos.y());
    if (resize_.active) {
        resizing_ = true;
        resizeLine_ = resize_.start;
        update();
        return;
    }
    beginMouseSelection(pos);
}

void GridWindow::beginMouseSelection(QPoint pos)
{
    const grid::GridSelection before = grid_.Selection();
    endEdit();
    const grid::GridGeometry geo(grid_);
    int c, r;
    geo.HitTest(pos.x(), pos.y(), c, r);
    grid_.SetDownCell(c, r);
    if (c >= grid_.ColumnCount() || r >= grid_.RowCount())
        return;
    int ac, ar;
    grid_.AnchorOf(c, r, ac, ar);
    grid_.SetCurrentCell(ac, ar);
    const int lastCol = grid_.ColumnCount() - 1, lastRow = grid_.RowCount() - 1;
    const int top = grid_.TopRow(), left = grid_.LeftCol();
    auto& d = drag_;
    bool extend = false;
    if (r >= top && c >= left) {
        d.anchorCol = d.endCol = c;
        d.anchorRow = d.endRow = r;
        extend = true;
    } else if (r < top && c < left) {
        d.anchorCol = left, d.anchorRow = top, d.endCol = lastCol, d.endRow = lastRow;
    } else if (r < top) {
        d.anchorCol = c, d.anchorRow = top, d.endCol = c, d.endRow = lastRow;
    } else {
        d.anchorCol = left, d.anchorRow = r, d.endCol = lastCol, d.endRow = r;
    }
    grid_.SetSelection(d.anchorCol, d.anchorRow, d.endCol, d.endRow, extend);
    d.active = true;
    update();
    emitSelChangedIf(before);
}

void GridWindow::trackMouseSelection(QPoint pos)
{
    const grid::GridSelection before = grid_.Selection();
    const grid::GridGeometry geo(grid_);
    const int lastCol = grid_.ColumnCount() - 1, lastRow = grid_.RowCount() - 1;
    const int downCol = grid_.DownCol(), downRow = grid_.DownRow();
    const bool headerRow = downRow < grid_.FixedRows(), headerCol = downCol < grid_.FixedCols();
    int c, r;
    geo.HitTest(pos.x(), pos.y(), c, r);
    auto& d = drag_;
    if (headerRow && headerCol)
        return;
    if (headerRow) {
        d.endCol = std::clamp(c, grid_.LeftCol(), lastCol);
        d.endRow = lastRow;
        grid_.SetSelection(d.anchorCol, d.anchorRow, d.endCol, d.endRow, false);
    } else if (headerCol) {
        d.endRow = std::clamp(r, grid_.TopRow(), lastRow);
        d.endCol = lastCol;
        grid_.SetSelection(d.anchorCol, d.anchorRow, d.endCol, d.endRow, false);
    } else {
        const QRect view = viewRect();
        const QRect data(geo.HeaderWidth(), geo.HeaderHeight(), view.width() - geo.HeaderWidth(),
                         view.height() - geo.HeaderHeight());
        if (data.contains(pos)) {
            if (c <= lastCol && r <= lastRow && c >= grid_.LeftCol() && r >= grid_.TopRow()
                && (c != d.endCol || r != d.endRow)) {
                d.endCol = c;
                d.endRow = r;
                grid_.SetSelection(d.anchorCol, d.anchorRow, d.endCol, d.endRow, true);
            }
        } else {
            // Past the data area: one row or column per mouse movement.
            int left = grid_.LeftCol(), top = grid_.TopRow();
            if (pos.x() >= data.right() + 1 && hBar_->isVisible())
                ++left;
            else if (pos.x() < data.left() && hBar_->isVisible())
                --left;
            if (pos.y() >= data.bottom() + 1 && vBar_->isVisible())
                ++top;
            else if (pos.y() < data.top() && vBar_->isVisible())
                --top;
            scrollTo(left, top);
            if (pos.x() >= data.right() + 1)
                d.endCol = geo.LastVisibleColumn(view.width());
            else if (pos.x() < data.left())
                d.endCol = grid_.LeftCol();
            if (pos.y() >= data.bottom() + 1)
                d.endRow = geo.LastVisibleRow(view.height());
            else if (pos.y() < data.top())
                d.endRow = grid_.TopRow();
            grid_.SetSelection(d.anchorCol, d.anchorRow, d.endCol, d.endRow, true);
        }
    }
    if (!(grid_.Selection() == before)) {
        update();
        emit selChanged();
    }
}

void GridWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (resizing_) {
        resizeLine_ = ClampResizeLine(resize_, resize_.column ? pos.x() : pos.y(), resize_.column ? width() : height());
        update();
        return;
    }
    if (drag_.active) {
        trackMouseSelection(pos);
        return;
    }
    const ResizeTracker hover = ResizeHitTest(grid_, pos.x(), pos.y());
    if (hover.active) {
        setCursor(hover.column ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    } else {
        int c, r;
        grid::GridGeometry(grid_).HitTest(pos.x(), pos.y(), c, r);
        if (c < grid_.ColumnCount() && r < grid_.RowCount())
            setCursor(RegionCursor(grid::GridGeometry(grid_).Region(c, r)));
    }
}

void GridWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (resizing_) {
        resizing_ = false;
        if (EndResize(grid_, resize_, resizeLine_)) {
            updateScrollBars();
            QMetaObject::invokeMethod(this, [this] { emit clientRectChanged(); }, Qt::QueuedConnection);
        }
        resize_ = ResizeTracker{};
        update();
        return;
    }
    if (drag_.active) {
        drag_.active = false;
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void GridWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    endEdit();
    const QPoint pos = event->position().toPoint();
    int c, r;
    if (!grid::GridGeometry(grid_).HitTestCell(pos.x(), pos.y(), c, r))
        return;
    grid_.SetCurrentCell(c, r);
    grid_.CreateCellEditor(c, r);
    if (r >= grid_.TopRow() && c >= grid_.LeftCol()) {
        drag_.anchorCol = drag_.endCol = c;
        drag_.anchorRow = drag_.endRow = r;
        grid_.SetSelection(c, r, c, r, true);
        drag_.active = true;
    }
    update();
}

void GridWindow::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (!vBar_->isVisible() || vBar_->minimum() == vBar_->maximum() || delta == 0) {
        event->ignore();
        return;
    }
    const int lines = QApplication::wheelScrollLines();
    const int steps = std::max(1, lines * (std::abs(delta) / 120) / 3);
    scrollTo(grid_.LeftCol(), grid_.TopRow() + (delta > 0 ? -steps : steps));
    event->accept();
}

void GridWindow::moveCurrentCell(int col, int row)
{
    if (col < grid_.FixedCols() || row < grid_.FixedRows() || col >= grid_.ColumnCount() || row >= grid_.RowCount())
        return;
    endEdit();
    const grid::GridSelection before = grid_.Selection();
    grid_.SetDownCell(col, row);
    drag_.anchorCol = drag_.endCol = col;
    drag_.anchorRow = drag_.endRow = row;
    int ac, ar;
    grid_.AnchorOf(col, row, ac, ar);
    grid_.SetCurrentCell(ac, ar);
    grid_.SetSelection(col, row, col, row, true);
    scrollIntoView(ac, ar, true, true);
    update();
    emitSelChangedIf(before);
}

// Scrolls when the cell lies before the first shown column (row) or after
// the last fully shown one.
void GridWindow::scrollIntoView(int col, int row, bool horizontal, bool vertical)
{
    const grid::GridGeometry geo(grid_);
    const QRect view = viewRect();
    int left = grid_.LeftCol(), top = grid_.TopRow();
    const int lastCol = geo.LastVisibleColumn(view.width()) - 1;
    const int lastRow = geo.LastVisibleRow(view.height()) - 1;
    if (horizontal && col < left)
        left = col;
    else if (horizontal && col > lastCol && lastCol >= left)
        left += col - lastCol;
    if (vertical && row < top)
        top = row;
    else if (vertical && row > lastRow && lastRow >= top)
        top += row - lastRow;
    scrollTo(left, top);
}

void GridWindow::ctrlMove(Move move)
{
    const int pc = grid_.CurrentCol(), pr = grid_.CurrentRow();
    int found = -1;
    switch (move) {
    case Move::Left:
        for (int c = 0; c < grid_.ColumnCount() && found < 0; ++c)
            if (beginEdit(c, pr))
                found = c;
        break;
    case Move::Up:
        for (int r = 0; r < grid_.RowCount() && found < 0; ++r)
            if (beginEdit(pc, r))
                found = r;
        break;
    case Move::Right:
        for (int c = grid_.ColumnCount() - 1; c > pc && found < 0; --c)
            if (beginEdit(c, pr))
                found = c;
        break;
    case Move::Down:
        for (int r = grid_.RowCount() - 1; r > pr && found < 0; --r)
            if (beginEdit(pc, r))
                found = r;
        break;
    }
    if (found < 0)
        return;
    const bool columns = move == Move::Left || move == Move::Right;
    scrollIntoView(columns ? found : pc, columns ? pr : found, columns, !columns);
    // The previous cell's editor closes after the new one opened.
    grid_.EndEdit(pc, pr);
    placeEditors();
    update();
}

bool GridWindow::handleKey(QKeyEvent* event, bool inEditor)
{
    const int cc = grid_.CurrentCol(), cr = grid_.CurrentRow();
    if (!grid_.IsValidCell(cc, cr))
        return false;
    const grid::CellType* type = grid_.GetCell(cc, cr).attr.type;
    if (type != grid::EditType() && type != grid::ReadonlyType())
        return false;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    int c, r;
    auto move = [&](Move m) {
        if (MoveTarget(grid_, m, c, r))
            moveCurrentCell(c, r);
        return true;
    };
    switch (event->key()) {
    case Qt::Key_Backtab: return move(Move::Left);
    case Qt::Key_Tab: return move(shift ? Move::Left : Move::Right);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (shift)
            return move(Move::Down);
        return !inEditor;   // an editor takes it as a new line
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: {
        const Move m = event->key() == Qt::Key_Left ? Move::Left
                       : event->key() == Qt::Key_Up ? Move::Up
                       : event->key() == Qt::Key_Right ? Move::Right
                                                        : Move::Down;
        if (ctrl) {
            ctrlMove(m);
            return true;
        }
        if (inEditor)
            return false;   // the caret moves
        return move(m);
    }
    default: return false;
    }
}

void GridWindow::keyPressEvent(QKeyEvent* event)
{
    QToolTip::hideText();
    if (!handleKey(event, false))
        QWidget::keyPressEvent(event);
}

bool GridWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched != this) {
        QToolTip::hideText();
        return handleKey(static_cast<QKeyEvent*>(event), true);
    }
    return QWidget::eventFilter(watched, event);
}

bool GridWindow::event(QEvent* event)
{
    // Tab must reach the grid rather than move the focus to the next widget.
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        int c, r;
        const grid::GridGeometry geo(grid_);
        if (geo.HitTestCell(help->pos().x(), help->pos().y(), c, r) && !grid_.GetCell(c, r).message.empty()) {
            const grid::PixelRect cell = geo.CellRect(c, r, true);
            QToolTip::showText(help->globalPos(), CellMessageText(grid_.GetCell(c, r).message), this,
                               QRect(cell.left, cell.top, cell.Width(), cell.Height()));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

QMenu* GridWindow::buildContextMenu(QPoint pos)
{
    endEdit();
    int c = -1, r = -1;
    if (grid::GridGeometry(grid_).HitTestCell(pos.x(), pos.y(), c, r))
        grid_.SetCurrentCell(c, r);
    const grid::CRealGrid::MenuState state = grid_.ContextMenuState(c, r);
    auto* menu = new QMenu(this);
    auto add = [&](unsigned textId, const char* fallback, grid::GridCommand command, bool enabled) {
        QAction* a = menu->addAction(MenuText(textId, fallback));
        a->setData(int(command));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, [this, command] {
            SystemClipboard clipboard;
            grid_.RunCommand(command, &clipboard);
            updateScrollBars();
            update();
        });
    };
    if (state.rowItems || state.columnItems) {
        add(57349, state.rowItems ? "Insert rows" : "Insert columns",
            state.rowItems ? grid::GridCommand::InsertRows : grid::GridCommand::InsertColumns, state.insertEnabled);
        add(57350, state.rowItems ? "Delete rows" : "Delete columns",
            state.rowItems ? grid::GridCommand::DeleteRows : grid::GridCommand::DeleteColumns, state.deleteEnabled);
        menu->addSeparator();
    }
    add(57351, "Cut", grid::GridCommand::Cut, state.cutCopyEnabled);
    add(57352, "Copy", grid::GridCommand::Copy, state.cutCopyEnabled);
    add(57353, "Paste", grid::GridCommand::Paste, true);
    add(57354, "Clear", grid::GridCommand::Clear, true);
    return menu;
}

void GridWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QToolTip::hideText();
    QMenu* menu = buildContextMenu(event->pos());
    menu->exec(event->globalPos());
    menu->deleteLater();
}

} // namespace gridwin
