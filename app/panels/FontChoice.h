#pragma once
// The font dialog of the panels: a font with its colour. Tests give the next
// answer through the registry's nextFont instead of opening the dialog.
#include "platform/Colour.h"
#include "platform/LogFont.h"

class QWidget;

namespace panels {

// Opens the font dialog (and then the colour dialog) on `font` and `colour`;
// true and both replaced on OK, false and both unchanged on Cancel.
bool chooseFontAndColour(QWidget* parent, LOGFONT& font, platform::COLORREF& colour);

} // namespace panels
