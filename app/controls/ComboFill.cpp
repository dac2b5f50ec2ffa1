#include "app/controls/ComboFill.h"

#include "platform/LangPack.h"
#include "platform/ProfileIni.h"

#include <QComboBox>

namespace controls {

int FindComboItemByData(const QComboBox* combo, qint64 data)
{
    if (!combo)
        return -1;
    for (int i = 0; i < combo->count(); ++i) {
        const QVariant v = combo->itemData(i);
        if (v.isValid() && v.toLongLong() == data)
            return i;
    }
    return -1;
}

QComboBox* FillComboFromResource(unsigned stringId, QComboBox* combo)
{
    const QString text = platform::langString(stringId);
    if (text.isEmpty() || !combo)
        return nullptr;
    combo->clear();
    for (const QString& part : platform::SplitProfileList(text))
        combo->addItem(part);
    return combo;
}

} // namespace controls
