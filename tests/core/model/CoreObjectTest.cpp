#include "core/model/Core.h"
#include <gtest/gtest.h>

namespace {
void cbA(unsigned, unsigned, std::uintptr_t) {}
void cbB(unsigned, unsigned, std::uintptr_t) {}
}

TEST(CoreObject, CallbackSettersReturnPrevious)
{
    CCore core;
    EXPECT_EQ(core.GetCommCallBack(), nullptr);
    EXPECT_EQ(core.SetCommCallBack(cbA), nullptr);
    EXPECT_EQ(core.SetCommCallBack(cbB), cbA);
    EXPECT_EQ(core.GetCommCallBack(), cbB);
    EXPECT_EQ(core.SetFileCallBack(cbA), nullptr);
    EXPECT_EQ(core.SetFileCallBack(nullptr), cbA);
}
