#pragma once
// Finds the IPv4 address of a controller's host. A dotted address is read
// as it stands; a name is looked up on a thread of its own while the caller
// waits until the deadline or the operator's cancel (the event
// CCore::TerminateComm sets). A look-up that is given up on finishes by
// itself: nothing waits for it, neither the caller nor the process at exit.
#include <QByteArray>

#include <netinet/in.h>

namespace platform {
class Deadline;
}

namespace sorvane::link {

enum class HostLookup { Found, Failed, Cancelled };

// `byName`: the text is a name unless it is a dotted address; otherwise it
// must be one. Empty text, the all-zero address, a name not found and a
// look-up past the deadline all fail.
HostLookup LookUpHost(const QByteArray& host, bool byName, const platform::Deadline& deadline, in_addr& out);

// Tests: looks a name up in place of the system (0 and the address when
// found); null restores the system's look-up.
using HostResolver = int (*)(const char* name, in_addr* out);
void SetHostResolver(HostResolver resolver);

} // namespace sorvane::link
