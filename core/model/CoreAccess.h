#pragma once
// What the core's own layers and its tests reach inside a core object, and
// the model's test hook. Not part of the library's interface: nothing here
// is exported, and the program cannot include it.
#include "core/api/Core.h"

namespace sorvane::model {

struct CoreAccess {
    static tagItemData* root(CCore& core) { return core.m_root; }
    static CoreCallBack fileCallBack(const CCore& core) { return core.m_fileCallBack; }
    static CUniqueArray<unsigned short>& ports(CCore& core) { return core.m_ports; }
    static CUniqueArray<int>& scope(CCore& core) { return core.m_screenScope; }
    static CUniqueArray<CCore::SerialInfo>& serialRecords(CCore& core) { return core.m_serialRecords; }
    static CUniqueArray<CCore::AdapterInfo>& adapterRecords(CCore& core) { return core.m_adapterRecords; }
    static CUniqueArray<CCore::WanInfo>& wanRecords(CCore& core) { return core.m_wanRecords; }
    // The lists the search walks, filled into the caller's array.
    static int serialPorts(const CCore& core, void* list) { return core.GetSerialPortList(list); }
    static int validSerialPorts(const CCore& core, void* list) { return core.GetValidSerialPortList(list); }
    static int adapters(const CCore& core, void* list) { return core.GetAdapterList(list); }
    static int validAdapters(const CCore& core, void* list) { return core.GetValidAdapterList(list); }
    static int validPorts(const CCore& core, void* list) { return core.GetValidPortList(list); }
    static int screenScope(const CCore& core, void* list) { return core.GetScreenScope(list); }
};

// Tests watch which nodes the model repaints (null: nobody watches).
// Returns the previous observer.
using PaintObserver = void (*)(const tagItemData* node);
PaintObserver SetPaintObserver(PaintObserver observer);

} // namespace sorvane::model
