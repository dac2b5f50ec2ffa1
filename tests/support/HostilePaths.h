#pragma once
// Paths that name no file, for the readers of paths the operator chooses:
// a link to /dev/zero, a FIFO nobody writes, a FIFO written without end and
// a folder, all under the file name the reader expects. A reader must refuse
// each within a second and leave no thread behind.
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace support {

inline constexpr std::chrono::milliseconds kRefusalBound{1000};

class HostilePaths {
public:
    struct Case {
        const char* what;
        QString path;
    };

    // Makes the four under `folder`, each called `name` in a folder of its
    // own (folder/zero/name, folder/fifo/name, ...). The endless writer
    // writes the character `fill` (a digit reads as firmware text too).
    HostilePaths(const QString& folder, const QString& name, char fill = '0');
    ~HostilePaths();
    HostilePaths(const HostilePaths&) = delete;
    HostilePaths& operator=(const HostilePaths&) = delete;

    const std::vector<Case>& cases() const { return m_cases; }
    bool ready() const { return m_ready; }
    // Puts one case in place of `target` (replacing what is there).
    static bool placeAt(const Case& c, const QString& target);
    // Lets a reader blocked on one of the FIFOs go: opens each for writing
    // once and stops the endless writer. For a test that found a reader
    // blocked, so that the test binary can still end.
    void release();

private:
    std::vector<Case> m_cases;
    std::atomic<bool> m_stop{false};
    std::thread m_writer;
    bool m_ready = false;
};

// Threads of this process now.
int processThreadCount();

// Whether the thread count falls to `count` within `bound`: a joined thread
// can stay listed for a moment while the kernel finishes its exit.
bool threadsFallTo(int count, std::chrono::milliseconds bound = std::chrono::seconds(1));

// For reads that must run on the calling thread (the interface's): calls
// `release` if still armed after `bound`, so that a blocked read returns
// and the test fails instead of hanging. `fired` tells whether it had to.
class ReleaseAfter {
public:
    ReleaseAfter(std::chrono::milliseconds bound, std::function<void()> release);
    ~ReleaseAfter();
    ReleaseAfter(const ReleaseAfter&) = delete;
    ReleaseAfter& operator=(const ReleaseAfter&) = delete;
    bool fired() const { return m_fired.load(); }

private:
    struct State;
    std::shared_ptr<State> m_state;
    std::atomic<bool> m_fired{false};
    std::thread m_thread;
};

// Runs `read` on a thread of its own and waits at most `bound`; on time-out
// calls `release` (which must make the read return) and reports false.
bool finishesWithin(std::chrono::milliseconds bound, const std::function<void()>& read,
                    const std::function<void()>& release);

} // namespace support
