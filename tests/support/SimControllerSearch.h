#pragma once
// Simulated controllers for the search: several controllers answering the
// UDP discovery probe of one port, each from its own loopback address, and
// a helper that runs a test body inside a fresh network namespace.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class UdpControllers {
public:
    struct Controller {
        std::string ip;          // e.g. "127.0.0.2"; answers come from here
        std::uint8_t address;    // the one byte of the answer
        int extraBytes = 0;      // further bytes after the address
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

private:
    void serve();

    int m_listen = -1;
    std::vector<int> m_answerSockets;
    std::vector<Controller> m_controllers;
    std::uint16_t m_port = 0;
    std::atomic<int> m_probes{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Runs `body` on a thread of its own inside a new network namespace whose
// loopback is up and which has no other route. False when the namespace
// cannot be made (not root); the body then does not run.
bool RunInNewNetworkNamespace(const std::function<void()>& body);

} // namespace sim
