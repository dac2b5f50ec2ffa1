#pragma once
#include "core/api/Callbacks.h"
