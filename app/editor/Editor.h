#pragma once
// CEditor: the item tree of the screen panel. One row per screen, scene and
// section of the core's tree (content items live in the item-list panel).
// Structural changes go through CCore first and are then mirrored here and
// on the screen canvases. Refusals are reported through the notice callback.
#include "app/editor/TreeRules.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <vector>

struct LinkSettings;

class CCore;
class QLabel;
class QMenu;
struct tagItemData;

namespace editor {

class FramePort;

// Codes of the notice callback.
enum EditorNotice {
    kNoticeDeleteNoSelection = 1,
    kNoticeDeleteScreen = 2,
    kNoticeAddNoScreen = 3,
    kNoticeGlobalSceneExists = 4,
    kNoticeSectionLimit = 5,    // text: the formatted limit message
    kNoticeDropOtherScreen = 6,
    kNoticeDropOverLimit = 7,
    kNoticeNameTaken = 8,
};

inline constexpr unsigned kTreeMenuId = 6188;

class CEditor : public QTreeWidget {
    Q_OBJECT
public:
    using NoticeCallback = std::function<void(int code, const QString& text)>;
    // Save (32888) and close (32889) of a screen, answered by the screen panel.
    using ScreenCommand = std::function<void(int command, tagItemData* screen)>;

    CEditor(CCore& core, FramePort* port, QWidget* parent = nullptr);
    ~CEditor() override;

    void setNoticeCallback(NoticeCallback cb) { m_notice = std::move(cb); }
    void setScreenCommand(ScreenCommand cb) { m_screenCommand = std::move(cb); }
    void setSectionLimitSource(SectionLimitSource s) { m_limitSource = std::move(s); }
    // Names a new screen may not take beyond the open screens' (those of
    // files already there), so that saving it never has to rename it.
    void setScreenNameTaken(NameTaken taken) { m_screenNameTaken = std::move(taken); }
    // The default name the tree gives the node.
    QString defaultName(const tagItemData* node) const;

    void InsertItemTree(tagItemData* screen);
    // While held, InsertItemTree leaves the selection where it is and only
    // the last screen inserted is selected at the release: a start with many
    // screens would otherwise select, show and activate each one in turn.
    void HoldSelection(bool hold);
    tagItemData* AddNewItem(int kind);
    int DeleteSelectedItem();
    void DeleteItem(tagItemData* node);
    // Screens closed together (every screen, on quitting): as DeleteItem on
    // each, but the rows go at once and the selection moves once.
    void DeleteScreens(const std::vector<tagItemData*>& screens);
    void ClearPrograms(tagItemData* screen);
    // The tree rows and the canvas windows of the screen's scenes go, and the
    // panels let go of them; the core keeps the scenes (a load replaces them
    // or leaves them, and InsertItemTree shows what the screen then holds).
    void ReleasePrograms(tagItemData* screen);
    int UpdateItemText(tagItemData* node);
    tagItemData* GetSelectedScreen() const;

    // WM_NODE_SELECT from a canvas, a window or a panel.
    int OnNodeSelect(tagItemData* node);
    // Whether the node is still in this tree: a screen, scene or section row, or below a section.
    bool knows(const tagItemData* node) const;
    // Runs a context-menu command on `node` (which is selected first).
    void OnMenuCommand(unsigned command, tagItemData* node, tagItemData* otherScreen = nullptr, int offset = -1);
    // Builds the context menu of a node (owned by the caller).
    QMenu* buildContextMenu(tagItemData* node);
    // Right click on the tree at `pos` (viewport coordinates): selects and opens the menu.
    void contextMenuAt(QPoint pos);

    tagItemData* nodeOf(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* itemOf(const tagItemData* node) const { return m_map.value(const_cast<tagItemData*>(node)); }
    tagItemData* selectedNode() const { return nodeOf(currentItem()); }
    int mappedCount() const { return static_cast<int>(m_map.size()); }
    bool isDragging() const { return m_dragging; }
    QTreeWidgetItem* dropTarget() const { return m_dropTarget; }
    // Renaming as the label editor commits it.
    void endLabelEdit(QTreeWidgetItem* item, const QString& text);
    // What the row's label editor opens with: a refused name as typed, else the label.
    QString editorText(const QTreeWidgetItem* item) const;

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void selectScreenRow(QTreeWidgetItem* item, tagItemData* screen);
    void notice(int code, const QString& text = {});
    QTreeWidgetItem* makeItem(tagItemData* node);
    void insertChildItem(QTreeWidgetItem* parent, QTreeWidgetItem* item, tagItemData* afterNode);
    void fillSubtree(QTreeWidgetItem* screenItem, tagItemData* screen);
    void forget(QTreeWidgetItem* item);
    void giveDefaultName(tagItemData* node);
    // Opens the row's label editor again holding `typed`.
    void editAgain(QTreeWidgetItem* item, const QString& typed);
    void onCurrentChanged(QTreeWidgetItem* current);
    // Makes the window of `node`'s screen the active one, telling nobody.
    void activateWindowOf(tagItemData* node);
    void sendToPane(tagItemData* node);
    tagItemData* addSection(int kind, tagItemData* selected);
    // Deletes a node: map entries, the deletion notice, the node, then its row.
    void dropNode(tagItemData* node);
    void sendThrough(tagItemData* screen, tagItemData* link, int (*call)(CCore&, const LinkSettings&));

    void beginDrag(QTreeWidgetItem* item);
    void endDrag(QPoint pos);
    void setDropTarget(QTreeWidgetItem* item);
    void onHoverTimer();
    void onScrollTimer();

    CCore& m_core;
    FramePort* m_port;
    QHash<tagItemData*, QTreeWidgetItem*> m_map;
    NoticeCallback m_notice;
    ScreenCommand m_screenCommand;
    SectionLimitSource m_limitSource;
    NameTaken m_screenNameTaken;
    bool m_echo = true;
    bool m_holdSelection = false;
    tagItemData* m_heldSelection = nullptr;   // looked up, never read, at the release
    struct Retyped {
        const QTreeWidgetItem* item = nullptr;
        QString text;
    } m_retyped;

    // Dragging.
    QElapsedTimer m_clock;
    qint64 m_pressTick = -1000;
    QPoint m_pressPos;
    bool m_dragCandidate = false;
    bool m_dragging = false;
    QTreeWidgetItem* m_dragItem = nullptr;
    QTreeWidgetItem* m_dropTarget = nullptr;
    QLabel* m_dragImage = nullptr;
    QTimer m_hoverTimer;
    QTimer m_scrollTimer;
    QPoint m_lastPoint;
    int m_scrollTicks = 0;
};

} // namespace editor
