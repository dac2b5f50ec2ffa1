#pragma once
// The controller settings record: the display settings of a screen in the
// fixed 384-byte layout of program-list files and of the hardware block
// sent to controllers. CCore::GlobalInfoToHardwareInfo and
// CCore::HardwareInfoToGlobalInfo convert between it and the screen block.
#include "core/api/Records.h"
#include "core/api/SettingLimits.h"

#include <cstddef>
#include <cstdint>

namespace sorvane::model {

// Zero-fills the record and sets its defaults (version 1, 128 x 64, ...).
void InitHardwareInfo(_tagHardwareInfo* info);

// The 384-byte little-endian image.
void WriteHardwareInfo(const _tagHardwareInfo& info, std::uint8_t* out);
// Lays min(length, 384) bytes over the record's current image (a short
// input keeps the rest as it was); false for null input.
bool ReadHardwareInfo(const std::uint8_t* in, std::size_t length, _tagHardwareInfo& info);

// The record's settings field by field, and whether all of them are within
// their limits with a scan that fits the work mode. Every road in (files,
// settings text, controller answers) asks this one check.
SettingValues SettingValuesOf(const _tagHardwareInfo& info);
bool SettingsAllowed(const SettingValues& values);
// The first field outside its limits, or SET_FIELD_COUNT when all fit.
SettingField FirstSettingOutside(const SettingValues& values);

} // namespace sorvane::model
