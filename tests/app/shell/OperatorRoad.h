#pragma once
// What an operator does in the main window, as QTest key and mouse events:
// clicks in the item tree and on the item-kind bar, typing into the section
// panel, choosing from a popup menu, the menu bar or the tree's context
// menu, the toolbars' buttons, and typing into a table item's cells.
#include "app/controls/IconButton.h"
#include "app/editor/Editor.h"
#include "app/editor/ScreenLed.h"
#include "app/editor/SectionLed.h"
#include "app/gridwin/GridWindow.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyGrid.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "app/panels/PropertySection.h"
#include "app/shell/CommandTables.h"
#include "app/shell/EditorPanel.h"
#include "app/shell/MainFrame.h"
#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "core/model/ItemData.h"
#include "grid/GridGeometry.h"
#include "support/SeamScope.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <span>
#include <vector>

namespace operatorroad {

using support::findByControlId;

inline editor::CEditor* treeOf(shell::CMainFrame& frame)
{
    return static_cast<shell::CEditorScreenPanel*>(frame.Panel())->Editor();
}

inline tagItemData* selectedNode(shell::CMainFrame& frame)
{
    return treeOf(frame)->selectedNode();
}

inline panels::CPanelProperty* paneOf(shell::CMainFrame& frame)
{
    return frame.PropertyPane()->findChild<panels::CPanelProperty*>();
}

// Where a person clicks the node's row, scrolled into sight: on its icon and
// label, wherever the row's rectangle ends. Null when the tree has no row for it.
inline std::optional<QPoint> rowPoint(editor::CEditor* tree, const tagItemData* node)
{
    QTreeWidgetItem* item = tree->itemOf(node);
    if (!item)
        return std::nullopt;
    tree->scrollToItem(item);
    const QRect row = tree->visualItemRect(item);
    return QPoint(std::min(row.left() + 24, tree->viewport()->width() - 2), row.center().y());
}

// Clicks the node's row in the item tree; true when it is selected then.
inline bool clickInTree(shell::CMainFrame& frame, tagItemData* node)
{
    editor::CEditor* tree = treeOf(frame);
    const std::optional<QPoint> at = rowPoint(tree, node);
    if (!at)
        return false;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, *at);
    QCoreApplication::processEvents();
    return tree->selectedNode() == node;
}

// Shows the main window at a size that holds every panel, active; false
// when it is not shown.
inline bool showFrame(shell::CMainFrame& frame)
{
    frame.resize(1500, 900);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        return false;
    QApplication::setActiveWindow(&frame);
    return true;
}

// Clicks the button of command `id` on the frame's toolbars; false when none shows it.
inline bool toolButton(shell::CMainFrame& frame, unsigned id)
{
    for (QToolBar* bar : frame.findChildren<QToolBar*>()) {
        auto* button = findByControlId<QToolButton>(bar, int(id));
        if (!button || !button->isVisible())
            continue;
        support::click(button);
        QCoreApplication::processEvents();
        return true;
    }
    return false;
}

// Opens `file` into the frame's first screen with Open, as the operator
// does; the untouched screen there is not kept. The screen, or null.
inline tagItemData* openIntoFirstScreen(shell::CMainFrame& frame, CCore& core, const support::SeamScope& seams,
                                        const QString& file)
{
    tagItemData* screen = core.GetScreen(0);
    if (!clickInTree(frame, screen))
        return nullptr;
    seams.nextFileName(file);
    seams.nextAnswer(QMessageBox::No);
    toolButton(frame, shell::ID_OPEN_FILE);
    return screen;
}

inline void kindButton(shell::CMainFrame& frame, unsigned id)
{
    support::click(findByControlId<controls::CIconButton>(frame.ItemKindBar(), int(id)));
    QCoreApplication::processEvents();
}

// Replaces a spin box's number as typed: a click into it, select all, the
// digits, Enter.
inline void typeNumber(QSpinBox* spin, int value)
{
    ASSERT_NE(spin, nullptr);
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(8, spin->height() / 2));
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, QString::number(value));
    QTest::keyClick(spin, Qt::Key_Return);
}

// Places the selected section through the section panel, size first.
inline void placeSection(shell::CMainFrame& frame, int x, int y, int w, int h)
{
    QWidget* panel = paneOf(frame)->windowPage()->section();
    using panels::CPropertySection;
    typeNumber(findByControlId<QSpinBox>(panel, CPropertySection::IdWidth), w);
    typeNumber(findByControlId<QSpinBox>(panel, CPropertySection::IdHeight), h);
    typeNumber(findByControlId<QSpinBox>(panel, CPropertySection::IdX), x);
    typeNumber(findByControlId<QSpinBox>(panel, CPropertySection::IdY), y);
}

// Runs `open`, which shows a popup menu, and clicks the menu's entry whose
// data is `data`. A menu without it, or one a click does not close, is
// closed after a bound, so nothing hangs.
inline bool chooseInMenu(const std::function<void()>& open, int data)
{
    bool chosen = false;
    QElapsedTimer since;
    since.start();
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            if (since.elapsed() > 3000)
                timer.stop();
            return;
        }
        if (!chosen)
            for (QAction* a : menu->actions())
                if (a->data().toInt() == data && a->isEnabled()) {
                    chosen = true;
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                    return;
                }
        if (!chosen || since.elapsed() > 3000) {
            chosen = false;
            menu->close();
        }
    });
    timer.start();
    open();
    timer.stop();
    return chosen;
}

// The menus from `menu` down to the one holding `target`; empty when none does.
inline std::vector<QMenu*> menuPath(QMenu* menu, QAction* target)
{
    if (menu->actions().contains(target))
        return {menu};
    for (QAction* a : menu->actions()) {
        if (QMenu* sub = a->menu()) {
            std::vector<QMenu*> below = menuPath(sub, target);
            if (!below.empty()) {
                below.insert(below.begin(), menu);
                return below;
            }
        }
    }
    return {};
}

// Clicks `target` in the open popup `menu`, opening each submenu on the way
// from its entry as the mouse does. False when the entry is not there or a
// submenu does not open.
inline bool clickInMenu(QMenu* menu, QAction* target)
{
    if (!menu || !target)
        return false;
    const std::vector<QMenu*> path = menuPath(menu, target);
    if (path.empty())
        return false;
    for (std::size_t i = 1; i < path.size(); ++i) {
        QMenu* from = path[i - 1];
        QTest::mouseClick(from, Qt::LeftButton, {}, from->actionGeometry(path[i]->menuAction()).center());
        if (!QTest::qWaitFor([&] { return path[i]->isVisible(); }, 2000))
            return false;
    }
    QTest::mouseClick(path.back(), Qt::LeftButton, {}, path.back()->actionGeometry(target).center());
    return true;
}

// Chooses the frame's command `id` from the menu bar: its menu's title, the
// submenus on the way, then the entry. False when no menu holds it.
inline bool chooseFromMenuBar(shell::CMainFrame& frame, unsigned id)
{
    QAction* target = frame.CommandAction(id);
    QMenuBar* bar = frame.menuBar();
    for (QAction* title : bar->actions()) {
        QMenu* top = title->menu();
        if (!top || menuPath(top, target).empty())
            continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
        if (!QTest::qWaitFor([top] { return top->isVisible(); }, 2000))
            return false;
        return clickInMenu(top, target);
    }
    return false;
}

// Right-clicks the node's row in the item tree; the context menu it opens, or null.
inline QMenu* treeMenu(editor::CEditor* tree, const tagItemData* node)
{
    const std::optional<QPoint> at = rowPoint(tree, node);
    if (!at)
        return nullptr;
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, *at);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

inline QMenu* treeMenu(shell::CMainFrame& frame, const tagItemData* node)
{
    return treeMenu(treeOf(frame), node);
}

// In a context menu: the entry of `command`, or with `other` the entry
// naming that screen in the `index`-th submenu (the screen's link submenus).
inline QAction* menuEntry(QMenu* menu, unsigned command)
{
    return menu ? menu->findChild<QAction*>(QString::number(command)) : nullptr;
}
inline QAction* linkEntry(QMenu* menu, int index, const QString& other)
{
    int n = 0;
    for (QAction* a : menu ? menu->actions() : QList<QAction*>()) {
        if (!a->menu() || n++ != index)
            continue;
        for (QAction* e : a->menu()->actions())
            if (e->text() == other)
                return e;
    }
    return nullptr;
}

// An answer for a modal runner that clicks the message box's `button`.
inline std::function<void(QWidget*)> press(QMessageBox::StandardButton button)
{
    return [button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QAbstractButton* b = box ? box->button(button) : nullptr;
        if (!b)
            ADD_FAILURE() << "the message box has no such button";
        else
            QTest::mouseClick(b, Qt::LeftButton);
    };
}

// Adds an item of `type` to the selected list window with the Items pane's
// "+" and its menu; the new item, or null.
inline tagItemData* addListItem(shell::CMainFrame& frame, int type)
{
    panels::CPropertyProgList* list = paneOf(frame)->windowPage()->progList();
    tagItemData* window = selectedNode(frame);
    if (!list || !window)
        return nullptr;
    std::set<tagItemData*> before;
    for (tagItemData* c = window->FirstChild; c; c = c->NextSibling)
        before.insert(c);
    auto* add = findByControlId<QWidget>(list, panels::CPropertyProgList::IdAdd);
    if (!add || !chooseInMenu([add] { support::click(add); }, type))
        return nullptr;
    QCoreApplication::processEvents();
    for (tagItemData* c = window->FirstChild; c; c = c->NextSibling)
        if (!before.count(c) && c->Item.TypeCode == type)
            return c;
    return nullptr;
}

// The section's picture on the canvas, once it differs from `from` (within
// two seconds; the canvas follows the panels' saves a moment later).
inline QImage canvasPicture(editor::CSectionLed* led, const QImage& from = QImage())
{
    const auto now = [led] { return led->content().convertToFormat(QImage::Format_RGB32); };
    if (!from.isNull())
        QTest::qWaitFor([&] { return now() != from; }, 2000);
    QCoreApplication::processEvents();
    return now();
}

inline std::span<const std::uint8_t> storedTable(const tagItemData* table)
{
    const QByteArray& file = table->Item.TypeRecord->memFile();
    return {reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())};
}

// Typing into the cells of the table panel's grid shown in the pane.
class TableKeys {
public:
    explicit TableKeys(shell::CMainFrame& frame)
    {
        auto* panel = qobject_cast<panels::CPropertyGrid*>(paneOf(frame)->windowPage()->currentMain());
        m_grid = panel ? panel->gridWindow() : nullptr;
    }
    bool ready() const { return m_grid && m_grid->isVisible(); }
    gridwin::GridWindow* window() const { return m_grid; }

    QPoint centre(int col, int row) const
    {
        const grid::PixelRect r = grid::GridGeometry(m_grid->grid()).CellRect(col, row, true);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void clickCell(int col, int row)
    {
        QTest::mouseClick(m_grid, Qt::LeftButton, {}, centre(col, row));
        QCoreApplication::processEvents();
    }
    // Double-click, the cell's text replaced by `text`, then the key `end`
    // (none for Qt::Key_unknown).
    void type(int col, int row, const QString& text, Qt::Key end)
    {
        QTest::mouseDClick(m_grid, Qt::LeftButton, {}, centre(col, row));
        QPlainTextEdit* edit = openEditor();
        ASSERT_NE(edit, nullptr);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
        if (end != Qt::Key_unknown)
            QTest::keyClick(edit, end);
        QCoreApplication::processEvents();
    }
    void clear(int col, int row) { type(col, row, QString(), Qt::Key_Tab); }
    std::u16string text(int col, int row) const { return m_grid->grid().GetCellText(col, row); }
    std::u16string shown(int col, int row) const { return m_grid->grid().GetDisplayText(col, row); }
    QPlainTextEdit* openEditor() const
    {
        for (QPlainTextEdit* e : m_grid->findChildren<QPlainTextEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    }
    // The open editor's first line holds ink, where the operator looks.
    bool editorShowsItsFirstLine() const
    {
        QPlainTextEdit* e = openEditor();
        if (!e)
            return false;
        const QImage shot = e->grab().toImage();
        const int lineHeight = std::min(shot.height(), e->fontMetrics().height() + 2);
        int ink = 0;
        for (int y = 0; y < lineHeight; ++y)
            for (int x = 0; x < shot.width(); ++x)
                ink += qGray(shot.pixel(x, y)) < 128;
        return ink > 10;
    }

private:
    gridwin::GridWindow* m_grid = nullptr;
};

} // namespace operatorroad
