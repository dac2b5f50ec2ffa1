#pragma once
#include "core/api/ItemTypes.h"
