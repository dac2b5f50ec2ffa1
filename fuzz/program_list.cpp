// Program-list files of every version, as loading a "*.pl" file reads them.
// A refused file leaves the screen as it was; an accepted one stores an image
// that loads into another screen and stores again byte-identical.
#define FUZZ_WITH_QT_APP
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/model/ProgramList.h"
#include "core/model/Tree.h"
#include "fuzz/FuzzCheck.h"
#include "platform/ByteIO.h"

#include <algorithm>
#include <vector>

using namespace sorvane::model;

using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Stored(tagItemData* screen)
{
    return BuildStoreImage(screen, StoreSizeOf(screen));
}

std::vector<const tagItemData*> NodesOf(tagItemData* screen)
{
    std::vector<const tagItemData*> out;
    ForEachNode(screen, [&out](tagItemData* n) { out.push_back(n); });
    return out;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CCore* core = new CCore;
    tagItemData* screen = core->AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    tagItemData* scene = core->AddItem(IT_SCENE, u"keep", screen, nullptr);
    core->AddItem(IT_SINGLELINE, u"keep", core->AddItem(IT_WND_TEXT, u"keep", scene, nullptr), nullptr);
    const Bytes before = Stored(screen);
    const std::vector<const tagItemData*> nodesBefore = NodesOf(screen);

    // An exact-size copy, so a read past the file is caught.
    const Bytes input(data, data + size);
    if (LoadProgramList(screen, input.data(), input.size()) != PL_OK) {
        FUZZ_CHECK(Stored(screen) == before, "a refused program list leaves the screen byte-identical");
        FUZZ_CHECK(NodesOf(screen) == nodesBefore, "a refused program list keeps the screen's nodes");
    } else {
        // A header whose sizes no longer fit its nodes must not pass for an
        // empty screen: an accepted node area is read into nodes, and an
        // accepted file is exactly as long as its header says, so no node,
        // junk or second copy lies beyond a node area (of 0 or any size).
        FUZZ_CHECK(input.size() >= 24, "an accepted program list has its header");
        const std::uint32_t nodeArea = bytes::get32(input.data(), 4);
        FUZZ_CHECK(nodeArea == 0 || screen->FirstChild, "an accepted node area loads its nodes");
        std::uint64_t end = std::max<std::uint64_t>(56, std::uint64_t(bytes::get32(input.data(), 12)) + nodeArea);
        if (input[2] >= 2)
            end = std::max<std::uint64_t>(end, std::uint64_t(bytes::get32(input.data(), 20)) + bytes::get32(input.data(), 16));
        FUZZ_CHECK(input.size() == end, "an accepted program list ends where its header says");
        FUZZ_CHECK(input[2] != 4 || input.size() == 440 + std::uint64_t(nodeArea),
                   "a current program list is its settings and its node area");
        const Bytes stored = Stored(screen);
        FUZZ_CHECK(CheckProgramList(stored.data(), stored.size()) == PL_OK, "a stored program list checks");
        tagItemData* again = core->AddItem(IT_SCREEN, u"again", nullptr, nullptr);
        // Whatever was stored opens again.
        FUZZ_CHECK(LoadProgramList(again, stored.data(), stored.size()) == PL_OK, "a stored program list loads");
        const Bytes storedAgain = Stored(again);
        // Settings of versions 0 to 2 keep a baud rate that the current layout
        // reads as 9600, so those settle on the second store.
        if (input[2] >= 3)
            FUZZ_CHECK(storedAgain == stored, "a stored program list stores again byte-identical");
        tagItemData* third = core->AddItem(IT_SCREEN, u"third", nullptr, nullptr);
        FUZZ_CHECK(LoadProgramList(third, storedAgain.data(), storedAgain.size()) == PL_OK,
                   "a program list stored twice loads");
        FUZZ_CHECK(Stored(third) == storedAgain, "a stored program list stores again byte-identical");
        core->DeleteItem(third);
        core->DeleteItem(again);
    }
    core->DeleteItem(screen);
    return 0;
}
