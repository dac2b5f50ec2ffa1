#pragma once
// The nodes of the content tree as the program reads and writes them: a
// node (root header, screen, scene, section or item) with its level block,
// the screen block of a screen, and the border of a scene or a section.
// In memory ordinary objects with real links; the core makes and frees
// them (CCore::AddItem, CCore::DeleteItem, CCore::AddFrameElement ...).
#include "core/api/Export.h"
#include "core/api/ItemRecord.h"
#include "core/api/Records.h"
#include "core/api/ItemTypes.h"

#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct tagItemData;

namespace sorvane::model {
class NodePictures;
}

// ---- border: a header owning a doubly linked list of pattern elements ----
constexpr std::size_t DYNFRAME_SIZE = 24;
constexpr std::size_t DYNFRAME_ELEMENT_SIZE = 312;

struct DynFrameElement;
struct DynFrame;
// The core's one writer of an element's owned data, and the links that keep
// the owning node's frame size word equal to its border's stored size.
namespace sorvane::model {
bool SetFrameElementData(DynFrameElement*, std::vector<std::uint8_t>);
struct FrameLinks;
}

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
    friend bool sorvane::model::SetFrameElementData(DynFrameElement*, std::vector<std::uint8_t>);
    friend struct sorvane::model::FrameLinks;
    std::vector<std::uint8_t> m_data;
    DynFrame* m_frame = nullptr;   // the frame whose list holds it
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

private:
    friend struct sorvane::model::FrameLinks;
    tagItemData* m_node = nullptr;   // the scene or section it is the border of
};

// ---- screen block ----
constexpr std::size_t GLOBALINFO_SIZE = 480;

// TargetScreen value meaning "no screen: send to every controller".
inline tagItemData* const TARGET_SCREEN_NONE = reinterpret_cast<tagItemData*>(~std::uintptr_t(0));

struct tagGlobalInfo {
    std::uint16_t BlockSize = 0;
    std::uint16_t TypeCode = 0;
    std::uint8_t ID = 0;              // controller address 1-254
    std::uint16_t Width = 0;          // in LEDs
    std::uint16_t Height = 0;
    std::uint16_t ReFreq = 0;
    std::uint16_t Type = 0;           // LED work-mode code
    std::uint16_t ScanMode = 0;
    std::uint8_t RowDecode = 0;
    std::uint8_t OptionBits = 0;      // hardware option bits 0-3
    std::uint8_t OptionBits2 = 0;     // hardware option bits 0-1
    std::uint16_t Lum = 0;
    std::uint32_t SettingsWord = 0;
    std::uint8_t HourSU = 0;
    std::uint8_t MinSU = 0;
    std::uint8_t HourSD = 0;
    std::uint8_t MinSD = 0;
    std::uint8_t WeekSD = 0;
    std::uint8_t AutoS = 0;
    std::uint32_t RemoteVersion = 0;  // 0xFFFFFFFF unknown
    std::uint32_t HardwareId = 0;
    std::uint32_t VersionWord = 0;
    std::uint32_t BaudRate = 0;
    std::uint8_t DstMAC[8] = {};
    char DeviceName[16] = {};
    std::uint8_t DhcpFlag = 0;
    std::uint16_t DevicePort = 0;
    // Addresses in network order: the stored bytes read as a little-endian word.
    std::uint32_t IpAddr = 0;
    std::uint32_t SubnetMask = 0;
    std::uint32_t Gateway = 0;
    std::uint32_t Address4 = 0;
    std::uint32_t NetWord = 0;
    char WifiSsid[33] = {};
    std::int32_t WifiMode = 0;        // 1 access point, 2 station
    std::int32_t WifiSecurity = 0;
    std::int32_t WifiEncryption = 0;
    std::uint32_t WifiWord = 0;
    std::uint16_t WifiWord2 = 0;
    char WifiKey[65] = {};
    // Screen whose link is used: null this screen, TARGET_SCREEN_NONE none
    // (broadcast), else another screen.
    tagItemData* TargetScreen = nullptr;
    std::uint8_t SwapRedGreen = 0;
    std::uint32_t CommType = 0;       // CommMode
    std::uint32_t SerialPort = 0;     // n of COMn
    std::uint32_t AdapterIndex = 0;
    std::uint8_t HostKind = 0;
    char Host[67] = {};
    std::uint16_t HostPort = 0;
    // The stored image as last read: bytes no field models are written back from here.
    std::array<std::uint8_t, GLOBALINFO_SIZE> Raw{};
};

// Dotted-quad address in network order (see IpAddr).
constexpr std::uint32_t Ipv4(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return (a & 0xFFu) | ((b & 0xFFu) << 8) | ((c & 0xFFu) << 16) | ((d & 0xFFu) << 24);
}

// ---- node ----
constexpr std::size_t ITEMDATA_SIZE = 928;
constexpr std::size_t LEVEL_BLOCK_OFFSET = 316;
constexpr std::size_t SCENE_BLOCK_SIZE = 564;
constexpr std::size_t SECTION_BLOCK_SIZE = 24;
constexpr std::size_t ITEM_BLOCK_SIZE = 28;
constexpr std::size_t COMPILED_OFFSET = 880;
static_assert(LEVEL_BLOCK_OFFSET + GLOBALINFO_SIZE <= COMPILED_OFFSET);
static_assert(LEVEL_BLOCK_OFFSET + SCENE_BLOCK_SIZE == COMPILED_OFFSET);
static_assert(COMPILED_OFFSET + 4 * 8 <= ITEMDATA_SIZE);

// Picture layouts (drawing modes) of scenes and clock faces; those above tiled draw
// nothing, and a new node stores "no picture".
inline constexpr std::uint8_t LAYOUT_STRETCH = 0, LAYOUT_CENTRE = 1, LAYOUT_TILE = 2, LAYOUT_NO_PICTURE = 3;

// Level block of a scene (bytes 316-879 of the node image). Frame (and an
// item's TypeRecord) are owned, so blocks are never copied as objects: a
// copy goes through the stored block image and keeps its own frame.
struct SceneBlock {
    SceneBlock() = default;
    SceneBlock(const SceneBlock&) = delete;
    SceneBlock& operator=(const SceneBlock&) = delete;

    std::uint16_t TypeCode = 0;        // IT_GLOBALSCENE or IT_SCENE
    std::uint16_t PicturePresent = 0;  // set by the scene painter
    std::uint8_t PictureMode = 0;      // 0 stretched, 1 centred, 2 tiled, 3 no picture
    std::uint8_t DisplayOption = 0;    // bit 0: a display option, kept as is
    std::vector<std::uint8_t> OwnedBlock;   // kept, freed with the scene, not stored
    char16_t PicturePath[260] = {};
    DynFrame* Frame = nullptr;
    std::uint32_t FrameSize = 0;
    std::uint8_t Schedule = 0;         // bit 0 date range, bit 1 weekdays, bit 2 time range
    std::uint32_t ScheduleDate = 0;    // controller time
    std::uint8_t ScheduleWeekdays = 0; // bits 0-6
    std::uint16_t StartTime = 0;       // hour << 8 | minute
    std::uint16_t EndTime = 0;
    std::array<std::uint8_t, SCENE_BLOCK_SIZE> Raw{};
};

// Level block of a section (bytes 316-339).
struct SectionBlock {
    SectionBlock() = default;
    SectionBlock(const SectionBlock&) = delete;
    SectionBlock& operator=(const SectionBlock&) = delete;

    std::uint8_t WndKind = 0;          // window kind 4-9
    std::uint16_t RectX = 0;
    std::uint16_t RectY = 0;
    std::uint16_t RectW = 0;
    std::uint16_t RectH = 0;
    DynFrame* Frame = nullptr;
    std::uint32_t FrameSize = 0;
    std::array<std::uint8_t, SECTION_BLOCK_SIZE> Raw{};
};

// Level block of an item (bytes 316-343).
struct ItemBlock {
    ItemBlock() = default;
    ItemBlock(const ItemBlock&) = delete;
    ItemBlock& operator=(const ItemBlock&) = delete;

    std::uint16_t TypeCode = 0;
    ItemRecord* TypeRecord = nullptr;
    std::uint32_t TypeRecordSize = 0;
    std::uint32_t ContentW = 0;
    std::uint32_t ContentH = 0;
    std::uint8_t OutEffect = 0;
    std::uint16_t OutSpeed = 0;
    std::array<std::uint8_t, ITEM_BLOCK_SIZE> Raw{};
};

// A node's preview picture and its place among the pictures the process
// keeps. Pictures are made when something first reads them and may be
// dropped again when nothing has read them for a while; only the core
// touches this slot. Everything else reads a picture with GetNodePicture.
class NodePictureSlot {
public:
    NodePictureSlot() = default;
    NodePictureSlot(const NodePictureSlot&) = delete;
    NodePictureSlot& operator=(const NodePictureSlot&) = delete;

private:
    friend class sorvane::model::NodePictures;
    QImage m_image;                  // RGB32, black before every paint
    QSize m_droppedSize;             // a dropped picture is made again at its size
    tagItemData* m_older = nullptr;  // the kept pictures, least recently read first
    tagItemData* m_newer = nullptr;
    qsizetype m_bytes = 0;           // what m_image counts against the budget
    std::uint8_t m_state = 0;        // sorvane::model::PictureState
    bool m_asNew = false;            // shows what a new item of its kind shows
    bool m_listed = false;
};

struct tagItemData {
    tagItemData() = default;
    tagItemData(const tagItemData&) = delete;
    tagItemData& operator=(const tagItemData&) = delete;

    std::uint32_t Level = 0;
    std::uint8_t RecordVersion = 0;
    std::uint16_t RecordSize = 0;
    tagItemData* Parent = nullptr;
    tagItemData* PrevSibling = nullptr;
    tagItemData* NextSibling = nullptr;
    tagItemData* FirstChild = nullptr;
    NodePictureSlot Preview;           // read through GetNodePicture
    std::uint32_t KeptWord44 = 0;      // only initialised, copied and stored
    std::uint32_t KeptWord48 = 0;      // the same
    char16_t Name[128] = {};
    std::int32_t PlayTime = 0;
    std::uint8_t InEffect = 0;
    std::uint16_t InSpeed = 0;
    std::uint16_t BlockSize = 0;       // size word of the level block (for a screen the same word as Global.BlockSize)
    tagGlobalInfo Global;              // level 0
    SceneBlock Scene;                  // level 1
    SectionBlock Section;              // level 2
    ItemBlock Item;                    // level 3
    // The stored image as last read: bytes no field models are written back from here.
    std::array<std::uint8_t, ITEMDATA_SIZE> Raw{};
    // A screen's count of writes to it or below it (CCore::NoteWritten);
    // never stored. Equal counts mean nothing was written in between.
    std::uint64_t Revision = 0;
};

// ---- what the program does with nodes beside CCore ----
// Nearest node at this level among the node and its ancestors.
SORVANE_API tagItemData* AncestorAtLevel(tagItemData* node, std::uint32_t level);
// No preview picture is made larger than this (16 MB, a 2048 x 2048 screen).
constexpr std::int64_t MAX_PREVIEW_PIXELS = std::int64_t(1) << 22;
// The size of a node's preview picture.
SORVANE_API QSize PreviewSizeOf(const tagItemData* node);
// The node's preview picture, made when it is missing or stale; a shared
// copy that stays as it is whatever later happens to the node's. Making it
// also brings up to date what painting sets: an item's content size, an
// animated text's frame count, a scene's picture-present word; read those
// after it. Safe from any thread; null for nodes without a picture.
SORVANE_API QImage GetNodePicture(tagItemData* node);
// Gives a node a picture no painter makes from its record (a test pattern):
// it stays until the node is painted again or freed, and is never dropped.
SORVANE_API void SetNodePicture(tagItemData* node, QImage picture);
// The border slot of a scene or a section (null for every other node).
SORVANE_API DynFrame** FrameSlotOf(tagItemData* node);
// The node's rectangle on its screen and the part inside its borders, in LEDs.
SORVANE_API RECT GetNodeRect(const tagItemData* node);
SORVANE_API RECT GetNodeClientRect(const tagItemData* node);
// The 480-byte image of a screen block (a before-image of the settings).
// TargetScreen is stored as 0xFFFFFFFF for "none" and 0 otherwise.
SORVANE_API void WriteGlobalInfo(const tagGlobalInfo& info, std::uint8_t* out);
SORVANE_API void ReadGlobalInfo(const std::uint8_t* in, tagGlobalInfo& info);
