#pragma once
// A simulated controller that takes a firmware upgrade: the upgrade request
// (command 20) and the whole-image block (command 24) are framed and
// acknowledged with 'A'; the record stream that follows the request is
// answered record by record from a script (accept 0x11 when the script is
// empty). Carried over TCP on 127.0.0.1, a pseudo-terminal, or raw Ethernet
// on a network interface. Everything received is recorded.
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class UpgradeController {
public:
    using Bytes = std::vector<std::uint8_t>;

    enum class Transport { Tcp, Pty, Ethernet };

    UpgradeController();
    ~UpgradeController();
    UpgradeController(const UpgradeController&) = delete;
    UpgradeController& operator=(const UpgradeController&) = delete;

    bool startTcp();
    bool startPty();
    // Opens an AF_PACKET socket on the interface (inside a namespace).
    bool startEthernet(const char* interfaceName);

    std::uint16_t port() const { return m_port; }
    const std::string& slavePath() const { return m_slavePath; }
    const std::uint8_t* mac() const { return m_mac; }

    // Answers for the coming records, in order; 0 = stay silent, kHangUp =
    // close the connection (TCP) instead of answering.
    static constexpr std::uint8_t kHangUp = 0xFF;
    void script(const Bytes& answers);
    // Stream links: answer the version read (command 19) with these words,
    // as a controller does before it is upgraded, instead of 'A'.
    void setVersion(std::uint32_t hardwareId, std::uint32_t firmware, std::uint32_t word);

    // Data of every framed block by command, in order.
    std::vector<std::pair<int, Bytes>> blocks() const;
    // Every record received (length prefix included), resends too.
    std::vector<Bytes> records() const;
    // Raw Ethernet: the packet index of every stream packet.
    std::vector<std::uint32_t> packetIndexes() const;

private:
    void serveStream(int fd);
    void serveTcp();
    void serveEthernet();
    // Feeds bytes of a stream link; returns the bytes to answer.
    Bytes feed(const std::uint8_t* data, std::size_t n, bool tcp);
    std::uint8_t nextAnswer();
    void stop();

    mutable std::mutex m_mutex;
    Bytes m_pending;
    bool m_hangUp = false;
    std::deque<std::uint8_t> m_script;
    std::vector<std::pair<int, Bytes>> m_blocks;
    std::vector<Bytes> m_records;
    std::vector<std::uint32_t> m_indexes;
    Bytes m_partialBlock;
    Bytes m_version;   // empty: the version read is acknowledged like any block
    int m_partialCommand = -1;
    std::size_t m_partialTotal = 0;

    int m_listen = -1;
    int m_master = -1;
    int m_slave = -1;
    int m_packet = -1;
    int m_ifindex = 0;
    std::uint8_t m_mac[6] = {};
    std::uint16_t m_port = 0;
    std::string m_slavePath;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace sim
