#pragma once
// The core's painters take record fonts from the platform layer's one font map.
#include "platform/FontMap.h"

using platform::EnsureFontSubstitutions;
using platform::FontFromLogFont;
using platform::SubstituteFace;
