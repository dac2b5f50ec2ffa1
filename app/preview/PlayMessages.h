#pragma once
// The preview's thread messages: posted between the players and their
// controller on the players' own loops, never sent. Each is declared once with
// what its parameters carry; parameters are packed and unpacked only here.
#include "app/spine/Messages.h"

#include <cstdint>
#include <optional>

namespace preview {

class CPlayElement;

enum PlayMessageId : unsigned {
    TM_PLAY_PAUSE = 0x0FF5,
    TM_PLAY_ARMTIMER = 0x0FF7,
    TM_PLAY_SCENEEND = 0x0FF9,
    TM_PLAY_NEXTSCENE = 0x0FFE,
    TM_PLAY_BEGIN = 0x1008,
    TM_PLAY_TICK = 0x1009,
    TM_PLAY_DONE = 0x100A,
};

struct PlayMessage {
    unsigned id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

template <unsigned Id, typename W = spine::None, typename L = spine::None>
struct PlayMsg {
    static constexpr unsigned id = Id;
    struct Args {
        W w;
        L l;
    };

    static PlayMessage make(W w = {}, L l = {})
    {
        return {Id, spine::detail::Param<W>::pack(w), static_cast<std::intptr_t>(spine::detail::Param<L>::pack(l))};
    }
    static std::optional<Args> read(const PlayMessage& m)
    {
        if (m.id != Id)
            return std::nullopt;
        return Args{spine::detail::Param<W>::unpack(m.wParam),
                    spine::detail::Param<L>::unpack(static_cast<std::uintptr_t>(m.lParam))};
    }
};

using PlayPause = PlayMsg<TM_PLAY_PAUSE>;
// The scene's play time (0 keeps the timer off), and 1 when it repeats.
using PlayArmTimer = PlayMsg<TM_PLAY_ARMTIMER, std::uint32_t, int>;
using PlaySceneEnd = PlayMsg<TM_PLAY_SCENEEND>;
// The scene generation it was posted in; a later one makes it stale.
using PlayNextScene = PlayMsg<TM_PLAY_NEXTSCENE, std::uint32_t>;
using PlayBegin = PlayMsg<TM_PLAY_BEGIN>;
using PlayTick = PlayMsg<TM_PLAY_TICK>;
// To its own loop: nothing. To the controller: the player's generation when
// it posted, and the player (compared, read only while its generation holds).
using PlayDone = PlayMsg<TM_PLAY_DONE, std::uint32_t, const preview::CPlayElement*>;

} // namespace preview
