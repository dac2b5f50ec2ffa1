#pragma once
// What one read of a controller brought back, as a value: the request's
// result and the answers it accepted. The read writes no screen; whoever owns
// the tree stores the value into one (CCore::StoreAnswer), on its own thread.
#include <cstdint>
#include <vector>

struct ControllerAnswer {
    int result = 0;   // the bytes sent, or a negative transfer result
    // Accepted answers, each as it came; empty: none to store.
    std::vector<std::uint8_t> version, hardware, ip, wifi;

    bool empty() const { return version.empty() && hardware.empty() && ip.empty() && wifi.empty(); }
};
