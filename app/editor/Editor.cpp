#include "app/editor/Editor.h"

#include "app/spine/Messages.h"
#include "app/spine/NodeNotice.h"
#include "app/controls/MessageBox.h"
#include "app/editor/ChildFrame.h"
#include "app/editor/FramePort.h"
#include "app/editor/EditorStrings.h"
#include "app/editor/KindTable.h"
#include "app/editor/ScreenLed.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

namespace editor {

namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kDropRole = Qt::UserRole + 1;
const QColor kSelectedBack(0x31, 0x6A, 0xC5);

// Paints the selection (and the drop target) white on blue while the tree is
// enabled, and hands a finished label edit to the tree instead of the model.
class TreeDelegate : public QStyledItemDelegate {
public:
    explicit TreeDelegate(CEditor* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(kDropRole).toBool())
            option->state |= QStyle::State_Selected;
        if ((option->state & QStyle::State_Selected) && m_tree->isEnabled()) {
            for (auto group : {QPalette::Active, QPalette::Inactive}) {
                option->palette.setColor(group, QPalette::Highlight, kSelectedBack);
                option->palette.setColor(group, QPalette::HighlightedText, Qt::white);
            }
        }
    }

    // A refused name comes back into the editor as it was typed.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* edit = qobject_cast<QLineEdit*>(editor))
            edit->setText(m_tree->editorText(m_tree->itemFromIndex(index)));
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        if (!edit)
            return;
        const QPersistentModelIndex row(index);
        const QString text = edit->text();
        // The tree decides after the editor has closed, so it may reopen it;
        // the row may be gone by then.
        QTimer::singleShot(0, m_tree, [tree = m_tree, row, text] {
            if (row.isValid())
                tree->endLabelEdit(tree->itemFromIndex(row), text);
        });
    }

protected:
    // Tab in the label editor ends the edit and leaves the tree, as Tab does
    // in the tree itself: the view's own road would select the next row and
    // open its editor, so the pane and the commands would follow another node.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers());
                QCoreApplication::sendEvent(m_tree, &again);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    CEditor* m_tree;
};

tagItemData* lastChildOf(tagItemData* n)
{
    tagItemData* c = n ? n->FirstChild : nullptr;
    while (c && c->NextSibling)
        c = c->NextSibling;
    return c;
}

} // namespace

CEditor::CEditor(CCore& core, FramePort* port, QWidget* parent)
    : QTreeWidget(parent)
    , m_core(core)
    , m_port(port)
    , m_limitSource(catalogueSectionLimit())
{
    m_map.reserve(1024);
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setDragEnabled(false);
    setIconSize(QSize(16, 16));
    setItemDelegate(new TreeDelegate(this));
    // Long names scroll sideways in the narrow panel instead of being cut.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_clock.start();
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(800);
    m_scrollTimer.setInterval(40);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CEditor::onHoverTimer);
    connect(&m_scrollTimer, &QTimer::timeout, this, &CEditor::onScrollTimer);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { onCurrentChanged(current); });
    // A row follows its node's name, whoever renamed it.
    connect(&spine::notices(), &spine::NodeNotices::nodeChanged, this,
            [this](tagItemData* node, spine::NodeChanges what) {
                if (what & spine::NodeChange::Name)
                    UpdateItemText(node);
            });
}

CEditor::~CEditor() = default;

void CEditor::notice(int code, const QString& text)
{
    if (m_notice)
        m_notice(code, text);
}

tagItemData* CEditor::nodeOf(const QTreeWidgetItem* item) const
{
    return item ? reinterpret_cast<tagItemData*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem* CEditor::makeItem(tagItemData* node)
{
    auto* item = new QTreeWidgetItem;
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    item->setText(0, nodeName(node));
    item->setIcon(0, platform::langIcon(treeIconOf(kindCodeOf(node))));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    m_map.insert(node, item);
    return item;
}

void CEditor::insertChildItem(QTreeWidgetItem* parent, QTreeWidgetItem* item, tagItemData* afterNode)
{
    QTreeWidgetItem* after = afterNode ? itemOf(afterNode) : nullptr;
    if (!parent) {
        const int at = after ? indexOfTopLevelItem(after) + 1 : topLevelItemCount();
        insertTopLevelItem(at, item);
        return;
    }
    const int at = after && after->parent() == parent ? parent->indexOfChild(after) + 1 : 0;
    parent->insertChild(at, item);
}

QString CEditor::defaultName(const tagItemData* node) const
{
    return defaultNameFor(node, node && node->Level == LEVEL_ROOT ? m_screenNameTaken : NameTaken());
}

void CEditor::giveDefaultName(tagItemData* node)
{
    const QString name = defaultName(node);
    m_core.ChangeItemName(node, reinterpret_cast<const char16_t*>(name.utf16()));
}

void CEditor::forget(QTreeWidgetItem* item)
{
    if (!item)
        return;
    for (int i = 0; i < item->childCount(); ++i)
        forget(item->child(i));
    m_map.remove(nodeOf(item));
}

void CEditor::fillSubtree(QTreeWidgetItem* screenItem, tagItemData* screen)
{
    while (screenItem->childCount() > 0) {
        QTreeWidgetItem* c = screenItem->child(0);
        forget(c);
        delete c;
    }
    for (tagItemData* scene = screen->FirstChild; scene && scene->Level == LEVEL_SCENE; scene = scene->NextSibling) {
        if (!scene->Name[0])
            giveDefaultName(scene);
        QTreeWidgetItem* sceneItem = makeItem(scene);
        screenItem->addChild(sceneItem);
        for (tagItemData* s = scene->FirstChild; s && s->Level == LEVEL_SECTION; s = s->NextSibling) {
            if (!s->Name[0])
                giveDefaultName(s);
            sceneItem->addChild(makeItem(s));
        }
    }
}

void CEditor::InsertItemTree(tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return;
    QTreeWidgetItem* item = itemOf(screen);
    if (!item) {
        if (!screen->Name[0])
            giveDefaultName(screen);
        item = makeItem(screen);
        // The row takes the screen's place in the core's list, so the tree,
        // the sends and the screen windows keep one order.
        tagItemData* before = screen->PrevSibling;
        while (before && !itemOf(before))
            before = before->PrevSibling;
        if (before)
            insertChildItem(nullptr, item, before);
        else
            insertTopLevelItem(0, item);
    }
    item->setText(0, nodeName(screen));
    fillSubtree(item, screen);

    // A window already open learns what the screen now holds from the
    // change notice its caller sends.
    if (m_port && !m_port->FindItemWindow(screen))
        m_port->OpenScreenWindow(screen);
    item->setExpanded(true);
    std::function<void(QTreeWidgetItem*)> expandAll = [&](QTreeWidgetItem* i) {
        for (int k = 0; k < i->childCount(); ++k) {
            i->child(k)->setExpanded(true);
            expandAll(i->child(k));
        }
    };
    expandAll(item);
    for (int k = indexOfTopLevelItem(item) + 1; k < topLevelItemCount(); ++k)
        topLevelItem(k)->setExpanded(true);
    if (m_holdSelection) {
        m_heldSelection = screen;
        return;
    }
    selectScreenRow(item, screen);
}

void CEditor::selectScreenRow(QTreeWidgetItem* item, tagItemData* screen)
{
    if (currentItem() != item)
        setCurrentItem(item);
    else
        sendToPane(screen);
}

void CEditor::HoldSelection(bool hold)
{
    m_holdSelection = hold;
    tagItemData* held = std::exchange(m_heldSelection, nullptr);
    if (hold)
        return;
    // A screen dropped meanwhile has left the map with its row.
    if (QTreeWidgetItem* item = m_map.value(held))
        selectScreenRow(item, held);
}

tagItemData* CEditor::GetSelectedScreen() const
{
    tagItemData* node = selectedNode();
    return node ? screenOf(node) : nullptr;
}

tagItemData* CEditor::AddNewItem(int kind)
{
    tagItemData* selected = selectedNode();
    if (kind < 0 || kind > 0xFFFF)
        return nullptr;
    switch (LevelOfType(static_cast<std::uint16_t>(kind))) {
    case LEVEL_ROOT: {
        tagItemData* after = GetSelectedScreen();
        tagItemData* screen = m_core.AddItem(IT_SCREEN, nullptr, nullptr, after);
        if (!screen)
            return nullptr;
        giveDefaultName(screen);
        QTreeWidgetItem* item = makeItem(screen);
        insertChildItem(nullptr, item, after);
        setCurrentItem(item);
        return screen;
    }
    case LEVEL_SCENE:
        if (kind == IT_GLOBALSCENE) {
            tagItemData* screen = GetSelectedScreen();
            if (!screen) {
                notice(kNoticeAddNoScreen);
                return nullptr;
            }
            if (isGlobalScene(screen->FirstChild)) {
                notice(kNoticeGlobalSceneExists);
                return nullptr;
            }
            tagItemData* scene = m_core.AddItem(IT_GLOBALSCENE, nullptr, screen, nullptr);
            if (!scene)
                return nullptr;
            giveDefaultName(scene);
            QTreeWidgetItem* item = makeItem(scene);
            itemOf(screen)->insertChild(0, item);
            setCurrentItem(item);
            return scene;
        }
        {
            if (!selected) {
                notice(kNoticeAddNoScreen);
                return nullptr;
            }
            tagItemData* screen = screenOf(selected);
            tagItemData* after = selected->Level == LEVEL_ROOT ? lastChildOf(screen) : sceneOf(selected);
            tagItemData* scene = m_core.AddItem(IT_SCENE, nullptr, screen, after);
            if (!scene)
                return nullptr;
            giveDefaultName(scene);
            QTreeWidgetItem* item = makeItem(scene);
            insertChildItem(itemOf(screen), item, after);
            setCurrentItem(item);
            return scene;
        }
    case LEVEL_SECTION:
        return addSection(kind, selected);
    default:
        return nullptr;
    }
}

tagItemData* CEditor::addSection(int kind, tagItemData* selected)
{
    if (!selected) {
        notice(kNoticeAddNoScreen);
        return nullptr;
    }
    const LimitCheck check = checkSectionLimit(selected, sectionLimitOf(selected, m_limitSource));
    if (!check.allowed) {
        // The counts the add would make: one more in the scene it goes to.
        const bool intoGlobal = selected->Level != LEVEL_ROOT && isGlobalScene(sceneOf(selected));
        notice(kNoticeSectionLimit, editorString(kStrSectionLimit)
                                        .arg(check.limit)
                                        .arg(check.total + 1)
                                        .arg(check.global + (intoGlobal ? 1 : 0))
                                        .arg(check.scene + (intoGlobal ? 0 : 1)));
        return nullptr;
    }
    tagItemData* parent = nullptr;
    tagItemData* after = nullptr;
    if (selected->Level == LEVEL_ROOT) {
        tagItemData* first = selected->FirstChild;
        parent = isGlobalScene(first) ? first->NextSibling : first;
        if (!parent) {
            parent = AddNewItem(IT_SCENE);
            if (!parent)
                return nullptr;
        }
        after = lastChildOf(parent);
    } else if (selected->Level == LEVEL_SCENE) {
        parent = selected;
        after = lastChildOf(parent);
    } else {
        tagItemData* section = sectionOf(selected);
        parent = section->Parent;
        after = section;
    }
    tagItemData* section = m_core.AddItem(static_cast<unsigned short>(kind), nullptr, parent, after);
    if (!section)
        return nullptr;
    giveDefaultName(section);
    if (tagItemData* item = m_core.AddItem(kindRow(unsigned(kind)).firstItem, nullptr, section, nullptr))
        giveDefaultName(item);
    QTreeWidgetItem* item = makeItem(section);
    insertChildItem(itemOf(parent), item, after);
    itemOf(parent)->setExpanded(true);
    setCurrentItem(item);
    return section;
}

int CEditor::DeleteSelectedItem()
{
    tagItemData* node = selectedNode();
    if (!node) {
        notice(kNoticeDeleteNoSelection);
        return 0;
    }
    if (node->Level == LEVEL_ROOT) {
        notice(kNoticeDeleteScreen);
        return 0;
    }
    const auto answer = controls::MessageBox::question(this, editorString(kStrDeleteCaption),
                                                       editorString(kStrDeleteQuestion).arg(nodeName(node)));
    if (answer != QMessageBox::Yes)
        return 0;
    dropNode(node);
    return 1;
}

void CEditor::DeleteItem(tagItemData* node)
{
    if (node)
        dropNode(node);
}

void CEditor::DeleteScreens(const std::vector<tagItemData*>& screens)
{
    // One by one, each row's removal walks every row still expanded, and
    // each row made current in turn shows its screen and activates its window.
    QTreeWidgetItem* was = currentItem();
    std::vector<QTreeWidgetItem*> rows;
    {
        const QSignalBlocker quiet(this);
        for (tagItemData* screen : screens) {
            if (!screen || screen->Level != LEVEL_ROOT)
                continue;
            QTreeWidgetItem* item = itemOf(screen);
            forget(item);
            if (item == was)
                was = nullptr;
            spine::notices().deleting(screen);
            m_core.DeleteItem(screen);
            if (item)
                rows.push_back(item);
        }
        if (std::size_t(topLevelItemCount()) == rows.size()) {
            clear();
        } else {
            for (QTreeWidgetItem* item : rows)
                delete item;
        }
    }
    if (topLevelItemCount() == 0 || !currentItem())
        sendToPane(nullptr);
    else if (currentItem() != was)
        onCurrentChanged(currentItem());
}

void CEditor::dropNode(tagItemData* node)
{
    // The core first: the row's deletion selects a neighbour, which must no
    // longer see the node. The windows showing it (a screen's own among them)
    // let go of it on the notice.
    QTreeWidgetItem* item = itemOf(node);
    forget(item);
    const bool screen = node->Level == LEVEL_ROOT;
    spine::notices().deleting(node);
    m_core.DeleteItem(node);
    delete item;
    if (topLevelItemCount() == 0 || !currentItem())
        sendToPane(nullptr);
    if (screen) {
        // The area activates some window of its own once the closed one is
        // gone; the one shown is that of the screen the tree now selects.
        activateWindowOf(selectedNode());
        QTimer::singleShot(0, this, [this] { activateWindowOf(selectedNode()); });
    }
}

void CEditor::ClearPrograms(tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return;
    ReleasePrograms(screen);
    m_core.ClearPrograms(screen);
}

void CEditor::ReleasePrograms(tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return;
    QTreeWidgetItem* was = currentItem();
    {
        // A selection moving to the screen now would open the windows of
        // scenes that are about to go: it is announced once they are gone.
        const QSignalBlocker quiet(this);
        for (tagItemData* scene = screen->FirstChild; scene; scene = scene->NextSibling) {
            if (QTreeWidgetItem* item = itemOf(scene)) {
                if (item == was)
                    was = nullptr;
                forget(item);
                delete item;
            }
        }
    }
    // The windows let go of the scenes (the canvas of their sections) too.
    for (tagItemData* scene = screen->FirstChild; scene; scene = scene->NextSibling)
        spine::notices().deleting(scene);
    if (currentItem() != was)
        onCurrentChanged(currentItem());
}

int CEditor::UpdateItemText(tagItemData* node)
{
    QTreeWidgetItem* item = itemOf(node);
    if (!item)
        return 0;
    item->setText(0, nodeName(node));
    return 1;
}

void CEditor::sendToPane(tagItemData* node)
{
    if (m_port)
        spine::NodeSelect::send(m_port->propertyPane, node);
}

void CEditor::onCurrentChanged(QTreeWidgetItem* current)
{
    tagItemData* node = nodeOf(current);
    if (!node)
        return;
    CScreenLed* canvas = m_port ? m_port->FindItemWindow(node) : nullptr;
    if (canvas && m_echo)
        activateWindowOf(node);
    if (!m_echo)
        m_echo = true;
    else if (canvas)
        spine::NodeSelect::send(canvas, node);
    sendToPane(node);
}

void CEditor::activateWindowOf(tagItemData* node)
{
    CScreenLed* canvas = node && m_port ? m_port->FindItemWindow(node) : nullptr;
    CChildFrame* frame = canvas ? CChildFrame::ofCanvas(canvas) : nullptr;
    QMdiArea* area = frame ? frame->mdiArea() : nullptr;
    if (!area || area->activeSubWindow() == frame)
        return;
    frame->clearActivationFlag();
    area->setActiveSubWindow(frame);
    // Refused (the area still tearing down a closed window): the flag must
    // not swallow the operator's own next click on this window.
    if (area->activeSubWindow() != frame)
        frame->setActivationFlag();
}

bool CEditor::knows(const tagItemData* node) const
{
    // Compares pointers only: a node posted before its deletion must not be read.
    if (m_map.contains(const_cast<tagItemData*>(node)))
        return true;
    const std::function<bool(const tagItemData*)> below = [&](const tagItemData* n) {
        for (const tagItemData* c = n->FirstChild; c; c = c->NextSibling)
            if (c == node || below(c))
                return true;
        return false;
    };
    for (auto it = m_map.cbegin(); it != m_map.cend(); ++it)
        if (it.key()->Level == LEVEL_SECTION && below(it.key()))
            return true;
    return false;
}

int CEditor::OnNodeSelect(tagItemData* node)
{
    // Selections are also posted (a window activated, a canvas click); the
    // node may have been deleted since.
    if (!node || !knows(node))
        return 1;
    const bool isItem = node->Level == LEVEL_PROGRAM;
    tagItemData* shown = isItem ? sectionOf(node) : node;
    QTreeWidgetItem* item = itemOf(shown);
    if (item && item != currentItem()) {
        m_echo = false;
        setCurrentItem(item);
    }
    if (isItem && m_port)
        spine::NodeSelect::post(m_port->itemListPanel, node);
    return 1;
}

bool CEditor::event(QEvent* e)
{
    if (spine::NodeSelect::dispatch(e, [this](tagItemData* node) { return OnNodeSelect(node); }))
        return true;
    return QTreeWidget::event(e);
}

// ---- renaming ----

void CEditor::endLabelEdit(QTreeWidgetItem* item, const QString& text)
{
    tagItemData* node = nodeOf(item);
    if (!node || text.isEmpty())
        return;
    if (siblingNames(node).contains(text, Qt::CaseSensitive)) {
        notice(kNoticeNameTaken);
        editAgain(item, text);
        return;
    }
    // A screen's file is renamed first; the name is written once, when the
    // panel has taken it, so nothing ever sees a name it refused.
    if (node->Level == LEVEL_ROOT && spine::ItemRename::send(parentWidget(), node, &text)) {
        editAgain(item, text);
        return;
    }
    spine::writeNode(m_core, node, spine::NodeChange::Name,
                     [&] { m_core.ChangeItemName(node, reinterpret_cast<const char16_t*>(text.utf16())); });
}

void CEditor::editAgain(QTreeWidgetItem* item, const QString& typed)
{
    m_retyped = {item, typed};
    editItem(item);
    m_retyped = {};
}

QString CEditor::editorText(const QTreeWidgetItem* item) const
{
    return item && item == m_retyped.item ? m_retyped.text : item ? item->text(0) : QString();
}

// ---- context menu ----

QMenu* CEditor::buildContextMenu(tagItemData* node)
{
    const int popup = contextPopupIndex(node);
    const std::optional<platform::LangMenu> menu = platform::langMenu(kTreeMenuId);
    if (popup < 0 || !menu || popup >= menu->items.size())
        return nullptr;
    auto* m = new QMenu(this);
    m->setObjectName(QString::number(kTreeMenuId));
    std::function<void(QMenu*, const QList<platform::LangMenuItem>&, int)> fill =
        [&](QMenu* into, const QList<platform::LangMenuItem>& items, int depth) {
            int popupIndex = 0;
            for (const platform::LangMenuItem& it : items) {
                if (it.separator) {
                    into->addSeparator();
                    continue;
                }
                if (it.isPopup()) {
                    QMenu* sub = into->addMenu(it.text);
                    fill(sub, it.submenu, depth + 1);
                    // The screen's five link submenus list the other screens.
                    if (popup == 0 && depth == 0 && popupIndex < 5) {
                        const int offset = popupIndex;
                        for (int k = 0; k < topLevelItemCount(); ++k) {
                            tagItemData* other = nodeOf(topLevelItem(k));
                            if (!other || other == node)
                                continue;
                            QAction* a = sub->addAction(nodeName(other));
                            connect(a, &QAction::triggered, this, [this, node, other, offset] {
                                if (itemOf(node) && itemOf(other))
                                    OnMenuCommand(0, node, other, offset);
                            });
                        }
                    }
                    ++popupIndex;
                    continue;
                }
                QAction* a = into->addAction(it.text);
                a->setShortcut(it.shortcut);
                a->setObjectName(QString::number(it.command));
                const unsigned cmd = it.command;
                connect(a, &QAction::triggered, this, [this, node, cmd] {
                    if (itemOf(node))
                        OnMenuCommand(cmd, node);
                });
            }
        };
    fill(m, menu->items[popup].submenu, 0);
    return m;
}

void CEditor::contextMenuAt(QPoint pos)
{
    QTreeWidgetItem* item = itemAt(pos);
    if (!item)
        return;
    setCurrentItem(item);
    QMenu* menu = buildContextMenu(nodeOf(item));
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(viewport()->mapToGlobal(pos));
}

void CEditor::contextMenuEvent(QContextMenuEvent* e)
{
    // Mouse clicks open the menu on release; the keyboard's menu key opens it here.
    if (e->reason() == QContextMenuEvent::Keyboard && currentItem())
        contextMenuAt(visualItemRect(currentItem()).center());
    e->accept();
}

void CEditor::sendThrough(tagItemData* screen, tagItemData* link, int (*call)(CCore&, const LinkSettings&))
{
    if (!m_port || CCore::IsRoot(screen) != 1)
        return;
    // The link is taken here, for the one call: the screen keeps its own,
    // and the worker reaches no node.
    m_port->runJob([over = m_core.GetSendLink(screen, link), call](CCore& core) { return call(core, over); });
}

namespace {
int adjustTime(CCore& core, const LinkSettings& link) { return core.SendAdjustTime(link); }
int resetController(CCore& core, const LinkSettings& link) { return core.SendReset(link); }
int displayOn(CCore& core, const LinkSettings& link) { return core.SendSwitch(1, link); }
int displayOff(CCore& core, const LinkSettings& link) { return core.SendSwitch(0, link); }
} // namespace

void CEditor::OnMenuCommand(unsigned command, tagItemData* node, tagItemData* other, int offset)
{
    if (!node)
        return;
    // Save, close and send read the screen: what a panel holds back goes in first.
    spine::notices().flushPendingEdits();
    if (QTreeWidgetItem* item = itemOf(node); item && currentItem() != item)
        setCurrentItem(item);
    tagItemData* screen = screenOf(node);
    // The link to send through: null the screen's own, TARGET_SCREEN_NONE none.
    auto sendPrograms = [this, screen](tagItemData* link) {
        if (m_port)
            spine::SendPrograms::post(m_port->mainFrame, screen, link);
    };
    if (other) {
        switch (offset) {
        case 0: sendPrograms(other); break;
        case 1: sendThrough(screen, other, adjustTime); break;
        case 2: sendThrough(screen, other, resetController); break;
        case 3: sendThrough(screen, other, displayOn); break;
        case 4: sendThrough(screen, other, displayOff); break;
        default: break;
        }
        return;
    }
    switch (command) {
    case 32885:
    case 32891:
    case 32894:
    case 32901:
    case 32944:
        if (QTreeWidgetItem* item = itemOf(node))
            editItem(item);
        return;
    case 32888:
    case 32889:
        if (node->Level == LEVEL_ROOT && m_screenCommand)
            m_screenCommand(static_cast<int>(command), node);
        return;
    case 32892:
    case 32895:
    case 32902:
    case 32945: DeleteSelectedItem(); return;
    case 32953: sendPrograms(nullptr); return;
    case 32954: sendPrograms(TARGET_SCREEN_NONE); return;
    case 32959: sendThrough(screen, nullptr, adjustTime); return;
    case 32960: sendThrough(screen, TARGET_SCREEN_NONE, adjustTime); return;
    case 32963: sendThrough(screen, nullptr, displayOn); return;
    case 32964: sendThrough(screen, TARGET_SCREEN_NONE, displayOn); return;
    case 32965: sendThrough(screen, nullptr, displayOff); return;
    case 32966: sendThrough(screen, TARGET_SCREEN_NONE, displayOff); return;
    case 32967: sendThrough(screen, nullptr, resetController); return;
    case 32968: sendThrough(screen, TARGET_SCREEN_NONE, resetController); return;
    default:
        if (const KindRow* kind = kindByCommand(command)) {
            if (LevelOfType(kind->type) != LEVEL_PROGRAM)
                AddNewItem(kind->type);
            else if (m_port)
                spine::ItemCreate::post(m_port->itemListPanel, node, kind->type);
        }
        return;
    }
}

void CEditor::keyPressEvent(QKeyEvent* e)
{
    // The context menu names Del as the key of its delete commands.
    if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier && state() != EditingState) {
        DeleteSelectedItem();
        e->accept();
        return;
    }
    QTreeWidget::keyPressEvent(e);
}

// ---- drag and drop ----

void CEditor::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        m_pressTick = m_clock.elapsed();
        m_pressPos = e->position().toPoint();
        m_dragCandidate = itemAt(m_pressPos) != nullptr;
    }
    if (e->button() == Qt::RightButton) {
        e->accept();
        return;
    }
    QTreeWidget::mousePressEvent(e);
}

void CEditor::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    m_lastPoint = pos;
    m_hoverTimer.start();
    if (m_dragging) {
        if (m_dragImage)
            m_dragImage->move(pos - QPoint(8, 8));
        setDropTarget(pos.x() < 20 ? nullptr : itemAt(pos));
        e->accept();
        return;
    }
    if (m_dragCandidate && (e->buttons() & Qt::LeftButton)
        && (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragCandidate = false;
        beginDrag(itemAt(m_pressPos));
        if (m_dragging) {
            e->accept();
            return;
        }
    }
    if (e->buttons() & Qt::LeftButton) {
        e->accept();   // no rubber-band or auto-scroll of the view's own
        return;
    }
    QTreeWidget::mouseMoveEvent(e);
}

void CEditor::mouseReleaseEvent(QMouseEvent* e)
{
    m_dragCandidate = false;
    if (e->button() == Qt::RightButton) {
        contextMenuAt(e->position().toPoint());
        e->accept();
        return;
    }
    if (m_dragging && e->button() == Qt::LeftButton) {
        endDrag(e->position().toPoint());
        e->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(e);
}

void CEditor::beginDrag(QTreeWidgetItem* item)
{
    // A press and a quick move are a click that slipped, not a drag.
    if (!item || m_clock.elapsed() - m_pressTick < 60)
        return;
    if (!canDrag(nodeOf(item)))
        return;
    m_dragging = true;
    m_dragItem = item;
    m_dropTarget = nullptr;
    if (!m_dragImage) {
        m_dragImage = new QLabel(viewport());
        m_dragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_dragImage->setStyleSheet(QStringLiteral("background: rgba(255,255,255,180); border: 1px dotted gray;"));
    }
    m_dragImage->setText(item->text(0));
    m_dragImage->adjustSize();
    m_dragImage->move(m_pressPos - QPoint(8, 8));
    m_dragImage->show();
    grabMouse();
    m_scrollTicks = 0;
    m_scrollTimer.start();
}

void CEditor::setDropTarget(QTreeWidgetItem* item)
{
    if (item == m_dropTarget)
        return;
    if (m_dropTarget && indexFromItem(m_dropTarget).isValid())
        m_dropTarget->setData(0, kDropRole, false);
    m_dropTarget = item;
    if (item)
        item->setData(0, kDropRole, true);
}

void CEditor::onHoverTimer()
{
    if (!m_dragging)
        return;
    if (QTreeWidgetItem* item = itemAt(m_lastPoint)) {
        setCurrentItem(item);
        item->setExpanded(true);
    }
}

void CEditor::onScrollTimer()
{
    if (!m_dragging)
        return;
    ++m_scrollTicks;
    const QRect client = viewport()->rect();
    const AutoScroll a = autoScrollFor(m_lastPoint.y(), client.top(), client.bottom() + 1);
    if (a.direction == 0 || a.period <= 0 || m_scrollTicks % a.period != 0)
        return;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + a.direction * bar->singleStep());
    if (a.direction < 0)
        setDropTarget(itemAt(QPoint(client.center().x(), client.top() + 1)));
    else
        setDropTarget(itemAt(QPoint(client.center().x(), client.bottom() - 1)));
}

void CEditor::endDrag(QPoint pos)
{
    Q_UNUSED(pos);
    m_dragging = false;
    if (m_dragImage)
        m_dragImage->hide();
    releaseMouse();
    m_scrollTimer.stop();
    m_hoverTimer.stop();
    QTreeWidgetItem* target = m_dropTarget;
    setDropTarget(nullptr);
    QTreeWidgetItem* dragged = m_dragItem;
    m_dragItem = nullptr;
    if (!dragged || target == dragged)
        return;
    tagItemData* node = nodeOf(dragged);
    const DropPlan plan = planDrop(node, nodeOf(target), sectionLimitOf(node, m_limitSource));
    if (plan.result == DropPlan::OtherScreen) {
        notice(kNoticeDropOtherScreen);
        return;
    }
    if (plan.result == DropPlan::OverLimit) {
        notice(kNoticeDropOverLimit);
        return;
    }
    if (plan.result != DropPlan::Move)
        return;
    target->setExpanded(true);

    // The row moves with its labels, icons, node links and children; only the
    // expanded state has to be carried over by hand.
    QHash<QTreeWidgetItem*, bool> expanded;
    std::function<void(QTreeWidgetItem*)> note = [&](QTreeWidgetItem* i) {
        expanded.insert(i, i->isExpanded());
        for (int k = 0; k < i->childCount(); ++k)
            note(i->child(k));
    };
    note(dragged);
    QTreeWidgetItem* oldParent = dragged->parent();
    {
        const QSignalBlocker block(this);
        oldParent->removeChild(dragged);
        if (!m_core.ModifyItemPos(node, plan.parent, plan.after)) {
            // The core kept the node where it was: so does the tree.
            oldParent->insertChild(0, dragged);
            fillSubtree(itemOf(screenOf(node)), screenOf(node));
            return;
        }
        insertChildItem(itemOf(plan.parent), dragged, plan.after);
        for (auto it = expanded.begin(); it != expanded.end(); ++it)
            it.key()->setExpanded(it.value());
        // A section takes its place in the other scene: the windows showing it follow.
        if (node->Level == LEVEL_SECTION)
            spine::notices().changed(node, spine::NodeChange::Geometry, this);
        setCurrentItem(dragged);
    }
    onCurrentChanged(dragged);
}

} // namespace editor
