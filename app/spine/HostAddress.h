#pragma once
// Dotted IPv4 texts as the link settings take them, for the screen's link
// panel and the device dialogs alike.
#include <QString>
#include <cstdint>
#include <optional>

namespace spine {

// A strict dotted quad (four numbers 0-255) in network order, or nothing.
std::optional<std::uint32_t> ParseIpv4(const QString& text);

} // namespace spine
