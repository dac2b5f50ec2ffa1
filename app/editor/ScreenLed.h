#pragma once
// CScreenLed: the canvas of one whole screen in its screen window. It shows
// the selected scene's background and, on a pool of eight section windows,
// the sections of the global scene and of the selected scene.
#include "app/editor/Led.h"
#include "app/editor/SectionLed.h"
#include "app/spine/NodeNotice.h"

#include <QHash>
#include <array>

namespace editor {

class FramePort;

class CScreenLed : public CLedEx {
    Q_OBJECT
public:
    static constexpr int kPoolSize = 8;

    CScreenLed(CCore& core, FramePort* port, QWidget* parent = nullptr);

    int AttachItem(tagItemData* screen) override;
    tagItemData* DetachItem() override;
    int Resize(int w, int h, bool redraw) override;

    // Opens section windows: a scene's sections, a section, an item's section.
    // 0 for another screen's node or when no pooled window is free.
    int ShowItem(tagItemData* node);
    // Closes the windows of a scene's sections or of a section; for an item,
    // its section shows a neighbour item instead. 0 for another screen's node.
    int RemoveItem(tagItemData* node);
    int UpdateItemRect(tagItemData* node);
    int RefreshItem(tagItemData* node);
    void OnItemChanged(tagItemData* node);
    // Selects a node of this screen (null or the screen: none); returns the previous selection.
    tagItemData* SelectItem(tagItemData* node, bool redraw);
    void ClearSections();
    // 0 when unchanged; keeps the scroll position in LEDs.
    int SetDotSize(int dotW, int dotH);
    void ApplyWorkMode();
    // The change notice: a node of this screen changed; the canvas re-lays,
    // redraws or takes the work mode as the change asks.
    void OnNodeChanged(tagItemData* node, spine::NodeChanges what);
    // The change notice: a node of this screen is about to go; its screen
    // itself leaves the canvas.
    void OnNodeDeleting(tagItemData* node);
    int NextPage();
    int PrevPage();
    int NextItem();
    int PrevItem();

    // Paints the whole screen at one pixel per LED, sections from the bottom
    // of the stack to the top (what WM_CANVAS_PAINTTO asks, with a QPainter* in wParam).
    bool paintContentTo(QPainter& p);
    // Tells a visible thumbnail to copy from the canvas that shows `node`.
    void announceThumbnail(tagItemData* node);

    tagItemData* selectedItem() const { return m_sel; }
    // The open section window of a section, or null.
    CSectionLed* sectionCanvas(tagItemData* section) const;
    // The window of the selected section (or of the selected item's), or null.
    CSectionLed* selectedSectionCanvas() const;
    // Repaints the open section windows: the selected one's handles lie over the others.
    void updateSectionWindows();
    CSectionLed* pooled(int i) const { return m_pool[static_cast<std::size_t>(i)]; }
    int openSectionCount() const;
    FramePort* port() const { return m_port; }
    bool ownsNode(const tagItemData* node) const;

protected:
    bool event(QEvent* e) override;

private:
    void paintBackground();
    int showSection(tagItemData* section);
    void removeSection(tagItemData* section);
    void placeSection(CSectionLed* canvas, tagItemData* section);

    FramePort* m_port;
    std::array<CSectionLed*, kPoolSize> m_pool{};
    QHash<tagItemData*, CLedEx*> m_map;
    tagItemData* m_sel = nullptr;
};

// Node helpers shared by the canvases and the tree.
tagItemData* screenOf(const tagItemData* node);
tagItemData* sceneOf(const tagItemData* node);
tagItemData* sectionOf(const tagItemData* node);
// The screen's global scene (its first scene when that is global), or null.
tagItemData* globalSceneOf(const tagItemData* node);
bool isGlobalScene(const tagItemData* node);
// A rectangle of the core (right and bottom exclusive) as a QRect.
QRect nodeRect(CCore& core, tagItemData* node);
QRect nodeClientRect(CCore& core, tagItemData* node);

} // namespace editor
