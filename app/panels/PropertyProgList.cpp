#include "app/panels/PropertyProgList.h"

#include "app/spine/Messages.h"
#include "app/editor/EditorStrings.h"
#include "app/controls/IconButton.h"
#include "app/controls/MessageBox.h"
#include "app/controls/PopupMenu.h"
#include "app/editor/FramePort.h"
#include "app/editor/KindTable.h"
#include "app/editor/ScreenLed.h"
#include "app/editor/TreeRules.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>

namespace panels {
namespace {
constexpr int kButtonIds[4] = {CPropertyProgList::IdAdd, CPropertyProgList::IdDelete, CPropertyProgList::IdUp,
                               CPropertyProgList::IdDown};
constexpr unsigned kButtonIcons[4] = {6208, 6209, 6207, 6210};
constexpr unsigned kButtonTips[4] = {34600, 34603, 34601, 34602};

} // namespace

std::vector<AddMenuEntry> addMenuEntries(int windowKind)
{
    std::vector<AddMenuEntry> entries;
    const editor::AddMenu menu = editor::kindRowAt(LEVEL_SECTION, unsigned(windowKind)).addMenu;
    if (menu == editor::AddMenu::None)
        return entries;
    for (const editor::KindRow& k : editor::kindRows())
        if (const int command = k.addMenuRow[std::size_t(menu)])
            entries.push_back({command, k.stringId, k.type});
    std::sort(entries.begin(), entries.end(), [](const AddMenuEntry& a, const AddMenuEntry& b) { return a.command < b.command; });
    return entries;
}

CPropertyProgList::CPropertyProgList(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent)
{
    m_rows.reserve(128);
}

bool CPropertyProgList::OnInitDialog()
{
    SetTitleFromResource(48251, false);
    m_list = withId(new QListWidget(this), IdList);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(16, 16));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = withId(new controls::CIconButton(this), kButtonIds[i]);
        m_buttons[i]->AssignIcons(kButtonIcons[i]);
        m_buttons[i]->setIconSize(QSize(20, 20));
        m_buttons[i]->setFixedSize(26, 26);
        m_buttons[i]->SetTooltipFromResource(kButtonTips[i]);
        buttons->addWidget(m_buttons[i]);
    }
    buttons->addStretch(1);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(6, 26, 6, 2);
    v->addLayout(buttons);
    v->addWidget(m_list, 1);
    connect(m_buttons[0], &QPushButton::clicked, this, &CPropertyProgList::onAdd);
    connect(m_buttons[1], &QPushButton::clicked, this, &CPropertyProgList::onDelete);
    connect(m_buttons[2], &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_buttons[3], &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CPropertyProgList::onRowChanged);
    return true;
}

bool CPropertyProgList::event(QEvent* e)
{
    if (spine::NodeSelect::dispatch(e, [this](tagItemData* node) { return OnNodeSelect(node); }))
        return true;
    if (spine::ItemCreate::dispatch(e, [this](tagItemData* window, int kind) { return OnItemCreate(window, kind); }))
        return true;
    return CPanelBase::event(e);
}

tagItemData* CPropertyProgList::itemAt(int row) const
{
    QListWidgetItem* it = m_list->item(row);
    return it ? static_cast<tagItemData*>(it->data(Qt::UserRole).value<void*>()) : nullptr;
}

void CPropertyProgList::insertRow(int row, tagItemData* item)
{
    auto* it = new QListWidgetItem(platform::langIcon(editor::kindRow(item->Item.TypeCode).listIcon), editor::nodeName(item));
    it->setData(Qt::UserRole, QVariant::fromValue<void*>(item));
    m_list->insertItem(row, it);
}

void CPropertyProgList::renumberFrom(int row)
{
    for (int i = std::max(row, 0); i < m_list->count(); ++i)
        m_rows.insert(itemAt(i), i);
}

void CPropertyProgList::selectRow(int row)
{
    m_list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

int CPropertyProgList::OnNodeLoad(tagItemData* node)
{
    {
        // Any window is listed; the selection below runs after the load.
        const LoadScope loading = beginLoadOf(node, [](tagItemData*) { return true; });
        if (!loading)
            return 0;
        m_rows.clear();
        m_list->clear();
        m_lastSelected = nullptr;
        int i = 0;
        for (tagItemData* c = node->FirstChild; c; c = c->NextSibling, ++i) {
            insertRow(i, c);
            m_rows.insert(c, i);
        }
    }
    if (m_list->count() > 0)
        selectRow(0);
    else
        spine::NodeSelect::post(page(), nullptr);
    return 1;
}

void CPropertyProgList::OnNodeDeleting(tagItemData* node)
{
    if (!node || !m_node)
        return;
    if (isSameOrBelow(m_node, node)) {
        // The window itself goes: nothing is left to list.
        m_node = nullptr;
        m_rows.clear();
        LoadScope loading(*this);
        m_list->clear();
        m_lastSelected = nullptr;
        return;
    }
    // One of its items goes (deleted from the tree): its row goes with it.
    const auto found = m_rows.constFind(node);
    if (found == m_rows.constEnd())
        return;
    const int row = found.value();
    m_rows.remove(node);
    {
        LoadScope loading(*this);
        delete m_list->takeItem(row);
        if (m_lastSelected == node)
            m_lastSelected = nullptr;
    }
    renumberFrom(row);
}

void CPropertyProgList::onRowChanged()
{
    if (isLoading() || !m_node)
        return;
    const QList<QListWidgetItem*> sel = m_list->selectedItems();
    QListWidgetItem* cur = m_list->currentItem();
    if (!cur || !cur->isSelected() || sel.isEmpty())
        return;
    tagItemData* item = itemAt(m_list->row(cur));
    if (item == m_lastSelected)
        return;
    m_lastSelected = item;
    // A text item's panel takes the focus when it loads; while the user
    // walks the list, the keys stay with the list and never reach its text.
    const bool walking = m_list->hasFocus();
    spine::NodeSelect::send(page(), item);
    if (walking)
        m_list->setFocus();
    if (m_tellCanvas) {
        // The canvas of the item's screen shows it in its window.
        if (editor::CScreenLed* canvas = m_ctx.frame ? m_ctx.frame->FindItemWindow(item) : nullptr)
            canvas->SelectItem(item, true);
    } else {
        m_tellCanvas = true;
    }
}

int CPropertyProgList::OnNodeSelect(tagItemData* item)
{
    if (!isVisible() || !item)
        return 0;
    const auto found = m_rows.constFind(item);
    if (found == m_rows.constEnd())
        return 0;
    const int row = found.value();
    if (row >= m_list->count() || m_list->currentRow() == row)
        return 0;
    m_tellCanvas = false;
    selectRow(row);
    // A selection that fired nothing leaves the canvas flag set again.
    m_tellCanvas = true;
    return 1;
}

int CPropertyProgList::OnItemCreate(tagItemData* window, int itemType)
{
    if (window && window == m_node)
        AddItemOfType(static_cast<std::uint16_t>(itemType));
    return 0;
}

tagItemData* CPropertyProgList::AddItemOfType(std::uint16_t itemType)
{
    if (!m_node)
        return nullptr;
    m_list->setFocus();
    const int selected = m_list->currentItem() && m_list->currentItem()->isSelected() ? m_list->currentRow() : -1;
    tagItemData* after = selected >= 0 ? itemAt(selected) : nullptr;
    tagItemData* item = core().AddItem(itemType, nullptr, m_node, after);
    if (!item)
        return nullptr;
    const QString name = editor::defaultNameFor(item);
    core().ChangeItemName(item, reinterpret_cast<const char16_t*>(name.utf16()));
    // A new line says what it is in the window's language, not the library's placeholder.
    if (itemType == IT_SINGLELINE)
        records::SetItemText(item, platform::langString(editor::kindRow(IT_SINGLELINE).stringId));
    const int row = selected >= 0 ? selected + 1 : 0;
    {
        LoadScope loading(*this);
        insertRow(row, item);
    }
    renumberFrom(row);
    selectRow(row);
    return item;
}

void CPropertyProgList::onAdd()
{
    if (!m_node)
        return;
    const std::vector<AddMenuEntry> entries = addMenuEntries(m_node->Section.WndKind);
    if (entries.empty())
        return;
    QMenu menu(this);
    for (const AddMenuEntry& e : entries) {
        QAction* a = menu.addAction(platform::langString(e.nameId));
        a->setData(static_cast<int>(e.itemType));
    }
    const QPoint at = m_buttons[0]->mapToGlobal(QPoint(0, m_buttons[0]->height()));
    QAction* chosen = controls::runPopupMenu(&menu, at);
    if (chosen)
        AddItemOfType(static_cast<std::uint16_t>(chosen->data().toInt()));
}

void CPropertyProgList::onDelete()
{
    m_list->setFocus();
    if (!m_node)
        return;
    QListWidgetItem* cur = m_list->currentItem();
    if (!cur || !cur->isSelected())
        return;
    const int row = m_list->row(cur);
    tagItemData* item = itemAt(row);
    const QString text = platform::langString(editor::kStrDeleteQuestion).replace(QStringLiteral("%1"), editor::nodeName(item));
    if (controls::MessageBox::question(this, platform::langString(editor::kStrDeleteCaption), text, QMessageBox::Ok | QMessageBox::Cancel,
                                       QMessageBox::Ok) != QMessageBox::Ok)
        return;
    m_rows.remove(item);
    // The windows showing the item (panels, its canvas) let go of it before it is freed.
    spine::notices().deleting(item);
    core().DeleteItem(item);
    {
        LoadScope loading(*this);
        delete m_list->takeItem(row);
        m_lastSelected = nullptr;
    }
    renumberFrom(row);
    if (m_list->count() == 0)
        spine::NodeSelect::post(page(), nullptr);
    else
        selectRow(m_list->count() - 1);
}

void CPropertyProgList::moveSelected(int step)
{
    m_list->setFocus();
    if (!m_node)
        return;
    std::vector<int> rows;
    for (QListWidgetItem* it : m_list->selectedItems())
        rows.push_back(m_list->row(it));
    // Rows go in the direction of travel, leading row first, so that a block
    // of neighbouring rows moves as one and keeps its order.
    std::sort(rows.begin(), rows.end());
    if (step > 0)
        std::reverse(rows.begin(), rows.end());
    int last = -1;
    for (int row : rows) {
        const int target = row + step;
        if (target < 0 || target >= m_list->count())
            break;
        tagItemData* item = itemAt(row);
        tagItemData* after = nullptr;
        if (step > 0)
            after = item->NextSibling;
        else if (tagItemData* prev = item->PrevSibling)
            after = prev->PrevSibling;
        core().ModifyItemPos(item, m_node, after);
        LoadScope loading(*this);
        QListWidgetItem* it = m_list->takeItem(row);
        m_list->insertItem(target, it);
        m_rows.insert(item, target);
        m_rows.insert(itemAt(row), row);
        last = target;
    }
    if (last >= 0) {
        m_lastSelected = nullptr;
        selectRow(last);
    }
}

} // namespace panels
