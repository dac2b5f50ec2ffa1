#pragma once
#include "core/api/Core.h"
#include "core/model/ItemData.h"

#include <cstring>

namespace sorvane::link {

// A screen that sends through another screen's link takes that link for one
// request; every link field is put back afterwards, whatever happened.
class LinkSwap {
public:
    LinkSwap(CCore& core, tagItemData* screen, tagItemData* other) : m_global(screen->Global), m_saved(screen->Global)
    {
        if (other == screen)
            return;
        m_swapped = true;
        CCore::CommInfo link{};
        core.GetSecondaryCommInfo(screen, &link);
        core.SetCommInfo(screen, &link);
        if (other && other->Global.CommType == COMM_NETWORK) {
            std::memcpy(m_global.Host, other->Global.Host, sizeof m_global.Host);
            m_global.HostKind = other->Global.HostKind;
            m_global.HostPort = other->Global.HostPort;
        }
    }
    ~LinkSwap()
    {
        if (!m_swapped)
            return;
        m_global.ID = m_saved.ID;
        m_global.SwapRedGreen = m_saved.SwapRedGreen;
        m_global.CommType = m_saved.CommType;
        m_global.SerialPort = m_saved.SerialPort;
        m_global.BaudRate = m_saved.BaudRate;
        m_global.AdapterIndex = m_saved.AdapterIndex;
        std::memcpy(m_global.DstMAC, m_saved.DstMAC, sizeof m_global.DstMAC);
        std::memcpy(m_global.Host, m_saved.Host, sizeof m_global.Host);
        m_global.HostKind = m_saved.HostKind;
        m_global.HostPort = m_saved.HostPort;
    }
    LinkSwap(const LinkSwap&) = delete;
    LinkSwap& operator=(const LinkSwap&) = delete;

private:
    tagGlobalInfo& m_global;
    tagGlobalInfo m_saved;
    bool m_swapped = false;
};

} // namespace sorvane::link
