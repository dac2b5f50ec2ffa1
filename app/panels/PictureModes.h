#pragma once
// The picture-mode list of the scene and analog-clock panels: the drawn
// modes of string 48264 and an entry of its own for "no picture", so that
// every stored mode shows as a choice.
#include <QtGlobal>

class QComboBox;

namespace panels {

inline constexpr unsigned kNoPictureString = 48302;

void fillPictureModes(QComboBox* combo);
// The entry a stored mode shows: modes that draw nothing show "no picture".
int pictureModeIndex(qint64 mode);
// The mode a node takes when a picture is chosen for it: one that draws it.
qint64 modeForChosenPicture(qint64 mode);

} // namespace panels
