#pragma once
// Paths that name no file, for the readers of paths the operator chooses:
// a link to /dev/zero, a FIFO nobody writes, a FIFO written without end and
// a folder, all under the file name the reader expects. A reader must refuse
// each within a second and leave no thread behind.
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
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

// Runs `read` on a thread of its own and waits at most `bound`; on time-out
// calls `release` (which must make the read return) and reports false.
bool finishesWithin(std::chrono::milliseconds bound, const std::function<void()>& read,
                    const std::function<void()>& release);

} // namespace support
