#pragma once
// The border of a scene or a section: a header owning a doubly linked list
// of pattern elements. Both are stored as fixed-size little-endian images.
#include "core/api/Nodes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sorvane::model {

// Pattern period and right margin given to a new element of this type.
struct FramePatternGeometry {
    std::uint16_t Period;
    std::uint16_t MarginRight;
};
FramePatternGeometry FramePatternDefaults(std::uint16_t type, std::uint16_t frameWidth);

// FrameSlotOf: core/api/Nodes.h.
std::uint32_t* FrameSizeSlotOf(tagItemData* node);

// What a border's elements know of where they are. Every change of an
// element list or of an element's data sets the owning node's frame size
// word, so that the word is the stored size without a store writing it.
struct FrameLinks {
    // The scene or section whose border holds the element; null for an
    // element of no node's border.
    static tagItemData* nodeOf(const DynFrameElement* element);
    static void adopt(DynFrame* frame, tagItemData* node) { frame->m_node = node; }
    static void join(DynFrameElement* element, DynFrame* frame) { element->m_frame = frame; }
    // Sets the owning node's size word from the frame's elements.
    static void resized(const DynFrame* frame);
};

// Gives a scene or section a new empty frame (an old one is freed first).
void CreateFrame(tagItemData* node);
// Frees the frame of a scene or section with all its elements: 0 for other
// levels, 1 otherwise (also when there was no frame).
int DestroyFrame(tagItemData* node);

bool FrameHoldsElement(const DynFrame* frame, const DynFrameElement* element);
// New element behind "after" (at the head when null); null when the frame is
// null or "after" is not one of its elements.
DynFrameElement* CreateFrameElement(std::uint16_t type, const char16_t* name, DynFrame* frame,
                                    DynFrameElement* after);
int RemoveFrameElement(DynFrame* frame, DynFrameElement* element);
int MoveFrameElement(DynFrameElement* element, DynFrame* frame, DynFrameElement* after);
// Replaces an element's owned data; false (nothing changed) for a null
// element or data longer than the size word can announce.
bool SetFrameElementData(DynFrameElement* element, std::vector<std::uint8_t> data);

// Builds a frame from the packed 32-bit border code of old program lists.
int ConvertLegacyBorder(DynFrame* frame, std::uint32_t code);

// Stored images. Pointer slots are written 0 and ignored on read.
void WriteDynFrame(const DynFrame& frame, std::uint8_t* out);
bool ReadDynFrame(const std::uint8_t* in, std::size_t length, DynFrame& frame);
// The 312-byte element followed by its owned data.
std::vector<std::uint8_t> WriteDynFrameElement(const DynFrameElement& element);
// Reads one element and its owned data; returns the bytes used, 0 when the
// input is too short for the element or the data it announces.
std::size_t ReadDynFrameElement(const std::uint8_t* in, std::size_t length, DynFrameElement& element);

} // namespace sorvane::model
