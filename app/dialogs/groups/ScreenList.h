#pragma once
// The list of open screens shown by the group and bulk dialogs: six columns
// (blank, name, width, height, link kind, link parameters), optional ticks.
#include <QList>
#include <QTreeWidget>

class CCore;
struct tagItemData;

namespace dialogs {

void FillScreenList(QTreeWidget* list, const QList<tagItemData*>& screens, bool ticks);
// Column widths: with w the list's width less 6, the first w / 13, the next four 2w / 13, the last the rest.
void SizeScreenColumns(QTreeWidget* list);
QList<int> TickedRows(const QTreeWidget* list);
void SetTickedRows(QTreeWidget* list, const QList<int>& rows);
void SetAllTicked(QTreeWidget* list, bool ticked);

} // namespace dialogs
