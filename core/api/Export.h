#pragma once
// Marks what the shared library exports (CCore and the public records); all else stays hidden.
#define SORVANE_API __attribute__((visibility("default")))
