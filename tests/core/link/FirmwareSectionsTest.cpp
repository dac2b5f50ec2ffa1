#include "core/link/FirmwareCatalogue.h"
#include "core/api/Core.h"

#include <gtest/gtest.h>

TEST(FirmwareCatalogue, EntriesGiveTheirMaximumSectionCount)
{
    const FirmwareInfo* a = CCore::GetFirmwareInfo(0x0E020400);
    const FirmwareInfo* b = CCore::GetFirmwareInfo(0x0E020200);
    const FirmwareInfo* c = CCore::GetFirmwareInfo(0x0E020D00);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->MaxSectionCount(), 3);
    EXPECT_EQ(b->MaxSectionCount(), 1);
    EXPECT_EQ(c->MaxSectionCount(), 8);
}
