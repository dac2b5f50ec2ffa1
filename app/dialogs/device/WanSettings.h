#pragma once
// The network settings dialog's values apart from its widgets: dotted
// IPv4 texts, the suggested subnet mask, this computer's address, storing
// into the screen block and the reconnect rule after a write.
#include "app/spine/HostAddress.h"

#include <QString>
#include <cstdint>
#include <optional>

struct tagGlobalInfo;

namespace dialogs {

using spine::ParseIpv4;   // a strict dotted quad in network order, or nothing
QString FormatIpv4(std::uint32_t networkOrder);

// The mask text shown when the mask edit gets the focus: by the IP's first
// octet class A, B or C; otherwise (loopback, multicast, not an address, an
// empty IP) the mask as it was.
QString SuggestMask(const QString& ip, const QString& mask);

// This computer's first IPv4 address that is not a loopback one; "0.0.0.0"
// when it has none.
QString LocalIpv4Address();

inline constexpr int kDevicePortMin = 1, kDevicePortMax = 65535, kDevicePortDefault = 8080;

struct WanValues {
    bool dhcp = false;
    QString address[5];   // IP, mask, gateway, fourth and fifth address
    int port = kDevicePortDefault;
};

WanValues WanValuesFromScreen(const tagGlobalInfo& g);

// Stores the values. A fixed configuration whose address texts do not all
// parse is refused: the block is left as it was and *badField names the
// first bad one. An automatic one keeps the stored addresses.
bool StoreWanValues(const WanValues& v, tagGlobalInfo& g, int* badField = nullptr);

// After a write that succeeded: when an address or the port moved the
// controller, points the link at it (host text for a new IP, host port) and
// returns true.
bool ApplyWanReconnect(const tagGlobalInfo& before, tagGlobalInfo& g);

} // namespace dialogs
