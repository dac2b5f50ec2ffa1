#include "support/HostilePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace support {

namespace {

QString caseFolder(const QString& folder, const char* what)
{
    const QString sub = QDir(folder).filePath(QString::fromLatin1(what));
    QDir().mkpath(sub);
    return sub;
}

} // namespace

HostilePaths::HostilePaths(const QString& folder, const QString& name, char fill)
{
    const QString zero = QDir(caseFolder(folder, "zero")).filePath(name);
    const QString idle = QDir(caseFolder(folder, "fifo")).filePath(name);
    const QString endless = QDir(caseFolder(folder, "endless")).filePath(name);
    const QString dir = QDir(caseFolder(folder, "folder")).filePath(name);
    m_ready = QFile::link(QStringLiteral("/dev/zero"), zero) && ::mkfifo(QFile::encodeName(idle).constData(), 0600) == 0
              && ::mkfifo(QFile::encodeName(endless).constData(), 0600) == 0 && QDir().mkpath(dir);
    m_cases = {{"link to /dev/zero", zero}, {"FIFO without a writer", idle}, {"FIFO with an endless writer", endless},
               {"folder", dir}};
    if (!m_ready)
        return;
    // Read and write: the open does not wait for a reader, and the writer
    // keeps the pipe full for as long as the test lasts.
    const QByteArray endlessName = QFile::encodeName(endless);
    m_writer = std::thread([this, endlessName, fill] {
        const int fd = ::open(endlessName.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return;
        const std::string chunk(4096, fill);
        while (!m_stop.load()) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 20) > 0)
                (void)!::write(fd, chunk.data(), chunk.size());
        }
        ::close(fd);
    });
}

HostilePaths::~HostilePaths()
{
    release();
}

bool HostilePaths::placeAt(const Case& c, const QString& target)
{
    const QByteArray to = QFile::encodeName(target);
    QFileInfo info(target);
    if (info.isDir() && !info.isSymLink())
        QDir(target).removeRecursively();
    else
        ::unlink(to.constData());
    // A link to the case: the reader follows links, as it must.
    return QFile::link(c.path, target);
}

void HostilePaths::release()
{
    m_stop = true;
    if (m_writer.joinable())
        m_writer.join();
    for (const Case& c : m_cases) {
        const QByteArray name = QFile::encodeName(c.path);
        struct stat st {};
        if (::stat(name.constData(), &st) != 0 || !S_ISFIFO(st.st_mode))
            continue;
        // A reader blocked in its open gets the end of the file at once.
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    }
}

int processThreadCount()
{
    QDir tasks(QStringLiteral("/proc/self/task"));
    return int(tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

bool threadsFallTo(int count, std::chrono::milliseconds bound)
{
    const auto end = std::chrono::steady_clock::now() + bound;
    while (processThreadCount() > count) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

struct ReleaseAfter::State {
    std::mutex mutex;
    std::condition_variable wake;
    bool disarmed = false;
};

ReleaseAfter::ReleaseAfter(std::chrono::milliseconds bound, std::function<void()> release)
    : m_state(std::make_shared<State>())
{
    m_thread = std::thread([this, state = m_state, bound, release = std::move(release)] {
        std::unique_lock lock(state->mutex);
        if (state->wake.wait_for(lock, bound, [&] { return state->disarmed; }))
            return;
        m_fired = true;
        lock.unlock();
        if (release)
            release();
    });
}

ReleaseAfter::~ReleaseAfter()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->disarmed = true;
    }
    m_state->wake.notify_all();
    m_thread.join();
}

bool finishesWithin(std::chrono::milliseconds bound, const std::function<void()>& read,
                    const std::function<void()>& release)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
    };
    auto shared = std::make_shared<Shared>();
    std::thread worker([shared, read] {
        read();
        std::lock_guard lock(shared->mutex);
        shared->finished = true;
        shared->done.notify_all();
    });
    bool inTime;
    {
        std::unique_lock lock(shared->mutex);
        inTime = shared->done.wait_for(lock, bound, [&] { return shared->finished; });
    }
    if (!inTime && release)
        release();
    worker.join();
    return inTime;
}

} // namespace support
