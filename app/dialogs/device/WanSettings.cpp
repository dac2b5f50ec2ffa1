#include "app/dialogs/device/WanSettings.h"

#include "core/api/Nodes.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QUdpSocket>
#include <algorithm>
#include <cstring>

namespace dialogs {

namespace {
std::uint32_t* fieldPtr(tagGlobalInfo& g, int i)
{
    std::uint32_t* fields[5] = {&g.IpAddr, &g.SubnetMask, &g.Gateway, &g.Address4, &g.NetWord};
    return fields[i];
}
std::uint32_t fieldOf(const tagGlobalInfo& g, int i)
{
    return *fieldPtr(const_cast<tagGlobalInfo&>(g), i);
}
} // namespace

QString FormatIpv4(std::uint32_t v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v & 0xFF).arg((v >> 8) & 0xFF).arg((v >> 16) & 0xFF).arg(v >> 24);
}

QString SuggestMask(const QString& ip, const QString& mask)
{
    if (ip.isEmpty())
        return mask;
    const std::optional<std::uint32_t> a = ParseIpv4(ip.left(15));
    const unsigned b = a ? (*a & 0xFF) : 255;
    if (b >= 1 && b <= 126)
        return QStringLiteral("255.0.0.0");
    if (b >= 128 && b <= 191)
        return QStringLiteral("255.255.0.0");
    if (b >= 192 && b <= 223)
        return QStringLiteral("255.255.255.0");
    return mask;
}

QString LocalIpv4Address()
{
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString();
    }
    // The route to a public address names the interface; connecting a UDP
    // socket sends nothing.
    QUdpSocket probe;
    probe.connectToHost(QHostAddress(QStringLiteral("192.0.2.1")), 7);
    if (probe.waitForConnected(200) && probe.localAddress().protocol() == QAbstractSocket::IPv4Protocol
        && !probe.localAddress().isLoopback())
        return probe.localAddress().toString();
    return QStringLiteral("0.0.0.0");
}

WanValues WanValuesFromScreen(const tagGlobalInfo& g)
{
    WanValues v;
    v.dhcp = g.DhcpFlag != 0;
    for (int i = 0; i < 5; ++i)
        v.address[i] = FormatIpv4(fieldOf(g, i));
    v.port = g.DevicePort;
    return v;
}

bool StoreWanValues(const WanValues& v, tagGlobalInfo& g, int* badField)
{
    std::uint32_t parsed[5];
    if (!v.dhcp) {
        for (int i = 0; i < 5; ++i) {
            const std::optional<std::uint32_t> a = ParseIpv4(v.address[i]);
            if (!a) {
                if (badField)
                    *badField = i;
                return false;
            }
            parsed[i] = *a;
        }
        for (int i = 0; i < 5; ++i)
            *fieldPtr(g, i) = parsed[i];
    }
    g.DhcpFlag = v.dhcp ? 1 : 0;
    g.DevicePort = static_cast<std::uint16_t>(std::clamp(v.port, kDevicePortMin, kDevicePortMax));
    return true;
}

bool ApplyWanReconnect(const tagGlobalInfo& before, tagGlobalInfo& g)
{
    bool moved = g.DevicePort != g.HostPort;
    for (int i = 0; i < 5; ++i)
        moved = moved || fieldOf(before, i) != fieldOf(static_cast<const tagGlobalInfo&>(g), i);
    if (!moved)
        return false;
    if (before.IpAddr != g.IpAddr) {
        const QByteArray host = FormatIpv4(g.IpAddr).toLatin1();
        std::memset(g.Host, 0, sizeof g.Host);
        g.HostKind = 0;   // the host is an address text now
        std::memcpy(g.Host, host.constData(), std::min<std::size_t>(host.size(), sizeof g.Host - 1));
    }
    g.HostPort = g.DevicePort;
    return true;
}

} // namespace dialogs
