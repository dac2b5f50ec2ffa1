#pragma once
// The Wi-Fi settings dialog's values apart from its widgets. Names and pass
// phrases are kept as bytes: what came from a network or the controller is
// written back unchanged; text typed anew is stored as UTF-8. Limits are in
// bytes of the screen block's fields.
#include <QByteArray>
#include <QString>
#include <QValidator>

struct tagGlobalInfo;

namespace dialogs {

inline constexpr int kSsidMaxBytes = 32;
inline constexpr int kWifiKeyMaxBytes = 64;
inline constexpr char kDefaultWifiKey[] = "7305918264";

QByteArray StoredSsid(const tagGlobalInfo& g);
QByteArray StoredWifiKey(const tagGlobalInfo& g);
// Bytes shown as text: UTF-8 when they are valid UTF-8, else the ANSI code page.
QString DecodeWifiText(const QByteArray& bytes);
QByteArray EncodeWifiText(const QString& text);

// Mode 1, joining a network: an empty pass phrase also sets encryption and security to 1.
void StoreWifiJoin(tagGlobalInfo& g, const QByteArray& ssid, const QByteArray& key);
// Mode 2, the controller's own network: security -1 (none chosen) stores 1,
// an empty pass phrase stores the default one.
void StoreWifiOwn(tagGlobalInfo& g, const QByteArray& ssid, int encryption, int security, const QByteArray& key);

// Refuses text whose UTF-8 form is longer than a number of bytes.
class ByteLengthValidator : public QValidator {
public:
    ByteLengthValidator(int maxBytes, QObject* parent) : QValidator(parent), m_max(maxBytes) {}
    State validate(QString& input, int&) const override
    {
        return EncodeWifiText(input).size() <= m_max ? Acceptable : Invalid;
    }

private:
    int m_max;
};

} // namespace dialogs
