#pragma once
// The Wi-Fi networks this computer sees, for the Wi-Fi settings dialog. The
// stand-in for the system's wireless interface is NetworkManager over D-Bus:
// every Wi-Fi device's access points, names as the raw bytes they carry.
#include <QByteArray>
#include <QDBusConnection>
#include <QList>

namespace dialogs {

class WifiScanner {
public:
    virtual ~WifiScanner() = default;
    // Network names, each once, in the order the devices list them; empty
    // names are left out.
    virtual QList<QByteArray> scan() = 0;
};

// Asks NetworkManager on a bus (the system bus by default). No service, no
// Wi-Fi device or a failing call gives an empty list; an access point that
// vanished while it was read is left out.
class NetworkManagerWifiScanner : public WifiScanner {
public:
    explicit NetworkManagerWifiScanner(const QDBusConnection& bus = QDBusConnection::systemBus(),
                                       int timeoutMs = 1500);
    QList<QByteArray> scan() override;

private:
    QDBusConnection m_bus;
    int m_timeoutMs;
};

} // namespace dialogs
