#pragma once
// The controller models the dialogs offer, in the catalogue's order, and the
// description the wizard shows for one.
#include <QList>
#include <QString>
#include <cstdint>

struct FirmwareInfo;

namespace dialogs {

struct CatalogueEntry {
    int order = 0;
    int flags = 0;
    std::uint32_t id = 0;
    QString name;
};

struct ModelEntry {
    QString name;
    std::uint32_t id = 0;
};

// Entries placed by their order index; an index out of range or already
// taken keeps its entry, after the well-placed ones in the order given.
// Entries with flag bit 0 are not offered.
QList<ModelEntry> OrderModels(const QList<CatalogueEntry>& entries);
// The core's catalogue so ordered.
QList<ModelEntry> OfferedModels();
// The description of a catalogue entry; empty for none.
QString ModelDescription(const FirmwareInfo* info);

} // namespace dialogs
