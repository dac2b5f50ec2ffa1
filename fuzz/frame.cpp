// Frame records as a program list holds them: the 24-byte frame header, then
// elements of 312 bytes each followed by their owned data. A refused record
// leaves its object as it was; an accepted one stores again byte-identical
// except for pointers, the name's terminator and the size word, which follows
// the data actually owned.
#include "core/model/DynFrame.h"
#include "fuzz/FuzzCheck.h"
#include "platform/ByteIO.h"

#include <vector>

using namespace sorvane::model;

using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes FrameImage(const DynFrame& f)
{
    Bytes out(DYNFRAME_SIZE);
    WriteDynFrame(f, out.data());
    return out;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Bytes input(data, data + size);
    DynFrame frame;
    frame.Width = 7;
    const Bytes frameBefore = FrameImage(frame);
    if (!ReadDynFrame(input.data(), input.size(), frame)) {
        FUZZ_CHECK(size < DYNFRAME_SIZE, "a whole frame header is read");
        FUZZ_CHECK(FrameImage(frame) == frameBefore, "a refused frame header leaves the frame as it was");
        return 0;
    }
    Bytes expected(input.begin(), input.begin() + DYNFRAME_SIZE);
    bytes::put32(expected.data(), 20, 0);
    FUZZ_CHECK(FrameImage(frame) == expected, "a frame header stores again byte-identical");

    std::size_t at = DYNFRAME_SIZE;
    for (;;) {
        // Each element gets its own exact-size copy of what is left.
        const Bytes rest(input.begin() + std::ptrdiff_t(at), input.end());
        DynFrameElement e;
        SetFrameElementData(&e, {1, 2, 3});
        e.Name[0] = u'k';
        const Bytes before = WriteDynFrameElement(e);
        const std::size_t used = ReadDynFrameElement(rest.data(), rest.size(), e);
        if (used == 0) {
            FUZZ_CHECK(WriteDynFrameElement(e) == before, "a refused element leaves the element as it was");
            break;
        }
        FUZZ_CHECK(used >= DYNFRAME_ELEMENT_SIZE && used <= rest.size(), "an element uses bytes it has");
        Bytes want(rest.begin(), rest.begin() + std::ptrdiff_t(used));
        bytes::put16(want.data(), 2, std::uint16_t(used));
        bytes::put32(want.data(), 4, 0);
        bytes::put32(want.data(), 8, 0);
        bytes::put16(want.data(), 12 + 2 * 127, 0);
        bytes::put32(want.data(), 308, 0);
        FUZZ_CHECK(WriteDynFrameElement(e) == want, "an element stores again byte-identical");
        at += used;
    }
    return 0;
}
