// Node images (header, screen block, scene, section and item blocks). Short
// input and images of another level are refused and leave the node as it
// was; an accepted image stores again byte-identical except where the image
// holds pointers, buffer lengths or a name's terminator, which are stored as 0.
#include "core/model/ItemData.h"
#include "fuzz/FuzzCheck.h"
#include "platform/ByteIO.h"

#include <vector>

using namespace sorvane::model;

using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes ImageOf(const tagItemData& node)
{
    Bytes out(ITEMDATA_SIZE);
    WriteNodeImage(node, out.data());
    return out;
}

// The input as it must store again.
Bytes Expected(const std::uint8_t* in)
{
    Bytes e(in, in + ITEMDATA_SIZE);
    std::uint8_t* p = e.data();
    for (std::size_t slot : {12, 16, 20, 24, 32, 36, 40})
        bytes::put32(p, slot, 0);
    for (std::size_t slot = COMPILED_OFFSET; slot < COMPILED_OFFSET + 32; slot += 4)
        bytes::put32(p, slot, 0);
    bytes::put16(p, 52 + 2 * 127, 0);
    switch (bytes::get32(p, 0)) {
    case 0:   // the target screen: "none" or this screen; texts end in a terminator
        if (bytes::get32(p, 704) != 0xFFFFFFFFu)
            bytes::put32(p, 704, 0);
        for (std::size_t last : {196 + 15, 236 + 32, 290 + 64, 409 + 66})
            p[LEVEL_BLOCK_OFFSET + last] = 0;
        break;
    case 1:
        bytes::put32(p, 328, 0);
        bytes::put32(p, 332, 0);
        bytes::put16(p, 336 + 2 * 259, 0);
        bytes::put32(p, 856, 0);
        break;
    case 2: bytes::put32(p, 328, 0); break;
    case 3: bytes::put32(p, 324, 0); break;
    default: break;
    }
    return e;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size copy, so a read past the image is caught.
    const Bytes input(data, data + size);
    const std::uint32_t level = size >= 4 ? bytes::get32(data, 0) : 1;

    // A node of another level refuses the image and stays as it was.
    tagItemData other;
    other.Level = level == 1 ? 2 : 1;
    SetNodeName(&other, u"keep");
    const Bytes otherBefore = ImageOf(other);
    FUZZ_CHECK(!ReadNodeImage(input.data(), input.size(), other), "an image of another level is refused");
    FUZZ_CHECK(ImageOf(other) == otherBefore, "a refused image leaves the node as it was");

    tagItemData node;
    node.Level = level;
    SetNodeName(&node, u"keep");
    node.Scene.PicturePath[0] = u'p';
    const Bytes before = ImageOf(node);
    if (!ReadNodeImage(input.data(), input.size(), node)) {
        FUZZ_CHECK(size < ITEMDATA_SIZE, "a whole image of the node's level is read");
        FUZZ_CHECK(ImageOf(node) == before, "a refused image leaves the node as it was");
        return 0;
    }
    FUZZ_CHECK(size >= ITEMDATA_SIZE, "a short image is refused");
    FUZZ_CHECK(ImageOf(node) == Expected(input.data()), "an image stores again byte-identical");
    return 0;
}
