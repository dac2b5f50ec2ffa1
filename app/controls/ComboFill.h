#pragma once
// Combo boxes filled from a pack string and searched by item data, for every
// window that offers a fixed list.
#include <QtGlobal>

class QComboBox;

namespace controls {

// Index of the first entry whose item data equals `data`; -1 when none does.
int FindComboItemByData(const QComboBox* combo, qint64 data);
// Fills the combo box with every ";"-terminated part of string `stringId`;
// null (combo untouched) when the pack has no such string, else the combo.
QComboBox* FillComboFromResource(unsigned stringId, QComboBox* combo);

} // namespace controls
