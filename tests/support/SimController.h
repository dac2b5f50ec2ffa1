#pragma once
// A simulated LED controller for link tests. `SimController` is the
// controller itself (what it keeps, how it answers, which faults it plays);
// the peers below carry it over real transports: TCP and UDP on 127.0.0.1,
// the master side of a pseudo-terminal, and an AF_PACKET socket on a
// network interface. Every peer records what it received so tests compare
// bytes. Each peer serves on its own thread until destroyed.
//
// What the controller and its peers keep of what came is bounded (the
// newest kKeptBytes, the oldest dropped first), so that a long run by hand
// neither grows nor slows with each program it takes.
#include "core/link/Frame.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;

// The most bytes of blocks the controller keeps, and of records each peer
// keeps; the newest block or record is kept whole whatever its size. Three
// programs of the largest screen fit.
constexpr std::size_t kKeptBytes = std::size_t(64) << 20;

// One block as the controller put it together from its chunks.
struct Block {
    sorvane::link::FrameHeader header;   // of the first chunk
    Bytes data;
};

// What the controller sends back after a block (or after a chunk).
struct Reply {
    enum Kind { None, Ack, Frame } kind = None;
    Bytes data;   // of a reply frame
};

// How the controller misbehaves; applies to every block until changed.
struct Faults {
    bool silent = false;           // no reply and no acknowledgement at all
    int statusAfterFirst = -1;     // a status byte sent after a block's first chunk
    bool refuseFrames = false;     // reply frames carry no data (a refusal)
    bool closeOnBlock = false;     // TCP: close the connection when a block begins
    bool resetOnBlock = false;     // TCP: reset the connection when a block begins
    std::size_t pullAfter = 0;     // serial: the adapter goes (the pseudo-terminal closes) once this many bytes came
    bool neverRead = false;        // TCP: hold every connection open and read nothing from it
    bool garble = false;           // replies are damaged beyond recognition
    Bytes strayBefore;             // sent before every reply
    int lateMs = 0;                // real milliseconds before every reply
    bool oversizedFirst = false;   // a reply frame too long for any buffer goes first
    std::uint32_t claimLength = 0; // reply frames state this length, whatever they carry
    int otherCommandFirst = -1;    // a reply frame of this command (data 0xEE...) goes first
    bool staleFirst = false;       // a reply frame to an earlier request (same command, data 0xEE...) goes first
    int repeatLast = 0;            // raw Ethernet: a block's final reply goes out this many more times
};

class SimController {
public:
    SimController();
    virtual ~SimController() = default;

    std::uint8_t address() const { return m_address; }
    void setAddress(std::uint8_t a) { m_address = a; }

    void setFaults(const Faults& f);
    Faults faults() const;
    // Replaces the answer to one command (e.g. a short or untidy block).
    void setAnswer(std::uint8_t command, const Bytes& data);

    // What the controller keeps: the last settings it was sent (hardware
    // settings only when it can run with them: a known work mode, a scan the
    // mode takes).
    Bytes hardware() const;
    Bytes ipSettings() const;
    Bytes wifiSettings() const;
    std::uint32_t time() const;
    std::uint32_t switchValue() const;
    int resets() const;
    int clears() const;
    void setVersion(std::uint32_t hardwareId, std::uint32_t firmware, std::uint32_t word);
    // The settings it keeps, as a hardware block (52 bytes).
    void setHardware(const Bytes& block);

    // The blocks received since clearRecords(), in order, as far as
    // kKeptBytes holds them (else the newest).
    std::vector<Block> blocks() const;
    // Waits (real time) until at least n blocks arrived since clearRecords(),
    // kept or not.
    bool waitForBlocks(std::size_t n, int timeoutMs = 3000) const;
    void clearRecords();
    // Called after each block is taken, on the peer's thread, outside the
    // controller's lock; set it before a peer starts.
    void onBlock(std::function<void(const Block&)> seen);

    // Called by the peers.
    Reply receive(const Block& block);
    // Frame bytes of a reply (header and data), faults applied.
    Bytes frameBytes(const Block& request, const Reply& reply) const;

protected:
    // The answer of a controller to one block; subclasses add commands.
    virtual Reply answer(const Block& block);

    mutable std::mutex m_mutex;

private:
    mutable std::condition_variable m_arrived;
    std::uint8_t m_address = 1;
    Faults m_faults;
    std::map<std::uint8_t, Bytes> m_answers;
    Bytes m_hardware, m_ip, m_wifi, m_version;
    std::uint32_t m_time = 0, m_switch = 0;
    int m_resets = 0, m_clears = 0;
    std::deque<Block> m_blocks;
    std::size_t m_blockBytes = 0;   // data of m_blocks
    std::size_t m_taken = 0;        // blocks since clearRecords()
    std::function<void(const Block&)> m_seen;
};

// A peer serving on its own thread.
class Peer {
public:
    explicit Peer(SimController& controller) : m_controller(controller) {}
    virtual ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    // Everything received, as it came: TCP frames and Ethernet packets one
    // entry each; the serial byte stream as one entry. The newest kKeptBytes
    // are kept (a stream longer than twice that loses its older half).
    std::vector<Bytes> received() const;
    void clearReceived();

protected:
    void start();
    void stop();
    virtual void serve() = 0;
    void record(const Bytes& bytes, bool append);
    // Sleeps and stray bytes of the faults, then the reply bytes.
    Bytes streamReply(const Block& block, const Reply& reply) const;

    SimController& m_controller;
    std::atomic<bool> m_stop{false};
    int m_wakeFd[2] = {-1, -1};   // written to end serve()

private:
    std::thread m_thread;
    mutable std::mutex m_recordMutex;
    std::deque<Bytes> m_received;
    std::size_t m_receivedBytes = 0;
};

class TcpPeer : public Peer {
public:
    // Listens on the loopback; port 0 takes a free one.
    explicit TcpPeer(SimController& controller, std::uint16_t port = 0);
    ~TcpPeer() override;
    std::uint16_t port() const { return m_port; }

private:
    void serve() override;
    void session(int fd);
    int m_listen = -1;
    std::uint16_t m_port = 0;
};

// Answers a four-byte probe datagram with its address byte.
class UdpPeer : public Peer {
public:
    explicit UdpPeer(SimController& controller, const char* bindAddress = "127.0.0.1", std::uint16_t port = 0);
    ~UdpPeer() override;
    std::uint16_t port() const { return m_port; }

private:
    void serve() override;
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

// The controller on the master side of a pseudo-terminal; the core opens
// slavePath() as a user serial port.
class PtyPeer : public Peer {
public:
    explicit PtyPeer(SimController& controller);
    ~PtyPeer() override;
    const std::string& slavePath() const { return m_slavePath; }
    // The line speed (termios code) the port had when bytes last came in.
    unsigned speed() const;
    // Reads no faster than `baud` allows (ten bits a byte) on the clock in
    // effect, as a real line would deliver; 0 reads as fast as bytes come.
    void setLineRate(unsigned baud) { m_lineRate = baud; }

private:
    void serve() override;
    int m_master = -1;
    int m_slave = -1;   // kept open so the master survives the core closing its side
    std::string m_slavePath;
    std::atomic<unsigned> m_speed{0};
    std::atomic<unsigned> m_lineRate{0};
    std::size_t m_came = 0;   // bytes of the stream so far
};

// The controller on a network interface, speaking raw Ethernet frames.
class EthernetPeer : public Peer {
public:
    EthernetPeer(SimController& controller, const char* interfaceName);
    ~EthernetPeer() override;
    bool ok() const { return m_fd >= 0; }
    const std::uint8_t* mac() const { return m_mac; }

private:
    void serve() override;
    void sendFrame(const std::uint8_t* to, std::uint8_t kind, const Bytes& payload, std::uint32_t index);
    int m_fd = -1;
    int m_ifindex = 0;
    std::uint8_t m_mac[6] = {};
};

// Runs `body` on a thread inside a new network namespace holding a veth pair
// "tvcore" / "tvsim", both up. False when namespaces cannot be made (not
// root); the body then does not run. The most recently made core belongs to
// the body's thread while it runs (it writes that core's tree).
bool RunInNetworkNamespace(const std::function<void()>& body);

} // namespace sim
