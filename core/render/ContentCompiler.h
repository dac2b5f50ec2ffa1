#pragma once
// Turns one screen's content tree into the controller's program data: pixel
// pages, masks, descriptors and records in four slots per node, read out
// afterwards as four blocks (page map, program map, program mask, program
// data). Their layout is core/render/ProgramSchema.h. The slots are the
// compile's own, held for the screen until FreeBuffers; the tree is only
// read. Compilations must not run at the same time.
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <vector>

struct tagItemData;

namespace sorvane::model {
struct PaintedValues;
}

namespace sorvane::render {

namespace program {
enum class Block;
}

class CContentCompiler {
public:
    // Works on the node's screen. 1 when compiled; 0 when refused (scan
    // product 0 or above 16, an oversized item, or a size that cannot be
    // held), with every slot of the screen freed. Content larger than its
    // preview picture is drawn again for its pages.
    static int Compile(tagItemData* node);
    // The same with red and green swapped or not whatever the screen's flag
    // says: programs sent over another screen's link take that screen's order.
    static int Compile(tagItemData* node, bool swapRedGreen);
    // The first item of the node's screen whose content is larger than a
    // controller can be told of (page counts or size past the records'
    // 16-bit fields); Compile refuses such a screen. Null when there is none.
    static tagItemData* OversizedItem(tagItemData* node);
    // The first picture or animation item of the node's screen whose file
    // names no picture that can be read (a device, a pipe, a file that is
    // no picture); it would go out black. Null when there is none.
    static tagItemData* UndrawableItem(tagItemData* node);
    // Ends the screen's compile: its slots are freed. What it made of each
    // scene's background and each item that does not draw the time is kept
    // (within a memory budget) for later compiles: one of any screen that
    // holds the same scene or item, unchanged, takes it instead of drawing
    // it again. Clocks and counters are drawn on every compile.
    static void FreeBuffers(tagItemData* node);
    // Drops what the screen's compiles kept and no other screen used since
    // (all that is kept for null): the screen is going away.
    static void ForgetCompiled(const tagItemData* screen);
    // For the tests and benchmarks: compiles that took anything kept, and
    // the scenes and items taken from what was kept and drawn afresh, of
    // every compile so far.
    static unsigned ReusedCompiles();
    static unsigned ReusedParts();
    static unsigned CompiledParts();
    // A copy of one of the node's slots (ProgramSchema.h program::slot) in
    // its screen's compile, for the tests; empty when there is none.
    static std::vector<std::uint8_t> CompiledSlot(const tagItemData* node, int slot);
    static std::size_t CompiledSlotSize(const tagItemData* node, int slot);

    // A block of the compiled program (ProgramSchema.h): its size, and its
    // bytes copied into the buffer (as many as fit); the four named below too.
    static std::size_t GetBlockSize(tagItemData* node, program::Block block);
    static std::size_t CopyBlock(tagItemData* node, program::Block block, std::uint8_t* buffer, std::size_t length);
    static std::size_t GetPageMapSize(tagItemData* node);
    static std::size_t GetProgramMapSize(tagItemData* node);
    static std::size_t GetProgramMaskSize(tagItemData* node);
    static std::size_t GetProgramDataSize(tagItemData* node);
    // Copy a block, cut at length; return the bytes written.
    static std::size_t CopyPageMap(tagItemData* node, std::uint8_t* buffer, std::size_t length);
    static std::size_t CopyProgramMap(tagItemData* node, std::uint8_t* buffer, std::size_t length);
    static std::size_t CopyProgramMask(tagItemData* node, std::uint8_t* buffer, std::size_t length);
    static std::size_t CopyProgramData(tagItemData* node, std::uint8_t* buffer, std::size_t length);
};

// Record builders, exposed for the tests.
std::vector<std::uint8_t> BuildScheduleRecord(const tagItemData* scene);
std::vector<std::uint8_t> BuildPagedHeader(const tagItemData* item, unsigned areaW, unsigned areaH,
                                           std::uint32_t pageLength);
// The same for the content as painting measured it rather than as the node
// holds it: the compile's own measure.
std::vector<std::uint8_t> BuildPagedHeader(const tagItemData* item, const sorvane::model::PaintedValues& painted,
                                           unsigned areaW, unsigned areaH, std::uint32_t pageLength);
std::vector<std::uint8_t> BuildPictureHeader(const tagItemData* item, std::uint32_t pageLength);
std::vector<std::uint8_t> BuildFrameDelayHeader(const tagItemData* item, std::uint32_t pagesLength,
                                                std::uint32_t pageLength);
// Animated text: the record's one delay for every frame.
std::vector<std::uint8_t> BuildTextGifHeader(const tagItemData* item, std::uint32_t pagesLength,
                                             std::uint32_t pageLength);
// Device record of a clock or counter item over its client rectangle
// (screen coordinates), in the core's current language.
std::vector<std::uint8_t> BuildClockDeviceRecord(const tagItemData* item, const QRect& client, bool swapRedGreen);
std::vector<std::uint8_t> BuildClockDeviceRecord(const tagItemData* item, const sorvane::model::PaintedValues& painted,
                                                 const QRect& client, bool swapRedGreen);
// Adds the record's position in the program data to the analog record's
// own offsets.
void RelocateAnalogRecord(std::vector<std::uint8_t>& record, std::uint32_t at);

// Page order of a paged item: (across, down) index pairs for its entry effect.
std::vector<std::pair<unsigned, unsigned>> PageOrder(unsigned across, unsigned down, unsigned inEffect);

} // namespace sorvane::render
