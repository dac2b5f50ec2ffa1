#pragma once
#include "platform/LogFont.h"

namespace sorvane::model {

// The font new items start with: "宋体", height 12, weight 400.
LOGFONT DefaultLogFont();

} // namespace sorvane::model
