#pragma once
// Marks what the shared library exports (CCore and the public records); all else stays hidden.
#define SORVANE_API __attribute__((visibility("default")))
// Members of an exported class that stay inside the library: those that
// take the core's internal types or serve only its own sources.
#define SORVANE_LOCAL __attribute__((visibility("hidden")))
