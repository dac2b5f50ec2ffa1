#include "core/api/Core.h"
#include "core/model/Guard.h"

#include "core/link/Adapters.h"
#include "core/link/SerialPorts.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

// A new heap list filled by `fill`; null when memory cannot be had.
template <typename T, typename Fill>
CUniqueArray<T>* heapList(Fill fill)
{
    return GuardedResult(nullptr, [&] {
        auto list = std::make_unique<CUniqueArray<T>>();
        fill(*list);
        return list.release();
    });
}

template <typename T>
int release(CUniqueArray<T>* list)
{
    if (!list)
        return 0;
    delete list;
    return 1;
}

// Deletes, from the last element to the first, every element `ignored` holds.
template <typename T>
void removeHeld(CUniqueArray<T>& list, const CUniqueArray<T>& ignored)
{
    for (int i = list.GetSize() - 1; i >= 0; --i)
        if (ignored.Find(list[i]) >= 0)
            list.RemoveAt(i);
}

template <typename T>
int removeValue(CUniqueArray<T>& list, const T& value)
{
    const int at = list.Find(value);
    if (at < 0)
        return 0;
    list.RemoveAt(at);
    return 1;
}

QString textOf(const char16_t* text)
{
    return QString::fromUtf16(text);
}

int exchange(int& flag, int value)
{
    const int previous = flag;
    flag = value;
    return previous;
}

}  // namespace

void CCore::CreateLists()
{
    m_ports.Add(8080);
    m_adapters = new (std::nothrow) CUniqueArray<pcapdevinfo>;
    m_screenScope.Add(1);
    EnumSerialPortList();
    EnumAdapterList();
}

void CCore::DestroyLists()
{
    delete m_adapters;
    m_adapters = nullptr;
}

void CCore::CopyLists(const CCore& other)
{
    if (this == &other)
        return;
    m_serialPorts.Copy(other.m_serialPorts);
    m_ports.Copy(other.m_ports);
    m_wanRecords.Copy(other.m_wanRecords);
    m_ignorePorts.Copy(other.m_ignorePorts);
    m_userSerialPorts.Copy(other.m_userSerialPorts);
    if (other.m_adapters) {
        if (!m_adapters)
            m_adapters = new (std::nothrow) CUniqueArray<pcapdevinfo>;
        if (m_adapters)
            m_adapters->Copy(*other.m_adapters);
    } else if (m_adapters) {
        m_adapters->RemoveAll();
    }
    m_serialRecords.Copy(other.m_serialRecords);
    m_adapterRecords.Copy(other.m_adapterRecords);
    m_ignoreSerialPorts.Copy(other.m_ignoreSerialPorts);
    m_ignoreAdapters.Copy(other.m_ignoreAdapters);
    m_screenScope.Copy(other.m_screenScope);
}

// ---- fill a caller's list ----

int CCore::GetSerialPortList(void* list) const
{
    if (!list)
        return 0;
    auto& out = *static_cast<CUniqueArray<QString>*>(list);
    out.Copy(m_serialPorts);
    for (const QString& name : m_userSerialPorts)
        out.Add(name);
    return 1;
}

int CCore::GetValidSerialPortList(void* list) const
{
    if (!GetSerialPortList(list))
        return 0;
    removeHeld(*static_cast<CUniqueArray<QString>*>(list), m_ignoreSerialPorts);
    return 1;
}

int CCore::GetUserSerialPortList(void* list) const
{
    if (!list)
        return 0;
    static_cast<CUniqueArray<QString>*>(list)->Copy(m_userSerialPorts);
    return 1;
}

int CCore::GetIgnoreSerialPortList(void* list) const
{
    if (!list)
        return 0;
    static_cast<CUniqueArray<QString>*>(list)->Copy(m_ignoreSerialPorts);
    return 1;
}

int CCore::GetAdapterList(void* list) const
{
    if (!list)
        return 0;
    auto& out = *static_cast<CUniqueArray<pcapdevinfo>*>(list);
    out.RemoveAll();
    if (m_adapters)
        out.Copy(*m_adapters);
    return 1;
}

int CCore::GetValidAdapterList(void* list) const
{
    if (!GetAdapterList(list))
        return 0;
    auto& out = *static_cast<CUniqueArray<pcapdevinfo>*>(list);
    for (int i = out.GetSize() - 1; i >= 0; --i)
        if (m_ignoreAdapters.Find(static_cast<int>(out[i].index)) >= 0)
            out.RemoveAt(i);
    return 1;
}

int CCore::GetIgnoreAdapterList(void* list) const
{
    if (!list)
        return 0;
    static_cast<CUniqueArray<int>*>(list)->Copy(m_ignoreAdapters);
    return 1;
}

int CCore::GetPortList(void* list) const
{
    if (!list)
        return 0;
    static_cast<CUniqueArray<unsigned short>*>(list)->Copy(m_ports);
    return 1;
}

int CCore::GetIgnorePortList(void* list) const
{
    if (!list)
        return 0;
    static_cast<CUniqueArray<unsigned short>*>(list)->Copy(m_ignorePorts);
    return 1;
}

int CCore::GetValidPortList(void* list) const
{
    if (!GetPortList(list))
        return 0;
    removeHeld(*static_cast<CUniqueArray<unsigned short>*>(list), m_ignorePorts);
    return 1;
}

int CCore::GetScreenScope(void* list) const
{
    if (!list)
        return 0;
    static_cast<CUniqueArray<int>*>(list)->Copy(m_screenScope);
    return 1;
}

// ---- heap copies ----

CUniqueArray<QString>* CCore::GetSerialPortList() const
{
    return heapList<QString>([this](auto& l) { GetSerialPortList(&l); });
}

CUniqueArray<QString>* CCore::GetValidSerialPortList() const
{
    return heapList<QString>([this](auto& l) { GetValidSerialPortList(&l); });
}

CUniqueArray<QString>* CCore::GetUserSerialPortList() const
{
    return heapList<QString>([this](auto& l) { GetUserSerialPortList(&l); });
}

CUniqueArray<QString>* CCore::GetIgnoreSerialPortList() const
{
    return heapList<QString>([this](auto& l) { GetIgnoreSerialPortList(&l); });
}

CUniqueArray<pcapdevinfo>* CCore::GetAdapterList() const
{
    return heapList<pcapdevinfo>([this](auto& l) { GetAdapterList(&l); });
}

CUniqueArray<pcapdevinfo>* CCore::GetValidAdapterList() const
{
    return heapList<pcapdevinfo>([this](auto& l) { GetValidAdapterList(&l); });
}

CUniqueArray<int>* CCore::GetIgnoreAdapterList() const
{
    return heapList<int>([this](auto& l) { GetIgnoreAdapterList(&l); });
}

CUniqueArray<unsigned short>* CCore::GetPortList() const
{
    return heapList<unsigned short>([this](auto& l) { GetPortList(&l); });
}

CUniqueArray<unsigned short>* CCore::GetIgnorePortList() const
{
    return heapList<unsigned short>([this](auto& l) { GetIgnorePortList(&l); });
}

CUniqueArray<int>* CCore::GetScreenScope() const
{
    return heapList<int>([this](auto& l) {
        GetScreenScope(&l);
        // Addresses compare as unsigned numbers; for 0-255 this is the
        // byte-wise order, and larger values no longer sort by their low byte.
        l.StableSort([](int a, int b) { return static_cast<unsigned>(a) < static_cast<unsigned>(b); });
    });
}

int CCore::ReleaseSerialPortList(CUniqueArray<QString>* list) { return release(list); }
int CCore::ReleaseValidSerialPortList(CUniqueArray<QString>* list) { return release(list); }
int CCore::ReleaseUserSerialPortList(CUniqueArray<QString>* list) { return release(list); }
int CCore::ReleaseIgnoreSerialPortList(CUniqueArray<QString>* list) { return release(list); }
int CCore::ReleaseAdapterList(CUniqueArray<pcapdevinfo>* list) { return release(list); }
int CCore::ReleaseValidAdapterList(CUniqueArray<pcapdevinfo>* list) { return release(list); }
int CCore::ReleaseIgnoreAdapterList(CUniqueArray<int>* list) { return release(list); }
int CCore::ReleasePortList(CUniqueArray<unsigned short>* list) { return release(list); }
int CCore::ReleaseIgnorePortList(CUniqueArray<unsigned short>* list) { return release(list); }
int CCore::ReleaseScreenScope(CUniqueArray<int>* list) { return release(list); }

// ---- edits ----

int CCore::AddUserSerialPort(const char16_t* name)
{
    return name ? m_userSerialPorts.Add(textOf(name)) : -1;
}

int CCore::AddIgnoreSerialPort(const char16_t* name)
{
    return name ? m_ignoreSerialPorts.Add(textOf(name)) : -1;
}

int CCore::AddIgnoreAdapter(int index) { return m_ignoreAdapters.Add(index); }
int CCore::AddScreenScope(int address) { return m_screenScope.Add(address); }
int CCore::AddIgnorePort(unsigned short port) { return m_ignorePorts.Add(port); }

int CCore::AddPort(unsigned short port)
{
    if (m_ports.Find(port) >= 0)
        return 0;
    m_ports.Add(port);
    return 1;
}

int CCore::RemoveUserSerialPort(const char16_t* name)
{
    return name ? removeValue(m_userSerialPorts, textOf(name)) : 0;
}

int CCore::RemoveIgnoreSerialPort(const char16_t* name)
{
    return name ? removeValue(m_ignoreSerialPorts, textOf(name)) : 0;
}

int CCore::RemoveIgnoreAdapter(int index) { return removeValue(m_ignoreAdapters, index); }
int CCore::RemoveScreenScope(int address) { return removeValue(m_screenScope, address); }
int CCore::RemoveIgnorePort(unsigned short port) { return removeValue(m_ignorePorts, port); }
int CCore::DelPort(unsigned short port) { return removeValue(m_ports, port); }

void CCore::RemoveAllUserSerialPort() { m_userSerialPorts.RemoveAll(); }
void CCore::RemoveAllIgnoreSerialPort() { m_ignoreSerialPorts.RemoveAll(); }
void CCore::RemoveAllIgnoreAdapter() { m_ignoreAdapters.RemoveAll(); }
void CCore::RemoveAllIgnorePort() { m_ignorePorts.RemoveAll(); }
void CCore::RemoveAllScreenScope() { m_screenScope.RemoveAll(); }

// ---- single entries ----

QString CCore::GetSerialPortName(int n) const
{
    // The device the number names (see SerialPortNumber), when present.
    const QString named = SerialPortNameOf(n, m_serialPorts.items(), m_userSerialPorts.items());
    if (!named.isEmpty() && (m_serialPorts.Find(named) >= 0 || m_userSerialPorts.Find(named) >= 0))
        return named;
    const QString com = QString::asprintf("COM%d", n);
    if (m_serialPorts.Find(com) >= 0 || m_userSerialPorts.Find(com) >= 0)
        return com;
    if (!m_serialPorts.IsEmpty())
        return m_serialPorts[0];
    if (!m_userSerialPorts.IsEmpty())
        return m_userSerialPorts[0];
    return com;
}

int CCore::GetSerialPortNumber(const QString& name) const
{
    return SerialPortNumber(name, m_serialPorts.items(), m_userSerialPorts.items());
}

QByteArray CCore::GetAdapterName(int index) const
{
    if (!m_adapters || m_adapters->IsEmpty())
        return QByteArray(kNoAdapterName);
    if (index < 0 || index >= m_adapters->GetSize())
        index = 0;
    const pcapdevinfo& info = (*m_adapters)[index];
    return QByteArray(info.name, static_cast<int>(strnlen(info.name, sizeof info.name)));
}

// ---- search flags ----

int CCore::SetSingleScreen(int value) { return exchange(m_singleScreen, value); }
int CCore::EnableSerialPort(int value) { return exchange(m_serialEnabled, value); }
int CCore::EnableLan(int value) { return exchange(m_lanEnabled, value); }
int CCore::EnableWan(int value) { return exchange(m_wanEnabled, value); }
