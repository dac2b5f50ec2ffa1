#pragma once
#include "core/api/Export.h"
