#include "Program.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>
#include <unistd.h>

namespace windowbench {

Program::Program(const QString& runFolder, const QString& display, const QString& privateFolder)
{
    QDir().mkpath(privateFolder + QStringLiteral("/runtime"));
    QFile::setPermissions(privateFolder + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                         | QFileDevice::ExeOwner);
    const std::string folder = runFolder.toStdString();
    const std::string exe = folder + "/Tavrelo";
    const std::string dpy = display.toStdString();
    const std::string runtime = (privateFolder + QStringLiteral("/runtime")).toStdString();
    const std::string log = (privateFolder + QStringLiteral("/program.log")).toStdString();
    m_pid = fork();
    if (m_pid == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        setenv("DISPLAY", dpy.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("TMPDIR", runtime.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        // BENCH_WINDOW_WRAP="perf record -g -o FILE --" runs the program under a profiler.
        std::vector<std::string> words;
        if (const char* wrap = getenv("BENCH_WINDOW_WRAP"))
            for (const QString& w : QString::fromLocal8Bit(wrap).split(u' ', Qt::SkipEmptyParts))
                words.push_back(w.toStdString());
        words.push_back(exe);
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
}

Program::~Program()
{
    if (m_pid > 0 && !waitExit(0)) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool Program::waitExit(int boundMs)
{
    if (m_pid <= 0)
        return true;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
        int status = 0;
        const int r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            m_pid = -1;
            return true;
        }
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

double Program::residentMb() const
{
    if (m_pid <= 0)
        return 0;
    QFile status(QStringLiteral("/proc/%1/status").arg(m_pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

} // namespace windowbench
