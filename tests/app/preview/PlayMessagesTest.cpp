// The preview's thread messages keep their ids and what they carry.
#include "app/preview/PlayMessages.h"

#include <gtest/gtest.h>
#include <cstdint>

TEST(PlayMessages, KeepTheirIdsAndParameters)
{
    const auto* player = reinterpret_cast<const preview::CPlayElement*>(std::uintptr_t(0x1000));
    const preview::PlayMessage done = preview::PlayDone::make(0xFFFFFFFFu, player);
    EXPECT_EQ(done.id, 0x100Au);
    ASSERT_TRUE(preview::PlayDone::read(done));
    EXPECT_EQ(preview::PlayDone::read(done)->w, 0xFFFFFFFFu);
    EXPECT_EQ(preview::PlayDone::read(done)->l, player);
    EXPECT_FALSE(preview::PlayTick::read(done));

    const preview::PlayMessage arm = preview::PlayArmTimer::make(0xFFFF0001u, 1);
    EXPECT_EQ(arm.id, 0x0FF7u);
    EXPECT_EQ(arm.wParam, 0xFFFF0001u);
    EXPECT_EQ(arm.lParam, 1);
    EXPECT_EQ(preview::PlayBegin::make().id, 0x1008u);
}
