#pragma once
// The one entry point that paints a node's preview picture, chosen by the
// node's level and item type. Returns 1 when it drew, 0 otherwise.
struct tagItemData;
namespace sorvane::model {
struct Painting;
}

namespace sorvane::render {

int PaintItemByKind(tagItemData* node);
// The painter itself, as the model's paint hook (SetPaintHook) calls it.
int PaintByKindHook(sorvane::model::Painting& p);

} // namespace sorvane::render
