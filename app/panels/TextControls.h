#pragma once
// Controls the text panels share: the face and size lists that show a value
// which is not among their entries as their text, and the toggle buttons of
// the formatting rows.
#include "platform/Languages.h"

#include <QString>

class QComboBox;
class QWidget;
namespace controls {
class CIconButton;
class CFontComboBox;
class CSizeComboBox;
class CColourPicker;
}

namespace panels {

// Selects the entry equal to `text` (case ignored), or shows `text` as the
// combo's own text when no entry equals it.
void selectOrShow(QComboBox* combo, const QString& text);

// How a font box names the Chinese faces in a language.
using platform::FaceNames;
FaceNames faceNamesFor(int language);

// What a font box shows for a stored face; the record keeps the face it names.
QString shownFaceName(const QString& face, FaceNames names);
// Selects the face in a font box, or shows it as shownFaceName gives it.
void showFace(QComboBox* box, const QString& face, FaceNames names);

// A flat toggle button with an icon and a tooltip from the language pack.
controls::CIconButton* makeToggle(QWidget* parent, int id, unsigned icon, unsigned tip);
// The editable face list (every installed face) and size list ("8" to "72").
controls::CFontComboBox* makeFontCombo(QWidget* parent, int id);
controls::CSizeComboBox* makeSizeCombo(QWidget* parent, int id);
// The text-colour picker, yellow by default.
controls::CColourPicker* makeColourPicker(QWidget* parent, int id);

} // namespace panels
