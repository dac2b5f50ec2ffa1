#pragma once
#include "core/api/TypeRecords.h"
