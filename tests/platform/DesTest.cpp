#include "platform/Des.h"

#include <nettle/des.h>

#include <gtest/gtest.h>
#include <cstring>

using namespace platform;

TEST(Des, KnownAnswerDeciphersTheFipsBlock)
{
    const std::uint8_t key[8] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    const std::uint8_t cipher[8] = {0x85, 0xE8, 0x13, 0x54, 0x0F, 0x0A, 0xB4, 0x05};
    const std::array<std::uint8_t, 8> plain = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    DesContext ctx;
    DesInit(ctx);
    EXPECT_TRUE(DesSetKey(ctx, key));
    DesDecryptBlock(cipher, ctx);
    EXPECT_EQ(ctx.out, plain);
}

TEST(Des, ProgramKeyUndoesEncipheringWithTheSameKey)
{
    des_ctx enc;
    ASSERT_EQ(des_set_key(&enc, reinterpret_cast<const std::uint8_t*>("KPVRNTQB")), 1);
    const std::uint8_t plain[8] = {'P', 'N', 'G', 0, 1, 2, 3, 4};
    std::uint8_t cipher[8];
    des_encrypt(&enc, 8, cipher, plain);
    DesContext ctx;
    DesInit(ctx);
    DesSetKey(ctx);
    DesDecryptBlock(cipher, ctx);
    EXPECT_EQ(0, std::memcmp(ctx.out.data(), plain, 8));
}

TEST(Des, AnUnkeyedContextGivesZeros)
{
    DesContext ctx;
    DesInit(ctx);
    const std::uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    DesDecryptBlock(block, ctx);
    EXPECT_EQ(ctx.out, (std::array<std::uint8_t, 8>{}));
}
