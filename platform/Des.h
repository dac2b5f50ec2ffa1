#pragma once
// DES (FIPS 46) block decipherment in ECB mode, for the enciphered splash
// picture. The fixed program key is "KPVRNTQB"; its 64 bits are taken most
// significant bit of each character first. Backed by Nettle.
#include <array>
#include <cstdint>

namespace platform {

struct DesContext {
    std::array<std::uint32_t, 32> keys{};   // Nettle's schedule
    std::array<std::uint8_t, 8> out{};      // the last deciphered block
    bool keyed = false;
};

extern const char kDesProgramKey[9];

void DesInit(DesContext& context);
// The program key.
void DesSetKey(DesContext& context);
// Any 8-byte key (parity bits ignored); false for a weak key (still usable).
bool DesSetKey(DesContext& context, const std::uint8_t key[8]);
// Deciphers one block into context.out; an unkeyed context gives zeros.
void DesDecryptBlock(const std::uint8_t block[8], DesContext& context);

} // namespace platform
