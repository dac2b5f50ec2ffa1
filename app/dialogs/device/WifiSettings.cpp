#include "app/dialogs/device/WifiSettings.h"

#include "core/api/Nodes.h"
#include "platform/RtfCodePage.h"

#include <cstring>

namespace dialogs {

namespace {
QByteArray fieldBytes(const char* field, std::size_t size)
{
    return QByteArray(field, static_cast<qsizetype>(strnlen(field, size)));
}

void setField(char* field, std::size_t size, const QByteArray& bytes)
{
    std::memset(field, 0, size);
    std::memcpy(field, bytes.constData(), std::min<std::size_t>(static_cast<std::size_t>(bytes.size()), size - 1));
}
} // namespace

QByteArray StoredSsid(const tagGlobalInfo& g)
{
    return fieldBytes(g.WifiSsid, sizeof g.WifiSsid);
}

QByteArray StoredWifiKey(const tagGlobalInfo& g)
{
    return fieldBytes(g.WifiKey, sizeof g.WifiKey);
}

QString DecodeWifiText(const QByteArray& bytes)
{
    return platform::decodePlainText(bytes);
}

QByteArray EncodeWifiText(const QString& text)
{
    return text.toUtf8();
}

void StoreWifiJoin(tagGlobalInfo& g, const QByteArray& ssid, const QByteArray& key)
{
    g.WifiMode = 1;
    setField(g.WifiSsid, sizeof g.WifiSsid, ssid);
    setField(g.WifiKey, sizeof g.WifiKey, key);
    if (key.isEmpty()) {
        g.WifiEncryption = 1;
        g.WifiSecurity = 1;
    }
}

void StoreWifiOwn(tagGlobalInfo& g, const QByteArray& ssid, int encryption, int security, const QByteArray& key)
{
    g.WifiMode = 2;
    setField(g.WifiSsid, sizeof g.WifiSsid, ssid);
    g.WifiEncryption = encryption < 0 ? 1 : encryption;   // none chosen: the first kind
    g.WifiSecurity = security < 0 ? 1 : security;
    setField(g.WifiKey, sizeof g.WifiKey, key.isEmpty() ? QByteArray(kDefaultWifiKey) : key);
}

} // namespace dialogs
