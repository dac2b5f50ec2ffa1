#pragma once
// The border of a scene or a section: a header owning a doubly linked list
// of pattern elements. Both are stored as fixed-size little-endian images.
#include "core/model/Export.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct tagItemData;

constexpr std::size_t DYNFRAME_SIZE = 24;
constexpr std::size_t DYNFRAME_ELEMENT_SIZE = 312;

// Elements and frames own what they point to: they are never copied.
struct DynFrameElement {
    DynFrameElement() = default;
    DynFrameElement(const DynFrameElement&) = delete;
    DynFrameElement& operator=(const DynFrameElement&) = delete;

    std::uint16_t Version = 3;
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
    // The stored image as last read: bytes no field models are written back from here.
    std::array<std::uint8_t, DYNFRAME_ELEMENT_SIZE> Raw{};

    // Owned data (custom picture: its path, UTF-16 without terminator),
    // changed only through SetFrameElementData.
    const std::vector<std::uint8_t>& Data() const { return m_data; }
    // The size word: 312 + the owned data's length, always derived from the data.
    std::uint16_t Size() const { return static_cast<std::uint16_t>(DYNFRAME_ELEMENT_SIZE + m_data.size()); }

private:
    friend bool SetFrameElementData(DynFrameElement*, std::vector<std::uint8_t>);
    std::vector<std::uint8_t> m_data;
};

// Longest owned data the 16-bit size word can announce.
constexpr std::size_t DYNFRAME_ELEMENT_MAX_DATA = 0xFFFFu - DYNFRAME_ELEMENT_SIZE;

struct DynFrame {
    DynFrame() = default;
    DynFrame(const DynFrame&) = delete;
    DynFrame& operator=(const DynFrame&) = delete;

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
SORVANE_API DynFrame** FrameSlotOf(tagItemData* node);
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
