#pragma once
// CCore is the one class the shared library exports; all else stays hidden.
#define SORVANE_API __attribute__((visibility("default")))
