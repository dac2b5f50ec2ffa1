// The simulated controller as a program of its own, for trying Tavrelo by
// hand: it listens where asked, prints where, answers until stopped and
// prints a line for each block it takes.
#include "support/SimController.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

int usage()
{
    std::fprintf(stderr, "usage: sim_controller [--tcp PORT] [--udp [PORT]] [--pty]\n"
                         "  --tcp PORT  listen for TCP on 127.0.0.1:PORT (0: any free port)\n"
                         "  --udp PORT  answer probes on 127.0.0.1:PORT (0: any free port)\n"
                         "  --udp       answer probes on the TCP port (any free port without --tcp)\n"
                         "  --pty       open a pseudo-terminal and print its serial port path\n");
    return 2;
}

bool readPort(const char* text, std::uint16_t& port)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || *end || v < 0 || v > 65535)
        return false;
    port = static_cast<std::uint16_t>(v);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bool tcp = false, udp = false, udpOnTcpPort = false, pty = false;
    std::uint16_t tcpPort = 0, udpPort = 0;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--tcp") && i + 1 < argc && readPort(argv[i + 1], tcpPort)) {
            tcp = true;
            ++i;
        } else if (!std::strcmp(a, "--udp")) {
            udp = true;
            udpOnTcpPort = true;
            if (i + 1 < argc && argv[i + 1][0] != '-') {
                if (!readPort(argv[++i], udpPort))
                    return usage();
                udpOnTcpPort = false;
            }
        } else if (!std::strcmp(a, "--pty")) {
            pty = true;
        } else {
            return usage();
        }
    }
    if (!tcp && !udp && !pty)
        return usage();

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    sim::SimController controller;
    // One line per block taken, so whoever tries the program sees a send arrive.
    controller.onBlock([](const sim::Block& block) {
        std::printf("block %u, %zu bytes\n", unsigned(block.header.command), block.data.size());
        std::fflush(stdout);
    });
    // A board the firmware catalogue knows and settings it can run with (a
    // scan its work mode takes), so what the program reads from it is what
    // it keeps and sends back.
    controller.setVersion(0x0E010200, 0x01030206, 0);
    sim::Bytes hardware = controller.hardware();
    hardware[16] = 4;   // work mode 17 scans at most 4
    controller.setHardware(hardware);
    std::unique_ptr<sim::TcpPeer> tcpPeer;
    std::unique_ptr<sim::UdpPeer> udpPeer;
    std::unique_ptr<sim::PtyPeer> ptyPeer;
    if (tcp) {
        tcpPeer = std::make_unique<sim::TcpPeer>(controller, tcpPort);
        if (!tcpPeer->port()) {
            std::fprintf(stderr, "sim_controller: cannot listen on TCP port %u\n", unsigned(tcpPort));
            return 1;
        }
        std::printf("tcp 127.0.0.1:%u\n", unsigned(tcpPeer->port()));
    }
    if (udp) {
        // A search finds the port its probe reached; a send must reach the
        // same one, so by default both listen on one number.
        if (udpOnTcpPort && tcpPeer)
            udpPort = tcpPeer->port();
        udpPeer = std::make_unique<sim::UdpPeer>(controller, "127.0.0.1", udpPort);
        if (!udpPeer->port()) {
            std::fprintf(stderr, "sim_controller: cannot bind UDP port %u\n", unsigned(udpPort));
            return 1;
        }
        std::printf("udp 127.0.0.1:%u\n", unsigned(udpPeer->port()));
    }
    if (pty) {
        ptyPeer = std::make_unique<sim::PtyPeer>(controller);
        if (ptyPeer->slavePath().empty()) {
            std::fprintf(stderr, "sim_controller: cannot open a pseudo-terminal\n");
            return 1;
        }
        std::printf("pty %s\n", ptyPeer->slavePath().c_str());
    }
    std::fflush(stdout);
    while (!g_stop)
        ::usleep(100 * 1000);
    return 0;
}
