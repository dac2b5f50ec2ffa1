// The shared library: the whole core archive with the grid and platform
// objects. Sorvane.map lists what it exports: the core's interface (core/api)
// and the grid and platform functions the program takes from here alone.
#include "core/api/Core.h"
