#pragma once
// The program-list image of a screen: a 56-byte header, the controller
// settings record, then the node images of the screen's subtree with their
// frames and type records. The same image is the store buffer and the
// content of "*.pl" files; older layouts (versions 0 to 3) are still read.
#include "core/api/Callbacks.h"
#include "core/api/SettingLimits.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct tagItemData;

namespace sorvane::model {

constexpr std::uint16_t PL_MAGIC = 0x4C50;   // "PL"
constexpr std::uint8_t PL_VERSION = 4;
constexpr std::size_t PL_HEADER_SIZE = 56;
constexpr std::size_t PL_SETTINGS_OFFSET = 56;
constexpr std::size_t PL_NODES_OFFSET = 440;

// 440 + for every scene, section and item in the node's subtree: 928 + its payload.
std::uint32_t StoreSizeOf(const tagItemData* node);
// The image of the node's subtree with a header claiming `size` bytes. Reads
// the tree only: the size words stored are those of the payloads written.
std::vector<std::uint8_t> BuildStoreImage(const tagItemData* node, std::size_t size);

// Checks an image before anything is changed; PL_OK when it can be loaded.
ProgramListResult CheckProgramList(const std::uint8_t* data, std::size_t length, unsigned* newerBy = nullptr);
// The most a program-list file may announce; a screen whose image is larger
// is not saved (the old file stays).
constexpr std::uint64_t MAX_PROGRAM_LIST_BYTES = std::uint64_t(256) << 20;

// Replaces the screen's settings and content with those of the image, or
// refuses it (PL_TRUNCATED for a damaged node area or settings outside their
// limits) and leaves the screen exactly as it was. Whatever BuildStoreImage
// made loads: no bound beyond the settings' limits applies here.
ProgramListResult LoadProgramList(tagItemData* screen, const std::uint8_t* data, std::size_t length);

} // namespace sorvane::model
