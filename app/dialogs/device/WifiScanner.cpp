#include "app/dialogs/device/WifiScanner.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace dialogs {

namespace {
const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString kDevice = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kWireless = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
const QString kAccessPoint = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr unsigned kDeviceTypeWifi = 2;

// An object path list from a reply argument; false when it is something else.
bool pathsOf(const QVariant& v, QList<QDBusObjectPath>& out)
{
    if (v.canConvert<QDBusArgument>()) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        if (arg.currentSignature() != QLatin1String("ao"))
            return false;
        arg >> out;
        return true;
    }
    if (v.canConvert<QList<QDBusObjectPath>>()) {
        out = v.value<QList<QDBusObjectPath>>();
        return true;
    }
    return false;
}
} // namespace

NetworkManagerWifiScanner::NetworkManagerWifiScanner(const QDBusConnection& bus, int timeoutMs)
    : m_bus(bus), m_timeoutMs(timeoutMs)
{
}

QList<QByteArray> NetworkManagerWifiScanner::scan()
{
    QList<QByteArray> names;
    if (!m_bus.isConnected())
        return names;
    auto call = [this](const QString& path, const QString& iface, const QString& method,
                       const QVariantList& args = {}) -> QDBusMessage {
        QDBusMessage m = QDBusMessage::createMethodCall(kService, path, iface, method);
        m.setArguments(args);
        return m_bus.call(m, QDBus::Block, m_timeoutMs);
    };
    auto property = [&](const QString& path, const QString& iface, const QString& name, QVariant& out) {
        const QDBusMessage r = call(path, kProperties, QStringLiteral("Get"), {iface, name});
        if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty())
            return false;
        out = r.arguments().first().value<QDBusVariant>().variant();
        return true;
    };

    const QDBusMessage devices = call(kManagerPath, kManager, QStringLiteral("GetDevices"));
    QList<QDBusObjectPath> devicePaths;
    if (devices.type() != QDBusMessage::ReplyMessage || devices.arguments().isEmpty()
        || !pathsOf(devices.arguments().first(), devicePaths))
        return {};
    for (const QDBusObjectPath& device : devicePaths) {
        QVariant type;
        if (!property(device.path(), kDevice, QStringLiteral("DeviceType"), type))
            return {};
        if (type.toUInt() != kDeviceTypeWifi)
            continue;
        const QDBusMessage aps = call(device.path(), kWireless, QStringLiteral("GetAllAccessPoints"));
        QList<QDBusObjectPath> apPaths;
        if (aps.type() != QDBusMessage::ReplyMessage || aps.arguments().isEmpty()
            || !pathsOf(aps.arguments().first(), apPaths))
            return {};
        for (const QDBusObjectPath& ap : apPaths) {
            QVariant ssid;
            if (!property(ap.path(), kAccessPoint, QStringLiteral("Ssid"), ssid))
                continue;   // gone since the list was made
            QByteArray bytes;
            if (ssid.canConvert<QDBusArgument>())
                ssid.value<QDBusArgument>() >> bytes;
            else
                bytes = ssid.toByteArray();
            if (!bytes.isEmpty() && !names.contains(bytes))
                names.append(bytes);
        }
    }
    return names;
}

} // namespace dialogs
