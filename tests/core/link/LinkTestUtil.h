#pragma once
// Shared pieces of the link tests: a recorder for the progress callback,
// block contents, and the bytes each link must carry, built field by field.
#include "core/link/CommSession.h"
#include "core/link/Frame.h"
#include "platform/Clock.h"
#include "support/MessageSpy.h"
#include "support/SimController.h"

#include <QString>
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <tuple>
#include <vector>

namespace linktest {

// Waits between blocks pass a hundred times faster while one lives.
struct FastClock {
    platform::ScaledClock clock{100};
    FastClock() { platform::setClock(&clock); }
    ~FastClock() { platform::setClock(nullptr); }
    FastClock(const FastClock&) = delete;
    FastClock& operator=(const FastClock&) = delete;
};

using sim::Bytes;

struct Event {
    unsigned cmd, event;
    std::uintptr_t value;
    QString text;   // the value read as a wide text, for the events that carry one
    bool operator==(const Event& o) const { return cmd == o.cmd && event == o.event && value == o.value; }
};

// The callback is a plain function: one log for the process, kept by the
// message log of tests/support (id: command, wParam: event, lParam: value,
// payload: the wide text of the events that carry one, copied during the call).
class Recorder {
public:
    static void callback(unsigned cmd, unsigned event, std::uintptr_t value)
    {
        std::any text;
        CallbackPayload payload = DecodeCallback(CallbackSource::Comm, cmd, event, value);
        if (payload.kind == CallbackPayload::Kind::Text)
            text = std::move(payload.text);
        log().record(cmd, event, static_cast<platform::LPARAM>(value), std::move(text));
    }
    static support::MessageLog& log()
    {
        static support::MessageLog all;
        return all;
    }
    static std::vector<Event> events()
    {
        std::vector<Event> out;
        for (const support::SpiedMessage& m : log().messages()) {
            const QString* text = std::any_cast<QString>(&m.payload);
            out.push_back(Event{m.id, static_cast<unsigned>(m.w), static_cast<std::uintptr_t>(m.l),
                                text ? *text : QString()});
        }
        return out;
    }
    static void clear() { log().clear(); }
    // (event, value) pairs, texts left out.
    static std::vector<std::pair<unsigned, std::uintptr_t>> pairs()
    {
        std::vector<std::pair<unsigned, std::uintptr_t>> out;
        for (const Event& e : events())
            out.emplace_back(e.event, e.text.isNull() ? e.value : 0);
        return out;
    }
};

inline Bytes pattern(std::size_t n, unsigned seed = 3)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + seed + (i >> 8));
    return b;
}

// A frame header written field by field at its offsets.
inline Bytes header(std::uint8_t address, std::uint32_t seq, std::uint8_t cmd, std::uint8_t multi, std::uint8_t last,
                    std::uint32_t length, std::uint32_t offset)
{
    Bytes h(36, 0);
    const std::uint8_t magic[4] = {0xAA, 0xAA, 0x66, 0x99};
    std::memcpy(h.data(), magic, 4);
    h[4] = 1;
    h[5] = 36;
    h[6] = address;
    h[7] = 1;
    for (int i = 0; i < 4; ++i) {
        h[8 + i] = static_cast<std::uint8_t>(seq >> (8 * i));
        h[16 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        h[20 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    }
    h[12] = cmd;
    h[13] = multi;
    h[14] = last;
    const std::uint16_t crc = sorvane::link::FrameCheckValue(h.data(), 24);
    h[24] = static_cast<std::uint8_t>(crc);
    h[25] = static_cast<std::uint8_t>(crc >> 8);
    return h;
}

inline Bytes cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes slice(const Bytes& b, std::size_t at, std::size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }

// The serial stream of one block: one header, then the data.
inline Bytes serialStream(std::uint8_t address, std::uint32_t seq, std::uint8_t cmd, const Bytes& data)
{
    return cat(header(address, seq, cmd, 0, 1, static_cast<std::uint32_t>(data.size()), 0), data);
}

// TCP frames of one block: a header in front of every 512 bytes.
inline std::vector<Bytes> tcpFrames(std::uint8_t address, std::uint32_t seq, std::uint8_t cmd, const Bytes& data)
{
    std::vector<Bytes> out;
    const std::size_t n = data.size();
    std::size_t at = 0;
    do {
        const std::size_t size = std::min<std::size_t>(n - at, 512);
        const bool last = at + size == n;
        out.push_back(cat(header(address, seq, cmd, n > 512, last, static_cast<std::uint32_t>(size),
                                 static_cast<std::uint32_t>(at)),
                          slice(data, at, size)));
        at += size;
    } while (at < n);
    return out;
}

// Raw-Ethernet packets of one block: link header, then the frame header and
// 476 data bytes in the first packet and 512 in every later one.
inline std::vector<Bytes> ethernetPackets(const std::uint8_t dst[6], const std::uint8_t src[6], std::uint8_t address,
                                          std::uint32_t seq, std::uint8_t cmd, const Bytes& data)
{
    std::vector<Bytes> out;
    const std::size_t n = data.size();
    std::size_t at = 0;
    std::uint32_t index = 0;
    do {
        Bytes payload;
        std::size_t size;
        if (at == 0) {
            size = std::min<std::size_t>(n, 476);
            payload = cat(header(address, seq, cmd, 0, 1, static_cast<std::uint32_t>(n), 0), slice(data, 0, size));
        } else {
            size = std::min<std::size_t>(n - at, 512);
            payload = slice(data, at, size);
        }
        Bytes link(22, 0);
        std::memcpy(link.data(), dst, 6);
        std::memcpy(link.data() + 6, src, 6);
        link[12] = 0x08;
        link[13] = 0x88;
        link[14] = 2;
        link[16] = static_cast<std::uint8_t>(payload.size());
        link[17] = static_cast<std::uint8_t>(payload.size() >> 8);
        for (int i = 0; i < 4; ++i)
            link[18 + i] = static_cast<std::uint8_t>(index >> (8 * i));
        out.push_back(cat(link, payload));
        at += size;
        ++index;
    } while (at < n);
    return out;
}

inline std::uint32_t sequenceOf(const Bytes& frameStart, std::size_t at = 0)
{
    return std::uint32_t(frameStart[at + 8]) | (std::uint32_t(frameStart[at + 9]) << 8)
        | (std::uint32_t(frameStart[at + 10]) << 16) | (std::uint32_t(frameStart[at + 11]) << 24);
}

// Sends `data` as one block through a session bound by `bind`.
template <typename Bind>
int sendBlock(Bind bind, std::uint8_t cmd, const Bytes& data, std::uint32_t flags, std::uint8_t address = 1,
              sorvane::link::CommSession* keep = nullptr)
{
    sorvane::link::CommSession local;
    sorvane::link::CommSession& s = keep ? *keep : local;
    sorvane::link::CreateCommSession(s, address, sorvane::link::kRequestTimeout, &Recorder::callback);
    bind(s);
    s.request = data;
    return s.sendRequest(cmd, flags);
}

} // namespace linktest
