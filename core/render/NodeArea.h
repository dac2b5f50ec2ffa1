#pragma once
// The node geometry of the model in the Qt rectangles the painters and the
// compiler draw with.
#include <QRect>
#include <QSize>

struct tagItemData;

namespace sorvane::render {

QSize ScreenSize(const tagItemData* node);
QRect NodeRect(const tagItemData* node);
QRect NodeClientRect(const tagItemData* node);
QRect LocalClientRect(const tagItemData* node);

} // namespace sorvane::render
