#include "app/panels/PictureModes.h"

#include "app/controls/ComboFill.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <QComboBox>

namespace panels {

void fillPictureModes(QComboBox* combo)
{
    controls::FillComboFromResource(48264, combo);
    // Entry n is mode n: the pack's list must not leave a gap before it.
    if (combo->count() == LAYOUT_NO_PICTURE)
        combo->addItem(platform::langString(kNoPictureString));
}

int pictureModeIndex(qint64 mode)
{
    if (mode < 0)
        return -1;
    return mode > LAYOUT_TILE ? LAYOUT_NO_PICTURE : int(mode);
}

qint64 modeForChosenPicture(qint64 mode)
{
    return mode < 0 || mode > LAYOUT_TILE ? LAYOUT_STRETCH : mode;
}

} // namespace panels
