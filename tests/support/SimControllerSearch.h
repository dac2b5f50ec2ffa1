#pragma once
// Simulated controllers for the search: a controller that answers probes
// for several addresses (several controllers on one link), only at the line
// speed it is set to; and several controllers answering the UDP discovery
// probe of one port, each from its own loopback address, which also take
// probes over TCP on that address and port.
#include "support/SimController.h"

#include <atomic>
#include <set>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class SearchController : public SimController {
public:
    // Addresses that answer a probe; a probe to every controller (255) is
    // answered by the lowest.
    std::set<int> addresses{1};
    // A pseudo-terminal answers only at this speed (a speed_t code; 0 any).
    const PtyPeer* pty = nullptr;
    unsigned speed = 0;

protected:
    Reply answer(const Block& block) override;
};

class UdpControllers {
public:
    struct Controller {
        std::string ip;          // e.g. "127.0.0.2"; answers come from here
        std::uint8_t address;    // the one byte of the answer
        int extraBytes = 0;      // further bytes after the address
        int repeatMs = 0;        // after a probe, answers again every repeatMs (real) until stopped
    };

    UdpControllers();
    ~UdpControllers();
    UdpControllers(const UdpControllers&) = delete;
    UdpControllers& operator=(const UdpControllers&) = delete;

    // Listens on 127.0.0.1 at an ephemeral port; false when sockets fail.
    bool start(const std::vector<Controller>& controllers);
    void stop();
    std::uint16_t port() const { return m_port; }
    // Probes (4 zero bytes) received so far.
    int probes() const { return m_probes.load(); }
    // Probes that came over TCP.
    int tcpProbes() const { return m_tcpProbes.load(); }

private:
    void serve();
    void answerTcp(int listener, std::uint8_t address);

    int m_listen = -1;
    std::vector<int> m_answerSockets;
    std::vector<int> m_tcpListeners;
    std::atomic<int> m_tcpProbes{0};
    std::vector<Controller> m_controllers;
    std::uint16_t m_port = 0;
    std::atomic<int> m_probes{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};


} // namespace sim
