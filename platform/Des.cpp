#include "platform/Des.h"

#include <nettle/des.h>

#include <cstring>

namespace platform {

const char kDesProgramKey[9] = "KPVRNTQB";

static_assert(sizeof(des_ctx) <= sizeof(DesContext::keys), "Nettle's DES schedule must fit");

void DesInit(DesContext& context)
{
    context = DesContext{};
}

bool DesSetKey(DesContext& context, const std::uint8_t key[8])
{
    des_ctx ctx;
    const bool good = des_set_key(&ctx, key) == 1;
    std::memcpy(context.keys.data(), &ctx, sizeof ctx);
    context.keyed = true;
    return good;
}

void DesSetKey(DesContext& context)
{
    DesSetKey(context, reinterpret_cast<const std::uint8_t*>(kDesProgramKey));
}

void DesDecryptBlock(const std::uint8_t block[8], DesContext& context)
{
    if (!context.keyed) {
        context.out.fill(0);
        return;
    }
    des_ctx ctx;
    std::memcpy(&ctx, context.keys.data(), sizeof ctx);
    des_decrypt(&ctx, DES_BLOCK_SIZE, context.out.data(), block);
}

} // namespace platform
