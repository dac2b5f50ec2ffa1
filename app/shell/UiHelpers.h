#pragma once
// Helpers many windows share: combo boxes filled from the pack or searched by
// item data, file-name parts, and the removable drives.
#include <QString>
#include <QStringList>
#include <memory>

class QComboBox;

// Index of the first entry whose item data equals `data`; -1 when none does.
int FindComboItemByData(const QComboBox* combo, qint64 data);
// Fills the combo box with every ";"-terminated part of string `stringId`;
// null (combo untouched) when the pack has no such string, else the combo.
QComboBox* FillComboFromResource(unsigned stringId, QComboBox* combo);
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
