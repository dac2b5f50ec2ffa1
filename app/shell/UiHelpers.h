#pragma once
// Helpers many windows share: combo boxes filled from the pack or searched by
// item data, file-name parts, and the removable drives.
#include "app/controls/ComboFill.h"

#include <QString>
#include <QStringList>

namespace shell {

using controls::FillComboFromResource;
using controls::FindComboItemByData;
// The file name without folder (either separator) and without its last extension.
QString GetFileTitlePart(const QString& path);

// Every removable volume's mount point ending with "/", each followed by ";",
// in order; empty when there is none. The volumes are the machine's mounted
// ones whose block device is removable or on USB (tests fill the registry's
// removableVolumes).
QString GetRemovableDrives();

} // namespace shell
