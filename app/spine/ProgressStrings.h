#pragma once
// String ids of what the core reports while it talks to a controller, as
// both the main frame's status bar and the task dialog show them.
#include "core/api/Callbacks.h"

#include <QString>

#include <utility>

namespace spine {

inline constexpr unsigned kStrRetry = 44006;            // %1 the retry count
inline constexpr unsigned kStrResendFailed = 44007;
inline constexpr unsigned kStrNoReply = 44008;
inline constexpr unsigned kStrRefused = 44009;
inline constexpr unsigned kStrOpenFailed = 44010;       // %1 the port or adapter
inline constexpr unsigned kStrFirmwareSending = 44011;
inline constexpr unsigned kStrNoControllerAt = 44016;   // %1 the address probed
inline constexpr unsigned kStrSocketFailed = 44022;
inline constexpr unsigned kStrHostFailed = 44023;       // %1 the host, %2 the port
inline constexpr unsigned kStrLinkLost = 44026;
inline constexpr unsigned kStrPortLost = 44028;   // %1 the serial port
inline constexpr unsigned kStrAnswerRefused = 44027;
inline constexpr unsigned kStrNoFirmwareImage = 44035;   // %1 where the image is looked for
inline constexpr unsigned kStrUndrawableItem = 63031;    // %1 the item's name

// What a report that something could not be opened says.
inline unsigned openFailedText(unsigned cmd)
{
    return cmd == CBC_FIRMWARE_IMAGE ? kStrNoFirmwareImage : cmd == CBC_PICTURE_FILE ? kStrUndrawableItem : kStrOpenFailed;
}

// The host and the port of a "host:port" the core names; the port is empty
// when the text names none.
inline std::pair<QString, QString> hostAndPort(const QString& endpoint)
{
    const int colon = endpoint.lastIndexOf(u':');
    bool number = false;
    if (colon > 0)
        endpoint.mid(colon + 1).toUShort(&number);
    if (!number)
        return {endpoint, QString()};
    return {endpoint.left(colon), endpoint.mid(colon + 1)};
}

} // namespace spine
