#include "app/dialogs/groups/BulkSend.h"

#include "core/api/Nodes.h"
#include "core/api/ItemTypes.h"

#include <cstring>

namespace dialogs {

LinkNameSwap::LinkNameSwap(tagItemData* screen) : m_screen(screen), m_saved(screen->Global)
{
    std::memcpy(m_name, screen->Name, sizeof m_name);
}

LinkNameSwap::~LinkNameSwap()
{
    tagGlobalInfo& g = m_screen->Global;
    g.ID = m_saved.ID;
    g.CommType = m_saved.CommType;
    g.SerialPort = m_saved.SerialPort;
    g.BaudRate = m_saved.BaudRate;
    g.AdapterIndex = m_saved.AdapterIndex;
    std::memcpy(g.DstMAC, m_saved.DstMAC, sizeof g.DstMAC);
    std::memcpy(g.DeviceName, m_saved.DeviceName, sizeof g.DeviceName);
    g.DhcpFlag = m_saved.DhcpFlag;
    g.IpAddr = m_saved.IpAddr;
    g.SubnetMask = m_saved.SubnetMask;
    g.Gateway = m_saved.Gateway;
    g.Address4 = m_saved.Address4;
    g.NetWord = m_saved.NetWord;
    g.HostKind = m_saved.HostKind;
    std::memcpy(g.Host, m_saved.Host, sizeof g.Host);
    g.HostPort = m_saved.HostPort;
    g.SwapRedGreen = m_saved.SwapRedGreen;
    g.TargetScreen = m_saved.TargetScreen;
    std::memcpy(m_screen->Name, m_name, sizeof m_name);
}

void LinkNameSwap::takeLinkOf(const tagItemData* other)
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
        std::memcpy(g.DeviceName, o.DeviceName, sizeof g.DeviceName);
        g.DhcpFlag = o.DhcpFlag;
        g.IpAddr = o.IpAddr;
        g.SubnetMask = o.SubnetMask;
        g.Gateway = o.Gateway;
        g.Address4 = o.Address4;
        g.NetWord = o.NetWord;
        g.AdapterIndex = o.AdapterIndex;
        g.HostKind = o.HostKind;
        std::memcpy(g.Host, o.Host, sizeof g.Host);
        g.HostPort = o.HostPort;
    } else {
        g.BaudRate = o.BaudRate;
        g.SerialPort = o.SerialPort;
    }
    g.SwapRedGreen = o.SwapRedGreen;
    // The transfer goes where the other screen's own would go.
    g.TargetScreen = o.TargetScreen == m_screen ? nullptr : o.TargetScreen;
}

BulkResult RunBulkSend(const QList<tagItemData*>& screens, const QList<int>& ticked, int mode, int source,
                       const BulkTransfer& transfer)
{
    BulkResult r;
    if (mode == 0) {
        for (int i = 0; i < screens.size(); ++i) {
            if (!ticked.contains(i))
                continue;
            transfer(screens[i]);
            r.sent = true;
        }
        return r;
    }
    if (source < 0 || source >= screens.size()) {
        r.noSource = true;
        return r;
    }
    tagItemData* s = screens[source];
    for (int j = 0; j < screens.size(); ++j) {
        if (!ticked.contains(j))
            continue;
        tagItemData* c = screens[j];
        r.sent = true;
        if (c->Global.Width != s->Global.Width || c->Global.Height != s->Global.Height) {
            r.mismatch = c;
            return r;
        }
        LinkNameSwap swap(s);
        swap.takeLinkOf(c);
        transfer(s);
    }
    return r;
}

} // namespace dialogs
