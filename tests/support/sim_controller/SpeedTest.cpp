// The simulated controller program takes the tenth large program as fast as
// the first, in the same memory: what it keeps is bounded and each block
// costs the same. Timed on the program's own CPU clock, so a busy machine
// moves both figures alike.
#include "core/link/Commands.h"
#include "core/link/Frame.h"
#include "support/SimController.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

using namespace sorvane::link;

namespace {

// The program-data block of the largest screen is about this size.
constexpr std::uint32_t kProgramBytes = 21 * 1024 * 1024;

class Program {
public:
    Program()
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            ::execl(SIM_CONTROLLER_PROGRAM, SIM_CONTROLLER_PROGRAM, "--tcp", "0", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        m_out = out[0];
        std::string line;
        char c;
        pollfd p{m_out, POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0 && ::read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        unsigned port = 0;
        if (std::sscanf(line.c_str(), "tcp 127.0.0.1:%u", &port) == 1)
            m_port = static_cast<std::uint16_t>(port);
        // Its line per block goes nowhere, but must not fill the pipe.
        m_drain = std::thread([fd = m_out] {
            char buf[4096];
            while (::read(fd, buf, sizeof buf) > 0) {
            }
        });
    }
    ~Program()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_drain.joinable())
            m_drain.join();
        if (m_out >= 0)
            ::close(m_out);
    }
    std::uint16_t port() const { return m_port; }
    // CPU seconds the program has spent so far, all its threads.
    double cpu() const
    {
        clockid_t clock;
        timespec t{};
        if (::clock_getcpuclockid(m_pid, &clock) != 0 || ::clock_gettime(clock, &t) != 0)
            return -1;
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    }
    // Its resident memory in bytes.
    std::size_t resident() const
    {
        FILE* f = std::fopen(("/proc/" + std::to_string(m_pid) + "/status").c_str(), "r");
        std::size_t kb = 0;
        char line[256];
        while (f && std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmRSS: %zu kB", &kb) == 1)
                break;
        if (f)
            std::fclose(f);
        return kb * 1024;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::uint16_t m_port = 0;
    std::thread m_drain;
};

// The frames of one block as TCP carries them, headers and all.
std::vector<std::uint8_t> tcpFrames(std::uint8_t command, std::uint32_t n, std::size_t& chunks)
{
    const std::vector<Chunk> plan = PlanChunks(LinkKind::Tcp, n);
    chunks = plan.size();
    std::vector<std::uint8_t> out;
    out.reserve(plan.size() * kFrameHeaderSize + n);
    const std::uint32_t sequence = NextSequenceNumber();
    for (const Chunk& c : plan) {
        std::uint8_t header[kFrameHeaderSize];
        WriteFrameHeader(ChunkHeader(LinkKind::Tcp, 1, sequence, command, n, c), header);
        out.insert(out.end(), header, header + kFrameHeaderSize);
        out.insert(out.end(), c.size, std::uint8_t(c.offset / kChunkSize));
    }
    return out;
}

// Sends one block over a connection as fast as it goes and reads an
// acknowledgement for each of its frames; false when the link failed.
bool sendBlock(int fd, const std::vector<std::uint8_t>& frames, std::size_t chunks)
{
    bool ok = true;
    std::thread acks([&] {
        std::size_t got = 0;
        std::uint8_t buf[4096];
        while (got < chunks) {
            const ssize_t r = ::recv(fd, buf, sizeof buf, 0);
            if (r <= 0) {
                ok = false;
                return;
            }
            got += std::size_t(std::count(buf, buf + r, kAckByte));
        }
    });
    std::size_t done = 0;
    while (done < frames.size()) {
        const ssize_t w = ::send(fd, frames.data() + done, frames.size() - done, MSG_NOSIGNAL);
        if (w <= 0) {
            ::shutdown(fd, SHUT_RDWR);
            ok = false;
            break;
        }
        done += std::size_t(w);
    }
    acks.join();
    return ok;
}

TEST(SimControllerProgram, TakesTheTenthLargeProgramAsFastAsTheFirst)
{
    Program program;
    ASSERT_NE(program.port(), 0);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(program.port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);

    std::size_t chunks = 0;
    const std::vector<std::uint8_t> frames = tcpFrames(TOS_PROGDATA, kProgramBytes, chunks);
    // CPU seconds per block (frame) of each program, all the program's
    // threads, whatever else it does meanwhile.
    std::vector<double> perBlock;
    for (int i = 0; i < 12; ++i) {
        const double before = program.cpu();
        ASSERT_TRUE(sendBlock(fd, frames, chunks)) << "program " << i;
        // What the program does for a block after its last frame counts too.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        perBlock.push_back((program.cpu() - before) / double(chunks));
    }
    ::close(fd);
    // Its blocks and records within their bounds, a block in the making and
    // the buffers: nowhere near the twelve programs it took.
    const std::size_t resident = program.resident();
    EXPECT_GT(resident, 0u);
    EXPECT_LT(resident, 4 * sim::kKeptBytes) << (resident >> 20) << " MB";
    // The fastest of two each side: after one program and after ten.
    const double first = std::min(perBlock[1], perBlock[2]);
    const double tenth = std::min(perBlock[10], perBlock[11]);
    ::testing::Test::RecordProperty("ns_per_block_after_one", int(first * 1e9));
    ::testing::Test::RecordProperty("ns_per_block_after_ten", int(tenth * 1e9));
    ::testing::Test::RecordProperty("resident_MB", int(resident >> 20));
    EXPECT_LE(tenth, first * 1.10) << "after one " << first * 1e6 << " us, after ten " << tenth * 1e6 << " us";
}

} // namespace
