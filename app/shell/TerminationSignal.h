#pragma once
// SIGTERM and SIGHUP (log-out, shutdown, a plain kill) close the windows the
// normal way, so shut-down still writes the configuration.
class QObject;

namespace shell {

void CloseWindowsOnTermination(QObject* owner);

} // namespace shell
