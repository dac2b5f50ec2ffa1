#pragma once
// Tells where a difference between two stored program lists lies: which
// node's image (its level and kind) and the offset inside it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace support {

inline std::string describeStoredDifferences(const std::vector<std::uint8_t>& before,
                                             const std::vector<std::uint8_t>& after)
{
    const auto u16 = [&](std::size_t at) { return unsigned(before[at] | (before[at + 1] << 8)); };
    const auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
    struct Span {
        std::size_t begin, end;
        std::string what;
    };
    // Node images follow the header and settings: 928 bytes each, then the
    // node's payload, whose size word depends on the level.
    std::vector<Span> spans;
    for (std::size_t at = 440; at + 928 <= before.size();) {
        std::size_t payload = 0;
        std::string what;
        switch (u32(at)) {
        case 1: payload = u32(at + 860); what = "scene kind " + std::to_string(u16(at + 320)); break;
        case 2: payload = u32(at + 332); what = "section kind " + std::to_string(before[at + 319]); break;
        case 3: payload = u32(at + 328); what = "item kind " + std::to_string(u16(at + 320)); break;
        default: at = before.size(); continue;
        }
        spans.push_back({at, at + 928 + payload, what});
        at += 928 + payload;
    }
    // Past the first node whose size changed everything moves: the first few
    // offsets of each node tell enough.
    std::string out;
    std::string lastWhere;
    int inNode = 0, shown = 0;
    const std::size_t n = std::max(before.size(), after.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (i < before.size() && i < after.size() && before[i] == after[i])
            continue;
        std::string where = i < 440 ? "header/settings +" + std::to_string(i) : "past the nodes @" + std::to_string(i);
        for (const Span& s : spans)
            if (i >= s.begin && i < s.end)
                where = s.what + " +" + std::to_string(i - s.begin);
        const std::string node = where.substr(0, where.find(" +"));
        inNode = node == lastWhere ? inNode + 1 : 0;
        lastWhere = node;
        if (inNode >= 4)
            continue;
        if (++shown > 40)
            return out + "...";
        out += where;
        if (i < before.size() && i < after.size())
            out += ": " + std::to_string(before[i]) + "->" + std::to_string(after[i]);
        out += "; ";
    }
    return out;
}

} // namespace support
