#pragma once
// The one entry point that paints a node's preview picture, chosen by the
// node's level and item type. Returns 1 when it drew, 0 otherwise.
#include <cstdint>

struct tagItemData;
namespace sorvane::model {
struct Painting;
}

namespace sorvane::render {

using Painter = int (*)(sorvane::model::Painting& painting);

int PaintItemByKind(tagItemData* node);
// The painter itself, as the model's paint hook (SetPaintHook) calls it.
int PaintByKindHook(sorvane::model::Painting& p);
// The painter column of the kind table (core/model/ItemKinds.h): an item
// kind's painter, null for a kind that is no item or that no row names.
Painter PainterOfKind(std::uint16_t type);
// Hands the model what it calls of render: the painter and the forgetting
// of a screen's kept compiles when the screen goes. CCore's constructor
// calls it; so does a tree built without a core.
void InstallModelHooks();

} // namespace sorvane::render
