#pragma once
// Fonts of stored records on this system: the faces the records name are
// mapped onto installed families, so text renders the same on every machine
// with the project's fonts.
#include "platform/LogFont.h"

#include <QFont>

// Installs the face substitutions once per process (safe to call often).
void EnsureFontSubstitutions();
// The installed family that stands in for a face name (the name itself when none is set).
QString SubstituteFace(const QString& face);
// A pixel-sized, non-antialiased font for LED drawing.
QFont FontFromLogFont(const LOGFONT& font);
