#pragma once
// The fixed catalogue of controller boards, keyed by hardware id
// (0x0E SS MM xx; the low byte is ignored by every lookup).
#include "core/link/UniqueArray.h"

#include <QString>
#include <cstdint>

struct FirmwareInfo {
    int order = 0;          // position in the build order
    int flags = 0;          // bit 0 on one board only
    QString modelName;
    QString secondName;     // always empty
    std::uint32_t version = 0;   // firmware version carried for the board
    int valueA = 0;         // the most sections a screen of the model plays
    int valueB = 0;
    int featureBits = 0;
    // Panel sizes packed as width * 65536 + height; pairs packed the same.
    CUniqueArray<unsigned> sizes1;
    CUniqueArray<unsigned> sizes2;
    CUniqueArray<unsigned> sizes3;
    CUniqueArray<unsigned> sizes4;
    CUniqueArray<unsigned> pairs;

    // The maximum section count; 0 when the catalogue gives none.
    int MaxSectionCount() const { return valueA; }
};

constexpr unsigned PackPanelSize(unsigned width, unsigned height)
{
    return width * 65536u + height;
}

// One entry of the map; an iteration position points at one of these.
struct FirmwarePosition;

// A hash map with head-inserted chains; iteration runs bucket by bucket,
// each chain from its newest entry, as callers that walk it have always seen.
class FirmwareCatalogue {
public:
    static constexpr unsigned kBucketCount = 17;

    static const FirmwareCatalogue& Instance();
    static unsigned BucketOf(unsigned key) { return (key >> 4) % kBucketCount; }

    int Count() const { return m_count; }
    FirmwarePosition* First() const;
    // Id at pos, and pos moves to the next entry (null after the last).
    unsigned Next(FirmwarePosition*& pos) const;
    const FirmwareInfo* Find(unsigned id) const;

    FirmwareCatalogue(const FirmwareCatalogue&) = delete;
    FirmwareCatalogue& operator=(const FirmwareCatalogue&) = delete;
    ~FirmwareCatalogue();

private:
    FirmwareCatalogue();
    void insert(unsigned key, const FirmwareInfo& info);

    FirmwarePosition* m_buckets[kBucketCount] = {};
    int m_count = 0;
};

// Number of the firmware image resource for a board; 0 when none.
unsigned FirmwareResourceId(unsigned id, unsigned version);
