#include "app/editor/SectionLed.h"

#include "app/spine/Messages.h"
#include "app/spine/NodeNotice.h"
#include "app/editor/FramePort.h"
#include "app/editor/ScreenLed.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace editor {

CSectionLed::CSectionLed(CCore& core, CScreenLed& screen, QWidget* parent)
    : CLedEx(core, parent)
    , m_screen(screen)
{
    m_tracker.m_nStyle = CRectTrackerEx::DottedLine | CRectTrackerEx::ResizeInside;
    m_tracker.m_nHandleSize = 5;
    m_tracker.m_handleColor = 0xFFFFFFu;
    setMouseTracking(true);
    hide();
}

void CSectionLed::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), Qt::black);
    Draw(p, e->rect());
}

void CSectionLed::Draw(QPainter& p, const QRect& clip)
{
    CLed::Draw(p, clip);
    const QRect client = rect();
    if (m_selected || m_hover) {
        CRectTrackerEx t = m_tracker;
        t.m_rect = client.adjusted(1, 1, -1, -1);
        t.Draw(p);
    }
    if (!m_selected) {
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.setBrush(Qt::NoBrush);
        p.drawRect(client.adjusted(0, 0, -1, -1));
    }
    // The selected window's handles stay in sight where this window covers them.
    if (const CSectionLed* sel = m_screen.selectedSectionCanvas();
        sel && sel != this && sel->isSelected() && sel->isVisible() && sel->geometry().intersects(geometry())) {
        CRectTrackerEx t = sel->m_tracker;
        t.m_nStyle = CRectTrackerEx::ResizeInside;
        t.m_rect = sel->rect().adjusted(1, 1, -1, -1).translated(sel->pos() - pos());
        t.Draw(p);
    }
}

int CSectionLed::AttachItem(tagItemData* section)
{
    if (!CLedEx::AttachItem(section))
        return 0;
    if (tagItemData* item = CCore::GetCurProgram(section); item && item != section)
        SetItem(item, true);
    else
        redrawContent(true);
    const QRect r = nodeRect(m_core, section);
    m_tracker.m_rect = QRect(r.x() * dotWidth(), r.y() * dotHeight(), r.width() * dotWidth(),
                             r.height() * dotHeight()).adjusted(1, 1, -1, -1);
    return 0;
}

tagItemData* CSectionLed::DetachItem()
{
    tagItemData* node = CLedEx::DetachItem();
    m_curItem = nullptr;
    m_pages = PageState{};
    m_hit = HitNone;
    m_selected = false;
    m_hover = false;
    return node;
}

tagItemData* CSectionLed::SetItem(tagItemData* item, bool redraw)
{
    if (item && item->Level != LEVEL_PROGRAM)
        return nullptr;
    tagItemData* previous = m_curItem;
    if (previous != item)
        m_pages.column = m_pages.row = 0;
    m_curItem = item;
    redrawContent(redraw);
    return previous;
}

bool CSectionLed::SetSelected(bool selected, bool redraw)
{
    const bool old = m_selected;
    m_selected = selected;
    if (old != selected && redraw)
        m_screen.updateSectionWindows();
    return old;
}

void CSectionLed::redrawContent(bool redraw)
{
    tagItemData* section = m_item;
    if (!section)
        return;
    const QSize secSize(section->Section.RectW, section->Section.RectH);
    // Made first: making them brings the item's content size up to date.
    const QImage sectionPicture = GetNodePicture(section);
    const QImage itemPicture = GetNodePicture(m_curItem);
    QRect itemRect;
    if (m_curItem) {
        const QRect sr = nodeRect(m_core, section);
        itemRect = nodeRect(m_core, m_curItem).translated(-sr.topLeft());
    }
    const PageState counts = pageCounts(secSize, QSize(int(m_curItem ? m_curItem->Item.ContentW : 0),
                                                        int(m_curItem ? m_curItem->Item.ContentH : 0)),
                                        m_curItem && !itemRect.isEmpty());
    m_pages.columns = counts.columns;
    m_pages.rows = counts.rows;
    if (!m_curItem)
        ClearContent(false);
    BlitToContent(sectionPicture, {0, 0}, QRect(QPoint(0, 0), secSize), false);
    if (m_curItem && !itemRect.isEmpty()) {
        if (m_pages.column < 0 || m_pages.column >= m_pages.columns)
            m_pages.column = 0;
        if (m_pages.row < 0 || m_pages.row >= m_pages.rows)
            m_pages.row = 0;
        const QPoint from(secSize.width() * m_pages.column, secSize.height() * m_pages.row);
        BlitToContent(itemPicture, from, itemRect, false);
    }
    if (redraw)
        update();
}

namespace {
bool hasPages(const tagItemData* item)
{
    return item && (item->Item.TypeCode & 0x0113) != 0;
}
} // namespace

int CSectionLed::NextPage()
{
    if (!hasPages(m_curItem))
        return -1;
    bool changed = false;
    const int r = nextPage(m_pages, changed);
    if (changed)
        redrawContent(true);
    return r;
}

int CSectionLed::PrevPage()
{
    if (!hasPages(m_curItem))
        return -1;
    bool changed = false;
    const int r = prevPage(m_pages, changed);
    if (changed)
        redrawContent(true);
    return r;
}

// Both item steps tell the tree, which forwards the item to the item-list panel.
int CSectionLed::NextItem()
{
    if (!m_curItem)
        return -1;
    tagItemData* next = m_curItem->NextSibling;
    if (!next)
        return 0;
    SetItem(next, true);
    if (FramePort* l = m_screen.port())
        spine::NodeSelect::post(l->itemTree, next);
    return 1;
}

int CSectionLed::PrevItem()
{
    if (!m_curItem)
        return -1;
    tagItemData* prev = m_curItem->PrevSibling;
    if (!prev)
        return 0;
    SetItem(prev, true);
    if (FramePort* l = m_screen.port())
        spine::NodeSelect::post(l->itemTree, prev);
    return 1;
}

void CSectionLed::PlaceWindow(const QRect& leds)
{
    const QPoint origin = m_screen.scrollOrigin();
    setGeometry(leds.x() * dotWidth() - origin.x(), leds.y() * dotHeight() - origin.y(),
                leds.width() * dotWidth(), leds.height() * dotHeight());
}

bool CSectionLed::paintContentTo(QPainter& p) const
{
    if (!m_item)
        return false;
    // The content holds the whole section, border included: it goes where the section lies.
    const QRect r = nodeRect(m_core, m_item);
    p.drawImage(r.topLeft(), m_content);
    return true;
}

QRect CSectionLed::sceneClientArea() const
{
    tagItemData* scene = sceneOf(m_item);
    const QRect c = nodeClientRect(m_core, scene);
    return {c.x() * dotWidth(), c.y() * dotHeight(), c.width() * dotWidth(), c.height() * dotHeight()};
}

HitCode CSectionLed::handleAt(QPoint global) const
{
    if (!m_selected || !m_item || !isVisible())
        return HitNone;
    const QPoint local = mapFromGlobal(global);
    if (!rect().contains(local))
        return HitNone;
    const HitCode hit = sectionHitTest(local, size());
    return hit == HitClient || hit == HitCaption ? HitNone : hit;
}

CSectionLed* CSectionLed::handleOwnerAt(QPoint global) const
{
    CSectionLed* sel = m_screen.selectedSectionCanvas();
    return sel && sel != this && sel->handleAt(global) != HitNone ? sel : nullptr;
}

namespace {
Qt::CursorShape cursorFor(HitCode hit)
{
    switch (hit) {
    case HitLeft:
    case HitRight: return Qt::SizeHorCursor;
    case HitTop:
    case HitBottom: return Qt::SizeVerCursor;
    case HitTopLeft:
    case HitBottomRight: return Qt::SizeFDiagCursor;
    case HitTopRight:
    case HitBottomLeft: return Qt::SizeBDiagCursor;
    default: return Qt::SizeAllCursor;
    }
}
} // namespace

void CSectionLed::updateCursor(QPoint local, QPoint global)
{
    const CSectionLed* owner = handleOwnerAt(global);
    setCursor(cursorFor(owner ? owner->handleAt(global) : sectionHitTest(local, size())));
}

void CSectionLed::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !m_item) {
        CLedEx::mousePressEvent(e);
        return;
    }
    const QPoint global = e->globalPosition().toPoint();
    if (CSectionLed* owner = handleOwnerAt(global)) {
        m_forward = owner;
        owner->beginOperation(owner->handleAt(global), global);
        e->accept();
        return;
    }
    HitCode hit = sectionHitTest(e->position().toPoint(), size());
    if (hit == HitClient || hit == HitNone) {
        tagItemData* shown = m_curItem ? m_curItem : m_item;
        if (FramePort* l = m_screen.port())
            spine::NodeSelect::post(l->itemTree, shown);
        hit = HitCaption;
    }
    if (!m_selected)
        m_screen.SelectItem(m_item, false);
    beginOperation(hit, global);
    e->accept();
}

void CSectionLed::beginOperation(HitCode hit, QPoint globalPos)
{
    m_hit = hit;
    m_pressGlobal = globalPos;
    m_startRect = geometry().translated(m_screen.scrollOrigin());
}

void CSectionLed::endOperation(QPoint globalPos)
{
    applyOperation(globalPos);
    m_hit = HitNone;
    update();
}

void CSectionLed::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint global = e->globalPosition().toPoint();
    if (m_forward) {
        if (e->buttons() & Qt::LeftButton) {
            m_forward->applyOperation(global);
        } else {   // the release went elsewhere
            m_forward->m_hit = HitNone;
            m_forward = nullptr;
        }
        return;
    }
    if (m_hit == HitNone) {
        updateCursor(e->position().toPoint(), global);
        return;
    }
    if (!(e->buttons() & Qt::LeftButton)) {
        m_hit = HitNone;
        return;
    }
    applyOperation(global);
}

void CSectionLed::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        const QPoint global = e->globalPosition().toPoint();
        if (CSectionLed* owner = m_forward) {
            m_forward = nullptr;
            owner->endOperation(global);
            return;
        }
        if (m_hit != HitNone) {
            endOperation(global);
            return;
        }
    }
    CLedEx::mouseReleaseEvent(e);
}

void CSectionLed::applyOperation(QPoint globalPos)
{
    if (!m_item)
        return;
    const QPoint d = globalPos - m_pressGlobal;
    QRect r = m_startRect;
    if (m_hit == HitCaption) {
        r.translate(d);
    } else {
        if (hitMovesLeft(m_hit))
            r.setLeft(r.left() + d.x());
        if (hitMovesRight(m_hit))
            r.setRight(r.right() + d.x());
        if (hitMovesTop(m_hit))
            r.setTop(r.top() + d.y());
        if (hitMovesBottom(m_hit))
            r.setBottom(r.bottom() + d.y());
    }
    // No larger than the screen canvas's picture.
    const QSize most = m_screen.GetDisplaySize();
    if (r.width() > most.width())
        r.setWidth(most.width());
    if (r.height() > most.height())
        r.setHeight(most.height());
    const QRect snapped = snapSectionRect(m_hit, r, sceneClientArea(), dotWidth(), dotHeight());
    const QRect current = geometry().translated(m_screen.scrollOrigin());
    if (snapped == current)
        return;
    const bool moved = snapped.topLeft() != current.topLeft();
    setGeometry(snapped.translated(-m_screen.scrollOrigin()));
    commitRect();
    if (moved)
        m_screen.announceThumbnail(sceneOf(m_item));
}

void CSectionLed::commitRect()
{
    const QRect leds = displayToLeds(geometry().translated(m_screen.scrollOrigin()), dotWidth(), dotHeight());
    m_core.ChangeItemRect(m_item, leds.x(), leds.y(), leds.width(), leds.height());
    // The core may have fitted the rectangle into the screen: show what it keeps.
    const QRect kept = nodeRect(m_core, m_item);
    if (kept != leds)
        PlaceWindow(kept);
    Resize(kept.width(), kept.height(), false);
    redrawContent(true);
    m_tracker.m_rect = rect().adjusted(1, 1, -1, -1);
    // The screen canvas shows it already; the pane's section panel follows.
    spine::announce(m_core, m_item, spine::NodeChange::Geometry, &m_screen);
}

bool CSectionLed::event(QEvent* e)
{
    if (spine::CanvasPaintTo::dispatch(e, [this](QPainter* p) { return p && paintContentTo(*p); }))
        return true;
    if (e->type() == QEvent::Close) {
        closeWindow();
        return true;
    }
    return CLedEx::event(e);
}

void CSectionLed::enterEvent(QEnterEvent* e)
{
    m_hover = true;
    update();
    CLedEx::enterEvent(e);
}

void CSectionLed::leaveEvent(QEvent* e)
{
    m_hover = false;
    update();
    CLedEx::leaveEvent(e);
}

// Where the selected window goes, its handles go over the other windows.
void CSectionLed::moveEvent(QMoveEvent* e)
{
    CLedEx::moveEvent(e);
    if (m_selected)
        m_screen.updateSectionWindows();
}

void CSectionLed::resizeEvent(QResizeEvent* e)
{
    CLedEx::resizeEvent(e);
    if (m_selected)
        m_screen.updateSectionWindows();
}

} // namespace editor
