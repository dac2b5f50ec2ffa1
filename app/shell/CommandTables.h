#pragma once
// Command ids of the main frame's menu (menu 128, its toolbars and the
// item-kind bar) and the per-menu tables that map ids to actions: ids are
// unique only within one menu (32895 is "display on" here and "delete" in
// the tree editor's menu).
#include "app/spine/CommandIds.h"

#include <QHash>
#include <QList>

class QAction;

namespace shell {

// The frame's command ids (app/spine/CommandIds.h), by their names here too.
using enum spine::FrameCommand;

inline constexpr unsigned kFrameMenu = 128;
inline constexpr unsigned kMainToolBar = 128;
inline constexpr unsigned kSecondToolBar = 6045;
inline constexpr unsigned kItemKindBar = 6120;

// One table per menu: command id -> its action.
class CommandTables {
public:
    void add(unsigned menu, unsigned id, QAction* action) { m_tables[menu].insert(id, action); }
    QAction* find(unsigned menu, unsigned id) const { return m_tables.value(menu).value(id); }
    QList<unsigned> ids(unsigned menu) const { return m_tables.value(menu).keys(); }

private:
    QHash<unsigned, QHash<unsigned, QAction*>> m_tables;
};

} // namespace shell
