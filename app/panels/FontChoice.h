#pragma once
// The font dialog of the panels: a font with its colour. Tests give the next
// answer instead of opening the dialog.
#include "platform/Colour.h"
#include "platform/LogFont.h"

#include <optional>
#include <utility>

class QWidget;

namespace panels {

// Opens the font dialog (and then the colour dialog) on `font` and `colour`;
// true and both replaced on OK, false and both unchanged on Cancel.
bool chooseFontAndColour(QWidget* parent, LOGFONT& font, platform::COLORREF& colour);

// The answer the next chooseFontAndColour gives without a dialog; an empty
// optional answers Cancel.
void setNextFontChoice(std::optional<std::pair<LOGFONT, platform::COLORREF>> answer);
void clearNextFontChoice();

} // namespace panels
