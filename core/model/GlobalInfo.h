#pragma once
// The screen block of a screen node: the controller's display settings, its
// network and Wi-Fi settings and the link the PC reaches it through.
#include "core/api/Nodes.h"

#include <cstdint>

namespace sorvane::model {

// The settings of a new screen.
void InitGlobalInfo(tagGlobalInfo& info);

} // namespace sorvane::model
