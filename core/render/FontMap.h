#pragma once
// The core's painters take record fonts from the platform layer's one font map.
#include "platform/FontMap.h"

namespace sorvane::render {

using platform::EnsureFontSubstitutions;
using platform::FontFromLogFont;
using platform::SubstituteFace;

} // namespace sorvane::render
