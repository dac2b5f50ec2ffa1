#pragma once
// The items of a list window (program list or content list) in play order:
// add after the selected one, delete, move up and down. Selecting a row
// shows the item's panels on the page and the item on the canvas.
#include "app/panels/PanelBase.h"

#include <QHash>
#include <functional>
#include <vector>

class QAction;
class QListWidget;
class QMenu;
namespace controls {
class CIconButton;
}

namespace panels {

struct AddMenuEntry {
    int command;
    unsigned nameId;
    std::uint16_t itemType;
};

// The add menu of a window kind (empty for kinds without one).
std::vector<AddMenuEntry> addMenuEntries(int windowKind);

class CPropertyProgList : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6121;
    enum : int { IdList = 6495, IdAdd = 6485, IdDelete = 6486, IdUp = 6487, IdDown = 6488 };

    CPropertyProgList(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;
    // A load selects the first row: only a window's new item list reloads it.
    spine::NodeChanges shownChanges() const override { return spine::NodeChange::Programs; }
    // From the tree: selects the item's row without telling the canvas.
    int OnNodeSelect(tagItemData* item);
    // WM_ITEM_CREATE: adds an item of the type to the loaded window.
    int OnItemCreate(tagItemData* window, int itemType);
    void OnNodeDeleting(tagItemData* node) override;

    // Adds an item of the type after the selected row; the new node or null.
    tagItemData* AddItemOfType(std::uint16_t itemType);
    void onAdd();
    void onDelete();
    // Moves the selected rows one place up (-1) or down (1), in the core too.
    void moveSelected(int step);

    QListWidget* list() const { return m_list; }
    tagItemData* itemAt(int row) const;


protected:
    bool OnInitDialog() override;
    bool event(QEvent* e) override;

private:
    void insertRow(int row, tagItemData* item);
    void renumberFrom(int row);
    void selectRow(int row);
    void onRowChanged();
    QWidget* page() const { return parentWidget(); }

    QListWidget* m_list = nullptr;
    controls::CIconButton* m_buttons[4] = {};
    QHash<tagItemData*, int> m_rows;
    bool m_tellCanvas = true;
    tagItemData* m_lastSelected = nullptr;
};

} // namespace panels
