#pragma once
#include "core/api/WorkMode.h"
