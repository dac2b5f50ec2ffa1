#pragma once
#include "core/api/TextCartoon.h"
