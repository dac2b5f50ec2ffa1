#include "app/spine/HostAddress.h"

#include "core/api/Nodes.h"

#include <QStringList>

namespace spine {

std::optional<std::uint32_t> ParseIpv4(const QString& text)
{
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    unsigned octets[4];
    for (int i = 0; i < 4; ++i) {
        const QString& p = parts[i];
        if (p.isEmpty() || p.size() > 3)
            return std::nullopt;
        for (QChar c : p) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
        }
        octets[i] = p.toUInt();
        if (octets[i] > 255)
            return std::nullopt;
    }
    return Ipv4(octets[0], octets[1], octets[2], octets[3]);
}

} // namespace spine
