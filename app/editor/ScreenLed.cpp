#include "app/editor/ScreenLed.h"

#include "app/spine/Messages.h"
#include "app/editor/FramePort.h"
#include "app/editor/EditorStrings.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QPainter>

namespace editor {

// ---- node helpers ----

tagItemData* screenOf(const tagItemData* node)
{
    return node && node->Level <= LEVEL_PROGRAM ? AncestorAtLevel(const_cast<tagItemData*>(node), LEVEL_ROOT)
                                                : nullptr;
}

tagItemData* sceneOf(const tagItemData* node)
{
    return node && node->Level >= LEVEL_SCENE && node->Level <= LEVEL_PROGRAM
               ? AncestorAtLevel(const_cast<tagItemData*>(node), LEVEL_SCENE)
               : nullptr;
}

tagItemData* sectionOf(const tagItemData* node)
{
    return node && (node->Level == LEVEL_SECTION || node->Level == LEVEL_PROGRAM)
               ? AncestorAtLevel(const_cast<tagItemData*>(node), LEVEL_SECTION)
               : nullptr;
}

bool isGlobalScene(const tagItemData* node)
{
    return node && node->Level == LEVEL_SCENE && node->Scene.TypeCode == IT_GLOBALSCENE;
}

tagItemData* globalSceneOf(const tagItemData* node)
{
    tagItemData* screen = screenOf(node);
    tagItemData* first = screen ? screen->FirstChild : nullptr;
    return isGlobalScene(first) ? first : nullptr;
}

QRect nodeRect(CCore& core, tagItemData* node)
{
    RECT r;
    if (!node || !core.GetRect(node, &r))
        r = GetNodeRect(node);
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

QRect nodeClientRect(CCore& core, tagItemData* node)
{
    RECT r;
    if (!node || !core.GetClientRect(node, &r))
        r = GetNodeClientRect(node);
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// ---- the screen canvas ----

CScreenLed::CScreenLed(CCore& core, FramePort* port, QWidget* parent)
    : CLedEx(core, parent)
    , m_port(port)
{
    for (auto& c : m_pool)
        c = new CSectionLed(core, *this, this);
    m_map.reserve(1024);
    spine::NodeNotices& n = spine::notices();
    connect(&n, &spine::NodeNotices::nodeChanged, this,
            [this](tagItemData* node, spine::NodeChanges what, const QObject* origin) {
                // A change the canvas made itself (a section dragged) it shows already.
                if (origin != this)
                    OnNodeChanged(node, what);
            });
    connect(&n, &spine::NodeNotices::nodeDeleting, this, &CScreenLed::OnNodeDeleting);
}

void CScreenLed::OnNodeChanged(tagItemData* node, spine::NodeChanges what)
{
    using spine::NodeChange;
    if (!ownsNode(node))
        return;
    if (what & NodeChange::WorkMode)
        ApplyWorkMode();
    // A screen's new size or programs, a section's new rectangle.
    if (what & (NodeChange::Geometry | NodeChange::Programs))
        UpdateItemRect(node);
    if (what & NodeChange::Content)
        RefreshItem(node);
}

void CScreenLed::OnNodeDeleting(tagItemData* node)
{
    if (!m_item || !node)
        return;
    if (node == m_item) {
        DetachItem();
        return;
    }
    if (!ownsNode(node))
        return;
    RemoveItem(node);
    announceThumbnail(m_item);
}

bool CScreenLed::ownsNode(const tagItemData* node) const
{
    return m_item && node && screenOf(node) == m_item;
}

int CScreenLed::openSectionCount() const
{
    int n = 0;
    for (CSectionLed* c : m_pool)
        n += c->isWindowOpen() ? 1 : 0;
    return n;
}

CSectionLed* CScreenLed::sectionCanvas(tagItemData* section) const
{
    auto* c = static_cast<CSectionLed*>(m_map.value(section));
    return c && c != static_cast<const CLedEx*>(this) && c->isWindowOpen() && c->boundItem() == section ? c : nullptr;
}

int CScreenLed::AttachItem(tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return 0;
    if (!CLedEx::AttachItem(screen))
        return 0;
    setWindowOpen(true);
    m_map.clear();
    m_map.insert(screen, this);
    UpdateItemRect(screen);
    return 1;
}

tagItemData* CScreenLed::DetachItem()
{
    for (CSectionLed* c : m_pool) {
        if (tagItemData* s = c->boundItem())
            removeSection(s);
        c->DetachItem();
    }
    m_map.remove(m_item);
    m_sel = nullptr;
    return CLedEx::DetachItem();
}

int CScreenLed::Resize(int w, int h, bool redraw)
{
    const int r = CLed::Resize(w, h, redraw);
    if (r && m_port && m_port->thumbnailShown())
        m_port->resizeThumbnail(w, h);
    return r;
}

void CScreenLed::placeSection(CSectionLed* canvas, tagItemData* section)
{
    const QRect r = nodeRect(m_core, section);
    canvas->Resize(r.width(), r.height(), false);
    canvas->PlaceWindow(r);
}

int CScreenLed::showSection(tagItemData* section)
{
    if (sectionCanvas(section))
        return 1;
    CSectionLed* canvas = static_cast<CSectionLed*>(m_map.value(section));
    if (canvas == static_cast<CLedEx*>(this) || (canvas && canvas->boundItem() && canvas->boundItem() != section))
        canvas = nullptr;
    if (!canvas) {
        for (CSectionLed* c : m_pool) {
            if (!c->boundItem() && !c->isWindowOpen()) {
                canvas = c;
                break;
            }
        }
    }
    if (!canvas)
        return 0;
    m_map.insert(section, canvas);
    canvas->DetachItem();
    canvas->SetDotSize(dotWidth(), dotHeight(), false);
    canvas->setWindowOpen(true);
    canvas->AttachItem(section);
    placeSection(canvas, section);
    canvas->raise();
    canvas->show();
    return 1;
}

int CScreenLed::ShowItem(tagItemData* node)
{
    if (!ownsNode(node))
        return 0;
    if (node->Level == LEVEL_SCENE) {
        int refused = 0;
        for (tagItemData* s = node->FirstChild; s; s = s->NextSibling) {
            if (s->Level == LEVEL_SECTION && !showSection(s))
                ++refused;
        }
        if (refused && m_port)
            m_port->notice(editorString(kStrNoSectionWindow).arg(kPoolSize).arg(refused));
        return refused ? 0 : 1;
    }
    tagItemData* section = sectionOf(node);
    if (!section)
        return 0;
    if (showSection(section))
        return 1;
    if (m_port)
        m_port->notice(editorString(kStrNoSectionWindow).arg(kPoolSize).arg(1));
    return 0;
}

void CScreenLed::removeSection(tagItemData* section)
{
    auto it = m_map.find(section);
    if (it == m_map.end() || it.value() == static_cast<CLedEx*>(this))
        return;
    auto* canvas = static_cast<CSectionLed*>(it.value());
    m_map.erase(it);
    if (canvas->boundItem() == section)
        canvas->closeWindow();
}

int CScreenLed::RemoveItem(tagItemData* node)
{
    if (!ownsNode(node))
        return 0;
    switch (node->Level) {
    case LEVEL_SCENE:
        for (tagItemData* s = node->FirstChild; s; s = s->NextSibling)
            removeSection(s);
        if (m_sel && sceneOf(m_sel) == node) {
            m_sel = nullptr;
            paintBackground();
        }
        break;
    case LEVEL_SECTION:
        removeSection(node);
        if (m_sel && sectionOf(m_sel) == node)
            m_sel = nullptr;
        break;
    case LEVEL_PROGRAM: {
        tagItemData* neighbour = node->PrevSibling ? node->PrevSibling : node->NextSibling;
        tagItemData* section = sectionOf(node);
        if (CSectionLed* c = sectionCanvas(section); c && c->currentItem() == node)
            c->SetItem(neighbour, true);
        if (m_sel == node)
            m_sel = neighbour ? neighbour : section;
        break;
    }
    default:
        break;
    }
    return 1;
}

int CScreenLed::UpdateItemRect(tagItemData* node)
{
    if (!ownsNode(node))
        return 0;
    if (node->Level == LEVEL_ROOT) {
        Resize(node->Global.Width, node->Global.Height, false);
        spine::ViewRelayout::send(parentWidget());
        for (CSectionLed* c : m_pool) {
            if (c->boundItem() && c->isWindowOpen())
                placeSection(c, c->boundItem());
        }
    } else if (node->Level == LEVEL_SECTION) {
        CSectionLed* c = sectionCanvas(node);
        if (c)
            placeSection(c, node);
    } else {
        return 0;
    }
    OnItemChanged(node);
    return 1;
}

int CScreenLed::RefreshItem(tagItemData* node)
{
    if (!ownsNode(node))
        return 0;
    if (node->Level == LEVEL_ROOT || node->Level == LEVEL_SCENE) {
        for (CSectionLed* c : m_pool) {
            if (c->boundItem() && c->isWindowOpen())
                placeSection(c, c->boundItem());
        }
    }
    OnItemChanged(node);
    return 1;
}

void CScreenLed::paintBackground()
{
    tagItemData* scene = m_sel ? sceneOf(m_sel) : nullptr;
    const QImage picture = GetNodePicture(scene);
    const QRect r = picture.isNull() ? QRect() : nodeRect(m_core, scene);
    // A scene picture that covers the whole content leaves nothing to clear.
    if (!r.contains(QRect(QPoint(0, 0), contentSize())) || picture.width() < r.width() || picture.height() < r.height())
        ClearContent(false);
    if (!r.isEmpty())
        BlitToContent(picture, {0, 0}, r, false);
    update();
}

void CScreenLed::OnItemChanged(tagItemData* node)
{
    if (!ownsNode(node))
        return;
    switch (node->Level) {
    case LEVEL_ROOT:
        if (m_sel && m_sel != node)
            paintBackground();
        break;
    case LEVEL_SCENE:
        if (m_sel && (sceneOf(m_sel) == node || isGlobalScene(node)))
            paintBackground();
        break;
    default:
        if (CSectionLed* c = sectionCanvas(sectionOf(node)))
            c->redrawContent(true);
        break;
    }
    announceThumbnail(node);
}

tagItemData* CScreenLed::SelectItem(tagItemData* node, bool redraw)
{
    tagItemData* previous = m_sel;
    if (node && !ownsNode(node))
        return previous;
    tagItemData* shownScene = previous && previous->Level != LEVEL_ROOT && !isGlobalScene(sceneOf(previous))
                                  ? sceneOf(previous)
                                  : nullptr;
    tagItemData* global = globalSceneOf(m_item);
    const bool globalShown = previous && previous->Level != LEVEL_ROOT;

    if (!node || node->Level == LEVEL_ROOT) {
        if (global)
            RemoveItem(global);
        if (shownScene)
            RemoveItem(shownScene);
        ClearContent(redraw);
        m_sel = node;
        return previous;
    }

    tagItemData* prevSection = sectionOf(previous);
    tagItemData* section = sectionOf(node);
    tagItemData* scene = sceneOf(node);
    if (prevSection && prevSection != section) {
        if (CSectionLed* c = sectionCanvas(prevSection))
            c->SetSelected(false, true);
    }
    if (shownScene && shownScene != scene)
        RemoveItem(shownScene);
    if (isGlobalScene(scene)) {
        ShowItem(globalShown ? node : scene);
    } else {
        if (global && !globalShown)
            ShowItem(global);
        ShowItem(shownScene == scene ? node : scene);
    }
    const bool sectionChanged = section != prevSection;
    if (node->Level == LEVEL_PROGRAM) {
        if (CSectionLed* c = sectionCanvas(section))
            c->SetItem(node, !sectionChanged || redraw);
    }
    if (sectionChanged && section) {
        if (CSectionLed* c = sectionCanvas(section))
            c->SetSelected(true, redraw);
    }
    m_sel = node;
    if (scene != shownScene)
        OnItemChanged(scene);
    else
        announceThumbnail(node);
    return previous;
}

void CScreenLed::ClearSections()
{
    m_sel = nullptr;
    for (CSectionLed* c : m_pool) {
        if (tagItemData* s = c->boundItem())
            removeSection(s);
    }
}

int CScreenLed::SetDotSize(int dotW, int dotH)
{
    const QPoint oldOrigin = scrollOrigin();
    const int oldW = dotWidth(), oldH = dotHeight();
    if (!CLed::SetDotSize(dotW, dotH, true))
        return 0;
    ScrollTo(oldOrigin.x() / oldW, oldOrigin.y() / oldH);
    for (CSectionLed* c : m_pool) {
        c->SetDotSize(dotWidth(), dotHeight(), false);
        if (c->isWindowOpen() && c->boundItem())
            c->PlaceWindow(nodeRect(m_core, c->boundItem()));
    }
    return 1;
}

void CScreenLed::ApplyWorkMode()
{
    const int mode = workModeOf(m_item);
    if (mode < 0)
        return;
    SetWorkMode(mode, false);
    for (CSectionLed* c : m_pool)
        c->SetWorkMode(mode, false);
    update();
    for (CSectionLed* c : m_pool)
        c->update();
}

CSectionLed* CScreenLed::selectedSectionCanvas() const
{
    return m_sel ? sectionCanvas(sectionOf(m_sel)) : nullptr;
}

void CScreenLed::updateSectionWindows()
{
    for (CSectionLed* c : m_pool)
        if (c->isWindowOpen())
            c->update();
}

int CScreenLed::NextPage()
{
    CSectionLed* c = selectedSectionCanvas();
    return c ? c->NextPage() : -1;
}

int CScreenLed::PrevPage()
{
    CSectionLed* c = selectedSectionCanvas();
    return c ? c->PrevPage() : -1;
}

int CScreenLed::NextItem()
{
    CSectionLed* c = selectedSectionCanvas();
    return c && c->currentItem() ? c->NextItem() : -1;
}

int CScreenLed::PrevItem()
{
    CSectionLed* c = selectedSectionCanvas();
    return c && c->currentItem() ? c->PrevItem() : -1;
}

bool CScreenLed::paintContentTo(QPainter& p)
{
    p.drawImage(0, 0, m_content);
    // children() keeps the stacking order, bottom first.
    for (QObject* o : children()) {
        auto* c = qobject_cast<CSectionLed*>(o);
        if (c && c->isWindowOpen())
            c->paintContentTo(p);
    }
    return true;
}

void CScreenLed::announceThumbnail(tagItemData* node)
{
    if (!m_port || !m_port->thumbnailShown())
        return;
    QWidget* source = nullptr;
    if (node && (node->Level == LEVEL_ROOT || node->Level == LEVEL_SCENE))
        source = this;
    else if (CSectionLed* c = sectionCanvas(sectionOf(node)))
        source = c;
    if (source)
        spine::ThumbSetSource::post(m_port->thumbnailReceiver(), source);
}

bool CScreenLed::event(QEvent* e)
{
    if (spine::NodeSelect::dispatch(e, [this](tagItemData* node) {
            SelectItem(node, true);
            return 1;
        }))
        return true;
    if (spine::CanvasPaintTo::dispatch(e, [this](QPainter* p) { return p && paintContentTo(*p); }))
        return true;
    return CLedEx::event(e);
}

} // namespace editor
