#include "app/controls/StaticSplitter.h"
#include "app/controls/ControlMessages.h"

#include <QMouseEvent>
#include <QPainter>

namespace controls {

bool SplitterModel::setPosition(int pos)
{
    if (extent <= 0) {
        // Nothing to measure against yet: clamping now would lose the position.
        const bool changed = pos != pending;
        pending = pos;
        return changed;
    }
    pending = kNoPending;
    const int E = available();
    if (pos == -1)
        pos = E / 2;
    const int d = fixedSize;
    if (fixedPane == 0) {
        if (pos < d + minimum + edgeExtra)
            pos = pos < 3 * d / 4 + minimum + edgeExtra ? minimum : d + minimum;
    } else if (fixedPane == 1) {
        int e = extent - minimum - d - barWidth - edgeExtra;
        if (pos > e)
            pos = pos > extent - 3 * d / 4 - minimum - barWidth - edgeExtra ? extent - minimum - barWidth - edgeExtra
                                                                             : e;
    }
    if (pos < minimum + edgeExtra)
        pos = minimum;
    if (pos > extent - barWidth - minimum - edgeExtra)
        pos = extent - barWidth - minimum - edgeExtra;
    if (record) {
        if (resizeMode & KeepProportion)
            kept = E > 0 ? static_cast<int>(static_cast<long long>(pos) * 10000 / E) : 0;
        else if (resizeMode & KeepSecond)
            kept = E - pos;
    } else {
        record = true;
    }
    bool changed = pos != position;
    position = pos;
    return changed;
}

void SplitterModel::resize(int newExtent)
{
    extent = newExtent;
    if (pending != kNoPending && extent > 0) {
        setPosition(pending);
        return;
    }
    // Nothing is kept before a position has been set: the first paint centres.
    if (position < 0)
        return;
    const int E = available();
    if ((resizeMode & KeepProportion) && E > 0) {
        record = false;
        setPosition(static_cast<int>(static_cast<long long>(kept) * E / 10000));
    } else if (resizeMode & KeepSecond) {
        record = false;
        setPosition(E - kept);
    }
}

int SplitterModel::doubleClickPosition() const
{
    if (fixedPane == 0)
        return fixedSize;
    if (fixedPane == 1)
        return extent - fixedSize;
    return -1;
}

CStaticSplitterWnd::CStaticSplitterWnd(QWidget* parent, bool vertical) : QWidget(parent), m_vertical(vertical)
{
    setMouseTracking(true);
    m_tracker = new QWidget(this);
    m_tracker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_tracker->setAutoFillBackground(true);
    QPalette pal = m_tracker->palette();
    pal.setColor(QPalette::Window, QColor(96, 96, 96));
    m_tracker->setPalette(pal);
    m_tracker->hide();
}

bool CStaticSplitterWnd::Create(QWidget* parent, bool vertical, int id)
{
    setParent(parent);
    m_vertical = vertical;
    setControlId(this, id);
    return true;
}

void CStaticSplitterWnd::SetPanes(QWidget* first, QWidget* second)
{
    QWidget* panes[2] = {first, second};
    for (int i = 0; i < 2; ++i) {
        if (m_panes[i] && m_panes[i] != panes[i])
            m_panes[i]->removeEventFilter(this);
        m_panes[i] = panes[i];
        if (panes[i]) {
            if (panes[i]->parentWidget() != this)
                panes[i]->setParent(this);
            panes[i]->installEventFilter(this);
            panes[i]->show();
        }
    }
    m_tracker->raise();
    layoutPanes();
}

bool CStaticSplitterWnd::SetSplitterPos(int position, bool relayout)
{
    bool changed = m_model.setPosition(position);
    if (relayout && changed)
        layoutPanes();
    return changed;
}

bool CStaticSplitterWnd::SetFixedPane(QWidget* pane, int size)
{
    for (int i = 0; i < 2; ++i) {
        if (pane && m_panes[i] == pane) {
            m_model.fixedPane = i;
            m_model.fixedSize = size;
            return true;
        }
    }
    return false;
}

void CStaticSplitterWnd::SetSinglePane(int pane)
{
    m_singlePane = (pane == 0 || pane == 1) ? pane : -1;
    layoutPanes();
    update();
}

QRect CStaticSplitterWnd::barRect() const
{
    if (m_model.position < 0 || m_singlePane >= 0)
        return {};
    int w = m_model.barWidth + m_model.edgeExtra;
    return m_vertical ? QRect(m_model.position, 0, w, height()) : QRect(0, m_model.position, width(), w);
}

QRect CStaticSplitterWnd::paneRect(int pane) const
{
    if (m_singlePane >= 0)
        return pane == m_singlePane ? rect() : QRect();
    if (m_model.position < 0)
        return {};
    const int pos = m_model.position, after = pos + m_model.barWidth + m_model.edgeExtra;
    if (m_vertical)
        return pane == 0 ? QRect(0, 0, pos, height()) : QRect(after, 0, width() - after, height());
    return pane == 0 ? QRect(0, 0, width(), pos) : QRect(0, after, width(), height() - after);
}

void CStaticSplitterWnd::layoutPanes()
{
    for (int i = 0; i < 2; ++i) {
        if (!m_panes[i])
            continue;
        QRect r = paneRect(i);
        if (r.isNull() && m_singlePane >= 0) {
            m_panes[i]->hide();
            continue;
        }
        if (m_model.position < 0 && m_singlePane < 0)
            continue;
        m_panes[i]->setGeometry(r);
        m_panes[i]->show();
    }
    update();
}

void CStaticSplitterWnd::centreIfUnset()
{
    // A bar nobody placed is centred once the splitter shows with its size.
    if (m_singlePane < 0 && m_model.position < 0 && m_model.pending == SplitterModel::kNoPending && isVisible()
        && m_model.extent > 0)
        m_model.setPosition(-1);
}

void CStaticSplitterWnd::resizeEvent(QResizeEvent*)
{
    // Only a new extent along the split axis moves the bar; recomputing it
    // from the kept proportion at an unchanged extent could round it away.
    const int extent = m_vertical ? width() : height();
    if (extent != m_model.extent || m_model.pending != SplitterModel::kNoPending)
        m_model.resize(extent);
    centreIfUnset();
    layoutPanes();
}

void CStaticSplitterWnd::showEvent(QShowEvent* e)
{
    resizeEvent(nullptr);
    QWidget::showEvent(e);
}

void CStaticSplitterWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    auto emptyPane = [&](int i) {
        QRect r = paneRect(i);
        if (r.isEmpty())
            return;
        p.setPen(palette().dark().color());
        p.setBrush(palette().color(QPalette::Dark));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    };
    if (m_singlePane >= 0) {
        if (!m_panes[m_singlePane])
            emptyPane(m_singlePane);
        return;
    }
    QRect bar = barRect();
    p.fillRect(bar, palette().button());
    p.setPen(palette().light().color());
    if (m_vertical)
        p.drawLine(bar.topLeft(), bar.bottomLeft());
    else
        p.drawLine(bar.topLeft(), bar.topRight());
    p.setPen(palette().dark().color());
    if (m_vertical)
        p.drawLine(bar.topRight(), bar.bottomRight());
    else
        p.drawLine(bar.bottomLeft(), bar.bottomRight());
    if (m_hoverBar)
        p.fillRect(bar.adjusted(1, 1, -1, -1), QColor(224, 224, 0));
    for (int i = 0; i < 2; ++i)
        if (!m_panes[i])
            emptyPane(i);
}

void CStaticSplitterWnd::moveTracker(int position)
{
    int w = m_model.barWidth + m_model.edgeExtra;
    m_tracker->setGeometry(m_vertical ? QRect(position, 0, w, height()) : QRect(0, position, width(), w));
    m_tracker->raise();
    m_tracker->show();
}

void CStaticSplitterWnd::mousePressEvent(QMouseEvent* e)
{
    QPoint pt = e->position().toPoint();
    if (e->button() != Qt::LeftButton || m_singlePane >= 0 || !m_model.onBar(along(pt)) || !rect().contains(pt))
        return;
    m_dragging = true;
    m_grab = along(pt) - m_model.position;
    if (!m_liveDrag)
        moveTracker(m_model.position);
}

void CStaticSplitterWnd::mouseMoveEvent(QMouseEvent* e)
{
    int c = along(e->position().toPoint());
    if (m_dragging && (e->buttons() & Qt::LeftButton)) {
        int pos = c - m_grab;
        if (pos == -1)
            pos = -2; // -1 would mean "centre"
        if (m_liveDrag) {
            SetSplitterPos(pos, true);
        } else {
            m_model.setPosition(pos);
            moveTracker(m_model.position);
        }
        return;
    }
    bool over = m_singlePane < 0 && m_model.onBar(c);
    setCursor(over ? (m_vertical ? Qt::SplitHCursor : Qt::SplitVCursor) : Qt::ArrowCursor);
    if (over != m_hoverBar) {
        m_hoverBar = over;
        update(barRect());
    }
}

void CStaticSplitterWnd::mouseReleaseEvent(QMouseEvent*)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    m_tracker->hide();
    layoutPanes();
}

void CStaticSplitterWnd::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (m_singlePane < 0 && m_model.onBar(along(e->position().toPoint())))
        SetSplitterPos(m_model.doubleClickPosition(), true);
}

void CStaticSplitterWnd::leaveEvent(QEvent*)
{
    if (m_hoverBar) {
        m_hoverBar = false;
        update(barRect());
    }
}

void CStaticSplitterWnd::focusInEvent(QFocusEvent*)
{
    int pane = m_singlePane >= 0 ? m_singlePane : m_activePane;
    if (pane >= 0 && m_panes[pane])
        m_panes[pane]->setFocus();
}

bool CStaticSplitterWnd::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::FocusIn) {
        for (int i = 0; i < 2; ++i)
            if (watched == m_panes[i])
                m_activePane = i;
    }
    return QWidget::eventFilter(watched, e);
}

} // namespace controls
