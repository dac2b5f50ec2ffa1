// Type records of items with their owned text or memory file. The first byte
// picks the item type. A refused record gives nothing; an accepted one stores
// the bytes it read again byte-identical, except for the pointer slot of the
// owned part, which is stored as 0.
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/model/StoredRecords.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <memory>
#include <vector>

using namespace sorvane::model;

using Bytes = std::vector<std::uint8_t>;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::uint16_t kTypes[] = {IT_SINGLELINE, IT_TEXT,       IT_IMAGE, IT_GIF,   IT_GRID,
                                           IT_TEXTGIF,    IT_CLOCKSIMUL, IT_CLOCKDIGIT, IT_COUNT, IT_COUNT2,
                                           IT_SCREEN,     IT_SCENE,      IT_WND_TEXT,   0x7FFF};
    if (size < 1)
        return 0;
    const std::uint16_t type = kTypes[data[0] % (sizeof kTypes / sizeof kTypes[0])];
    const Bytes input(data + 1, data + size);
    std::unique_ptr<ItemRecord> r(ReadTypeRecord(type, input.data(), input.size()));
    if (!r) {
        const std::size_t need = TypeRecordSizeOf(type);
        const std::unique_ptr<ItemRecord> shape(ItemRecord::Create(type));
        FUZZ_CHECK(need == 0 || input.size() < need
                       || (shape->owned() == ItemRecord::Owned::Text && (input.size() - need) % 2 != 0),
                   "a whole record is read");
        return 0;
    }
    FUZZ_CHECK(r->type() == type, "a record keeps its type");
    // A record without an owned part reads its fixed size; what follows is not its own.
    const std::size_t used = r->owned() == ItemRecord::Owned::None ? r->size() : input.size();
    FUZZ_CHECK(TypeRecordPayloadSize(*r) == used, "a record stores as many bytes as it was read from");
    const Bytes out = WriteTypeRecord(*r);
    FUZZ_CHECK(out.size() == used, "a record stores again at its size");
    // At most one 4-byte slot may differ, and only by being 0.
    std::size_t first = out.size(), last = 0;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (out[i] != input[i]) {
            FUZZ_CHECK(out[i] == 0, "a record stores again byte-identical");
            first = std::min(first, i);
            last = i;
        }
    FUZZ_CHECK(first == out.size() || (last - first < 4 && last < r->size()),
               "a record stores again byte-identical outside its pointer slot");
    return 0;
}
