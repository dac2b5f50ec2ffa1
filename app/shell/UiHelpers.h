#pragma once
// Helpers many windows share: combo boxes filled from the pack or searched by
// item data, file-name parts, and the removable drives.
#include "app/controls/ComboFill.h"

#include <QString>
#include <QStringList>
#include <memory>

using controls::FillComboFromResource;
using controls::FindComboItemByData;
// The file name without folder (either separator) and without its last extension.
QString GetFileTitlePart(const QString& path);

// Where the removable volumes are mounted; tests replace it.
class RemovableVolumes {
public:
    virtual ~RemovableVolumes() = default;
    virtual QStringList mountPoints() const = 0;
};
// The machine's: mounted volumes whose block device is removable or on USB.
std::unique_ptr<RemovableVolumes> SystemRemovableVolumes();
// Replaces the source (null restores the machine's); returns the previous one.
std::unique_ptr<RemovableVolumes> SetRemovableVolumes(std::unique_ptr<RemovableVolumes> source);
// Every removable volume's mount point ending with "/", each followed by ";",
// in order; empty when there is none.
QString GetRemovableDrives();
