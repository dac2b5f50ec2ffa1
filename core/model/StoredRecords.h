#pragma once
// Stored images of type records, for the loader, the store and the readers.
#include "core/api/ItemRecord.h"
#include "core/model/DefaultFont.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sorvane::model {

// The record image (pointer slot 0) followed by its owned text or memory file.
std::vector<std::uint8_t> WriteTypeRecord(const ItemRecord& record);
// Reads a stored record of the given type; null for an unknown type, input
// shorter than the record, or a text of an odd number of bytes.
ItemRecord* ReadTypeRecord(std::uint16_t type, const std::uint8_t* in, std::size_t length);

} // namespace sorvane::model
