// The shared library: the whole core archive with the grid and platform
// objects. Sorvane.map lists what it exports: CCore and the grid's and
// platform's API, which the program takes from here alone.
#include "core/model/Core.h"

using namespace sorvane::model;
