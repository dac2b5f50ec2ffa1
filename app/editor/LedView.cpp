#include "app/editor/LedView.h"

#include "app/spine/Messages.h"
#include "app/spine/NodeNotice.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/ToolBarCtrlEx.h"
#include "app/editor/ChildFrame.h"
#include "app/editor/FramePort.h"
#include "app/editor/ScreenLed.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <QAction>
#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>
#include <algorithm>

namespace editor {

namespace {
// The toolbar's pictures in button order (separators not counted).
constexpr unsigned kToolIcons[] = {6165, 6170, 6169, 6166, 6167, 6168, 6169, 6213, 6214, 6212, 6211};
} // namespace

CLedView::CLedView(CCore& core, FramePort* port, QWidget* parent)
    : QWidget(parent)
    , m_core(core)
    , m_port(port)
{
    m_toolBar = new controls::CToolBarCtrlEx(this);
    m_toolBar->Create(this, kViewToolBarId);
    m_toolBar->setObjectName(QString::number(kViewToolBarId));
    const std::optional<platform::LangToolBar> bar = platform::langToolBar(kViewToolBarId);
    const QList<unsigned> ids = bar ? bar->ids
                                    : QList<unsigned>{32906, 32907, 0, 32908, 32909, 32910, 32911, 32912, 0,
                                                      32913, 32914, 0, 32915, 32916};
    m_toolBar->setIconSize(QSize(16, 15));
    int image = 0;
    for (unsigned id : ids) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* a = m_toolBar->addAction(QString());
        a->setData(static_cast<int>(id));
        if (image < int(std::size(kToolIcons)))
            a->setIcon(platform::langIcon(kToolIcons[image]));
        ++image;
        const QString tip = controls::CToolBarCtrlEx::tipText(platform::langString(id));
        a->setToolTip(tip);
        a->setText(tip);
        a->setObjectName(QString::number(id));
        if (id == kCmdAlign)
            a->setVisible(false);
    }
    connect(m_toolBar, &controls::CToolBarCtrlEx::command, this, [this](int id) { OnCommand(id); });
    m_toolBar->adjustSize();
    m_toolBarHeight = m_toolBar->sizeHint().height();
    m_toolBarWidth = m_toolBar->sizeHint().width();

    m_canvas = new CScreenLed(core, port, this);
    m_canvas->setWindowOpen(true);
    m_canvas->show();
    setAutoFillBackground(false);
}

QSize CLedView::GetRequiredSize() const
{
    const QSize d = m_canvas->GetDisplaySize();
    return {std::max(d.width() + 2 * kViewMargin, m_toolBarWidth), d.height() + 2 * kViewMargin + m_toolBarHeight};
}

bool CLedView::frameMaximized() const
{
    const CChildFrame* f = qobject_cast<const CChildFrame*>(parentWidget());
    return f && f->maximizedMode();
}

void CLedView::layoutCanvas()
{
    const QRect area = QRect(0, 0, width(), height() - m_toolBarHeight)
                           .adjusted(kViewMargin, kViewMargin, -kViewMargin, -kViewMargin);
    const QSize d = m_canvas->GetDisplaySize();
    bool clipped = false;
    int x = area.left(), w = area.width();
    if (d.width() < area.width()) {
        x = area.left() + (area.width() - d.width()) / 2;
        w = d.width();
    } else {
        clipped = true;
    }
    int y = area.top(), h = area.height();
    if (d.height() < area.height()) {
        y = area.top() + (area.height() - d.height()) / 2;
        h = d.height();
    } else {
        clipped = true;
    }
    m_clipped = clipped;
    m_canvas->setGeometry(x, y, std::max(w, 0), std::max(h, 0));
    m_canvas->update();

    FramePort* thumb = m_port;
    const bool maximized = frameMaximized();
    if (maximized && clipped) {
        if (thumb) {
            const QSize content = m_canvas->contentSize();
            if (!thumb->thumbnailShown())
                thumb->showThumbnail(content.width(), content.height(), m_canvas);
            const QPoint o = m_canvas->scrollOrigin();
            const int dw = m_canvas->dotWidth(), dh = m_canvas->dotHeight();
            thumb->setThumbnailView(QRect(o.x() / dw, o.y() / dh, w / dw, h / dh));
        }
        return;
    }
    if (maximized)
        m_canvas->ScrollTo(0, 0);
    if (thumb && thumb->thumbnailShown())
        thumb->hideThumbnail();
}

void CLedView::resizeEvent(QResizeEvent*)
{
    m_toolBar->setGeometry(0, height() - m_toolBarHeight, width(), m_toolBarHeight);
    layoutCanvas();
}

void CLedView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), QColor(0xC0, 0xC0, 0xC0));
}

bool CLedView::event(QEvent* e)
{
    if (auto m = spine::ViewRelayout::read(e)) {
        if (frameMaximized())
            layoutCanvas();
        else if (auto* f = qobject_cast<CChildFrame*>(parentWidget()))
            spine::ViewRelayout::post(f);
        else
            layoutCanvas();
        m_canvas->update();
        m->answer(0);
        return true;
    }
    // The toolbar's own notification; its command signal runs the command.
    if (spine::Command::dispatch(e, [](spine::CommandWord, QObject*) { return 1; }))
        return true;
    return QWidget::event(e);
}

void CLedView::zoom(int step)
{
    const int dot = m_canvas->dotWidth();
    if ((step > 0 && dot >= 3) || (step < 0 && dot <= 1))
        return;
    m_canvas->SetDotSize(m_canvas->dotWidth() + step, m_canvas->dotHeight() + step);
    if (!frameMaximized()) {
        if (auto* f = qobject_cast<CChildFrame*>(parentWidget())) {
            spine::ViewRelayout::post(f);
            return;
        }
    }
    layoutCanvas();
}

bool CLedView::moveToObstacle(Direction d)
{
    tagItemData* section = sectionOf(m_canvas->selectedItem());
    if (!section)
        return false;
    tagItemData* scene = sceneOf(section);
    const QRect sr = nodeRect(m_core, section);
    std::vector<QRect> obstacles;
    auto addFrom = [&](tagItemData* sc) {
        for (tagItemData* s = sc ? sc->FirstChild : nullptr; s; s = s->NextSibling)
            if (s != section && s->Level == LEVEL_SECTION)
                obstacles.push_back(nodeRect(m_core, s));
    };
    addFrom(scene);
    if (tagItemData* global = globalSceneOf(section); global && global != scene)
        addFrom(global);
    const QPoint offset = obstacleMove(sr, nodeClientRect(m_core, scene), obstacles, d);
    if (offset.isNull())
        return false;
    spine::writeNode(m_core, section, spine::NodeChange::Geometry, [&] {
        m_core.ChangeItemRect(section, sr.x() + offset.x(), sr.y() + offset.y(), sr.width(), sr.height());
    });
    return true;
}

bool CLedView::OnCommand(int id)
{
    switch (id) {
    case kCmdZoomIn: zoom(1); return true;
    case kCmdZoomOut: zoom(-1); return true;
    case kCmdMoveUp: moveToObstacle(Direction::Up); return true;
    case kCmdMoveDown: moveToObstacle(Direction::Down); return true;
    case kCmdMoveLeft: moveToObstacle(Direction::Left); return true;
    case kCmdMoveRight: moveToObstacle(Direction::Right); return true;
    case kCmdPrevItem: m_canvas->PrevItem(); return true;
    case kCmdNextItem: m_canvas->NextItem(); return true;
    case kCmdPrevPage: m_canvas->PrevPage(); return true;
    case kCmdNextPage: m_canvas->NextPage(); return true;
    default: return false;
    }
}

} // namespace editor
