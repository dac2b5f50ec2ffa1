#pragma once
// CCore: the one facade object of the core library.
#include "core/model/Export.h"

#include "core/link/UniqueArray.h"

#include <QString>
#include <cstdint>

struct tagItemData;
struct DynFrame;
struct DynFrameElement;
struct pcapdevinfo;

// Progress callback: value carries numbers or pointers, so it is pointer-wide.
using CoreCallBack = void (*)(unsigned cmd, unsigned event, std::uintptr_t value);

class SORVANE_API CCore {
public:
    // Discovery records of the controller search (stored byte for byte).
    struct SerialInfo {
        std::uint32_t BaudRate;
        char16_t PortName[32];
    };
    struct AdapterInfo {
        std::uint32_t AdapterIndex;
        std::uint8_t Mac[6];
        std::uint8_t Extra[2];
    };
    struct WanInfo {
        std::uint8_t Address;
        std::uint8_t Reserved[3];
        std::uint32_t Ip;   // network order
        std::uint16_t Port;
        std::uint16_t Reserved2;
    };
    static_assert(sizeof(SerialInfo) == 68 && sizeof(AdapterInfo) == 12 && sizeof(WanInfo) == 12);

    CCore();
    ~CCore();
    CCore(const CCore&) = delete;
    // Copies the flags, the language, the callbacks and the contents of the
    // lists. Each object keeps its own tree: the root is never shared, so
    // neither destructor can free what the other still holds.
    CCore& operator=(const CCore& other);

    int IsSingleScreen() const { return m_singleScreen; }
    int IsSerialPortEnabled() const { return m_serialEnabled; }
    int IsLanEnabled() const { return m_lanEnabled; }
    int IsWanEnabled() const { return m_wanEnabled; }
    int GetCurLang() const { return m_curLang; }
    void SetCurLang(int lang) { m_curLang = lang; }
    CoreCallBack SetCommCallBack(CoreCallBack cb);
    CoreCallBack GetCommCallBack() const { return m_commCallBack; }
    CoreCallBack SetFileCallBack(CoreCallBack cb);

    // ---- tree, nodes, frames (core/model) ----
    // Paints the node's preview picture; 1 when something was drawn.
    int Paint(tagItemData* node);
    // A new detached header node (level LEVEL_HEADER, nothing else).
    tagItemData* CreateItemHeader();
    DynFrameElement* AddFrameElement(unsigned short type, const char16_t* name, DynFrame* frame,
                                     DynFrameElement* after);
    int DeleteFrameElement(DynFrame* frame, DynFrameElement* element);
    int ModifyFrameElmentPos(DynFrameElement* element, DynFrame* frame, DynFrameElement* after);
    static int GetFrameWidth(const tagItemData* node);
    int HasMotiveBorder(const tagItemData* node) const;
    // Stores a screen's link mode and returns the previous one; 0 for a null
    // node or one that is not a screen.
    int SetCommMode(tagItemData* screen, unsigned mode);

    // ---- device lists, catalogue, adapters, serial ports (core/link) ----

private:
    tagItemData* m_root = nullptr;
    CoreCallBack m_commCallBack = nullptr;
    CoreCallBack m_fileCallBack = nullptr;
    int m_curLang = 4;
    int m_singleScreen = 1;
    int m_serialEnabled = 1;
    int m_lanEnabled = 0;
    int m_wanEnabled = 0;
    friend struct CoreTestAccess;
    // ---- list members (core/link) ----
    void CreateLists();   // fills the enumerated ports and adapters
    void DestroyLists();
    CUniqueArray<QString> m_serialPorts;
    CUniqueArray<unsigned short> m_ports;
    CUniqueArray<WanInfo> m_wanRecords;
    CUniqueArray<unsigned short> m_ignorePorts;
    CUniqueArray<QString> m_userSerialPorts;
    CUniqueArray<pcapdevinfo>* m_adapters = nullptr;   // record defined in core/link
    CUniqueArray<SerialInfo> m_serialRecords;
    CUniqueArray<AdapterInfo> m_adapterRecords;
    CUniqueArray<QString> m_ignoreSerialPorts;
    CUniqueArray<int> m_ignoreAdapters;
    CUniqueArray<int> m_screenScope;
};
