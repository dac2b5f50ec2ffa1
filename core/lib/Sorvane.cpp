// The shared library holds the whole core archive; CCore is its only export.
#include "core/model/Core.h"
