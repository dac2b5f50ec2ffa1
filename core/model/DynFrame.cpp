#include "core/model/DynFrame.h"
#include "platform/ByteIO.h"
#include "core/model/ItemData.h"
#include "core/api/TypeRecords.h"

#include <cstring>

using namespace sorvane::model;

using namespace bytes;

namespace {
using namespace records::border;
static_assert(ElementSize == DYNFRAME_ELEMENT_SIZE && FrameSize == DYNFRAME_SIZE);

void unlink(DynFrame* frame, DynFrameElement* e)
{
    FrameLinks::join(e, nullptr);
    if (e->Next)
        e->Next->Prev = e->Prev;
    if (e->Prev)
        e->Prev->Next = e->Next;
    else
        frame->First = e->Next;
    e->Prev = e->Next = nullptr;
}

void linkBehind(DynFrame* frame, DynFrameElement* e, DynFrameElement* after)
{
    FrameLinks::join(e, frame);
    if (after) {
        e->Next = after->Next;
        if (after->Next)
            after->Next->Prev = e;
        after->Next = e;
        e->Prev = after;
    } else {
        e->Prev = nullptr;
        e->Next = frame->First;
        if (frame->First)
            frame->First->Prev = e;
        frame->First = e;
    }
}
}

namespace sorvane::model {

FramePatternGeometry FramePatternDefaults(std::uint16_t type, std::uint16_t frameWidth)
{
    switch (type) {
    case 0: return {8, 4};
    case 1: return {static_cast<std::uint16_t>(2 * frameWidth), 1};
    case 2: return {36, 4};
    case 4: case 5: case 7: case 8: return {20, 4};
    case 6: return {33, 1};
    case 10: return {42, 4};
    case 11: return {6, 1};
    case 12: return {6, 2};
    case 13: case 14: case 20: return {5, 2};
    case 15: return {7, 1};
    case 16: return {25, 0};
    case 17: return {12, 2};
    case 18: return {8, 1};
    case 19: return {11, 1};
    case 21: return {9, 2};
    case 22: return {10, 0};
    case 23: return {16, 0};
    case 255: return {20, 4};
    default: return {8, 4};
    }
}

} // namespace sorvane::model

DynFrame** FrameSlotOf(tagItemData* node)
{
    if (!node)
        return nullptr;
    if (node->Level == LEVEL_SCENE)
        return &node->Scene.Frame;
    if (node->Level == LEVEL_SECTION)
        return &node->Section.Frame;
    return nullptr;
}

namespace sorvane::model {

tagItemData* FrameLinks::nodeOf(const DynFrameElement* element)
{
    return element && element->m_frame ? element->m_frame->m_node : nullptr;
}

void FrameLinks::resized(const DynFrame* frame)
{
    if (frame && frame->m_node)
        if (std::uint32_t* slot = FrameSizeSlotOf(frame->m_node))
            *slot = GetPayloadSize(frame->m_node);
}

std::uint32_t* FrameSizeSlotOf(tagItemData* node)
{
    if (!node)
        return nullptr;
    if (node->Level == LEVEL_SCENE)
        return &node->Scene.FrameSize;
    if (node->Level == LEVEL_SECTION)
        return &node->Section.FrameSize;
    return nullptr;
}

void CreateFrame(tagItemData* node)
{
    DynFrame** slot = FrameSlotOf(node);
    if (!slot)
        return;
    if (*slot)
        DestroyFrame(node);
    *slot = new DynFrame;
    FrameLinks::adopt(*slot, node);
    FrameLinks::resized(*slot);
}

int DestroyFrame(tagItemData* node)
{
    DynFrame** slot = FrameSlotOf(node);
    if (!slot)
        return 0;
    DynFrame* frame = *slot;
    if (!frame)
        return 1;
    while (DynFrameElement* e = frame->First) {
        frame->First = e->Next;
        delete e;
    }
    delete frame;
    *slot = nullptr;
    return 1;
}

bool FrameHoldsElement(const DynFrame* frame, const DynFrameElement* element)
{
    if (!frame || !element)
        return false;
    for (const DynFrameElement* e = frame->First; e; e = e->Next)
        if (e == element)
            return true;
    return false;
}

DynFrameElement* CreateFrameElement(std::uint16_t type, const char16_t* name, DynFrame* frame, DynFrameElement* after)
{
    if (!frame || (after && !FrameHoldsElement(frame, after)))
        return nullptr;
    auto* e = new DynFrameElement;
    linkBehind(frame, e, after);
    e->Version = 3;
    if (name)
        for (int i = 0; i < 127 && name[i]; ++i)
            e->Name[i] = name[i];
    e->Duration = 2000;
    e->Speed = 50;
    e->Motion = 255;
    e->Type = static_cast<std::uint8_t>(type);
    const FramePatternGeometry g = FramePatternDefaults(type, frame->Width);
    e->Period = g.Period;
    e->MarginLeft = 0;
    e->MarginTop = 0;
    e->MarginRight = g.MarginRight;
    e->MarginBottom = 0;
    ++frame->Count;
    FrameLinks::resized(frame);
    return e;
}

int RemoveFrameElement(DynFrame* frame, DynFrameElement* element)
{
    if (!frame || !element || !FrameHoldsElement(frame, element))
        return 0;
    unlink(frame, element);
    delete element;
    if (frame->Count > 0)
        --frame->Count;
    FrameLinks::resized(frame);
    return 1;
}

int MoveFrameElement(DynFrameElement* element, DynFrame* frame, DynFrameElement* after)
{
    if (!element || !frame || !FrameHoldsElement(frame, element))
        return 0;
    if (after && !FrameHoldsElement(frame, after))
        return 0;
    if (after == element)
        return 1;   // already behind itself: nothing to move
    unlink(frame, element);
    linkBehind(frame, element, after);
    return 1;
}

bool SetFrameElementData(DynFrameElement* element, std::vector<std::uint8_t> data)
{
    if (!element || data.size() > DYNFRAME_ELEMENT_MAX_DATA)
        return false;
    element->m_data = std::move(data);
    FrameLinks::resized(element->m_frame);
    return true;
}

int ConvertLegacyBorder(DynFrame* frame, std::uint32_t code)
{
    if (!frame)
        return 0;
    frame->Width = static_cast<std::uint16_t>(code & 3u);
    if (frame->Width == 0)
        return 1;
    DynFrameElement* e = CreateFrameElement(0, u"line1", frame, nullptr);
    if (!e)
        return 0;
    e->Motion = (code & 0x3Cu) ? 3 : 2;
    e->Speed = static_cast<std::uint16_t>((code >> 6) & 0x3FFu);
    e->Period = static_cast<std::uint16_t>(((code >> 24) & 0xFu) + ((code >> 16) & 0xFu));
    e->MarginRight = static_cast<std::uint16_t>((code >> 24) & 0xFu);
    return 1;
}

void WriteDynFrame(const DynFrame& f, std::uint8_t* out)
{
    std::memcpy(out, f.Raw.data(), DYNFRAME_SIZE);
    put16(out, FrVersion, f.Version);
    put16(out, FrSize, f.Size);
    put16(out, FrWidth, f.Width);
    put8(out, FrCorner, f.CornerStyle);
    put16(out, FrCount, f.Count);
    put16(out, FrDefault, f.DefaultIndex);
    put32(out, FrFirst, 0);
}

bool ReadDynFrame(const std::uint8_t* in, std::size_t length, DynFrame& f)
{
    if (!in || length < DYNFRAME_SIZE)
        return false;
    std::memcpy(f.Raw.data(), in, DYNFRAME_SIZE);
    f.Version = get16(in, FrVersion);
    f.Size = get16(in, FrSize);
    f.Width = get16(in, FrWidth);
    f.CornerStyle = get8(in, FrCorner);
    f.Count = get16(in, FrCount);
    f.DefaultIndex = get16(in, FrDefault);
    return true;
}

std::vector<std::uint8_t> WriteDynFrameElement(const DynFrameElement& e)
{
    const std::vector<std::uint8_t>& data = e.Data();
    std::vector<std::uint8_t> out(DYNFRAME_ELEMENT_SIZE + data.size());
    std::uint8_t* p = out.data();
    std::memcpy(p, e.Raw.data(), DYNFRAME_ELEMENT_SIZE);
    put16(p, ElVersion, e.Version);
    put16(p, ElSize, e.Size());
    put32(p, ElPrev, 0);
    put32(p, ElNext, 0);
    putWide(p, ElName, e.Name, 128);
    put8(p, ElMotion, e.Motion);
    put16(p, ElSpeed, e.Speed);
    put32(p, ElDuration, e.Duration);
    put16(p, ElPeriod, e.Period);
    put16(p, ElLeft, e.MarginLeft);
    put16(p, ElTop, e.MarginTop);
    put16(p, ElRight, e.MarginRight);
    put16(p, ElBottom, e.MarginBottom);
    put8(p, ElType, e.Type);
    put16(p, ElDataLen, static_cast<std::uint16_t>(data.size()));
    put32(p, ElData, 0);
    if (!data.empty())
        std::memcpy(p + DYNFRAME_ELEMENT_SIZE, data.data(), data.size());
    return out;
}

std::size_t ReadDynFrameElement(const std::uint8_t* in, std::size_t length, DynFrameElement& e)
{
    if (!in || length < DYNFRAME_ELEMENT_SIZE)
        return 0;
    const std::size_t dataLength = get16(in, ElDataLen);
    if (length - DYNFRAME_ELEMENT_SIZE < dataLength || dataLength > DYNFRAME_ELEMENT_MAX_DATA)
        return 0;
    std::memcpy(e.Raw.data(), in, DYNFRAME_ELEMENT_SIZE);
    e.Version = get16(in, ElVersion);
    getWide(in, ElName, e.Name, 128);
    e.Name[127] = u'\0';
    e.Motion = get8(in, ElMotion);
    e.Speed = get16(in, ElSpeed);
    e.Duration = get32(in, ElDuration);
    e.Period = get16(in, ElPeriod);
    e.MarginLeft = get16(in, ElLeft);
    e.MarginTop = get16(in, ElTop);
    e.MarginRight = get16(in, ElRight);
    e.MarginBottom = get16(in, ElBottom);
    e.Type = get8(in, ElType);
    SetFrameElementData(&e, std::vector<std::uint8_t>(in + DYNFRAME_ELEMENT_SIZE, in + DYNFRAME_ELEMENT_SIZE + dataLength));
    return DYNFRAME_ELEMENT_SIZE + dataLength;
}

} // namespace sorvane::model
