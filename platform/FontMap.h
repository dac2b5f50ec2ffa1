#pragma once
// Fonts of stored records on this system: the faces the records name are
// mapped onto installed families, so text renders the same on every machine
// with the project's fonts. Used by the item painters and the grid alike.
#include "platform/LogFont.h"

#include <QFont>

namespace platform {

// Installs the face substitutions once per process (safe to call often).
void EnsureFontSubstitutions();
// The installed family that stands in for a face name (the name itself when none is set).
QString SubstituteFace(const QString& face);
// A pixel-sized, non-antialiased font for LED drawing.
// No screen is taller than this; a stored height beyond it (a damaged file)
// would only cost time and memory, so it is drawn at this size.
inline constexpr int kMaxFontPixels = 2048;

QFont FontFromLogFont(const LOGFONT& font);

} // namespace platform
