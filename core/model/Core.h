#pragma once
#include "core/api/Core.h"
