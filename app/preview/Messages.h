#pragma once
// The preview's thread messages: posted between the players and their
// controller, never sent.
#include <cstdint>

namespace preview {

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

}
