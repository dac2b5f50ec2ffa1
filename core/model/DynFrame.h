#pragma once
// The border of a scene or a section: a header owning a doubly linked list
// of pattern elements. Both are stored as fixed-size little-endian images.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct tagItemData;

constexpr std::size_t DYNFRAME_SIZE = 24;
constexpr std::size_t DYNFRAME_ELEMENT_SIZE = 312;

struct DynFrameElement {
    std::uint16_t Version = 3;
    std::uint16_t Size = DYNFRAME_ELEMENT_SIZE;   // 312 + the owned data's length
    DynFrameElement* Prev = nullptr;
    DynFrameElement* Next = nullptr;
    char16_t Name[128] = {};
    std::uint8_t Motion = 255;        // 0 static, 1 blinking, 2-5 running, 255 not set
    std::uint16_t Speed = 50;
    std::uint32_t Duration = 2000;
    std::uint16_t Period = 0;         // length of one pattern cell along the band
    std::uint16_t MarginLeft = 0;
    std::uint16_t MarginTop = 0;
    std::uint16_t MarginRight = 0;    // gap to the next cell
    std::uint16_t MarginBottom = 0;
    std::uint8_t Type = 0;            // pattern type; 255 custom picture
    std::vector<std::uint8_t> Data;   // owned data (custom picture: its path, UTF-16 without terminator)
    // The stored image as last read: bytes no field models are written back from here.
    std::array<std::uint8_t, DYNFRAME_ELEMENT_SIZE> Raw{};
};

struct DynFrame {
    std::uint16_t Version = 3;
    std::uint16_t Size = DYNFRAME_SIZE;
    std::uint16_t Width = 0;          // band width in LEDs; 0 = no border
    std::uint8_t CornerStyle = 1;
    std::uint16_t Count = 0;
    std::uint16_t DefaultIndex = 0;   // element painted when none is named
    DynFrameElement* First = nullptr;
    std::array<std::uint8_t, DYNFRAME_SIZE> Raw{};
};

// Pattern period and right margin given to a new element of this type.
struct FramePatternGeometry {
    std::uint16_t Period;
    std::uint16_t MarginRight;
};
FramePatternGeometry FramePatternDefaults(std::uint16_t type, std::uint16_t frameWidth);

// The frame slot of a scene or section (null for every other node).
DynFrame** FrameSlotOf(tagItemData* node);
std::uint32_t* FrameSizeSlotOf(tagItemData* node);

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
// Replaces an element's owned data and keeps its size word in step.
void SetFrameElementData(DynFrameElement* element, std::vector<std::uint8_t> data);

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
