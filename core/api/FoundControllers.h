#pragma once
// What a controller search found, as values: the search writes no screen;
// whoever owns the tree makes or updates the screens from it
// (CCore::StoreConnections, CCore::StoreConnection), on its own thread.
#include "core/api/LinkSettings.h"

#include <vector>

struct FoundControllers {
    // Controllers found; with the no-nodes flag, the links remembered.
    unsigned count = 0;
    // One screen's link each, the controller's address in Address, in the
    // order the screens are made; empty with the no-nodes flag.
    std::vector<LinkSettings> links;
};

// The controller of one known screen found again.
struct FoundConnection {
    int result = 0;     // 1 or the probe's byte count when found, 0 when not, -6 when cancelled
    LinkSettings link;  // the screen's link as found; stored only when found
};
