#pragma once
#include "core/api/UniqueArray.h"
