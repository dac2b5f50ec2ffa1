#pragma once
// Lets the tests look at what a core object keeps to itself.
#include "core/model/Core.h"

struct CoreTestAccess {
    static tagItemData* root(CCore& core) { return core.m_root; }
    static CUniqueArray<unsigned short>& ports(CCore& core) { return core.m_ports; }
    static CUniqueArray<int>& scope(CCore& core) { return core.m_screenScope; }
};
