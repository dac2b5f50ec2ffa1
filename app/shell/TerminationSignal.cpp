#include "app/shell/TerminationSignal.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace shell {

namespace {

int g_pipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(g_pipe[0], &c, 1);   // all a handler may do
}

} // namespace

void CloseWindowsOnTermination(QObject* owner)
{
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(g_pipe[1], &c, 1);
        // Every window hears it: one that keeps the close for later (the
        // task dialog of a running job, which cancels the job) must not stop
        // the main window from closing, as closeAllWindows would.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

} // namespace shell
