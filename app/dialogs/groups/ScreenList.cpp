#include "app/dialogs/groups/ScreenList.h"

#include "app/dialogs/groups/GroupInfo.h"
#include "platform/LangPack.h"

#include <QHeaderView>

namespace dialogs {

void FillScreenList(QTreeWidget* list, const QList<tagItemData*>& screens, bool ticks)
{
    list->clear();
    list->setColumnCount(6);
    QStringList headers;
    for (unsigned id : {63005u, 63006u, 63008u, 63009u, 63010u, 63011u})
        headers.append(platform::langString(id));
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setUniformRowHeights(true);
    for (tagItemData* s : screens) {
        auto* row = new QTreeWidgetItem(list, QStringList{QString()} + ScreenRowTexts(s));
        if (ticks)
            row->setCheckState(0, Qt::Unchecked);
    }
    SizeScreenColumns(list);
}

void SizeScreenColumns(QTreeWidget* list)
{
    const int w = std::max(list->viewport()->width(), list->width() - 6);
    list->setColumnWidth(0, std::max(w / 13, 28));
    for (int c = 1; c <= 4; ++c)
        list->setColumnWidth(c, 2 * w / 13);
    list->header()->setStretchLastSection(true);
}

QList<int> TickedRows(const QTreeWidget* list)
{
    QList<int> out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->checkState(0) == Qt::Checked)
            out.append(i);
    }
    return out;
}

void SetTickedRows(QTreeWidget* list, const QList<int>& rows)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setCheckState(0, rows.contains(i) ? Qt::Checked : Qt::Unchecked);
}

void SetAllTicked(QTreeWidget* list, bool ticked)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

} // namespace dialogs
