#pragma once
// Process-wide state beside the core objects: the most recently constructed
// core and the event that cancels transfers.
#include "platform/Event.h"

class CCore;

namespace sorvane::model {

// The current core object; null when none is alive.
CCore* CurrentCore();
// Its language index (the start language when no core is alive).
int CurrentLanguage();
// The cancel event of the transfers; null when no core is alive.
platform::AutoResetEvent* CancelEvent();

namespace corestate {
// Registers a new core and makes it the current one.
void setCurrent(CCore* core);
// Unregisters a core; when it was the current one, the most recently
// constructed core still alive takes its place.
void forget(CCore* core);
// Every core holds one reference; the first creates the event, the last closes it.
void acquireCancelEvent();
void releaseCancelEvent();
}

} // namespace sorvane::model
