#include "core/api/LinkSwap.h"

#include "core/api/Core.h"

#include <cstring>

namespace {

// The controller's own network settings, which a whole-link swap carries along.
void copyNetworkSettings(tagGlobalInfo& to, const tagGlobalInfo& from)
{
    std::memcpy(to.DeviceName, from.DeviceName, sizeof to.DeviceName);
    to.DhcpFlag = from.DhcpFlag;
    to.IpAddr = from.IpAddr;
    to.SubnetMask = from.SubnetMask;
    to.Gateway = from.Gateway;
    to.Address4 = from.Address4;
    to.NetWord = from.NetWord;
}

} // namespace

LinkSwap::LinkSwap(CCore& core, tagItemData* screen, tagItemData* other) : m_screen(screen), m_saved(screen->Global)
{
    if (other == screen)
        return;
    m_restore = Restore::Link;
    tagGlobalInfo& g = screen->Global;
    CCore::CommInfo link{};
    core.GetSecondaryCommInfo(screen, &link);
    core.SetCommInfo(screen, &link);
    if (other && other->Global.CommType == COMM_NETWORK) {
        std::memcpy(g.Host, other->Global.Host, sizeof g.Host);
        g.HostKind = other->Global.HostKind;
        g.HostPort = other->Global.HostPort;
    }
}

LinkSwap::LinkSwap(tagItemData* screen) : m_screen(screen), m_saved(screen->Global), m_restore(Restore::WholeLink)
{
    std::memcpy(m_name, screen->Name, sizeof m_name);
}

LinkSwap::~LinkSwap()
{
    if (m_restore == Restore::Nothing)
        return;
    tagGlobalInfo& g = m_screen->Global;
    g.ID = m_saved.ID;
    g.SwapRedGreen = m_saved.SwapRedGreen;
    g.CommType = m_saved.CommType;
    g.SerialPort = m_saved.SerialPort;
    g.BaudRate = m_saved.BaudRate;
    g.AdapterIndex = m_saved.AdapterIndex;
    std::memcpy(g.DstMAC, m_saved.DstMAC, sizeof g.DstMAC);
    std::memcpy(g.Host, m_saved.Host, sizeof g.Host);
    g.HostKind = m_saved.HostKind;
    g.HostPort = m_saved.HostPort;
    if (m_restore != Restore::WholeLink)
        return;
    copyNetworkSettings(g, m_saved);
    g.TargetScreen = m_saved.TargetScreen;
    std::memcpy(m_screen->Name, m_name, sizeof m_name);
}

void LinkSwap::takeWholeLinkOf(const tagItemData* other)
{
    if (other == m_screen)
        return;
    tagGlobalInfo& g = m_screen->Global;
    const tagGlobalInfo& o = other->Global;
    g.CommType = o.CommType;
    g.ID = o.ID;
    std::memcpy(m_screen->Name, other->Name, sizeof m_name);
    if (o.CommType != COMM_SERIAL) {
        std::memcpy(g.DstMAC, o.DstMAC, sizeof g.DstMAC);
        copyNetworkSettings(g, o);
        g.AdapterIndex = o.AdapterIndex;
        g.HostKind = o.HostKind;
        std::memcpy(g.Host, o.Host, sizeof g.Host);
        g.HostPort = o.HostPort;
    } else {
        g.BaudRate = o.BaudRate;
        g.SerialPort = o.SerialPort;
    }
    g.SwapRedGreen = o.SwapRedGreen;
    g.TargetScreen = o.TargetScreen == m_screen ? nullptr : o.TargetScreen;
}
