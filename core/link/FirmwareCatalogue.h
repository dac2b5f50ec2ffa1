#pragma once
// The fixed catalogue of controller boards, keyed by hardware id
// (0x0E SS MM xx; the low byte is ignored by every lookup).
#include "core/api/Records.h"
#include "core/api/UniqueArray.h"

#include <QString>
#include <cstdint>

// One entry of the map; an iteration position points at one of these.
struct FirmwarePosition;

namespace sorvane::link {

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

} // namespace sorvane::link
